// Fixed sizes and names of the dictionary file layout, shared by writer and reader.
#pragma once

#include <cstddef>
#include <cstdint>

namespace books {

inline constexpr std::size_t kFileHeaderSize = 37;
inline constexpr std::size_t kIndexHeaderSize = 18;
inline constexpr std::size_t kLeafHeaderSize = 12;
inline constexpr std::size_t kTextHeaderSize = 8;
inline constexpr std::size_t kBlockHeaderSize = 10;  // leaf and text blocks alike
inline constexpr std::size_t kHitRefSize = 6;        // text block position + 16-bit offset
inline constexpr std::size_t kChildRefSize = 10;     // child position, size, entry count

// The 16-byte identification block and the format version in the first 32-bit value;
// the second 32-bit value holds the number of keys.
inline constexpr char kIdentification[16] = "TAALKIST-LEXQ 1";
inline constexpr std::uint32_t kFormatVersion = 1;

// A UTF-8 book (the second kind): its identification block and format version, its three
// section offsets in the file header set to kNoOffset (a reader of the first kind then
// fails at a short read and refuses the file as of the wrong format), and the real offsets
// (text, leaf, index) in an extension of 12 bytes right after the file header.
inline constexpr char kUtf8Identification[17] = "TAALKIST-LEXQ U8";
inline constexpr std::uint32_t kUtf8FormatVersion = 2;
inline constexpr std::size_t kUtf8ExtensionSize = 12;
inline constexpr std::uint32_t kNoOffset = 0xFFFFFFFFu;

// Offsets of the header fields within the file header.
inline constexpr std::size_t kTextOffsetField = 24;
inline constexpr std::size_t kLeafOffsetField = 28;
inline constexpr std::size_t kIndexOffsetField = 32;
inline constexpr std::size_t kEncipheredField = 36;

// Counts in blocks and nodes, and a hit's offset in its text block, are 16-bit.
inline constexpr std::size_t kMaxCount = 0xFFFF;
inline constexpr std::size_t kMaxHitOffset = 0xFFFF;
// An enciphered index entry gives its key length in one byte.
inline constexpr std::size_t kMaxEncipheredKey = 0xFF;

}  // namespace books
