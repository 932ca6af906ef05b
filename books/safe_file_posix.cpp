#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "books/diagnostics.h"
#include "books/safe_file.h"

namespace books {

namespace {

std::string Reason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "de schijf is vol";
        case EFBIG:
            return "het bestand wordt te groot";
        case EACCES:
        case EPERM:
            return "u hebt geen schrijfrechten";
        case EROFS:
            return "de schijf is alleen-lezen";
        default:
            return std::strerror(error);
    }
}

[[noreturn]] void Fail(const std::string &path, int error) {
    throw InputError("Het bestand '" + path + "' kan niet worden opgeslagen: " + Reason(error) +
                     ".");
}

std::string FolderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string &folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);  // some file systems cannot sync a folder; the rename stands all the same
    ::close(fd);
}

}  // namespace

std::string WriteTemporaryBeside(const std::string &path, std::string_view data) {
    const std::size_t slash = path.rfind('/');
    std::string name = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                       ".tk-" + path.substr(slash + 1) + "-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(path, errno);
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(name.c_str());
            Fail(path, error);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.c_str());
        Fail(path, error);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(name.c_str());
        Fail(path, error);
    }
    return name;
}

void CommitTemporary(const std::string &temporary, const std::string &path) {
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        Fail(path, error);
    }
    SyncFolder(FolderOf(path));
}

void RemoveQuietly(const std::string &path) noexcept {
    ::unlink(path.c_str());
}

bool ReadWholeFile(const std::string &path, std::string &contents) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    contents.clear();
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

void MakeFolders(const std::string &folder) {
    if (folder.empty())
        return;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return;
    const std::size_t slash = folder.find_last_of('/', folder.size() - 2);
    if (slash != std::string::npos && slash > 0)
        MakeFolders(folder.substr(0, slash));
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        throw InputError("De map '" + folder + "' kan niet worden gemaakt: " + Reason(errno) + ".");
}

std::FILE *OpenScratchFile(const std::string &folder) {
    std::string name = folder + "/.tk-scratch-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(name, errno);
    ::unlink(name.c_str());  // the open file stays until it is closed
    std::FILE *file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        Fail(name, error);
    }
    return file;
}

namespace {

constexpr std::string_view kLivePrefix = ".tk-pid";

}  // namespace

TemporaryFile::TemporaryFile(const std::string &path) : path_(path) {
    const std::size_t slash = path.rfind('/');
    name_ = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
            std::string(kLivePrefix) + std::to_string(::getpid()) + "-" + path.substr(slash + 1) +
            "-XXXXXX";
    fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
    if (fd_ < 0)
        Fail(path, errno);
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(name_.c_str());
    }
}

void TemporaryFile::Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(path_, n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void TemporaryFile::Append(const std::uint8_t *data, std::size_t size) {
    buffer_.append(reinterpret_cast<const char *>(data), size);
    size_ += size;
    if (buffer_.size() >= (1u << 20))
        Flush();
}

void TemporaryFile::WriteAt(std::size_t at, const std::uint8_t *data, std::size_t size) {
    Flush();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(at + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(path_, n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

std::string TemporaryFile::Finish() {
    Flush();
    if (::fchmod(fd_, 0644) != 0 || ::fsync(fd_) != 0)
        Fail(path_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(name_.c_str());
        Fail(path_, error);
    }
    return name_;
}

bool LeftBehind(const std::string &fileName) {
    if (fileName.rfind(kLivePrefix, 0) == 0) {
        // ".tk-pid1234-...": the work of process 1234, left only when it is gone.
        const long pid = std::strtol(fileName.c_str() + kLivePrefix.size(), nullptr, 10);
        return pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
    }
    return fileName.rfind(".tk-", 0) == 0;
}

FolderLock::FolderLock(const std::string &lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        Fail(lockFile, errno);
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(fd_);
            Fail(lockFile, error);
        }
    }
}

FolderLock::~FolderLock() {
    ::close(fd_);  // releases the lock
}

}  // namespace books
