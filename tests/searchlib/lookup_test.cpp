// The lookup: index descent at every depth, the leaf block, hit collection, caching,
// and one distinct status for each broken invariant of a node or block.
#include "lookup.h"
#include "fixture.h"
#include "loader.h"

namespace tk::test {
namespace {

class Lookup : public LexqTest {
  protected:
    void TearDown() override {
        lexq_close(dict_);
        LexqTest::TearDown();
    }
    void Open(const RawDictionary &raw) {
        lexq_close(dict_);
        dict_ = nullptr;
        ASSERT_EQ(lexq_open(Write(raw).c_str(), &dict_), LEXQ_OK);
    }
    // Looks key up; on success hits receives copies of the hit list.
    lexq_status Find(const std::string &key, std::vector<Hit> *hits = nullptr) {
        const lexq_status status = lexq_lookup(dict_, key.c_str());
        if (hits != nullptr) {
            hits->clear();
            for (uint32_t i = 0; status == LEXQ_OK && i < dict_->hit_count; i++)
                hits->push_back({dict_->hit_s1[i], dict_->hit_s2[i], dict_->hit_s3[i]});
        }
        return status;
    }
    lexq_dictionary *dict_ = nullptr;
};

// Twenty words, each with one to three hits whose strings name the word.
std::vector<Entry> Words() {
    std::vector<Entry> entries;
    const char *words[] = {"AAP",  "BEER", "BOOM", "DAK",   "DEUR",  "EI",   "FIETS",
                           "GANS", "HUIS", "KAT",  "KOE",   "LAMP",  "MUIS", "NEUS",
                           "OOR",  "PEN",  "RAAM", "STOEL", "TAFEL", "ZON"};
    int n = 0;
    for (const char *w : words) {
        Entry e{w, {}};
        for (int h = 0; h <= n % 3; h++)
            e.hits.push_back({std::string(w) + std::to_string(h), n % 2 ? "" : "de",
                              "<b>" + std::string(w) + "</b>"});
        entries.push_back(e);
        n++;
    }
    return entries;
}

TEST_F(Lookup, FindsEveryWordAtEveryDepthAndNothingBetweenOrBeyond) {
    for (uint16_t depth = 0; depth <= 3; depth++) {
        for (bool enciphered : {false, true}) {
            SCOPED_TRACE("depth " + std::to_string(depth) +
                         (enciphered ? " enciphered" : " plain"));
            BuildOptions options;
            options.depth = depth;
            options.leafEntries = 2;
            options.fanout = 2;
            if (enciphered)
                options.cipher = CryptEncrypt();
            const std::vector<Entry> words = Words();
            Open(BuildDictionary(words, options));
            for (const Entry &e : words) {
                std::vector<Hit> hits;
                ASSERT_EQ(Find(e.key, &hits), LEXQ_OK) << e.key;
                EXPECT_TRUE(hits == e.hits) << e.key;
            }
            // Before the first key, between keys, a prefix, and past the last key.
            for (const char *absent : {"A", "AAAA", "BEE", "BEERS", "HUISJE", "ZONNE", "ZZZ"}) {
                std::vector<Hit> hits{{"x", "y", "z"}};
                EXPECT_EQ(Find(absent, &hits), LEXQ_OK) << absent;
                EXPECT_TRUE(hits.empty()) << absent;
            }
        }
    }
}

TEST_F(Lookup, RepeatingASearchReadsNothingFromTheFile) {
    BuildOptions options;
    options.depth = 3;
    options.leafEntries = 2;
    options.fanout = 2;
    Open(BuildDictionary(Words(), options));
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    ASSERT_EQ(Find("KAT"), LEXQ_OK);
    // Three nodes, one leaf block (header and payload), one text block (header and payload);
    // the read-ahead brings each block's header and payload in one system read.
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_READ), 3u + 2u + 2u);
    EXPECT_EQ(lexq_seam_stream_system_reads(), 3u + 1u + 1u);
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    std::vector<Hit> again;
    ASSERT_EQ(Find("KAT", &again), LEXQ_OK);
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_READ), 0u);
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_SEEK), 0u);
    EXPECT_EQ(lexq_seam_stream_system_reads(), 0u);
    EXPECT_EQ(again.size(), Words()[9].hits.size());
}

