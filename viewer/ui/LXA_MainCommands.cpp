// The main window's commands: the table that makes them, and their handlers and enabling
// rules (search, results, book switch, new window, help, about, article export, copy,
// pronounce, and adding the user's own dictionary).
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>

#include "LXA_Main.h"
#include "books/diagnostics.h"
#include "books/user_books.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/ServerLookups.h"
#include "viewer/ui/AddDictionary.h"
#include "viewer/ui/HelpWindow.h"
#include "viewer/ui/LXA_About.h"
#include "viewer/ui/MenuItem.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/ServerQuestions.h"
#include "viewer/ui/ShelfDialog.h"

namespace ui {

// Where a command shows: the object name of its menu or toolbar and of its item there.
struct TPlace {
    const char *In = nullptr;
    const char *Name = nullptr;
};

// One command: everything the window needs to make it, show it and run it. A row without
// a name is a separator of the menu named in Menu.
struct TfrmLXAMain::TCommandEntry {
    const char *Name = nullptr;     // object name
    const char *Text = "";          // caption, UTF-8
    const char *Hint = "";          // tooltip
    const char *Shortcuts = "";     // key texts ("Shift+F12"); several separated by "; "
    const char *Spoken = nullptr;   // a button's name for screen readers where it has no caption
    const char *Picture = nullptr;  // picture of imlMain, greyed by the toolkit when disabled
    const char *DisabledPicture = nullptr;  // with it, Picture is a button's own pair of looks
    bool Checkable = false;
    void (TfrmLXAMain::*Execute)() = nullptr;
    void (TfrmLXAMain::*Update)(TCommand &) = nullptr;  // the enabling rule, if any
    TPlace Menu = {};                                   // in the menu's order of the table
    TPlace Toolbar = {};                                // the same for a toolbar's buttons
};

struct TfrmLXAMain::TMenuEntry {
    const char *Name;
    const char *Title;
};

// The menu bar, left to right.
std::span<const TfrmLXAMain::TMenuEntry> TfrmLXAMain::MenuTable() {
    static const TMenuEntry kMenus[] = {
        {"mniFile", "Bestand"},
        {"mniView", "Beeld"},
        {"mniHelp", "Hulp"},
    };
    return kMenus;
}

// Every command of aclMain. A command's shortcut works while the window is active, whether
// or not a menu item shows it; the dictionary commands are made from the catalogue instead.
std::span<const TfrmLXAMain::TCommandEntry> TfrmLXAMain::CommandTable() {
    using W = TfrmLXAMain;
    static const TCommandEntry kCommands[] = {
        {.Name = "actOpenNewWindow",
         .Text = "Open nieuw venster",
         .Hint = "Open een nieuw venster",
         .Picture = ":/ui/newwindow.png",
         .Execute = &W::actOpenNewWindowExecute,
         .Menu = {"mniFile", "mniFileNewWindow"},
         .Toolbar = {"tbrMain", "ToolButton1"}},
        {.Name = "actPronounceWord",
         .Hint = "Spreek de gevonden trefwoorden uit",
         .Spoken = "Uitspreken",
         .Picture = ":/ui/pronounce.png",
         .Execute = &W::actPronounceWordExecute,
         .Update = &W::actPronounceWordUpdate,
         .Toolbar = {"tbrMain", "ToolButton6"}},
        // The dictionary entries go between these two.
        {.Menu = {"mniFile", "N1"}},
        {.Menu = {"mniFile", "N2"}},
        // The user's own dictionary, compiled into their data folder while the window runs;
        // below the list it adds to.
        {.Name = "actAddDictionary",
         .Text = "Woordenboek toevoegen…",
         .Hint = "Voeg een eigen woordenboek toe (dictd of StarDict)",
         .Execute = &W::actAddDictionaryExecute,
         .Update = &W::actAddDictionaryUpdate,
         .Menu = {"mniFile", "mniFileAddDictionary"}},
        // The databases of a DICT server, as books beside the user's own.
        {.Name = "actAddServer",
         .Text = "Server toevoegen…",
         .Hint = "Voeg de woordenboeken van een DICT-server toe (dict://SERVER)",
         .Execute = &W::actAddServerExecute,
         .Update = &W::actAddDictionaryUpdate,
         .Menu = {"mniFile", "mniFileAddServer"}},
        {.Name = "actServerTimeout",
         .Text = "Wachttijd van servers…",
         .Hint = "Stel in hoe lang op het antwoord van een DICT-server wordt gewacht",
         .Execute = &W::actServerTimeoutExecute,
         .Update = &W::actServerTimeoutUpdate,
         .Menu = {"mniFile", "mniFileServerTimeout"}},
        {.Name = "actManageDictionaries",
         .Text = "Woordenboeken beheren…",
         .Hint = "Zet de woordenboeken in een andere volgorde, verberg, hernoem of verwijder ze",
         .Execute = &W::actManageDictionariesExecute,
         .Update = &W::actManageDictionariesUpdate,
         .Menu = {"mniFile", "mniFileManageDictionaries"}},
        {.Menu = {"mniFile", "N7"}},
        {.Name = "actShowWordList",
         .Text = "Woordenlijst",
         .Hint = "Toon de bewaarde woorden",
         .Shortcuts = "Ctrl+Shift+D",
         .Execute = &W::actShowWordListExecute,
         .Menu = {"mniFile", "mniFileWordList"}},
        {.Name = "actStarEntry",
         .Text = "Bewaar in woordenlijst",
         .Hint = "Bewaar het bovenste artikel in de woordenlijst",
         .Shortcuts = "Ctrl+D",
         .Execute = &W::actStarEntryExecute,
         .Update = &W::actStarEntryUpdate,
         .Menu = {"mniFile", "mniFileStarEntry"}},
        {.Name = "actCopyArticle",
         .Text = "Artikel kopiëren",
         .Hint = "Kopieer het hele artikel naar het klembord",
         .Shortcuts = "Ctrl+Shift+C",
         .Execute = &W::actCopyArticleExecute,
         .Update = &W::actPageShownUpdate,
         .Menu = {"mniFile", "mniFileCopyArticle"}},
        {.Name = "actPrint",
         .Text = "Afdrukken...",
         .Hint = "Druk het artikel af",
         .Shortcuts = "Ctrl+P",
         .Execute = &W::actPrintExecute,
         .Update = &W::actPageShownUpdate,
         .Menu = {"mniFile", "mniFilePrint"}},
        {.Menu = {"mniFile", "N3"}},
        {.Name = "actAppExit",
         .Text = "Afsluiten",
         .Execute = &W::actAppExitExecute,
         .Menu = {"mniFile", "mniFileExit"}},
        {.Name = "actShowHelp",
         .Text = "Hulpinformatie...",
         .Shortcuts = "F1",
         .Picture = ":/ui/help.png",
         .Execute = &W::actShowHelpExecute,
         .Menu = {"mniHelp", "mniHelpHelp"}},
        {.Name = "actShowAbout",
         .Text = "Over...",
         .Execute = &W::actShowAboutExecute,
         .Menu = {"mniHelp", "mniHelpAbout"}},
        // The find button of the input panel shows it; Enter in the search field runs it.
        // No caption: the button shows only its picture.
        {.Name = "actFindWord",
         .Hint = "Vind woord",
         .Picture = ":/ui/find.png",
         .DisabledPicture = ":/ui/find_off.png",
         .Execute = &W::actFindWordExecute,
         .Update = &W::actFindWordUpdate},
        {.Name = "actHitShowSource",
         .Shortcuts = "Shift+F12",
         .Execute = &W::actHitShowSourceExecute,
         .Update = &W::actHitShowSourceUpdate},
        {.Name = "actCopyHTMLToClipboard",
         .Shortcuts = "Ctrl+C",
         .Execute = &W::actCopyHTMLToClipboardExecute,
         .Update = &W::actCopyHTMLToClipboardUpdate},
        // Reading comfort: the View menu, the history buttons beside the main toolbar's
        // others, and keys of their own.
        {.Name = "actZoomIn",
         .Text = "Inzoomen",
         .Hint = "Toon het artikel groter",
         .Shortcuts = "Ctrl++; Ctrl+=",
         .Execute = &W::actZoomInExecute,
         .Update = &W::actZoomInUpdate,
         .Menu = {"mniView", "mniViewZoomIn"}},
        {.Name = "actZoomOut",
         .Text = "Uitzoomen",
         .Hint = "Toon het artikel kleiner",
         .Shortcuts = "Ctrl+-",
         .Execute = &W::actZoomOutExecute,
         .Update = &W::actZoomOutUpdate,
         .Menu = {"mniView", "mniViewZoomOut"}},
        {.Name = "actZoomReset",
         .Text = "Normale grootte",
         .Hint = "Toon het artikel op ware grootte",
         .Shortcuts = "Ctrl+0",
         .Execute = &W::actZoomResetExecute,
         .Update = &W::actZoomResetUpdate,
         .Menu = {"mniView", "mniViewZoomReset"}},
        {.Menu = {"mniView", "N4"}},
        {.Name = "actDarkReading",
         .Text = "Donkere weergave",
         .Hint = "Lees het artikel licht op donker",
         .Checkable = true,
         .Execute = &W::actDarkReadingExecute,
         .Update = &W::actDarkReadingUpdate,
         .Menu = {"mniView", "mniViewDark"}},
        {.Menu = {"mniView", "N5"}},
        {.Name = "actHistoryBack",
         .Text = "Terug",
         .Hint = "Terug naar de vorige zoekopdracht",
         .Shortcuts = "Alt+Left",
         .Picture = ":/ui/back.png",
         .Execute = &W::actHistoryBackExecute,
         .Update = &W::actHistoryBackUpdate,
         .Menu = {"mniView", "mniViewBack"},
         .Toolbar = {"tbrMain", "ToolButtonBack"}},
        {.Name = "actHistoryForward",
         .Text = "Vooruit",
         .Hint = "Vooruit naar de volgende zoekopdracht",
         .Shortcuts = "Alt+Right",
         .Picture = ":/ui/forward.png",
         .Execute = &W::actHistoryForwardExecute,
         .Update = &W::actHistoryForwardUpdate,
         .Menu = {"mniView", "mniViewForward"},
         .Toolbar = {"tbrMain", "ToolButtonForward"}},
        {.Menu = {"mniView", "N6"}},
        {.Name = "actFindInPage",
         .Text = "Zoeken in artikel...",
         .Hint = "Zoek tekst in het getoonde artikel",
         .Shortcuts = "Ctrl+F",
         .Execute = &W::actFindInPageExecute,
         .Menu = {"mniView", "mniViewFind"}},
        // The search field's words in the text of every article of the book; a button
        // beside the field shows it too.
        {.Name = "actFindInArticles",
         .Text = "Zoeken in artikelen",
         .Hint = "Zoek de woorden uit het zoekveld in de tekst van alle artikelen",
         .Shortcuts = "Ctrl+Shift+F",
         .Execute = &W::actFindInArticlesExecute,
         .Update = &W::actFindWordUpdate,
         .Menu = {"mniView", "mniViewFindInArticles"}},
        {.Name = "actFindNext",
         .Text = "Volgende zoeken",
         .Shortcuts = "F3",
         .Execute = &W::actFindNextExecute,
         .Menu = {"mniView", "mniViewFindNext"}},
        {.Name = "actFindPrevious",
         .Text = "Vorige zoeken",
         .Shortcuts = "Shift+F3",
         .Execute = &W::actFindPreviousExecute,
         .Menu = {"mniView", "mniViewFindPrevious"}},
        // The search field: its drop-down arrow shows this one; the field alone takes Escape.
        {.Name = "actSearchHistory",
         .Text = "Eerdere zoekopdrachten",
         .Hint = "Toon de laatste zoekopdrachten",
         .Shortcuts = "Alt+Down; F4",
         .Picture = ":/ui/recent.png",
         .Execute = &W::actSearchHistoryExecute,
         .Update = &W::actSearchHistoryUpdate},
        {.Name = "actFocusSearch",
         .Text = "Naar het zoekveld",
         .Shortcuts = "Ctrl+L; F6",
         .Execute = &W::actFocusSearchExecute},
        // The menus have no letters to open them by (their captions are fixed): F10 opens
        // the first, the arrows go on from there.
        {.Name = "actOpenMenu",
         .Text = "Menu openen",
         .Shortcuts = "F10",
         .Execute = &W::actOpenMenuExecute},
        {.Name = "actClearSearchText",
         .Text = "Zoekveld leegmaken",
         .Shortcuts = "Escape",
         .Execute = &W::actClearSearchTextExecute,
         .Update = &W::actClearSearchTextUpdate},
    };
    return kCommands;
}

void TfrmLXAMain::CreateMenus() {
    menuBar()->setObjectName(QStringLiteral("mnuMain"));
    for (const TMenuEntry &entry : MenuTable()) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(entry.Title));
        menu->setObjectName(QLatin1String(entry.Name));
        // Separators stay where the table puts them, even next to each other (the File
        // menu's two around its dictionary entries when there are none).
        menu->setSeparatorsCollapsible(false);
    }
}

