// The uninstaller on Windows: the real registry, a product folder in the Windows file
// system, the refusals, and setup.dll loaded and called as an installation program does.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dynlib.h"
#include "platform/msgbox.h"
#include "platform/registry.h"
#include "platform/win32.h"
#include "temp_folder.h"
#include "uninstall.h"

namespace {

namespace fs = std::filesystem;
using platform::RegRoot;

constexpr char kKey[] = "Software\\Taalkist Tests\\Product";

std::string Variable(const char *name) {
    char value[MAX_PATH * 2];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void Write(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

void WriteProductKey(RegRoot root, const std::string &key,
                     const std::vector<std::pair<std::string, std::string>> &values) {
    platform::RegKey open;
    ASSERT_EQ(platform::RegCreateKey(root, key, open), platform::kRegOk);
    for (const auto &[name, value] : values)
        ASSERT_EQ(platform::RegSetString(open, name, value), platform::kRegOk);
}

bool KeyExists(RegRoot root, const std::string &key) {
    platform::RegKey open;
    return platform::RegOpenKey(root, key, platform::RegAccess::Read, open) == platform::kRegOk;
}

class WindowsUninstall : public ::testing::Test {
  protected:
    void SetUp() override {
        Clean();
        fs::create_directories(install_ + "\\data\\deep");
        fs::create_directories(install_ + "\\hidden");
        Write(install_ + "\\tkviewer.exe", "binary");
        Write(install_ + "\\readonly.txt", "ro");
        ::SetFileAttributesA((install_ + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        Write(install_ + "\\hidden\\system.dat", "sys");
        ::SetFileAttributesA((install_ + "\\hidden\\system.dat").c_str(),
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
        ::SetFileAttributesA((install_ + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        Write(install_ + "\\data\\deep\\nl-en.idx", "idx");
        Write(menu_, "[InternetShortcut]");
        Write(desk_, "[InternetShortcut]");
    }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            ::RegDeleteTreeW(root, L"Software\\Taalkist Tests");
    }
    std::vector<platform::MessageBoxRecord> Boxes() const {
        return platform::ReadMessageBoxLog(temp_ / "boxes.log");
    }
    void ExpectRefused(const std::string &path) {
        std::error_code ignored;
        fs::remove(temp_ / "boxes.log", ignored);
        WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", path}});
        EXPECT_EQ(setup::UninstallProduct(kKey), -1) << path;
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << path;
        EXPECT_EQ(boxes[0].text, "Unable to access path: " + path);
        EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, kKey)) << path;
    }

    tktest::TempFolder temp_;
    const std::string install_ = temp_ / "Taalkist";
    const std::string menu_ = temp_ / "menu.url";
    const std::string desk_ = temp_ / "desk.url";
};

TEST_F(WindowsUninstall, RemovesFolderShortcutsAndKeysUnderBothRoots) {
    const std::string userFolder = temp_ / "user copy";
    fs::create_directories(userFolder);
    WriteProductKey(RegRoot::LocalMachine, kKey,
                    {{"Path", install_}, {"ScMenu", menu_}, {"ScDesk", desk_}});
    WriteProductKey(RegRoot::LocalMachine, std::string(kKey) + "\\Books\\nl-en", {{"MRU", "x"}});
    WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", userFolder}});
    WriteProductKey(RegRoot::CurrentUser, "Software\\Taalkist Tests\\Other", {{"Keep", "1"}});

    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_TRUE(Boxes().empty()) << Boxes().front().text;
    EXPECT_FALSE(fs::exists(install_));
    EXPECT_FALSE(fs::exists(menu_));
    EXPECT_FALSE(fs::exists(desk_));
    EXPECT_TRUE(fs::exists(userFolder)) << "the path comes from the machine's key";
    EXPECT_FALSE(KeyExists(RegRoot::LocalMachine, kKey));
    EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kKey));
    EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, "Software\\Taalkist Tests\\Other"));
}

TEST_F(WindowsUninstall, AMissingKeyIsReportedWithTheSystemsText) {
    EXPECT_EQ(setup::UninstallProduct(kKey), -1);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    const std::string head = std::string("Error retrieving registry key ") + kKey +
                             "\\Path\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n";
    ASSERT_TRUE(boxes[0].text.starts_with(head)) << boxes[0].text;
    const std::string reason = boxes[0].text.substr(head.size());
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(reason, "Unknown error in UninstUninitialize");
    EXPECT_EQ(reason.find('\r'), std::string::npos);
    EXPECT_TRUE(fs::exists(install_));
}

TEST_F(WindowsUninstall, RefusesSystemAndUserFoldersLinksAndMissingOnes) {
    const std::string profile = Variable("USERPROFILE");
    ASSERT_FALSE(profile.empty());
    for (const std::string &path :
         {Variable("SystemRoot"), Variable("SystemRoot") + "\\system32", std::string("C:\\"),
          profile, fs::path(profile).parent_path().string(), profile + "\\Desktop",
          Variable("ProgramFiles"), std::string("relative\\Taalkist"), temp_ / "missing"})
        ExpectRefused(path);
    // A link to a folder is no installation folder; links inside one are removed as links.
    const std::string links = Variable("TK_TEST_LINKS");
    if (links.empty())
        GTEST_SKIP() << "no links laid out (TK_TEST_LINKS)";
    ExpectRefused(links + "\\to-outside");
    std::error_code ignored;
    fs::remove(temp_ / "boxes.log", ignored);
    WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", links + "\\setup-install"}});
    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_FALSE(fs::exists(links + "\\setup-install\\data\\book.idx"));
    EXPECT_EQ(fs::file_size(links + "\\outside\\keep.txt"), 12u);
}

// setup.dll as the installation program uses it: a copy with the product's key planted
// removes the product.
TEST_F(WindowsUninstall, TheLibraryPlantsItsKeyAndUninstallsThroughItsExports) {
    using Uninst = int32_t(WINAPI *)(int32_t, int32_t, int32_t);
    using InstallDll = int32_t(WINAPI *)(const char *, const char *);
    const std::string copy = temp_ / "setup-copy.dll";
    {
        const platform::LibHandle shipped = platform::LoadLibraryFromPath(SETUP_DLL);
        ASSERT_NE(shipped, nullptr);
        const auto install =
            reinterpret_cast<InstallDll>(platform::FindExport(shipped, "SETUP_InstallDll"));
        ASSERT_NE(install, nullptr);
        EXPECT_EQ(install(kKey, copy.c_str()), 1);
        // A library never overwrites its own file.
        char self[MAX_PATH];
        ASSERT_GT(::GetModuleFileNameA(static_cast<HMODULE>(shipped), self, MAX_PATH), 0u);
        EXPECT_EQ(install(kKey, self), 0);
        platform::FreeLibraryHandle(shipped);
    }
    WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", install_}, {"ScUnin", menu_}});
    const platform::LibHandle planted = platform::LoadLibraryFromPath(copy);
    ASSERT_NE(planted, nullptr);
    const auto initialize =
        reinterpret_cast<Uninst>(platform::FindExport(planted, "UninstInitialize"));
    const auto uninstall =
        reinterpret_cast<Uninst>(platform::FindExport(planted, "UninstUnInitialize"));
    ASSERT_NE(initialize, nullptr);
    ASSERT_NE(uninstall, nullptr);
    EXPECT_EQ(initialize(7, 8, 9), 0);
    EXPECT_EQ(uninstall(0, 0, 0), 0);
    platform::FreeLibraryHandle(planted);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(fs::exists(install_));
    EXPECT_FALSE(fs::exists(menu_));
    EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kKey));
}

// An installation under a folder with a name beyond the ANSI code page: the library still
// reads its own file and writes the copy (names reach it in UTF-8).
TEST_F(WindowsUninstall, TheLibraryCopiesItselfBetweenFoldersOfAnyName) {
    using InstallDll = int32_t(WINAPI *)(const char *, const char *);
    const fs::path folder = temp_.Path() / fs::path(u8"Jos\u00e9 \u0141\u00f3d\u017a \u20ac");
    fs::create_directories(folder);
    fs::copy_file(fs::path(SETUP_DLL), folder / "setup.dll");
    const auto utf8 = [](const fs::path &path) {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    };
    const platform::LibHandle shipped = platform::LoadLibraryFromPath(utf8(folder / "setup.dll"));
    ASSERT_NE(shipped, nullptr);
    const auto install =
        reinterpret_cast<InstallDll>(platform::FindExport(shipped, "SETUP_InstallDll"));
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install(kKey, utf8(folder / u8"kopi\u00eb.dll").c_str()), 1);
    platform::FreeLibraryHandle(shipped);
    EXPECT_EQ(fs::file_size(folder / u8"kopi\u00eb.dll"), fs::file_size(folder / "setup.dll"));
}

}  // namespace
