// The books on DICT servers among the chosen books: each is asked on its server's worker
// (ServerLookups.h) and what it answers joins the window when it arrives, while the local
// books have answered at once: a definition's block or a pattern's headwords on the
// all-books page, the words near a miss in its note, headwords in the type-ahead list, and
// blocks on the lookup popup's page, which is asked again when they are there. An answer to
// a search made stale since is dropped.
#include <QPointer>

#include "LXA_Main.h"
#include "books/encoding.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/ServerLookups.h"
#include "viewer/ui/MainAllBooks.h"
#include "viewer/ui/TypeAhead.h"

namespace ui {

namespace {

// Asks the i-th server book of the choice; answered(i, answer) runs on the window's
// thread, while the window lives. The searchers go along, so that the books stay as long
// as an answer may still be wanted.
template <typename TAnswered>
void AskOne(TfrmLXAMain *window, TServerLookups &lookups,
            const std::shared_ptr<TAllBooks> &searchers, std::size_t i, TServerAnswer::TKind kind,
            const std::string &word, TAnswered answered) {
    const QPointer<TfrmLXAMain> guard(window);
    lookups.Request(kind, searchers->ServerBooks()[i]->ServerAddress, word,
                    [guard, searchers, i, answered](std::shared_ptr<const TServerAnswer> got) {
                        QMetaObject::invokeMethod(
                            guard,
                            [guard, i, answered, got] {
                                if (guard)
                                    RunGuarded([&] { answered(i, *got); });
                            },
                            Qt::QueuedConnection);
                    });
}

// Asks every server book of the choice, as AskOne.
template <typename TAnswered>
void AskEach(TfrmLXAMain *window, TServerLookups &lookups,
             const std::shared_ptr<TAllBooks> &searchers, TServerAnswer::TKind kind,
             const std::string &word, TAnswered answered) {
    for (std::size_t i = 0; i < searchers->ServerBooks().size(); ++i)
        AskOne(window, lookups, searchers, i, kind, word, answered);
}

std::vector<std::string> Headwords(const TServerAnswer &answer) {
    std::vector<std::string> headwords;
    for (const books::dict::Definition &definition : answer.Definitions)
        headwords.push_back(definition.word);
    return headwords;
}

std::shared_ptr<const TBookAnswer> DefinitionsBlock(const TAllBooks &searchers, std::size_t i,
                                                    const TServerAnswer &answer) {
    return ServerBookAnswer(*searchers.ServerBooks()[i], searchers.ServerPlace(i), answer.Word,
                            Headwords(answer), answer.Found() ? answer.Html : "", answer.Trouble);
}

}  // namespace

TServerLookups &TfrmLXAMain::ServerLookups() {
    if (!m_serverLookups)
        m_serverLookups = MakeServerLookups();
    return *m_serverLookups;
}

void TfrmLXAMain::AskServerBooks(unsigned search, const std::string &word) {
    const std::shared_ptr<TAllBooks> searchers = m_allBooks->Searchers;
    AskEach(this, ServerLookups(), searchers, TServerAnswer::TKind::Define, word,
            [this, search, searchers](std::size_t i, const TServerAnswer &answer) {
                AllBooksAnswered(search, DefinitionsBlock(*searchers, i, answer));
            });
}

void TfrmLXAMain::AskServerPatterns(unsigned search, const std::string &typed,
                                    const std::string &word) {
    const std::shared_ptr<TAllBooks> searchers = m_allBooks->Searchers;
    AskEach(this, ServerLookups(), searchers, TServerAnswer::TKind::Pattern, word,
            [this, search, searchers, typed](std::size_t i, const TServerAnswer &answer) {
                AllBooksAnswered(search, ServerPatternAnswer(*searchers->ServerBooks()[i],
                                                             searchers->ServerPlace(i), typed,
                                                             answer.Words, answer.Trouble));
            });
}

void TfrmLXAMain::AskServerSuggestions(unsigned search, const std::string &word) {
    const std::shared_ptr<TAllBooks> searchers = m_allBooks->Searchers;
    // A server that fails here has said so in its block already.
    AskEach(this, ServerLookups(), searchers, TServerAnswer::TKind::Near, word,
            [this, search, searchers, word](std::size_t i, const TServerAnswer &answer) {
                AllBooksSuggested(
                    search, answer.Trouble.empty()
                                ? ServerSuggestions(answer.Words, searchers->ServerPlace(i), word)
                                : std::vector<TBookSuggestion>());
            });
}

void TfrmLXAMain::AskServerSuggestionsForLookup(const std::shared_ptr<TAllBooks> &searchers,
                                                std::size_t book, const std::string &miss,
                                                const std::string &word) {
    AskOne(
        this, ServerLookups(), searchers, book, TServerAnswer::TKind::Near, word,
        [this, miss, searchers, word](std::size_t i, const TServerAnswer &answer) {
            if (m_allBooks->LookupMiss != miss || !answer.Trouble.empty() || answer.Words.empty())
                return;
            m_allBooks->LookupSuggested.push_back(
                ServerSuggestions(answer.Words, searchers->ServerPlace(i), word));
            emit WordFinderGrew();
        });
}

void TfrmLXAMain::AskServerTypeAheads(const QString &typed, const QStringList &local) {
    const std::shared_ptr<TAllBooks> searchers = m_allBooks->Searchers;
    if (!searchers || searchers->ServerBooks().empty() || typed.isEmpty() ||
        pattern::LooksLikePattern(typed.toStdString()))
        return;
    const unsigned asked = ++m_serverTypeAhead;
    // The list grows by each server's headwords as they arrive, in the order of the words.
    auto shown = std::make_shared<std::vector<std::string>>();
    for (const QString &word : local)
        shown->push_back(word.toStdString());
    AskEach(this, ServerLookups(), searchers, TServerAnswer::TKind::Prefix, typed.toStdString(),
            [this, asked, typed, shown](std::size_t, const TServerAnswer &answer) {
                if (asked != m_serverTypeAhead || m_typeAhead == nullptr || answer.Words.empty())
                    return;
                *shown = MergeWordLists(*shown, answer.Words, kTypeAheadWords);
                QStringList words;
                for (const std::string &word : *shown)
                    words << QString::fromStdString(word);
                m_typeAhead->Answer(typed, words);
            });
}

void TfrmLXAMain::AddServerLookups(const std::string &word, TLookupPage &page) {
    TAllBooksState &state = *m_allBooks;
    const std::shared_ptr<TAllBooks> searchers = state.Searchers;
    if (!searchers || searchers->ServerBooks().empty())
        return;
    const std::string asked = state.Choice + '\n' + word;
    if (asked != state.LookupServed) {
        // A new word: asked once; each block is kept for the popup's next asking.
        state.LookupServed = asked;
        state.LookupServerBlocks.clear();
        AskEach(
            this, ServerLookups(), searchers, TServerAnswer::TKind::Define, word,
            [this, asked, searchers, word](std::size_t i, const TServerAnswer &answer) {
                if (m_allBooks->LookupServed != asked)
                    return;
                m_allBooks->LookupServerBlocks.push_back(DefinitionsBlock(*searchers, i, answer));
                // Found nowhere so far: the book's words near it. Asked only now, as a
                // book's request waiting for its server gives way to a newer one.
                if (!answer.Found() && answer.Trouble.empty() && m_allBooks->LookupMiss == asked)
                    AskServerSuggestionsForLookup(searchers, i, asked, word);
                emit WordFinderGrew();
            });
        return;
    }
    page.Answers.insert(page.Answers.end(), state.LookupServerBlocks.begin(),
                        state.LookupServerBlocks.end());
    page.Answers = Ranked(std::move(page.Answers));
}

}  // namespace ui
