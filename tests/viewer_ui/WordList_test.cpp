// The word list in the viewer: the stars on the page (on the screen only), taking an entry
// out again, Ctrl+D, the stars of the all-books page and the lookup popup, and the list
// window with its removal, undo, export and opening of an entry.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "AnkiTextReader.h"
#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/LookupPopup.h"
#include "viewer/ui/LookupResident.h"
#include "viewer/ui/WordListHook.h"
#include "viewer/ui/WordListWindow.h"
#include "viewer/wordlist/WordStore.h"

using namespace uitest;

namespace {

class WordListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteCatalogue({"nl-en=Nederlands-Engels"});
        folder.AddBook("nl-en", "");
        std::vector<std::string> rows;
        for (const char *word : {"huis", "huisje"})
            rows.push_back(Row(word, std::string("<p><b>") + word + "</b></p><p>house</p>"));
        folder.SetTable("nl-en", Table(rows));
    }
    ui::TfrmLXAMain &Start() {
        viewer.reset();
        viewer = std::make_unique<TViewer>();
        ui::TfrmLXAMain &window = viewer->Main();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }
    QString Shown() const { return viewer->Main().Viewer()->document()->toPlainText(); }
    std::vector<wordlist::TWordEntry> Kept() const {
        return viewer->Main().WordList()->Store()->Entries();
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(WordListTest, StarsShowOnTheScreenOnlyAndCtrlDKeepsTheTopEntry) {
    ui::TfrmLXAMain &window = Start();
    Find(window, "huis");
    EXPECT_EQ(Shown().count(QStringLiteral("\u2606 Bewaren")), 2) << Shown().toStdString();
    // Printing and copying take the page as the book made it.
    EXPECT_FALSE(window.Viewer()->PrintablePage()->toPlainText().contains("Bewaren"));

    window.UpdateCommands();
    ASSERT_TRUE(window.Command("actStarEntry")->isEnabled());
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(window.StatusText().toStdString(), "'huis' is bewaard in de woordenlijst.");
    EXPECT_EQ(Shown().count(QStringLiteral("\u2605 Bewaard")), 1);
    // The second entry's star, reached by Tab and followed: the caret stays on it.
    window.Viewer()->setTextCursor(window.Viewer()->document()->find(QStringLiteral("\u2606")));
    emit window.Viewer()->anchorClicked(QUrl(QStringLiteral("ster:1")));
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown().count(QStringLiteral("\u2605 Bewaard")), 2);
    EXPECT_EQ(window.Viewer()->textCursor().selectedText(), QStringLiteral("\u2605"));
    const std::vector<wordlist::TWordEntry> kept = Kept();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Headword, "huis");
    EXPECT_EQ(kept[1].Headword, "huisje");
    EXPECT_EQ(kept[1].Typed, "huis");
    EXPECT_EQ(kept[1].Html, "<p><b>huisje</b></p><p>house</p>");
    EXPECT_EQ(kept[1].Plain, "huisje\nhouse");
    EXPECT_EQ(kept[1].List, wordlist::kDefaultList);

    // A later run shows them filled.
    ui::TfrmLXAMain &again = Start();
    Find(again, "huis");
    EXPECT_EQ(Shown().count(QStringLiteral("\u2605 Bewaard")), 2);

    // A filled star takes its entry out of the default list; a named list keeps its row.
    wordlist::TWordEntry named = Kept()[0];
    named.List = "Les 3";
    bool added = false;
    ASSERT_NE(again.WordList()->Store()->Add(named, added), 0);
    emit again.Viewer()->anchorClicked(QUrl(QStringLiteral("ster:0")));
    QCoreApplication::processEvents();
    EXPECT_EQ(again.StatusText().toStdString(), "'huis' is uit de woordenlijst gehaald.");
    ASSERT_EQ(again.WordList()->Store()->Entries(wordlist::kDefaultList).size(), 1u);
    EXPECT_EQ(again.WordList()->Store()->Entries(wordlist::kDefaultList)[0].Headword, "huisje");
    EXPECT_EQ(again.WordList()->Store()->Entries("Les 3").size(), 1u);
    EXPECT_EQ(Shown().count(QStringLiteral("\u2606 Bewaren")), 1);
    EXPECT_LT(Shown().indexOf(QStringLiteral("\u2606")), Shown().indexOf(QStringLiteral("huisje")));
    // Ctrl+D keeps and never takes out: pressed twice, the entry stays.
    again.UpdateCommands();
    QTest::keyClick(&again, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(&again, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(again.StatusText().toStdString(), "'huis' staat al in de woordenlijst.");
    EXPECT_EQ(again.WordList()->Store()->Entries(wordlist::kDefaultList).size(), 2u);
    EXPECT_EQ(Shown().count(QStringLiteral("\u2605 Bewaard")), 2);
}

TEST_F(WordListTest, TheListWindowRemovesUndoesExportsAndOpens) {
    ui::TfrmLXAMain &window = Start();
    Find(window, "huis");
    window.UpdateCommands();
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    emit window.Viewer()->anchorClicked(QUrl(QStringLiteral("ster:1")));
    QCoreApplication::processEvents();
    // In the File menu, and on Ctrl+Shift+D.
    bool inMenu = false;
    for (QAction *item : window.FileMenu()->actions())
        inMenu = inMenu || item->objectName() == QStringLiteral("mniFileWordList");
    EXPECT_TRUE(inMenu);
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    ui::TWordListWindow *list = window.WordList()->Window();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    QTreeWidget *lines = list->Lines();
    ASSERT_EQ(lines->topLevelItemCount(), 2);
    EXPECT_EQ(lines->topLevelItem(0)->text(0), "huisje");  // newest first
    list->OrderChoice()->setCurrentIndex(1);
    EXPECT_EQ(lines->topLevelItem(0)->text(0), "huis");
    list->SearchField()->setText("JE");
    EXPECT_EQ(lines->topLevelItemCount(), 1);
    list->SearchField()->clear();

    lines->setFocus();
    lines->topLevelItem(0)->setSelected(true);
    QTest::keyClick(lines, Qt::Key_Delete);
    EXPECT_EQ(lines->topLevelItemCount(), 1);
    EXPECT_EQ(Kept().size(), 1u);
    QTest::keyClick(lines, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines->topLevelItemCount(), 2);
    ASSERT_EQ(Kept().size(), 2u);
    EXPECT_EQ(Kept()[1].Html, "<p><b>huis</b></p><p>house</p>");

    const std::string file = folder.TempFolder() + "/les.txt";
    list->SetFileChooser([&](bool save, const QString &, const QString &, const QString &) {
        return save ? QString::fromStdString(file) : QString();
    });
    lines->clearSelection();
    ASSERT_TRUE(list->ExportAnki());
    std::ifstream in(file, std::ios::binary);
    const ankitest::TextFile notes =
        ankitest::ReadTextFile(std::string(std::istreambuf_iterator<char>(in), {}));
    ASSERT_EQ(notes.Notes.size(), 2u);
    EXPECT_EQ(notes.Notes[0].Tags, (std::vector<std::string>{"nl-en", "Woordenlijst"}));

    // A line in a named list as well: the list shows among the lists.
    lines->clearSelection();
    lines->topLevelItem(0)->setSelected(true);
    ASSERT_TRUE(list->CopyToList(QStringLiteral("Les 3")));
    EXPECT_GE(list->ListChoice()->findText(QStringLiteral("Les 3")), 0);
    EXPECT_EQ(window.WordList()->Store()->Entries("Les 3").size(), 1u);
    EXPECT_EQ(lines->topLevelItemCount(), 2);

    // Enter on a line looks its entry up in the main window.
    window.SearchField()->clear();
    lines->setCurrentItem(lines->topLevelItem(1));
    emit lines->itemActivated(lines->topLevelItem(1), 0);
    EXPECT_EQ(window.SearchField()->text(), lines->topLevelItem(1)->text(0));
}

// Two compiled books that both hold "huis", each with its own text: a star stores the book
// whose page it stands on, on the all-books page as in the lookup popup.
class WordListBooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteCatalogue({"nl-en=1;Nederlands-Engels", "nl-de=1;Nederlands-Duits"});
        for (const char *name : {"nl-en", "nl-de"})
            folder.AddBook(name, "", false);
        folder.AddCompiledBook("nl-en", "kw: huis\n<p>house</p>\n\nkw: tafel\n<p>table</p>\n");
        folder.AddCompiledBook("nl-de", "kw: huis\n<p>Haus</p>\n");
        viewer = std::make_unique<TViewer>();
        Main().resize(600, 400);
        Main().show();
    }
    ui::TfrmLXAMain &Main() const { return viewer->Main(); }
    wordlist::TWordStore &Store() const { return *Main().WordList()->Store(); }
    // Clicks the star of the display's first entry.
    static void ClickStar(display::THtmlViewer &display) {
        emit display.anchorClicked(QUrl(QStringLiteral("ster:0")));
        QCoreApplication::processEvents();
    }
    // The book of a block by its text, and whether its star is filled.
    static std::string BookOf(const QTextEdit &display) {
        return display.toPlainText().contains(QStringLiteral("Haus")) ? "nl-de" : "nl-en";
    }
    static bool Filled(const QTextEdit &display) {
        return display.toPlainText().contains(QStringLiteral("\u2605 Bewaard"));
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(WordListBooksTest, EachBlockOfTheAllBooksPageStarsItsOwnBook) {
    Main().ChooseBooks("*");
    Find(Main(), "huis");
    ui::TAllBooksPage &page = *Main().AllBooksPage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.BlockCount() == 2; }, 10000));
    for (int block = 0; block < 2; ++block)
        EXPECT_FALSE(Filled(*page.Display(block)));

    ClickStar(*page.Display(1));
    std::vector<wordlist::TWordEntry> kept = Store().Entries();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].Book, BookOf(*page.Display(1)));
    EXPECT_EQ(kept[0].Headword, "huis");
    EXPECT_EQ(kept[0].Typed, "huis");
    EXPECT_TRUE(Filled(*page.Display(1)));
    EXPECT_FALSE(Filled(*page.Display(0)));
    EXPECT_EQ(Main().StatusText().toStdString(), "'huis' is bewaard in de woordenlijst.");

    ClickStar(*page.Display(0));
    kept = Store().Entries();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].Book, BookOf(*page.Display(0)));
    EXPECT_NE(kept[0].Book, kept[1].Book);

    // Found again, both show filled; a click takes one out, the other block keeps its star.
    Find(Main(), "huis");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.BlockCount() == 2; }, 10000));
    EXPECT_TRUE(Filled(*page.Display(0)) && Filled(*page.Display(1)));
    const std::string taken = BookOf(*page.Display(0));
    ClickStar(*page.Display(0));
    kept = Store().Entries();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(kept[0].Book, taken);
    EXPECT_FALSE(Filled(*page.Display(0)));
    EXPECT_TRUE(Filled(*page.Display(1)));
}

