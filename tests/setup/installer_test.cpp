// tkinstall end to end: install a product folder for a user, then remove it again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/msgbox.h"
#include "platform/process_posix.h"
#include "product_registry.h"
#include "sandbox.h"

namespace {

using platform::RegRoot;
namespace fs = tktest::fs;

// Points HOME and the XDG folders into the test's folder for its lifetime.
class FakeHome {
  public:
    explicit FakeHome(const fs::path &home) {
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_DESKTOP_DIR"}) {
            const char *value = std::getenv(name);
            saved_.emplace_back(
                name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        fs::create_directories(home / "Desktop");
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_DESKTOP_DIR");
    }
    ~FakeHome() {
        for (const auto &[name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

int RunTool(const std::vector<std::string> &argv) {
    return platform::posix::RunAndWait(argv);
}

// Runs the tool and returns what it wrote to standard error.
std::string RunToolForMessage(const std::vector<std::string> &argv, int &status) {
    std::vector<std::string> shell = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1 >/dev/null"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    std::string message;
    status = platform::posix::RunAndWait(shell, &message);
    return message;
}

// A product folder as the build lays it out, with the given registry key.
fs::path MakeProduct(const tktest::Sandbox &box, const std::string &key) {
    const fs::path product = box.Temp().Path() / "product";
    fs::create_directories(product / "data");
    fs::create_directories(product / "imgs");
    fs::copy_file(TKINSTALL, product / "tkinstall");
    fs::copy_file(SETUP_SO, product / "setup.so");
    tktest::WriteText(product / "data" / "dict.cfg", "[application]\nregkey=" + key + "\n");
    return product;
}

TEST(Installer, InstallsAndUninstallsTheProductFolder) {
    tktest::Sandbox box;
    const fs::path home = box.Temp().Path() / "home";
    FakeHome fake(home);
    const fs::path product = MakeProduct(box, "Software\\Test\\Tk");
    tktest::WriteText(product / "imgs" / "nl-en.bmp", "BM");
    const fs::path prefix = box.Temp().Path() / "opt" / "taal kist";

    ASSERT_EQ(RunTool({(product / "tkinstall").string(), "install", "--prefix", prefix.string()}),
              0);
    EXPECT_EQ(tktest::ReadText(prefix / "imgs" / "nl-en.bmp"), "BM");
    EXPECT_TRUE(fs::exists(prefix / "uninst.so"));
    platform::RegKey key;
    ASSERT_EQ(platform::RegOpenKey(RegRoot::CurrentUser, "Software\\Test\\Tk",
                                   platform::RegAccess::Read, key),
              platform::kRegOk);
    std::string path, menu, desk, unin;
    EXPECT_EQ(platform::RegGetString(key, "Path", path), platform::kRegOk);
    EXPECT_EQ(path, prefix.string());
    EXPECT_EQ(platform::RegGetString(key, "ScMenu", menu), platform::kRegOk);
    EXPECT_EQ(platform::RegGetString(key, "ScDesk", desk), platform::kRegOk);
    EXPECT_EQ(platform::RegGetString(key, "ScUnin", unin), platform::kRegOk);
    EXPECT_EQ(menu, (home / ".local/share/applications/taalkist.desktop").string());
    EXPECT_EQ(desk, (home / "Desktop/taalkist.desktop").string());
    // The blank in the folder name is quoted the way desktop entries want it.
    EXPECT_NE(tktest::ReadText(unin).find("Exec=\"" + prefix.string() + "/tkinstall\" uninstall"),
              std::string::npos);

    // Installing into the product folder itself, or over the home folder, is refused.
    EXPECT_NE(RunTool({(product / "tkinstall").string(), "install", "--prefix", product.string()}),
              0);
    EXPECT_NE(RunTool({(product / "tkinstall").string(), "install", "--prefix", home.string()}), 0);

    ASSERT_EQ(RunTool({(prefix / "tkinstall").string(), "uninstall"}), 0);
    EXPECT_FALSE(fs::exists(prefix));
    EXPECT_FALSE(fs::exists(menu));
    EXPECT_FALSE(fs::exists(desk));
    EXPECT_FALSE(fs::exists(unin));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, "Software\\Test\\Tk"));
    EXPECT_TRUE(fs::exists(product / "setup.so"));
    EXPECT_TRUE(platform::ReadMessageBoxLog(box.Temp() / "boxes.log").empty());

    // Nothing left to remove: the uninstaller says so and fails.
    EXPECT_NE(RunTool({(product / "tkinstall").string(), "uninstall", "--from", prefix.string()}),
              0);
}

// Installed twice, into two folders, the registry knows only the second: removing the
// first would remove the second. It is refused with a message and nothing goes.
TEST(Installer, UninstallFromAFolderTheRegistryNoLongerNamesRemovesNothing) {
    tktest::Sandbox box;
    FakeHome fake(box.Temp().Path() / "home");
    const fs::path product = MakeProduct(box, "Software\\Test\\Twice");
    const fs::path first = box.Temp().Path() / "first";
    const fs::path second = box.Temp().Path() / "second";
    const std::string tool = (product / "tkinstall").string();
    ASSERT_EQ(RunTool({tool, "install", "--prefix", first.string()}), 0);
    ASSERT_EQ(RunTool({tool, "install", "--prefix", second.string()}), 0);

    int status = 0;
    const std::string message =
        RunToolForMessage({tool, "uninstall", "--from", first.string()}, status);
    EXPECT_NE(status, 0);
    EXPECT_NE(message.find(first.string()), std::string::npos) << message;
    EXPECT_NE(message.find(second.string()), std::string::npos) << message;
    EXPECT_TRUE(fs::exists(first / "uninst.so"));
    EXPECT_TRUE(fs::exists(second / "uninst.so"));
    EXPECT_TRUE(tktest::KeyExists(RegRoot::CurrentUser, "Software\\Test\\Twice"));

    // Nor does the first copy's own uninstall command.
    EXPECT_NE(RunTool({(first / "tkinstall").string(), "uninstall"}), 0);
    EXPECT_TRUE(fs::exists(second / "uninst.so"));

    ASSERT_EQ(RunTool({tool, "uninstall", "--from", second.string() + "/"}), 0);
    EXPECT_FALSE(fs::exists(second));
    // Now no installation is registered at all: still nothing goes.
    EXPECT_NE(RunTool({tool, "uninstall", "--from", first.string()}), 0);
    EXPECT_TRUE(fs::exists(first / "uninst.so"));
}

// A folder name with letters of any script goes into user.reg as UTF-8, the encoding of
// .reg files, and is removed again from there.
TEST(Installer, NonAsciiPrefixIsRecordedInUtf8AndRemoved) {
    tktest::Sandbox box;
    FakeHome fake(box.Temp().Path() / "home");
    // "Wörterbücher Ω 辞書"
    const fs::path prefix = box.Temp().Path() /
                            "W\xC3\xB6rterb\xC3\xBC"
                            "cher \xCE\xA9 \xE8\xBE\x9E\xE6\x9B\xB8";
    // dict.cfg as a Windows editor saves it: Windows-1252.
    const fs::path product = MakeProduct(box, "Software\\W\xF6rter");
    const std::string tool = (product / "tkinstall").string();
    ASSERT_EQ(RunTool({tool, "install", "--prefix", prefix.string()}), 0);
    const std::string hive = tktest::ReadText(platform::RegistryHiveFile(RegRoot::CurrentUser));
    EXPECT_NE(hive.find("[HKEY_CURRENT_USER\\Software\\W\xC3\xB6rter]"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"Path\"=\"" + prefix.string() + "\""), std::string::npos) << hive;

    ASSERT_EQ(RunTool({(prefix / "tkinstall").string(), "uninstall"}), 0);
    EXPECT_FALSE(fs::exists(prefix));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, "Software\\W\xF6rter"));
}

}  // namespace
