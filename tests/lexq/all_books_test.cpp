// lexq over several books at once, run as a program in a temporary program folder: the
// blocks of the books that answer, their order, groups, the merged type-ahead list, misses
// with suggestions over every book, and books that fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "program_folder.h"

namespace {

using lexqtest::TProgramFolder;
using lexqtest::TRun;

const char *const kConfig =
    "[version]\nversion=1\n\n[application]\nregkey=Software\\LexqAllTest\n\n"
    "[dictionaries]\nnl-en=1;Nederlands-Engels\nen-nl=1;Engels-Nederlands\n"
    "nl-de=1;Nederlands-Duits\nde-nl=Duits-Nederlands\nnl-fr=1;Nederlands-Frans\n";

class LexqAllBooks : public testing::Test {
  protected:
    void SetUp() override {
        Folder.Write("data/dict.cfg", kConfig);
        Folder.AddBook("nl-en", "", "kw: Hand\n<p>the hand</p>\n\nkw: huis\n<p>house</p>\n");
        Folder.AddBook("en-nl", "", "kw: hand\n<p>de hand</p>\n\nkw: house\n<p>huis</p>\n");
        Folder.AddBook("nl-de", "", "kw: hand\n<p>die Hand</p>\n\nkw: lopen\n<p>laufen</p>\n");
        Folder.AddBook("de-nl", "", "");  // settings only: not installed
        Folder.AddBook("nl-fr", "", "kw: tafel\n<p>table</p>\n");
    }

