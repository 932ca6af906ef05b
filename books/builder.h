// Lays out a dictionary file: text blocks, leaf blocks, index nodes and the headers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

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
    TextKind textKind = TextKind::Cp1252;   // the kind of file: its texts' encoding and keys
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
    Bytes file;  // empty when the file was written to a sink
    std::size_t fileSize = 0;
    std::size_t keys = 0;
    std::uint16_t depth = 0;
    std::uint16_t hitLimit = 0;
    SectionStats text, leaf, index;
};

// Builds the file for the keys of table. With a cipher, index entries, leaf payloads
// and text payloads are enciphered. Keys must be no longer than 255 bytes then, and
// no key may have more than 65535 hits (CollectKeys checks both).
BuildResult BuildDictionary(const KeyTable &table, const BuildOptions &options,
                            const Cipher *cipher);

// Where a file being built goes: appended to, and its headers written over at the end.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void Append(const std::uint8_t *data, std::size_t size) = 0;
    virtual void WriteAt(std::size_t at, const std::uint8_t *data, std::size_t size) = 0;
    virtual std::size_t Size() const = 0;
};

// Compiles entries into a dictionary file as they come, in bounded memory: each new
// text goes into the current text block, written to the sink when full; each key and
// hit into a run of bounded size, sorted and spilled to a scratch file in scratchFolder
// when full, and merged into the leaf blocks at Finish. The result is the file that
// BuildDictionary(CollectKeys(entries)) gives, byte for byte, with CollectKeys' warnings
// and errors.
class StreamingBuilder {
  public:
    StreamingBuilder(ByteSink &sink, const BuildOptions &options, Diagnostics &diag,
                     std::string scratchFolder, std::size_t runBytes = 2u << 20);
    ~StreamingBuilder();
    StreamingBuilder(const StreamingBuilder &) = delete;
    StreamingBuilder &operator=(const StreamingBuilder &) = delete;

    // Adds an entry under its keys; true when its text is new to the book (false for an
    // alias of a text stored before, or an entry without keys). eachKey sees its keys.
    bool Add(const SourceEntry &entry,
             const std::function<void(std::string_view key)> &eachKey = {});
    // Writes the leaf and index sections and the headers. A key with too many hits is an
    // error in diag; a book without keys gives keys 0 and no file.
    BuildResult Finish();
    // The words without letters and their entries, in source order.
    const std::vector<ExactWord> &Exact() const;
    std::size_t Runs() const;  // runs spilled so far

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace books
