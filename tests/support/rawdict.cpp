#include "rawdict.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "platform/dynlib.h"

namespace tk::test {

std::string Le16(uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(uint32_t value) {
    return Le16(static_cast<uint16_t>(value & 0xFFFF)) + Le16(static_cast<uint16_t>(value >> 16));
}

std::string Compress(const std::string &plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &size,
                  reinterpret_cast<const Bytef *>(plain.data()), static_cast<uLong>(plain.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compress2 failed");
    out.resize(size);
    return out;
}

std::string ProductDir() {
    return TK_PRODUCT_DIR;
}

Cipher CryptEncrypt() {
    using Fn = void (*)(uint32_t, uint8_t *, uint32_t);
    static Fn encrypt = [] {
        platform::LibHandle library = platform::LoadLibraryFromPath(ProductDir() + "/crypt.dll");
        auto fn = reinterpret_cast<Fn>(platform::FindExport(library, "encrypt"));
        if (fn == nullptr)
            throw std::runtime_error("crypt.so with encrypt not found in " + ProductDir());
        return fn;
    }();
    return encrypt;
}

std::string NodeBytes(const std::vector<NodeEntry> &entries) {
    std::string bytes;
    for (const NodeEntry &e : entries)
        bytes += e.key + '\0' + Le32(e.position) + Le32(e.size) + Le16(e.count);
    return bytes;
}

std::string LeafContent(const std::vector<LeafRecord> &records) {
    std::string bytes;
    for (const LeafRecord &r : records) {
        std::string body = r.key + '\0';
        for (const Ref &ref : r.refs)
            body += Le32(ref.position) + Le16(ref.offset);
        bytes += Le32(static_cast<uint32_t>(body.size())) + body;
    }
    return bytes;
}

RawDictionary::RawDictionary(Cipher cipher) : cipher_(std::move(cipher)) {}

Placed RawDictionary::AddBlock(std::string &section, const Block &block, uint16_t count,
                               bool leaf) {
    const auto position = static_cast<uint32_t>(section.size());
    std::string payload;
    if (block.payload) {
        payload = *block.payload;
    } else {
        payload = Compress(block.content);
        if (cipher_)
            cipher_(position, reinterpret_cast<uint8_t *>(payload.data()),
                    static_cast<uint32_t>(payload.size()));
    }
    const auto stored = static_cast<uint32_t>(payload.size());
    const auto length = static_cast<uint32_t>(block.content.size());
    section += Le32(block.payloadLength.value_or(stored));
    section += Le32(block.decompressedLength.value_or(length));
    section += Le16(block.count.value_or(count));
    section += payload;
    uint32_t &maxPayload = leaf ? leafMaxPayload_ : textMaxPayload_;
    uint32_t &maxLength = leaf ? leafMaxLength_ : textMaxLength_;
    maxPayload = std::max(maxPayload, stored);
    maxLength = std::max(maxLength, length);
    return {position, stored + 10, count};
}

uint32_t RawDictionary::AddText(const Block &block) {
    return AddBlock(text_, block, 0, false).position;
}

Placed RawDictionary::AddLeaf(const Block &block, uint16_t count) {
    leafMaxEntries_ = std::max(leafMaxEntries_, count);
    return AddBlock(leaf_, block, count, true);
}

Placed RawDictionary::AddLeaf(const std::vector<LeafRecord> &records) {
    for (const LeafRecord &r : records)
        hitLimit_ = std::max(hitLimit_, static_cast<uint16_t>(r.refs.size()));
    Block block;
    block.content = LeafContent(records);
    return AddLeaf(block, static_cast<uint16_t>(records.size()));
}

Placed RawDictionary::AddNode(const std::vector<NodeEntry> &entries) {
    const auto position = static_cast<uint32_t>(index_.size());
    std::string bytes;
    for (const NodeEntry &e : entries) {
        if (!cipher_) {
            bytes += NodeBytes({e});
            continue;
        }
        // Enciphered form: length byte, then key and child fields enciphered together.
        const auto at = static_cast<uint32_t>(bytes.size());
        std::string body = e.key + Le32(e.position) + Le32(e.size) + Le16(e.count);
        cipher_(position + at, reinterpret_cast<uint8_t *>(body.data()),
                static_cast<uint32_t>(body.size()));
        bytes += static_cast<char>(e.key.size());
        bytes += body;
    }
    return AddRawNode(bytes, static_cast<uint16_t>(entries.size()));
}

Placed RawDictionary::AddRawNode(const std::string &bytes, uint16_t count) {
    const auto position = static_cast<uint32_t>(index_.size());
    index_ += bytes;
    const auto size = static_cast<uint32_t>(bytes.size());
    nodeMaxSize_ = std::max(nodeMaxSize_, size);
    nodeMaxEntries_ = std::max(nodeMaxEntries_, count);
    return {position, size, count};
}

void RawDictionary::SetRoot(uint16_t depth, const Placed &root) {
    depth_ = depth;
    root_ = root;
}

std::string RawDictionary::Bytes() const {
    const uint32_t textOffset = utf8Version ? 37 + 12 : 37;
    const auto leafOffset = static_cast<uint32_t>(textOffset + 8 + text_.size());
    const auto indexOffset = static_cast<uint32_t>(leafOffset + 12 + leaf_.size());
    const HeaderFields &f = fields;

    std::string out = utf8Version ? std::string("TAALKIST-LEXQ U8") : identification;
    out.resize(16, ' ');
    const std::string offsets = Le32(f.textOffset.value_or(textOffset)) +
                                Le32(f.leafOffset.value_or(leafOffset)) +
                                Le32(f.indexOffset.value_or(indexOffset));
    out += Le32(utf8Version.value_or(0x01020304)) + Le32(0x05060708);
    out += utf8Version ? Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) : offsets;
    out += static_cast<char>(f.flag.value_or(cipher_ ? 1 : 0));
    if (utf8Version)
        out += offsets;

    out += Le32(f.textMaxPayload.value_or(textMaxPayload_));
    out += Le32(f.textMaxLength.value_or(textMaxLength_));
    out += text_;

    out += Le32(f.leafMaxPayload.value_or(leafMaxPayload_));
    out += Le32(f.leafMaxLength.value_or(leafMaxLength_));
    out += Le16(f.leafMaxEntries.value_or(leafMaxEntries_));
    out += Le16(f.hitLimit.value_or(hitLimit_));
    out += leaf_;

    out += Le16(f.depth.value_or(depth_));
    out += Le32(f.nodeMaxSize.value_or(nodeMaxSize_));
    out += Le16(f.nodeMaxEntries.value_or(nodeMaxEntries_));
    out += Le32(f.rootPosition.value_or(root_.position));
    out += Le32(f.rootSize.value_or(root_.size));
    out += Le16(f.rootCount.value_or(root_.count));
    out += index_;
    return out;
}

namespace {

// A placed child with the greatest key of its subtree.
struct Child {
    std::string maxKey;
    Placed placed;
};

template <typename T>
std::vector<std::vector<T>> Chunks(const std::vector<T> &items, size_t size) {
    std::vector<std::vector<T>> chunks;
    for (size_t i = 0; i < items.size(); i += size)
        chunks.emplace_back(items.begin() + static_cast<long>(i),
                            items.begin() + static_cast<long>(std::min(items.size(), i + size)));
    return chunks;
}

}  // namespace

RawDictionary BuildDictionary(std::vector<Entry> entries, const BuildOptions &options) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.key < b.key; });
    RawDictionary dict(options.cipher);
    if (options.utf8)
        dict.utf8Version = 2;

    // Text blocks: consecutive hits share a block; remember each hit's reference.
    std::vector<std::vector<Ref>> refs(entries.size());
    std::string content;
    std::vector<std::pair<size_t, uint16_t>> inBlock;  // (entry index, offset)
    auto flush = [&] {
        if (inBlock.empty())
            return;
        const uint32_t position = dict.AddText({content});
        for (const auto &[entry, offset] : inBlock)
            refs[entry].push_back({position, offset});
        content.clear();
        inBlock.clear();
    };
    for (size_t e = 0; e < entries.size(); e++) {
        for (const Hit &hit : entries[e].hits) {
            inBlock.emplace_back(e, static_cast<uint16_t>(content.size()));
            content += hit.s1 + '\0' + hit.s2 + '\0' + hit.s3 + '\0';
            if (inBlock.size() >= options.hitsPerTextBlock)
                flush();
        }
    }
    flush();

    // Leaf blocks.
    std::vector<LeafRecord> records;
    for (size_t e = 0; e < entries.size(); e++)
        records.push_back({entries[e].key, refs[e]});
    const size_t perLeaf = options.depth == 0 ? std::max<size_t>(records.size(), 1)
                                              : std::max<size_t>(options.leafEntries, 1);
    std::vector<Child> level;
    for (const auto &chunk : Chunks(records, perLeaf))
        level.push_back({chunk.back().key, dict.AddLeaf(chunk)});
    if (level.empty())
        level.push_back({"", dict.AddLeaf(std::vector<LeafRecord>{})});

    // Index levels, bottom up; the top level is one node over everything left.
    for (uint16_t d = 0; d < options.depth; d++) {
        const bool top = d + 1 == options.depth;
        std::vector<Child> parents;
        for (const auto &chunk :
             Chunks(level, top ? level.size() : std::max<size_t>(options.fanout, 1))) {
            std::vector<NodeEntry> nodeEntries;
            for (const Child &c : chunk)
                nodeEntries.push_back({c.maxKey, c.placed.position, c.placed.size, c.placed.count});
            parents.push_back({chunk.back().maxKey, dict.AddNode(nodeEntries)});
        }
        level = std::move(parents);
    }
    if (level.size() != 1)
        throw std::logic_error("depth 0 needs exactly one leaf block");
    dict.SetRoot(options.depth, level.front().placed);
    return dict;
}

}  // namespace tk::test
