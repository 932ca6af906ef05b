// The registry on a system without one: each hive is a .reg text file. Every change
// takes an exclusive lock, re-reads the file, and replaces it atomically, so concurrent
// writers lose nothing and readers never see half a file. Each call reads the file once
// into an index, and a change rewrites only the lines it concerns.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>

#include "encoding.h"
#include "hive.h"
#include "lasterror.h"
#include "paths.h"
#include "posix_io.h"
#include "registry.h"
#include "registry_access.h"

namespace platform {

std::string RegistryHiveFile(RegRoot root) {
    const char *file = root == RegRoot::CurrentUser ? "user.reg" : "machine.reg";
    if (const char *dir = std::getenv("TAALKIST_REGISTRY_DIR"); dir != nullptr && *dir != '\0')
        return IncludeTrailingDelimiter(dir) + file;
    if (root == RegRoot::LocalMachine)
        return std::string("/etc/taalkist/") + file;
    std::string config;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        config = xdg;
    } else if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        config = std::string(home) + "/.config";
    } else {
        config = "/tmp";
    }
    return IncludeTrailingDelimiter(config) + "taalkist/" + file;
}

namespace {

using posix::WriteAll;

std::string FolderOf(const std::string &file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
}

// The file a hive's name leads to. A settings file that is a symbolic link (kept with
// the user's other dotfiles, say) is changed where it lies, and the link stays a link.
// Empty for a loop of links.
std::string ResolvedFile(const std::string &file) {
    std::string path = file;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) + 1,
                           '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return {};
        target.resize(static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : FolderOf(path) + '/' + target;
    }
    return {};
}

// Reads the whole hive file; a missing file is an empty hive.
long ReadHive(const std::string &file, Hive &hive) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            hive = Hive();
            return kRegOk;
        }
        return errno == EACCES ? kRegAccessDenied : kRegBadFile;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return kRegBadFile;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    hive = Hive::Parse(text);
    return kRegOk;
}

// A file that nobody may write is read-only here even for the superuser, as a
// read-only hive is on Windows; a missing file is writable where it can be created.
bool HiveWritable(const std::string &file) {
    if (file.empty())
        return false;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0)
        return (info.st_mode & 0222) != 0 && ::access(file.c_str(), W_OK) == 0;
    std::string folder = FolderOf(file);
    while (::stat(folder.c_str(), &info) != 0 && folder != "/" && folder != ".")
        folder = FolderOf(folder);
    return S_ISDIR(info.st_mode) && ::access(folder.c_str(), W_OK) == 0;
}

long ReplaceFile(const std::string &file, const std::string &text, RegRoot root) {
    std::string temp = file + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES || errno == EROFS ? kRegAccessDenied : kRegBadFile;
    struct stat info {};
    const mode_t mode = ::stat(file.c_str(), &info) == 0
                            ? (info.st_mode & 07777)
                            : (root == RegRoot::CurrentUser ? 0600 : 0644);
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return kRegBadFile;
    }
    // The new name must survive a crash as well as the new content.
    const int dir = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return kRegOk;
}

// Threads of one process also exclude each other: flock locks belong to the open file,
// and each change opens its own.
std::mutex g_writeMutex;

// Runs `change` on the current content of the hive under an exclusive lock and stores
// the result when `change` succeeds and reports a modification.
long ModifyHive(RegRoot root, const std::function<long(Hive &, bool &)> &change) {
    const std::string file = ResolvedFile(RegistryHiveFile(root));
    if (!HiveWritable(file))
        return file.empty() ? kRegBadFile : kRegAccessDenied;
    if (!ForceDirectories(FolderOf(file)))
        return kRegAccessDenied;
    std::lock_guard<std::mutex> guard(g_writeMutex);
    const std::string lockName = file + ".lock";
    const int lock = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock < 0)
        return errno == EACCES || errno == EROFS ? kRegAccessDenied : kRegBadFile;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return kRegBadFile;
        }
    }
    Hive hive;
    long status = ReadHive(file, hive);
    bool changed = false;
    if (status == kRegOk)
        status = change(hive, changed);
    if (status == kRegOk && changed)
        status = ReplaceFile(file, hive.Bytes(), root);
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return status;
}

