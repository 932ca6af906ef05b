// Searching several books at once over compiled books and the real search library: which
// books answer, how their answers rank across books, failing books, the merged lists, the
// groups of a catalogue, and searches of several books on several threads at once.
#include "viewer/finder/AllBooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "CoreTestSupport.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/core/lexqapi.h"
#include "viewer/finder/BookGroups.h"

namespace {

using coretest::DialogRecorder;
using coretest::ProgramFolder;
using Words = std::vector<std::string>;

TEST(MergeTypeAhead, MergesInKeyOrderWithEachHeadwordOnce) {
    const std::vector<std::vector<TKeyRow>> lists = {
        {{"HUIS", "huis"}, {"HUISJE", "huisje"}, {"HUIVEREN", "huiveren"}},
        {{"HUID", "Huid"}, {"HUIS", "huis"}, {"HUISDIER", "huisdier"}},
        {},
        {{"HUIS", "Huis"}},
    };
    EXPECT_EQ(MergeTypeAhead(lists, 10),
              (Words{"Huid", "huis", "Huis", "huisdier", "huisje", "huiveren"}));
    EXPECT_EQ(MergeTypeAhead(lists, 3), (Words{"Huid", "huis", "Huis"}));
    EXPECT_TRUE(MergeTypeAhead({}, 5).empty());
}

TEST(MergeWordLists, SlotsTheSecondListInByFoldedWordKeepingTheFirstsOrder) {
    // The first list's order is its books' keys', which the merge never changes.
    const Words local = {"Huid", "huis", "Huis", "hut"};
    EXPECT_EQ(MergeWordLists(local,
                             {"hui", "huis", "huisje",
                              "\xC5\x82\xC3\xB3"
                              "d\xC5\xBA"},
                             10),
              (Words{"hui", "Huid", "huis", "Huis", "huisje", "hut",
                     "\xC5\x82\xC3\xB3"
                     "d\xC5\xBA"}));
    EXPECT_EQ(MergeWordLists({"zaal"},
                             {"\xC5\xBC"
                              "aba",
                              "zebra"},
                             10),
              (Words{"zaal",
                     "\xC5\xBC"
                     "aba",
                     "zebra"}));
    EXPECT_EQ(MergeWordLists(local, {"ha", "hz"}, 3), (Words{"ha", "Huid", "huis"}));
    EXPECT_EQ(MergeWordLists({}, {"b", "a"}, 5), (Words{"b", "a"}));
}

TEST(MergeSuggestions, NearestFirstThenBooksInOrderEachHeadwordOnce) {
    std::vector<std::vector<TBookSuggestion>> lists = {
        {{"buis", 0, 1}, {"huisje", 0, 2}},
        {{"huid", 1, 1}, {"buis", 1, 1}, {"huis", 1, 0}},
        {{"hui", 2, 2}},
    };
    const auto merged = MergeSuggestions(lists, 4);
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(merged[0].Headword, "huis");
    EXPECT_EQ(merged[1].Headword, "buis");
    EXPECT_EQ(merged[1].Place, 0u);  // the first book that has it
    EXPECT_EQ(merged[2].Headword, "huid");
    EXPECT_EQ(merged[3].Headword, "huisje");
}

#if defined(REAL_LEXQAPI_FILE) && defined(LEXQC_PROGRAM)

// A program folder with compiled books and the real library, the catalogue in this order.
class AllBooksTest : public testing::Test {
  protected:
    void Compile(const std::string &name, const std::string &source) {
        const std::string src = folder.Write(name + ".src", source);
        const std::string command = std::string(LEXQC_PROGRAM) + " build " + src + " " +
                                    folder.Data + "/" + name + ".idx > " + folder.Root +
                                    "/lexqc.out 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0)
            << coretest::ReadFile(folder.Root + "/lexqc.out");
        folder.AddBook(name, "", false);
    }

    void Start(const std::string &catalogue) {
        folder.Copy(REAL_LEXQAPI_FILE, "lexqapi.so");
        std::filesystem::create_directories(folder.Data + "/wordforms");
        folder.Copy(std::string(WORDFORMS_TABLES) + "/nl.tsv", "data/wordforms/nl.tsv");
        folder.Write("data/dict.cfg", "[dictionaries]\n" + catalogue);
        data.Initialise();
    }

    std::vector<TLXABook *> Books(const Words &names) const {
        std::vector<TLXABook *> books;
        for (const std::string &name : names)
            books.push_back(data.Books->FindBook(name));
        return books;
    }

