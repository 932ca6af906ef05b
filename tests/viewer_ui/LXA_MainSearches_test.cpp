// Searches beside the word, on compiled books and the real search library: a pattern's
// page of matching headwords and its status line, a malformed pattern's message, the
// full-text command's page, and a book whose article index is missing or damaged.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTextDocument>
#include <cstdio>
#include <fstream>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/Command.h"
#include "viewer/ui/LXA_Main.h"

using namespace uitest;

namespace {

std::string Entries(std::initializer_list<const char *> words) {
    std::string source;
    for (const char *word : words)
        source += std::string("kw: ") + word + "\ndir: nl-en\n<p>over " + word + "</p>\n\n";
    return source;
}

class SearchesTest : public ::testing::Test {
  protected:
    void Start(const std::string &source) {
        folder.WriteCatalogue({"nl-en=1;Boek"});
        folder.AddBook("nl-en", "", false);
        folder.AddCompiledBook("nl-en", source);
        viewer = std::make_unique<TViewer>();
    }
    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    // The search's worker answers later: the status once it has, the window free meanwhile.
    std::string Settled() const {
        for (int i = 0; i < 1000 && Window().SearchingBeside(); ++i)
            QTest::qWait(5);
        EXPECT_FALSE(Window().SearchingBeside());
        return Window().StatusText().toStdString();
    }
    std::string Search(const std::string &text) const {
        Find(Window(), text);
        return Settled();
    }
    QString Page() const { return Window().Viewer()->toPlainText(); }
    QString Html() const { return Window().Viewer()->toHtml(); }
    // The page's text without the blanks its paragraphs end in.
    std::string Text() const {
        QString text = Page();
        text.replace(QStringLiteral(" \n"), QStringLiteral("\n"));
        return text.trimmed().toStdString();
    }

