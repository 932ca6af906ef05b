#include "viewer/core/LXA_Search.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "CoreTestSupport.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/lexqapi.h"

namespace {

const char *const kCorrupt =
    "Het woordenboek bevat incorrecte gegevens. De gevonden woorden kunnen niet worden getoond.";

// A search library in the process: answers with g_status, and with g_table on success.
std::int32_t g_status = 0;
std::string g_table;
char *g_handedOut = nullptr;
int g_freed = 0;

std::int32_t StubSearch(const char *, char **result) {
    *result = nullptr;
    if (g_status != 0)
        return g_status;
    g_handedOut = ::strdup(g_table.c_str());
    *result = g_handedOut;
    return 0;
}

std::int32_t StubFree(char *table) {
    EXPECT_EQ(table, g_handedOut);
    ++g_freed;
    std::free(table);
    return 0;
}

std::string Row(const std::string &s1, const std::string &s2, const std::string &kw,
                const std::string &dir = "", const std::string &body = "") {
    return "<tr><td>" + s1 + "</td><td>" + s2 + "</td><td>" + kw + "</td><td>" + dir + "</td><td>" +
           body + "</td></tr>";
}

class SearchResultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_status = 0;
        g_table.clear();
        g_freed = 0;
        lexqapi::lexq_search = StubSearch;
        lexqapi::lexq_free_searchresult = StubFree;
    }
    void TearDown() override {
        lexqapi::lexq_search = nullptr;
        lexqapi::lexq_free_searchresult = nullptr;
    }
    std::vector<std::string> Keywords() const {
        std::vector<std::string> keywords;
        for (const auto &item : results.Items)
            keywords.push_back(item->Keyword);
        return keywords;
    }

    coretest::DialogRecorder dialogs;
    TLXASearchResults results;
};

TEST_F(SearchResultsTest, ParsesEveryCellOfEveryRowAndHandsTheTableBack) {
    g_table = "<table>" + Row("huis", "HUIS", "huis", "nl", "<b>het huis</b>") +
              "<tr><td>huis</td><td>HUIS</td><td>huisje</td></tr></table>";
    EXPECT_EQ(results.Search("huis", -1), 2);
    EXPECT_EQ(g_freed, 1);
    EXPECT_EQ(results.RawTable, g_table);
    EXPECT_EQ(results.SearchText, "huis");
    const TLXASearchResult &first = results.GetItem(0);
    EXPECT_EQ(first.SearchWord, "huis");
    EXPECT_EQ(first.Translated, "HUIS");
    EXPECT_EQ(first.LanguageDir, "nl");
    EXPECT_EQ(first.Body, "<b>het huis</b>");
    EXPECT_EQ(first.FluencyField, -1);  // no current book
    // A row of three cells is whole: the others are just empty.
    const TLXASearchResult &second = results.GetItem(1);
    EXPECT_EQ(second.Keyword, "huisje");
    EXPECT_EQ(second.RowText, "<td>huis</td><td>HUIS</td><td>huisje</td>");
    EXPECT_TRUE(second.LanguageDir.empty());
    EXPECT_TRUE(second.Body.empty());
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(SearchResultsTest, CorruptTablesRaiseAndStillReleaseTheText) {
    const std::string row = Row("a", "A", "a");
    for (const std::string &table :
         {std::string("<table></table>"), "<table>" + row + "</table>\r\n",
          " <table>" + row + "</table>", "<table>" + row + "\r\n" + row + "</table>",
          std::string("<table><tr></tr></table>"), "<table>x" + row + "</table>",
          "<table>" + row + "<tr><td>a</td></table>", std::string("no table at all")}) {
        SCOPED_TRACE(table);
        g_table = table;
        g_freed = 0;
        try {
            results.Search("a", -1);
            FAIL() << "no exception";
        } catch (const ELXASearchResults &e) {
            EXPECT_STREQ(e.what(), kCorrupt);
            EXPECT_EQ(e.Group, 6);
            EXPECT_EQ(e.Number, 1);
        }
        EXPECT_EQ(g_freed, 1);
        EXPECT_EQ(results.LastCode, 0);
        EXPECT_EQ(results.RawTable, table);
    }
}

TEST_F(SearchResultsTest, ACorruptRowKeepsTheHitsBeforeItInLibraryOrder) {
    g_table = "<table>" + Row("bank", "BANK", "banken") + Row("bank", "BANK", "bank") +
              "<tr><td></td><td>BANK</td><td>x</td></tr></table>";
    EXPECT_THROW(results.Search("bank", -1), ELXASearchResult);
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"banken", "bank"}));
    EXPECT_EQ(g_freed, 1);
}

