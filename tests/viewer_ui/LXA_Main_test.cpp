// The main window against the data module, a stand-in search library and a temporary
// program folder: search flow and status line, book switching, the dictionary selector,
// the pronounce, export and copy commands, and exceptions inside commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/HelpWindow.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/MenuItem.h"
#include "viewer/ui/PageScroller.h"
#include "viewer/ui/ScreenRequests.h"
#include "viewer/ui/SelectBook.h"

using namespace uitest;

namespace {

const char *kDef = "[dictionary]\nstylesheet=dict.css\n[compldictionary]\ndictionary=en-nl\n";
const char *kSpeechDef = "[dictionary]\nfluency=1\nfluencyfld=4\n";

class MainWindowTest : public ::testing::Test {
  protected:
    // Two installed books; nl-en is chosen first (catalogue order).
    void TwoBooks(const char *nlDef = kDef) {
        folder.WriteCatalogue({"nl-en=Nederlands-Engels", "en-nl=Engels-Nederlands"});
        folder.AddBook("nl-en", nlDef);
        folder.AddBook("en-nl", kDef);
    }
    std::string Shown() const { return viewer->Main().Viewer()->toPlainText().toStdString(); }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(MainWindowTest, StatusLineCountsTheFoundKeywords) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();

    folder.SetTable("nl-en", Table({Row("huis", "<b>huis</b> house")}));
    EXPECT_EQ(Find(window, "huis"), "Er is 1 trefwoord gevonden.");
    EXPECT_NE(Shown().find("huis house"), std::string::npos);

    folder.SetTable("nl-en",
                    Table({Row("bank", "bench"), Row("Bank", "bank"), Row("banken", "x")}));
    EXPECT_EQ(Find(window, "bank"), "Er zijn 3 trefwoorden gevonden.");
    EXPECT_NE(Shown().find("bench"), std::string::npos);

    ::setenv("FAKE_LEXQ_SEARCH_STATUS", "-4", 1);
    // Leading blanks are searched and quoted as typed; the display stays empty (the base
    // forms tried after the miss find nothing either).
    const std::size_t before = folder.Searches().size();
    EXPECT_EQ(Find(window, "  boom"), "Het woord '  boom' kan niet worden gevonden.");
    EXPECT_EQ(Shown(), "");
    ASSERT_GT(folder.Searches().size(), before);
    EXPECT_EQ(folder.Searches()[before], "[  boom]");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(MainWindowTest, LibraryFailureShowsItsDialogAndTheNotFoundText) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    folder.SetTable("nl-en", Table({Row("huis", "house")}));
    Find(viewer->Main(), "huis");
    ::setenv("FAKE_LEXQ_SEARCH_STATUS", "-6", 1);
    EXPECT_EQ(Find(viewer->Main(), "huis"), "Het woord 'huis' kan niet worden gevonden.");
    EXPECT_EQ(Shown(), "");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Group, 5);
    EXPECT_EQ(dialogs.Shown[0].Number, 6);
}

TEST_F(MainWindowTest, BlankSearchTextDisablesFindAndEnterDoesNothing) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    for (const char *blank : {"", "   ", " \t "}) {
        window.SearchField()->setText(QString::fromLatin1(blank));
        window.UpdateCommands();
        EXPECT_FALSE(window.Command("actFindWord")->isEnabled()) << '"' << blank << '"';
    }
    const std::size_t before = folder.Searches().size();
    Find(window, "   ");
    EXPECT_EQ(folder.Searches().size(), before);
    EXPECT_EQ(window.StatusText(), "");
    window.SearchField()->setText(QStringLiteral(" a "));
    window.UpdateCommands();
    EXPECT_TRUE(window.Command("actFindWord")->isEnabled());
    EXPECT_TRUE(window.Command("actFindWord")->text().isEmpty());
    EXPECT_EQ(window.Command("actFindWord")->toolTip(), "Vind woord");
}

