// Every book at once in the main window, on compiled books and the real search library:
// the choice and its groups, the page of blocks as the books answer, folding, equal
// articles, misses, failing books, the type-ahead list, and what is kept between runs.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <set>

#include "UiTestSupport.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/BlockHeader.h"
#include "viewer/ui/Command.h"
#include "viewer/ui/FindBar.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/TypeAhead.h"

using namespace uitest;

namespace {

const char *const kRegKey = "Software\\Taalkist\\Test";

std::string Setting(const char *name) {
    return ReadSetting(platform::RegRoot::CurrentUser, std::nullopt, kRegKey, name, "<none>");
}

// A long article: more than a screen of lines.
std::string LongBody() {
    std::string body;
    for (int i = 0; i < 80; ++i)
        body += "<p>regel " + std::to_string(i) + "</p>";
    return body;
}

class AllBooksPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteCatalogue(
            {"nl-en=1;Nederlands-Engels", "en-nl=1;Engels-Nederlands", "nl-de=1;Nederlands-Duits"});
        for (const char *name : {"nl-en", "en-nl", "nl-de"})
            folder.AddBook(name, "", false);
        folder.AddCompiledBook("nl-en",
                               "kw: Hand\n<p>the hand</p>\n\nkw: huis\n<p>house</p>\n\n"
                               "kw: lopen\n<p>to walk</p>\n\nkw: tafel\n<p>table</p>\n");
        folder.AddCompiledBook("en-nl",
                               "kw: hand\n<p>de hand</p>\n\nkw: hands\n<p>handen</p>\n\n"
                               "kw: house\n<p>huis</p>\n");
        folder.AddCompiledBook("nl-de", "kw: hand\n<p>die Hand</p>\n\nkw: huis\n<p>house</p>\n");
    }

    void Start() {
        viewer = std::make_unique<TViewer>();
        Window().resize(600, 400);
        Window().show();
        QApplication::setActiveWindow(&Window());
    }

    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    ui::TAllBooksPage &Page() const { return *Window().AllBooksPage(); }
    ui::TCommand &Choice(int index) const { return *Window().ChoiceCommands().at(index); }

    // Searches and waits until every book has answered (the status line counts them all).
    void Search(const std::string &word, int blocks) {
        Find(Window(), word);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Page().BlockCount() == blocks; }, 10000));
        QTest::qWait(50);
    }

    std::vector<QStringList> Headers() const {
        std::vector<QStringList> headers;
        for (int i = 0; i < Page().BlockCount(); ++i)
            headers.push_back(Page().Header(i)->Books());
        return headers;
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(AllBooksPageTest, TheChoiceFollowsTheBooksAndIsKeptBesideMru) {
    Start();
    const std::string mru = Setting("MRU");
    ASSERT_EQ(Window().ChoiceCommands().size(), 2u);
    EXPECT_EQ(Choice(0).text(), QStringLiteral("Alle woordenboeken"));
    EXPECT_EQ(Choice(0).shortcut(), QKeySequence(QStringLiteral("Alt+0")));
    EXPECT_EQ(Choice(1).text(), QStringLiteral("Alle uit het Nederlands"));
    // In the File menu after the books and before the separator that ends them.
    QStringList entries;
    for (QAction *action : Window().FileMenu()->actions())
        entries << (action->isSeparator() ? QStringLiteral("|")
                                          : action->text().section(QLatin1Char('\t'), 0, 0));
    const int all = static_cast<int>(entries.indexOf(QStringLiteral("Alle woordenboeken")));
    ASSERT_GE(all, 3) << entries.join(QStringLiteral(",")).toStdString();
    EXPECT_EQ(entries.mid(all - 3, 6),
              (QStringList{"Nederlands-Engels", "Engels-Nederlands", "Nederlands-Duits",
                           "Alle woordenboeken", "Alle uit het Nederlands", "|"}));

    QTest::keyClick(&Window(), Qt::Key_0, Qt::AltModifier);
    EXPECT_EQ(Window().ChoiceKey(), "*");
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Morvelt taalkist [Alle woordenboeken]"));
    EXPECT_EQ(Setting("Keuze"), "*");
    EXPECT_EQ(Setting("MRU"), mru);
    Window().UpdateCommands();
    EXPECT_TRUE(Choice(0).isChecked());
    for (auto *book : Window().DictionaryCommands())
        EXPECT_FALSE(book->isChecked());

    Choice(1).Execute();
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Morvelt taalkist [Alle uit het Nederlands]"));
    // The next run starts with the same group.
    viewer.reset();
    Start();
    EXPECT_EQ(Window().ChoiceKey(), "*nl");
    EXPECT_TRUE(Page().isVisible());
    // The book that was current before the choice, chosen again, shows its own empty page:
    // nothing still counts the blocks that went.
    Search("hand", 2);
    for (ui::TSelectBook *book : Window().DictionaryCommands())
        if (book->Book()->Name == mru)
            book->Execute();
    EXPECT_EQ(Window().ChoiceKey(), "");
    EXPECT_EQ(Window().StatusText(), QString());
    EXPECT_FALSE(Page().isVisible());
    Choice(1).Execute();
    // A book chosen ends it, here and for the next run.
    Window().DictionaryCommands()[1]->Execute();
    EXPECT_EQ(Window().ChoiceKey(), "");
    EXPECT_EQ(Setting("Keuze"), "");
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Morvelt taalkist [Engels-Nederlands]"));
    EXPECT_FALSE(Page().isVisible());
}

TEST_F(AllBooksPageTest, BlocksComeInRankedOrderEachWithItsOwnBooksPage) {
    Start();
    Window().ChooseBooks("*");
    Search("hand", 3);
    // Exact keywords first in catalogue order, then the other case.
    EXPECT_EQ(Headers(), (std::vector<QStringList>{
                             {"Engels-Nederlands"}, {"Nederlands-Duits"}, {"Nederlands-Engels"}}));
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("Gevonden in 3 woordenboeken (3 trefwoorden)."));
    EXPECT_TRUE(Page().Display(0)->toPlainText().contains(QStringLiteral("de hand")));
    EXPECT_FALSE(Page().Display(0)->toPlainText().contains(QStringLiteral("die Hand")));
    EXPECT_TRUE(Page().Display(1)->toPlainText().contains(QStringLiteral("die Hand")));
    // Only the Dutch books in their group; a base form answers in its block.
    Window().ChooseBooks("*nl");
    Search("liep", 1);
    EXPECT_EQ(Headers(), (std::vector<QStringList>{{"Nederlands-Engels"}}));
    EXPECT_TRUE(Page().Display(0)->toPlainText().contains(
        QStringLiteral("'liep' is een vorm van 'lopen'.")));
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Gevonden in 1 woordenboek (1 trefwoord)."));
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AllBooksPageTest, CopyAndFindInPageWorkOnTheBlocks) {
    Start();
    Window().ChooseBooks("*");
    Search("hand", 3);
    Window().UpdateCommands();
    ui::TCommand &copy = *Window().Command("actCopyArticle");
    ASSERT_TRUE(copy.isEnabled());
    EXPECT_TRUE(Window().Command("actPrint")->isEnabled());
    // Every block under its books' names, without a focus in one.
    QApplication::clipboard()->clear();
    Window().SearchField()->setFocus();
    copy.Execute();
    const QString all = QApplication::clipboard()->mimeData()->text();
    for (const char *text : {"Engels-Nederlands", "de hand", "Nederlands-Duits", "die Hand",
                             "Nederlands-Engels", "the hand"})
        EXPECT_TRUE(all.contains(QLatin1String(text))) << text;
    EXPECT_LT(all.indexOf(QStringLiteral("de hand")), all.indexOf(QStringLiteral("die Hand")));
    // The block with the focus alone.
    Page().Display(1)->setFocus();
    copy.Execute();
    const QString one = QApplication::clipboard()->mimeData()->text();
    EXPECT_TRUE(one.contains(QStringLiteral("die Hand")));
    EXPECT_FALSE(one.contains(QStringLiteral("de hand")));

    // Find in page goes from block to block, unfolding the one it finds in.
    Page().Header(2)->click();
    ASSERT_TRUE(Page().Folded(2));
    Window().Command("actFindInPage")->Execute();
    ui::TFindBar *bar = Window().FindBar();
    ASSERT_NE(bar, nullptr);
    QTest::keyClicks(bar->Field(), "the");
    EXPECT_EQ(bar->MatchCount(), 1);
    EXPECT_FALSE(Page().Folded(2));
    EXPECT_EQ(Page().Display(2)->textCursor().selectedText(), QStringLiteral("the"));
    bar->Field()->selectAll();
    QTest::keyClicks(bar->Field(), "hand");
    EXPECT_GE(bar->MatchCount(), 3);
    std::set<QTextEdit *> visited;
    for (int i = 0; i < bar->MatchCount(); ++i) {
        ASSERT_TRUE(bar->FindNext());
        for (int block = 0; block < 3; ++block)
            if (Page().Display(block)->textCursor().hasSelection())
                visited.insert(Page().Display(block));
    }
    EXPECT_EQ(visited.size(), 3u);
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AllBooksPageTest, EqualArticlesShareABlockNamingBothBooks) {
    Start();
    Window().ChooseBooks("*");
    Search("huis", 1);
    EXPECT_EQ(Headers(), (std::vector<QStringList>{{"Nederlands-Engels", "Nederlands-Duits"}}));
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("Gevonden in 2 woordenboeken (2 trefwoorden)."));
}

