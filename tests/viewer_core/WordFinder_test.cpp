// The word finder over a compiled book and the real search library: the type-ahead
// headwords, base forms that the book has, suggestions from the book's keys, and the key
// walk; and the book language that decides which base forms are tried.
#include "viewer/core/WordFinder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "CoreTestSupport.h"
#include "viewer/core/FinderPage.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/lexqapi.h"

namespace {

using coretest::DialogRecorder;
using coretest::ProgramFolder;
using Words = std::vector<std::string>;

TEST(SourceLanguage, IsTheLanguageBeforeTheDashOfTheBooksName) {
    EXPECT_EQ(SourceLanguage("nl-en"), "nl");
    EXPECT_EQ(SourceLanguage("en"), "en");
    EXPECT_EQ(SourceLanguage("DE-nl"), "de");
    EXPECT_EQ(SourceLanguage("fry-nl"), "fry");
    // Names that name no language: the book gets suggestions but no base forms.
    for (const char *name : {"", "gcide", "x-nl", "n1-en", "mijn boek", "\xE9n-nl", "-nl"})
        EXPECT_EQ(SourceLanguage(name), "") << name;
}

#if defined(REAL_LEXQAPI_FILE) && defined(LEXQC_PROGRAM) && defined(WORDFORMS_TABLES)

// A Dutch book compiled by lexqc, opened through the real library as the viewer opens it.
class WordFinderTest : public ::testing::Test {
  protected:
    void Open(const std::string &name, const std::string &source) {
        folder.Copy(REAL_LEXQAPI_FILE, "lexqapi.so");
        std::filesystem::create_directories(folder.Data + "/wordforms");
        std::filesystem::copy_file(std::string(WORDFORMS_TABLES) + "/nl.tsv",
                                   folder.Data + "/wordforms/nl.tsv");
        const std::string src = folder.Write(name + ".src", source);
        const std::string idx = folder.Data + "/" + name + ".idx";
        const std::string command = std::string(LEXQC_PROGRAM) + " build " + src + " " + idx +
                                    " --leaf-size 64 > " + folder.Root + "/lexqc.out 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0)
            << coretest::ReadFile(folder.Root + "/lexqc.out");
        folder.Write("data/dict.cfg", "[dictionaries]\n" + name + "=1;Boek\n");
        folder.AddBook(name, "", false);
        data.Initialise();
        ASSERT_NE(data.CurrentBook, nullptr);
        finder = std::make_unique<TWordFinder>(data.Paths.DataDir);
        finder->SetBook(name);
    }

    static std::string Entries(const Words &headwords) {
        std::string source;
        for (const std::string &word : headwords)
            source += "kw: " + word + "\n<p>" + word + "</p>\n\n";
        return source;
    }