TEST_F(MainWindowTest, SwitchingBooksClearsTheDisplayKeepsTheStatusAndSetsTheCaption) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    EXPECT_EQ(window.windowTitle(), "Morvelt taalkist [Nederlands-Engels]");
    folder.SetTable("nl-en", Table({Row("huis", "house")}));
    const std::string status = Find(window, "huis");
    ASSERT_NE(Shown(), "");

    const auto &books = window.DictionaryCommands();
    ASSERT_EQ(books.size(), 2u);
    // Through the button, then again through the File menu entry of the same book.
    qobject_cast<QToolButton *>(window.DictionaryToolbar()->widgetForAction(books[1]))->click();
    EXPECT_EQ(viewer->Data.CurrentBook->Name, "en-nl");
    EXPECT_EQ(window.windowTitle(), "Morvelt taalkist [Engels-Nederlands]");
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(window.StatusText().toStdString(), status);
    window.UpdateCommands();
    EXPECT_FALSE(books[0]->isChecked());
    EXPECT_TRUE(books[1]->isChecked());
    // Choosing the current book again keeps its page and status line.
    folder.SetTable("en-nl", Table({Row("house", "huis")}));
    const std::string found = Find(window, "house");
    const std::string page = Shown();
    ASSERT_NE(page, "");
    QAction *entry = window.FileMenu()->actions()[3];
    entry->trigger();
    EXPECT_EQ(viewer->Data.CurrentBook->Name, "en-nl");
    EXPECT_TRUE(entry->isChecked());
    EXPECT_FALSE(window.FileMenu()->actions()[2]->isChecked());
    EXPECT_EQ(Shown(), page);
    EXPECT_EQ(window.StatusText().toStdString(), found);
    qobject_cast<QToolButton *>(window.DictionaryToolbar()->widgetForAction(books[1]))->click();
    EXPECT_EQ(Shown(), page);
    EXPECT_EQ(folder.Searches(), (std::vector<std::string>{"[huis]", "[house]"}));
}

// The search library takes Windows-1252: a word with a letter that code page lacks finds
// nothing, is never sent with a '?' in that letter's place, and a message says why.
TEST_F(MainWindowTest, AWordNoDictionaryCanHoldIsNotSearchedAndTheUserIsTold) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    folder.SetTable("nl-en", Table({Row("huis", "house")}));
    Find(window, "huis");
    ASSERT_NE(Shown(), "");
    const std::string typed = "\xD0\xB4\xD0\xBE\xD0\xBC";  // Cyrillic
    EXPECT_EQ(Find(window, typed), "Het woord '" + typed + "' kan niet worden gevonden.");
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(folder.Searches(), (std::vector<std::string>{"[huis]"}));
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Error);
    EXPECT_EQ(dialogs.Shown[0].Group, 6);
    EXPECT_EQ(dialogs.Shown[0].Number, 3);
    const QString shown = ui::MakeMessageBox(dialogs.Shown[0])->text();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("'\xD0\xB4\xD0\xBE\xD0\xBC'")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("'\xD0\xB4'"))) << shown.toStdString();
    // Shift+F12 has no page of the earlier word to save.
    EXPECT_EQ(viewer->Data.ResultCount(), 0);
}

TEST_F(MainWindowTest, MenusAndMainToolbarShowTheirCommands) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    QStringList titles;
    for (QAction *menu : window.menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"Bestand", "Beeld", "Hulp"}));
    const QList<QAction *> help = window.menuBar()->actions()[2]->menu()->actions();
    ASSERT_EQ(help.size(), 2);
    EXPECT_EQ(help[0]->objectName(), "mniHelpHelp");
    EXPECT_EQ(help[0]->text(), "Hulpinformatie...\tF1");
    EXPECT_FALSE(help[0]->icon().isNull());
    EXPECT_EQ(help[1]->objectName(), "mniHelpAbout");
    EXPECT_EQ(help[1]->text(), "Over...");
    const std::pair<const char *, const char *> buttons[] = {{"ToolButton1", "actOpenNewWindow"},
                                                             {"ToolButton6", "actPronounceWord"}};
    for (const auto &[button, command] : buttons) {
        const auto *shown = window.findChild<QToolButton *>(QLatin1String(button));
        ASSERT_NE(shown, nullptr) << button;
        EXPECT_EQ(shown->defaultAction(), window.Command(command)) << button;
        EXPECT_FALSE(shown->icon().isNull()) << button;
    }
    EXPECT_EQ(window.Command("actOpenNewWindow")->toolTip(), "Open een nieuw venster");
    EXPECT_EQ(window.Command("actPronounceWord")->toolTip(), "Spreek de gevonden trefwoorden uit");
}

