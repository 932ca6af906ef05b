#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

std::vector<std::string_view> SplitParts(std::string_view input, std::size_t maxParts) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const std::size_t at = input.find(kPartSeparator);
        if (at == std::string_view::npos)
            break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kPartSeparator.size());
    }
    parts.push_back(input);
    return parts;
}

std::string JoinParts(const std::vector<std::string> &parts) {
    std::string input;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            input += kPartSeparator;
        input += parts[i];
    }
    return input;
}

void Fail(const std::string &what) {
    std::fprintf(stderr, "fuzz property failed: %s\n", what.c_str());
    std::abort();
}

std::uint8_t Choices::Byte() {
    if (bytes_.empty())
        return 0;
    const auto byte = static_cast<std::uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return byte;
}

std::size_t Choices::Below(std::size_t limit) {
    std::size_t value = Byte();
    if (limit > 256)
        value = value << 8 | Byte();
    return value % limit;
}

std::string Choices::Text(std::size_t maxLength) {
    const std::size_t wanted = Below(maxLength + 1);  // takes bytes itself
    const std::size_t length = std::min(wanted, bytes_.size());
    std::string text(bytes_.substr(0, length));
    bytes_.remove_prefix(length);
    return text;
}

MemoryFile::MemoryFile(const char *name) {
    fd_ = ::memfd_create(name, 0);
    if (fd_ < 0)
        Fail("memfd_create");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

const std::string &MemoryFile::Write(std::string_view bytes) {
    if (::ftruncate(fd_, 0) != 0 ||
        ::pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        Fail("writing a memory file");
    return path_;
}

}  // namespace fuzz