TEST_F(Lookup, HitsInOneTextBlockShareOneLoadAndKeepTheirStoredOrder) {
    // Three references into one block, stored in the reverse order of their strings.
    RawDictionary raw;
    const std::string content = std::string("een\0\0e1\0twee\0t\0t2\0drie\0d\0d3\0", 28);
    const uint32_t block = raw.AddText({content});
    const uint32_t other = raw.AddText({std::string("vier\0v\0v4\0", 10)});
    raw.SetRoot(0, raw.AddLeaf({{"WOORD", {{block, 18}, {other, 0}, {block, 8}, {block, 0}}}}));
    Open(raw);
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
    std::vector<Hit> hits;
    ASSERT_EQ(Find("WOORD", &hits), LEXQ_OK);
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_READ), 2u + 2u + 2u);  // leaf, two text blocks
    const std::vector<Hit> expected{
        {"drie", "d", "d3"}, {"vier", "v", "v4"}, {"twee", "t", "t2"}, {"een", "", "e1"}};
    EXPECT_TRUE(hits == expected);
    int used = 0;
    for (int i = 0; i < dict_->hit_limit; i++)
        used += dict_->text_slots[i].in_use;
    EXPECT_EQ(used, 2);
    // The first block went to the highest-numbered slot, the second to the one below.
    EXPECT_EQ(dict_->text_slots[3].tag, dict_->text_offset + 8u + block);
    EXPECT_EQ(dict_->text_slots[2].tag, dict_->text_offset + 8u + other);
}

TEST_F(Lookup, HitLimitExactlyIsFineAndOneMoreIsExhaustion) {
    RawDictionary raw;
    const uint32_t block = raw.AddText({std::string("a\0b\0c\0", 6)});
    std::vector<Ref> five(5, {block, 0});
    std::vector<Ref> six(6, {block, 0});
    raw.SetRoot(0, raw.AddLeaf({{"VIJF", five}, {"ZES", six}}));
    raw.fields.hitLimit = 5;
    Open(raw);
    std::vector<Hit> hits;
    EXPECT_EQ(Find("VIJF", &hits), LEXQ_OK);
    EXPECT_EQ(hits.size(), 5u);
    EXPECT_EQ(Find("ZES"), LEXQ_S_NOMEM);
    EXPECT_EQ(Find("VIJF"), LEXQ_OK) << "the dictionary stays usable";
}

TEST_F(Lookup, EqualKeysInALeafGiveTheFirst) {
    RawDictionary raw;
    const uint32_t block = raw.AddText({std::string("een\0\0\0twee\0\0\0", 12)});
    raw.SetRoot(0, raw.AddLeaf({{"AA", {{block, 0}}},
                                {"DUBBEL", {{block, 0}}},
                                {"DUBBEL", {{block, 6}}},
                                {"ZZ", {{block, 6}}}}));
    Open(raw);
    std::vector<Hit> hits;
    ASSERT_EQ(Find("DUBBEL", &hits), LEXQ_OK);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].s1, "een");
}

// A dictionary with two leaf blocks under one root node: GOED lies in a sound leaf with
// its own text block; the leaf that holds KAPOT is made by the caller.
struct TwoLeaves {
    RawDictionary raw;
    uint32_t goodText = 0, badText = 0;
    Placed goodLeaf;
    explicit TwoLeaves(Cipher cipher = nullptr) : raw(std::move(cipher)) {
        goodText = raw.AddText({std::string("goed\0g\0G\0", 10)});
        badText = raw.AddText({std::string("kapot\0k\0K\0", 11)});
        goodLeaf = raw.AddLeaf({{"GOED", {{goodText, 0}}}});
    }
    void Root(const Placed &badLeaf, const std::string &badKey = "KAPOT") {
        raw.SetRoot(1, raw.AddNode({{"GOED", goodLeaf.position, goodLeaf.size, goodLeaf.count},
                                    {badKey, badLeaf.position, badLeaf.size, badLeaf.count}}));
    }
};

