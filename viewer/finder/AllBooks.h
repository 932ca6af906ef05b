// Searching several books at once: one searcher per book, each with a handle of its own
// (BookHandle.h), so that every book can answer on a worker while the others still search.
// A book's answer is its own page as it would be shown alone, with the line of the base
// form it was found under; answers are ranked across books by their best hit, the order the
// single book's page gives its hits: the keyword exactly as typed, then the same without
// regard to case, then the same after folding, then a base form's hits, then the rest, and
// within one rank the catalogue's order. Texts are Windows-1252 unless said otherwise; the
// texts of a UTF-8 book, and a word typed beyond Windows-1252, are Windows-1252 page text
// whose characters beyond the code page are references ("&#380;", BookHandle.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "viewer/finder/BookHandle.h"
#include "viewer/finder/BookIndex.h"
#include "viewer/finder/WordForms.h"

class Suggester;
class TLXABook;
class TLXASearchResults;

enum class TAnswerRank { Exact, AnyCase, Folded, BaseForm, Other, Failed };

struct TBookAnswer {
    std::size_t Place = 0;  // the book's place in the choice (catalogue order)
    const TLXABook *Book = nullptr;
    std::int32_t Code = 0;  // the library's status of the search the answer shows
    TAnswerRank Rank = TAnswerRank::Other;
    std::string Typed;        // as searched
    std::string BaseForm;     // the book's headword of the base form, for TAnswerRank::BaseForm
    bool References = false;  // Typed or BaseForm may hold references (see above)
    std::string Notice;       // UTF-8: why a book failed (TAnswerRank::Failed)
    std::shared_ptr<const TLXASearchResults> Results;  // display order; null without entries
    // Instead of entries, a listing of the book's (a pattern's headwords, the articles of a
    // full-text search): page lines shown in the book's look, and how many it lists.
    std::string Listing;
    std::size_t Listed = 0;

    bool HasEntries() const;
    bool Failed() const { return Rank == TAnswerRank::Failed; }
    std::int32_t Count() const;
    // The book's page with its own stylesheet linked and the base form's line above.
    std::string Page() const;
    // The hits' bodies back to back: two books whose texts are equal show one block.
    std::string ArticleText() const;
};

// Whether a comes before b on the page: rank, then place.
bool RanksBefore(const TBookAnswer &a, const TBookAnswer &b);
// The answers that have entries or failed, in the page's order.
std::vector<std::shared_ptr<const TBookAnswer>> Ranked(
    std::vector<std::shared_ptr<const TBookAnswer>> answers);

// A headword near a typed word that has entries nowhere, and the book that has it.
struct TBookSuggestion {
    std::string Headword;
    std::size_t Place = 0;
    int Distance = 0;
};
// The nearest first, then by place and each book's own order; each headword once (under
// the first book that has it); at most limit.
std::vector<TBookSuggestion> MergeSuggestions(std::vector<std::vector<TBookSuggestion>> lists,
                                              std::size_t limit);

// One row of a book's type-ahead list: its search key and its headword.
struct TKeyRow {
    std::string Key;
    std::string Headword;
};
// The headwords of several books' lists in key order (then the books' order), each
// headword once, at most limit.
std::vector<std::string> MergeTypeAhead(const std::vector<std::vector<TKeyRow>> &lists,
                                        std::size_t limit);

// The word-form engines of the languages searched, one per language for every book and
// every thread.
class TFormsShelf {
  public:
    explicit TFormsShelf(std::string dataDir) : m_dataDir(std::move(dataDir)) {}
    // Made on first use; null for a book name that names no language.
    std::shared_ptr<WordForms> For(const std::string &bookName);

  private:
    std::string m_dataDir;
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<WordForms>> m_forms;
};

class TBookSearcher {
  public:
    TBookSearcher(const TLXABook &book, std::size_t place, TFormsShelf &forms);
    ~TBookSearcher();

    // The book's answer to the typed word: with a capital Œ that finds nothing, the word
    // with œ (as the single book searches it); else its base form's when the word has no
    // entries of its own and baseForms is set (Wait::No leaves a Hunspell dictionary not
    // yet loaded out). Never throws: a failure is an answer with a notice. Any thread; the
    // handle's lock keeps calls on the book one at a time. Once stale() says the answer is
    // no longer wanted, no further lookup is made (a slow book holds its worker no longer
    // than the lookup under way) and the answer is null.
    using TStale = std::function<bool()>;
    std::shared_ptr<const TBookAnswer> Answer(const std::string &typed, WordForms::Wait wait,
                                              bool baseForms = true, const TStale &stale = {});
    // The same for a word typed in UTF-8, in any script: a Windows-1252 book answers only
    // when it converts exactly (else it has no entries for it).
    std::shared_ptr<const TBookAnswer> AnswerUtf8(const std::string &word, WordForms::Wait wait,
                                                  bool baseForms = true, const TStale &stale = {});
    // The headwords nearest to the typed word; reads every key of the book the first time
    // any searcher of this process asks (the keys are kept while the file stays the same).
    std::vector<TBookSuggestion> Suggestions(const std::string &typed);
    std::vector<TBookSuggestion> SuggestionsUtf8(const std::string &word);
    // The type-ahead rows of the text, at most limit; empty on any failure.
    std::vector<TKeyRow> Prefix(const std::string &text, std::size_t limit);
    std::vector<TKeyRow> PrefixUtf8(const std::string &text, std::size_t limit);