TEST_F(MainWindowTest, OneInstalledBookHidesTheBandAndLeavesTwoAdjacentSeparators) {
    folder.WriteCatalogue({"nl-en=Nederlands-Engels", "fr=Frans"});
    folder.AddBook("nl-en", kDef);
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    EXPECT_EQ(window.DictionaryCommands().size(), 1u);  // fr: neither installed nor listed
    EXPECT_TRUE(window.DictionaryBand()->isHidden());
    // Adding and arranging dictionaries, then copy and print of the article, stand between
    // the second separator and "Afsluiten".
    const QList<QAction *> items = window.FileMenu()->actions();
    ASSERT_EQ(items.size(), 14);
    EXPECT_EQ(items[0]->text(), "Open nieuw venster");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "Woordenboek toevoegen\u2026");
    EXPECT_EQ(items[4]->text(), "Server toevoegen\u2026");
    EXPECT_EQ(items[5]->text(), "Wachttijd van servers\u2026");
    EXPECT_EQ(items[6]->text(), "Woordenboeken beheren\u2026");
    EXPECT_TRUE(items[7]->isSeparator());
    EXPECT_EQ(items[8]->text(), "Woordenlijst\tCtrl+Shift+D");
    EXPECT_EQ(items[9]->text(), "Bewaar in woordenlijst\tCtrl+D");
    EXPECT_EQ(items[10]->text(), QString::fromUtf8("Artikel kopiëren\tCtrl+Shift+C"));
    EXPECT_EQ(items[11]->text(), "Afdrukken...\tCtrl+P");
    EXPECT_TRUE(items[12]->isSeparator());
    EXPECT_EQ(items[13]->text(), "Afsluiten");
}

TEST_F(MainWindowTest, ListedBookThatIsNotInstalledIsGreyedEverywhere) {
    folder.WriteCatalogue({"nl-en=Nederlands-Engels", "en-nl=1;Engels-Nederlands"});
    folder.AddBook("nl-en", kDef);
    folder.AddBook("en-nl", kDef, /*withIdx=*/false);
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    window.UpdateCommands();
    const auto &books = window.DictionaryCommands();
    ASSERT_EQ(books.size(), 2u);
    EXPECT_FALSE(window.DictionaryBand()->isHidden());
    EXPECT_TRUE(books[1]->isVisible());
    EXPECT_FALSE(books[1]->isEnabled());
    EXPECT_FALSE(window.DictionaryToolbar()->widgetForAction(books[1])->isEnabled());
    const QList<QAction *> entries = window.FileMenu()->actions();
    // new window, N1, two books, N2, add, add server, server timeout, manage, N7, word list,
    // star, copy, print, N3, exit
    ASSERT_EQ(entries.size(), 16);
    auto *entry = qobject_cast<ui::TMenuItem *>(entries[3]);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Command(), books[1]);
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_EQ(entry->text(), "Engels-Nederlands");
    // Pressing it anyway changes nothing.
    books[1]->Execute();
    EXPECT_EQ(viewer->Data.CurrentBook->Name, "nl-en");
    // Each command added exactly one picture to each list; en-nl has no "_off" picture,
    // so its normal one is greyed, nl-en has its own greyed picture.
    EXPECT_EQ(window.EnabledImages().Count(), 2);
    EXPECT_EQ(window.DisabledImages().Count(), 2);
    EXPECT_EQ(window.EnabledImages().At(1).toImage(), window.DisabledImages().At(1).toImage());
    EXPECT_NE(window.EnabledImages().At(0).toImage(), window.DisabledImages().At(0).toImage());
}

