#include "viewer/ui/WordListHook.h"

#include <QTextDocumentFragment>
#include <QUrl>

#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/WordListStars.h"
#include "viewer/ui/WordListWindow.h"

namespace ui {

TWordListHook::TWordListHook(TLXAData &data, display::THtmlViewer &viewer,
                             std::function<std::string()> typed, QWidget *window)
    : QObject(window), m_data(data), m_viewer(viewer), m_typed(std::move(typed)), m_parent(window) {
    m_viewer.SetDecoration([this](const QString &page) { return Decorate(page); });
    m_viewer.SetDecorationLinks(QLatin1String(kStarScheme),
                                [this](const QUrl &link) { StarEntry(link.path().toInt()); });
}

TWordListHook::~TWordListHook() {
    delete m_window;
}

wordlist::TWordStore *TWordListHook::Store() {
    if (m_store || m_failed)
        return m_store.get();
    std::string message;
    m_store = wordlist::TWordStore::Open(wordlist::TWordStore::DefaultPath(), message);
    m_failed = !m_store;
    if (!message.empty())
        ShowMessageDialog(platform::Utf8ToCp1252Exact(message).value_or(message),
                          m_store ? TMsgDlgType::Warning : TMsgDlgType::Error, mbOK);
    return m_store.get();
}

bool TWordListHook::HasEntries() const {
    return m_data.SearchResults != nullptr && m_data.SearchResults->Count() > 0 &&
           m_viewer.HasPage();
}

QString TWordListHook::Decorate(const QString &page) {
    // Only the page of the results held now: its entries are the results, one by one.
    const TLXASearchResults *results = m_data.SearchResults.get();
    if (results == nullptr || m_data.CurrentBook == nullptr ||
        PageEntries(page) != results->Count() || results->Count() == 0)
        return page;
    wordlist::TWordStore *store = Store();
    if (store == nullptr)
        return page;
    std::vector<bool> kept;
    for (std::int32_t i = 0; i < results->Count(); ++i) {
        const TLXASearchResult &hit = results->GetItem(i);
        kept.push_back(store->IsKept(m_data.CurrentBook->Name, platform::Cp1252ToUtf8(hit.Keyword),
                                     platform::Cp1252ToUtf8(hit.Body)));
    }
    return StarredPage(page, kept);
}

bool TWordListHook::StarEntry(int index) {
    const TLXASearchResults *results = m_data.SearchResults.get();
    if (!HasEntries() || index < 0 || index >= results->Count() || m_data.CurrentBook == nullptr)
        return false;
    wordlist::TWordStore *store = Store();
    if (store == nullptr)
        return false;
    const TLXASearchResult &hit = results->GetItem(index);
    wordlist::TWordEntry entry;
    entry.Book = m_data.CurrentBook->Name;
    entry.Headword = platform::Cp1252ToUtf8(hit.Keyword);
    entry.Html = platform::Cp1252ToUtf8(hit.Body);
    entry.Plain = QTextDocumentFragment::fromHtml(QString::fromStdString(entry.Html))
                      .toPlainText()
                      .trimmed()
                      .toStdString();
    entry.Typed = platform::Cp1252ToUtf8(m_typed());
    const std::string searched = platform::Cp1252ToUtf8(results->SearchText);
    // Results of another word than the typed one came through its base form.
    if (!entry.Typed.empty() && !platform::EqualNoCaseUtf8(searched, entry.Typed))
        entry.BaseForm = searched;
    bool added = false;
    if (store->Add(entry, added) == 0 && !added && !store->Error().empty()) {
        ShowMessageDialog(platform::Utf8ToCp1252Exact(store->Error()).value_or(""),
                          TMsgDlgType::Error, mbOK);
        return false;
    }
    emit Said(added ? QStringLiteral("'%1' is bewaard in de woordenlijst.")
                          .arg(QString::fromStdString(entry.Headword))
                    : QStringLiteral("'%1' staat al in de woordenlijst.")
                          .arg(QString::fromStdString(entry.Headword)));
    m_viewer.Redecorate();
    if (m_window != nullptr)
        m_window->Reload();
    return true;
}

bool TWordListHook::StarTopEntry() {
    if (!HasEntries())
        return false;
    return StarEntry(EntryAtPosition(*m_viewer.document(), m_viewer.TopPosition()));
}

void TWordListHook::ShowWindow() {
    wordlist::TWordStore *store = Store();
    if (store == nullptr)
        return;
    if (m_window == nullptr) {
        // A window of its own, not the main window's child: closing the main window
        // hides no child window mid-destruction, and the hook deletes it.
        m_window = new TWordListWindow(*store);
        m_window->setAttribute(Qt::WA_QuitOnClose, false);
        m_window->setWindowIcon(m_parent->windowIcon());
        connect(m_window, &TWordListWindow::OpenEntry, this, &TWordListHook::OpenEntry);
    } else {
        m_window->Reload();
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace ui
