// "Woordenboek toevoegen..." in the running window: dictd, StarDict and DSL dictionaries
// made in a temporary folder are compiled on a worker thread, join the toolbar and the menu,
// and answer the words of their sources through the real search library; damaged ones are
// refused with the compiler's Dutch message and change nothing. A dictionary's file dropped
// on the window is added the same way.
#include "viewer/ui/AddDictionary.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "UiTestSupport.h"
#include "books/diagnostics.h"
#include "books/user_books.h"
#include "dict_files.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/PageScroller.h"
#include "viewer/ui/SelectBook.h"

using namespace uitest;
using books::test::Entries;

namespace {

const Entries kDutch = {
    {"fiets", "fiets\nbicycle\n"},
    {"Zürich", "Zürich\na city in Switzerland\n"},
    {"peer", "peer\n1. pear\n2. light bulb\n"},
};
const Entries kFrench = {{"maison", "house, home"}, {"école", "school"}, {"chat", "cat"}};

class AddDictionaryTest : public ::testing::Test {
  protected:
    // One program book, compiled like a user's and moved into the program's folder.
    void SetUp() override {
        std::filesystem::copy_file(REAL_LEXQAPI_FILE, folder.Dir + "/lexqapi.so",
                                   std::filesystem::copy_options::overwrite_existing);
        const books::UserShelf scratch = books::UserShelfAt(sources.File("scratch"));
        books::AddUserBook(scratch,
                           {{books::test::WriteDictd(sources.Path(), "nl", kDutch)}, "", ""});
        std::filesystem::copy_file(scratch.dataDir + "/nl.idx", folder.Data + "/nl.idx");
        folder.WriteCatalogue({"nl=1;Nederlands"});
        folder.AddBook("nl", "[dictionary]\n", false);
        previousPrompt = ui::SetDictionaryPrompt([this](QWidget *) { return answer; });
        viewer = std::make_unique<TViewer>();
    }
    void TearDown() override {
        viewer.reset();
        ui::SetDictionaryPrompt(previousPrompt);
    }

    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    // Runs the command with this answer to the dialogs; waits until the import has ended.
    void Add(const std::string &file, const std::string &name) {
        answer = ui::TDictionaryChoice{QString::fromStdString(file), QString::fromStdString(name)};
        Window().UpdateCommands();
        Window().Command("actAddDictionary")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Window().AddingDictionary(); }, 60000));
        Window().UpdateCommands();
    }
    std::string Shown() const { return Window().Viewer()->toPlainText().toStdString(); }
    std::string UserCatalogue() const {
        return books::test::ReadBytes(folder.UserShelf + "/data/dict.cfg");
    }
    // The Dutch message the compiler gives for this input, as a dialog shows it.
    std::string CompilerMessage(const std::string &file) const {
        try {
            books::AddUserBook(books::UserShelfAt(sources.File("probe")), {{file}, "", ""});
        } catch (const books::InputError &e) {
            return e.what();
        }
        return "(accepted)";
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    tk::test::TempDir sources;
    std::optional<ui::TDictionaryChoice> answer;
    ui::TDictionaryPrompt previousPrompt;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(AddDictionaryTest, AddedDictionariesJoinTheWindowAndAnswerTheirSourcesWords) {
    const std::string index = books::test::WriteDictd(sources.Path(), "eigen", kDutch);
    answer = ui::TDictionaryChoice{QString::fromStdString(index), QStringLiteral("Mijn boek")};
    Window().Command("actAddDictionary")->trigger();
    // The command has returned while the conversion goes on, and waits its turn meanwhile.
    ASSERT_TRUE(Window().AddingDictionary());
    Window().UpdateCommands();
    EXPECT_FALSE(Window().Command("actAddDictionary")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window().AddingDictionary(); }, 60000));
    Window().UpdateCommands();
    EXPECT_TRUE(Window().Command("actAddDictionary")->isEnabled());

    // Now two books: the band and the menu entries appear, the new book is current.
    const auto &books = Window().DictionaryCommands();
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[1]->text(), "Mijn boek");
    EXPECT_TRUE(books[1]->isEnabled());
    EXPECT_FALSE(Window().DictionaryBand()->isHidden());
    EXPECT_EQ(Window().windowTitle(), "Morvelt taalkist [Mijn boek]");
    int bookEntries = 0;
    for (QAction *entry : Window().FileMenu()->actions())
        bookEntries += entry->objectName().startsWith("mniactBook_") ? 1 : 0;
    EXPECT_EQ(bookEntries, 2);
    EXPECT_EQ(Find(Window(), "fiets"), "Er is 1 trefwoord gevonden.");
    EXPECT_NE(Shown().find("bicycle"), std::string::npos) << Shown();
    EXPECT_EQ(Find(Window(), "ZURICH"), "Er is 1 trefwoord gevonden.");
    EXPECT_NE(Shown().find("a city in Switzerland"), std::string::npos) << Shown();
    EXPECT_EQ(Find(Window(), "appel"), "Het woord 'appel' kan niet worden gevonden.");

    // A StarDict dictionary by its word list, under its own name.
    books::test::StardictOptions options;
    options.bookName = "Frans-Engels";
    options.synonyms = {{"demeure", 0}};
    Add(books::test::WriteStardict(sources.Path(), "fr-en", kFrench, options), "");
    ASSERT_EQ(books.size(), 3u);
    EXPECT_EQ(books[2]->text(), "Frans-Engels");
    EXPECT_EQ(viewer->Data.CurrentBook, books[2]->Book());
    for (const auto &[word, text] : {std::pair{"maison", "house, home"},
                                     std::pair{"ecole", "school"}, std::pair{"demeure", "house"}}) {
        EXPECT_EQ(Find(Window(), word), "Er is 1 trefwoord gevonden.") << word;
        EXPECT_NE(Shown().find(text), std::string::npos) << word << ": " << Shown();
    }
    // Every command has one picture in each list; a user's book gets a drawn one, not the
    // empty picture of a book without an icon.
    EXPECT_EQ(Window().EnabledImages().Count(), 3);
    EXPECT_EQ(Window().DisabledImages().Count(), 3);
    EXPECT_EQ(qAlpha(Window().EnabledImages().At(2).toImage().pixel(8, 8)), 255);
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(AddDictionaryTest, AUtf8BookIsNamedAsSuchWhenAdded) {
    const Entries polish = {{"\xC5\xBC"
                             "ona",
                             "\xC5\xBC"
                             "ona\nvrouw\n"},
                            {"\xC5\x82\xC3\xB3"
                             "d\xC5\xBA",
                             "\xC5\x82\xC3\xB3"
                             "d\xC5\xBA\nboot\n"}};
    Add(books::test::WriteDictd(sources.Path(), "pl", polish), "Pools");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Information);
    EXPECT_NE(dialogs.Shown[0].Text.find("'Pools' is toegevoegd als Unicode-woordenboek (UTF-8)"),
              std::string::npos)
        << dialogs.Shown[0].Text;
    EXPECT_EQ(Find(Window(), "lodz"), "Er is 1 trefwoord gevonden.");
    // A Windows-1252 book is added without a word, as before.
    dialogs.Shown.clear();
    Add(books::test::WriteDictd(sources.Path(), "fr", kFrench), "Frans");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST(AddedMessage, NamesTheKindOfBookAndTheWordsLeftOut) {
    ui::TImportOutcome outcome;
    outcome.DisplayName = "Boek";
    outcome.Entries = 10;
    EXPECT_EQ(ui::AddedMessage(outcome), "");
    outcome.Skipped = 2;
    EXPECT_EQ(ui::AddedMessage(outcome),
              "Het woordenboek 'Boek' is toegevoegd. 2 van de 10 woorden zijn weggelaten, omdat "
              "ze niet kunnen worden opgezocht.");
    outcome.Utf8 = true;
    outcome.Skipped = 0;
    EXPECT_EQ(ui::AddedMessage(outcome),
              "Het woordenboek 'Boek' is toegevoegd als Unicode-woordenboek (UTF-8), omdat het "
              "woorden bevat met letters buiten Windows-1252.");
}