TEST_F(AllBooksPageTest, HeadersFoldTheirBlocksAndLongBlocksStartFolded) {
    folder.AddCompiledBook("nl-de", "kw: hand\n" + LongBody() + "\n");
    Start();
    Window().ChooseBooks("*");
    Search("hand", 3);
    // The long block starts folded: more than one book answered.
    ASSERT_EQ(Page().Header(1)->Books(), QStringList{"Nederlands-Duits"});
    EXPECT_TRUE(Page().Folded(1));
    EXPECT_FALSE(Page().Folded(0));
    ui::TBlockHeader *header = Page().Header(0);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(header);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_TRUE(accessible->state().expandable);
    EXPECT_TRUE(accessible->state().expanded);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Woordenboek Engels-Nederlands"));
    header->setFocus();
    QTest::keyClick(header, Qt::Key_Return);
    EXPECT_TRUE(Page().Folded(0));
    EXPECT_FALSE(accessible->state().expanded);
    EXPECT_FALSE(Page().Display(0)->isVisible());
    QTest::keyClick(header, Qt::Key_Space);
    EXPECT_FALSE(Page().Folded(0));
    // Tab goes through the blocks in the order they are shown, whatever their arrival.
    std::vector<QWidget *> chain;
    for (QWidget *w = Page().Header(0)->nextInFocusChain(); chain.size() < 4;
         w = w->nextInFocusChain())
        if (qobject_cast<ui::TBlockHeader *>(w) || qobject_cast<display::THtmlViewer *>(w))
            chain.push_back(w);
    EXPECT_EQ(chain, (std::vector<QWidget *>{Page().Display(0), Page().Header(1), Page().Display(1),
                                             Page().Header(2)}));
    // Alt+Down and Alt+Up go from header to header.
    QTest::keyClick(header, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Page().Header(1));
    QTest::keyClick(Page().Header(1), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Page().Header(2));
    QTest::keyClick(Page().Header(2), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Page().Header(1));
    // Unfolding the long book is remembered: next time it starts unfolded.
    QTest::keyClick(Page().Header(1), Qt::Key_Space);
    EXPECT_FALSE(Page().Folded(1));
    EXPECT_EQ(Setting("Uitgevouwen"), "en-nl;nl-de");
    Search("hand", 3);
    EXPECT_FALSE(Page().Folded(1));
}

