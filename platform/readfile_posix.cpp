#include "platform/readfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {

ReadFile OpenReadFile(const char *path) {
    int fd;
    do
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFile : fd;
}

std::int64_t ReadFileAt(ReadFile file, std::uint64_t offset, void *into, std::size_t size) {
    auto *out = static_cast<unsigned char *>(into);
    std::size_t done = 0;
    while (done < size) {
        // An offset past what off_t holds has no bytes to give.
        if (offset + done > std::uint64_t(INT64_MAX))
            break;
        const ssize_t n = ::pread(static_cast<int>(file), out + done, size - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

void CloseReadFile(ReadFile file) {
    if (file != kNoFile)
        ::close(static_cast<int>(file));
}

}  // namespace platform
