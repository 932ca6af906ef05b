// The main window's word list: the star command (Ctrl+D) and the list window (Ctrl+Shift+D),
// both through the hook that owns the store and the page's stars.
#include "LXA_Main.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/WordListHook.h"

namespace ui {

void TfrmLXAMain::CreateWordList() {
    m_wordList = new TWordListHook(
        m_data, *m_viewer, [this] { return m_finding.Typed; }, this);
    connect(m_wordList, &TWordListHook::Said, this, [this](const QString &status, QWidget *where) {
        if (where == this)
            SetStatus(status);
    });
    // A line of the list opens its entry here: its book, then its headword.
    connect(m_wordList, &TWordListHook::OpenEntry, this,
            [this](const QString &book, const QString &headword) {
                SelectBookByName(book.toStdString());
                SearchFor(headword);
                activateWindow();
            });
}

void TfrmLXAMain::actStarEntryExecute() {
    if (m_wordList == nullptr)
        return;
    if (ChoiceKey().empty())
        m_wordList->StarTopEntry();
    else if (display::THtmlViewer *block = TopBlockDisplay())
        m_wordList->StarTopEntryOf(*block);
}

void TfrmLXAMain::actStarEntryUpdate(TCommand &command) {
    // The rules run while the window is still being built, before the hook exists.
    command.setEnabled(
        m_wordList != nullptr &&
        (ChoiceKey().empty() ? m_wordList->HasEntries() : TopBlockDisplay() != nullptr));
}

display::THtmlViewer *TfrmLXAMain::TopBlockDisplay() const {
    return AllBooksPage() != nullptr ? AllBooksPage()->CurrentDisplay() : nullptr;
}

void TfrmLXAMain::actShowWordListExecute() {
    if (m_wordList != nullptr)
        m_wordList->ShowWindow();
}

}  // namespace ui
