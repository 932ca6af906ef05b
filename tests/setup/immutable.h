// A file that cannot be deleted, even by the superuser: the immutable attribute.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

namespace tktest {

inline bool SetImmutable(const std::string &path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Holds the attribute for its lifetime so the test's folder can be cleaned up.
class Immutable {
  public:
    explicit Immutable(std::string path) : path_(std::move(path)), on_(SetImmutable(path_, true)) {}
    ~Immutable() {
        if (on_)
            SetImmutable(path_, false);
    }
    bool On() const { return on_; }

  private:
    std::string path_;
    bool on_;
};

}  // namespace tktest
