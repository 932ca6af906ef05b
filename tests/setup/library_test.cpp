// setup.so as the installation program sees it: loaded by file name, three exports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/msgbox.h"
#include "product_registry.h"
#include "sandbox.h"

namespace {

using platform::RegRoot;
using Uninst = int32_t (*)(int32_t, int32_t, int32_t);
using InstallDll = int32_t (*)(const char *, const char *);

constexpr char kPlaceholder[] = "@: Master Database Registry Key 0 :@";

// One loaded copy of the library, unloaded again at the end.
class Library {
  public:
    explicit Library(const std::string &file)
        : handle_(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_ != nullptr)
            ::dlclose(handle_);
    }
    bool Loaded() const { return handle_ != nullptr; }
    template <typename T>
    T Export(const char *name) const {
        return reinterpret_cast<T>(::dlsym(handle_, name));
    }

  private:
    void *handle_;
};

std::string FieldOf(const std::string &file) {
    const std::string bytes = tktest::ReadText(file);
    const std::size_t at = bytes.find(kPlaceholder);
    return at == std::string::npos ? std::string() : bytes.substr(at, 260);
}

TEST(SetupLibrary, ShipsThePlaceholderAndOnlyThreeExports) {
    const std::string field = FieldOf(SETUP_SO);
    ASSERT_EQ(field.size(), 260u);
    EXPECT_EQ(field, std::string(kPlaceholder) + std::string(260 - sizeof kPlaceholder + 1, '\0'));

    Library library(SETUP_SO);
    ASSERT_TRUE(library.Loaded()) << ::dlerror();
    ASSERT_NE(library.Export<Uninst>("UninstInitialize"), nullptr);
    ASSERT_NE(library.Export<Uninst>("UninstUnInitialize"), nullptr);
    ASSERT_NE(library.Export<InstallDll>("SETUP_InstallDll"), nullptr);
    EXPECT_EQ(library.Export<void *>("MasterRegistryKey"), nullptr);
    EXPECT_EQ(library.Export<void *>("_ZN5setup9PatchCopyEPKcS1_S1_S1_"), nullptr);
    EXPECT_EQ(library.Export<void *>("_ZN8platform11RegOpenKeyENS_7RegRootESt17basic_string_"
                                     "viewIcSt11char_traitsIcEENS_9RegAccessERNS_6RegKeyE"),
              nullptr);
    EXPECT_EQ(library.Export<Uninst>("UninstInitialize")(1, 2, 3), 0);
}

TEST(SetupLibrary, PlaceholderKeyIsNotFound) {
    tktest::TempFolder temp;
    Library library(SETUP_SO);
    ASSERT_TRUE(library.Loaded());
    EXPECT_EQ(library.Export<Uninst>("UninstUnInitialize")(0, 0, 0), -1);
    const auto boxes = platform::ReadMessageBoxLog(temp / "boxes.log");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].text, std::string("Error retrieving registry key ") + kPlaceholder +
                                 "\\Path\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n"
                                 "The system cannot find the file specified.");
}

TEST(SetupLibrary, InstallDllRefusesItsOwnFileAndOverlongKeys) {
    tktest::TempFolder temp;
    Library library(SETUP_SO);
    const auto install = library.Export<InstallDll>("SETUP_InstallDll");
    ASSERT_NE(install, nullptr);
    const std::string before = tktest::ReadText(SETUP_SO);
    EXPECT_EQ(install("Software\\X", SETUP_SO), 0);
    EXPECT_EQ(tktest::ReadText(SETUP_SO), before);
    const std::string copy = temp / "uninst.so";
    EXPECT_EQ(install(std::string(260, 'k').c_str(), copy.c_str()), 0);
    EXPECT_FALSE(tktest::fs::exists(copy));
    EXPECT_EQ(install(std::string(259, 'k').c_str(), copy.c_str()), 1);
    EXPECT_EQ(FieldOf(SETUP_SO), FieldOf(SETUP_SO));
    EXPECT_NE(tktest::ReadText(copy).find(std::string(259, 'k') + '\0'), std::string::npos);
}

// Installation writes a copy carrying the product key; that copy, loaded later, removes
// the product, and a copy of the copy carries a further key.
TEST(SetupLibrary, InstallAndUninstallRoundTrip) {
    tktest::Sandbox box;
    const auto dir = box.MakeInstallation();
    const std::string key = "Software\\Morvelt\\Taalkist";
    const std::string copy = (dir / "uninst.so").string();
    {
        Library shipped(SETUP_SO);
        ASSERT_EQ(shipped.Export<InstallDll>("SETUP_InstallDll")(key.c_str(), copy.c_str()), 1);
    }
    EXPECT_EQ(tktest::ReadText(copy).size(), tktest::ReadText(SETUP_SO).size());
    const std::string field =
        tktest::ReadText(copy).substr(tktest::ReadText(SETUP_SO).find(kPlaceholder), 260);
    EXPECT_EQ(std::string(field.c_str()), key);
    EXPECT_EQ(field.substr(key.size() + 1, 10),
              std::string(kPlaceholder).substr(key.size() + 1, 10));

    const std::string menu = box.Temp() / "taalkist.desktop";
    tktest::WriteText(menu, "[Desktop Entry]");
    tktest::WriteProductKey(RegRoot::CurrentUser, key,
                            {{"Path", dir.string()}, {"Version", "1.0"}, {"ScMenu", menu}});
    // The uninstaller is run from outside the folder it deletes.
    const std::string runCopy = box.Temp() / "run-uninst.so";
    tktest::fs::copy_file(copy, runCopy);
    {
        Library uninstaller(runCopy);
        ASSERT_TRUE(uninstaller.Loaded()) << ::dlerror();
        EXPECT_EQ(uninstaller.Export<Uninst>("UninstInitialize")(0, 0, 0), 0);
        EXPECT_EQ(uninstaller.Export<Uninst>("UninstUnInitialize")(0, 0, 0), 0);
        // A copy of the copy replaces the planted key in turn.
        const std::string further = box.Temp() / "further.so";
        EXPECT_EQ(uninstaller.Export<InstallDll>("SETUP_InstallDll")("Other", further.c_str()), 1);
        EXPECT_NE(tktest::ReadText(further).find(std::string("Other\0", 6) + key.substr(6)),
                  std::string::npos);
    }
    EXPECT_FALSE(tktest::fs::exists(dir));
    EXPECT_FALSE(tktest::fs::exists(menu));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, key));
    EXPECT_TRUE(platform::ReadMessageBoxLog(box.Temp() / "boxes.log").empty());
    EXPECT_TRUE(box.OutsideUnchanged());
}

}  // namespace