    const TLXABook &Book() const { return m_book; }
    std::size_t Place() const { return m_place; }
    // The book's own handle, and its article index (opened at its first use) with the lock
    // that keeps its use one at a time: for the searches of BookSearches.h.
    TBookHandle &Handle() { return m_handle; }
    TBookIndex &Index() { return m_index; }
    std::mutex &IndexMutex() { return m_indexMutex; }

  private:
    std::int32_t SearchInto(const std::string &utf8, TBookAnswer &answer);
    std::string FirstHeadword(const std::string &key);
    bool ReadKeys();

    const TLXABook &m_book;
    std::size_t m_place;
    TFormsShelf &m_forms;
    TBookHandle m_handle;
    std::mutex m_indexMutex;
    TBookIndex m_index;
    std::mutex m_keysMutex;
    std::shared_ptr<const Suggester> m_suggester;
    bool m_keysFailed = false;
};

// A server book's answer for the page: its definitions' block (UTF-8 HTML) ranked by their
// headwords against the typed word (UTF-8) as a local book's first hit is; the server's one
// line as a failed block; no entries when it has no definitions.
std::shared_ptr<const TBookAnswer> ServerBookAnswer(const TLXABook &book, std::size_t place,
                                                    const std::string &typed,
                                                    const std::vector<std::string> &headwords,
                                                    const std::string &html,
                                                    const std::string &trouble);

// A server book's block of a pattern: the headwords (UTF-8) the server matched, listed as
// a local book's pattern block lists its keys (typed: page text, as PatternLines takes it);
// the server's one line as a failed block; null when none matched.
std::shared_ptr<const TBookAnswer> ServerPatternAnswer(const TLXABook &book, std::size_t place,
                                                       const std::string &typed,
                                                       const std::vector<std::string> &headwords,
                                                       const std::string &trouble);
// A server's words near a word found nowhere (both UTF-8) as suggestions of the book at
// place, their distance that of the folded words.
std::vector<TBookSuggestion> ServerSuggestions(const std::vector<std::string> &words,
                                               std::size_t place, const std::string &typed);
// Two type-ahead lists (UTF-8) as one in the order of their folded words: the order within
// each list is kept, on a tie the first list's word comes first, each word once, at most limit.
std::vector<std::string> MergeWordLists(const std::vector<std::string> &first,
                                        const std::vector<std::string> &second, std::size_t limit);

// The searchers of one choice of books.
class TAllBooks {
  public:
    TAllBooks(const std::vector<TLXABook *> &books, const std::string &dataDir);
    ~TAllBooks();

    // The local books; every search here is theirs.
    std::size_t Count() const { return m_searchers.size(); }
    TBookSearcher &At(std::size_t place) { return *m_searchers[place]; }
    // The books a DICT server holds, asked through the server lookups (ServerLookups.h)
    // by the caller. Their places follow the local books', so that of equal rank a local
    // book's block comes first.
    const std::vector<const TLXABook *> &ServerBooks() const { return m_serverBooks; }
    std::size_t ServerPlace(std::size_t i) const { return m_searchers.size() + i; }
    // The book at a place of the choice, local or on a server.
    const TLXABook &BookAt(std::size_t place) const;

    // Every book in turn on the calling thread, ranked (the terminal tool's way).
    std::vector<std::shared_ptr<const TBookAnswer>> SearchAll(const std::string &typed,
                                                              WordForms::Wait wait,
                                                              bool baseForms = true);
    // Nearest headwords over every book, at most limit.
    std::vector<TBookSuggestion> Suggestions(const std::string &typed, std::size_t limit);
    // The merged type-ahead list of every book.
    std::vector<std::string> TypeAhead(const std::string &text, std::size_t limit);
    // The same three for a word typed in UTF-8 (TBookSearcher::AnswerUtf8).
    std::vector<std::shared_ptr<const TBookAnswer>> SearchAllUtf8(const std::string &word,
                                                                  WordForms::Wait wait,
                                                                  bool baseForms = true);
    std::vector<TBookSuggestion> SuggestionsUtf8(const std::string &word, std::size_t limit);
    std::vector<std::string> TypeAheadUtf8(const std::string &text, std::size_t limit);

  private:
    TFormsShelf m_forms;
    std::vector<std::unique_ptr<TBookSearcher>> m_searchers;
    std::vector<const TLXABook *> m_serverBooks;
};
