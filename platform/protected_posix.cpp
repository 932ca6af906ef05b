// The folders an uninstaller must never delete (see IsProtectedFolder in folders.h).
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "folders.h"

namespace platform {

namespace {

// A folder setting can name anything, and a wrong one must not cost the user the system
// or their files. So these folders are never removed, nor any folder that holds one:
//  - the root and every folder directly in it (/usr, /etc, /var, /opt, /srv, /tmp, /boot,
//    /dev, /proc, /sys, /run, /media, /mnt, /home, /root, /bin, /sbin, /lib*, ...);
//  - what the operating system owns below them: every folder directly in /usr, the
//    standard folders of /usr/local and /var, and every folder a package of the system
//    owns (the package manager's lists of installed files, where there are some);
//  - every account's home folder (the password database, and $HOME) and in each the
//    desktop's user folders (Desktop, Documents, Downloads, Music, Pictures, Videos,
//    Templates, Public, or what user-dirs.dirs calls them) and the base folders of its
//    settings and data (.config, .local, .local/share, .local/state, .local/bin, .cache,
//    or what the XDG variables name).
// A folder inside one of them stays removable: a product in /opt/taalkist or in a home.
constexpr const char *kSystemFolders[] = {
    "/usr/local/bin",   "/usr/local/etc",     "/usr/local/games", "/usr/local/include",
    "/usr/local/lib",   "/usr/local/libexec", "/usr/local/man",   "/usr/local/sbin",
    "/usr/local/share", "/usr/local/src",     "/var/backups",     "/var/cache",
    "/var/lib",         "/var/local",         "/var/lock",        "/var/log",
    "/var/mail",        "/var/opt",           "/var/run",         "/var/spool",
    "/var/tmp",         "/var/www",
};
constexpr const char *kUserFolders[] = {"Desktop",  "Documents", "Downloads", "Music",
                                        "Pictures", "Videos",    "Templates", "Public"};
constexpr const char *kBaseFolders[] = {".config",      ".local",     ".local/share",
                                        ".local/state", ".local/bin", ".cache"};
constexpr const char *kXdgVariables[] = {
    "XDG_DESKTOP_DIR",  "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR",  "XDG_MUSIC_DIR",
    "XDG_PICTURES_DIR", "XDG_VIDEOS_DIR",    "XDG_TEMPLATES_DIR", "XDG_PUBLICSHARE_DIR",
    "XDG_CONFIG_HOME",  "XDG_DATA_HOME",     "XDG_STATE_HOME",    "XDG_CACHE_HOME",
};
constexpr char kPackageLists[] = "/var/lib/dpkg/info";

// The path with ".", ".." and repeated or closing slashes taken out, without looking at
// the file system (the folder may not exist yet).
std::string Lexical(const std::string &path) {
    std::vector<std::string> parts;
    std::stringstream in(path);
    for (std::string part; std::getline(in, part, '/');) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string &part : parts)
        out += '/' + part;
    return out.empty() ? "/" : out;
}

// The path with every link resolved; empty when it does not exist.
std::string Resolved(const std::string &path) {
    char *real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return {};
    std::string out = real;
    std::free(real);
    return out;
}

// What user-dirs.dirs of a home calls the user folders ("$HOME/Bureaublad").
void AddUserDirsFile(const std::string &home, const std::string &file,
                     std::vector<std::string> &folders) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find("=\"");
        if (!line.starts_with("XDG_") || equals == std::string::npos || line.back() != '"')
            continue;
        std::string value = line.substr(equals + 2, line.size() - equals - 3);
        if (value.starts_with("$HOME"))
            value = home + value.substr(5);
        if (value.starts_with("/"))
            folders.push_back(value);
    }
}

void AddHome(const std::string &home, std::vector<std::string> &folders) {
    if (home.empty() || home.front() != '/')
        return;
    folders.push_back(home);
    for (const char *name : kUserFolders)
        folders.push_back(home + '/' + name);
    for (const char *name : kBaseFolders)
        folders.push_back(home + '/' + name);
    AddUserDirsFile(home, home + "/.config/user-dirs.dirs", folders);
}

// The folders that must stay, with everything that holds them.
std::vector<std::string> KeptFolders() {
    std::vector<std::string> folders(std::begin(kSystemFolders), std::end(kSystemFolders));
    ::setpwent();
    while (const passwd *account = ::getpwent())
        if (account->pw_dir != nullptr)
            AddHome(account->pw_dir, folders);
    ::endpwent();
    const char *home = std::getenv("HOME");
    AddHome(home != nullptr ? home : "", folders);
    if (const char *config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        AddUserDirsFile(home != nullptr ? home : "", std::string(config) + "/user-dirs.dirs",
                        folders);
    for (const char *name : kXdgVariables)
        if (const char *value = std::getenv(name); value != nullptr && *value == '/')
            folders.push_back(value);
    return folders;
}

// `inner` is `outer` or lies inside it.
bool Holds(const std::string &outer, const std::string &inner) {
    return inner == outer || (inner.size() > outer.size() && inner.starts_with(outer) &&
                              (outer == "/" || inner[outer.size()] == '/'));
}

// Whether a package lists the folder among its files. Folders a merged /usr reaches by
// two names (/lib and /usr/lib) are looked up by both.
bool PackageOwns(const std::string &folder) {
    std::vector<std::string> lines = {'\n' + folder + '\n'};
    for (const char *merged : {"/bin/", "/sbin/", "/lib"}) {
        if (folder.starts_with(merged))
            lines.push_back("\n/usr" + folder + '\n');
        if (folder.starts_with(std::string("/usr") + merged))
            lines.push_back('\n' + folder.substr(4) + '\n');
    }
    DIR *lists = ::opendir(kPackageLists);
    if (lists == nullptr)
        return false;
    bool owned = false;
    std::string content;
    while (const dirent *entry = ::readdir(lists)) {
        const std::string_view name = entry->d_name;
        if (!name.ends_with(".list"))
            continue;
        std::ifstream in(std::string(kPackageLists) + '/' + entry->d_name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        content = '\n' + text.str();
        if (!content.ends_with('\n'))
            content += '\n';
        for (const std::string &line : lines)
            owned = owned || content.find(line) != std::string::npos;
        if (owned)
            break;
    }
    ::closedir(lists);
    return owned;
}

bool IsProtectedName(const std::string &folder, const std::vector<std::string> &kept) {
    // The root, a folder directly in it, or a folder directly in /usr.
    const std::size_t depth = static_cast<std::size_t>(
        std::count(folder.begin(), folder.end(), '/') - (folder == "/" ? 1 : 0));
    if (depth <= 1 || (depth == 2 && folder.starts_with("/usr/")))
        return true;
    for (const std::string &name : kept) {
        if (Holds(folder, Lexical(name)))
            return true;
        if (const std::string real = Resolved(name); !real.empty() && Holds(folder, real))
            return true;
    }
    return PackageOwns(folder);
}

}  // namespace

bool IsProtectedFolder(const std::string &path) {
    if (!IsAbsolutePath(path))
        return true;
    const std::vector<std::string> kept = KeptFolders();
    if (IsProtectedName(Lexical(path), kept))
        return true;
    const std::string real = Resolved(path);
    return !real.empty() && real != Lexical(path) && IsProtectedName(real, kept);
}

}  // namespace platform