TEST_F(AddDictionaryTest, DamagedDictionariesAreRefusedWithTheirMessageAndChangeNothing) {
    Add(books::test::WriteDictd(sources.Path(), "goed", kDutch), "Goed");
    const std::string catalogue = UserCatalogue();
    const std::size_t commands = Window().DictionaryCommands().size();
    dialogs.Shown.clear();

    // A dictd text cut short; a StarDict word list cut short. (A script without A to Z is
    // a book of its own now, made as a UTF-8 book.)
    const std::string cut = books::test::WriteDictd(sources.Path(), "kapot", kDutch);
    const std::string text = books::test::ReadBytes(sources.File("kapot.dict.dz"));
    books::test::WriteBytes(sources.File("kapot.dict.dz"), text.substr(0, text.size() / 2));
    const std::string ifo = books::test::WriteStardict(sources.Path(), "stuk", kFrench);
    const std::string idx = books::test::ReadBytes(sources.File("stuk.idx"));
    books::test::WriteBytes(sources.File("stuk.idx"), idx.substr(0, idx.size() - 2));

    for (const std::string &file : {cut, ifo}) {
        SCOPED_TRACE(file);
        Add(file, "");
        ASSERT_EQ(dialogs.Shown.size(), 1u);
        const TDialogRequest &shown = dialogs.Shown[0];
        EXPECT_EQ(shown.Kind, TMsgDlgType::Error);
        EXPECT_EQ(shown.Group, 3);
        EXPECT_EQ(shown.Text, CompilerMessage(file));
        EXPECT_EQ(shown.Text.find('?'), std::string::npos) << shown.Text;
        EXPECT_EQ(UserCatalogue(), catalogue);
        EXPECT_EQ(Window().DictionaryCommands().size(), commands);
        EXPECT_EQ(viewer->Data.CurrentBook->Name, "goed");
        dialogs.Shown.clear();
    }
}

}  // namespace

