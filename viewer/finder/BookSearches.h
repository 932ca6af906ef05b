// Patterns and full-text searches in one book through its own handle and article index
// (TBookSearcher, AllBooks.h), so that they run on a worker: for the current book, and for
// each book of a choice, one block per book. Texts are Windows-1252 unless said otherwise.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "viewer/finder/ArticleSearch.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/PatternSearch.h"

class TBookHandle;
class TBookSearcher;
struct TBookAnswer;

// The book's keys through its handle, a slice at a time.
TForwardKeys HandleKeys(TBookHandle &handle);

struct TPatternAnswer {
    std::vector<std::string> Headwords;  // in key order, at most the limit
    std::size_t Total = 0;               // every matching key
    bool Failed = false;                 // the book's keys could not be read
};

// The pattern's keys in the book, each as the book writes it. A fixed end walks the article
// index's reversed keys; an index that fails is refused and every key walked instead. A
// pattern of the other kind of book's keys has none.
TPatternAnswer FindPattern(TBookSearcher &book, const pattern::TPattern &pattern,
                           std::size_t limit);

// A typed pattern (UTF-8) as each kind of book reads it: a Windows-1252 book's reading
// only when the text converts exactly (else such a book has no key for it), a UTF-8
// book's by its key rule (none when that reading fails).
struct TBookPattern {
    std::optional<pattern::TPattern> Cp1252, Utf8;
    const pattern::TPattern *For(bool utf8Book) const;
};
// Nullopt with the reader's Dutch sentence (UTF-8) in error for a malformed pattern.
std::optional<TBookPattern> ReadBookPattern(const std::string &typed, std::string &error);
TPatternAnswer FindPattern(TBookSearcher &book, const TBookPattern &pattern, std::size_t limit);

// Full text in the book (query UTF-8), excerpts read through the book's handle.
TArticleAnswer FindArticles(TBookSearcher &book, const std::string &query, std::size_t limit,
                            bool excerpts);

// A block of the all-books page: the book's pattern page or full-text page in its look,
// or its notice when it failed; null when the book has nothing to list.
std::shared_ptr<const TBookAnswer> PatternBlock(TBookSearcher &book,
                                                const pattern::TPattern &pattern,
                                                const std::string &typed);
std::shared_ptr<const TBookAnswer> PatternBlock(TBookSearcher &book, const TBookPattern &pattern,
                                                const std::string &typed);
std::shared_ptr<const TBookAnswer> ArticlesBlock(TBookSearcher &book, const std::string &query,
                                                 const std::string &typed);