TEST_F(MainWindowTest, PronounceButtonFollowsBookEngineAndResults) {
    // Without speech in the book: hidden whatever the results.
    TwoBooks();
    folder.InstallEngine();
    viewer = std::make_unique<TViewer>();
    folder.SetTable("nl-en", Table({Row("huis", "house", "hoys")}));
    Find(viewer->Main(), "huis");
    viewer->Main().UpdateCommands();
    EXPECT_FALSE(viewer->Main().Command("actPronounceWord")->isVisible());
}

TEST_F(MainWindowTest, PronounceButtonEnabledOnlyWithEngineAndTranscriptions) {
    TwoBooks(kSpeechDef);
    folder.InstallEngine();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    EXPECT_TRUE(window.Command("actPronounceWord")->isVisible());
    EXPECT_FALSE(window.Command("actPronounceWord")->isEnabled());  // no results yet

    folder.SetTable("nl-en", Table({Row("huis", "house"), Row("bank", "bench")}));
    Find(window, "huis");
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actPronounceWord")->isEnabled());  // no transcription in cell 4

    folder.SetTable("nl-en", Table({Row("huis", "house", "hoys"), Row("bank", "bench", "bangk")}));
    Find(window, "huis");
    window.UpdateCommands();
    ASSERT_TRUE(window.Command("actPronounceWord")->isEnabled());
    window.Command("actPronounceWord")->trigger();
    EXPECT_EQ(folder.Spoken(), (std::vector<std::string>{"hoys.bangk"}));
}

TEST_F(MainWindowTest, PronounceButtonDisabledWhenTheEngineDoesNotLoad) {
    TwoBooks(kSpeechDef);  // no engine in the program folder
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    ASSERT_FALSE(dialogs.Shown.empty());
    EXPECT_EQ(dialogs.Shown[0].Group, 7);
    folder.SetTable("nl-en", Table({Row("huis", "house", "hoys")}));
    Find(window, "huis");
    window.UpdateCommands();
    EXPECT_TRUE(window.Command("actPronounceWord")->isVisible());
    EXPECT_FALSE(window.Command("actPronounceWord")->isEnabled());
}

TEST_F(MainWindowTest, ShowSourceOnlyInHelpdeskModeAndWithResults) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    viewer->Main().UpdateCommands();
    EXPECT_FALSE(viewer->Main().Command("actHitShowSource")->isEnabled());
    viewer.reset();

    folder.SetHelpdeskMode(true);
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.UpdateCommands();
    ASSERT_TRUE(window.Command("actHitShowSource")->isEnabled());
    const auto shiftF12 = [&] { QTest::keyClick(&window, Qt::Key_F12, Qt::ShiftModifier); };
    shiftF12();  // nothing found yet: no file, no question
    EXPECT_TRUE(dialogs.Shown.empty());

    folder.SetTable("nl-en", Table({Row("huis", "house")}));
    Find(window, "huis");
    shiftF12();
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Confirmation);
    const std::string saved = folder.TempFolder() + "/morvelt";
    ASSERT_TRUE(std::filesystem::is_directory(saved));
    ASSERT_FALSE(std::filesystem::is_empty(saved));
    const auto file = std::filesystem::directory_iterator(saved)->path();
    std::ifstream in(file, std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(page.find("href=\"" + folder.Data + "/dict.css\""), std::string::npos);
}

