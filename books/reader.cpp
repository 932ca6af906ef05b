#include "books/reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "books/layout.h"
#include "books/zlib_codec.h"

namespace books {

namespace {

constexpr std::uint16_t kMaxPlausibleDepth = 40;

std::size_t Add(std::size_t a, std::size_t b) {
    if (a + b < a)
        throw InputError("a position overflows");
    return a + b;
}

void Note(SectionStats &stats, std::size_t stored, std::size_t plain, std::size_t count) {
    ++stats.blocks;
    stats.storedBytes += stored;
    stats.plainBytes += plain;
    stats.largestStored = std::max(stats.largestStored, static_cast<std::uint32_t>(stored));
    stats.largestPlain = std::max(stats.largestPlain, static_cast<std::uint32_t>(plain));
    stats.largestCount = std::max(stats.largestCount, static_cast<std::uint32_t>(count));
}

template <typename T>
void Expect(std::vector<std::string> &problems, const char *field, T stored, std::size_t actual) {
    if (static_cast<std::size_t>(stored) != actual) {
        problems.push_back(std::string(field) + " is " + std::to_string(stored) +
                           ", the contents need " + std::to_string(actual));
    }
}

}  // namespace

Bytes DictionaryReader::ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw InputError(path + ": cannot open the dictionary file");
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw InputError(path + ": cannot read the dictionary file");
    return bytes;
}

DictionaryReader::DictionaryReader(Bytes file, Cipher decrypt)
    : file_(std::move(file)), decrypt_(std::move(decrypt)) {
    ByteReader r(file_.data(), file_.size());
    const std::uint8_t *id = r.Take(16, "the file header");
    std::copy(id, id + 16, header_.identification.begin());
    header_.value1 = r.U32("the file header");
    header_.value2 = r.U32("the file header");
    header_.textOffset = r.U32("the file header");
    header_.leafOffset = r.U32("the file header");
    header_.indexOffset = r.U32("the file header");
    header_.enciphered = r.U8("the file header");
    if (std::equal(id, id + 16, kUtf8Identification)) {
        if (header_.value1 != kUtf8FormatVersion || header_.textOffset != kNoOffset ||
            header_.leafOffset != kNoOffset || header_.indexOffset != kNoOffset)
            throw InputError("a UTF-8 book of an unknown version");
        header_.kind = TextKind::Utf8;
        header_.textOffset = r.U32("the UTF-8 header");
        header_.leafOffset = r.U32("the UTF-8 header");
        header_.indexOffset = r.U32("the UTF-8 header");
    }

    r.Seek(header_.indexOffset, "the index section header");
    index_.depth = r.U16("the index section header");
    index_.largestNodeSize = r.U32("the index section header");
    index_.largestNodeCount = r.U16("the index section header");
    index_.rootPosition = r.U32("the index section header");
    index_.rootSize = r.U32("the index section header");
    index_.rootCount = r.U16("the index section header");

    r.Seek(header_.leafOffset, "the leaf section header");
    leaf_.largestStored = r.U32("the leaf section header");
    leaf_.largestPlain = r.U32("the leaf section header");
    leaf_.largestCount = r.U16("the leaf section header");
    leaf_.hitLimit = r.U16("the leaf section header");

    r.Seek(header_.textOffset, "the text section header");
    text_.largestStored = r.U32("the text section header");
    text_.largestPlain = r.U32("the text section header");

    // Far deeper than any file of 4 GiB can need; walking it would only exhaust the stack.
    if (index_.depth > kMaxPlausibleDepth) {
        throw InputError("the index depth " + std::to_string(index_.depth) + " is implausible");
    }
    if (header_.enciphered != 0 && !decrypt_) {
        throw InputError("the dictionary is enciphered and no decipher routine is at hand");
    }
}

