#include "books/builder.h"

#include <algorithm>
#include <stdexcept>

#include "books/layout.h"
#include "books/zlib_codec.h"

namespace books {

namespace {

// Where a leaf block or index node lies, as its parent entry points to it.
struct ChildRef {
    std::string maxKey;  // greatest key in the subtree
    std::uint32_t position = 0;
    std::uint32_t size = 0;
    std::uint16_t count = 0;
};

struct HitRef {
    std::uint32_t block = 0;
    std::uint16_t offset = 0;
};

std::uint32_t Checked32(std::size_t value, const char *what) {
    if (value > 0xFFFFFFFFu)
        throw InputError(std::string("the dictionary is too large: ") + what);
    return static_cast<std::uint32_t>(value);
}

void Note(SectionStats &stats, std::size_t stored, std::size_t plain, std::size_t count) {
    ++stats.blocks;
    stats.storedBytes += stored;
    stats.plainBytes += plain;
    stats.largestStored = std::max<std::uint32_t>(stats.largestStored, Checked32(stored, "block"));
    stats.largestPlain = std::max<std::uint32_t>(stats.largestPlain, Checked32(plain, "block"));
    stats.largestCount =
        std::max<std::uint32_t>(stats.largestCount, static_cast<std::uint32_t>(count));
}

// Appends one compressed (and maybe enciphered) block with its 10-byte header;
// returns its position within the section's records.
std::uint32_t AppendBlock(Bytes &section, const Bytes &plain, std::uint16_t headerValue,
                          const Cipher *cipher, SectionStats &stats, std::size_t count) {
    const std::uint32_t position = Checked32(section.size(), "section");
    Bytes payload = Compress(plain);
    if (cipher != nullptr) {
        (*cipher)(position, payload.data(), Checked32(payload.size(), "block"));
    }
    PutU32(section, Checked32(payload.size(), "block"));
    PutU32(section, Checked32(plain.size(), "block"));
    PutU16(section, headerValue);
    PutBytes(section, payload.data(), payload.size());
    Note(stats, payload.size(), plain.size(), count);
    return position;
}

// Packs every triple into text blocks. A triple never straddles two blocks, and it
// starts at an offset that fits in 16 bits.
std::vector<HitRef> BuildTextSection(const KeyTable &table, const BuildOptions &options,
                                     const Cipher *cipher, Bytes &section, SectionStats &stats) {
    std::vector<HitRef> refs(table.triples.size());
    std::vector<std::size_t> pending;  // triples in the current block
    Bytes plain;
    auto flush = [&] {
        if (pending.empty())
            return;
        // The header's 16-bit value is not interpreted by readers: it holds the
        // number of triples in the block, which dump shows.
        const auto count = static_cast<std::uint16_t>(std::min(pending.size(), kMaxCount));
        const std::uint32_t position =
            AppendBlock(section, plain, count, cipher, stats, pending.size());
        for (const std::size_t i : pending)
            refs[i].block = position;
        pending.clear();
        plain.clear();
    };
    for (std::size_t i = 0; i < table.triples.size(); ++i) {
        if (options.progress != nullptr)
            options.progress->Step(i, table.triples.size());
        const Triple &t = table.triples[i];
        const std::size_t size = t.s1.size() + t.s2.size() + t.s3.size() + 3;
        if (!plain.empty() &&
            (plain.size() + size > options.textSize || plain.size() > kMaxHitOffset)) {
            flush();
        }
        refs[i].offset = static_cast<std::uint16_t>(plain.size());
        for (const std::string *s : {&t.s1, &t.s2, &t.s3}) {
            PutBytes(plain, s->data(), s->size());
            PutU8(plain, 0);
        }
        pending.push_back(i);
    }
    flush();
    return refs;
}

// Packs the sorted keys with their hit references into leaf blocks.
std::vector<ChildRef> BuildLeafSection(const KeyTable &table, const std::vector<HitRef> &refs,
                                       const BuildOptions &options, const Cipher *cipher,
                                       Bytes &section, SectionStats &stats) {
    std::vector<ChildRef> leaves;
    Bytes plain;
    std::size_t count = 0;
    std::string lastKey;
    auto flush = [&] {
        if (count == 0)
            return;
        const std::size_t start = section.size();
        const std::uint32_t position =
            AppendBlock(section, plain, static_cast<std::uint16_t>(count), cipher, stats, count);
        leaves.push_back({lastKey, position, Checked32(section.size() - start, "leaf"),
                          static_cast<std::uint16_t>(count)});
        plain.clear();
        count = 0;
    };
    for (const auto &[key, hits] : table.keys) {
        const std::size_t record = key.size() + 1 + kHitRefSize * hits.size();
        if (count > 0 && (plain.size() + 4 + record > options.leafSize || count == kMaxCount))
            flush();
        PutU32(plain, Checked32(record, "leaf record"));
        PutBytes(plain, key.data(), key.size());
        PutU8(plain, 0);
        for (const std::uint32_t hit : hits) {
            PutU32(plain, refs[hit].block);
            PutU16(plain, refs[hit].offset);
        }
        lastKey = key;
        ++count;
    }
    flush();
    return leaves;
}

// Writes one index node over children; in an enciphered file each entry is a length
// byte and the enciphered key and child reference, without the key's terminator.
ChildRef AppendIndexNode(std::vector<ChildRef>::const_iterator first,
                         std::vector<ChildRef>::const_iterator last, const Cipher *cipher,
                         Bytes &section, SectionStats &stats) {
    const std::uint32_t position = Checked32(section.size(), "index");
    for (auto child = first; child != last; ++child) {
        const std::uint32_t entryPosition = Checked32(section.size(), "index");
        Bytes entry;
        PutBytes(entry, child->maxKey.data(), child->maxKey.size());
        if (cipher == nullptr)
            PutU8(entry, 0);
        PutU32(entry, child->position);
        PutU32(entry, child->size);
        PutU16(entry, child->count);
        if (cipher != nullptr) {
            if (child->maxKey.size() > kMaxEncipheredKey) {
                throw InputError("search key " + child->maxKey.substr(0, 20) +
                                 "... is too long to be enciphered (at most 255 letters)");
            }
            PutU8(section, static_cast<std::uint8_t>(child->maxKey.size()));
            (*cipher)(entryPosition, entry.data(), static_cast<std::uint32_t>(entry.size()));
        }
        PutBytes(section, entry.data(), entry.size());
    }
    const std::size_t size = section.size() - position;
    const auto count = static_cast<std::size_t>(last - first);
    Note(stats, size, size, count);
    return {(last - 1)->maxKey, position, Checked32(size, "index node"),
            static_cast<std::uint16_t>(count)};
}

}  // namespace

BuildResult BuildDictionary(const KeyTable &table, const BuildOptions &options,
                            const Cipher *cipher) {
    if (table.keys.empty())
        throw InputError("the source has no entries with a search key");
    if (options.fanout < 2 || options.fanout > kMaxCount) {
        throw InputError("--fanout must lie between 2 and 65535");
    }
    if (options.textSize == 0 || options.leafSize == 0) {
        throw InputError("block sizes must be at least 1 byte");
    }
    if (table.LargestHitList() > kMaxCount) {
        throw InputError("a search key has more than 65535 entries");
    }
    BuildResult result;
    Bytes text, leaf, index;
    const std::vector<HitRef> refs = BuildTextSection(table, options, cipher, text, result.text);
    std::vector<ChildRef> level = BuildLeafSection(table, refs, options, cipher, leaf, result.leaf);

    // Each pass groups one level's children under new nodes, until one root remains.
    while (level.size() > 1) {
        std::vector<ChildRef> parents;
        for (std::size_t i = 0; i < level.size(); i += options.fanout) {
            const std::size_t end = std::min(level.size(), i + options.fanout);
            parents.push_back(AppendIndexNode(level.begin() + static_cast<std::ptrdiff_t>(i),
                                              level.begin() + static_cast<std::ptrdiff_t>(end),
                                              cipher, index, result.index));
        }
        level = std::move(parents);
        ++result.depth;
    }
    const ChildRef &root = level.front();
    result.hitLimit = static_cast<std::uint16_t>(table.LargestHitList());

    Bytes &file = result.file;
    const std::size_t textOffset = kFileHeaderSize;
    const std::size_t leafOffset = textOffset + kTextHeaderSize + text.size();
    const std::size_t indexOffset = leafOffset + kLeafHeaderSize + leaf.size();
    file.reserve(indexOffset + kIndexHeaderSize + index.size());

    PutBytes(file, kIdentification, sizeof kIdentification);
    PutU32(file, kFormatVersion);
    PutU32(file, Checked32(table.keys.size(), "keys"));
    PutU32(file, Checked32(textOffset, "offset"));
    PutU32(file, Checked32(leafOffset, "offset"));
    PutU32(file, Checked32(indexOffset, "offset"));
    PutU8(file, cipher != nullptr ? 1 : 0);

    PutU32(file, result.text.largestStored);
    PutU32(file, result.text.largestPlain);
    PutBytes(file, text.data(), text.size());

    PutU32(file, result.leaf.largestStored);
    PutU32(file, result.leaf.largestPlain);
    PutU16(file, static_cast<std::uint16_t>(result.leaf.largestCount));
    PutU16(file, result.hitLimit);
    PutBytes(file, leaf.data(), leaf.size());

    PutU16(file, result.depth);
    PutU32(file, result.index.largestStored);
    PutU16(file, static_cast<std::uint16_t>(result.index.largestCount));
    PutU32(file, root.position);
    PutU32(file, root.size);
    PutU16(file, root.count);
    PutBytes(file, index.data(), index.size());
    Checked32(file.size(), "file");
    return result;
}

}  // namespace books