void TfrmLXAMain::CreateCommands() {
    for (const TCommandEntry &entry : CommandTable()) {
        if (entry.Name == nullptr) {
            Menu(entry.Menu.In)->addSeparator()->setObjectName(QLatin1String(entry.Menu.Name));
            continue;
        }
        auto *command = new TCommand(aclMain);
        command->setObjectName(QLatin1String(entry.Name));
        command->setText(QString::fromUtf8(entry.Text));
        command->setToolTip(QString::fromUtf8(entry.Hint));
        command->setShortcuts(QKeySequence::listFromString(QLatin1String(entry.Shortcuts),
                                                           QKeySequence::PortableText));
        command->setShortcutContext(Qt::WindowShortcut);
        command->setCheckable(entry.Checkable);
        if (entry.DisabledPicture != nullptr) {
            QIcon looks(QLatin1String(entry.Picture));
            looks.addFile(QLatin1String(entry.DisabledPicture), QSize(), QIcon::Disabled);
            command->setIcon(looks);
        } else if (entry.Picture != nullptr) {
            const int image = imlMain.AddMasked(QImage(QLatin1String(entry.Picture)));
            QIcon look(imlMain.At(image));
            AddDoubleSize(look, QLatin1String(entry.Picture));
            command->setIcon(look);
        }
        command->SetExecute([this, execute = entry.Execute] { (this->*execute)(); });
        if (entry.Update != nullptr)
            command->SetUpdateRule(
                [this, update = entry.Update](TCommand &c) { (this->*update)(c); });
        addAction(command);  // the shortcut works while the window is active
        m_commands.push_back(command);
        if (entry.Menu.In != nullptr) {
            QMenu *menu = Menu(entry.Menu.In);
            menu->addAction(new TMenuItem(entry.Menu.Name, command, menu));
        }
        if (entry.Toolbar.In != nullptr) {
            QToolBar *bar = Toolbar(entry.Toolbar.In);
            bar->addAction(command);
            QWidget *button = bar->widgetForAction(command);
            button->setObjectName(QLatin1String(entry.Toolbar.Name));
            // Every button is reachable by keyboard and named by what it does.
            button->setFocusPolicy(Qt::TabFocus);
            button->setAccessibleName(
                QString::fromUtf8(entry.Spoken != nullptr ? entry.Spoken : entry.Text));
            button->setAccessibleDescription(QString::fromUtf8(entry.Hint));
        }
    }
}