    TProgramFolder Folder;
};

TEST_F(LexqAllBooks, EveryBookWithEntriesGetsABlockInRankedOrder) {
    // Exact hits first in catalogue order, then the book whose keyword differs in case.
    const TRun run = Folder.Run({"--all", "hand"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "== Engels-Nederlands ==\nde hand\n\n== Nederlands-Duits ==\ndie Hand\n\n"
              "== Nederlands-Engels ==\nthe hand\n");
    EXPECT_EQ(run.Err, "");
    const TRun one = Folder.Run({"--all", "tafel"});
    EXPECT_EQ(one.Out, "== Nederlands-Frans ==\ntable\n");
}

TEST_F(LexqAllBooks, PatternsAndFullTextListPerBookInCatalogueOrder) {
    TRun run = Folder.Run({"--all", "h*"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "== Nederlands-Engels ==\nHand\nhuis\n\n== Engels-Nederlands ==\nhand\nhouse\n\n"
              "== Nederlands-Duits ==\nhand\n");
    EXPECT_EQ(Folder.Run({"-d", "alle uit het nederlands", "*e*"}).Out,
              "== Nederlands-Duits ==\nlopen\n\n== Nederlands-Frans ==\ntafel\n");
    EXPECT_EQ(Folder.Run({"--all", "x*"}).Status, 1);
    EXPECT_EQ(Folder.Run({"--all", "[ab"}).Status, 2);
    run = Folder.Run({"--all", "--fulltext", "house"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "== Nederlands-Engels ==\nhuis\n\n== Engels-Nederlands ==\nhouse\n");
    EXPECT_EQ(Folder.Run({"-d", "alle uit het nederlands", "--fulltext", "hand"}).Out,
              "== Nederlands-Engels ==\nHand\n\n== Nederlands-Duits ==\nhand\n");
    EXPECT_EQ(Folder.Run({"--all", "--fulltext", "fiets"}).Status, 1);
    EXPECT_EQ(Folder.Run({"--all", "--fulltext", "\"open"}).Status, 2);
    // A book without its index says so; the others answer.
    Folder.Remove("data/en-nl.fts");
    run = Folder.Run({"--all", "--fulltext", "house"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "== Nederlands-Engels ==\nhuis\n");
    EXPECT_NE(run.Err.find("lexq: Engels-Nederlands: Het woordenboek 'en-nl' heeft geen"),
              std::string::npos)
        << run.Err;
}

TEST_F(LexqAllBooks, AGroupSearchesOnlyTheBooksOfItsLanguage) {
    const TRun run = Folder.Run({"-d", "alle uit het nederlands", "hand"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "== Nederlands-Duits ==\ndie Hand\n\n== Nederlands-Engels ==\nthe hand\n");
    // English has one installed book: no group.
    const TRun english = Folder.Run({"-d", "Alle uit het Engels", "hand"});
    EXPECT_EQ(english.Status, 2);
    EXPECT_EQ(english.Out, "");
    EXPECT_EQ(Folder.Run({"--all", "-d", "nl-en", "hand"}).Status, 2);
}

TEST_F(LexqAllBooks, ABaseFormAnswersInItsBookAndIsNamedOnStandardError) {
    std::filesystem::create_directories(Folder.Dir() + "/data/wordforms");
    Folder.Write("data/wordforms/nl.tsv", "lopen\tliep\tliepen\tgelopen\n");
    const TRun run = Folder.Run({"--all", "liep"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "== Nederlands-Duits ==\nlaufen\n");
    EXPECT_EQ(run.Err, "lexq: Nederlands-Duits: 'liep' is een vorm van 'lopen'.\n");
    EXPECT_EQ(Folder.Run({"--all", "--exact", "liep"}).Status, 1);
}

TEST_F(LexqAllBooks, AMissListsTheNearestHeadwordsOfEveryBookWithTheirBooks) {
    const TRun run = Folder.Run({"--all", "tafle"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "lexq: Het woord 'tafle' kan niet worden gevonden.\n");
    EXPECT_EQ(run.Out.rfind("Bedoelde u:\ntafel (Nederlands-Frans)\n", 0), 0u) << run.Out;
    const TRun hous = Folder.Run({"--all", "hous"});
    EXPECT_NE(hous.Out.find("house (Engels-Nederlands)\n"), std::string::npos) << hous.Out;
    EXPECT_NE(hous.Out.find("huis (Nederlands-Engels)\n"), std::string::npos) << hous.Out;
    const TRun exact = Folder.Run({"--all", "--exact", "tafle"});
    EXPECT_EQ(exact.Status, 1);
    EXPECT_EQ(exact.Out, "");
}

TEST_F(LexqAllBooks, PrefixMergesTheListsOfEveryBookInKeyOrder) {
    const TRun run = Folder.Run({"--all", "--prefix", "h"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // One key in two books: the catalogue's order.
    EXPECT_EQ(run.Out, "Hand\nhand\nhouse\nhuis\n");
    EXPECT_EQ(Folder.Run({"--all", "--prefix", "q"}).Status, 1);
}

TEST_F(LexqAllBooks, ADamagedBookIsReportedAndTheOthersAnswer) {
    Folder.Write("data/nl-de.idx", std::string(300, '\x01'));
    const TRun run = Folder.Run({"--all", "hand"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "== Engels-Nederlands ==\nde hand\n\n== Nederlands-Engels ==\nthe hand\n");
    EXPECT_NE(run.Err.find("lexq: Nederlands-Duits: "), std::string::npos) << run.Err;
    // Nothing found and a book failed: an error, not a plain miss.
    EXPECT_EQ(Folder.Run({"--all", "tafle", "--exact"}).Status, 2);
    EXPECT_EQ(Folder.Run({"--all", "\xE2\x82\xAC\xE2\x80\xA8"}).Status, 2);
}

TEST_F(LexqAllBooks, SeveralWordsEachGetTheirHeading) {
    const TRun run = Folder.Run({"--all", "tafel", "huis"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "--- Resultaten voor \"tafel\" ---\n== Nederlands-Frans ==\ntable\n\n"
              "--- Resultaten voor \"huis\" ---\n== Nederlands-Engels ==\nhouse\n");
}

// A Polish book (a UTF-8 book: its headwords need it) beside a Windows-1252 one.
class LexqAllBooksUtf8 : public testing::Test {
  protected:
    void SetUp() override {
        Folder.Write("data/dict.cfg",
                     "[version]\nversion=1\n\n[application]\nregkey=Software\\LexqUtf8Test\n\n"
                     "[dictionaries]\npl-nl=1;Pools-Nederlands\nnl-en=1;Nederlands-Engels\n");
        Folder.AddBook("pl-nl", "",
                       "kw: \xC5\xBC"
                       "ona\n<p>vrouw, echtgenote</p>\n\n"
                       "kw: \xC5\x81\xC3\xB3"
                       "d\xC5\xBA\n<p>stad aan de \xC5\x81\xC3\xB3"
                       "dka</p>\n");
        Folder.AddBook("nl-en", "", "kw: zon\n<p>sun</p>\n\nkw: vrouw\n<p>woman</p>\n");
    }

    TProgramFolder Folder;
};

TEST_F(LexqAllBooksUtf8, AWordInAnyScriptIsSearchedInEveryBook) {
    TRun run = Folder.Run({"--all",
                           "\xC5\xBC"
                           "ona"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "== Pools-Nederlands ==\nvrouw, echtgenote\n");
    EXPECT_EQ(run.Err, "");
    // Capitals and the accent-free spelling find the same entry.
    EXPECT_EQ(Folder
                  .Run({"--all",
                        "\xC5\x81\xC3\x93"
                        "D\xC5\xB9"})
                  .Out,
              "== Pools-Nederlands ==\nstad aan de \xC5\x81\xC3\xB3"
              "dka\n");
    EXPECT_EQ(Folder.Run({"--all", "lodz"}).Status, 0);
    // A miss offers the Polish headword as it is written, with its book.
    run = Folder.Run({"--all",
                      "\xC5\xBC"
                      "onna"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Out.find("\xC5\xBC"
                           "ona (Pools-Nederlands)\n"),
              std::string::npos)
        << run.Out;
    EXPECT_EQ(run.Out.find("&#"), std::string::npos) << run.Out;
    run = Folder.Run({"--all", "--prefix",
                      "\xC5\xBC"
                      "o"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "\xC5\xBC"
              "ona\n");
}

TEST_F(LexqAllBooksUtf8, APatternIsReadByEachBooksKeyRule) {
    // "?" is one character of the Polish key; the Windows-1252 book has no key for "ł".
    TRun run = Folder.Run({"--all",
                           "\xC5\x82\xC3\xB3"
                           "d?"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "== Pools-Nederlands ==\n\xC5\x81\xC3\xB3"
              "d\xC5\xBA\n");
    // Neither end fixed: every key of both books, each by its own rule.
    run = Folder.Run({"--all", "*on*"});
    EXPECT_EQ(run.Out,
              "== Pools-Nederlands ==\n\xC5\xBC"
              "ona\n\n== Nederlands-Engels ==\nzon\n");
    run = Folder.Run({"-d", "pl-nl", "*\xC5\xBA"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "\xC5\x81\xC3\xB3"
              "d\xC5\xBA\n");
    EXPECT_EQ(Folder.Run({"--all", "\xC5\xBC[ab"}).Status, 2);
}

TEST_F(LexqAllBooksUtf8, FullTextFoldsTheWordsOfAUtf8BookByItsKeyRule) {
    for (const std::string query : {"\xC5\x82\xC3\xB3"
                                    "dka",
                                    "lodka", "LODKA"}) {
        const TRun run = Folder.Run({"-d", "pl-nl", "--fulltext", query});
        EXPECT_EQ(run.Status, 0) << query << run.Err;
        EXPECT_EQ(run.Out,
                  "\xC5\x81\xC3\xB3"
                  "d\xC5\xBA\n")
            << query;
    }
    const TRun both = Folder.Run({"--all", "--fulltext", "vrouw"});
    EXPECT_EQ(both.Status, 0) << both.Err;
    EXPECT_EQ(both.Out,
              "== Pools-Nederlands ==\n\xC5\xBC"
              "ona\n\n== Nederlands-Engels ==\nvrouw\n");
    EXPECT_EQ(Folder.Run({"-d", "pl-nl", "--fulltext", "zon"}).Status, 1);
}

}  // namespace