TEST_F(MainWindowTest, CtrlCCopiesFromTheDisplayOnlyWithFocusAndSelection) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    folder.SetTable("nl-en",
                    Table({Row("huis", "<p>het huis</p>"), Row("huisje", "<p>klein</p>")}));
    Find(window, "huis");
    display::THtmlViewer *display = window.Viewer();
    display->selectAll();
    QApplication::clipboard()->clear();

    // Focus in the search field: the command is off and the field copies its own text.
    window.SearchField()->setFocus();
    window.SearchField()->selectAll();
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actCopyHTMLToClipboard")->isEnabled());
    QTest::keyClick(window.SearchField(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "huis");

    // Focus in the display with a selection: the command copies plain text of both entries.
    display->setFocus();
    window.UpdateCommands();
    ASSERT_TRUE(window.Command("actCopyHTMLToClipboard")->isEnabled());
    QTest::keyClick(display, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains("het huis") && copied.contains("klein")) << copied.toStdString();
    EXPECT_FALSE(copied.contains('<'));

    // After the display is cleared nothing is selected and the command is off again.
    display->ClearDocument();
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actCopyHTMLToClipboard")->isEnabled());
}

TEST_F(MainWindowTest, CorruptResultTableReachesTheHandlerAndTheWindowGoesOn) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    folder.SetTable("nl-en", "<table></table>\r\n");
    Find(viewer->Main(), "huis");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Group, 6);
    EXPECT_EQ(dialogs.Shown[0].Number, 1);
    EXPECT_EQ(Shown(), "");
    folder.SetTable("nl-en", Table({Row("huis", "house")}));
    EXPECT_EQ(Find(viewer->Main(), "huis"), "Er is 1 trefwoord gevonden.");
}

}  // namespace

namespace {

using uitest::Find;

class MainWindowProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteCatalogue({"nl-en=Nederlands-Engels", "en-nl=Engels-Nederlands"});
        folder.AddBook("nl-en", "[compldictionary]\ndictionary=en-nl\n");
        folder.AddBook("en-nl", "");
    }
    uitest::TDialogRecorder dialogs;
    uitest::TProgramFolder folder;
};

// Waits (bounded) for a file that another process writes.
std::string WaitForFile(const std::string &path) {
    for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i)
        QTest::qWait(50);
    QTest::qWait(50);
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

TEST_F(MainWindowProgramTest, NewWindowStartsTheProgramWithTheComplementaryAndCurrentBook) {
    // The "program" is a script that records its arguments.
    const std::string record = folder.Dir + "/arguments.txt";
    {
        std::ofstream script(folder.Dir + "/tkviewer");
        script << "#!/bin/sh\necho \"$#:$1:$2\" > '" << record << "'\n";
    }
    std::filesystem::permissions(folder.Dir + "/tkviewer", std::filesystem::perms::owner_all);
    uitest::TViewer viewer;
    viewer.Main().Command("actOpenNewWindow")->trigger();
    EXPECT_EQ(WaitForFile(record), "2:en-nl:nl-en");
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(MainWindowProgramTest, NewWindowFailureShowsTheDialogAndTheWindowGoesOn) {
    uitest::TViewer viewer;  // no program file at the program's path
    viewer.Main().Command("actOpenNewWindow")->trigger();
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Group, 2);
    EXPECT_EQ(dialogs.Shown[0].Number, 1);
    EXPECT_EQ(dialogs.Shown[0].Text.rfind("Er kan geen nieuwe scherm", 0), 0u);
    folder.SetTable("nl-en", uitest::Table({uitest::Row("huis", "house")}));
    EXPECT_EQ(Find(viewer.Main(), "huis"), "Er is 1 trefwoord gevonden.");
}

TEST_F(MainWindowProgramTest, F1ShowsTheHelpDocumentBesideTheProgram) {
    uitest::TViewer viewer;
    viewer.Main().Command("actShowHelp")->trigger();
    auto *help = viewer.Main().findChild<ui::THelpWindow *>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->ShownText().contains("kan niet worden gevonden"));
    help->hide();
    std::ofstream(folder.Dir + "/tkviewer.hlp")
        << "<h1><a name=\"inhoud\"></a>Hulp bij zoeken</h1>";
    viewer.Main().Command("actShowHelp")->trigger();
    EXPECT_TRUE(help->ShownText().contains("Hulp bij zoeken"));
}

