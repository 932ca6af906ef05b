#include "uninstall.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "immutable.h"
#include "platform/msgbox.h"
#include "product_registry.h"
#include "sandbox.h"

namespace {

using platform::RegRoot;
using tktest::fs::exists;

constexpr char kKey[] = "Software\\Morvelt\\Taalkist";

class UninstallTest : public ::testing::Test {
  protected:
    std::vector<platform::MessageBoxRecord> Boxes() const {
        return platform::ReadMessageBoxLog(box_.Temp() / "boxes.log");
    }
    void ExpectSingleBox(const std::string &caption, const std::string &text) const {
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, caption);
        EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Error);
        EXPECT_EQ(boxes[0].text, text);
    }
    tktest::Sandbox box_;
};

TEST_F(UninstallTest, KeyUnderCurrentUserOnly) {
    const auto dir = box_.MakeInstallation();
    const std::string menu = box_.Temp() / "menu.desktop";
    const std::string desk = box_.Temp() / "desk.desktop";
    tktest::WriteText(menu, "[Desktop Entry]");
    tktest::WriteText(desk, "[Desktop Entry]");
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey,
                            {{"Path", dir.string()},
                             {"ScMenu", menu},
                             {"ScDesk", desk},
                             {"ScUnin", box_.Temp() / "gone-already.desktop"}});
    tktest::WriteProductKey(RegRoot::CurrentUser, std::string(kKey) + "\\Books\\nld-eng",
                            {{"MRU", "x"}});
    tktest::WriteProductKey(RegRoot::CurrentUser, "Software\\Morvelt\\Other", {{"Keep", "1"}});

    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(menu));
    EXPECT_FALSE(exists(desk));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, kKey));
    EXPECT_TRUE(tktest::KeyExists(RegRoot::CurrentUser, "Software\\Morvelt\\Other"));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(box_.OutsideUnchanged());
}

TEST_F(UninstallTest, KeyUnderBothRootsTakesThePathFromTheMachine) {
    const auto machineDir = box_.MakeInstallation("machine");
    const auto userDir = box_.MakeInstallation("user");
    tktest::WriteProductKey(RegRoot::LocalMachine, kKey, {{"Path", machineDir.string()}});
    tktest::WriteProductKey(RegRoot::LocalMachine, std::string(kKey) + "\\A\\B", {{"v", "1"}});
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", userDir.string()}});
    tktest::WriteProductKey(RegRoot::CurrentUser, std::string(kKey) + "\\C", {});

    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_FALSE(exists(machineDir));
    EXPECT_TRUE(exists(userDir / "program"));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::LocalMachine, kKey));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, kKey));
    EXPECT_TRUE(tktest::KeyExists(RegRoot::LocalMachine, "Software\\Morvelt"));
}

TEST_F(UninstallTest, MissingKeyIsReportedWithTheSystemText) {
    EXPECT_EQ(setup::UninstallProduct(kKey), -1);
    ExpectSingleBox("ERROR", std::string("Error retrieving registry key ") + kKey +
                                 "\\Path\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n"
                                 "The system cannot find the file specified.");
}

TEST_F(UninstallTest, OverlongPathCannotBeRead) {
    const auto dir = box_.MakeInstallation();
    tktest::WriteProductKey(RegRoot::LocalMachine, kKey, {{"Path", std::string(260, 'p')}});
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Version", "1"}});
    EXPECT_EQ(setup::UninstallProduct(kKey), -1);
    // The status kept is the last call's: the user's key has no "Path".
    ExpectSingleBox("ERROR", std::string("Error retrieving registry key ") + kKey +
                                 "\\Path\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n"
                                 "The system cannot find the file specified.");

    ::unlink(platform::RegistryHiveFile(RegRoot::CurrentUser).c_str());
    ::unlink((box_.Temp() / "boxes.log").c_str());
    EXPECT_EQ(setup::UninstallProduct(kKey), -1);
    ExpectSingleBox("ERROR", std::string("Error retrieving registry key ") + kKey +
                                 "\\Path\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n"
                                 "The system cannot find the file specified.");
    EXPECT_TRUE(exists(dir / "program"));
}

