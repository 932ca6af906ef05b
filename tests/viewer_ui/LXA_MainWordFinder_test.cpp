// What a search adds to the page, on compiled books and the real search library: the base
// form's entries for a miss, "Zie ook" beside a word's own entries, suggestions when
// neither, and searches started from the page (its links, a double-clicked word).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/LXA_Main.h"

using namespace uitest;

namespace {

class WordFinderPageTest : public ::testing::Test {
  protected:
    void Start(const std::string &source, const std::string &book = "nl-en") {
        folder.WriteCatalogue({book + "=1;Boek"});
        folder.AddBook(book, "", false);
        folder.AddCompiledBook(book, source);
        viewer = std::make_unique<TViewer>();
    }
    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    QString Page() const { return Window().Viewer()->toPlainText(); }
    QString Html() const { return Window().Viewer()->toHtml(); }
    std::string Status() const { return Window().StatusText().toStdString(); }
    // Follows a link of the page as a click on it does.
    void Follow(const QString &href) {
        emit Window().Viewer()->anchorClicked(QUrl(href));
        QCoreApplication::processEvents();
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(WordFinderPageTest, AMissShowsItsBaseFormsEntriesSaidAboveAndInTheStatus) {
    Start(BookSource({"zwemmen", "vogel", "kat"}));
    EXPECT_EQ(Find(Window(), "zwom"), "'zwom' is een vorm van 'zwemmen'.");
    EXPECT_TRUE(Page().startsWith("'zwom' is een vorm van 'zwemmen'.")) << Page().toStdString();
    EXPECT_NE(Page().indexOf("over zwemmen"), -1);
    EXPECT_EQ(Window().SearchField()->text(), "zwom") << "the field keeps what was typed";
    EXPECT_EQ(Find(Window(), "Vogels"), "'Vogels' is een vorm van 'vogel'.");
    // A base form the book lacks is none: "dronk" is a form of a verb it has no entry for.
    EXPECT_EQ(Find(Window(), "dronk"), "Het woord 'dronk' kan niet worden gevonden.");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(WordFinderPageTest, AWordWithEntriesGetsAZieOokLineThatSearches) {
    Start(BookSource({"geschreven", "schrijven", "boek"}));
    EXPECT_EQ(Find(Window(), "geschreven"), "Er is 1 trefwoord gevonden.");
    EXPECT_TRUE(Page().startsWith("Zie ook: schrijven")) << Page().toStdString();
    EXPECT_NE(Page().indexOf("over geschreven"), -1);
    EXPECT_NE(Html().indexOf("zoek:schrijven"), -1);
    Follow(QStringLiteral("zoek:schrijven"));
    EXPECT_EQ(Window().SearchField()->text(), "schrijven");
    EXPECT_EQ(Status(), "Er is 1 trefwoord gevonden.");
    EXPECT_NE(Page().indexOf("over schrijven"), -1);
    // A word without a vouched-for base form gets no line.
    Find(Window(), "boek");
    EXPECT_TRUE(Page().startsWith("over boek")) << Page().toStdString();
}

TEST_F(WordFinderPageTest, NeitherWordNorBaseFormOffersTheNearestHeadwordsAsLinks) {
    Start(BookSource({"tafel", "takel", "kabel", "Utrecht", "zadel"}));
    EXPECT_EQ(Find(Window(), "tafl"), "Het woord 'tafl' kan niet worden gevonden.");
    // The book's keys are read between events on the first miss.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().startsWith("Bedoelde u:"); }, 5000))
        << Page().toStdString();
    EXPECT_LT(Page().indexOf("tafel"), Page().indexOf("takel")) << "nearest first";
    EXPECT_EQ(Page().indexOf("kabel"), -1);
    EXPECT_EQ(Status(), "Het woord 'tafl' kan niet worden gevonden.");
    // Later misses find the keys read; the headword comes as the book writes it.
    EXPECT_EQ(Find(Window(), "utreht"), "Het woord 'utreht' kan niet worden gevonden.");
    EXPECT_NE(Page().indexOf("Utrecht"), -1);
    Follow(QStringLiteral("zoek:Utrecht"));
    EXPECT_EQ(Window().SearchField()->text(), "Utrecht");
    EXPECT_EQ(Status(), "Er is 1 trefwoord gevonden.");
}

TEST_F(WordFinderPageTest, SuggestionsComeFromTheBookShownAfterASwitch) {
    folder.WriteCatalogue({"nl-en=1;Nederlands-Engels", "nl-de=1;Nederlands-Duits"});
    folder.AddBook("nl-en", "", false);
    folder.AddBook("nl-de", "", false);
    folder.AddCompiledBook("nl-en", BookSource({"tafel", "takel"}));
    folder.AddCompiledBook("nl-de", BookSource({"stoel", "stoep"}));
    viewer = std::make_unique<TViewer>();
    // A miss starts reading the first book's keys; the switch comes before they are read.
    Find(Window(), "tafl");
    Window().SelectBookByName("nl-de");
    EXPECT_EQ(Find(Window(), "stoek"), "Het woord 'stoek' kan niet worden gevonden.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().startsWith("Bedoelde u:"); }, 5000));
    EXPECT_NE(Page().indexOf("stoel"), -1);
    EXPECT_EQ(Page().indexOf("tafel"), -1);
    QTest::qWait(50);
    EXPECT_EQ(Page().indexOf("tafel"), -1) << "nothing of the first book arrives later";
}

TEST_F(WordFinderPageTest, LinksCarryTheirWordInUtf8AndNeverLeaveThePage) {
    Start(BookSource({"caf\xC3\xA9", "thee"}));
    Find(Window(), "thee");
    Follow(QStringLiteral("zoek:caf%C3%A9"));
    EXPECT_EQ(Window().SearchField()->text(), QStringLiteral("caf\u00e9"));
    EXPECT_NE(Page().indexOf(QStringLiteral("over caf\u00e9")), -1);
    // A link of another scheme is not a search.
    Follow(QStringLiteral("file:///etc/passwd"));
    EXPECT_EQ(Window().SearchField()->text(), QStringLiteral("caf\u00e9"));
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(WordFinderPageTest, AUtf8BooksSuggestionsShowAndSearchTheirOwnLetters) {
    // Polish headwords make a UTF-8 book, whose page is UTF-8.
    Start(BookSource({"\xC5\x82\xC3\xB3"
                      "d\xC5\xBA",
                      "\xC5\xBC"
                      "ona"}),
          "pl-nl");
    EXPECT_EQ(Find(Window(),
                   "\xC5\x82"
                   "odzz"),
              "Het woord '\xC5\x82"
              "odzz' kan niet worden gevonden.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().startsWith("Bedoelde u:"); }, 5000))
        << Page().toStdString();
    EXPECT_NE(Page().indexOf(QString::fromUtf8("\xC5\x82\xC3\xB3"
                                               "d\xC5\xBA")),
              -1)
        << Page().toStdString();
    EXPECT_NE(Html().indexOf(QStringLiteral("zoek:%C5%82%C3%B3d%C5%BA")), -1)
        << Html().toStdString();
    Follow(QStringLiteral("zoek:%C5%82%C3%B3d%C5%BA"));
    EXPECT_EQ(Status(), "Er is 1 trefwoord gevonden.");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(WordFinderPageTest, APatternOnAUtf8BookListsItsHeadwordsByTheBooksKeyRule) {
    Start(BookSource({"\xC5\x82\xC3\xB3"
                      "d\xC5\xBA",
                      "lody",
                      "\xC5\xBC"
                      "ona"}),
          "pl-nl");
    Find(Window(),
         "\xC5\x81\xC3\xB3"
         "d?");  // "Łód?": "?" is one letter, "ź" or "y"
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Status().find("passen bij") != std::string::npos; }, 5000))
        << Status();
    EXPECT_EQ(Status(),
              "2 trefwoorden passen bij '\xC5\x81\xC3\xB3"
              "d?'.");
    EXPECT_NE(Page().indexOf(QString::fromUtf8("\xC5\x82\xC3\xB3"
                                               "d\xC5\xBA")),
              -1)
        << Page().toStdString();
    EXPECT_NE(Html().indexOf(QStringLiteral("zoek:%C5%82%C3%B3d%C5%BA")), -1);
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(WordFinderPageTest, DoubleClickingAWordOfThePageSearchesIt) {
    Start("kw: tafel\n<p>een meubel met vier poten</p>\n\n" + BookSource({"meubel"}));
    Window().show();
    Find(Window(), "tafel");
    display::THtmlViewer *page = Window().Viewer();
    const QTextCursor word = page->document()->find(QStringLiteral("meubel"));
    ASSERT_FALSE(word.isNull());
    QTextCursor inside = word;
    inside.setPosition(word.selectionStart() + 2);
    const QPoint at = page->cursorRect(inside).center();
    QTest::mouseDClick(page->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(Window().SearchField()->text(), "meubel");
    EXPECT_EQ(Status(), "Er is 1 trefwoord gevonden.");
    EXPECT_NE(Page().indexOf("over meubel"), -1);
}

TEST_F(WordFinderPageTest, AnEnglishBookTakesEnglishBaseForms) {
    Start(BookSource({"mouse", "carry"}), "en-nl");
    EXPECT_EQ(Find(Window(), "mice"), "'mice' is een vorm van 'mouse'.");
    EXPECT_EQ(Find(Window(), "carried"), "'carried' is een vorm van 'carry'.");
}

}  // namespace