TEST_F(MainWindowProgramTest, IdleEvaluationFollowsFocusAndSelectionWithoutBeingAsked) {
    uitest::TViewer viewer;
    ui::TfrmLXAMain &window = viewer.Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    folder.SetTable("nl-en", uitest::Table({uitest::Row("huis", "house")}));
    Find(window, "huis");
    window.Viewer()->selectAll();
    window.Viewer()->setFocus();  // a focus change is what starts the next idle pass
    QTest::qWait(20);
    EXPECT_TRUE(window.Command("actCopyHTMLToClipboard")->isEnabled());
    window.SearchField()->setFocus();
    QTest::qWait(20);
    EXPECT_FALSE(window.Command("actCopyHTMLToClipboard")->isEnabled());
}

TEST(MainWindowBands, ManyDictionariesScrollInsteadOfLosingButtons) {
    uitest::TDialogRecorder dialogs;
    uitest::TProgramFolder folder;
    std::vector<std::string> books{"nl-en=Nederlands-Engels"};
    for (int i = 0; i < 30; ++i)
        books.push_back("b" + std::to_string(i) + "=1;Boek " + std::to_string(i));
    folder.WriteCatalogue(books);
    folder.AddBook("nl-en", "");
    uitest::TViewer viewer;
    ui::TfrmLXAMain &window = viewer.Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(20);
    ui::TPageScroller *band = window.DictionaryBand();
    ASSERT_EQ(window.DictionaryCommands().size(), 31u);
    EXPECT_LT(band->width(), band->ContentWidth());
    EXPECT_TRUE(band->ArrowsShown());
    EXPECT_LE(window.MainBand()->width() + band->width(), window.ControlBar()->width());
    // Every button is still on the toolbar, reachable by scrolling.
    EXPECT_EQ(window.DictionaryToolbar()->actions().size(), 31);
}

}  // namespace

namespace {

TEST(MainWindowWithoutBooks, RunsWithoutACurrentBook) {
    uitest::TDialogRecorder dialogs;
    uitest::TProgramFolder folder;
    folder.WriteCatalogue({});
    const std::string record = folder.Dir + "/arguments.txt";
    {
        std::ofstream script(folder.Dir + "/tkviewer");
        script << "#!/bin/sh\necho \"$#\" > '" << record << "'\n";
    }
    std::filesystem::permissions(folder.Dir + "/tkviewer", std::filesystem::perms::owner_all);
    uitest::TViewer viewer;
    ui::TfrmLXAMain &window = viewer.Main();
    ASSERT_EQ(dialogs.Shown.size(), 1u);  // no dictionary installed
    EXPECT_EQ(dialogs.Shown[0].Group, 1);
    EXPECT_EQ(dialogs.Shown[0].Number, 5);
    EXPECT_EQ(window.windowTitle(), "Morvelt taalkist");
    EXPECT_TRUE(window.DictionaryCommands().empty());
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actPronounceWord")->isVisible());
    // The new window then chooses its dictionary as at any start: no arguments.
    window.Command("actOpenNewWindow")->trigger();
    EXPECT_EQ(WaitForFile(record), "0");
}

// The status line quotes the typed text literally, even when it looks like markup.
TEST_F(MainWindowTest, NotFoundTextShowsTypedMarkupLiterally) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ::setenv("FAKE_LEXQ_SEARCH_STATUS", "-4", 1);
    const std::string status = Find(viewer->Main(), "<b>huis</b>");
    EXPECT_EQ(status, "Het woord '<b>huis</b>' kan niet worden gevonden.");
    const auto *line = viewer->Main().findChild<QLabel *>(QStringLiteral("stbMainText"));
    ASSERT_NE(line, nullptr);
    // Rendered as rich text the tags would vanish and the line would be narrower.
    const int literal =
        QFontMetrics(line->font()).horizontalAdvance(QString::fromStdString(status));
    EXPECT_GE(line->sizeHint().width(), literal - 2);
}

