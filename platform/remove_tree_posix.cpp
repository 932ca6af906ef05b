// Removing a folder tree through open folder handles (see folders.h).
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

#include "folders.h"

namespace platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Folder handles kept open on the way down; the rest are opened again through "..".
constexpr std::size_t kOpenLevels = 32;

// Opens the folder `name` of `parent` without following a link. openat2 also refuses to
// step onto another mount (EXDEV); kernels or sandboxes without it get plain openat, and
// the caller compares mounts in either case.
int OpenChildFolder(int parent, const char *name) {
    static std::atomic<bool> withoutOpenat2{false};
    if (!withoutOpenat2.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = kFolderFlags;
        how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, parent, name, &how, sizeof how);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG))
            return static_cast<int>(fd);
        withoutOpenat2.store(true, std::memory_order_relaxed);
    }
    return ::openat(parent, name, kFolderFlags);
}

// The mount ID of an open file: from statx, else from /proc/self/fdinfo.
std::optional<std::uint64_t> MountId(int fd) {
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &info) == 0 &&
        (info.stx_mask & STATX_MNT_ID) != 0)
        return info.stx_mnt_id;
    std::ifstream fdinfo("/proc/self/fdinfo/" + std::to_string(fd));
    std::string field;
    while (fdinfo >> field) {
        if (field == "mnt_id:") {
            std::uint64_t id = 0;
            if (fdinfo >> id)
                return id;
        }
    }
    return std::nullopt;
}

// A bind mount of the same file system keeps the device number; only the mount ID
// tells it apart.
bool SameMount(int a, int b) {
    struct stat first {
    }, second{};
    if (::fstat(a, &first) != 0 || ::fstat(b, &second) != 0 || first.st_dev != second.st_dev)
        return false;
    const std::optional<std::uint64_t> idA = MountId(a), idB = MountId(b);
    return !idA || !idB || *idA == *idB;
}

// Gives the owner every right on a folder reached by name, when the owner lacks one it
// needs to list and empty it. Goes through an O_PATH handle, so a link put in the
// folder's place is not followed.
bool OpenUpFolder(int parent, const char *name) {
    const int fd = ::openat(parent, name, O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool done = false;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        const std::string handle = "/proc/self/fd/" + std::to_string(fd);
        done = ::chmod(handle.c_str(), (info.st_mode & 07777) | S_IRWXU) == 0;
    }
    ::close(fd);
    return done;
}