TEST(SearchResultRow, CellsOneToThreeMustBePresentAndLeadTheirRest) {
    for (const std::string &row :
         {std::string("<td></td><td>B</td><td>c</td>"),
          std::string("<td>a</td><td></td><td>c</td>"), std::string("<td>a</td><td>B</td>"),
          std::string("x<td>a</td><td>B</td><td>c</td>"),
          std::string("<td>a</td> <td>B</td><td>c</td>")}) {
        SCOPED_TRACE(row);
        try {
            TLXASearchResult result(row, -1);
            FAIL() << "no exception";
        } catch (const ELXASearchResult &e) {
            EXPECT_STREQ(e.what(), kCorrupt);
            EXPECT_EQ(e.Group, 6);
            EXPECT_EQ(e.Number, 1);
        }
    }
    // Cells four and five may be empty, and text in front of them is dropped.
    const TLXASearchResult result(
        "<td>a</td><td>B</td><td>c</td>junk<td></td>more<td>body</td>tail", -1);
    EXPECT_EQ(result.LanguageDir, "");
    EXPECT_EQ(result.Body, "body");
}

TEST(SearchResultRow, TheFluencyFieldChoosesTheTranscription) {
    const std::string row = "<td>huis</td><td>HUIS</td><td>huis</td><td>hys</td><td>";
    EXPECT_EQ(TLXASearchResult(row + "b</td>", 3).Transcription, "huis");
    EXPECT_EQ(TLXASearchResult(row + "b</td>", 4).Transcription, "hys");
    EXPECT_EQ(TLXASearchResult(row + "b</td>", -1).Transcription, "");
    EXPECT_EQ(TLXASearchResult(row + "b</td>", 2).Transcription, "");

    const TLXASearchResult cut(row + "hoys;het huis</td>", 5);
    EXPECT_EQ(cut.Transcription, "hoys");
    EXPECT_EQ(cut.Body, "het huis");
    const TLXASearchResult emptyHead(row + ";het huis</td>", 5);
    EXPECT_EQ(emptyHead.Transcription, "");
    EXPECT_EQ(emptyHead.Body, "het huis");
    const TLXASearchResult whole(row + "het huis</td>", 5);
    EXPECT_EQ(whole.Transcription, "");
    EXPECT_EQ(whole.Body, "het huis");
}

// The ordering compares in the user's locale. CMake runs these cases once more under
// nl_NL.UTF-8, with TK_TEST_LOCALE naming it: then that locale must really be in force, for
// Qt and for the C library alike.
TEST_F(SearchResultsTest, OrdersExactThenCaseThenLetterHitsThenTheRestStably) {
    if (const char *wanted = std::getenv("TK_TEST_LOCALE")) {
        const std::string name(wanted);
        EXPECT_EQ(QLocale().name().toStdString(), name.substr(0, name.find('.')));
        EXPECT_STREQ(std::setlocale(LC_COLLATE, nullptr), wanted);
    }
    struct Case {
        const char *search;
        std::vector<std::string> library;
        std::vector<int> shown;  // the library's places, in display order
    };
    // b\xE1nk is "bánk", caf\xE9 "café". A case-blind comparison that also ignored accents
    // would take bánk for a case hit and keep it before Bank. Equal hits keep their order.
    const Case cases[] = {
        {"bank", {"banken", "bank", "Bank", "b\xE1nk", "bank"}, {1, 4, 2, 3, 0}},
        {"bank", {"b\xE1nk", "Bank"}, {1, 0}},
        {"Bank", {"bank", "b\xE1nk", "BANK", "Bank"}, {3, 0, 2, 1}},
        {"caf\xE9", {"CAFE", "Caf\xE9", "cafe", "caf\xE9"}, {3, 1, 0, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.search + (" after " + c.library[0]));
        g_table = "<table>";
        // Cell 4 holds the library's place.
        for (std::size_t i = 0; i < c.library.size(); ++i)
            g_table += Row(c.search, "KEY", c.library[i], std::to_string(i));
        g_table += "</table>";
        ASSERT_EQ(results.Search(c.search, -1), static_cast<std::int32_t>(c.library.size()));
        std::vector<int> shown;
        for (std::int32_t i = 0; i < results.Count(); ++i)
            shown.push_back(std::stoi(results.GetItem(i).LanguageDir));
        EXPECT_EQ(shown, c.shown);
    }
}

// A hit whose entry has the typed word among the words its book noted (a StarDict synonym)
// ranks with the hits whose keyword is that word, by case as they do.
TEST_F(SearchResultsTest, AHitThroughANotedWordRanksAsAnExactHit) {
    EXPECT_EQ(NotedKeyWords("<!--keys zoek:GREV%C3%89 zoek:a%20%2Db zoek:%CE%B1 x -->rest"),
              (std::vector<std::string>{"GREV\xC9", "a -b"}));  // alpha has no 1252 form
    EXPECT_TRUE(NotedKeyWords("<p><!--keys zoek:x --></p>").empty());
    EXPECT_TRUE(NotedKeyWords("<!--keys zoek:x").empty());

    const std::string greve = "<!--keys zoek:GREV%C3%89 --><p>grev\xE9, \xE9e</p>";
    g_table = "<table>" + Row("GREV\xC9", "GREVE", "GR\xC8VE", "0") +
              Row("GREV\xC9", "GREVE", "GREV\xC9, \xC9E", "1", greve) +
              Row("GREV\xC9", "GREVE", "Grev\xE9", "2") + "</table>";
    ASSERT_EQ(results.Search("GREV\xC9", -1), 3);
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"GREV\xC9, \xC9E", "Grev\xE9", "GR\xC8VE"}));
    EXPECT_EQ(results.GetItem(0).Body, greve);  // the note stays in the page, unseen
    // In another case the noted word ranks with the keywords in another case.
    ASSERT_EQ(results.Search("grev\xE9", -1), 3);
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"GREV\xC9, \xC9E", "Grev\xE9", "GR\xC8VE"}));
    g_table = "<table>" + Row("grev\xE9", "GREVE", "GREV\xC9, \xC9E", "1", greve) +
              Row("grev\xE9", "GREVE", "grev\xE9", "2") + "</table>";
    ASSERT_EQ(results.Search("grev\xE9", -1), 2);
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"grev\xE9", "GREV\xC9, \xC9E"}));
}