TEST_F(UninstallTest, PathOf260BytesReportsMoreData) {
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", "/" + std::string(259, 'p')}});
    EXPECT_EQ(setup::UninstallProduct(kKey), -1);
    ExpectSingleBox("ERROR", std::string("Error retrieving registry key ") + kKey +
                                 "\\Path\nin HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER:\n"
                                 "More data is available.");
}

// Folders whose removal could only be a mistake are refused, and nothing is deleted.
TEST_F(UninstallTest, RefusesDangerousOrMissingFolders) {
    const auto dir = box_.MakeInstallation();
    const std::string home = box_.Temp() / "home";
    tktest::fs::create_directories(home + "/user");
    const char *savedHome = std::getenv("HOME");
    const std::string saved = savedHome != nullptr ? savedHome : "";
    ::setenv("HOME", (home + "/user").c_str(), 1);
    const auto link = box_.Temp().Path() / "link-to-install";
    tktest::fs::create_directory_symlink(dir, link);

    const std::string refused[] = {"",    "relative/install", "/",
                                   "/..", home + "/user",     home + "/user/",
                                   home,  link.string(),      (box_.Temp() / "missing")};
    for (const std::string &path : refused) {
        ::unlink((box_.Temp() / "boxes.log").c_str());
        tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", path}});
        EXPECT_EQ(setup::UninstallProduct(kKey), -1) << path;
        ExpectSingleBox("ERROR", "Unable to access path: " + path);
        EXPECT_TRUE(tktest::KeyExists(RegRoot::CurrentUser, kKey)) << path;
    }
    ::setenv("HOME", saved.c_str(), 1);
    EXPECT_TRUE(exists(dir / "program"));
    EXPECT_TRUE(exists(home + "/user"));
    EXPECT_TRUE(box_.OutsideUnchanged());
}

// A desktop folder of the user (as XDG names it, in the user's language) is refused like a
// path that cannot be reached: a box, -1, nothing deleted, the key kept. A product inside
// one goes.
TEST_F(UninstallTest, RefusesTheUsersDesktopFolders) {
    const auto home = box_.Temp().Path() / "home" / "gebruiker";
    tktest::fs::create_directories(home / ".config");
    tktest::WriteText(home / ".config" / "user-dirs.dirs",
                      "XDG_DOCUMENTS_DIR=\"$HOME/Mijn documenten\"\n");
    const auto documents = box_.MakeInstallation("home/gebruiker/Mijn documenten");
    const auto music = box_.MakeInstallation("home/gebruiker/Music");
    const auto product = box_.MakeInstallation("home/gebruiker/Mijn documenten/taalkist");
    const char *savedHome = std::getenv("HOME");
    const std::string saved = savedHome != nullptr ? savedHome : "";
    ::setenv("HOME", home.c_str(), 1);

    for (const auto &refused : {documents, music}) {
        ::unlink((box_.Temp() / "boxes.log").c_str());
        tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", refused.string()}});
        EXPECT_EQ(setup::UninstallProduct(kKey), -1) << refused;
        ExpectSingleBox("ERROR", "Unable to access path: " + refused.string());
        EXPECT_TRUE(tktest::KeyExists(RegRoot::CurrentUser, kKey));
        EXPECT_TRUE(exists(refused / "program"));
    }
    ::unlink((box_.Temp() / "boxes.log").c_str());
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", product.string()}});
    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    ::setenv("HOME", saved.c_str(), 1);
    EXPECT_FALSE(exists(product));
    EXPECT_TRUE(exists(documents / "program"));
    EXPECT_TRUE(Boxes().empty());
}