TEST_F(WordListBooksTest, CtrlDKeepsTheTopEntryOfTheBlockAtTheTopOrWithTheFocus) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Main().ChooseBooks("*");
    Main().UpdateCommands();
    EXPECT_FALSE(Main().Command("actStarEntry")->isEnabled());  // no block yet
    Find(Main(), "huis");
    ui::TAllBooksPage &page = *Main().AllBooksPage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.BlockCount() == 2; }, 10000));
    Main().UpdateCommands();
    ASSERT_TRUE(Main().Command("actStarEntry")->isEnabled());
    QTest::keyClick(&Main(), Qt::Key_D, Qt::ControlModifier);
    std::vector<wordlist::TWordEntry> kept = Store().Entries();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].Book, BookOf(*page.Display(0)));
    EXPECT_TRUE(Filled(*page.Display(0)));
    EXPECT_EQ(Main().StatusText().toStdString(), "'huis' is bewaard in de woordenlijst.");

    page.Display(1)->setFocus();
    QTest::keyClick(page.Display(1), Qt::Key_D, Qt::ControlModifier);
    kept = Store().Entries();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].Book, BookOf(*page.Display(1)));
    EXPECT_TRUE(Filled(*page.Display(1)));
}

// The lookup popup of the running viewer, showing nl-de's "huis".
class WordListPopupTest : public WordListBooksTest {
  protected:
    void SetUp() override {
        WordListBooksTest::SetUp();
        resident = std::make_unique<ui::TLookupResident>(Main(), viewer->Data);
        Main().SelectBookByName("nl-de");
        resident->LookUp(QStringLiteral("huis"));
    }
    ~WordListPopupTest() override {
        resident.reset();
        QApplication::setQuitOnLastWindowClosed(true);
    }
    ui::TLookupPopup &Popup() const { return *resident->Popup(); }