TEST_F(Lookup, BrokenIndexNodesAreInconsistent) {
    const struct {
        const char *name;
        std::string node;
        uint16_t count;
        lexq_status status;
    } cases[] = {
        {"leftover byte", NodeBytes({{"ZZ", 0, 0, 1}}) + "x", 1, LEXQ_S_CORRUPT},
        {"key without terminator", "ZZZZ", 1, LEXQ_S_CORRUPT},
        {"child fields cut short", std::string("ZZ\0", 3) + std::string(9, '\0'), 1,
         LEXQ_S_CORRUPT},
        {"fewer entries than count", NodeBytes({{"ZZ", 0, 0, 1}}), 2, LEXQ_S_CORRUPT},
        {"no entries", "", 0, LEXQ_S_CORRUPT},
    };
    for (const auto &c : cases) {
        RawDictionary raw;
        raw.AddLeaf({{"ZZ", {{0, 0}}}});
        raw.SetRoot(1, raw.AddRawNode(c.node, c.count));
        raw.fields.nodeMaxEntries = 2;
        Open(raw);
        EXPECT_EQ(Find("ZZ"), c.status) << c.name;
    }
}

TEST_F(Lookup, NodesBeyondTheIndexHeaderMaximaAreInconsistent) {
    for (int which = 0; which < 2; which++) {
        RawDictionary raw;
        const uint32_t text = raw.AddText({std::string("a\0b\0c\0", 6)});
        const Placed leaf = raw.AddLeaf({{"ZZ", {{text, 0}}}});
        raw.SetRoot(1, raw.AddNode({{"ZZ", leaf.position, leaf.size, leaf.count}}));
        if (which == 0)
            raw.fields.rootCount = 2;  // more than the largest entry count
        else
            raw.fields.nodeMaxSize = 5;  // the 13-byte node is larger than the largest
        Open(raw);
        lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);
        EXPECT_EQ(Find("ZZ"), LEXQ_S_CORRUPT) << which;
        EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_READ), 0u) << "checked before reading";
    }
}

TEST_F(Lookup, EncipheredEntryLongerThanTheNodeIsInconsistent) {
    RawDictionary raw(CryptEncrypt());
    raw.AddLeaf({{"ZZ", {{0, 0}}}});
    // Length byte 5 says 16 bytes follow, but only 10 do.
    raw.SetRoot(1, raw.AddRawNode(std::string("\x05") + std::string(10, 'q'), 1));
    Open(raw);
    EXPECT_EQ(Find("ZZ"), LEXQ_S_CORRUPT);
}

TEST_F(Lookup, BrokenLeafBlocksGiveTheirStatusAndLeaveOtherWordsFindable) {
    const auto leafBlock = [](const std::string &content) {
        Block b;
        b.content = content;
        return b;
    };
    const std::string sound = LeafContent({{"KAPOT", {{0, 0}}}});
    struct Case {
        const char *name;
        Block block;
        uint16_t count;
        lexq_status status;
    };
    std::vector<Case> cases;
    Block b = leafBlock(sound);
    b.payloadLength = 1000;
    cases.push_back({"payload length differs from size - 10", b, 1, LEXQ_S_CORRUPT});
    b = leafBlock(sound);
    b.count = 2;
    cases.push_back({"entry count differs from the index entry", b, 1, LEXQ_S_CORRUPT});
    b = leafBlock(sound);
    b.decompressedLength = static_cast<uint32_t>(sound.size() + 1);
    cases.push_back({"decompressed length differs", b, 1, LEXQ_S_CORRUPT});
    b = leafBlock(sound);
    b.payload = "not a zlib stream";
    cases.push_back({"payload not zlib", b, 1, LEXQ_S_INFLATE});
    cases.push_back({"leftover bytes", leafBlock(sound + "x"), 1, LEXQ_S_CORRUPT});
    cases.push_back({"record without references", leafBlock(Le32(6) + std::string("KAPOT\0", 6)), 1,
                     LEXQ_S_CORRUPT});
    cases.push_back({"references not whole", leafBlock(Le32(10) + std::string("KAPOT\0abcd", 10)),
                     1, LEXQ_S_CORRUPT});
    cases.push_back({"key without terminator", leafBlock(Le32(5) + "KAPOT"), 1, LEXQ_S_CORRUPT});
    cases.push_back({"record past the block",
                     leafBlock(Le32(13) + std::string("KAPOT\0", 6) + Le32(0) + Le16(0)), 1,
                     LEXQ_S_CORRUPT});
    cases.push_back({"only a length left", leafBlock(sound + Le32(0)), 2, LEXQ_S_CORRUPT});
    cases.push_back(
        {"more entries than the header's largest", leafBlock(sound + sound), 2, LEXQ_S_CORRUPT});
    for (bool enciphered : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (enciphered ? " (enciphered)" : ""));
            TwoLeaves t(enciphered ? CryptEncrypt() : nullptr);
            t.Root(t.raw.AddLeaf(c.block, c.count));
            t.raw.fields.leafMaxEntries = 1;
            Open(t.raw);
            EXPECT_EQ(Find("KAPOT"), c.status);
            std::vector<Hit> hits;
            EXPECT_EQ(Find("GOED", &hits), LEXQ_OK);
            EXPECT_EQ(hits.size(), 1u);
            EXPECT_EQ(Find("KAPOT"), c.status) << "the same failure again";
        }
    }
}