long LoadHive(RegRoot root, Hive &hive) {
    return ReadHive(RegistryHiveFile(root), hive);
}

}  // namespace

// Opens a key named by its stored path; the handle speaks `text`.
long OpenStored(RegRoot root, const std::string &normal, RegAccess access, RegText text,
                RegKey &key) {
    key.Close();
    Hive hive;
    if (const long status = LoadHive(root, hive); status != kRegOk)
        return status;
    std::string spelled = normal;
    if (!normal.empty()) {
        const HiveKey *found = hive.Find(RegRootName(root), normal);
        if (found == nullptr)
            return kRegNotFound;
        spelled = found->path;
    }
    if (access == RegAccess::All && !HiveWritable(ResolvedFile(RegistryHiveFile(root))))
        return kRegAccessDenied;
    std::string path;
    if (const long status = TextFromStore(text, spelled, path); status != kRegOk)
        return status;
    RegistryAccess::Set(key, root, spelled, path, access, text);
    return kRegOk;
}

namespace {

// The stored key of an open handle (null for a root without values), or the status its
// use must return.
long FindOpenKey(const RegKey &key, const Hive &hive, const HiveKey *&found) {
    if (!key.IsOpen())
        return kRegInvalidParameter;
    const std::string &path = RegistryAccess::StoredPath(key);
    found = hive.Find(RegRootName(key.Root()), path);
    if (!path.empty() && found == nullptr)
        return kRegKeyDeleted;
    return kRegOk;
}

// Reads the handle's hive and finds its stored key in it, for the read-only operations.
long LoadOpenKey(const RegKey &key, Hive &hive, const HiveKey *&found) {
    found = nullptr;
    if (const long status = LoadHive(key.Root(), hive); status != kRegOk)
        return status;
    return FindOpenKey(key, hive, found);
}

long DeleteKeyAt(RegRoot root, const std::string &path) {
    if (path.empty())
        return kRegAccessDenied;
    return ModifyHive(root, [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(root);
        if (hive.Find(rootName, path) == nullptr)
            return kRegNotFound;
        // As on Windows, only a key without subkeys can be deleted.
        if (!hive.Children(rootName, path).empty())
            return kRegAccessDenied;
        hive.RemoveTree(rootName, path);
        changed = true;
        return kRegOk;
    });
}

}  // namespace

long RegCreateKey(RegRoot root, std::string_view path, RegKey &key, RegText text) {
    key.Close();
    std::string stored;
    if (const long status = NameToStore(text, path, stored); status != kRegOk)
        return status;
    const std::string normal = NormalizeKeyPath(stored);
    std::string spelled;
    long status = ModifyHive(root, [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(root);
        if (!normal.empty()) {
            changed = hive.Find(rootName, normal) == nullptr;
            const HiveKey *created = hive.Create(rootName, normal);
            if (created == nullptr)
                return kRegInvalidParameter;  // deeper or longer than keys go
            spelled = created->path;
        }
        return kRegOk;
    });
    std::string facePath;
    if (status == kRegOk)
        status = TextFromStore(text, spelled, facePath);
    if (status == kRegOk)
        RegistryAccess::Set(key, root, spelled, facePath, RegAccess::All, text);
    return status;
}

long RegGetValue(const RegKey &key, std::string_view name, RegType &type, std::string &data) {
    std::string storedName;
    if (const long status = NameToStore(key.Text(), name, storedName); status != kRegOk)
        return status;
    Hive hive;
    const HiveKey *stored = nullptr;
    if (const long status = LoadOpenKey(key, hive, stored); status != kRegOk)
        return status;
    const HiveValue *value = stored == nullptr ? nullptr : Hive::FindValue(*stored, storedName);
    if (value == nullptr)
        return kRegNotFound;
    if (const long status = ValueFromStore(key, value->type, value->data, data); status != kRegOk)
        return status;
    type = value->type;
    return kRegOk;
}

