// The two key walks through their exports: type-ahead rows and key list slices, at every
// depth, plain and enciphered, against the keys the dictionary was built from; index
// entries that only bound their keys loosely; and indexes that lead nowhere.
#include <algorithm>

#include "fixture.h"

namespace tk::test {
namespace {

// Keys that share prefixes across leaf blocks; each key's hits name it.
std::vector<Entry> Words() {
    std::vector<Entry> entries;
    const char *keys[] = {"BO",    "BOEK",  "BOEKEN", "BOOM",  "BOOMGAARD", "BOOMPJE", "BOOT",
                          "BOTER", "BROOD", "DAK",    "DAKEN", "HUIS",      "HUISJE",  "HUIZEN",
                          "KAT",   "KATER", "ZO",     "ZON",   "ZONDAG",    "ZONNIG"};
    int n = 0;
    for (const char *key : keys) {
        std::string word = key;
        std::transform(word.begin(), word.end(), word.begin(), ::tolower);
        Entry e{key, {}};
        for (int h = 0; h <= n % 3; h++)
            e.hits.push_back(
                {h == 0 ? word : word + std::to_string(h), "de", "<b>" + word + "</b>"});
        entries.push_back(e);
        n++;
    }
    return entries;
}

// The expected type-ahead: the keys starting with prefix, at most limit, each with the
// first string of its first hit (which, in Words(), folds to the key).
std::string ExpectedPrefix(const std::string &text, const std::string &prefix, size_t limit) {
    std::string table;
    size_t rows = 0;
    for (const Entry &e : Words()) {
        if (e.key.rfind(prefix, 0) != 0 || rows == limit)
            continue;
        table += Row(text, e.key, {e.hits[0].s1, "", ""});
        rows++;
    }
    return rows == 0 ? std::string() : "<table>" + table + "</table>";
}

class Walks : public LexqTest {
  protected:
    std::pair<int32_t, std::string> Prefix(const std::string &text, uint32_t limit) {
        return Take(lexq_prefix(text.c_str(), limit, &result_));
    }
    std::pair<int32_t, std::string> Keys(const std::string &after, uint32_t limit) {
        return Take(lexq_keys(after.c_str(), limit, &result_));
    }
    // Every key, walked in slices of the given size from the first.
    std::string AllKeys(uint32_t slice, int32_t *endCode) {
        std::string all, after;
        for (;;) {
            const auto [code, lines] = Keys(after, slice);
            if (code != LEXQ_ERR_NONE) {
                *endCode = code;
                return all;
            }
            all += lines;
            after = lines.substr(0, lines.size() - 1);
            after = after.substr(after.rfind('\n') + 1);
        }
    }