namespace {

// The search text without leading and trailing blanks and control characters.
bool HasSearchableText(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() > 0x20)
            return true;
    return false;
}

}  // namespace

QString NotFoundSentence(const QString &typed) {
    return QStringLiteral("Het woord '%1' kan niet worden gevonden.").arg(typed);
}

QString FoundSentence(std::int32_t found, std::int32_t count) {
    return found == 1 ? QStringLiteral("Er is 1 trefwoord gevonden.")
                      : QStringLiteral("Er zijn %1 trefwoorden gevonden.").arg(count);
}

void TfrmLXAMain::actFindWordUpdate(TCommand &command) {
    command.setEnabled(HasSearchableText(edtSearchText->text()));
}

void TfrmLXAMain::actFindWordExecute() {
    HideTypeAhead();
    // A pattern or full-text search still on its worker would show over this one.
    StopBeside();
    if (!ChoiceKey().empty()) {
        SearchAllBooks(edtSearchText->text());
        return;
    }
    SetStatus(QString());
    m_viewer->ClearDocument();
    // The text goes to the search as typed, blanks included.
    const QString typed = edtSearchText->text();
    if (SearchOnServer(typed)) {
        RecordSearch(typed);
        return;
    }
    if (ShowPattern(typed)) {
        RecordSearch(typed);
        return;
    }
    const std::int32_t found = m_data.SearchTyped(typed.toStdString());
    SetStatus(found <= 0 ? NotFoundSentence(typed) : FoundSentence(found, m_data.ResultCount()));
    BeforeResults(typed, found);
    if (found >= 1)
        ShowResults();
    AfterResults();
    RecordSearch(typed);
}

