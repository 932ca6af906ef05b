#include "books/builder.h"

#include <xxhash.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <queue>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "books/layout.h"
#include "books/safe_file.h"
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
    bool operator==(const HitRef &) const = default;
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

class MemorySink : public ByteSink {
  public:
    void Append(const std::uint8_t *data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
    }
    void WriteAt(std::size_t at, const std::uint8_t *data, std::size_t size) override {
        std::copy(data, data + size, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::size_t Size() const override { return bytes.size(); }
    Bytes bytes;
};

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

// The file as it is written: the text section first, as texts come, then the leaf
// section, as keys come in order, then the index and, written over the placeholders, the
// headers. Only the current block and one reference per leaf block are held.
class FileLayout {
  public:
    FileLayout(ByteSink &sink, const BuildOptions &options, const Cipher *cipher)
        : sink_(sink), options_(options), cipher_(cipher) {
        if (options.fanout < 2 || options.fanout > kMaxCount)
            throw InputError("--fanout must lie between 2 and 65535");
        if (options.textSize == 0 || options.leafSize == 0)
            throw InputError("block sizes must be at least 1 byte");
        const Bytes headers(HeaderSize() + kTextHeaderSize, 0);
        sink_.Append(headers.data(), headers.size());
        sectionStart_ = sink_.Size();
    }

    // Packs a triple into the current text block. A triple never straddles two blocks,
    // and it starts at an offset that fits in 16 bits.
    HitRef AddText(const Triple &t) {
        const std::size_t size = t.s1.size() + t.s2.size() + t.s3.size() + 3;
        if (!plain_.empty() &&
            (plain_.size() + size > options_.textSize || plain_.size() > kMaxHitOffset)) {
            FlushText();
        }
        const HitRef ref{textBlock_, static_cast<std::uint16_t>(plain_.size())};
        for (const std::string *s : {&t.s1, &t.s2, &t.s3}) {
            PutBytes(plain_, s->data(), s->size());
            PutU8(plain_, 0);
        }
        ++pending_;
        return ref;
    }

    // Adds a key's leaf record; keys come in byte order.
    void AddKey(const std::string &key, const std::vector<HitRef> &hits) {
        if (!inLeaves_)
            StartLeaves();
        const std::size_t record = key.size() + 1 + kHitRefSize * hits.size();
        if (count_ > 0 && (plain_.size() + 4 + record > options_.leafSize || count_ == kMaxCount))
            FlushLeaf();
        PutU32(plain_, Checked32(record, "leaf record"));
        PutBytes(plain_, key.data(), key.size());
        PutU8(plain_, 0);
        for (const HitRef &hit : hits) {
            PutU32(plain_, hit.block);
            PutU16(plain_, hit.offset);
        }
        lastKey_ = key;
        ++count_;
        ++keys_;
        hitLimit_ = std::max(hitLimit_, hits.size());
    }

    std::size_t Keys() const { return keys_; }

    BuildResult Finish() {
        if (keys_ == 0)
            throw InputError("the source has no entries with a search key");
        FlushLeaf();
        BuildResult result = std::move(result_);
        const std::size_t indexOffset = sink_.Size();
        // Each pass groups one level's children under new nodes, until one root remains.
        Bytes index;
        std::vector<ChildRef> level = std::move(leaves_);
        while (level.size() > 1) {
            std::vector<ChildRef> parents;
            for (std::size_t i = 0; i < level.size(); i += options_.fanout) {
                const std::size_t end = std::min(level.size(), i + options_.fanout);
                parents.push_back(AppendIndexNode(level.begin() + static_cast<std::ptrdiff_t>(i),
                                                  level.begin() + static_cast<std::ptrdiff_t>(end),
                                                  cipher_, index, result.index));
            }
            level = std::move(parents);
            ++result.depth;
        }
        const ChildRef &root = level.front();
        result.hitLimit = static_cast<std::uint16_t>(hitLimit_);
        result.keys = keys_;

        Bytes header;
        PutU16(header, result.depth);
        PutU32(header, result.index.largestStored);
        PutU16(header, static_cast<std::uint16_t>(result.index.largestCount));
        PutU32(header, root.position);
        PutU32(header, root.size);
        PutU16(header, root.count);
        PutBytes(header, index.data(), index.size());
        sink_.Append(header.data(), header.size());

        header.clear();
        const bool utf8 = options_.textKind == TextKind::Utf8;
        if (utf8) {
            PutBytes(header, kUtf8Identification, sizeof kUtf8Identification - 1);
            PutU32(header, kUtf8FormatVersion);
            PutU32(header, Checked32(keys_, "keys"));
            for (int i = 0; i < 3; ++i)
                PutU32(header, kNoOffset);
            PutU8(header, cipher_ != nullptr ? 1 : 0);
        } else {
            PutBytes(header, kIdentification, sizeof kIdentification);
            PutU32(header, kFormatVersion);
            PutU32(header, Checked32(keys_, "keys"));
        }
        PutU32(header, Checked32(HeaderSize(), "offset"));
        PutU32(header, Checked32(leafOffset_, "offset"));
        PutU32(header, Checked32(indexOffset, "offset"));
        if (!utf8)
            PutU8(header, cipher_ != nullptr ? 1 : 0);
        PutU32(header, result.text.largestStored);
        PutU32(header, result.text.largestPlain);
        sink_.WriteAt(0, header.data(), header.size());

        header.clear();
        PutU32(header, result.leaf.largestStored);
        PutU32(header, result.leaf.largestPlain);
        PutU16(header, static_cast<std::uint16_t>(result.leaf.largestCount));
        PutU16(header, result.hitLimit);
        sink_.WriteAt(leafOffset_, header.data(), header.size());
        result.fileSize = sink_.Size();
        Checked32(result.fileSize, "file");
        return result;
    }

  private:
    // The file header, with a UTF-8 book's extension: where the text section starts.
    std::size_t HeaderSize() const {
        return kFileHeaderSize + (options_.textKind == TextKind::Utf8 ? kUtf8ExtensionSize : 0);
    }

    // Appends one compressed (and maybe enciphered) block with its 10-byte header;
    // returns its position within the section's records.
    std::uint32_t AppendBlock(std::uint16_t headerValue, SectionStats &stats, std::size_t count) {
        const std::uint32_t position = Checked32(sink_.Size() - sectionStart_, "section");
        Bytes payload = Compress(plain_);
        if (cipher_ != nullptr)
            (*cipher_)(position, payload.data(), Checked32(payload.size(), "block"));
        Bytes header;
        PutU32(header, Checked32(payload.size(), "block"));
        PutU32(header, Checked32(plain_.size(), "block"));
        PutU16(header, headerValue);
        sink_.Append(header.data(), header.size());
        sink_.Append(payload.data(), payload.size());
        Note(stats, payload.size(), plain_.size(), count);
        plain_.clear();
        return position;
    }

    void FlushText() {
        if (pending_ == 0)
            return;
        // The header's 16-bit value is not interpreted by readers: it holds the number of
        // triples in the block, which dump shows.
        const auto count = static_cast<std::uint16_t>(std::min(pending_, kMaxCount));
        AppendBlock(count, result_.text, pending_);
        pending_ = 0;
        textBlock_ = Checked32(sink_.Size() - sectionStart_, "section");
    }

    void StartLeaves() {
        FlushText();
        inLeaves_ = true;
        leafOffset_ = sink_.Size();
        const Bytes header(kLeafHeaderSize, 0);
        sink_.Append(header.data(), header.size());
        sectionStart_ = sink_.Size();
    }

    void FlushLeaf() {
        if (count_ == 0)
            return;
        const std::size_t start = sink_.Size();
        const std::uint32_t position =
            AppendBlock(static_cast<std::uint16_t>(count_), result_.leaf, count_);
        leaves_.push_back({lastKey_, position, Checked32(sink_.Size() - start, "leaf"),
                           static_cast<std::uint16_t>(count_)});
        count_ = 0;
    }

    ByteSink &sink_;
    const BuildOptions &options_;
    const Cipher *cipher_;
    BuildResult result_;
    Bytes plain_;  // the block being filled
    std::size_t sectionStart_ = 0;
    std::uint32_t textBlock_ = 0;  // the position the current text block will have
    std::size_t pending_ = 0;      // triples in it
    bool inLeaves_ = false;
    std::size_t leafOffset_ = 0;
    std::size_t count_ = 0;  // keys in the current leaf block
    std::string lastKey_;
    std::vector<ChildRef> leaves_;
    std::size_t keys_ = 0;
    std::size_t hitLimit_ = 0;
};

// One hit of a key as the runs hold it: seq orders a key's hits as the source does.
struct RunHit {
    std::string key;
    std::uint32_t seq = 0;
    std::uint32_t line = 0;
    HitRef ref;
    bool operator<(const RunHit &other) const {
        return key != other.key ? key < other.key : seq < other.seq;
    }
};

void WriteRunHit(std::FILE *file, const RunHit &hit) {
    Bytes bytes;
    PutU32(bytes, static_cast<std::uint32_t>(hit.key.size()));
    PutBytes(bytes, hit.key.data(), hit.key.size());
    PutU32(bytes, hit.seq);
    PutU32(bytes, hit.line);
    PutU32(bytes, hit.ref.block);
    PutU16(bytes, hit.ref.offset);
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        throw InputError("Het hulpbestand voor het sorteren kan niet worden geschreven.");
}

std::uint32_t ReadU32(const std::uint8_t *p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads a spilled run back, one hit at a time; false at its end.
bool ReadRunHit(std::FILE *file, RunHit &hit) {
    std::uint8_t size[4];
    if (std::fread(size, 1, 4, file) != 4)
        return false;
    hit.key.resize(ReadU32(size));
    std::uint8_t rest[14];
    if (std::fread(hit.key.data(), 1, hit.key.size(), file) != hit.key.size() ||
        std::fread(rest, 1, sizeof rest, file) != sizeof rest)
        throw InputError("Het hulpbestand voor het sorteren kan niet worden gelezen.");
    hit.seq = ReadU32(rest);
    hit.line = ReadU32(rest + 4);
    hit.ref.block = ReadU32(rest + 8);
    hit.ref.offset = static_cast<std::uint16_t>(rest[12] | rest[13] << 8);
    return true;
}

struct TextDigest {
    std::uint64_t low = 0, high = 0;
    bool operator==(const TextDigest &) const = default;
};
struct TextDigestHash {
    std::size_t operator()(const TextDigest &d) const { return static_cast<std::size_t>(d.low); }
};

// 128 bits of hash tell identical texts apart without keeping them: two different
// texts meet by chance about once in 2^64 books of a billion entries.
TextDigest Digest(const Triple &t) {
    XXH3_state_t *state = XXH3_createState();
    XXH3_128bits_reset(state);
    for (const std::string *s : {&t.s1, &t.s2, &t.s3}) {
        XXH3_128bits_update(state, s->data(), s->size());
        XXH3_128bits_update(state, "", 1);  // the fields' separator: no field holds a NUL
    }
    const XXH128_hash_t hash = XXH3_128bits_digest(state);
    XXH3_freeState(state);
    return {hash.low64, hash.high64};
}

}  // namespace

BuildResult BuildDictionary(const KeyTable &table, const BuildOptions &options,
                            const Cipher *cipher) {
    if (table.keys.empty())
        throw InputError("the source has no entries with a search key");
    if (table.LargestHitList() > kMaxCount)
        throw InputError("a search key has more than 65535 entries");
    MemorySink sink;
    FileLayout layout(sink, options, cipher);
    std::vector<HitRef> refs;
    refs.reserve(table.triples.size());
    for (std::size_t i = 0; i < table.triples.size(); ++i) {
        if (options.progress != nullptr)
            options.progress->Step(i, table.triples.size());
        refs.push_back(layout.AddText(table.triples[i]));
    }
    std::vector<HitRef> hits;
    for (const auto &[key, indexes] : table.keys) {
        hits.clear();
        for (const std::uint32_t i : indexes)
            hits.push_back(refs[i]);
        layout.AddKey(key, hits);
    }
    BuildResult result = layout.Finish();
    result.file = std::move(sink.bytes);
    return result;
}

struct StreamingBuilder::State {
    State(ByteSink &sink, const BuildOptions &options, Diagnostics &messages, std::string scratch,
          std::size_t bound)
        : layout(sink, options, nullptr),
          textKind(options.textKind),
          diag(messages),
          folder(std::move(scratch)),
          runBytes(bound) {
        // Reserved once: grown by doubling, the run would hold up to twice its bound.
        run.reserve(std::min<std::size_t>(bound / sizeof(RunHit) + 16, 1u << 20));
    }
    ~State() {
        for (std::FILE *spilled : runs)
            std::fclose(spilled);
    }

    void Spill() {
        std::sort(run.begin(), run.end());
        std::FILE *file = OpenScratchFile(folder);
        runs.push_back(file);
        for (const RunHit &hit : run)
            WriteRunHit(file, hit);
        if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0)
            throw InputError("Het hulpbestand voor het sorteren kan niet worden geschreven.");
        run.clear();
        held = 0;
    }

    // The hits of one key, in source order, each text once; checked against the limit.
    void Key(const std::string &key, std::vector<RunHit> &group) {
        std::vector<HitRef> hits;
        hits.reserve(group.size());
        std::unordered_set<std::uint64_t> seen;
        for (const RunHit &hit : group) {
            const std::uint64_t ref = std::uint64_t{hit.ref.block} << 16 | hit.ref.offset;
            if (group.size() == 1 || seen.insert(ref).second)
                hits.push_back(hit.ref);
        }
        if (hits.size() > kMaxCount) {
            diag.Error(static_cast<int>(group.front().line),
                       TooManyHits(key, hits.size(), kMaxCount));
            return;
        }
        layout.AddKey(key, hits);
    }

    void Merge() {
        std::sort(run.begin(), run.end());
        if (runs.empty()) {
            MergeFrom([this, i = std::size_t{0}](RunHit &hit) mutable {
                if (i == run.size())
                    return false;
                hit = std::move(run[i++]);
                return true;
            });
            return;
        }
        if (!run.empty())
            Spill();
        // The least key of every run's head, then that run's next hit.
        struct Head {
            RunHit hit;
            std::size_t run;
            bool operator>(const Head &other) const { return other.hit < hit; }
        };
        std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            Head head{{}, i};
            if (ReadRunHit(runs[i], head.hit))
                heads.push(std::move(head));
        }
        MergeFrom([&](RunHit &hit) {
            if (heads.empty())
                return false;
            Head head = heads.top();
            heads.pop();
            hit = head.hit;
            if (ReadRunHit(runs[head.run], head.hit))
                heads.push(std::move(head));
            return true;
        });
    }

