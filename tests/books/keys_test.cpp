// From entries to keys: folding, hit order, sharing, and what is skipped or refused.
#include "books/keys.h"

#include <gtest/gtest.h>

#include "books/exact_words.h"
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
    // A repeated record names the text it shares once: a page shows it once.
    EXPECT_EQ(hits, (std::vector<std::uint32_t>{0, 1}));
}

// Words of digits and signs make no key: they go, with their entry, to the exact words,
// whether headword or extra key, and nothing is lost; a blank one is skipped with a
// warning. The list's text gives them back.
TEST(LexqcKeys, WordsWithoutLettersBecomeExactWords) {
    Diagnostics diag("s.src");
    const auto entries = ParseSource(
        "kw: 123\nbody\n\nkw: 4x4\nkey: --\nbody\n\nkw: :-)\ndir: a\\b\n<p>x\ty</p>\n\\\n"
        "<p>z</p>\n\nkw: \xC2\xA0\nb\n\nkw: ok\nkey: \xC2\xA0\nb\n",
        diag);
    const KeyTable table = CollectKeys(entries, diag, 1000, 0xFFFF);
    EXPECT_FALSE(diag.HasErrors());
    ASSERT_EQ(diag.Warnings().size(), 2u);
    EXPECT_NE(diag.Warnings()[0].find("s.src:14: warning: entry"), std::string::npos);
    EXPECT_NE(diag.Warnings()[0].find("skipped"), std::string::npos);
    EXPECT_NE(diag.Warnings()[1].find("s.src:18: warning:"), std::string::npos);
    EXPECT_EQ(table.keys.size(), 2u);
    EXPECT_EQ(table.keys.count("X"), 1u);
    EXPECT_EQ(table.triples.size(), 2u);
    ASSERT_EQ(table.exact.size(), 3u);
    EXPECT_EQ(table.exact[0].word, "123");
    EXPECT_EQ(table.exact[0].entry, (Triple{"123", "", "body"}));
    EXPECT_EQ(table.exact[1].word, "--");
    EXPECT_EQ(table.exact[1].entry.s1, "4x4");
    EXPECT_EQ(table.exact[2].entry, (Triple{":-)", "a\\b", "<p>x\ty</p>\r\n\r\n<p>z</p>"}));

    const std::vector<ExactWord> back = ParseExactWords(ExactWordsText(table.exact));
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].word, table.exact[i].word);
        EXPECT_EQ(back[i].entry, table.exact[i].entry);
    }
    // Not a list of ours, or a damaged line: nothing from it.
    EXPECT_TRUE(ParseExactWords("123\t123\t\tbody\n").empty());
    EXPECT_EQ(ParseExactWords("TAALKIST-EXACT 1\n1\t1\t\tb\nbroken\n\t\t\t\n").size(), 1u);
    EXPECT_EQ(ExactWordsPath("/d/nl.idx"), "/d/nl.exact");
    EXPECT_TRUE(HoldsSigns("10th"));
    EXPECT_TRUE(HoldsSigns("grown-up"));
    EXPECT_FALSE(HoldsSigns("caf\xE9 au lait"));
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