void TfrmLXAMain::ShowResults() {
    if (m_data.ResultCount() == 0)
        return;
    std::string page = m_data.ResultPage();
    if (!m_lineAbove.empty())
        page = WithLineAbove(page, m_lineAbove);
    m_viewer->LoadDocument(page.data(), page.size());
}

void TfrmLXAMain::SelectBookByName(const std::string &name) {
    TWaitCursor hourglass;
    // A book chosen ends the choice of several; the page it showed goes with it.
    const bool leftChoice = LeaveChoice();
    // Choosing the current book again only refreshes caption, icon and the pronounce
    // command: its page stays, as the status line still counts its entries.
    const bool sameBook = !leftChoice && m_data.Books != nullptr &&
                          m_data.Books->FindBook(name) == m_data.CurrentBook;
    if (m_viewer != nullptr && !sameBook)
        m_viewer->ClearDocument();
    m_data.SelectBookNamed(name);
    QString caption = QStringLiteral("Morvelt taalkist");
    const TLXABook *book = m_data.CurrentBook;
    if (book != nullptr)
        caption += QStringLiteral(" [%1]").arg(QString::fromStdString(book->DisplayName));
    setWindowTitle(caption);
    if (book != nullptr) {
        // A book without an icon clears it rather than keep the previous book's.
        const QIcon icon = book->Icon ? *book->Icon : QIcon();
        QApplication::setWindowIcon(icon);
        setWindowIcon(icon);
    }
    Command("actPronounceWord")->Update();
    WordFinderBookChanged();
}

