// The folders no uninstall may remove, checked on this machine's own folders and accounts
// (nothing is deleted here).
#include <dirent.h>
#include <gtest/gtest.h>
#include <pwd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/folders.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::IsProtectedFolder;

std::vector<std::string> FoldersIn(const std::string &folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(folder, error))
        if (entry.is_directory(error) && !entry.is_symlink(error))
            names.push_back(entry.path().string());
    return names;
}

// Sets an environment variable for its lifetime.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, const std::optional<std::string> &value) : name_(name) {
        if (const char *old = std::getenv(name))
            saved_ = old;
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (saved_) {
            ::setenv(name_, saved_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char *name_;
    std::optional<std::string> saved_;
};

TEST(ProtectedFolders, TheSystemsFoldersAreProtected) {
    EXPECT_TRUE(IsProtectedFolder("/"));
    EXPECT_TRUE(IsProtectedFolder("/./"));
    EXPECT_TRUE(IsProtectedFolder("relative/folder"));
    for (const std::string &folder : FoldersIn("/"))
        EXPECT_TRUE(IsProtectedFolder(folder)) << folder;
    for (const std::string &folder : FoldersIn("/usr"))
        EXPECT_TRUE(IsProtectedFolder(folder + "/")) << folder;
    // Named without a link in the way, or through one.
    EXPECT_TRUE(IsProtectedFolder("/usr/local/share"));
    EXPECT_TRUE(IsProtectedFolder("/usr/bin/../lib"));
    EXPECT_TRUE(IsProtectedFolder("/var/lib"));

    // Every folder a package owns, however deep: one from each package list.
    DIR *lists = ::opendir("/var/lib/dpkg/info");
    if (lists == nullptr)
        GTEST_SKIP() << "no package lists on this system";
    int checked = 0;
    while (const dirent *entry = ::readdir(lists)) {
        const std::string name = entry->d_name;
        if (!name.ends_with(".list") || checked >= 20)
            continue;
        std::ifstream list("/var/lib/dpkg/info/" + name);
        std::string deepest;
        for (std::string line; std::getline(list, line);) {
            std::error_code error;
            if (std::count(line.begin(), line.end(), '/') >
                    std::count(deepest.begin(), deepest.end(), '/') &&
                fs::is_directory(fs::symlink_status(line, error)))
                deepest = line;
        }
        if (std::count(deepest.begin(), deepest.end(), '/') >= 3) {
            EXPECT_TRUE(IsProtectedFolder(deepest)) << deepest << " of " << name;
            ++checked;
        }
    }
    ::closedir(lists);
    EXPECT_GT(checked, 0);
}

// Every account's home, whatever $HOME says, with the folders above it; what lies in a
// home or in /opt is the user's to remove.
TEST(ProtectedFolders, EveryHomeAndWhatHoldsItButNotWhatItHolds) {
    tktest::TempFolder temp;
    ScopedEnv home("HOME", std::nullopt);
    std::vector<std::string> homes;
    ::setpwent();
    while (const passwd *account = ::getpwent())
        if (account->pw_dir != nullptr && account->pw_dir[0] == '/')
            homes.emplace_back(account->pw_dir);
    ::endpwent();
    ASSERT_FALSE(homes.empty());
    for (const std::string &dir : homes) {
        EXPECT_TRUE(IsProtectedFolder(dir)) << dir;
        EXPECT_TRUE(IsProtectedFolder(fs::path(dir).parent_path().string())) << dir;
    }
    EXPECT_FALSE(IsProtectedFolder("/opt/tk-product-" + std::to_string(::getpid())));
    EXPECT_FALSE(IsProtectedFolder(temp / "product"));
}

// The user's desktop folders as XDG names them, in any language, and the base folders of
// settings and data; a product inside one of them can go.
TEST(ProtectedFolders, DesktopAndBaseFoldersOfTheUser) {
    tktest::TempFolder temp;
    const fs::path home = temp.Path() / "home" / "gebruiker";
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                          "XDG_DESKTOP_DIR=\"$HOME/Bureaublad\"\n"
                                                          "XDG_MUSIC_DIR=\"/srv/media/muziek\"\n";
    ScopedEnv fakeHome("HOME", home.string());
    ScopedEnv data("XDG_DATA_HOME", (temp.Path() / "data").string());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);

    for (const fs::path &kept :
         {home, home.parent_path(), home / "Bureaublad", home / "Documents", home / "Downloads",
          home / ".local" / "share", home / ".config", temp.Path() / "data",
          fs::path("/srv/media/muziek"), fs::path("/srv/media")})
        EXPECT_TRUE(IsProtectedFolder(kept.string())) << kept;
    for (const fs::path &free : {home / "Bureaublad" / "taalkist", home / "taalkist",
                                 home / ".local" / "share" / "taalkist"})
        EXPECT_FALSE(IsProtectedFolder(free.string())) << free;
}

}  // namespace