long RegSetValue(const RegKey &key, std::string_view name, RegType type, std::string_view data) {
    std::string storedName;
    std::string storedData;
    if (const long status = ValueToStore(key, name, type, data, storedName, storedData);
        status != kRegOk)
        return status;
    return ModifyHive(key.Root(), [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(key.Root());
        const std::string &path = RegistryAccess::StoredPath(key);
        if (!path.empty() && hive.Find(rootName, path) == nullptr)
            return kRegKeyDeleted;
        if (!hive.SetValue(rootName, path, storedName, type, storedData))
            return kRegNoUnicodeTranslation;
        changed = true;
        return kRegOk;
    });
}

long RegEnumSubKey(const RegKey &key, std::uint32_t index, std::string &name) {
    Hive hive;
    const HiveKey *stored = nullptr;
    if (const long status = LoadOpenKey(key, hive, stored); status != kRegOk)
        return status;
    const std::vector<std::string> names =
        hive.Children(RegRootName(key.Root()), RegistryAccess::StoredPath(key));
    if (index >= names.size())
        return kRegNoMoreItems;
    return TextFromStore(key.Text(), names[index], name);
}

long RegEnumValue(const RegKey &key, std::uint32_t index, std::string &name, RegType &type) {
    Hive hive;
    const HiveKey *stored = nullptr;
    if (const long status = LoadOpenKey(key, hive, stored); status != kRegOk)
        return status;
    if (stored == nullptr || index >= stored->values.size())
        return kRegNoMoreItems;
    if (const long status = TextFromStore(key.Text(), stored->values[index].name, name);
        status != kRegOk)
        return status;
    type = stored->values[index].type;
    return kRegOk;
}

long RegDeleteValue(const RegKey &key, std::string_view name) {
    std::string storedName;
    if (const long status = NameToChange(key, name, storedName); status != kRegOk)
        return status;
    return ModifyHive(key.Root(), [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(key.Root());
        const std::string &path = RegistryAccess::StoredPath(key);
        if (hive.Find(rootName, path) == nullptr)
            return path.empty() ? kRegNotFound : kRegKeyDeleted;
        changed = hive.RemoveValue(rootName, path, storedName);
        return changed ? kRegOk : kRegNotFound;
    });
}

long RegDeleteKey(RegRoot root, std::string_view path, RegText text) {
    std::string stored;
    if (const long status = NameToStore(text, path, stored); status != kRegOk)
        return status;
    return DeleteKeyAt(root, NormalizeKeyPath(stored));
}

long RegDeleteSubKey(const RegKey &parent, std::string_view name) {
    std::string stored;
    if (const long status = NameToChange(parent, name, stored); status != kRegOk)
        return status;
    if (NormalizeKeyPath(stored).empty())
        return kRegInvalidParameter;
    return DeleteKeyAt(parent.Root(), JoinPath(RegistryAccess::StoredPath(parent), stored));
}

long RegDeleteTree(const RegKey &key, std::string_view subKey) {
    std::string stored;
    if (const long status = NameToChange(key, subKey, stored); status != kRegOk)
        return status;
    const bool below = !NormalizeKeyPath(stored).empty();
    const std::string path = JoinPath(RegistryAccess::StoredPath(key), stored);
    return ModifyHive(key.Root(), [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(key.Root());
        if (hive.Find(rootName, path) == nullptr) {
            if (below)
                return kRegNotFound;
            return path.empty() ? kRegOk : kRegKeyDeleted;
        }
        if (below) {
            hive.RemoveTree(rootName, path);
        } else {
            hive.ClearTree(rootName, path);
        }
        changed = true;
        return kRegOk;
    });
}

}  // namespace platform
