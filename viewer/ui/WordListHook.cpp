#include "viewer/ui/WordListHook.h"

#include <QPointer>
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

struct TWordListHook::TAttached {
    QPointer<display::THtmlViewer> Viewer;
    std::function<TShownEntries()> Shown;
    bool ByKey = false;       // Ctrl+D keeps its top entry
    std::vector<bool> Stars;  // as the page shows them; empty without stars
};

TWordListHook::TWordListHook(TLXAData &data, display::THtmlViewer &viewer,
                             std::function<std::string()> typed, QWidget *window)
    : QObject(window), m_data(data), m_viewer(viewer), m_typed(std::move(typed)), m_parent(window) {
    Attach(m_viewer, [this] {
        return TShownEntries{m_data.CurrentBook, m_data.SearchResults.get(), m_typed()};
    });
    m_attached.front()->ByKey = true;
}

TWordListHook::~TWordListHook() {
    delete m_window;
    // A popup's display may outlive the window's hook.
    for (const auto &attached : m_attached)
        if (attached->Viewer != nullptr) {
            attached->Viewer->SetDecoration(nullptr);
            attached->Viewer->SetDecorationLinks(QString(), nullptr);
        }
}

void TWordListHook::Attach(display::THtmlViewer &viewer, std::function<TShownEntries()> shown) {
    // Displays gone (a closed popup's blocks) are forgotten as new ones come.
    std::erase_if(m_attached, [](const auto &attached) { return attached->Viewer == nullptr; });
    auto attached = std::make_unique<TAttached>();
    attached->Viewer = &viewer;
    attached->Shown = std::move(shown);
    TAttached *raw = attached.get();
    m_attached.push_back(std::move(attached));
    viewer.SetDecoration([this, raw](const QString &page) { return Decorate(*raw, page); });
    viewer.SetDecorationLinks(QLatin1String(kStarScheme), [this, raw](const QUrl &link) {
        Star(*raw, link.path().toInt(), true);
    });
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

std::vector<bool> TWordListHook::KeptFlags(const TShownEntries &shown) {
    std::vector<bool> kept;
    if (shown.Results == nullptr || shown.Book == nullptr)
        return kept;
    wordlist::TWordStore *store = Store();
    if (store == nullptr)
        return kept;
    for (std::int32_t i = 0; i < shown.Results->Count(); ++i) {
        const TLXASearchResult &hit = shown.Results->GetItem(i);
        kept.push_back(store->KeptRow(wordlist::kDefaultList, shown.Book->Name,
                                      platform::Cp1252ToUtf8(hit.Keyword),
                                      platform::Cp1252ToUtf8(hit.Body)) != 0);
    }
    return kept;
}

QString TWordListHook::Decorate(TAttached &attached, const QString &page) {
    // Only the page of the results held now: its entries are the results, one by one.
    const TShownEntries shown = attached.Shown();
    attached.Stars.clear();
    if (shown.Results == nullptr || shown.Results->Count() == 0 ||
        PageEntries(page) != shown.Results->Count())
        return page;
    attached.Stars = KeptFlags(shown);
    return StarredPage(page, attached.Stars, attached.ByKey);
}

bool TWordListHook::Star(TAttached &attached, int index, bool toggle) {
    const TShownEntries shown = attached.Shown();
    if (attached.Viewer == nullptr || !attached.Viewer->HasPage() || shown.Results == nullptr ||
        shown.Book == nullptr || index < 0 || index >= shown.Results->Count())
        return false;
    wordlist::TWordStore *store = Store();
    if (store == nullptr)
        return false;
    const TLXASearchResult &hit = shown.Results->GetItem(index);
    wordlist::TWordEntry entry;
    entry.Book = shown.Book->Name;
    entry.Headword = platform::Cp1252ToUtf8(hit.Keyword);
    entry.Html = platform::Cp1252ToUtf8(hit.Body);
    const QString headword = QString::fromStdString(entry.Headword);
    QWidget *window = attached.Viewer->window();
    const std::int64_t row =
        toggle ? store->KeptRow(wordlist::kDefaultList, entry.Book, entry.Headword, entry.Html) : 0;
    if (row != 0) {
        // A filled star takes the entry out of the default list; other lists keep theirs.
        if (!store->Remove(row) &&
            store->KeptRow(wordlist::kDefaultList, entry.Book, entry.Headword, entry.Html) != 0) {
            ShowMessageDialog(platform::Utf8ToCp1252Exact(store->Error()).value_or(""),
                              TMsgDlgType::Error, mbOK);
            return false;
        }
        emit Said(QStringLiteral("'%1' is uit de woordenlijst gehaald.").arg(headword), window);
    } else {
        entry.Plain = QTextDocumentFragment::fromHtml(QString::fromStdString(entry.Html))
                          .toPlainText()
                          .trimmed()
                          .toStdString();
        entry.Typed = platform::Cp1252ToUtf8(shown.Typed);
        const std::string searched = platform::Cp1252ToUtf8(shown.Results->SearchText);
        // Results of another word than the typed one came through its base form.
        if (!entry.Typed.empty() && !platform::EqualNoCaseUtf8(searched, entry.Typed))
            entry.BaseForm = searched;
        bool added = false;
        if (store->Add(entry, added) == 0 && !added && !store->Error().empty()) {
            ShowMessageDialog(platform::Utf8ToCp1252Exact(store->Error()).value_or(""),
                              TMsgDlgType::Error, mbOK);
            return false;
        }
        emit Said(added ? QStringLiteral("'%1' is bewaard in de woordenlijst.").arg(headword)
                        : QStringLiteral("'%1' staat al in de woordenlijst.").arg(headword),
                  window);
    }
    Restar();
    if (m_window != nullptr)
        m_window->Reload();
    return true;
}

void TWordListHook::Restar() {
    // The same entry may show in several displays (the window's page and the popup's).
    for (const auto &attached : m_attached)
        if (attached->Viewer != nullptr && attached->Viewer->HasPage() &&
            !attached->Stars.empty() && KeptFlags(attached->Shown()) != attached->Stars)
            attached->Viewer->Redecorate();
}

bool TWordListHook::StarEntry(int index) {
    return HasEntries() && Star(*m_attached.front(), index, false);
}

bool TWordListHook::StarTopEntry() {
    return HasEntries() && StarTopEntryOf(m_viewer);
}

bool TWordListHook::StarTopEntryOf(display::THtmlViewer &viewer) {
    for (const auto &attached : m_attached)
        if (attached->Viewer == &viewer)
            return Star(*attached, EntryAtPosition(*viewer.document(), viewer.TopPosition()),
                        false);
    return false;
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