    std::unique_ptr<ui::TLookupResident> resident;
};

TEST_F(WordListPopupTest, ThePopupStarsItsPageAndItsBlocks) {
    ui::TLookupPopup &popup = Popup();
    ASSERT_FALSE(Filled(*popup.Viewer()));
    ClickStar(*popup.Viewer());
    ASSERT_EQ(Store().Entries().size(), 1u);
    EXPECT_EQ(Store().Entries()[0].Book, "nl-de");
    EXPECT_TRUE(Filled(*popup.Viewer()));
    EXPECT_EQ(popup.Status().toStdString(), "'huis' is bewaard in de woordenlijst.");
    // The main window's page shows it kept; the popup's star takes it out again.
    Find(Main(), "huis");
    EXPECT_TRUE(Filled(*Main().Viewer()));
    ClickStar(*popup.Viewer());
    EXPECT_TRUE(Store().Entries().empty());
    EXPECT_FALSE(Filled(*popup.Viewer()));
    EXPECT_FALSE(Filled(*Main().Viewer())) << "the same entry shown elsewhere follows";

    // Every book chosen: each block of the popup stores its own book.
    Main().ChooseBooks("*");
    resident->LookUp(QStringLiteral("huis"));
    ui::TAllBooksPage *page = popup.AllBooks();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->BlockCount(), 2);
    for (int block = 0; block < 2; ++block) {
        ClickStar(*page->Display(block));
        ASSERT_EQ(Store().Entries().size(), static_cast<std::size_t>(block + 1));
        EXPECT_EQ(Store().Entries().back().Book, BookOf(*page->Display(block)));
        EXPECT_TRUE(Filled(*page->Display(block)));
    }
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(WordListPopupTest, CtrlDInThePopupKeepsTheTopEntryOfItsPageOrItsBlock) {
    ui::TLookupPopup &popup = Popup();
    popup.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&popup));
    QTest::keyClick(&popup, Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(Store().Entries().size(), 1u);
    EXPECT_EQ(Store().Entries()[0].Book, "nl-de");
    EXPECT_TRUE(Filled(*popup.Viewer()));

    Main().ChooseBooks("*");
    resident->LookUp(QStringLiteral("huis"));
    ui::TAllBooksPage *page = popup.AllBooks();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->BlockCount(), 2);
    const bool firstKept = Filled(*page->Display(0));
    page->Display(firstKept ? 1 : 0)->setFocus();
    QTest::keyClick(page->Display(firstKept ? 1 : 0), Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(Store().Entries().size(), 2u);
    EXPECT_EQ(Store().Entries()[1].Book, BookOf(*page->Display(firstKept ? 1 : 0)));
    EXPECT_TRUE(Filled(*page->Display(0)) && Filled(*page->Display(1)));
}

}  // namespace