std::vector<DictionaryReader::NodeEntry> DictionaryReader::ReadNode(std::uint32_t position,
                                                                    std::uint32_t size,
                                                                    std::uint16_t count) const {
    const std::size_t start = Add(Add(header_.indexOffset, kIndexHeaderSize), position);
    if (start > file_.size() || size > file_.size() - start) {
        throw InputError("an index node lies beyond the end of the file");
    }
    Bytes node(file_.begin() + static_cast<std::ptrdiff_t>(start),
               file_.begin() + static_cast<std::ptrdiff_t>(start + size));
    if (header_.enciphered != 0) {
        // Each entry: length byte L, then L key bytes and the child reference,
        // enciphered; rewritten here into the plain form (key, zero, reference).
        std::size_t at = 0;
        while (at < node.size()) {
            const std::size_t keyLength = node[at];
            if (keyLength + 1 + kChildRefSize > node.size() - at) {
                throw InputError("an enciphered index entry runs past its node");
            }
            decrypt_(static_cast<std::uint32_t>(position + at), node.data() + at + 1,
                     static_cast<std::uint32_t>(keyLength + kChildRefSize));
            std::copy(node.begin() + static_cast<std::ptrdiff_t>(at + 1),
                      node.begin() + static_cast<std::ptrdiff_t>(at + 1 + keyLength),
                      node.begin() + static_cast<std::ptrdiff_t>(at));
            node[at + keyLength] = 0;
            at += keyLength + 1 + kChildRefSize;
        }
    }
    ByteReader r(node.data(), node.size());
    std::vector<NodeEntry> entries(count);
    for (NodeEntry &e : entries) {
        e.key = r.CString("an index entry's key");
        e.position = r.U32("an index entry");
        e.size = r.U32("an index entry");
        e.count = r.U16("an index entry");
    }
    if (r.Remaining() != 0)
        throw InputError("an index node has bytes after its last entry");
    return entries;
}

DictionaryReader::Block DictionaryReader::ReadBlock(std::size_t sectionStart,
                                                    std::uint32_t position,
                                                    const char *what) const {
    ByteReader r(file_.data(), file_.size());
    r.Seek(Add(sectionStart, position), what);
    Block block;
    block.stored = r.U32(what);
    const std::uint32_t plainLength = r.U32(what);
    block.value = r.U16(what);
    const std::uint8_t *payload = r.Take(block.stored, what);
    Bytes data(payload, payload + block.stored);
    if (header_.enciphered != 0)
        decrypt_(position, data.data(), block.stored);
    block.plain = Inflate(data.data(), data.size());
    if (block.plain.size() != plainLength) {
        throw InputError(std::string(what) +
                         " decompresses to another length than its header says");
    }
    return block;
}

std::vector<LeafRecord> DictionaryReader::ReadLeaf(std::uint32_t position, std::uint32_t size,
                                                   std::uint16_t count, Block *out) const {
    Block block = ReadBlock(header_.leafOffset + kLeafHeaderSize, position, "a leaf block");
    if (block.stored + kBlockHeaderSize != size || block.value != count) {
        throw InputError("a leaf block disagrees with the index entry pointing to it");
    }
    ByteReader r(block.plain.data(), block.plain.size());
    std::vector<LeafRecord> records(count);
    for (LeafRecord &rec : records) {
        const std::uint32_t length = r.U32("a leaf record");
        const std::uint8_t *bytes = r.Take(length, "a leaf record");
        ByteReader inner(bytes, length);
        rec.key = inner.CString("a leaf key");
        if (inner.Remaining() == 0 || inner.Remaining() % kHitRefSize != 0) {
            throw InputError("a leaf record has a broken list of hit references");
        }
        while (inner.Remaining() > 0) {
            StoredHit hit;
            hit.block = inner.U32("a hit reference");
            hit.offset = inner.U16("a hit reference");
            rec.hits.push_back(hit);
        }
    }
    if (r.Remaining() != 0)
        throw InputError("a leaf block has bytes after its last record");
    if (out != nullptr)
        *out = std::move(block);
    return records;
}

Triple DictionaryReader::ReadHit(const StoredHit &hit) const {
    const Block block = ReadBlock(header_.textOffset + kTextHeaderSize, hit.block, "a text block");
    ByteReader r(block.plain.data(), block.plain.size());
    r.Seek(hit.offset, "a text block");
    Triple t;
    t.s1 = r.CString("a hit's headword");
    t.s2 = r.CString("a hit's second string");
    t.s3 = r.CString("a hit's body");
    return t;
}

std::optional<std::vector<Triple>> DictionaryReader::Lookup(const std::string &key) const {
    NodeEntry at{"", index_.rootPosition, index_.rootSize, index_.rootCount};
    for (int level = 0; level < index_.depth; ++level) {
        const std::vector<NodeEntry> entries = ReadNode(at.position, at.size, at.count);
        if (entries.empty())
            return std::nullopt;
        auto chosen =
            std::lower_bound(entries.begin(), entries.end(), key,
                             [](const NodeEntry &e, const std::string &k) { return e.key < k; });
        at = chosen == entries.end() ? entries.back() : *chosen;
    }
    for (const LeafRecord &rec : ReadLeaf(at.position, at.size, at.count)) {
        if (rec.key != key)
            continue;
        std::vector<Triple> hits;
        for (const StoredHit &hit : rec.hits)
            hits.push_back(ReadHit(hit));
        return hits;
    }
    return std::nullopt;
}