// One text under several words (an accented and a bare spelling) is shown once, at the
// place of its best-ranked word; texts that differ in body or direction all stay.
TEST_F(SearchResultsTest, ATextSeveralHitsShowAlikeIsShownOnce) {
    const std::string typed =
        "rapi\xE9"
        "cer";
    g_table = "<table>" + Row(typed, "RAPIECER", "RAPIECER", "", "<p>art</p>") +
              Row(typed, "RAPIECER", typed, "", "<p>art</p>") +
              Row(typed, "RAPIECER",
                  "RAPI\xC9"
                  "CER",
                  "fr", "<p>art</p>") +
              Row(typed, "RAPIECER", "rapiecer", "", "<p>other</p>") +
              Row(typed, "RAPIECER",
                  "Rapi\xE9"
                  "cer",
                  "", "") +
              Row(typed, "RAPIECER",
                  "Rapi\xE9"
                  "cer",
                  "", "") +
              "</table>";
    ASSERT_EQ(results.Search(typed, -1), 5);
    EXPECT_EQ(Keywords(), (std::vector<std::string>{typed,
                                                    "RAPI\xC9"
                                                    "CER",
                                                    "Rapi\xE9"
                                                    "cer",
                                                    "Rapi\xE9"
                                                    "cer",
                                                    "rapiecer"}));
}

// A typed text with digits or signs: the book's words without letters that it spells come
// first, with hits whose keyword is the text; the hits that only share its letters fold
// away under one line, which searches the letters alone. Without an exact match, or for a
// text of letters, every hit stays.
TEST_F(SearchResultsTest, ExactHitsOfDigitsAndSignsComeFirstAndTheRestFoldAway) {
    results.ExactWords = {{"8086", {"8086", "", "<p>Intel 8086</p>"}},
                          {"10TH", {"tenth", "", "<p>tenth</p>"}}};
    g_status = lexqapi::LEXQ_ERR_ILLEGALINPUT;
    ASSERT_EQ(results.Search("8086", -1), 1);
    EXPECT_EQ(results.LastCode, lexqapi::LEXQ_ERR_NONE);
    EXPECT_EQ(results.GetItem(0).Body, "<p>Intel 8086</p>");
    EXPECT_TRUE(results.Folded.empty());
    EXPECT_EQ(results.Search("80486", -1), 0);

    g_status = 0;
    g_table = "<table>" + Row("10th", "TH", "1000th", "", "<p>1000</p>") +
              Row("10th", "TH", "10th", "", "<p>10</p>") +
              Row("10th", "TH", "100th", "", "<p>100</p>") +
              Row("10th", "TH", "tenth", "", "<p>tenth</p>") + "</table>";
    ASSERT_EQ(results.Search("10th", -1), 2);
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"tenth", "10th"}));
    ASSERT_EQ(results.Folded.size(), 2u);  // the text shown above is not counted again
    const std::string page = results.BuildPage("");
    EXPECT_NE(page.find("<a href=\"zoek:th\">Nog 2 artikelen met dezelfde letters</a>"),
              std::string::npos)
        << page;
    EXPECT_EQ(page.find("<p>1000</p>"), std::string::npos);
    EXPECT_EQ(FoldedLine(1), "Nog 1 artikel met dezelfde letters");

    EXPECT_EQ(results.Search("20th", -1), 4);
    EXPECT_TRUE(results.Folded.empty());
    EXPECT_EQ(results.Search("th", -1), 4);
    EXPECT_EQ(results.BuildPage("").find("Nog "), std::string::npos);
}

