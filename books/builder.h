// Lays out a dictionary file: text blocks, leaf blocks, index nodes and the headers.
#pragma once

#include <cstdint>

#include "books/bytes.h"
#include "books/cipher.h"
#include "books/keys.h"
#include "books/progress.h"

namespace books {

// Uncompressed target sizes; see FORMAT.md. Text blocks of 32 KiB fill the search
// library's first decompression estimate (rounded to its 32 KiB growth step) without
// growing it, so its memory stays flat after the open, and they keep files small.
inline constexpr std::uint32_t kDefaultTextSize = 32 * 1024;
inline constexpr std::uint32_t kDefaultLeafSize = 4 * 1024;
inline constexpr std::uint32_t kDefaultFanout = 128;

struct BuildOptions {
    std::uint32_t textSize = kDefaultTextSize;
    std::uint32_t leafSize = kDefaultLeafSize;
    std::uint32_t fanout = kDefaultFanout;  // entries per index node, at least 2
    Progress *progress = nullptr;           // told the part of the entries stored; may cancel
};

// Sizes of one section's blocks (text or leaf) or nodes (index).
struct SectionStats {
    std::size_t blocks = 0;
    std::size_t storedBytes = 0;  // compressed payloads (or node bytes)
    std::size_t plainBytes = 0;   // decompressed contents
    std::uint32_t largestStored = 0;
    std::uint32_t largestPlain = 0;
    std::uint32_t largestCount = 0;
};

struct BuildResult {
    Bytes file;
    std::uint16_t depth = 0;
    std::uint16_t hitLimit = 0;
    SectionStats text, leaf, index;
};

// Builds the file for the keys of table. With a cipher, index entries, leaf payloads
// and text payloads are enciphered. Keys must be no longer than 255 bytes then, and
// no key may have more than 65535 hits (CollectKeys checks both).
BuildResult BuildDictionary(const KeyTable &table, const BuildOptions &options,
                            const Cipher *cipher);

}  // namespace books