TEST_F(Lookup, ASlotWhoseLoadFailsHoldsNothingAfterwards) {
    // One text slot and one leaf slot: KAPOT's leaf and text blocks decompress over
    // GOED's cached ones and only then prove wrong, so GOED must be read again.
    TwoLeaves t;
    Block text{std::string("kapot\0k\0K\0", 11)};
    text.decompressedLength = 10;
    const uint32_t badText = t.raw.AddText(text);
    Block leaf{LeafContent({{"KAPOT", {{badText, 0}}}})};
    leaf.decompressedLength = 3;
    const Placed badLeaf = t.raw.AddLeaf(leaf, 1);
    t.Root(badLeaf);
    t.raw.fields.hitLimit = 1;
    Open(t.raw);
    const std::vector<Hit> goed{{"goed", "g", "G"}};
    std::vector<Hit> hits;
    ASSERT_EQ(Find("GOED", &hits), LEXQ_OK);
    EXPECT_EQ(Find("KAPOT"), LEXQ_S_CORRUPT);  // the leaf block fails
    ASSERT_EQ(Find("GOED", &hits), LEXQ_OK);
    EXPECT_EQ(hits, goed);

    // Now a sound leaf whose text block fails.
    TwoLeaves u;
    const uint32_t badText2 = u.raw.AddText(text);
    u.Root(u.raw.AddLeaf({{"KAPOT", {{badText2, 0}}}}));
    u.raw.fields.hitLimit = 1;
    Open(u.raw);
    ASSERT_EQ(Find("GOED", &hits), LEXQ_OK);
    EXPECT_EQ(Find("KAPOT"), LEXQ_S_CORRUPT);
    ASSERT_EQ(Find("GOED", &hits), LEXQ_OK);
    EXPECT_EQ(hits, goed);
}

TEST_F(Lookup, LeafPayloadLargerThanTheWorkBufferIsInconsistent) {
    TwoLeaves t;
    t.Root(t.raw.AddLeaf({{"KAPOT", {{t.badText, 0}}}}));
    t.raw.fields.leafMaxPayload = 5;
    t.raw.fields.textMaxPayload = 5;
    Open(t.raw);
    EXPECT_EQ(Find("KAPOT"), LEXQ_S_CORRUPT);
}

TEST_F(Lookup, BrokenTextBlocksAndHitsGiveTheirStatus) {
    struct Case {
        const char *name;
        Block block;
        uint16_t offset;
        lexq_status status;
    };
    std::vector<Case> cases;
    Block b{std::string("kapot\0k\0K\0", 11)};
    cases.push_back({"offset at the last byte", b, 10, LEXQ_S_CORRUPT});
    cases.push_back({"offset past the block", b, 11, LEXQ_S_CORRUPT});
    cases.push_back({"s3 not terminated", {std::string("kapot\0k\0K", 9)}, 0, LEXQ_S_CORRUPT});
    b.decompressedLength = 12;
    cases.push_back({"decompressed length differs", b, 0, LEXQ_S_CORRUPT});
    b = {std::string("kapot\0k\0K\0", 11)};
    b.payload = std::string(20, 'x');
    cases.push_back({"payload not zlib", b, 0, LEXQ_S_INFLATE});
    b = {std::string("kapot\0k\0K\0", 11)};
    b.payloadLength = 5000;
    cases.push_back({"payload larger than the work buffer", b, 0, LEXQ_S_CORRUPT});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TwoLeaves t;
        const uint32_t text = t.raw.AddText(c.block);
        t.Root(t.raw.AddLeaf({{"KAPOT", {{text, c.offset}}}}));
        Open(t.raw);
        EXPECT_EQ(Find("KAPOT"), c.status);
        EXPECT_EQ(Find("GOED"), LEXQ_OK);
        EXPECT_EQ(Find("KAPOT"), c.status);
    }
}