  private:
    std::pair<int32_t, std::string> Take(int32_t code) {
        std::string copy = result_ != nullptr ? std::string(result_) : std::string();
        if (code != LEXQ_ERR_NONE) {
            EXPECT_EQ(result_, nullptr) << "a failed walk hands out a text";
        }
        lexq_free_searchresult(result_);
        result_ = reinterpret_cast<char *>(1);  // each call must set it
        return {code, copy};
    }
    char *result_ = reinterpret_cast<char *>(1);
};

TEST_F(Walks, TypeAheadGivesTheKeysStartingWithTheTypedKeyInKeyOrder) {
    for (uint16_t depth = 0; depth <= 3; depth++) {
        for (bool enciphered : {false, true}) {
            SCOPED_TRACE("depth " + std::to_string(depth) + (enciphered ? " enciphered" : ""));
            BuildOptions options;
            options.depth = depth;
            options.leafEntries = 3;
            options.fanout = 2;
            if (enciphered)
                options.cipher = CryptEncrypt();
            ASSERT_EQ(lexq_init(Write(BuildDictionary(Words(), options)).c_str()), LEXQ_ERR_NONE);
            // Every prefix of every key, and one letter more.
            for (const Entry &e : Words()) {
                for (size_t length = 1; length <= e.key.size() + 1; length++) {
                    const std::string prefix = (e.key + "E").substr(0, length);
                    for (uint32_t limit : {1u, 3u, 100u}) {
                        const auto [code, table] = Prefix(prefix, limit);
                        const std::string expected = ExpectedPrefix(prefix, prefix, limit);
                        EXPECT_EQ(code, expected.empty() ? LEXQ_ERR_WORDNOTFOUND : LEXQ_ERR_NONE)
                            << prefix;
                        EXPECT_EQ(table, expected) << prefix << " limit " << limit;
                    }
                }
            }
            lexq_deinit();
        }
    }
}

TEST_F(Walks, TypeAheadFoldsTheTextAsTheSearchDoesAndKeepsItAsTyped) {
    ASSERT_EQ(lexq_init(Write(BuildDictionary(Words())).c_str()), LEXQ_ERR_NONE);
    const auto [code, table] = Prefix(" b-\xD3\xF3 ", 2);
    EXPECT_EQ(code, LEXQ_ERR_NONE);
    EXPECT_EQ(table, ExpectedPrefix(" b-\xD3\xF3 ", "BOO", 2));
    // The search finds what the list offers, and is not disturbed by the walk.
    EXPECT_EQ(Search("boomgaard").second,
              "<table>" + Row("boomgaard", "BOOMGAARD", Words()[4].hits[0]) +
                  Row("boomgaard", "BOOMGAARD", Words()[4].hits[1]) + "</table>");
}

TEST_F(Walks, TypeAheadStatuses) {
    EXPECT_EQ(Prefix("bo", 5).first, LEXQ_ERR_NOTINITIALIZED);
    ASSERT_EQ(lexq_init(Write(BuildDictionary(Words())).c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(Prefix("12 -", 5).first, LEXQ_ERR_ILLEGALINPUT);
    EXPECT_EQ(Prefix("", 5).first, LEXQ_ERR_ILLEGALINPUT);
    EXPECT_EQ(Prefix("bo", 0).first, LEXQ_ERR_ILLEGALINPUT);
    char *table = reinterpret_cast<char *>(1);
    EXPECT_EQ(lexq_prefix(nullptr, 5, &table), LEXQ_ERR_ILLEGALINPUT);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(lexq_prefix("bo", 5, nullptr), LEXQ_ERR_ILLEGALINPUT);
    // Before every key, between keys, and past the last.
    for (const char *absent : {"a", "bp", "dakens", "zz"})
        EXPECT_EQ(Prefix(absent, 5).first, LEXQ_ERR_WORDNOTFOUND) << absent;
}

TEST_F(Walks, TheHeadwordIsThePlainestHitWrittenAsItsKey) {
    ASSERT_EQ(lexq_init(Write(BuildDictionary({
                                  {"WONING",
                                   {{"huis", "", ""},
                                    {"woning-", "", ""},
                                    {"Woning", "", ""},
                                    {"woning", "", ""}}},
                                  {"WERK", {{"", "", ""}, {"arbeid", "", ""}, {"job", "", ""}}},
                                  {"WEG", {{"", "x", "y"}}},
                                  {"WAT", {{"w\xE0t", "", ""}}},
                              }))
                            .c_str()),
              LEXQ_ERR_NONE);
    // WONING: the shortest spelling of its key, the first of two; WERK: no hit is written
    // as its key; WEG has no first string to show and is left out.
    EXPECT_EQ(Prefix("w", 10).second, "<table>" + Row("w", "WAT", {"w\xE0t", "", ""}) +
                                          Row("w", "WERK", {"arbeid", "", ""}) +
                                          Row("w", "WONING", {"Woning", "", ""}) + "</table>");
    EXPECT_EQ(Prefix("weg", 10).first, LEXQ_ERR_WORDNOTFOUND);
}

TEST_F(Walks, TheSameListAskedAgainReadsNothing) {
    // Every hit in a block of its own, and room for all of them among the text slots.
    BuildOptions options;
    options.hitsPerTextBlock = 1;
    std::vector<Entry> keys;
    for (const char *key : {"BAK", "BAL", "BAN", "BAR"})
        keys.push_back({key, {{"x", "", "1"}, {"y", "", "2"}, {"z", "", "3"}}});
    RawDictionary raw = BuildDictionary(keys, options);
    raw.fields.hitLimit = 16;
    ASSERT_EQ(lexq_init(Write(raw).c_str()), LEXQ_ERR_NONE);
    const auto first = Prefix("ba", 12);
    ASSERT_EQ(first.first, LEXQ_ERR_NONE);
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);  // counts from here
    EXPECT_EQ(Prefix("ba", 12), first);
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_READ), 0u) << "the keys' blocks are all still held";
    EXPECT_EQ(Search("bal").first, LEXQ_ERR_NONE);
}

TEST_F(Walks, KeySlicesJoinToEveryKeyOnceInKeyOrder) {
    std::string every;
    for (const Entry &e : Words())
        every += e.key + "\n";
    for (uint16_t depth = 0; depth <= 3; depth++) {
        for (bool enciphered : {false, true}) {
            SCOPED_TRACE("depth " + std::to_string(depth) + (enciphered ? " enciphered" : ""));
            BuildOptions options;
            options.depth = depth;
            options.leafEntries = 3;
            options.fanout = 2;
            if (enciphered)
                options.cipher = CryptEncrypt();
            ASSERT_EQ(lexq_init(Write(BuildDictionary(Words(), options)).c_str()), LEXQ_ERR_NONE);
            for (uint32_t slice : {1u, 2u, 7u, 1000u}) {
                int32_t end = 0;
                EXPECT_EQ(AllKeys(slice, &end), every) << slice;
                EXPECT_EQ(end, LEXQ_ERR_WORDNOTFOUND);
            }
            // From a word that is no key: the keys after it.
            EXPECT_EQ(Keys("BOOMH", 2).second, "BOOMPJE\nBOOT\n");
            EXPECT_EQ(Keys("A", 1).second, "BO\n");
            EXPECT_EQ(Keys("ZONNIG", 1).first, LEXQ_ERR_WORDNOTFOUND);
            EXPECT_EQ(Keys("ZZ", 1).first, LEXQ_ERR_WORDNOTFOUND);
            lexq_deinit();
        }
    }
}

TEST_F(Walks, KeyWalkStatusesAndKeysThatCannotBeALine) {
    EXPECT_EQ(Keys("", 5).first, LEXQ_ERR_NOTINITIALIZED);
    ASSERT_EQ(lexq_init(Write(BuildDictionary({{"A\nB", {{"a", "", ""}}},
                                               {"AB", {{"ab", "", ""}}},
                                               {"A\x01", {{"a1", "", ""}}},
                                               {"B", {{"b", "", ""}}}}))
                            .c_str()),
              LEXQ_ERR_NONE);
    EXPECT_EQ(Keys("", 10).second, "AB\nB\n");
    EXPECT_EQ(Keys("", 0).first, LEXQ_ERR_ILLEGALINPUT);
    char *list = reinterpret_cast<char *>(1);
    EXPECT_EQ(lexq_keys(nullptr, 5, &list), LEXQ_ERR_ILLEGALINPUT);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(lexq_keys("", 5, nullptr), LEXQ_ERR_ILLEGALINPUT);
}

// Three leaf blocks under an index whose entries only bound their keys from above: the
// first entry's key lies past its block's keys, and a second level does the same.
RawDictionary LooselyBounded(Cipher cipher = nullptr) {
    RawDictionary raw(std::move(cipher));
    const uint32_t text = raw.AddText({std::string("x\0\0\0", 4)});
    auto leaf = [&](std::vector<std::string> keys) {
        std::vector<LeafRecord> records;
        for (const std::string &k : keys)
            records.push_back({k, {{text, 0}}});
        return raw.AddLeaf(records);
    };
    const Placed ab = leaf({"A", "B"}), no = leaf({"N", "O"}), t = leaf({"T"});
    const Placed left = raw.AddNode({{"C", ab.position, ab.size, ab.count}});
    const Placed right =
        raw.AddNode({{"Q", no.position, no.size, no.count}, {"Z", t.position, t.size, t.count}});
    raw.SetRoot(2, raw.AddNode({{"M", left.position, left.size, left.count},
                                {"Z", right.position, right.size, right.count}}));
    return raw;
}

TEST_F(Walks, IndexEntriesAboveTheirKeysStillLeadToEveryKey) {
    for (bool enciphered : {false, true}) {
        ASSERT_EQ(lexq_init(Write(LooselyBounded(enciphered ? CryptEncrypt() : nullptr)).c_str()),
                  LEXQ_ERR_NONE);
        int32_t end = 0;
        EXPECT_EQ(AllKeys(1, &end), "A\nB\nN\nO\nT\n");
        EXPECT_EQ(end, LEXQ_ERR_WORDNOTFOUND);
        // After B the way runs through A and B's block twice before it reaches N.
        EXPECT_EQ(Keys("B", 5).second, "N\nO\nT\n");
        EXPECT_EQ(Prefix("n", 5).second, "<table>" + Row("n", "N", {"x", "", ""}) + "</table>");
        EXPECT_EQ(Prefix("c", 5).first, LEXQ_ERR_WORDNOTFOUND);
        lexq_deinit();
    }
}

TEST_F(Walks, AnIndexThatLeadsNowhereOrBackIsWrongFormat) {
    RawDictionary raw;
    const uint32_t text = raw.AddText({std::string("x\0\0\0", 4)});
    // Entries C, D and E point back at A and B's block; F's is never reached.
    const Placed ab = raw.AddLeaf({{"A", {{text, 0}}}, {"B", {{text, 0}}}});
    const Placed f = raw.AddLeaf({{"F", {{text, 0}}}});
    std::vector<NodeEntry> root;
    for (const char *key : {"B", "C", "D", "E"})
        root.push_back({key, ab.position, ab.size, ab.count});
    root.push_back({"F", f.position, f.size, f.count});
    raw.SetRoot(1, raw.AddNode(root));
    ASSERT_EQ(lexq_init(Write(raw).c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(Keys("", 10).first, LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(Keys("E", 10).second, "F\n") << "the same file, from past the loop";
    lexq_deinit();

    // A key met twice is given once; keys out of order end the walk.
    RawDictionary unordered;
    const uint32_t t = unordered.AddText({std::string("x\0\0\0", 4)});
    unordered.SetRoot(
        0,
        unordered.AddLeaf(
            {{"A", {{t, 0}}}, {"B", {{t, 0}}}, {"B", {{t, 0}}}, {"C", {{t, 0}}}, {"A", {{t, 0}}}}));
    ASSERT_EQ(lexq_init(Write(unordered, "unordered.idx").c_str()), LEXQ_ERR_NONE);
    EXPECT_EQ(Keys("", 3).second, "A\nB\nC\n");
    EXPECT_EQ(Keys("", 10).first, LEXQ_ERR_WRONGFORMAT);
    EXPECT_EQ(Prefix("b", 10).second, "<table>" + Row("b", "B", {"x", "", ""}) + "</table>");
}

}  // namespace
}  // namespace tk::test
