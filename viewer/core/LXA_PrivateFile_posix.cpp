// The POSIX backend of LXA_PrivateFile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "viewer/core/LXA_PrivateFile.h"

namespace {

// Opened without following a link, so the checks below are about the object itself.
bool IsOwnedByUs(int fd, bool folder) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    const bool kindOk = folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
    return kindOk && info.st_uid == ::geteuid();
}

}  // namespace

bool EnsurePrivateFolder(const std::string &folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == platform::kPathDelim)
        path.pop_back();
    const std::size_t slash = path.rfind(platform::kPathDelim);
    if (slash != std::string::npos && slash > 0 &&
        !platform::ForceDirectories(path.substr(0, slash)))
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A folder of another user (or a link to anywhere) is never used; our own is closed
    // to others in case an earlier version left it open.
    const bool usable = IsOwnedByUs(fd, true) && ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return usable;
}

bool WritePrivateFile(const std::string &path, const std::string &bytes, std::string &error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!IsOwnedByUs(fd, false)) {
        ::close(fd);
        error = std::strerror(EPERM);
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}
