// Small file-descriptor helpers shared by the POSIX backends.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace platform::posix {

// Writes all of text, retrying interrupted and partial writes; false when a write fails.
inline bool WriteAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace platform::posix
