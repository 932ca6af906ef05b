#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "lasterror.h"
#include "paths.h"

namespace platform {

std::string ProgramPath() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        SetLastErrorFromErrno(errno);
        return {};
    }
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}

std::string TempDirectory() {
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    if (!DirectoryExists(folder))
        return {};
    return IncludeTrailingDelimiter(folder);
}

bool FileExists(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ForceDirectories(const std::string &path) {
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == kPathDelim)
        folder.pop_back();
    const std::size_t slash = folder.rfind(kPathDelim);
    if (slash != std::string::npos && slash > 0 && !ForceDirectories(folder.substr(0, slash)))
        return false;
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    return DirectoryExists(folder);
}

}  // namespace platform
