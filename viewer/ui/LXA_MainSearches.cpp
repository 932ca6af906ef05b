// The main window's searches beside the word: a pattern on the headwords ("*heid", "?uis",
// "fiets*"), whose page lists the matching headwords as links, and the words of the search
// field in the text of the articles ("Zoeken in artikelen"). Both run on a worker through
// a handle of the book's own (BookSearches.h), a newer search making the older stale, so
// the window never waits; with the choice of several books each book answers in a block of
// its own. The article index is opened at the first search that needs it, never earlier,
// and is the one made with the book: nothing is indexed here.
#include <QFutureWatcher>
#include <QLineEdit>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>

#include "LXA_Main.h"
#include "books/encoding.h"
#include "books/html.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/core/BookText.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/core/lexqapi.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/finder/BookSearches.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/MainAllBooks.h"

namespace ui {

namespace {

std::string Paragraph(const std::string &sentence) {
    return "<p class=\"zoekhulp\">" + books::EscapeHtml(sentence) + "</p>";
}

std::string NotePage(const std::string &sentence) {
    return "<html>\r\n  <body>\r\n    <p class=\"zoekhulp\">" + EscapePageText(sentence) +
           "</p>\r\n  </body>\r\n</html>";
}

}  // namespace

void TfrmLXAMain::ShowSearchPage(const std::string &lines) {
    // A page of the book's look without entries: the last search's hits are gone.
    m_data.SearchResults->Clear();
    // The lines are Windows-1252 page text; a UTF-8 book's page is UTF-8.
    const std::string page = WithLineAbove(
        m_data.ResultPage(), booktext::IsUtf8() ? platform::Cp1252ToUtf8(lines) : lines);
    m_viewer->LoadDocument(page.data(), page.size());
}

unsigned TfrmLXAMain::StartBeside() {
    StopBeside();
    m_besideRunning = true;
    BesideBook();
    return m_besideSearch;
}

TAllBooks &TfrmLXAMain::BesideBook() {
    if (!m_besideBook)
        m_besideBook = std::make_shared<TAllBooks>(std::vector<TLXABook *>{m_data.CurrentBook},
                                                   m_data.Paths.DataDir);
    return *m_besideBook;
}

void TfrmLXAMain::StopBeside() {
    // A worker not started yet does not start; a running one's answer is not shown.
    ++m_besideSearch;
    m_besideCurrent->store(m_besideSearch);
    m_besideRunning = false;
}

bool TfrmLXAMain::ShowPattern(const QString &typed) {
    const std::string word = typed.toStdString();
    // A Windows-1252 book refuses a character it cannot hold as its search does.
    if (!pattern::LooksLikePattern(word) || m_data.CurrentBook == nullptr ||
        (!booktext::IsUtf8() && !platform::Utf8ToCp1252Exact(word)))
        return false;
    m_finding = {};
    m_lineAbove.clear();
    // Read as the book's kind of keys wants it; sentences as Windows-1252 page text.
    const std::string text = books::Utf8ToCp1252WithReferences(word);
    std::string reason;
    const std::optional<TBookPattern> read = ReadBookPattern(word, reason);
    if (!read || !lexqapi::HasBooks()) {
        const std::string sentence =
            read ? "De zoekbibliotheek kan geen patronen zoeken."
                 : books::Utf8ToCp1252WithReferences(PatternError(word, reason));
        SetStatus(QString::fromStdString(books::Cp1252WithReferencesToUtf8(sentence)));
        ShowSearchPage("<p class=\"zoekhulp\">" + EscapePageText(sentence) + "</p>");
        return true;
    }
    const unsigned search = StartBeside();
    auto *watcher = new QFutureWatcher<TPatternAnswer>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, search, typed = text] {
        watcher->deleteLater();
        if (search != m_besideSearch)
            return;
        m_besideRunning = false;
        RunGuarded([&] {
            const TPatternAnswer found = watcher->result();
            SetStatus(QString::fromStdString(
                books::Cp1252WithReferencesToUtf8(PatternSentence(found.Total, typed))));
            ShowSearchPage(PatternLines(found.Headwords, found.Total, typed));
        });
    });
    watcher->setFuture(QtConcurrent::run(&m_allBooks->Pool,
                                         [book = m_besideBook, current = m_besideCurrent, search,
                                          pattern = *read]() -> TPatternAnswer {
                                             if (current->load() != search)
                                                 return {};
                                             return FindPattern(book->At(0), pattern,
                                                                kPatternPageLimit);
                                         }));
    return true;
}