void TfrmLXAMain::actOpenNewWindowExecute() {
    const TLXABook *book = m_data.CurrentBook;
    // Without a current book the new window chooses its dictionary as at any start.
    std::string parameters =
        book != nullptr ? book->ComplDictionary + " " + book->Name : std::string();
    // A group follows the two names, which a viewer that knows no groups ignores.
    if (book != nullptr && !NewWindowChoice().empty())
        parameters += " " + NewWindowChoice();
    try {
        ShellOpen(ProgramFilePath(), parameters);
    } catch (const std::exception &e) {
        ShowErrorFmt(
            "Er kan geen nieuwe scherm van dit programma worden geopend. De foutmelding van "
            "het systeem luidt:\r\n\r\n%s",
            {std::string(e.what())}, 2, 1);
    }
}

void TfrmLXAMain::actAppExitExecute() {
    close();
}

void TfrmLXAMain::actShowHelpExecute() {
    if (!m_help)
        m_help = std::make_unique<THelpWindow>(this);
    m_help->ShowFile(QString::fromStdString(m_data.HelpFile));
}

void TfrmLXAMain::actShowAboutExecute() {
    if (m_about != nullptr)
        m_about->exec();
}

void TfrmLXAMain::actHitShowSourceExecute() {
    if (AllBooksShown()) {
        const std::string source = AllBooksSource();
        if (!source.empty())
            SaveArticle(source);
        return;
    }
    if (m_data.ResultCount() == 0)
        return;
    SaveArticle(m_data.ResultPage());
}