    // "name:rank" of each ranked answer.
    static Words Order(const std::vector<std::shared_ptr<const TBookAnswer>> &answers) {
        Words order;
        for (const auto &answer : answers)
            order.push_back(answer->Book->Name + ":" +
                            std::to_string(static_cast<int>(answer->Rank)));
        return order;
    }

    ProgramFolder folder;
    DialogRecorder dialogs;
    TLXAData data;
};

TEST_F(AllBooksTest, BooksRankByTheirBestHitThenByCatalogueOrder) {
    // In catalogue order the worst first: each book's best hit is of another rank.
    Compile("nl-aa", "kw: huisje\nkey: huis\n<p>klein huis</p>\n");          // another word
    Compile("nl-bb", "kw: lopen\n<p>gaan</p>\n\nkw: lieper\n<p>x</p>\n");    // base form only
    Compile("nl-cc", "kw: h\xC3\xBCis\n<p>gevouwen</p>\n");                  // same after folding
    Compile("nl-dd", "kw: HUIS\n<p>hoofdletters</p>\n");                     // other case
    Compile("nl-ee", "kw: huis\n<p>precies</p>\n\nkw: Huis\n<p>ook</p>\n");  // exact
    Compile("nl-ff", "kw: huis\n<p>ook precies</p>\n");
    Compile("nl-gg", "kw: boom\n<p>geen huis</p>\n");
    Start("nl-aa=1;A\nnl-bb=1;B\nnl-cc=1;C\nnl-dd=1;D\nnl-ee=1;E\nnl-ff=1;F\nnl-gg=1;G\n");
    TAllBooks all(Books({"nl-aa", "nl-bb", "nl-cc", "nl-dd", "nl-ee", "nl-ff", "nl-gg"}),
                  folder.Data);
    EXPECT_EQ(Order(all.SearchAll("huis", WordForms::Wait::No)),
              (Words{"nl-ee:0", "nl-ff:0", "nl-dd:1", "nl-cc:2", "nl-aa:4"}));
    EXPECT_EQ(Order(all.SearchAll("HUIS", WordForms::Wait::No)),
              (Words{"nl-dd:0", "nl-ee:1", "nl-ff:1", "nl-cc:2", "nl-aa:4"}));

    // A base form ranks below every hit of the word itself, and says what it is a form of.
    const auto liep = all.SearchAll("liep", WordForms::Wait::No);
    ASSERT_EQ(Order(liep), (Words{"nl-bb:3"}));
    EXPECT_EQ(liep[0]->BaseForm, "lopen");
    EXPECT_NE(liep[0]->Page().find("'liep' is een vorm van 'lopen'."), std::string::npos);
    EXPECT_NE(liep[0]->Page().find("<p>gaan</p>"), std::string::npos);
    EXPECT_TRUE(all.SearchAll("liep", WordForms::Wait::No, /*baseForms=*/false).empty());

    // Each book's page is its page alone: its own hits, in its own order.
    const auto huis = all.SearchAll("huis", WordForms::Wait::No);
    EXPECT_EQ(huis[0]->Count(), 2);
    EXPECT_LT(huis[0]->Page().find("precies"), huis[0]->Page().find("ook"));
    EXPECT_EQ(huis[1]->ArticleText(), "<p>ook precies</p>");
    EXPECT_TRUE(all.SearchAll("fiets", WordForms::Wait::No).empty());
    EXPECT_TRUE(all.SearchAll("123", WordForms::Wait::No).empty());
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AllBooksTest, ACapitalLigatureIsSearchedSmallAndAStaleSearchLooksNoFurther) {
    Compile("fr-nl", "kw: c\xC5\x93ur\n<p>hart</p>\n");
    Compile("nl-bb", "kw: lopen\n<p>gaan</p>\n");
    Start("fr-nl=1;F\nnl-bb=1;B\n");
    TAllBooks all(Books({"fr-nl", "nl-bb"}), folder.Data);
    // "CŒUR" keys as "CCEUR", "cœur" as "COEUR": the book is asked again with œ.
    const auto heart = all.At(0).Answer(
        "C\x8C"
        "UR",
        WordForms::Wait::No);
    ASSERT_TRUE(heart->HasEntries());
    EXPECT_EQ(heart->Rank, TAnswerRank::AnyCase);
    EXPECT_EQ(heart->ArticleText(), "<p>hart</p>");
    EXPECT_FALSE(all.At(1)
                     .Answer("C\x8C"
                             "UR",
                             WordForms::Wait::No)
                     ->HasEntries());

    // Stale from the start, or once the word itself missed: no base form is looked up.
    int asked = 0;
    const auto staleAfter = [&](int lookups) {
        asked = 0;
        return [&asked, lookups] { return ++asked > lookups; };
    };
    EXPECT_EQ(all.At(1).Answer("liep", WordForms::Wait::No, true, staleAfter(0)), nullptr);
    EXPECT_EQ(all.At(1).Answer("liep", WordForms::Wait::No, true, staleAfter(1)), nullptr);
    EXPECT_EQ(asked, 2);
    const auto walked = all.At(1).Answer("liep", WordForms::Wait::No, true, staleAfter(100));
    ASSERT_NE(walked, nullptr);
    EXPECT_EQ(walked->BaseForm, "lopen");
}

TEST_F(AllBooksTest, AFailingBookGivesANoticeAndTheOthersStillAnswer) {
    Compile("nl-aa", "kw: huis\n<p>a</p>\n");
    Compile("nl-bb", "kw: huis\n<p>b</p>\n");
    Compile("nl-cc", "kw: huis\n<p>c</p>\n");
    folder.Write("data/nl-bb.idx", std::string(200, 'x'));
    Start("nl-aa=1;A\nnl-bb=1;B\nnl-cc=1;C\n");
    TAllBooks all(Books({"nl-aa", "nl-bb", "nl-cc"}), folder.Data);
    // The book that vanishes before its first search.
    std::filesystem::remove(folder.Data + "/nl-cc.idx");
    const auto answers = all.SearchAll("huis", WordForms::Wait::No);
    ASSERT_EQ(Order(answers), (Words{"nl-aa:0", "nl-bb:5", "nl-cc:5"}));
    EXPECT_NE(answers[1]->Notice.find("corrupt"), std::string::npos);
    EXPECT_NE(answers[2]->Notice.find("ontbreekt"), std::string::npos);
    EXPECT_FALSE(answers[1]->HasEntries());
    // No dialog: the notice is the block's, not a message box per book.
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AllBooksTest, SuggestionsAndTypeAheadCoverEveryBook) {
    Compile("nl-aa", "kw: tafel\n<p>x</p>\n\nkw: stoel\n<p>x</p>\n");
    Compile("nl-bb", "kw: takel\n<p>x</p>\n\nkw: Tafel\n<p>x</p>\n\nkw: tak\n<p>x</p>\n");
    Start("nl-aa=1;A\nnl-bb=1;B\n");
    TAllBooks all(Books({"nl-aa", "nl-bb"}), folder.Data);
    const auto suggestions = all.Suggestions("tafl", 8);
    ASSERT_GE(suggestions.size(), 3u);
    EXPECT_EQ(suggestions[0].Headword, "tafel");
    EXPECT_EQ(suggestions[0].Place, 0u);
    // The other book's spelling of the same key is another headword.
    EXPECT_EQ(suggestions[1].Headword, "Tafel");
    EXPECT_EQ(suggestions[1].Place, 1u);
    // Equally near in one book: the book's key order.
    EXPECT_EQ(suggestions[2].Headword, "tak");
    EXPECT_EQ(all.TypeAhead("ta", 12), (Words{"tafel", "Tafel", "tak", "takel"}));
    EXPECT_EQ(all.TypeAhead("ta", 2), (Words{"tafel", "Tafel"}));
    EXPECT_TRUE(all.TypeAhead("x", 12).empty());
}

TEST_F(AllBooksTest, AWordBeyondWindows1252IsAnsweredByTheUtf8BooksAlone) {
    // "żona" in the Polish book (a UTF-8 book: its headwords need it), "zona" in both.
    Compile("pl-nl",
            "kw: \xC5\xBC"
            "ona\n<p>vrouw</p>\n\nkw: zona\n<p>zone</p>\n\n"
            "kw: \xC5\x81\xC3\xB3"
            "d\xC5\xBA\n<p>stad</p>\n");
    Compile("nl-en", "kw: zona\n<p>zone</p>\n\nkw: lodz\n<p>x</p>\n");
    Start("pl-nl=1;Pools\nnl-en=1;Engels\n");
    TAllBooks all(Books({"pl-nl", "nl-en"}), folder.Data);
    const auto zona = all.SearchAllUtf8(
        "\xC5\xBC"
        "ona",
        WordForms::Wait::No);
    // The Windows-1252 book cannot hold the word: no entries, no failure.
    ASSERT_EQ(Order(zona), (Words{"pl-nl:0"}));
    EXPECT_NE(zona[0]->ArticleText().find("vrouw"), std::string::npos);
    // Typed without its accent: the folded key finds the Polish word in the Polish book,
    // after the exact hits of both.
    EXPECT_EQ(Order(all.SearchAllUtf8("zona", WordForms::Wait::No)), (Words{"pl-nl:0", "nl-en:0"}));
    // In capitals: the same letters, another case.
    EXPECT_EQ(Order(all.SearchAllUtf8("\xC5\x81\xC3\x93"
                                      "D\xC5\xB9",
                                      WordForms::Wait::No)),
              (Words{"pl-nl:1"}));
    EXPECT_EQ(Order(all.SearchAllUtf8("lodz", WordForms::Wait::No)), (Words{"nl-en:0", "pl-nl:2"}));
    // Type-ahead and suggestions give the Polish headwords as page text with references.
    const std::string lodz =
        "&#321;\xF3"
        "d&#378;";
    // The Windows-1252 book has no headword that starts with "ł".
    EXPECT_EQ(all.TypeAheadUtf8("\xC5\x82\xC3\xB3", 12), (Words{lodz}));
    const auto near = all.SuggestionsUtf8(
        "\xC5\x82"
        "odzz",
        8);
    ASSERT_EQ(near.size(), 2u);
    EXPECT_EQ(near[0].Headword, lodz);
    EXPECT_EQ(near[0].Place, 0u);
    EXPECT_EQ(near[1].Headword, "lodz");
    EXPECT_EQ(near[1].Distance, 1);
    EXPECT_TRUE(all.SearchAllUtf8("\xC5\xBC"
                                  "x",
                                  WordForms::Wait::No)
                    .empty());
}

TEST_F(AllBooksTest, BooksSearchedOnSeveralThreadsAnswerAsOneByOne) {
    Words names;
    std::string catalogue;
    for (int i = 0; i < 4; ++i) {
        std::string source;
        for (int w = 0; w < 100; ++w)
            source += "kw: woord" + std::to_string(w * (i + 1)) + "\n<p>boek " + std::to_string(i) +
                      "</p>\n\n";
        names.push_back("nl-b" + std::to_string(i));
        Compile(names.back(), source);
        catalogue += names.back() + "=1;B" + std::to_string(i) + "\n";
    }
    Start(catalogue);
    TAllBooks all(Books(names), folder.Data);
    TAllBooks alone(Books(names), folder.Data);
    std::vector<std::string> seen(4);
    std::vector<std::thread> workers;
    for (std::size_t b = 0; b < 4; ++b)
        workers.emplace_back([&, b] {
            for (int w = 0; w < 150; ++w)
                seen[b] += all.At(b)
                               .Answer("woord" + std::to_string(w), WordForms::Wait::No, false)
                               ->ArticleText();
        });
    for (std::thread &worker : workers)
        worker.join();
    for (std::size_t b = 0; b < 4; ++b) {
        std::string expected;
        for (int w = 0; w < 150; ++w)
            expected += alone.At(b)
                            .Answer("woord" + std::to_string(w), WordForms::Wait::No, false)
                            ->ArticleText();
        EXPECT_EQ(seen[b], expected) << b;
        EXPECT_FALSE(expected.empty());
    }
}

TEST_F(AllBooksTest, GroupsAreEveryInstalledBookAndEachSharedSourceLanguage) {
    Compile("nl-en", "kw: a\n<p>a</p>\n");
    Compile("de-nl", "kw: a\n<p>a</p>\n");
    Compile("nl-de", "kw: a\n<p>a</p>\n");
    Compile("en", "kw: a\n<p>a</p>\n");
    Compile("mijnboek", "kw: a\n<p>a</p>\n");
    folder.AddBook("en-nl", "", false);  // listed but not installed
    Start("nl-en=1;NE\nen-nl=1;EN\nde-nl=1;DN\nnl-de=1;ND\nen=1;E\nmijnboek=1;M\n");
    const std::vector<TBookGroup> groups = BookGroups(*data.Books);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].Name, "Alle woordenboeken");
    EXPECT_EQ(groups[0].Books, Books({"nl-en", "de-nl", "nl-de", "en", "mijnboek"}));
    EXPECT_EQ(groups[1].Name, "Alle uit het Nederlands");
    EXPECT_EQ(groups[1].Books, Books({"nl-en", "nl-de"}));
    EXPECT_EQ(FindGroup(groups, "alle UIT het nederlands"), &groups[1]);
    EXPECT_EQ(FindGroup(groups, "nl"), nullptr);
    EXPECT_EQ(FindGroupByKey(groups, GroupKey(groups[1])), &groups[1]);
    EXPECT_EQ(FindGroupByKey(groups, "*"), &groups[0]);
    EXPECT_EQ(FindGroupByKey(groups, "*de"), nullptr);
    EXPECT_EQ(FindGroupByKey(groups, "nl-en"), nullptr);
    EXPECT_EQ(LanguageGroupName("en"), "Alle uit het Engels");
}

#endif

}  // namespace
