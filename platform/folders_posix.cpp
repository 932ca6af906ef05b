#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "folders.h"
#include "lasterror.h"

namespace platform {

namespace {

bool Fail() {
    SetLastErrorFromErrno(errno);
    return false;
}

std::string Resolved(const std::string &path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

}  // namespace

bool ListFolder(const std::string &dir, std::vector<FolderEntry> &entries) {
    entries.clear();
    // O_NOFOLLOW: a folder swapped for a link after it was listed is not entered.
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    struct stat self {};
    if (::fstat(fd, &self) != 0) {
        ::close(fd);
        return Fail();
    }
    DIR *listing = ::fdopendir(fd);
    if (listing == nullptr) {
        ::close(fd);
        return Fail();
    }
    while (const dirent *entry = ::readdir(listing)) {
        FolderEntry item;
        item.name = entry->d_name;
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            item.kind = EntryKind::File;  // vanished or unreadable: deleting will tell
        } else if (S_ISLNK(info.st_mode)) {
            item.kind = EntryKind::Link;
        } else if (S_ISDIR(info.st_mode)) {
            const bool dots = item.name == "." || item.name == "..";
            item.kind =
                info.st_dev == self.st_dev || dots ? EntryKind::Folder : EntryKind::MountPoint;
        } else {
            item.kind = EntryKind::File;
            item.readOnly = (info.st_mode & S_IWUSR) == 0;
        }
        entries.push_back(std::move(item));
    }
    ::closedir(listing);
    return true;
}

bool MakeWritable(const std::string &file) {
    // Through an O_PATH handle, so that a link put in the file's place is not followed.
    const int fd = ::open(file.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISLNK(info.st_mode) || S_ISDIR(info.st_mode)) {
        ::close(fd);
        SetLastError(kErrAccessDenied, "");
        return false;
    }
    const std::string handle = "/proc/self/fd/" + std::to_string(fd);
    const mode_t mode = (info.st_mode & 07777) | S_IWUSR;
    bool done = ::chmod(handle.c_str(), mode) == 0;
    // Without /proc, the name itself (checked above not to be a link) has to do.
    if (!done && errno == ENOENT)
        done = ::chmod(file.c_str(), mode) == 0;
    const int error = errno;
    ::close(fd);
    if (!done) {
        errno = error;
        return Fail();
    }
    return true;
}

bool DeleteFileEntry(const std::string &path) {
    return ::unlink(path.c_str()) == 0 || Fail();
}

bool RemoveEmptyFolder(const std::string &dir) {
    if (!IsRealFolder(dir)) {
        SetLastError(kErrPathNotFound, "");
        return false;
    }
    return ::rmdir(dir.c_str()) == 0 || Fail();
}

bool IsRealFolder(const std::string &path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsAbsolutePath(const std::string &path) {
    return !path.empty() && path.front() == '/';
}

bool IsProtectedFolder(const std::string &path) {
    const std::string real = Resolved(path);
    if (real.empty())
        return false;
    if (real == "/")
        return true;
    const char *home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return false;
    const std::string realHome = Resolved(home);
    if (realHome.empty())
        return false;
    // The home folder itself, or a folder that holds it.
    return realHome == real || (realHome.size() > real.size() && realHome.starts_with(real) &&
                                realHome[real.size()] == '/');
}

bool SameFile(const std::string &a, const std::string &b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string ModuleFileName(const void *address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') {
        SetLastError(kErrModNotFound, "");
        return {};
    }
    const std::string real = Resolved(info.dli_fname);
    return real.empty() ? std::string(info.dli_fname) : real;
}

}  // namespace platform
