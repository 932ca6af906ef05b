// The registry on a system without one: each hive is a .reg text file. Every change
// takes an exclusive lock, re-reads the file, and replaces it atomically, so concurrent
// writers lose nothing and readers never see half a file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>

#include "hive.h"
#include "lasterror.h"
#include "paths.h"
#include "posix_io.h"
#include "registry.h"

namespace platform {

class RegistryAccess {
  public:
    static void Set(RegKey &key, RegRoot root, std::string path, RegAccess access) {
        key.open_ = true;
        key.root_ = root;
        key.path_ = std::move(path);
        key.access_ = access;
    }
};

RegKey::RegKey(RegKey &&other) noexcept
    : open_(other.open_),
      root_(other.root_),
      path_(std::move(other.path_)),
      access_(other.access_) {
    other.open_ = false;
}

RegKey &RegKey::operator=(RegKey &&other) noexcept {
    open_ = other.open_;
    root_ = other.root_;
    path_ = std::move(other.path_);
    access_ = other.access_;
    other.open_ = false;
    return *this;
}

const char *RegRootName(RegRoot root) {
    return root == RegRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

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
    const std::string file = RegistryHiveFile(root);
    if (!HiveWritable(file))
        return kRegAccessDenied;
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
        status = ReplaceFile(file, hive.Serialize(), root);
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return status;
}

long LoadHive(RegRoot root, Hive &hive) {
    return ReadHive(RegistryHiveFile(root), hive);
}

std::string JoinPath(std::string_view parent, std::string_view child) {
    std::string joined(parent);
    joined += '\\';
    joined.append(child);
    return NormalizeKeyPath(joined);
}

// The stored key of an open handle, or the status its use must return.
long FindOpenKey(const RegKey &key, const Hive &hive, const HiveKey *&found) {
    if (!key.IsOpen())
        return kRegInvalidParameter;
    found = key.Path().empty() ? nullptr : hive.Find(RegRootName(key.Root()), key.Path());
    if (!key.Path().empty() && found == nullptr)
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

long RegOpenKey(RegRoot root, std::string_view path, RegAccess access, RegKey &key) {
    key.Close();
    const std::string normal = NormalizeKeyPath(path);
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
    if (access == RegAccess::All && !HiveWritable(RegistryHiveFile(root)))
        return kRegAccessDenied;
    RegistryAccess::Set(key, root, spelled, access);
    return kRegOk;
}

long RegOpenSubKey(const RegKey &parent, std::string_view name, RegAccess access, RegKey &key) {
    if (!parent.IsOpen())
        return kRegInvalidParameter;
    return RegOpenKey(parent.Root(), JoinPath(parent.Path(), name), access, key);
}

long RegCreateKey(RegRoot root, std::string_view path, RegKey &key) {
    key.Close();
    const std::string normal = NormalizeKeyPath(path);
    std::string spelled;
    const long status = ModifyHive(root, [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(root);
        if (!normal.empty()) {
            changed = hive.Find(rootName, normal) == nullptr;
            spelled = hive.Create(rootName, normal).path;
        }
        return kRegOk;
    });
    if (status == kRegOk)
        RegistryAccess::Set(key, root, spelled, RegAccess::All);
    return status;
}

long RegGetValue(const RegKey &key, std::string_view name, RegType &type, std::string &data) {
    Hive hive;
    const HiveKey *stored = nullptr;
    if (const long status = LoadOpenKey(key, hive, stored); status != kRegOk)
        return status;
    const HiveValue *value = stored == nullptr ? nullptr : Hive::FindValue(*stored, name);
    if (key.Path().empty()) {
        const HiveKey *rootKey = hive.Find(RegRootName(key.Root()), "");
        value = rootKey == nullptr ? nullptr : Hive::FindValue(*rootKey, name);
    }
    if (value == nullptr)
        return kRegNotFound;
    type = value->type;
    data = value->data;
    return kRegOk;
}

long RegQueryValue(const RegKey &key, std::string_view name, RegType *type, void *buffer,
                   std::size_t &size) {
    RegType storedType = RegType::None;
    std::string data;
    if (const long status = RegGetValue(key, name, storedType, data); status != kRegOk)
        return status;
    const bool text = storedType == RegType::String || storedType == RegType::ExpandString;
    if (text)
        data += '\0';
    if (type != nullptr)
        *type = storedType;
    const std::size_t room = size;
    size = data.size();
    if (buffer == nullptr)
        return kRegOk;
    if (room < data.size())
        return kRegMoreData;
    std::memcpy(buffer, data.data(), data.size());
    return kRegOk;
}

long RegGetString(const RegKey &key, std::string_view name, std::string &value) {
    value.clear();
    RegType type = RegType::None;
    std::string data;
    if (const long status = RegGetValue(key, name, type, data); status != kRegOk)
        return status;
    if (type != RegType::String && type != RegType::ExpandString)
        return kRegUnsupportedType;
    value = std::move(data);
    return kRegOk;
}

long RegSetValue(const RegKey &key, std::string_view name, RegType type, std::string_view data) {
    if (!key.IsOpen())
        return kRegInvalidParameter;
    if (!key.Writable())
        return kRegAccessDenied;
    return ModifyHive(key.Root(), [&](Hive &hive, bool &changed) {
        const char *rootName = RegRootName(key.Root());
        HiveKey *stored =
            key.Path().empty() ? &hive.Create(rootName, "") : hive.Find(rootName, key.Path());
        if (stored == nullptr)
            return kRegKeyDeleted;
        Hive::SetValue(*stored, name, type, std::string(data));
        changed = true;
        return kRegOk;
    });
}

long RegSetString(const RegKey &key, std::string_view name, std::string_view value) {
    return RegSetValue(key, name, RegType::String, value);
}

long RegSetDword(const RegKey &key, std::string_view name, std::uint32_t value) {
    char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return RegSetValue(key, name, RegType::Dword, std::string_view(bytes, 4));
}

long RegEnumSubKey(const RegKey &key, std::uint32_t index, std::string &name) {
    Hive hive;
    const HiveKey *stored = nullptr;
    if (const long status = LoadOpenKey(key, hive, stored); status != kRegOk)
        return status;
    const std::vector<std::string> names = hive.Children(RegRootName(key.Root()), key.Path());
    if (index >= names.size())
        return kRegNoMoreItems;
    name = names[index];
    return kRegOk;
}

long RegEnumValue(const RegKey &key, std::uint32_t index, std::string &name, RegType &type) {
    Hive hive;
    const HiveKey *stored = nullptr;
    if (const long status = LoadOpenKey(key, hive, stored); status != kRegOk)
        return status;
    if (key.Path().empty())
        stored = hive.Find(RegRootName(key.Root()), "");
    if (stored == nullptr || index >= stored->values.size())
        return kRegNoMoreItems;
    name = stored->values[index].name;
    type = stored->values[index].type;
    return kRegOk;
}

long RegDeleteValue(const RegKey &key, std::string_view name) {
    if (!key.IsOpen())
        return kRegInvalidParameter;
    if (!key.Writable())
        return kRegAccessDenied;
    return ModifyHive(key.Root(), [&](Hive &hive, bool &changed) {
        HiveKey *stored = hive.Find(RegRootName(key.Root()), key.Path());
        if (stored == nullptr)
            return key.Path().empty() ? kRegNotFound : kRegKeyDeleted;
        changed = Hive::RemoveValue(*stored, name);
        return changed ? kRegOk : kRegNotFound;
    });
}

long RegDeleteKey(RegRoot root, std::string_view path) {
    return DeleteKeyAt(root, NormalizeKeyPath(path));
}

long RegDeleteSubKey(const RegKey &parent, std::string_view name) {
    if (!parent.IsOpen())
        return kRegInvalidParameter;
    if (!parent.Writable())
        return kRegAccessDenied;
    if (NormalizeKeyPath(name).empty())
        return kRegInvalidParameter;
    return DeleteKeyAt(parent.Root(), JoinPath(parent.Path(), name));
}

}  // namespace platform
