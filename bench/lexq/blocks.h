// The stored blocks of a dictionary file, found by walking its leaf and text sections,
// so that the benchmark can read and inflate single blocks as the floor of a lookup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StoredBlock {
    std::uint64_t offset = 0;  // absolute offset of the 10-byte block header
    std::uint32_t stored = 0;  // payload bytes
    std::uint32_t plain = 0;   // decompressed bytes
};

struct FileBlocks {
    std::vector<StoredBlock> leaves, texts;
};

// Throws std::runtime_error when the file is not a plain dictionary laid out block after block.
FileBlocks ScanBlocks(const std::string &path);

// Reads one block with pread on fd and inflates it into out (resized to plain) with the
// inflater the library uses for sound blocks; the floor.
void ReadAndInflate(int fd, const StoredBlock &block, std::vector<std::uint8_t> &work,
                    std::vector<std::uint8_t> &out);
// That inflater's name.
const char *FloorInflater();