    ProgramFolder folder;
    DialogRecorder dialogs;
    TLXAData data;
    std::unique_ptr<TWordFinder> finder;
};

TEST_F(WordFinderTest, TypeAheadGivesHeadwordsAsWrittenInKeyOrder) {
    Open("nl-en", Entries({"Gent", "gember", "geel", "geen", "gedicht", "gans",
                           "g\xC3\xA9\xC3\xA9n", "Geel"}));
    // Key order; one headword per key, the one written as the key (géén shares GEEN with
    // geen, Geel shares GEEL with geel, each after it in the book).
    EXPECT_EQ(TypeAheadWords("Ge", 12), (Words{"gedicht", "geel", "geen", "gember", "Gent"}));
    EXPECT_EQ(TypeAheadWords("ge", 2), (Words{"gedicht", "geel"}));
    EXPECT_TRUE(TypeAheadWords("gx", 12).empty());
    EXPECT_TRUE(TypeAheadWords("12", 12).empty());

    // A library without the walk: no list, and searches as before.
    const auto prefix = lexqapi::lexq_prefix;
    lexqapi::lexq_prefix = nullptr;
    EXPECT_FALSE(HasTypeAhead());
    EXPECT_TRUE(TypeAheadWords("ge", 12).empty());
    lexqapi::lexq_prefix = prefix;
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(WordFinderTest, BaseFormsCountOnlyWhenTheBookHasThem) {
    Open("nl-en", Entries({"zwemmen", "schrijven", "vogel", "kat", "boek", "geschreven"}));
    using W = WordForms;
    // An irregular past from the table, regular plurals from the rules; Hunspell not
    // needed (and not waited for).
    EXPECT_EQ(finder->BaseForm("zwommen", W::Use::Miss, W::Wait::No), "zwemmen");
    EXPECT_EQ(finder->BaseForm("Vogels", W::Use::Miss, W::Wait::No), "vogel");
    EXPECT_EQ(finder->BaseForm("katten", W::Use::Miss, W::Wait::No), "kat");
    // A base form the book lacks is no answer.
    EXPECT_EQ(finder->BaseForm("dronken", W::Use::Miss, W::Wait::No), "");
    // Beside the word's own entries only vouched-for forms count, never the word itself.
    EXPECT_EQ(finder->BaseForm("geschreven", W::Use::SeeAlso, W::Wait::No), "schrijven");
    EXPECT_EQ(finder->BaseForm("boek", W::Use::SeeAlso, W::Wait::No), "");
}

TEST_F(WordFinderTest, BooksWithoutALanguageGetNoBaseForms) {
    Open("woorden", Entries({"vogel"}));
    EXPECT_EQ(finder->Forms(), nullptr);
    EXPECT_EQ(finder->BaseForm("vogels", WordForms::Use::Miss, WordForms::Wait::No), "");
}

TEST_F(WordFinderTest, SuggestionsAreTheNearestHeadwordsOnceTheKeysAreRead) {
    Open("nl-en", Entries({"Utrecht", "tafel", "tafels", "takel", "kabel", "label", "fabel",
                           "tabel", "tabak", "tafereel", "stafel", "wafel", "zadel"}));
    EXPECT_FALSE(finder->KeysRead());
    EXPECT_TRUE(finder->Suggestions("tafl").empty()) << "nothing before the keys are read";
    int slices = 0;
    while (finder->IndexKeys(4))
        ++slices;
    EXPECT_GE(slices, 3) << "read a slice at a time";
    ASSERT_TRUE(finder->KeysRead());
    // The one key an edit away first; too few, so those two edits away follow, in key order.
    EXPECT_EQ(finder->Suggestions("tafl"),
              (Words{"tafel", "stafel", "tabel", "tafels", "takel", "wafel"}));
    const Words far = finder->Suggestions("tabal");
    ASSERT_GE(far.size(), 2u);
    EXPECT_EQ(Words(far.begin(), far.begin() + 2), (Words{"tabak", "tabel"}));
    EXPECT_LE(far.size(), TWordFinder::kMaxSuggestions);
    // Headwords as the book writes them, whatever the typed case.
    EXPECT_EQ(finder->Suggestions("UTRECHR"), (Words{"Utrecht"}));
    EXPECT_TRUE(finder->Suggestions("xyzxyzxyz").empty());
}

TEST_F(WordFinderTest, AFailingKeyWalkLeavesTheBookWithoutSuggestions) {
    Open("nl-en", Entries({"tafel", "takel"}));
    const auto keys = lexqapi::lexq_keys;
    lexqapi::lexq_keys = nullptr;
    EXPECT_FALSE(finder->CanSuggest());
    EXPECT_FALSE(finder->IndexKeys(10));
    lexqapi::lexq_keys = keys;
    EXPECT_FALSE(finder->KeysRead());
    EXPECT_TRUE(finder->Suggestions("tafl").empty());
    // Another book starts afresh.
    finder->SetBook("nl-en");
    finder->IndexAllKeys();
    EXPECT_EQ(finder->Suggestions("tafl"), (Words{"tafel", "takel"}));
}

#endif

TEST(FinderPage, LinesGoFirstInTheBodyAndWordsBecomeSearchLinks) {
    const std::string page =
        "<html>\r\n  <head>\r\n  </head>\r\n  <body>\r\n<p>x</p>\r\n"
        "  </body>\r\n</html>";
    EXPECT_EQ(WithLineAbove(page, "<p>L</p>"),
              "<html>\r\n  <head>\r\n  </head>\r\n  <body>\r\n    <p>L</p>\r\n<p>x</p>\r\n"
              "  </body>\r\n</html>");
    EXPECT_EQ(SearchLink("caf\xE9 <&> x"), "zoek:caf%C3%A9%20%3C%26%3E%20x");
    const std::string see = SeeAlsoLine("a<b");
    EXPECT_NE(see.find("Zie ook:"), std::string::npos);
    EXPECT_NE(see.find("<a href=\"zoek:a%3Cb\">a&lt;b</a>"), std::string::npos);
    EXPECT_EQ(BaseFormSentence("x", "y"), "'x' is een vorm van 'y'.");
    const std::string lines = SuggestionLines({"een", "twee"});
    EXPECT_LT(lines.find("Bedoelde u:"), lines.find("zoek:een"));
    EXPECT_LT(lines.find("zoek:een"), lines.find("zoek:twee"));
}

}  // namespace