TEST_F(AllBooksPageTest, AMissSuggestsHeadwordsOfEveryBookNamingTheirBooks) {
    Start();
    Window().ChooseBooks("*");
    Find(Window(), "hous");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return Page().findChild<display::THtmlViewer *>(QStringLiteral("FONoteViewer")) !=
                   nullptr;
        },
        5000));
    EXPECT_EQ(Page().BlockCount(), 0);
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Het woord 'hous' kan niet worden gevonden."));
    const QString note =
        Page().findChild<display::THtmlViewer *>(QStringLiteral("FONoteViewer"))->toPlainText();
    EXPECT_TRUE(note.contains(QStringLiteral("Bedoelde u:")));
    EXPECT_TRUE(note.contains(QStringLiteral("house (Engels-Nederlands)"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("huis (Nederlands-Engels)"))) << note.toStdString();
}

TEST_F(AllBooksPageTest, AFailingBookShowsANoticeInItsBlockAndANewSearchReplacesTheOld) {
    Start();
    Window().ChooseBooks("*");
    // The book is damaged after the start, as a file may be while the viewer runs.
    std::FILE *file = std::fopen((folder.Data + "/en-nl.idx").c_str(), "wb");
    std::fputs("kapot", file);
    std::fclose(file);
    Search("hand", 3);
    const QLabel *notice = Page().findChild<QLabel *>(QStringLiteral("lblBlockNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().contains(QStringLiteral("corrupt")));
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("Gevonden in 2 woordenboeken (2 trefwoorden)."));
    // Two searches at once: only the last one's blocks stay.
    Find(Window(), "hand");
    Find(Window(), "tafel");
    QTest::qWait(300);
    // The damaged book says so again, below the answer.
    EXPECT_EQ(Headers(), (std::vector<QStringList>{{"Nederlands-Engels"}, {"Engels-Nederlands"}}));
    EXPECT_TRUE(Page().Display(0)->toPlainText().contains(QStringLiteral("table")));
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AllBooksPageTest, TheTypeAheadListMergesEveryBook) {
    Start();
    Window().ChooseBooks("*");
    QLineEdit *field = Window().SearchField();
    field->setFocus();
    for (const char c : std::string("ha"))
        QTest::keyClick(field, c);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window().TypeAhead()->IsOpen(); }, 10000));
    EXPECT_EQ(Window().TypeAhead()->Words(), (QStringList{"Hand", "hand", "hands"}));
}

