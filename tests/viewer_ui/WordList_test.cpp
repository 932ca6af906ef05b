// The word list in the viewer: the stars on the page (on the screen only), Ctrl+D, and the
// list window with its removal, undo, export and opening of an entry.
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
#include "viewer/ui/LXA_Main.h"
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
    // The second entry's star, clicked.
    emit window.Viewer()->anchorClicked(QUrl(QStringLiteral("ster:1")));
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown().count(QStringLiteral("\u2605 Bewaard")), 2);
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

}  // namespace