// The registry holds file names in UTF-8: a folder named in any script is found and
// removed, and so is a key of any name with subkeys of any name. The key field may hold
// the key in UTF-8 or in Windows-1252.
TEST_F(UninstallTest, NamesInAnyScriptAreRemoved) {
    // "tk-ünï Ωμέγα 日本"
    const auto dir = box_.MakeInstallation(
        "tk-\xC3\xBCn\xC3\xAF \xCE\xA9\xCE\xBC\xCE\xAD"
        "\xCE\xB3\xCE\xB1 \xE6\x97\xA5\xE6\x9C\xAC");
    const std::string key =
        "Software\\W\xC3\xB6rterb\xC3\xBC"
        "cher";
    for (const char *field : {"Software\\W\xC3\xB6rterb\xC3\xBC"
                              "cher",
                              "Software\\W\xF6rterb\xFC"
                              "cher"}) {
        const auto copy = dir.string() + "-copy";
        tktest::fs::copy(
            dir, copy,
            tktest::fs::copy_options::recursive | tktest::fs::copy_options::copy_symlinks);
        platform::RegKey product;
        ASSERT_EQ(platform::RegCreateKey(RegRoot::CurrentUser,
                                         key + "\\\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB8",
                                         product, platform::RegText::Utf8),
                  platform::kRegOk);
        ASSERT_EQ(
            platform::RegCreateKey(RegRoot::CurrentUser, key, product, platform::RegText::Utf8),
            platform::kRegOk);
        ASSERT_EQ(platform::RegSetString(product, "Path", copy), platform::kRegOk);

        EXPECT_EQ(setup::UninstallProduct(field), 0);
        EXPECT_FALSE(exists(copy));
        EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser,
                                       "Software\\W\xF6rterb\xFC"
                                       "cher"));
        EXPECT_TRUE(Boxes().empty());
    }
    EXPECT_TRUE(exists(dir / "program"));
    EXPECT_TRUE(box_.OutsideUnchanged());
}

// A shortcut value names the file to delete, whatever its kind of name; a folder or a
// relative name is never taken for one.
TEST_F(UninstallTest, ShortcutValuesNameAnyFileButNoFolderOrRelativeName) {
    const auto dir = box_.MakeInstallation();
    const std::string menu = box_.Temp() / "Taalkist.lnk";
    tktest::WriteText(menu, "shortcut");
    const std::string folder = box_.Temp() / "shortcuts.desktop";
    tktest::fs::create_directories(folder + "/keep");
    tktest::WriteProductKey(
        RegRoot::CurrentUser, kKey,
        {{"Path", dir.string()}, {"ScMenu", menu}, {"ScDesk", folder}, {"ScUnin", "rel.desktop"}});
    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_FALSE(exists(menu));
    EXPECT_TRUE(exists(folder + "/keep"));
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, kKey));
    EXPECT_TRUE(Boxes().empty());
}

// A "Path" naming a file exists, so the removal runs: the file is no folder and stays,
// with one warning for it, and the product key goes.
TEST_F(UninstallTest, PathNamingAFileWarnsAndRemovesTheKey) {
    const auto dir = box_.MakeInstallation();
    const std::string file = (dir / "program").string();
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", file}});
    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_TRUE(exists(file));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "WARNING");
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(boxes[0].text, "Could not remove directory " + file);
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, kKey));
}

// A "Path" written with a closing delimiter is the folder named as written: the names and
// messages are made from it exactly as read.
TEST_F(UninstallTest, PathWithClosingDelimiterIsUsedAsWritten) {
    const auto dir = box_.MakeInstallation();
    const auto stuck = dir / "data" / "in-use.dll";
    tktest::WriteText(stuck, "locked");
    tktest::Immutable lock(stuck);
    if (!lock.On())
        GTEST_SKIP() << "this file system cannot make a file undeletable";
    const std::string path = dir.string() + "/";
    tktest::WriteProductKey(RegRoot::CurrentUser, kKey, {{"Path", path}});
    EXPECT_EQ(setup::UninstallProduct(kKey), 0);
    EXPECT_TRUE(exists(stuck));
    EXPECT_FALSE(exists(dir / "program"));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Could not remove directory " + path + "/data");
    EXPECT_EQ(boxes[1].text, "Could not remove directory " + path);
    EXPECT_FALSE(tktest::KeyExists(RegRoot::CurrentUser, kKey));
}

}  // namespace