TEST_F(SearchResultsTest, StatusCodesBecomeTheirDialogs) {
    // status, expected dialog number (0: no dialog), text prefix
    const std::tuple<std::int32_t, std::int32_t, std::string> cases[] = {
        {-4, 0, ""},
        {-5, 0, ""},
        {-1, 1, "Er is een functie aangeroepen zonder dat lexq_init"},
        {-6, 6, "Er is niet genoeg geheugen"},
        {-2, 2, "Tijdens het laden of doorzoeken"},
        {3, -3, "Tijdens het laden of doorzoeken"},
    };
    for (const auto &[status, number, text] : cases) {
        SCOPED_TRACE(status);
        dialogs.Shown.clear();
        g_status = status;
        EXPECT_EQ(results.Search("woord", -1), 0);
        EXPECT_EQ(results.LastCode, status);
        EXPECT_EQ(g_freed, 0);
        ASSERT_EQ(dialogs.Shown.size(), number != 0 ? 1u : 0u);
        if (number == 0)
            continue;
        EXPECT_EQ(dialogs.Shown[0].Text.rfind(text, 0), 0u);
        EXPECT_EQ(dialogs.Shown[0].Group, 5);
        EXPECT_EQ(dialogs.Shown[0].Number, number);
    }
}

TEST_F(SearchResultsTest, GetItemOutsideTheListRaisesWithTheIndex) {
    g_table = "<table>" + Row("a", "A", "a") + "</table>";
    results.Search("a", -1);
    for (std::int32_t index : {-1, 1}) {
        try {
            results.GetItem(index);
            FAIL() << "no exception for " << index;
        } catch (const ELXASearchResults &e) {
            EXPECT_EQ(std::string(e.what()),
                      "Ongeldige selectie in de resultatenlijst. Er is geen resultaat met "
                      "indexnummer " +
                          std::to_string(index) + ".");
            EXPECT_EQ(e.Group, 6);
            EXPECT_EQ(e.Number, 2);
        }
    }
}

TEST_F(SearchResultsTest, BuildsThePageByteForByte) {
    g_table = "<table>" + Row("\"a%s<", "A", "a", "nl", "<p>x</p>") + Row("\"a%s<", "A", "b") +
              "</table>";
    results.Search("\"a%s<", -1);
    EXPECT_EQ(
        results.BuildPage("/p/data/dict.css"),
        "<html>\r\n"
        "  <head>\r\n"
        "    <title>Resultaten voor \"\"a%s<\"</title>\r\n"
        "    <meta name=\"searchtext\" content=\"\"a%s<\">\r\n"
        "    <link rel=\"stylesheet\" type=\"text/css\" href=\"/p/data/dict.css\">\r\n"
        "  </head>\r\n"
        "  <body>\r\n"
        "    <!-- keyword=\"a\", translated=\"A\"transcription=\"\", languagedir=\"nl\" -->\r\n"
        "<p>x</p>\r\n"
        "    <!-- keyword=\"b\", translated=\"A\"transcription=\"\", languagedir=\"\" -->\r\n"
        "\r\n"
        "  </body>\r\n"
        "</html>");
}

TEST_F(SearchResultsTest, APageWithoutHitsOrStylesheetHasOnlyItsFrame) {
    g_status = -4;
    results.Search("niets", -1);
    EXPECT_EQ(results.BuildPage(""),
              "<html>\r\n  <head>\r\n    <title>Resultaten voor \"niets\"</title>\r\n"
              "    <meta name=\"searchtext\" content=\"niets\">\r\n  </head>\r\n  <body>\r\n"
              "  </body>\r\n</html>");
}

TEST(SearchResultsPronounce, JoinsTheTranscriptionsThatExistWithAFullStop) {
    TLXASearchResults results;
    for (const char *transcription : {"a", "", "b"})
        results.Items.push_back(std::make_unique<TLXASearchResult>(
            std::string("<td>w</td><td>W</td><td>w</td><td>") + transcription + "</td>", 4));
    EXPECT_EQ(results.PronounceText(), "a.b");
    results.Clear();
    EXPECT_EQ(results.PronounceText(), "");
    EXPECT_EQ(results.Count(), 0);
}

}  // namespace
