// WordNet's entry layout: senses grouped and numbered by part of speech, wrapped lines
// joined, and the cross-references turned into links that search.
#include <gtest/gtest.h>

#include "books/dictd_import.h"
#include "books/wordnet_entry.h"
#include "dict_files.h"

namespace books {
namespace {

const char *const kEntry =
    "Lantern Fish\n"
    "    n 1: a small deep-sea fish that glows; \"it lit the\n"
    "         water\"; \"seen at night\" [syn: {lanternfish}, {lantern\n"
    "         fish}, {glow-\n"
    "         fish}]\n"
    "    2: a lamp in the shape of a fish [ant: {dark}]\n"
    "    v 1: to fish with a lantern [syn: {lantern fish}, {night\n"
    "         fishing}]\n";

TEST(WordnetEntry, GroupsSensesAndTakesOutTheirReferences) {
    const WordnetEntry entry = ParseWordnetEntry(kEntry);
    EXPECT_EQ(entry.headword, "Lantern Fish");
    ASSERT_EQ(entry.groups.size(), 2u);
    EXPECT_EQ(entry.groups[0].partOfSpeech, "n");
    ASSERT_EQ(entry.groups[0].senses.size(), 2u);
    const WordnetSense &first = entry.groups[0].senses[0];
    EXPECT_EQ(first.gloss,
              "a small deep-sea fish that glows; \"it lit the water\"; \"seen at night\"");
    // A reference wrapped after a blank keeps the blank; one wrapped after a hyphen does not.
    EXPECT_EQ(first.synonyms,
              (std::vector<std::string>{"lanternfish", "lantern fish", "glow-fish"}));
    EXPECT_EQ(entry.groups[0].senses[1].antonyms, std::vector<std::string>{"dark"});
    EXPECT_TRUE(entry.groups[0].senses[1].synonyms.empty());
    EXPECT_EQ(entry.groups[1].partOfSpeech, "v");
    EXPECT_EQ(entry.groups[1].senses[0].gloss, "to fish with a lantern");
}

// Text between blocks stays where it was, an unclosed block stays text, and a gloss of a
// hundred thousand blocks is read in one pass.
TEST(WordnetEntry, TakesEveryReferenceBlockOutOfALongGloss) {
    const WordnetEntry mixed =
        ParseWordnetEntry("w\n  n 1: a [syn: {x}] b [ant: {y}, {z}] c [syn: {open\n");
    ASSERT_EQ(mixed.groups.size(), 1u);
    EXPECT_EQ(mixed.groups[0].senses[0].gloss, "a  b  c [syn: {open");
    EXPECT_EQ(mixed.groups[0].senses[0].synonyms, std::vector<std::string>{"x"});
    EXPECT_EQ(mixed.groups[0].senses[0].antonyms, (std::vector<std::string>{"y", "z"}));

    std::string text = "w\n  n 1: many";
    for (int i = 0; i < 100000; ++i)
        text += i % 2 == 0 ? " [syn: {s}]" : " [ant: {a}]";
    const WordnetEntry many = ParseWordnetEntry(text + " end\n");
    ASSERT_EQ(many.groups.size(), 1u);
    const WordnetSense &sense = many.groups[0].senses[0];
    EXPECT_EQ(sense.gloss.substr(0, 4), "many");
    EXPECT_EQ(sense.gloss.substr(sense.gloss.size() - 3), "end");
    EXPECT_EQ(sense.gloss.find('['), std::string::npos);
    EXPECT_EQ(sense.synonyms.size(), 50000u);
    EXPECT_EQ(sense.antonyms.size(), 50000u);
}

TEST(WordnetEntry, BodyNumbersSensesPerPartAndLinksOtherWords) {
    const std::vector<std::string> lines = WordnetBodyLines(ParseWordnetEntry(kEntry));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "<p class=\"head\"><b class=\"hw\">Lantern Fish</b></p>");
    // Each part of speech is a list of its own, so its numbering starts at 1.
    EXPECT_EQ(lines[1].find("<p class=\"pos\">noun</p><ol class=\"senses\"><li>"), 0u);
    EXPECT_EQ(lines[2].find("<p class=\"pos\">verb</p><ol class=\"senses\"><li>"), 0u);
    EXPECT_NE(lines[1].find("<span class=\"ex\">&quot;it lit the water&quot;; &quot;seen at "
                            "night&quot;</span>"),
              std::string::npos)
        << lines[1];
    EXPECT_NE(lines[1].find("<a href=\"zoek:glow-fish\">glow-fish</a>"), std::string::npos);
    EXPECT_NE(lines[1].find("ant.: <a href=\"zoek:dark\">dark</a>"), std::string::npos);
    // The entry's own word (in any case) is no link; the verb sense keeps the other one.
    EXPECT_EQ(lines[1].find("zoek:lantern%20fish"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2].find("zoek:lantern%20fish"), std::string::npos);
    EXPECT_NE(lines[2].find("<a href=\"zoek:night%20fishing\">night fishing</a>"),
              std::string::npos);
}

TEST(WordnetEntry, ImportKeepsWordsWithoutLettersAndCountsWhatItLeavesOut) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"42", "42\n    n 1: the number after forty-one\n"},
        {"lantern fish", kEntry},
        {"nothing", "nothing\n"},
    };
    std::string text, index;
    for (const auto &[word, body] : entries) {
        index += word + "\t" + books::test::DictdNumber(text.size()) + "\t" +
                 books::test::DictdNumber(body.size()) + "\n";
        text += body;
    }
    Diagnostics diag("wn.index");
    DictdImportCounts counts;
    DictdImportOptions options;
    options.dir = "en";
    options.wordnet = true;
    const std::string source = ImportDictd(index, text, options, diag, &counts);
    EXPECT_EQ(counts.entries, 3u);
    // "42" has no letters but is kept: it is found as typed, through the exact words.
    EXPECT_EQ(counts.records, 2u);
    EXPECT_EQ(counts.skipped, 1u);
    ASSERT_EQ(diag.Warnings().size(), 1u);
    EXPECT_NE(diag.Warnings()[0].find("\"nothing\" has no definition"), std::string::npos);
    EXPECT_NE(source.find("kw: 42\n"), std::string::npos);
    // The entry's spelling is the headword; the index's lower-case form is found anyway.
    EXPECT_NE(source.find("kw: Lantern Fish\ndir: en\nkey: lantern fish\n"), std::string::npos);
}

}  // namespace
}  // namespace books