    void WriteIndex(const std::string &bytes) const {
        std::ofstream(folder.Data + "/nl-en.fts", std::ios::binary | std::ios::trunc) << bytes;
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(SearchesTest, APatternListsTheMatchingHeadwordsAsLinksInKeyOrder) {
    Start(Entries({"waarheid", "schoonheid", "huis", "muis", "Heide", "fiets", "fietsen", "buis",
                   "caf\xC3\xA9"}));
    EXPECT_EQ(Search("*heid"), "2 trefwoorden passen bij '*heid'.");
    EXPECT_EQ(Text(), "2 trefwoorden passen bij '*heid'.\nschoonheid\nwaarheid");
    EXPECT_NE(Html().indexOf("zoek:schoonheid"), -1);
    EXPECT_EQ(Search("?uis"), "3 trefwoorden passen bij '?uis'.");
    EXPECT_EQ(Text(), "3 trefwoorden passen bij '?uis'.\nbuis\nhuis\nmuis");
    EXPECT_EQ(Search("FIETS*"), "2 trefwoorden passen bij 'FIETS*'.");
    EXPECT_EQ(Search("*E"), "2 trefwoorden passen bij '*E'.");
    EXPECT_NE(Page().indexOf(QStringLiteral("caf\u00e9")), -1) << "as the book writes it";
    EXPECT_EQ(Search("x*"), "0 trefwoorden passen bij 'x*'.");
    // An escaped star is no pattern character: the search text folds to FIETS.
    EXPECT_EQ(Search("fiets\\*"), "1 trefwoord past bij 'fiets\\*'.");
    EXPECT_TRUE(dialogs.Shown.empty());
    EXPECT_EQ(Window().SearchField()->text(), "fiets\\*") << "the field keeps the pattern";
}

TEST_F(SearchesTest, AMalformedPatternSaysWhatIsWrongOnThePageAndInTheStatus) {
    Start(Entries({"huis"}));
    const std::string sentence = "Het patroon 'h[ui' klopt niet: '[' wordt niet gesloten met ']'.";
    EXPECT_EQ(Search("h[ui"), sentence);
    EXPECT_EQ(Text(), sentence);
    EXPECT_EQ(Search("huis\\"),
              "Het patroon 'huis\\' klopt niet: het eindigt op een '\\' zonder teken erna.");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(SearchesTest, AMissingOrDamagedIndexLeavesPatternsToEveryKey) {
    Start(Entries({"waarheid", "schoonheid", "huis"}));
    WriteIndex("");
    EXPECT_EQ(Search("*heid"), "2 trefwoorden passen bij '*heid'.");
    WriteIndex("SQLite format 3 and then nothing sound at all");
    Window().SelectBookByName("nl-en");
    EXPECT_EQ(Search("*heid"), "2 trefwoorden passen bij '*heid'.");
    EXPECT_EQ(Search("huis"), "Er is 1 trefwoord gevonden.");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(SearchesTest, FindInArticlesListsTheEntriesWithTheWordsAndALineOfEach) {
    Start(
        "kw: fiets\ndir: nl-en\n<p>bike, cycle, bicycle</p>\n\n"
        "kw: rijwiel\ndir: nl-en\n<p>(formal) bicycle</p>\n\n"
        "kw: auto\ndir: nl-en\n<p>car</p>\n\n");
    ui::TCommand *command = Window().Command("actFindInArticles");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), "Zoeken in artikelen");
    EXPECT_EQ(command->shortcut(), QKeySequence("Ctrl+Shift+F"));
    Window().SearchField()->setText("Bicycle");
    command->Execute();
    EXPECT_EQ(Settled(), "2 artikelen bevatten 'Bicycle'.");
    // The shorter article first: the word weighs more in it.
    EXPECT_EQ(Text(),
              "2 artikelen bevatten 'Bicycle'.\nrijwiel\n(formal) bicycle\nfiets\nbike, cycle, "
              "bicycle");
    EXPECT_NE(Html().indexOf("zoek:rijwiel"), -1);
    EXPECT_NE(Html().indexOf("font-weight:700;\">bicycle"), -1) << "the word is marked";
    Window().SearchField()->setText("\"open");
    command->Execute();
    EXPECT_EQ(Window().StatusText().toStdString(),
              "De zoekvraag klopt niet: een aanhalingsteken (\") wordt niet gesloten.");
    // Without its index the book says how to make one and answers words as before.
    std::remove((folder.Data + "/nl-en.fts").c_str());
    Window().SelectBookByName("nl-en");
    Window().SearchField()->setText("car");
    command->Execute();
    Settled();
    EXPECT_NE(Text().find("heeft geen artikelindex"), std::string::npos) << Text();
    EXPECT_EQ(Search("auto"), "Er is 1 trefwoord gevonden.");
    EXPECT_TRUE(dialogs.Shown.empty());
}

}  // namespace

namespace {

// The choice of several books: a pattern and a full-text search answer in a block per book
// that has something to list, and the status line sums them up.
TEST(SearchesAllBooksTest, APatternAndTheArticlesAnswerInABlockPerBook) {
    TDialogRecorder dialogs;
    TProgramFolder folder;
    folder.WriteCatalogue({"nl-en=1;Nederlands-Engels", "nl-de=1;Nederlands-Duits"});
    for (const char *name : {"nl-en", "nl-de"})
        folder.AddBook(name, "", false);
    folder.AddCompiledBook("nl-en",
                           "kw: huis\n<p>house</p>\n\nkw: muis\n<p>mouse</p>\n\n"
                           "kw: fiets\n<p>bicycle</p>\n");
    folder.AddCompiledBook("nl-de", "kw: huis\n<p>Haus, house</p>\n\nkw: tafel\n<p>Tisch</p>\n");
    TViewer viewer;
    ui::TfrmLXAMain &window = viewer.Main();
    window.ChoiceCommands().at(0)->Execute();
    ui::TAllBooksPage &page = *window.AllBooksPage();
    Find(window, "?uis");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.AllBooksPending() == 0; }, 10000));
    ASSERT_EQ(page.BlockCount(), 2);
    EXPECT_EQ(window.StatusText().toStdString(), "3 trefwoorden passen bij '?uis'.");
    EXPECT_NE(page.Display(0)->toPlainText().indexOf("muis"), -1);
    EXPECT_EQ(page.Display(1)->toPlainText().indexOf("muis"), -1);
    window.SearchField()->setText("house");
    window.Command("actFindInArticles")->Execute();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.AllBooksPending() == 0; }, 10000));
    EXPECT_EQ(page.BlockCount(), 2);
    EXPECT_EQ(window.StatusText().toStdString(), "Gevonden in 2 woordenboeken.");
    window.SearchField()->setText("bicycle");
    window.Command("actFindInArticles")->Execute();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.AllBooksPending() == 0; }, 10000));
    ASSERT_EQ(page.BlockCount(), 1);
    EXPECT_NE(page.Display(0)->toPlainText().indexOf("fiets"), -1);
    EXPECT_TRUE(dialogs.Shown.empty());
}

}  // namespace
