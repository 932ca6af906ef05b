// A raw dictionary file writer for tests: lays out the header, the three sections and
// their blocks from decompressed contents or raw bytes, compresses with zlib, optionally
// enciphers, and lets a test override any field to make malformed files on purpose.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tk::test {

std::string Le16(uint16_t value);
std::string Le32(uint32_t value);
// A zlib stream of plain.
std::string Compress(const std::string &plain);

// Enciphers length bytes at data in place, data[0] lying at position of its section.
using Cipher = std::function<void(uint32_t position, uint8_t *data, uint32_t length)>;
// crypt.so's "encrypt", from this build's product folder.
Cipher CryptEncrypt();
// The folder that holds this build's crypt.so and lexqapi.so.
std::string ProductDir();

// One index node entry in plain form.
struct NodeEntry {
    std::string key;
    uint32_t position = 0;
    uint32_t size = 0;
    uint16_t count = 0;
};
// A hit reference: text block position and byte offset in its decompressed content.
struct Ref {
    uint32_t position = 0;
    uint16_t offset = 0;
};
struct LeafRecord {
    std::string key;
    std::vector<Ref> refs;
};

// The plain bytes of an index node and the decompressed content of a leaf block.
std::string NodeBytes(const std::vector<NodeEntry> &entries);
std::string LeafContent(const std::vector<LeafRecord> &records);

// A leaf or text block. By default its payload is content compressed (and enciphered
// in an enciphered dictionary) and its header says so; every part can be overridden.
struct Block {
    Block() = default;
    Block(std::string decompressed) : content(std::move(decompressed)) {}  // NOLINT: implicit

    std::string content;                    // decompressed content
    std::optional<std::string> payload;     // stored payload exactly as given
    std::optional<uint32_t> payloadLength;  // header field
    std::optional<uint32_t> decompressedLength;
    std::optional<uint16_t> count;  // leaf: entry count; text: the unused field
};

// Where a node or block was placed: position in its section, size, entry count.
struct Placed {
    uint32_t position = 0;
    uint32_t size = 0;
    uint16_t count = 0;
};

// Header fields; each one left unset is computed from what was added.
struct HeaderFields {
    std::optional<uint8_t> flag;
    std::optional<uint32_t> textOffset, leafOffset, indexOffset;
    std::optional<uint16_t> depth;
    std::optional<uint32_t> nodeMaxSize;
    std::optional<uint16_t> nodeMaxEntries;
    std::optional<uint32_t> rootPosition, rootSize;
    std::optional<uint16_t> rootCount;
    std::optional<uint32_t> leafMaxPayload, leafMaxLength;
    std::optional<uint16_t> leafMaxEntries, hitLimit;
    std::optional<uint32_t> textMaxPayload, textMaxLength;
};

class RawDictionary {
  public:
    // With a cipher the file is enciphered (flag 1) and everything added is enciphered.
    explicit RawDictionary(Cipher cipher = nullptr);

    uint32_t AddText(const Block &block);
    Placed AddLeaf(const Block &block, uint16_t count);
    Placed AddLeaf(const std::vector<LeafRecord> &records);
    // Appends the node's plain entries (enciphered in an enciphered dictionary).
    Placed AddNode(const std::vector<NodeEntry> &entries);
    // Appends bytes as they are, for malformed nodes.
    Placed AddRawNode(const std::string &bytes, uint16_t count);
    // Appends filler to a section, so that later things lie further on.
    void PadText(size_t bytes) { text_.append(bytes, '\xAA'); }

    void SetRoot(uint16_t depth, const Placed &root);

    HeaderFields fields;                              // overrides
    std::string identification = "TK test dict    ";  // first 16 bytes
    // Set: a UTF-8 book of this format version, its identification block the second
    // kind's, the first kind's offsets 0xFFFFFFFF and the real ones (each overridable
    // through fields) in the extension after the file header.
    std::optional<uint32_t> utf8Version;

    // The whole file.
    std::string Bytes() const;
    bool enciphered() const { return static_cast<bool>(cipher_); }

  private:
    Placed AddBlock(std::string &section, const Block &block, uint16_t count, bool leaf);

    Cipher cipher_;
    std::string text_, leaf_, index_;  // section records, after the section headers
    uint16_t depth_ = 0;
    Placed root_;
    uint32_t nodeMaxSize_ = 0, leafMaxPayload_ = 0, leafMaxLength_ = 0;
    uint32_t textMaxPayload_ = 0, textMaxLength_ = 0;
    uint16_t nodeMaxEntries_ = 0, leafMaxEntries_ = 0, hitLimit_ = 0;
};

// A well-formed dictionary from entries, for tests that look words up.
struct Hit {
    std::string s1, s2, s3;
    bool operator==(const Hit &) const = default;
};
struct Entry {
    std::string key;  // a folded key (A to Z, or UTF-8 in a UTF-8 book)
    std::vector<Hit> hits;
};
struct BuildOptions {
    uint16_t depth = 1;           // index levels above the leaf blocks
    size_t leafEntries = 4;       // entries per leaf block (depth 0: all in one)
    size_t fanout = 3;            // entries per index node below the root
    size_t hitsPerTextBlock = 3;  // consecutive hits that share a text block
    Cipher cipher;                // enciphers the file when set
    bool utf8 = false;            // a UTF-8 book (its keys folded by lexq_fold_utf8)
};
// Entries are sorted by key; each entry's hits are stored in the order given.
RawDictionary BuildDictionary(std::vector<Entry> entries, const BuildOptions &options = {});

}  // namespace tk::test