void DictionaryReader::WalkNode(int level, const NodeEntry &self, WalkResult &walk,
                                std::vector<LeafRecord> *records, std::string &lastKey) const {
    // A sound tree reads each node and leaf once, and each takes at least a few bytes;
    // more visits than that mean entries that point back into the tree.
    if (++walk.visits > file_.size() / kBlockHeaderSize + 1) {
        throw InputError("the index tree points to the same nodes more than once");
    }
    if (level == index_.depth) {
        Block block;
        std::vector<LeafRecord> leaf = ReadLeaf(self.position, self.size, self.count, &block);
        Note(walk.leaf, block.stored, block.plain.size(), leaf.size());
        for (LeafRecord &rec : leaf) {
            if (walk.keys > 0 && !(lastKey < rec.key)) {
                walk.problems.push_back("key " + rec.key + " is not above the key before it");
            }
            if (level > 0 && self.key < rec.key) {
                walk.problems.push_back("key " + rec.key + " lies above its index entry " +
                                        self.key);
            }
            lastKey = rec.key;
            ++walk.keys;
            walk.hitRefs += rec.hits.size();
            walk.largestHitList = std::max(walk.largestHitList, rec.hits.size());
            if (records != nullptr)
                records->push_back(std::move(rec));
        }
        return;
    }
    const std::vector<NodeEntry> entries = ReadNode(self.position, self.size, self.count);
    if (walk.indexLevels.size() <= static_cast<std::size_t>(level))
        walk.indexLevels.resize(level + 1);
    Note(walk.indexLevels[level], self.size, self.size, entries.size());
    for (const NodeEntry &entry : entries) {
        if (level > 0 && self.key < entry.key) {
            walk.problems.push_back("index key " + entry.key + " lies above its parent's " +
                                    self.key);
        }
        const std::size_t keysBefore = walk.keys;
        WalkNode(level + 1, entry, walk, records, lastKey);
        if (walk.keys > keysBefore && lastKey != entry.key) {
            walk.problems.push_back("index key " + entry.key +
                                    " is not the greatest key below it (" + lastKey + ")");
        }
    }
}

std::vector<LeafRecord> DictionaryReader::AllRecords() const {
    WalkResult walk;
    std::vector<LeafRecord> records;
    std::string lastKey;
    WalkNode(0, {"", index_.rootPosition, index_.rootSize, index_.rootCount}, walk, &records,
             lastKey);
    return records;
}

WalkResult DictionaryReader::Walk() const {
    WalkResult walk;
    std::vector<LeafRecord> records;
    std::string lastKey;
    WalkNode(0, {"", index_.rootPosition, index_.rootSize, index_.rootCount}, walk, &records,
             lastKey);

    // Every text block that a hit names, read once; every hit's strings must end in it.
    std::map<std::uint32_t, std::size_t> textLengths;
    for (const LeafRecord &rec : records) {
        for (const StoredHit &hit : rec.hits)
            textLengths.emplace(hit.block, 0);
    }
    for (auto &[position, length] : textLengths) {
        const Block block =
            ReadBlock(header_.textOffset + kTextHeaderSize, position, "a text block");
        Note(walk.text, block.stored, block.plain.size(), block.value);
        length = block.plain.size();
    }
    for (const LeafRecord &rec : records) {
        for (const StoredHit &hit : rec.hits) {
            if (hit.offset >= textLengths[hit.block]) {
                walk.problems.push_back("a hit of " + rec.key + " points past its text block");
            }
        }
    }

    std::vector<std::string> &p = walk.problems;
    std::uint32_t nodeSize = 0, nodeCount = 0;
    for (const SectionStats &level : walk.indexLevels) {
        nodeSize = std::max(nodeSize, level.largestStored);
        nodeCount = std::max(nodeCount, level.largestCount);
    }
    Expect(p, "index depth", index_.depth, walk.indexLevels.size());
    Expect(p, "largest index node size", index_.largestNodeSize, nodeSize);
    Expect(p, "largest index node entry count", index_.largestNodeCount, nodeCount);
    Expect(p, "largest stored leaf payload", leaf_.largestStored, walk.leaf.largestStored);
    Expect(p, "largest decompressed leaf block", leaf_.largestPlain, walk.leaf.largestPlain);
    Expect(p, "largest leaf entry count", leaf_.largestCount, walk.leaf.largestCount);
    Expect(p, "hit limit", leaf_.hitLimit, walk.largestHitList);
    Expect(p, "largest stored text payload", text_.largestStored, walk.text.largestStored);
    Expect(p, "largest decompressed text block", text_.largestPlain, walk.text.largestPlain);
    if (std::equal(std::begin(kIdentification), std::end(kIdentification),
                   header_.identification.begin()) ||
        header_.kind == TextKind::Utf8) {
        Expect(p, "key count", header_.value2, walk.keys);
    }
    return walk;
}

}  // namespace books
