// Folders on Windows: which ones are never removed, and the tree removal in the file
// system of the Windows installation (Wine's prefix in the tests).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "tempdir.h"

namespace {

namespace fs = std::filesystem;

std::string Variable(const char *name) {
    char value[MAX_PATH * 2];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void Write(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The folder of links that the test driver lays out (links cannot be made from here on
// every system), or empty.
std::string Links() {
    return Variable("TK_TEST_LINKS");
}

TEST(ProtectedFolder, SystemAndUserFoldersAndWhatHoldsThem) {
    const std::string profile = Variable("USERPROFILE");
    const std::string windows = Variable("SystemRoot");
    ASSERT_FALSE(profile.empty());
    ASSERT_FALSE(windows.empty());
    const std::string refused[] = {
        "C:\\",
        "c:/",
        windows,
        windows + "\\system32",
        windows + "\\..\\" + fs::path(windows).filename().string(),
        profile,
        profile + "\\",
        fs::path(profile).parent_path().string(),  // the folder of all profiles
        profile + "\\Desktop",
        profile + "\\Documents",
        Variable("APPDATA"),
        Variable("ProgramFiles"),
        "C:\\Some folder directly in the root",
        "relative\\folder",
        "\\no\\drive",
    };
    for (const std::string &path : refused)
        EXPECT_TRUE(platform::IsProtectedFolder(path)) << path;

    const tk::test::TempDir temp;
    const std::string allowed[] = {
        temp.Path(),
        temp.Path() + "\\Taalkist",
        Variable("ProgramFiles") + "\\Taalkist",
        profile + "\\Desktop\\Taalkist",
    };
    for (const std::string &path : allowed)
        EXPECT_FALSE(platform::IsProtectedFolder(path)) << path;

    // A link leading to a protected folder is judged by where it leads.
    if (!Links().empty()) {
        EXPECT_TRUE(platform::IsProtectedFolder(Links() + "\\to-windows"));
        EXPECT_FALSE(platform::IsProtectedFolder(Links() + "\\to-outside"));
    }
}

class FolderTree : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir_ + "\\data\\deep");
        fs::create_directories(dir_ + "\\hidden");
        Write(dir_ + "\\program.exe", "binary");
        Write(dir_ + "\\readonly.txt", "ro");
        ::SetFileAttributesA((dir_ + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        Write(dir_ + "\\hidden\\system.dat", "sys");
        ::SetFileAttributesA((dir_ + "\\hidden\\system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM |
                                                                          FILE_ATTRIBUTE_HIDDEN |
                                                                          FILE_ATTRIBUTE_READONLY);
        ::SetFileAttributesA((dir_ + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        Write(dir_ + "\\data\\deep\\book.idx", "idx");
        report_.fileStaysReadOnly = [this](const std::string &file, const std::string &folder) {
            events_.push_back("read-only " + file + " in " + folder);
        };
        report_.folderStays = [this](const std::string &folder) {
            events_.push_back("stays " + folder);
        };
    }

    tk::test::TempDir temp_;
    const std::string dir_ = temp_.Path() + "\\install";
    platform::TreeRemovalReport report_;
    std::vector<std::string> events_;
};

TEST_F(FolderTree, EverythingGoesWithTheReadOnlyAndSystemFiles) {
    platform::RemoveFolderTree(dir_, report_);
    EXPECT_TRUE(events_.empty()) << events_.front();
    EXPECT_FALSE(fs::exists(dir_));
}

TEST(FolderTreeLinks, LinksAreRemovedAsLinksAndNeverFollowed) {
    if (Links().empty())
        GTEST_SKIP() << "no links laid out (TK_TEST_LINKS)";
    std::vector<std::string> stays;
    platform::TreeRemovalReport report;
    report.folderStays = [&stays](const std::string &folder) { stays.push_back(folder); };
    // A link in the place of the folder is not entered.
    platform::RemoveFolderTree(Links() + "\\to-outside", report);
    EXPECT_EQ(stays, std::vector<std::string>{Links() + "\\to-outside"});
    // Links inside are removed as links where the system can address a link itself;
    // where it cannot (Wine opens the target instead) they stay, and so do their folders.
    // What they lead to stays in either case.
    stays.clear();
    platform::RemoveFolderTree(Links() + "\\platform-install", report);
    EXPECT_FALSE(fs::exists(Links() + "\\platform-install\\data\\book.idx"));
    EXPECT_EQ(fs::file_size(Links() + "\\outside\\keep.txt"), 12u);
    EXPECT_TRUE(fs::exists(Links() + "\\outside"));
    EXPECT_EQ(stays.empty(), !fs::exists(Links() + "\\platform-install"));
}

TEST_F(FolderTree, AFileInUseKeepsItsFolderAndTheFoldersAbove) {
    // Open without delete sharing: the file cannot be deleted while the handle lives.
    const HANDLE busy = ::CreateFileA((dir_ + "\\data\\deep\\book.idx").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    platform::RemoveFolderTree(dir_, report_);
    ::CloseHandle(busy);
    const std::vector<std::string> expected = {"stays " + dir_ + "\\data\\deep",
                                               "stays " + dir_ + "\\data", "stays " + dir_};
    EXPECT_EQ(events_, expected);
    EXPECT_TRUE(fs::exists(dir_ + "\\data\\deep\\book.idx"));
    EXPECT_FALSE(fs::exists(dir_ + "\\program.exe"));
    EXPECT_FALSE(fs::exists(dir_ + "\\hidden"));
}

}  // namespace
