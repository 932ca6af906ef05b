// What the fuzz targets of the readers share: inputs made of several files, files that a
// reader opens by name, and properties that stop the run when they fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Separates the files of one input: bytes that neither UTF-8 text nor a dictionary's
// numbers hold by chance (the targets' .dict files give it to the mutator).
inline constexpr std::string_view kPartSeparator = "\xFF\xFE-part-\xFE\xFF";

// The parts of an input at its first maxParts - 1 separators; the last part keeps the rest.
std::vector<std::string_view> SplitParts(std::string_view input, std::size_t maxParts);

// Joins files into one input, for seed makers.
std::string JoinParts(const std::vector<std::string> &parts);

// Reports a failed property and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string &what);

inline void Check(bool holds, const char *property) {
    if (!holds)
        Fail(property);
}

// Small choices drawn from bytes, zero once they run out.
class Choices {
  public:
    explicit Choices(std::string_view bytes) : bytes_(bytes) {}
    std::uint8_t Byte();
    // A number below limit (limit > 0).
    std::size_t Below(std::size_t limit);
    // Up to maxLength bytes.
    std::string Text(std::size_t maxLength);
    bool Empty() const { return bytes_.empty(); }

  private:
    std::string_view bytes_;
};

// A file in memory whose path opens at its start every time, for readers that take a
// path. One per name and process.
class MemoryFile {
  public:
    explicit MemoryFile(const char *name);
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    // Replaces the contents; returns the path.
    const std::string &Write(std::string_view bytes);
    const std::string &Path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace fuzz