std::optional<TfrmLXAMain::TPatternPage> TfrmLXAMain::PatternPage(const std::string &text) {
    if (!pattern::LooksLikePattern(text) || m_data.CurrentBook == nullptr)
        return std::nullopt;
    // The text and the answer are in the open book's encoding; the pattern is read as the
    // book's kind of keys wants it, the lines made as Windows-1252 page text.
    const std::string word = booktext::ToUtf8(text);
    const auto inBook = [](const std::string &utf8) {
        return booktext::FromUtf8(utf8).value_or(platform::Utf8ToCp1252(utf8));
    };
    std::string reason;
    const std::optional<TBookPattern> read = ReadBookPattern(word, reason);
    if (!read || !lexqapi::HasBooks()) {
        const std::string sentence = read ? "De zoekbibliotheek kan geen patronen zoeken."
                                          : inBook(PatternError(word, reason));
        return TPatternPage{sentence, Paragraph(sentence)};
    }
    // The popup answers at once; a pattern of the current book walks keys in milliseconds.
    const TPatternAnswer found = FindPattern(BesideBook().At(0), *read, kPatternPageLimit);
    const std::string typed = booktext::IsUtf8() ? books::Utf8ToCp1252WithReferences(word) : text;
    const std::string sentence = PatternSentence(found.Total, typed);
    const std::string lines = PatternLines(found.Headwords, found.Total, typed);
    if (!booktext::IsUtf8())
        return TPatternPage{sentence, lines};
    return TPatternPage{books::Cp1252WithReferencesToUtf8(sentence), platform::Cp1252ToUtf8(lines)};
}

void TfrmLXAMain::actFindInArticlesExecute() {
    if (m_data.CurrentBook == nullptr && ChoiceKey().empty())
        return;
    HideTypeAhead();
    m_finding = {};
    m_lineAbove.clear();
    const QString typed = edtSearchText->text();
    // Words in any script: a UTF-8 book's articles may hold them. As page text, the
    // characters beyond Windows-1252 are references.
    const std::string text = books::Utf8ToCp1252WithReferences(typed.toStdString());
    std::string error;
    const std::optional<fulltext::TQuery> query =
        fulltext::TQuery::Read(typed.toStdString(), error);
    if (!query || !lexqapi::HasBooks()) {
        const std::string sentence = !query ? "De zoekvraag klopt niet: " + error
                                            : "De zoekbibliotheek kan niet in de artikelen zoeken.";
        SetStatus(QString::fromStdString(sentence));
        if (!ChoiceKey().empty()) {
            m_allBooks->Page->Clear();
            m_allBooks->Page->ShowNote(NotePage(platform::Utf8ToCp1252(sentence)));
        } else {
            ShowSearchPage(Paragraph(platform::Utf8ToCp1252(sentence)));
        }
        return;
    }
    if (!ChoiceKey().empty()) {
        ArticlesAllBooks(text, typed.toStdString());
        return;
    }
    const unsigned search = StartBeside();
    SetStatus(QStringLiteral("Zoeken in de artikelen..."));
    auto *watcher = new QFutureWatcher<TArticleAnswer>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, search, typed = text] {
        watcher->deleteLater();
        if (search != m_besideSearch)
            return;
        m_besideRunning = false;
        RunGuarded([&] {
            const TArticleAnswer answer = watcher->result();
            SetStatus(QString::fromStdString(books::Cp1252WithReferencesToUtf8(
                answer.Trouble == TArticleAnswer::Problem::None
                    ? ArticleSentence(answer.Total, answer.Capped, typed)
                    : answer.Message)));
            ShowSearchPage(ArticleLines(answer, typed));
        });
    });
    watcher->setFuture(QtConcurrent::run(
        &m_allBooks->Pool,
        [book = m_besideBook, current = m_besideCurrent, search,
         words = typed.toStdString()]() -> TArticleAnswer {
            if (current->load() != search)
                return {};
            return FindArticles(book->At(0), words, kArticlePageLimit, /*excerpts=*/true);
        }));
}

bool TfrmLXAMain::PatternAllBooks(const std::string &word) {
    if (!pattern::LooksLikePattern(word))
        return false;
    TAllBooksState &state = *m_allBooks;
    // Read for each kind of book; the page's text is Windows-1252 with references.
    const std::string typed = books::Utf8ToCp1252WithReferences(word);
    std::string reason;
    const std::optional<TBookPattern> read = ReadBookPattern(word, reason);
    if (!read) {
        const std::string sentence = PatternError(word, reason);
        SetStatus(QString::fromStdString(sentence));
        state.Page->ShowNote(NotePage(books::Utf8ToCp1252WithReferences(sentence)));
        return true;
    }
    state.Kind = TAllBooksState::TKind::Pattern;
    state.Typed = typed;
    state.Pending =
        static_cast<int>(state.Searchers->Count() + state.Searchers->ServerBooks().size());
    AskServerPatterns(state.Search, typed, word);
    AskLocalBooks(state.Search, [pattern = *read, typed](TBookSearcher &book, const auto &) {
        return PatternBlock(book, pattern, typed);
    });
    return true;
}

void TfrmLXAMain::ArticlesAllBooks(const std::string &typed, const std::string &query) {
    TAllBooksState &state = *m_allBooks;
    ++state.Search;
    *state.Current = state.Search;
    state.Page->Clear();
    if (m_data.SearchResults)
        m_data.SearchResults->Clear();
    if (!state.Searchers)
        return;
    SetStatus(QStringLiteral("Zoeken in de artikelen..."));
    state.Kind = TAllBooksState::TKind::Articles;
    state.Typed = typed;
    // A DICT server has no search in its definitions' text: its books are not asked.
    state.Pending = static_cast<int>(state.Searchers->Count());
    AskLocalBooks(state.Search, [query, typed](TBookSearcher &book, const auto &) {
        return ArticlesBlock(book, query, typed);
    });
}

}  // namespace ui
