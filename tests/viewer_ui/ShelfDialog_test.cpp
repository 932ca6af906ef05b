// "Woordenboeken beheren…" in the running window: reordering, hiding, renaming and removing
// by keyboard reach the selector while the dialog is open, the program's folder stays as
// it was, and the next start shows the same shelf.
#include "viewer/ui/ShelfDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "UiTestSupport.h"
#include "books/user_books.h"
#include "dict_files.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/SelectBook.h"

using namespace uitest;

namespace {

class ShelfDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteCatalogue(
            {"nl-en=1;Nederlands-Engels", "en-nl=1;Engels-Nederlands", "de-nl=1;Duits-Nederlands"});
        for (const char *name : {"nl-en", "en-nl", "de-nl"})
            folder.AddBook(name, "[dictionary]\n");
        // The user's book, from a StarDict dictionary that names its licence; a synonym
        // gives one of its two entries a second key.
        books::test::StardictOptions options;
        options.synonyms = {{"rijwiel", 0}};
        const std::string ifo = books::test::WriteStardict(
            sources.Path(), "mijn-boek", {{"fiets", "bicycle"}, {"huis", "house"}}, options);
        books::test::WriteBytes(ifo, books::test::ReadBytes(ifo) + "copyright=GPL-2+\n");
        books::AddUserBook(books::UserShelfAt(folder.UserShelf), {{ifo}, "Mijn boek", ""});
        viewer = std::make_unique<TViewer>();
    }

    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    // The selector's books as shown, left to right: "name=caption".
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (ui::TSelectBook *command : Window().DictionaryCommands())
            if (command->isVisible())
                shown.push_back(command->Book()->Name + "=" + command->text().toStdString());
        return shown;
    }
    // Runs the dialog; `steps` acts on it while it is open, and closes it.
    void WithDialog(const std::function<void(ui::TShelfDialog &)> &steps) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            ui::TShelfDialog *dialog = Window().ShelfDialog();
            ran = dialog != nullptr;
            if (dialog == nullptr)
                return;
            // Its buttons' keys work in the active window, as for the user.
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            steps(*dialog);
            if (Window().ShelfDialog() != nullptr)
                Window().ShelfDialog()->reject();
        });
        Window().UpdateCommands();
        Window().Command("actManageDictionaries")->trigger();
        EXPECT_TRUE(ran);
    }
    static void Choose(ui::TShelfDialog &dialog, const char *name) {
        QTreeWidget *list = dialog.List();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->data(0, Qt::UserRole).toString() == QLatin1String(name))
                list->setCurrentItem(list->topLevelItem(i));
        list->setFocus();
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    tk::test::TempDir sources;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(ShelfDialogTest, KeyboardChangesReachTheSelectorAndTheNextStart) {
    const std::string programCatalogue = books::test::ReadBytes(folder.Data + "/dict.cfg");
    ASSERT_EQ(viewer->Data.CurrentBook->Name, "nl-en");
    WithDialog([&](ui::TShelfDialog &dialog) {
        QTreeWidget *list = dialog.List();
        ASSERT_EQ(list->topLevelItemCount(), 4);
        EXPECT_EQ(list->topLevelItem(3)->text(ui::TShelfDialog::cName), "Mijn boek");
        EXPECT_EQ(list->topLevelItem(3)->text(ui::TShelfDialog::cSource), "eigen");
        EXPECT_EQ(list->topLevelItem(3)->text(ui::TShelfDialog::cLicence), "GPL-2+");
        EXPECT_EQ(list->topLevelItem(3)->text(ui::TShelfDialog::cEntries), "2");
        EXPECT_EQ(list->topLevelItem(3)->text(ui::TShelfDialog::cKeys), "3");
        // Without an article index the count is not known.
        EXPECT_EQ(list->topLevelItem(0)->text(ui::TShelfDialog::cEntries), "");
        EXPECT_EQ(list->topLevelItem(3)->text(ui::TShelfDialog::cIndex), "ja");
        EXPECT_EQ(list->topLevelItem(0)->text(ui::TShelfDialog::cSource), "programma");
        EXPECT_EQ(list->topLevelItem(1)->text(ui::TShelfDialog::cDirection), "en → nl");
        // Every control is named for a screen reader and reached with Tab.
        for (QWidget *control : dialog.findChildren<QWidget *>()) {
            if (qobject_cast<QPushButton *>(control) == nullptr && control != list)
                continue;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
            EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus);
        }

        // Alt+Up twice: the user's book goes second, in the toolbar too.
        Choose(dialog, "mijn-boek");
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        EXPECT_EQ(Shown(),
                  (std::vector<std::string>{"nl-en=Nederlands-Engels", "mijn-boek=Mijn boek",
                                            "en-nl=Engels-Nederlands", "de-nl=Duits-Nederlands"}));
        // Space takes the current book out of the selector: the next shown becomes current.
        Choose(dialog, "nl-en");
        QTest::keyClick(list, Qt::Key_Space);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Shown().size() == 3; }, 5000));
        EXPECT_EQ(viewer->Data.CurrentBook->Name, "mijn-boek");
        // F2 renames the program's book.
        Choose(dialog, "de-nl");
        QTest::keyClick(list, Qt::Key_F2);
        auto *editor = list->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("Duits"));
        QTest::keyClick(editor, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Shown().back() == "de-nl=Duits"; }, 5000));
        // Delete asks first; no keeps the book, yes removes its files.
        Choose(dialog, "mijn-boek");
        QTest::keyClick(list, Qt::Key_Delete);
        ASSERT_EQ(dialogs.Shown.size(), 1u);
        EXPECT_NE(dialogs.Shown[0].Text.find("'Mijn boek' verwijderen"), std::string::npos);
        EXPECT_EQ(list->topLevelItemCount(), 4);
        dialogs.Answers.push_back(mrYes);
        QTest::keyClick(list, Qt::Key_Delete);
        EXPECT_EQ(list->topLevelItemCount(), 3);
        EXPECT_FALSE(std::filesystem::exists(folder.UserShelf + "/data/mijn-boek.idx"));
        // A program's book cannot be removed.
        Choose(dialog, "en-nl");
        EXPECT_FALSE(dialog.RemoveCurrent());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(Shown(), (std::vector<std::string>{"en-nl=Engels-Nederlands", "de-nl=Duits"}));
    EXPECT_EQ(viewer->Data.CurrentBook->Name, "en-nl");
    EXPECT_EQ(dialogs.Shown.size(), 2u);
    EXPECT_EQ(books::test::ReadBytes(folder.Data + "/dict.cfg"), programCatalogue);

    // The next start: the same selector, Alt+2 its second book.
    viewer.reset();
    viewer = std::make_unique<TViewer>();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"en-nl=Engels-Nederlands", "de-nl=Duits"}));
    Window().show();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(viewer->Data.CurrentBook->Name, "de-nl");
    // Shown again from the dialog, the hidden book joins the running selector.
    WithDialog([&](ui::TShelfDialog &dialog) {
        Choose(dialog, "nl-en");
        EXPECT_TRUE(dialog.SetCurrentHidden(false));
    });
    EXPECT_EQ(Shown(), (std::vector<std::string>{"nl-en=Nederlands-Engels",
                                                 "en-nl=Engels-Nederlands", "de-nl=Duits"}));
}

}  // namespace