    template <typename Next>
    void MergeFrom(Next next) {
        std::vector<RunHit> group;
        RunHit hit;
        while (next(hit)) {
            if (!group.empty() && group.front().key != hit.key) {
                Key(group.front().key, group);
                group.clear();
            }
            group.push_back(std::move(hit));
        }
        if (!group.empty())
            Key(group.front().key, group);
    }

    FileLayout layout;
    TextKind textKind;
    Diagnostics &diag;
    std::string folder;
    std::size_t runBytes;
    std::unordered_map<TextDigest, HitRef, TextDigestHash> stored;
    std::vector<ExactWord> exact;
    std::vector<RunHit> run;
    std::size_t held = 0;  // bytes the run holds
    std::vector<std::FILE *> runs;
    std::uint32_t seq = 0;
};

StreamingBuilder::StreamingBuilder(ByteSink &sink, const BuildOptions &options, Diagnostics &diag,
                                   std::string scratchFolder, std::size_t runBytes)
    : state_(std::make_unique<State>(sink, options, diag, std::move(scratchFolder), runBytes)) {}

StreamingBuilder::~StreamingBuilder() = default;

bool StreamingBuilder::Add(const SourceEntry &entry,
                           const std::function<void(std::string_view key)> &eachKey) {
    State &s = *state_;
    std::vector<std::pair<std::string, int>> folded =
        EntryKeys(entry, s.diag, std::numeric_limits<std::size_t>::max(), s.exact, s.textKind);
    if (folded.empty())
        return false;
    const Triple triple{entry.headword, entry.dir, entry.body};
    const TextDigest digest = Digest(triple);
    auto it = s.stored.find(digest);
    const bool isNew = it == s.stored.end();
    if (isNew)
        it = s.stored.emplace(digest, s.layout.AddText(triple)).first;
    for (auto &[key, line] : folded) {
        if (eachKey)
            eachKey(key);
        s.held += sizeof(RunHit) + (key.size() > 15 ? key.size() + 1 : 0);
        s.run.push_back({std::move(key), s.seq, static_cast<std::uint32_t>(line), it->second});
    }
    ++s.seq;
    if (s.held > s.runBytes)
        s.Spill();
    return isNew;
}

BuildResult StreamingBuilder::Finish() {
    state_->stored = {};
    state_->Merge();
    if (state_->layout.Keys() == 0)
        return {};
    return state_->layout.Finish();
}

const std::vector<ExactWord> &StreamingBuilder::Exact() const {
    return state_->exact;
}

std::size_t StreamingBuilder::Runs() const {
    return state_->runs.size();
}

}  // namespace books
