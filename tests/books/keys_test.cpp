// From entries to keys: folding, hit order, sharing, and what is skipped or refused.
#include "books/keys.h"

#include <gtest/gtest.h>

#include "books/source.h"
#include "test_support.h"

namespace books {
namespace {

std::vector<std::string> Headwords(const KeyTable &table, const std::string &key) {
    std::vector<std::string> words;
    for (const std::uint32_t i : table.keys.at(key))
        words.push_back(table.triples[i].s1);
    return words;
}

TEST(LexqcKeys, FoldsThroughTheSharedTable) {
    EXPECT_EQ(FoldKey("stra\xDF"
                      "e"),
              "STRASSE");
    EXPECT_EQ(FoldKey("\x9Cuvre"), "OEUVRE");
    EXPECT_EQ(FoldKey("\x8Cuvre"), "CEUVRE");
    EXPECT_EQ(FoldKey("co-op zo'n 4x4"), "COOPZONX");
    EXPECT_EQ(FoldKey("123 -"), "");
}

TEST(LexqcKeys, HitsKeepSourceOrderAcrossHeadwordsAndExtraKeys) {
    const KeyTable table = test::Collect(
        "kw: een\nb1\n\n"
        "kw: één\nkey: een\nb2\n\n"  // both fold to EEN: one hit for this entry
        "kw: Een\nb3\n\n"
        "kw: ander\nkey: EEN\nb4\n");
    EXPECT_EQ(Headwords(table, "EEN"),
              (std::vector<std::string>{"een", "\xE9\xE9n", "Een", "ander"}));
    EXPECT_EQ(table.LargestHitList(), 4u);
    EXPECT_EQ(table.keys.size(), 2u);
}

TEST(LexqcKeys, IdenticalEntriesAreStoredOnce) {
    const KeyTable table = test::Collect(
        "kw: bank\ndir: nl-en\n<p>bench</p>\n\n"
        "kw: bank\ndir: nl-en\n<p>bench</p>\n\n"
        "kw: bank\ndir: nl-en\n<p>bank</p>\n");
    EXPECT_EQ(table.triples.size(), 2u);
    const std::vector<std::uint32_t> hits = table.keys.at("BANK");
    ASSERT_EQ(hits.size(), 3u);  // the duplicate still shows, as the source has it
    EXPECT_EQ(hits[0], hits[1]);
    EXPECT_NE(hits[0], hits[2]);
}

TEST(LexqcKeys, WordsWithoutLettersAreSkippedWithAWarning) {
    Diagnostics diag("s.src");
    const auto entries = ParseSource("kw: 123\nbody\n\nkw: 4x4\nkey: --\nbody\n", diag);
    const KeyTable table = CollectKeys(entries, diag, 1000, 0xFFFF);
    EXPECT_FALSE(diag.HasErrors());
    ASSERT_EQ(diag.Warnings().size(), 2u);
    EXPECT_NE(diag.Warnings()[0].find("s.src:1: warning: entry \"123\""), std::string::npos);
    EXPECT_NE(diag.Warnings()[1].find("s.src:5: warning: \"--\""), std::string::npos);
    EXPECT_EQ(table.keys.size(), 1u);
    EXPECT_EQ(table.keys.count("X"), 1u);
    EXPECT_EQ(table.triples.size(), 1u);
}

TEST(LexqcKeys, RefusesKeysTheFileCannotHold) {
    Diagnostics diag("s.src");
    std::string source = "kw: short\nb\n\nkw: " + std::string(256, 'a') + "\nb\n";
    for (int i = 0; i < 3; ++i)
        source += "\nkw: many\nb" + std::to_string(i) + "\n";
    const auto entries = ParseSource(source, diag);
    CollectKeys(entries, diag, 255, 2);
    ASSERT_EQ(diag.Errors().size(), 2u);
    EXPECT_NE(diag.Errors()[0].find("s.src:4: error: search key AAAA"), std::string::npos);
    EXPECT_NE(diag.Errors()[1].find("s.src:7: error: search key MANY has 3 entries"),
              std::string::npos);
}

}  // namespace
}  // namespace books