// Tab goes from the search field to the display and from there to the dictionary buttons.
TEST_F(MainWindowTest, TabOrderIsSearchFieldDisplayDictionaryButtons) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.SearchField()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.Viewer());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(),
              window.DictionaryToolbar()->widgetForAction(window.DictionaryCommands()[0]));
}

// The window shows the current dictionary's icon; one without an icon shows none, not the
// icon of the dictionary chosen before it.
TEST_F(MainWindowTest, IconFollowsTheCurrentBook) {
    TwoBooks();  // only nl-en has an icon
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    EXPECT_FALSE(window.windowIcon().isNull());
    window.SelectBookByName("en-nl");
    ASSERT_EQ(viewer->Data.CurrentBook->Name, "en-nl");
    EXPECT_TRUE(window.windowIcon().isNull());
    EXPECT_TRUE(QApplication::windowIcon().isNull());
    window.SelectBookByName("nl-en");
    EXPECT_FALSE(window.windowIcon().isNull());
}

// Enter searches whatever modifier is held, and the keypad's Enter does too.
TEST_F(MainWindowTest, EnterSearchesWithAnyModifier) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    folder.SetTable("nl-en", Table({Row("huis", "house")}));
    window.SearchField()->setFocus();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> presses[] = {
        {Qt::Key_Return, Qt::ShiftModifier},
        {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Return, Qt::AltModifier},
        {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto &[key, modifiers] : presses) {
        window.SearchField()->setText(QStringLiteral("huis"));
        const std::size_t before = folder.Searches().size();
        QTest::keyClick(window.SearchField(), key, modifiers);
        EXPECT_EQ(folder.Searches().size(), before + 1) << int(modifiers);
        EXPECT_EQ(window.StatusText(), "Er is 1 trefwoord gevonden.");
    }
}

// What the user sees of the input row at any window width: the search field and the find
// button side by side on one line, the button at the right edge, nothing cut off.
TEST_F(MainWindowTest, SearchFieldAndFindButtonSitSideBySideUnclipped) {
    TwoBooks();
    viewer = std::make_unique<TViewer>();
    ui::TfrmLXAMain &window = viewer->Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QLineEdit *field = window.SearchField();
    const auto *button = window.findChild<QToolButton *>(QStringLiteral("btnFindWord"));
    ASSERT_NE(button, nullptr);
    for (const int width : {320, 497, 1000}) {
        window.resize(width, 345);
        QApplication::processEvents();
        const QRect inWindow(QPoint(0, 0), window.size());
        const QRect fieldBox(field->mapTo(&window, QPoint(0, 0)), field->size());
        const QRect buttonBox(button->mapTo(&window, QPoint(0, 0)), button->size());
        // Both wholly inside the window and inside the panel that holds them.
        EXPECT_TRUE(inWindow.contains(fieldBox) && inWindow.contains(buttonBox)) << width;
        EXPECT_TRUE(field->parentWidget()->rect().contains(field->geometry())) << width;
        EXPECT_TRUE(button->parentWidget()->rect().contains(button->geometry())) << width;
        // A typed word shows whole: a line of the field's font fits its text area, and the
        // button shows its whole picture.
        EXPECT_GE(field->contentsRect().height(), field->fontMetrics().height()) << width;
        EXPECT_GE(button->contentsRect().width(), button->iconSize().width()) << width;
        EXPECT_GE(button->contentsRect().height(), button->iconSize().height()) << width;
        // Side by side on one line: the button right of the field without overlapping it,
        // their middles level, and the field taking the width the button leaves.
        EXPECT_LT(fieldBox.right(), buttonBox.left()) << width;
        EXPECT_LE(std::abs(fieldBox.center().y() - buttonBox.center().y()), 2) << width;
        EXPECT_LE(width - 1 - buttonBox.right(), 4) << width;
        EXPECT_LE(buttonBox.left() - fieldBox.right(), 8) << width;
        EXPECT_EQ(fieldBox.left(), 0) << width;
    }
}

}  // namespace
