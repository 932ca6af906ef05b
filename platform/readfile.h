// Files opened read-only and read at explicit offsets, with no shared file position, so
// that a reader needs one system call per read and none to seek.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// An open read-only file; kNoFile while closed.
using ReadFile = std::intptr_t;
inline constexpr ReadFile kNoFile = -1;

// Opens path for reading; kNoFile when that fails.
ReadFile OpenReadFile(const char *path);
// Reads up to size bytes at offset, going on after interrupted and partial reads: the number
// read (fewer only at the end of the file), or -1 when the system reports an error.
std::int64_t ReadFileAt(ReadFile file, std::uint64_t offset, void *into, std::size_t size);
void CloseReadFile(ReadFile file);

}  // namespace platform
