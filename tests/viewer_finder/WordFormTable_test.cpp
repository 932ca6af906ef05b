#include "viewer/finder/WordFormTable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tempdir.h"

namespace {

using Bases = std::vector<std::string>;

TEST(WordFormTable, MapsEveryFormToItsBasesInFileOrder) {
    const WordFormTable table = WordFormTable::Parse(
        "\xEF\xBB\xBF# comment\r\n"
        "zwimmen\tzwom\tzwommen\tgezwommen\r\n"
        "\n"
        "  \t \n"
        "zwammen\tzwom\tZwommelt\n"
        "zwimmen\tzwom\n"
        "knip\tknip\tknippen");
    EXPECT_EQ(table.Bases("zwom"), (Bases{"zwimmen", "zwammen"}));
    EXPECT_EQ(table.Bases("gezwommen"), Bases{"zwimmen"});
    EXPECT_EQ(table.Bases("zwommelt"), Bases{"zwammen"});  // stored normalised
    EXPECT_TRUE(table.Bases("knip").empty());              // a form that is its own base
    EXPECT_EQ(table.Bases("knippen"), Bases{"knip"});
    EXPECT_TRUE(table.Bases("zwimmen").empty());
    EXPECT_EQ(table.SkippedLines(), 0u);
}

TEST(WordFormTable, SkipsAndCountsBadLinesAndKeepsTheRest) {
    const WordFormTable table = WordFormTable::Parse(
        "alleen\n"           // no form
        "leeg\t\tvorm\n"     // an empty field
        "getal\tvorm2\n"     // not a word
        "kapot\tvor\xE9m\n"  // not UTF-8
        "goed\tbeter\n"
        "lang\t" +
        std::string(5000, 'a') +
        "\n"  // no line of a word table
        "ook\tgoed\tok\n");
    EXPECT_EQ(table.SkippedLines(), 5u);
    EXPECT_EQ(table.Bases("beter"), Bases{"goed"});
    EXPECT_EQ(table.Bases("ok"), Bases{"ook"});
    EXPECT_TRUE(table.Bases("vorm").empty());
}

TEST(WordFormTable, SurvivesArbitraryBytes) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text(random() % 300, '\0');
        for (char &c : text)
            c = "a\t\n\r#e\xC3\xAB\xFF "[random() % 10];
        const WordFormTable table = WordFormTable::Parse(text);
        EXPECT_LE(table.SkippedLines(), text.size());
    }
}

TEST(WordFormTable, LoadsAFileAndReportsOneItCannotRead) {
    tk::test::TempDir folder;
    WordFormTable table;
    EXPECT_FALSE(table.LoadFile(folder.Path() + "/none.tsv"));
    EXPECT_EQ(table.FormCount(), 0u);
    EXPECT_TRUE(table.LoadFile(folder.Write("t.tsv", "kind\tkinderen\nfout\n")));
    EXPECT_EQ(table.Bases("kinderen"), Bases{"kind"});
    EXPECT_EQ(table.SkippedLines(), 1u);
    EXPECT_FALSE(table.LoadFile(folder.Path()));  // a folder is no table
}

// The tables that ship with the program: every line must be read.
TEST(WordFormTable, ShippedTablesHaveNoBadLine) {
    for (const char *language : {"nl", "en"}) {
        WordFormTable table;
        ASSERT_TRUE(table.LoadFile(std::string(WORDFORMS_TABLES) + "/" + language + ".tsv"))
            << language;
        EXPECT_EQ(table.SkippedLines(), 0u) << language;
        EXPECT_GT(table.FormCount(), 300u) << language;
    }
}

}  // namespace
