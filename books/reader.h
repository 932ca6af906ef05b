// Reads a dictionary file back, independently of the search library: the headers, the
// index tree, the leaf blocks and the hits. Used by dump and by the tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "books/builder.h"
#include "books/bytes.h"
#include "books/cipher.h"
#include "books/keys.h"

#include "books/source.h"

namespace books {

struct FileHeader {
    std::array<char, 16> identification{};
    std::uint32_t value1 = 0, value2 = 0;
    std::uint32_t textOffset = 0, leafOffset = 0, indexOffset = 0;
    std::uint8_t enciphered = 0;
    TextKind kind = TextKind::Cp1252;  // the offsets above are the extension's for UTF-8
};

struct IndexHeader {
    std::uint16_t depth = 0;
    std::uint32_t largestNodeSize = 0;
    std::uint16_t largestNodeCount = 0;
    std::uint32_t rootPosition = 0, rootSize = 0;
    std::uint16_t rootCount = 0;
};

struct LeafHeader {
    std::uint32_t largestStored = 0, largestPlain = 0;
    std::uint16_t largestCount = 0, hitLimit = 0;
};

struct TextHeader {
    std::uint32_t largestStored = 0, largestPlain = 0;
};

struct StoredHit {
    std::uint32_t block = 0;
    std::uint16_t offset = 0;
};

struct LeafRecord {
    std::string key;
    std::vector<StoredHit> hits;
};

// What a full walk of the file found: measured sizes, to hold against the headers.
struct WalkResult {
    std::vector<SectionStats> indexLevels;  // one per depth level
    SectionStats leaf, text;
    std::size_t keys = 0;
    std::size_t hitRefs = 0;
    std::size_t largestHitList = 0;
    std::vector<std::string> problems;  // headers or order that disagree with the contents
    std::size_t visits = 0;             // nodes and leaves read, to stop a cyclic tree
};

class DictionaryReader {
  public:
    // Throws InputError when the headers cannot be read. Enciphered files need decrypt.
    DictionaryReader(Bytes file, Cipher decrypt);
    static Bytes ReadFile(const std::string &path);

    const FileHeader &Header() const { return header_; }
    const IndexHeader &Index() const { return index_; }
    const LeafHeader &Leaf() const { return leaf_; }
    const TextHeader &Text() const { return text_; }
    std::size_t FileSize() const { return file_.size(); }

    // Descends the index as the search library does; nullopt when the key is absent.
    std::optional<std::vector<Triple>> Lookup(const std::string &key) const;

    // Every leaf record in file order (throws InputError on damage).
    std::vector<LeafRecord> AllRecords() const;

    // Walks the whole tree and every text block; damage throws InputError.
    WalkResult Walk() const;

    Triple ReadHit(const StoredHit &hit) const;

  private:
    struct NodeEntry {
        std::string key;
        std::uint32_t position = 0, size = 0;
        std::uint16_t count = 0;
    };
    struct Block {
        Bytes plain;
        std::uint32_t stored = 0;
        std::uint16_t value = 0;
    };

    std::vector<NodeEntry> ReadNode(std::uint32_t position, std::uint32_t size,
                                    std::uint16_t count) const;
    Block ReadBlock(std::size_t sectionStart, std::uint32_t position, const char *what) const;
    std::vector<LeafRecord> ReadLeaf(std::uint32_t position, std::uint32_t size,
                                     std::uint16_t count, Block *block = nullptr) const;
    void WalkNode(int level, const NodeEntry &self, WalkResult &walk,
                  std::vector<LeafRecord> *records, std::string &lastKey) const;

    Bytes file_;
    Cipher decrypt_;
    FileHeader header_;
    IndexHeader index_;
    LeafHeader leaf_;
    TextHeader text_;
};

}  // namespace books
