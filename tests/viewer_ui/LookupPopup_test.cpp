// The lookup popup in the viewer's process: where it stands, that it answers with the main
// window's page without changing what the main window shows (a word, a pattern, several
// books chosen), completes a miss when the word finder is ready, and how it is closed, kept
// open and handed over to the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/LookupPopup.h"
#include "viewer/ui/LookupResident.h"
#include "viewer/ui/SelectBook.h"

using namespace uitest;

namespace {

// How long the word finder's workers may take (Qt's QTRY macros would not fail a gtest).
constexpr int kWaitMs = 10000;

TEST(PopupPlace, BesideThePointerAndNeverOffTheScreen) {
    const QRect screen(0, 0, 1000, 800);
    const QSize size(400, 300);
    struct Case {
        const char *name;
        std::optional<QPoint> pointer;
        QPoint place;
    };
    const Case cases[] = {
        {"room below right", QPoint(100, 100), QPoint(112, 112)},
        {"at the right edge", QPoint(900, 100), QPoint(488, 112)},
        {"at the bottom", QPoint(100, 700), QPoint(112, 388)},
        {"in the corner", QPoint(999, 799), QPoint(587, 487)},
        {"pointer off to the left", QPoint(-50, 10), QPoint(0, 22)},
        {"no pointer", std::nullopt, QPoint(300, 250)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ui::PopupPlace(c.pointer, size, screen), c.place);
        EXPECT_TRUE(screen.contains(QRect(ui::PopupPlace(c.pointer, size, screen), size)));
    }
    // A second screen to the right, and a popup larger than the screen.
    EXPECT_EQ(ui::PopupPlace(QPoint(1990, 10), size, QRect(1000, 0, 1000, 800)), QPoint(1578, 22));
    EXPECT_EQ(ui::PopupPlace(QPoint(5, 5), QSize(2000, 2000), screen), QPoint(0, 0));
}

class LookupPopupTest : public ::testing::Test {
  protected:
    LookupPopupTest() {
        folder.WriteCatalogue({"nl-en=1;Boek"});
        folder.AddBook("nl-en", "", false);
        folder.AddCompiledBook("nl-en", BookSource({"fiets", "zwemmen", "boom"}));
        viewer = std::make_unique<TViewer>();
        resident = std::make_unique<ui::TLookupResident>(Main(), viewer->Data);
    }
    // A lookup makes the program resident; the next test starts as a plain viewer.
    ~LookupPopupTest() override { QApplication::setQuitOnLastWindowClosed(true); }
    ui::TfrmLXAMain &Main() const { return viewer->Main(); }
    ui::TLookupPopup &Popup() const { return *resident->Popup(); }
    QString PopupPage() const { return Popup().Viewer()->toPlainText(); }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
    std::unique_ptr<ui::TLookupResident> resident;
};

TEST_F(LookupPopupTest, ShowsTheMainWindowsPageAndLeavesTheMainWindowAsItWas) {
    Main().show();
    EXPECT_EQ(Find(Main(), "boom"), "Er is 1 trefwoord gevonden.");
    const QString mainPage = Main().Viewer()->toPlainText();

    struct Case {
        const char *word;
        const char *status;
    };
    // A hit, a miss with a base form, a miss, and a word no dictionary can hold.
    const Case cases[] = {
        {"fiets", "Er is 1 trefwoord gevonden."},
        {"zwom", "'zwom' is een vorm van 'zwemmen'."},
        {"qqqq", "Het woord 'qqqq' kan niet worden gevonden."},
        {"\xE2\x82\xAC\xE2\x80\x94\xD0\x96",
         "Het woord '\xE2\x82\xAC\xE2\x80\x94\xD0\x96' kan niet worden gevonden."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.word);
        const QString word = QString::fromUtf8(c.word);
        const std::size_t dialogsBefore = dialogs.Shown.size();
        resident->LookUp(word);
        EXPECT_EQ(dialogs.Shown.size(), dialogsBefore) << "a popup answers without a dialog";
        EXPECT_TRUE(Popup().isVisible());
        EXPECT_EQ(Popup().Status().toStdString(), c.status);
        EXPECT_EQ(Popup().Word(), word);
        // The same page the main window shows for the word.
        const std::string status = Find(Main(), c.word);
        EXPECT_EQ(status, c.status);
        // Its word-list stars as well.
        EXPECT_EQ(PopupPage(), Main().Viewer()->toPlainText());
        Find(Main(), "boom");
    }
    // Between the popup's searches the main window kept its page and its hits.
    resident->LookUp(QStringLiteral("fiets"));
    EXPECT_EQ(Main().Viewer()->toPlainText(), mainPage);
    EXPECT_EQ(viewer->Data.ResultCount(), 1);
    EXPECT_NE(viewer->Data.ResultPage().find("over boom"), std::string::npos);
    EXPECT_TRUE(resident->Resident());
}

TEST_F(LookupPopupTest, EscapeOrAClickElsewhereClosesItUnlessPinned) {
    resident->LookUp(QStringLiteral("fiets"));
    ASSERT_TRUE(Popup().isVisible());
    // A click outside its area (the grabbed pointer brings it here) closes it.
    QTest::mouseClick(&Popup(), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(Popup().isVisible());

    resident->LookUp(QStringLiteral("fiets"));
    QTest::mouseClick(&Popup(), Qt::LeftButton, {}, QPoint(5, Popup().height() - 3));
    EXPECT_TRUE(Popup().isVisible()) << "a click inside keeps it";
    QTest::keyClick(Popup().SearchField(), Qt::Key_Escape);
    EXPECT_FALSE(Popup().isVisible());

    // Pinned, clicks elsewhere leave it, and a new word keeps its place; Escape still closes.
    resident->LookUp(QStringLiteral("fiets"));
    Popup().PinButton()->click();
    ASSERT_TRUE(Popup().Pinned());
    const QPoint place = Popup().pos();
    QTest::mouseClick(&Popup(), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_TRUE(Popup().isVisible());
    QCursor::setPos(place + QPoint(300, 300));
    resident->LookUp(QStringLiteral("boom"));
    EXPECT_EQ(Popup().pos(), place);
    QTest::keyClick(Popup().SearchField(), Qt::Key_Escape);
    EXPECT_FALSE(Popup().isVisible());
}

TEST_F(LookupPopupTest, TheFieldCorrectsAndTheButtonHandsTheWordToTheMainWindow) {
    resident->LookUp(QStringLiteral("fiest"));
    EXPECT_FALSE(Main().isVisible());
    QLineEdit *field = Popup().SearchField();
    field->selectAll();
    QTest::keyClicks(field, "fiets");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(Popup().Status(), "Er is 1 trefwoord gevonden.");
    Popup().OpenButton()->click();
    EXPECT_FALSE(Popup().isVisible());
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(Main().SearchField()->text(), "fiets");
    EXPECT_EQ(Main().StatusText(), "Er is 1 trefwoord gevonden.");
    // Every control of the top line is reached by Tab and named in Dutch.
    for (QWidget *control :
         std::initializer_list<QWidget *>{field, Popup().PinButton(), Popup().OpenButton()}) {
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus);
        EXPECT_FALSE(control->accessibleName().isEmpty());
    }
    EXPECT_EQ(Popup().OpenButton()->accessibleName(), "Openen in het hoofdvenster");
}

TEST_F(LookupPopupTest, APatternListsItsHeadwordsAndAFirstMissGainsItsSuggestions) {
    // A pattern is expanded as the window expands it; its links look up in the popup.
    resident->LookUp(QStringLiteral("f*"));
    Find(Main(), "f*");
    // The window walks a pattern's keys on a worker.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main().StatusText().endsWith("bij 'f*'."); }, 10000));
    EXPECT_EQ(Popup().Status(), Main().StatusText());
    EXPECT_TRUE(PopupPage().contains(QStringLiteral("fiets")));
    EXPECT_EQ(PopupPage(), Main().Viewer()->toPlainText());

    // The session's first miss comes before the book's keys are read; the popup is
    // completed once they are, and the field keeps what the user typed meanwhile.
    resident->LookUp(QStringLiteral("fietz"));
    Popup().SearchField()->setText(QStringLiteral("fi"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return PopupPage().contains(QStringLiteral("Bedoelde u:")); },
                                kWaitMs));
    EXPECT_TRUE(PopupPage().contains(QStringLiteral("fiets")));
    EXPECT_EQ(Popup().SearchField()->text(), QStringLiteral("fi"));
    EXPECT_EQ(Popup().Status(), QStringLiteral("Het woord 'fietz' kan niet worden gevonden."));
}

// Several books chosen: the popup answers from all of them, as the window's page does.
TEST(LookupPopupChoice, AnswersFromEveryChosenBookAsTheWindowsPageDoes) {
    TDialogRecorder dialogs;
    TProgramFolder folder;
    folder.WriteCatalogue({"nl-en=1;Nederlands-Engels", "en-nl=1;Engels-Nederlands"});
    for (const char *name : {"nl-en", "en-nl"})
        folder.AddBook(name, "", false);
    folder.AddCompiledBook("nl-en", "kw: hand\n<p>the hand</p>\n\nkw: huis\n<p>house</p>\n");
    folder.AddCompiledBook("en-nl", "kw: hand\n<p>de hand</p>\n\nkw: house\n<p>huis</p>\n");
    TViewer viewer;
    ui::TLookupResident resident(viewer.Main(), viewer.Data);
    const std::shared_ptr<void> plainAgain(
        nullptr, [](void *) { QApplication::setQuitOnLastWindowClosed(true); });
    ui::TLookupPopup &popup = *resident.Popup();
    viewer.Main().ChooseBooks("*");
    ASSERT_EQ(viewer.Main().ChoiceKey(), "*");

    resident.LookUp(QStringLiteral("hand"));
    ui::TAllBooksPage *page = popup.AllBooks();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(popup.Viewer()->isVisible());
    EXPECT_EQ(page->BlockCount(), 2);
    EXPECT_EQ(popup.Status(), QStringLiteral("Gevonden in 2 woordenboeken (2 trefwoorden)."));
    EXPECT_FALSE(page->accessibleName().isEmpty());
    Find(viewer.Main(), "hand");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return viewer.Main().AllBooksPage()->BlockCount() == 2; }, kWaitMs));
    EXPECT_EQ(viewer.Main().StatusText(), popup.Status());
    for (int block = 0; block < 2; ++block)
        EXPECT_EQ(page->Display(block)->toPlainText(),
                  viewer.Main().AllBooksPage()->Display(block)->toPlainText());

    // Found nowhere: the books' nearest headwords follow once read.
    resident.LookUp(QStringLiteral("hous"));
    EXPECT_EQ(page->BlockCount(), 0);
    EXPECT_EQ(popup.Status(), QStringLiteral("Het woord 'hous' kan niet worden gevonden."));
    const auto suggested = [page] {
        for (const auto *shown : page->findChildren<display::THtmlViewer *>())
            if (shown->toPlainText().contains(QStringLiteral("Bedoelde u:")) &&
                shown->toPlainText().contains(QStringLiteral("house")))
                return true;
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(suggested, kWaitMs));

    // One book chosen again: its own page, as before.
    viewer.Main().DictionaryCommands()[0]->Execute();
    resident.LookUp(QStringLiteral("huis"));
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(popup.Viewer()->toPlainText().contains(QStringLiteral("house")));
    EXPECT_EQ(popup.Status(), QStringLiteral("Er is 1 trefwoord gevonden."));
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(LookupPopupTest, TheSelectionAndTheClipboardAreLookedUpTrimmed) {
    QApplication::clipboard()->setText(QStringLiteral("  \u201Efiets,\u201D\n"));
    resident->LookUpClipboard();
    EXPECT_EQ(Popup().Word(), "fiets");
    EXPECT_EQ(Popup().Status(), "Er is 1 trefwoord gevonden.");
    QApplication::clipboard()->setText(QStringLiteral(" ... "));
    resident->LookUpClipboard();
    EXPECT_EQ(Popup().Status(), "Het klembord bevat geen tekst.");
    EXPECT_TRUE(Popup().isVisible());
}

TEST_F(LookupPopupTest, ALookupMakesTheViewerResidentWithItsTrayMenu) {
    EXPECT_EQ(resident->TrayMenu(), nullptr) << "a viewer without lookups stays as it was";
    EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
    resident->LookUp(QStringLiteral("fiets"));
    ASSERT_NE(resident->TrayMenu(), nullptr);
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed()) << "closing the window keeps it";
    QStringList texts;
    for (QAction *action : resident->TrayMenu()->actions())
        if (!action->isSeparator())
            texts << action->text();
    EXPECT_EQ(texts, QStringList({"Hoofdvenster openen", "Selectie volgen", "Afsluiten"}));
    QAction *follow = resident->TrayMenu()->actions()[1];
    EXPECT_TRUE(follow->isCheckable());
    EXPECT_FALSE(follow->isChecked()) << "off by default";
    resident->TrayMenu()->actions()[0]->trigger();
    EXPECT_TRUE(Main().isVisible());
    QApplication::setQuitOnLastWindowClosed(true);
}

}  // namespace