TEST_F(Lookup, KeyEqualToAnIndexKeyDescendsIntoThatChild) {
    // The root's first entry is "M", exactly the greatest key of its child; the search
    // for M must not move on to the second child, which does not hold it.
    RawDictionary raw;
    const uint32_t text = raw.AddText({std::string("m\0\0\0z\0\0\0", 8)});
    const Placed left = raw.AddLeaf({{"A", {{text, 0}}}, {"M", {{text, 0}}}});
    const Placed right = raw.AddLeaf({{"Z", {{text, 4}}}});
    raw.SetRoot(1, raw.AddNode({{"M", left.position, left.size, left.count},
                                {"Z", right.position, right.size, right.count}}));
    Open(raw);
    std::vector<Hit> hits;
    ASSERT_EQ(Find("M", &hits), LEXQ_OK);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].s1, "m");
    EXPECT_EQ(dict_->leaf_slot->tag, dict_->leaf_offset + 12u + left.position);
    // Greater than every key: the last entry, and no hit.
    ASSERT_EQ(Find("ZZ", &hits), LEXQ_OK);
    EXPECT_TRUE(hits.empty());
    EXPECT_EQ(dict_->leaf_slot->tag, dict_->leaf_offset + 12u + right.position);
}

TEST_F(Lookup, LeafBufferGrowsInStepsOf4096FromItsInitialSize) {
    std::vector<Entry> entries;
    for (int i = 0; i < 400; i++)
        entries.push_back({"W" + std::to_string(1000 + i), {{"s", "", "t"}}});
    for (Entry &e : entries)
        for (char &c : e.key)
            if (c >= '0' && c <= '9')
                c = static_cast<char>('A' + (c - '0'));
    BuildOptions options;
    options.depth = 0;
    options.hitsPerTextBlock = 100;
    RawDictionary raw = BuildDictionary(entries, options);
    raw.fields.leafMaxLength = 100;  // far too small: the buffer must grow
    Open(raw);
    EXPECT_EQ(dict_->leaf_slot->buffer.capacity, 100u);
    std::vector<Hit> hits;
    ASSERT_EQ(Find(entries[399].key, &hits), LEXQ_OK);
    EXPECT_EQ(hits.size(), 1u);
    const uint32_t length = dict_->leaf_slot->length;
    const uint32_t capacity = dict_->leaf_slot->buffer.capacity;
    EXPECT_EQ(capacity % 4096u, 0u);
    EXPECT_GE(capacity, length);
    EXPECT_LT(capacity - length, 2 * 4096u);
}

TEST_F(Lookup, TextBufferGrowsInStepsOf32768FromItsInitialSize) {
    // A long headword in a well compressible block: the first estimate is far too small.
    std::string headword;
    for (int i = 0; i < 100000; i++)
        headword += static_cast<char>('a' + (i / 3 + i % 5) % 7);
    RawDictionary raw;
    const uint32_t block = raw.AddText({headword + std::string("\0s2\0s3\0", 7)});
    raw.SetRoot(0, raw.AddLeaf({{"LANG", {{block, 0}}}}));
    raw.fields.textMaxLength = 100;
    Open(raw);
    std::vector<Hit> hits;
    ASSERT_EQ(Find("LANG", &hits), LEXQ_OK);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].s1, headword);
    const lexq_text_slot &slot = dict_->text_slots[dict_->hit_limit - 1];
    ASSERT_EQ(slot.length, headword.size() + 7);
    EXPECT_EQ(slot.buffer.capacity % 32768u, 0u);
    EXPECT_GE(slot.buffer.capacity, slot.length);
    EXPECT_LT(slot.buffer.capacity - slot.length, 2 * 32768u);
}

}  // namespace
}  // namespace tk::test