void TfrmLXAMain::actHitShowSourceUpdate(TCommand &command) {
    command.setEnabled(m_data.HelpdeskMode);
}

void TfrmLXAMain::actCopyHTMLToClipboardUpdate(TCommand &command) {
    command.setEnabled(m_viewer != nullptr && m_viewer->HasFocus() &&
                       !m_viewer->SelectedText().isEmpty());
}

void TfrmLXAMain::actCopyHTMLToClipboardExecute() {
    if (m_viewer != nullptr)
        m_viewer->CopySelection();
}

void TfrmLXAMain::actPronounceWordUpdate(TCommand &command) {
    command.setVisible(m_data.CurrentBook != nullptr && m_data.CurrentBook->Fluency);
    command.setEnabled(AllBooksShown() ? CanSpeakAllBooks() : m_data.CanSpeakResults());
}

void TfrmLXAMain::actPronounceWordExecute() {
    if (AllBooksShown())
        SpeakAllBooks();
    else
        m_data.SpeakResults();
}

void TfrmLXAMain::actAddDictionaryUpdate(TCommand &command) {
    // One import at a time; the shelf's catalogue takes one writer.
    command.setEnabled(!m_import && m_data.Books != nullptr);
}

void TfrmLXAMain::actAddDictionaryExecute() {
    if (m_import || !m_data.Books)
        return;
    const std::optional<TDictionaryChoice> choice = AskForDictionary(this);
    if (choice)
        StartImport(*choice);
}

void TfrmLXAMain::actAddServerExecute() {
    if (m_import || !m_data.Books)
        return;
    const std::optional<TDictionaryChoice> choice = AskForServer(this);
    if (choice)
        StartImport(*choice);
}

void TfrmLXAMain::actServerTimeoutUpdate(TCommand &command) {
    command.setEnabled(m_data.Books != nullptr && !m_data.Books->UserPaths.AppDir.empty());
}

void TfrmLXAMain::actServerTimeoutExecute() {
    if (!m_data.Books || m_data.Books->UserPaths.AppDir.empty())
        return;
    const books::UserShelf shelf = books::UserShelfAt(m_data.Books->UserPaths.AppDir);
    const std::optional<int> seconds = AskForServerTimeout(this, books::ServerReplyTimeout(shelf));
    if (!seconds)
        return;
    RunGuarded([&] {
        try {
            books::SetServerReplyTimeout(shelf, *seconds);
        } catch (const books::InputError &e) {
            ShowError(e.what(), 3, 2);
            return;
        }
        m_serverLookups->SetReplyTimeout(1000 * *seconds);
    });
}

std::string TfrmLXAMain::GiveDirections(const TImportOutcome &outcome) {
    std::string first = outcome.Name;
    const std::string programData = m_data.Paths.DataDir;
    const books::UserShelf shelf = books::UserShelfAt(m_data.Books->UserPaths.AppDir);
    for (const std::string &name : outcome.UnknownDirection) {
        TDirectionQuestion question{name, QString::fromStdString(name)};
        for (const auto &[book, displayName] : outcome.ServerBooks)
            if (book == name)
                question.DisplayName = QString::fromStdString(displayName);
        const std::optional<std::string> direction = AskForDirection(this, question);
        if (!direction)
            continue;  // "Later": lexqc direction gives it any time
        try {
            const std::string renamed =
                books::SetServerBookDirection(shelf,
                                              programData.empty() || programData.back() != '/'
                                                  ? programData
                                                  : programData.substr(0, programData.size() - 1),
                                              name, *direction);
            if (name == first)
                first = renamed;
        } catch (const books::InputError &e) {
            ShowError(e.what(), 3, 2);
        }
    }
    return first;
}

void TfrmLXAMain::StartImport(const TDictionaryChoice &choice, QWidget *over) {
    m_import =
        std::make_unique<TDictionaryImport>(choice, m_data.Books->UserPaths.AppDir,
                                            m_data.Paths.DataDir, over != nullptr ? over : this);
    connect(m_import.get(), &TDictionaryImport::Finished, this, &TfrmLXAMain::DictionaryImported);
    Command("actAddDictionary")->Update();
}