TEST_F(AddDictionaryTest, ADslBookDroppedOnTheWindowJoinsItUnderItsOwnName) {
    const std::string dsl = sources.File("woorden.dsl");
    books::test::WriteBytes(dsl,
                            "\xEF\xBB\xBF#NAME \"Mijn DSL\"\n#INDEX_LANGUAGE \"Dutch\"\n"
                            "#CONTENTS_LANGUAGE \"English\"\n\nfiets\n"
                            "\t[m1][trn]bicycle[/trn], see <<rijwiel>>[/m]\n");
    const auto drop = [this](const std::string &file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&Window(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Window(), &dropped);
        return dropped.isAccepted();
    };
    books::test::WriteBytes(sources.File("notes.txt"), "fiets\n");
    EXPECT_FALSE(drop(sources.File("notes.txt")));
    answer.reset();  // a drop asks nothing
    ASSERT_TRUE(drop(dsl));
    QTRY_VERIFY_WITH_TIMEOUT(!Window().AddingDictionary(), 60000);
    const auto &books = Window().DictionaryCommands();
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[1]->text(), "Mijn DSL");
    EXPECT_EQ(books[1]->Book()->Name, "nl-en-woorden");
    EXPECT_EQ(Find(Window(), "fiets"), "Er is 1 trefwoord gevonden.");
    EXPECT_NE(Shown().find("bicycle, see rijwiel"), std::string::npos) << Shown();
    // The book speaks Dutch; the test's program folder has no speech engine to load.
    for (const TDialogRequest &shown : dialogs.Shown)
        EXPECT_EQ(shown.Text.rfind("De benodigde bestanden voor het uitspreken", 0), 0u)
            << shown.Text;
}

namespace {

TEST(AddDictionaryDialog, TakesADictAddressTypedAsTheFilesName) {
    const ui::TDictionaryPrompt previous = ui::SetDictionaryPrompt({});
    const auto typeAndOpen = [](const QString &text) {
        QTimer::singleShot(0, [text] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(text);
            QTest::keyClick(name, Qt::Key_Return);
        });
        // What the dialog refuses keeps it open (with its warning): closed here.
        QTimer refused;
        QObject::connect(&refused, &QTimer::timeout, [] {
            if (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                open->reject();
        });
        refused.start(1500);
        return ui::AskForDictionary(nullptr);
    };
    const std::optional<ui::TDictionaryChoice> server =
        typeAndOpen(QStringLiteral(" dict://127.0.0.1:2628/fd-nld-eng "));
    ASSERT_TRUE(server.has_value());
    EXPECT_EQ(server->File, QStringLiteral("dict://127.0.0.1:2628/fd-nld-eng"));
    EXPECT_EQ(server->DisplayName, QString());
    EXPECT_FALSE(typeAndOpen(QStringLiteral("geen-bestand-hier.index")).has_value());
    ui::SetDictionaryPrompt(previous);
}

}  // namespace