// The same books beside a Polish one, which is a UTF-8 book.
class AllBooksUtf8PageTest : public AllBooksPageTest {
  protected:
    void SetUp() override {
        AllBooksPageTest::SetUp();
        folder.WriteCatalogue({"nl-en=1;Nederlands-Engels", "en-nl=1;Engels-Nederlands",
                               "nl-de=1;Nederlands-Duits", "pl-nl=1;Pools-Nederlands"});
        folder.AddBook("pl-nl", "", false);
        folder.AddCompiledBook("pl-nl",
                               "kw: \xC5\xBC"
                               "ona\n<p>vrouw</p>\n\nkw: huis\n<p>dom</p>\n");
    }
};

TEST_F(AllBooksUtf8PageTest, AWordBeyondWindows1252IsSearchedInEveryBook) {
    Start();
    Window().ChooseBooks("*");
    Search(
        "\xC5\xBC"
        "ona",
        1);
    EXPECT_EQ(Headers(), (std::vector<QStringList>{{"Pools-Nederlands"}}));
    EXPECT_TRUE(Page().Display(0)->toPlainText().contains(QStringLiteral("vrouw")));
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Gevonden in 1 woordenboek (1 trefwoord)."));
    // Without its accent the Polish entry is found as well.
    Search("zona", 1);
    EXPECT_EQ(Headers(), (std::vector<QStringList>{{"Pools-Nederlands"}}));
    // A miss: the Polish headword is offered as it is written, and its link searches it.
    Find(Window(),
         "\xC5\xBC"
         "onna");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return Page().findChild<display::THtmlViewer *>(QStringLiteral("FONoteViewer")) !=
                   nullptr;
        },
        5000));
    EXPECT_EQ(Window().StatusText(), QString::fromUtf8("Het woord '\xC5\xBC"
                                                       "onna' kan niet worden gevonden."));
    auto *note = Page().findChild<display::THtmlViewer *>(QStringLiteral("FONoteViewer"));
    EXPECT_TRUE(
        note->toPlainText().contains(QString::fromUtf8("\xC5\xBC"
                                                       "ona (Pools-Nederlands)")))
        << note->toPlainText().toStdString();
    EXPECT_TRUE(note->toHtml().contains(QStringLiteral("zoek:%C5%BCona")))
        << note->toHtml().toStdString();
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AllBooksUtf8PageTest, APatternBeyondWindows1252ListsTheUtf8BooksKeys) {
    Start();
    Window().ChooseBooks("*");
    Search(
        "\xC5\xBC"
        "o?a",
        1);
    EXPECT_EQ(Headers(), (std::vector<QStringList>{{"Pools-Nederlands"}}));
    EXPECT_TRUE(
        Page().Display(0)->toPlainText().contains(QString::fromUtf8("\xC5\xBC"
                                                                    "ona")))
        << Page().Display(0)->toPlainText().toStdString();
    EXPECT_EQ(Window().StatusText(), QString::fromUtf8("1 trefwoord past bij '\xC5\xBC"
                                                       "o?a'."));
    // "h*" in every book, the Polish one by its own keys.
    Search("h*", 4);
    EXPECT_TRUE(dialogs.Shown.empty());
}

}  // namespace