// Makes a read-only file writable for its owner; links are left alone.
bool MakeFileWritable(int parent, const char *name) {
    const int fd = ::openat(parent, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool done = false;
    if (::fstat(fd, &info) == 0 && !S_ISLNK(info.st_mode) && !S_ISDIR(info.st_mode)) {
        const std::string handle = "/proc/self/fd/" + std::to_string(fd);
        const mode_t mode = (info.st_mode & 07777) | S_IWUSR;
        done = ::chmod(handle.c_str(), mode) == 0;
        // Without /proc, the name itself (just seen not to be a link) has to do.
        if (!done && errno == ENOENT)
            done = ::fchmodat(parent, name, mode, 0) == 0;
    }
    ::close(fd);
    return done;
}

// One folder on the way down.
struct Level {
    int fd = -1;  // -1 while closed to spare handles
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    std::string name;                  // its name in its parent
    std::size_t pathLength = 0;        // its full name is the first pathLength bytes of the path
    std::vector<std::string> folders;  // its subfolders, in the order met
    std::size_t next = 0;
};

// Opens a subfolder: makes it enterable when its owner lacks the rights, and refuses a
// mount point (nothing behind one is ours). -1 with errno EXDEV for a mount point.
int EnterFolder(int parent, const std::string &name) {
    int fd = OpenChildFolder(parent, name.c_str());
    if (fd < 0 && errno == EACCES && OpenUpFolder(parent, name.c_str()))
        fd = OpenChildFolder(parent, name.c_str());
    if (fd < 0)
        return -1;
    if (!SameMount(parent, fd)) {
        ::close(fd);
        errno = EXDEV;
        return -1;
    }
    struct stat info {};
    // Entries of a folder without write or search right for its owner cannot go.
    if (::fstat(fd, &info) == 0 && (info.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(fd, (info.st_mode & 07777) | S_IRWXU);
    return fd;
}

// Deletes the files of an open folder and notes its subfolders.
void ClearFiles(Level &level, const std::string &path, const TreeRemovalReport &report) {
    std::vector<std::string> names;
    const int listingFd = ::dup(level.fd);
    if (listingFd >= 0) {
        if (DIR *listing = ::fdopendir(listingFd)) {
            while (const dirent *entry = ::readdir(listing)) {
                const std::string_view name = entry->d_name;
                if (name != "." && name != "..")
                    names.emplace_back(name);
            }
            ::closedir(listing);
        } else {
            ::close(listingFd);
        }
    }
    for (std::string &name : names) {
        struct stat info {};
        if (::fstatat(level.fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(info.st_mode)) {
            level.folders.push_back(std::move(name));
            continue;
        }
        const bool readOnly = !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
        if (readOnly && info.st_mode != 0 && !MakeFileWritable(level.fd, name.c_str()) &&
            report.fileStaysReadOnly)
            report.fileStaysReadOnly(path + '/' + name, path);
        ::unlinkat(level.fd, name.c_str(), 0);  // a file that stays shows nothing
    }
}

// Opens the parent of an open folder again and checks that it is still the folder that
// was left: a tree moved meanwhile is not followed.
int ReopenParent(int child, const Level &parent) {
    const int fd = ::openat(child, "..", kFolderFlags);
    struct stat info {};
    if (fd >= 0 &&
        (::fstat(fd, &info) != 0 || info.st_dev != parent.device || info.st_ino != parent.inode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool Identify(Level &level) {
    struct stat info {};
    if (::fstat(level.fd, &info) != 0)
        return false;
    level.device = info.st_dev;
    level.inode = info.st_ino;
    level.mode = info.st_mode;
    return true;
}

}  // namespace

void RemoveFolderTree(const std::string &dir, const TreeRemovalReport &report) {
    const auto stays = [&report](const std::string &folder) {
        if (report.folderStays)
            report.folderStays(folder);
    };
    // The top is opened through its parent, so that a link in its place is not followed.
    std::string base = dir;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::size_t slash = base.rfind('/');
    const std::string parentName = slash == std::string::npos ? "." : base.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? base : base.substr(slash + 1);
    const int top = ::open(parentName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (top < 0 || leaf.empty()) {
        stays(dir);
        if (top >= 0)
            ::close(top);
        return;
    }

    std::vector<Level> stack;
    std::string path = dir;
    Level first;
    first.name = leaf;
    first.pathLength = dir.size();
    first.fd = ::openat(top, leaf.c_str(), kFolderFlags);
    if (first.fd < 0 && errno == EACCES && OpenUpFolder(top, leaf.c_str()))
        first.fd = ::openat(top, leaf.c_str(), kFolderFlags);
    if (first.fd >= 0 && Identify(first)) {
        if ((first.mode & S_IRWXU) != S_IRWXU)
            ::fchmod(first.fd, (first.mode & 07777) | S_IRWXU);
        stack.push_back(std::move(first));
        ClearFiles(stack.back(), path, report);
    } else {
        // Not a folder (a file, a link, nothing): only an empty folder could go.
        if (first.fd >= 0)
            ::close(first.fd);
        if (::unlinkat(top, leaf.c_str(), AT_REMOVEDIR) != 0)
            stays(dir);
    }

    while (!stack.empty()) {
        Level &level = stack.back();
        if (level.next < level.folders.size()) {
            const std::string name = level.folders[level.next++];
            path.resize(level.pathLength);
            path += '/';
            path += name;
            Level child;
            child.name = name;
            child.pathLength = path.size();
            child.fd = EnterFolder(level.fd, name);
            if (child.fd < 0) {
                // Another file system is left as it is (its parent then stays too);
                // anything else that cannot be entered is removed if it is empty.
                if (errno != EXDEV && ::unlinkat(level.fd, name.c_str(), AT_REMOVEDIR) != 0 &&
                    errno != ENOENT)
                    stays(path);
                continue;
            }
            if (!Identify(child)) {
                ::close(child.fd);
                stays(path);
                continue;
            }
            stack.push_back(std::move(child));
            ClearFiles(stack.back(), path, report);
            if (stack.size() > kOpenLevels) {
                Level &far = stack[stack.size() - 1 - kOpenLevels];
                ::close(far.fd);
                far.fd = -1;
            }
            continue;
        }
        // Everything below is done; the folder itself goes.
        Level done = std::move(stack.back());
        stack.pop_back();
        path.resize(done.pathLength);
        if (stack.empty()) {
            ::close(done.fd);
            if (::unlinkat(top, leaf.c_str(), AT_REMOVEDIR) != 0)
                stays(dir);
            break;
        }
        Level &up = stack.back();
        if (up.fd < 0)
            up.fd = ReopenParent(done.fd, up);
        ::close(done.fd);
        if (up.fd < 0) {
            // The tree was moved while it was walked: what is left stays.
            stays(path);
            for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
                if (it->fd >= 0)
                    ::close(it->fd);
                stays(path.substr(0, it->pathLength));
            }
            stack.clear();
            break;
        }
        if (::unlinkat(up.fd, done.name.c_str(), AT_REMOVEDIR) != 0)
            stays(path);
    }
    ::close(top);
}

}  // namespace platform
