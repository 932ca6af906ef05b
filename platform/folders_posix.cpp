#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

bool DeleteFileEntry(const std::string &path) {
    return ::unlink(path.c_str()) == 0 || Fail();
}

bool IsRealFolder(const std::string &path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRealFile(const std::string &path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsAbsolutePath(const std::string &path) {
    return !path.empty() && path.front() == '/';
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

std::FILE *OpenFileStream(const std::string &path, const char *mode) {
    return std::fopen(path.c_str(), mode);
}

}  // namespace platform