TShelfDialog *TfrmLXAMain::ShelfDialog() const {
    return m_shelfDialog;
}

void TfrmLXAMain::actManageDictionariesUpdate(TCommand &command) {
    command.setEnabled(m_data.Books != nullptr && !m_shelfDialog);
}

void TfrmLXAMain::actManageDictionariesExecute() {
    if (!m_data.Books || m_shelfDialog)
        return;
    const std::string programData = m_data.Paths.DataDir;
    TShelfDialog dialog(
        books::UserShelfAt(m_data.Books->UserPaths.AppDir),
        programData.empty() || programData.back() != '/'
            ? programData
            : programData.substr(0, programData.size() - 1),
        [this](const std::string &name) {
            for (TSelectBook *command : m_books)
                if (command->Book() != nullptr && command->Book()->Name == name)
                    return command->icon();
            // A book hidden since the window opened has no button: its own picture.
            const TLXABook *book = m_data.Books->FindBook(name);
            if (book != nullptr && book->Icon && !book->Icon->isNull())
                return *book->Icon;
            if (book != nullptr && book->Bitmap)
                return QIcon(QPixmap::fromImage(*book->Bitmap));
            return QIcon();
        },
        this);
    m_shelfDialog = &dialog;
    // The selector follows each change at once.
    connect(&dialog, &TShelfDialog::Changed, this,
            [this] { RunGuarded([this] { ArrangeDictionaries(); }); });
    connect(&dialog, &TShelfDialog::ImportRequested, this, [this, &dialog] {
        if (m_import)
            return;
        if (const std::optional<TDictionaryChoice> choice = AskForDictionary(&dialog))
            StartImport(*choice, &dialog);
    });
    Command("actManageDictionaries")->Update();
    dialog.exec();
    m_shelfDialog = nullptr;
    Command("actManageDictionaries")->Update();
}

namespace {

// The first local file of a drag that names a dictionary; empty when there is none.
QString DroppedDictionary(const QMimeData *mime) {
    if (mime == nullptr || !mime->hasUrls())
        return {};
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile() && IsDictionaryFile(url.toLocalFile()))
            return url.toLocalFile();
    }
    return {};
}

}  // namespace

void TfrmLXAMain::dragEnterEvent(QDragEnterEvent *event) {
    if (!m_import && m_data.Books && !DroppedDictionary(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmLXAMain::dropEvent(QDropEvent *event) {
    const QString file = DroppedDictionary(event->mimeData());
    if (m_import || !m_data.Books || file.isEmpty())
        return;
    event->acceptProposedAction();
    // A drop asks nothing: the book keeps the name it gives itself.
    StartImport(TDictionaryChoice{file, QString()});
}

void TfrmLXAMain::DictionaryImported(const TImportOutcome &outcome) {
    // The import is done with; it goes once its signal has returned.
    m_import.release()->deleteLater();
    Command("actAddDictionary")->Update();
    RunGuarded([&] {
        switch (outcome.Kind) {
            case TImportOutcome::TKind::Added: {
                // Before the window lists them: a direction renames a book, and the window
                // then knows it by its new name only (its group, its base forms).
                const std::string current = GiveDirections(outcome);
                // The new book joins the running window: toolbar, menu, and current.
                AddDictionaries(m_data.Books->ReadUserBooks());
                // A book added again after its removal, and the user's order.
                ArrangeDictionaries();
                SelectBookByName(current);
                if (m_shelfDialog)
                    m_shelfDialog->Reload();
                if (const std::string message = AddedMessage(outcome); !message.empty())
                    ShowMessageDialog(message, TMsgDlgType::Information, mbOK);
                break;
            }
            case TImportOutcome::TKind::Refused:
                ShowError(outcome.Message, 3, 2);
                break;
            case TImportOutcome::TKind::Cancelled:
                break;
            case TImportOutcome::TKind::Failed:
                ShowException(std::runtime_error(outcome.Message));
                break;
        }
    });
}

}  // namespace ui
