// The file layout, read back by the compiler's own reader and byte by byte.
#include "books/builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "books/dictd_import.h"
#include "books/layout.h"
#include "books/reader.h"
#include "books/source.h"
#include "books/zlib_codec.h"
#include "test_support.h"

namespace books {
namespace {

std::uint32_t U32At(const Bytes &b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16At(const Bytes &b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// Every key gives exactly its triples, in order; keys around them give nothing; the
// headers agree with what a full walk measures.
void ExpectRoundTrip(const KeyTable &table, const BuildResult &built, Cipher decrypt = nullptr) {
    const DictionaryReader reader(built.file, decrypt);
    for (const auto &[key, hits] : table.keys) {
        const auto found = reader.Lookup(key);
        ASSERT_TRUE(found.has_value()) << key;
        ASSERT_EQ(found->size(), hits.size()) << key;
        for (std::size_t i = 0; i < hits.size(); ++i) {
            EXPECT_EQ((*found)[i], table.triples[hits[i]]) << key << " hit " << i;
        }
        if (table.keys.count(key + "A") == 0) {
            EXPECT_FALSE(reader.Lookup(key + "A").has_value()) << key;
        }
    }
    EXPECT_FALSE(reader.Lookup("A").has_value());
    EXPECT_FALSE(reader.Lookup("ZZZZZZZZ").has_value());
    const WalkResult walk = reader.Walk();
    EXPECT_TRUE(walk.problems.empty()) << walk.problems.front();
    EXPECT_EQ(walk.keys, table.keys.size());
    EXPECT_EQ(walk.indexLevels.size(), built.depth);
}

TEST(LexqcBuilder, OneEntryFileIsLaidOutExactly) {
    const KeyTable table = test::Collect("kw: huis\ndir: nl-en\n<p>house</p>\n");
    const BuildResult built = BuildDictionary(table, {}, nullptr);
    const Bytes &f = built.file;
    EXPECT_EQ(std::memcmp(f.data(), "TAALKIST-LEXQ 1\0", 16), 0);
    EXPECT_EQ(U32At(f, 16), 1u);  // format version
    EXPECT_EQ(U32At(f, 20), 1u);  // keys
    const std::uint32_t text = U32At(f, 24), leaf = U32At(f, 28), index = U32At(f, 32);
    EXPECT_EQ(text, 37u);
    EXPECT_EQ(f[36], 0);

    // Text section: header, then one block holding the three strings.
    const std::uint32_t textPayload = U32At(f, text + 8);
    EXPECT_EQ(U32At(f, text), textPayload);  // largest stored payload
    const Bytes textPlain = Inflate(f.data() + text + 18, textPayload);
    const std::string strings("huis\0nl-en\0<p>house</p>\0", 24);
    EXPECT_EQ(std::string(textPlain.begin(), textPlain.end()), strings);
    EXPECT_EQ(U32At(f, text + 4), 24u);
    EXPECT_EQ(U32At(f, text + 12), 24u);
    EXPECT_EQ(leaf, text + 8 + 10 + textPayload);

    // Leaf section: header, then one block with R | key | reference (block 0, offset 0).
    const std::uint32_t leafPayload = U32At(f, leaf + 12);
    EXPECT_EQ(U32At(f, leaf), leafPayload);
    EXPECT_EQ(U32At(f, leaf + 4), 15u);
    EXPECT_EQ(U16At(f, leaf + 8), 1u);   // largest entry count
    EXPECT_EQ(U16At(f, leaf + 10), 1u);  // hit limit
    EXPECT_EQ(U16At(f, leaf + 20), 1u);  // block entry count
    const Bytes leafPlain = Inflate(f.data() + leaf + 22, leafPayload);
    const std::uint8_t record[] = {11, 0, 0, 0, 'H', 'U', 'I', 'S', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(leafPlain, Bytes(record, record + sizeof record));
    EXPECT_EQ(index, leaf + 12 + 10 + leafPayload);

    // Index header of depth 0: the root is the only leaf block.
    EXPECT_EQ(U16At(f, index), 0u);
    EXPECT_EQ(U32At(f, index + 2), 0u);
    EXPECT_EQ(U16At(f, index + 6), 0u);
    EXPECT_EQ(U32At(f, index + 8), 0u);
    EXPECT_EQ(U32At(f, index + 12), leafPayload + 10);
    EXPECT_EQ(U16At(f, index + 16), 1u);
    EXPECT_EQ(f.size(), index + 18u);
}

struct TreeCase {
    int entries;
    std::uint32_t leafSize, textSize, fanout;
    int depth;
};

class LexqcBuilderTree : public testing::TestWithParam<TreeCase> {};

TEST_P(LexqcBuilderTree, EveryKeyIsFoundAtTheExpectedDepth) {
    const TreeCase c = GetParam();
    const KeyTable table = test::Collect(test::ManyEntries(c.entries));
    const BuildResult built = BuildDictionary(table, {c.textSize, c.leafSize, c.fanout}, nullptr);
    EXPECT_EQ(built.depth, c.depth);
    ExpectRoundTrip(table, built);
}

INSTANTIATE_TEST_SUITE_P(Depths, LexqcBuilderTree,
                         testing::Values(TreeCase{3, 4096, 8192, 128, 0},
                                         TreeCase{40, 1, 100, 128, 1},  // a leaf per key
                                         TreeCase{8, 1, 1, 2, 3},       // 8 leaves, pairs
                                         TreeCase{9, 1, 1, 2, 4}, TreeCase{300, 200, 600, 4, 3},
                                         TreeCase{2000, 4096, 8192, 128, 1}),
                         [](const testing::TestParamInfo<TreeCase> &param) {
                             return "Depth" + std::to_string(param.param.depth) + "Entries" +
                                    std::to_string(param.param.entries);
                         });

TEST(LexqcBuilder, EncipheredFileReadsBackOnlyWithItsCipher) {
    const KeyTable table = test::Collect(test::ManyEntries(120));
    const BuildOptions small{300, 100, 3};
    const Cipher cipher = test::TestCipher;
    const BuildResult plain = BuildDictionary(table, small, nullptr);
    const BuildResult enciphered = BuildDictionary(table, small, &cipher);
    ASSERT_GE(enciphered.depth, 2);
    EXPECT_EQ(enciphered.file[kEncipheredField], 1);
    EXPECT_EQ(enciphered.file.size(), plain.file.size());  // an entry keeps its size
    ExpectRoundTrip(table, enciphered, cipher);

    // The root's first entry: its key length, then the key and reference enciphered
    // at the entry's own position.
    const DictionaryReader reader(enciphered.file, cipher);
    const std::size_t root =
        reader.Header().indexOffset + kIndexHeaderSize + reader.Index().rootPosition;
    const std::size_t plainRoot = DictionaryReader(plain.file, nullptr).Header().indexOffset +
                                  kIndexHeaderSize + reader.Index().rootPosition;
    const std::uint8_t length = enciphered.file[root];
    ASSERT_EQ(plain.file[plainRoot + length], 0);  // plain form: the key, then its zero
    Bytes entry(enciphered.file.begin() + root + 1,
                enciphered.file.begin() + root + 1 + length + 10);
    EXPECT_NE(0, std::memcmp(entry.data(), &plain.file[plainRoot], length));
    test::TestCipher(reader.Index().rootPosition, entry.data(), length + 10);
    EXPECT_EQ(0, std::memcmp(entry.data(), &plain.file[plainRoot], length));
    EXPECT_EQ(0, std::memcmp(entry.data() + length, &plain.file[plainRoot + length + 1], 10));

    // Without the right cipher the file does not read.
    const Cipher wrong = [](std::uint32_t, std::uint8_t *, std::uint32_t) {};
    EXPECT_THROW(DictionaryReader(enciphered.file, wrong).Walk(), InputError);
    EXPECT_THROW(DictionaryReader(enciphered.file, nullptr), InputError);
}

TEST(LexqcBuilder, HitOffsetsStayWithin16Bits) {
    // Entries of about 1 KiB in blocks allowed to grow to 1 MiB: a block must still end
    // before a hit would start beyond 65535.
    std::string source;
    for (int i = 0; i < 200; ++i) {
        source += "kw: w" + std::string(1, static_cast<char>('a' + i / 26)) +
                  static_cast<char>('a' + i % 26) + "\n" + std::string(1000, 'x') +
                  std::to_string(i) + "\n\n";
    }
    // And one body larger than any block, alone in its own.
    source += "kw: huge\n" + std::string(100000, 'h') + "\n";
    const KeyTable table = test::Collect(source);
    const BuildResult built = BuildDictionary(table, {1u << 20, 4096, 128}, nullptr);
    EXPECT_GE(built.text.blocks, 4u);
    EXPECT_GT(built.text.largestPlain, 65536u);
    ExpectRoundTrip(table, built);
}

TEST(LexqcBuilder, HitLimitIsTheLongestHitList) {
    std::string source;
    for (int i = 0; i < 300; ++i)
        source += "kw: Huis\n<p>" + std::to_string(i) + "</p>\n\n";
    source += "kw: boek\nb\n";
    const KeyTable table = test::Collect(source);
    const BuildResult built = BuildDictionary(table, {64, 64, 2}, nullptr);
    EXPECT_EQ(built.hitLimit, 300);
    const DictionaryReader reader(built.file, nullptr);
    EXPECT_EQ(reader.Leaf().hitLimit, 300);
    const auto hits = reader.Lookup("HUIS");
    ASSERT_TRUE(hits.has_value());
    ASSERT_EQ(hits->size(), 300u);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ((*hits)[i].s3, "<p>" + std::to_string(i) + "</p>");
    ExpectRoundTrip(table, built);
}

TEST(LexqcBuilder, DamagedSourcesBuildOrFailCleanly) {
    // Sources with bytes changed at random either give errors or a dictionary in which
    // every key reads back exactly.
    const std::string good =
        "kw: huis\ndir: nl-en\nkey: woning\n<p>huis</p>\n\nkw: "
        "caf\xC3\xA9\n<p>\xE2\x82\xAC</p>\n\n" +
        test::ManyEntries(12);
    const char replacements[] = {'\0', '\n', '\\', '#', ':', ' ', 'k', '\xC3', '\xA9', '\x01'};
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    int built = 0;
    for (int round = 0; round < 300; ++round) {
        std::string source = good;
        for (int k = 0; k < 3; ++k) {
            source[next() % source.size()] = replacements[next() % sizeof replacements];
        }
        Diagnostics diag;
        const std::vector<SourceEntry> entries = ParseSource(source, diag);
        const KeyTable table = CollectKeys(entries, diag, 255, 0xFFFF);
        if (diag.HasErrors() || table.keys.empty())
            continue;
        const Cipher cipher = test::TestCipher;
        const BuildResult result = BuildDictionary(table, {200, 100, 2}, &cipher);
        ExpectRoundTrip(table, result, cipher);
        ++built;
    }
    EXPECT_GT(built, 30);  // the cases above were not all refused
}

TEST(LexqcBuilder, RefusesAnEmptyDictionaryAndBadOptions) {
    EXPECT_THROW(BuildDictionary(KeyTable{}, {}, nullptr), InputError);
    const KeyTable table = test::Collect("kw: a\nb\n");
    EXPECT_THROW(BuildDictionary(table, {8192, 4096, 1}, nullptr), InputError);
    EXPECT_THROW(BuildDictionary(table, {0, 4096, 2}, nullptr), InputError);
}

class SinkInMemory : public ByteSink {
  public:
    void Append(const std::uint8_t *data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
    }
    void WriteAt(std::size_t at, const std::uint8_t *data, std::size_t size) override {
        std::memcpy(bytes.data() + at, data, size);
    }
    std::size_t Size() const override { return bytes.size(); }
    Bytes bytes;
};

// The streamed build gives the file that the whole-table build gives, byte for byte, and
// the same warnings and exact words, however small its runs: texts shared by several
// records, a record repeated, keys with many hits in source order, words without letters.
void ExpectSameAsWholeBuild(const std::string &source, std::size_t runBytes,
                            std::size_t minimumRuns, const BuildOptions &options = {}) {
    Diagnostics wholeDiag("s.src"), streamDiag("s.src");
    const std::vector<SourceEntry> entries = ParseSource(source, wholeDiag);
    const KeyTable table = CollectKeys(entries, wholeDiag, 1u << 20, 0xFFFF);
    const BuildResult whole = BuildDictionary(table, options, nullptr);

    const test::TempDir scratch;
    SinkInMemory sink;
    StreamingBuilder builder(sink, options, streamDiag, scratch.Path(), runBytes);
    for (const SourceEntry &entry : ParseSource(source, streamDiag))
        builder.Add(entry);
    const BuildResult streamed = builder.Finish();
    EXPECT_GE(builder.Runs(), minimumRuns);
    EXPECT_EQ(streamed.keys, table.keys.size());
    EXPECT_EQ(streamed.fileSize, whole.file.size());
    EXPECT_TRUE(sink.bytes == whole.file) << "the streamed file differs";
    EXPECT_EQ(streamDiag.Warnings(), wholeDiag.Warnings());
    ASSERT_EQ(builder.Exact().size(), table.exact.size());
    for (std::size_t i = 0; i < table.exact.size(); ++i)
        EXPECT_EQ(builder.Exact()[i].word, table.exact[i].word);
    // Nothing is left in the scratch folder: runs vanish with their files.
    EXPECT_TRUE(std::filesystem::is_empty(scratch.Path()));
}

TEST(LexqcStreamingBuild, GivesTheWholeBuildsFileInBoundedRuns) {
    std::string source = test::ManyEntries(1500);
    for (int i = 0; i < 300; ++i) {
        // One key with many hits from far apart, a text under two spellings, a repeat.
        source += "kw: bank\n<p>bank " + std::to_string(i % 120) + "</p>\n\n";
        source += "kw: " + std::string(i % 2 == 0 ? "caf\xC3\xA9" : "cafe") + "\nkey: 10-" +
                  std::to_string(i) + "\n<p>same</p>\n\n";
    }
    source += "kw: 8086\n<p>chip</p>\n\nkw: :-)\n<p>smile</p>\n";
    ExpectSameAsWholeBuild(source, 4096, 10);
    ExpectSameAsWholeBuild(source, 1u << 30, 0);  // all in memory
    ExpectSameAsWholeBuild(source, 4096, 10, {256, 128, 3});
}

// A real book: the first part of WordNet, its headwords folding to many keys.
TEST(LexqcStreamingBuild, GivesTheWholeBuildsFileForWordNet) {
    const std::string stem = "/usr/share/dictd/wn";
    if (!std::filesystem::exists(stem + ".index"))
        GTEST_SKIP() << "dict-wn is not installed (" << stem << ".index is missing)";
    const std::string index = ReadGzipFile(stem + ".index");
    std::size_t end = 0;
    for (int line = 0; line < 4000 && end != std::string::npos; ++line)
        end = index.find('\n', end + 1);
    Diagnostics diag;
    DictdImportOptions options;
    options.wordnet = true;
    const std::string source =
        ImportDictd(index.substr(0, end + 1), ReadGzipFile(stem + ".dict.dz"), options, diag);
    ExpectSameAsWholeBuild(source, 16u << 10, 5);
}

}  // namespace
}  // namespace books
