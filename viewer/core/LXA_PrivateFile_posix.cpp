// The POSIX backend of LXA_PrivateFile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// A folder that belongs to this user and that no one else may write into.
bool IsOursAlone(const std::string &folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
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

std::string PrivateTempFolder(const std::string &temp, const std::string &name) {
    std::vector<std::string> candidates;
    if (IsOursAlone(temp))
        candidates.push_back(platform::IncludeTrailingDelimiter(temp) + name);
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime == '/' && IsOursAlone(runtime))
        candidates.push_back(platform::IncludeTrailingDelimiter(runtime) + name);
    candidates.push_back(platform::IncludeTrailingDelimiter(temp) + name + "-" +
                         std::to_string(::geteuid()));
    for (const std::string &folder : candidates)
        if (EnsurePrivateFolder(folder))
            return folder;
    return {};
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
