// The main window's command handlers and enabling rules: search, results, book switch,
// new window, help, about, article export, copy and pronounce.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "LXA_Main.h"
#include "platform/paths.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/HelpWindow.h"
#include "viewer/ui/LXA_About.h"

namespace ui {

namespace {

// The search text without leading and trailing blanks and control characters.
bool HasSearchableText(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() > 0x20)
            return true;
    return false;
}

}  // namespace

void TfrmLXAMain::actFindWordUpdate(TCommand &command) {
    command.setEnabled(HasSearchableText(edtSearchText->text()));
}

void TfrmLXAMain::actFindWordExecute() {
    SetStatus(QString());
    m_viewer->ClearDocument();
    // The text goes to the search as typed, blanks included.
    const QString typed = edtSearchText->text();
    const std::int32_t found = LXAData->Search(cp1252::FromQString(typed));
    if (found <= 0)
        SetStatus(QStringLiteral("Het woord '%1' kan niet worden gevonden.").arg(typed));
    else if (found == 1)
        SetStatus(QStringLiteral("Er is 1 trefwoord gevonden."));
    else
        SetStatus(QStringLiteral("Er zijn %1 trefwoorden gevonden.")
                      .arg(LXAData->SearchResults->Count()));
    if (found >= 1)
        ShowResults();
}

std::string TfrmLXAMain::StyleSheetPath() const {
    if (LXAData->CurrentBook == nullptr)
        return {};
    return platform::IncludeTrailingDelimiter(LXAData->Paths.DataDir) +
           LXAData->CurrentBook->Stylesheet;
}

void TfrmLXAMain::ShowResults() {
    if (LXAData->SearchResults->Count() == 0)
        return;
    const std::string page = LXAData->SearchResults->BuildPage(StyleSheetPath());
    m_viewer->LoadDocument(page.data(), page.size());
}

void TfrmLXAMain::SelectBookByName(const std::string &name) {
    TWaitCursor hourglass;
    if (m_viewer != nullptr)
        m_viewer->ClearDocument();
    if (LXAData != nullptr)
        LXAData->SelectBook(LXAData->Books ? LXAData->Books->FindBook(name) : nullptr);
    QString caption = QStringLiteral("Morvelt taalkist");
    const TLXABook *book = LXAData != nullptr ? LXAData->CurrentBook : nullptr;
    if (book != nullptr)
        caption += QStringLiteral(" [%1]").arg(cp1252::ToQString(book->DisplayName));
    setWindowTitle(caption);
    if (book != nullptr) {
        // A book without an icon clears it rather than keep the previous book's.
        const QIcon icon = book->Icon ? *book->Icon : QIcon();
        QApplication::setWindowIcon(icon);
        setWindowIcon(icon);
    }
    actPronounceWord->Update();
}

void TfrmLXAMain::actOpenNewWindowExecute() {
    const TLXABook *book = LXAData->CurrentBook;
    // Without a current book the new window chooses its dictionary as at any start.
    const std::string parameters =
        book != nullptr ? book->ComplDictionary + " " + book->Name : std::string();
    try {
        ShellOpen(ProgramFilePath(), parameters);
    } catch (const std::exception &e) {
        ShowErrorFmt(
            "Er kan geen nieuwe scherm van dit programma worden geopend. De foutmelding van "
            "het systeem luidt:\r\n\r\n%s",
            {std::string(e.what())}, 2, 1);
    }
}

void TfrmLXAMain::actShowHelpExecute() {
    if (!m_help)
        m_help = std::make_unique<THelpWindow>(this);
    const std::string file = LXAData != nullptr ? LXAData->HelpFile : std::string();
    m_help->ShowFile(QString::fromStdString(file));
}

void TfrmLXAMain::actShowAboutExecute() {
    if (m_about != nullptr)
        m_about->exec();
}

void TfrmLXAMain::actHitShowSourceExecute() {
    if (LXAData->SearchResults->Count() == 0)
        return;
    SaveArticle(LXAData->SearchResults->BuildPage(StyleSheetPath()));
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
    const TLXABook *book = LXAData != nullptr ? LXAData->CurrentBook : nullptr;
    command.setVisible(book != nullptr && book->Fluency);
    command.setEnabled(
        LXAData != nullptr && LXAData->SearchResults && LXAData->SearchResults->Count() >= 1 &&
        !LXAData->SearchResults->PronounceText().empty() && LXAData->SpeechAvailable());
}

void TfrmLXAMain::actPronounceWordExecute() {
    LXAData->Speak(LXAData->SearchResults->PronounceText());
}

}  // namespace ui
