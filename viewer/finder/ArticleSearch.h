// Full-text search in the open book's articles through its article index: the entries
// whose text holds every word asked for, best first, each with its headword and a line of
// its article with the words marked. The index is the one the book was made with; a book
// without one, or with a damaged one, gets a Dutch sentence that says how to make it.
// Runs on the thread that searches (the excerpts read the book through the library).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "books/article_index.h"
#include "viewer/finder/FullTextQuery.h"

class TBookIndex;

// How many entries a full-text page lists per book.
inline constexpr std::size_t kArticlePageLimit = 200;

struct TArticleHit {
    std::string Headword;  // Windows-1252, as the book writes it
    std::string Excerpt;   // page markup (Windows-1252): a line of the article, words in <b>
};

struct TArticleAnswer {
    enum class Problem { None, BadQuery, NoIndex, DamagedIndex, OutdatedIndex, NoCrypt };
    Problem Trouble = Problem::None;
    std::string Message;  // the Dutch sentence for a problem (Windows-1252)
    std::vector<TArticleHit> Hits;
    std::size_t Total = 0;  // every matching entry, or at least this many when capped
    bool Capped = false;
};

// A search of every match, all ranked and counted (lexq), instead of a page's worth.
inline constexpr std::size_t kEveryArticle = static_cast<std::size_t>(-1);

// Searches the open book's articles for the query (UTF-8), at most limit hits (a bounded
// search ranks the likeliest best matches and counts up to a cap; kEveryArticle: all); with
// excerpts, each hit's line is cut from its article, read through them. bookName is how the
// sentences name the book and how "lexqc index" is told which book to index. The bodies of the
// entries with that headword (Windows-1252), as the book has them.
using TBodies = std::function<std::vector<std::string>(const std::string &headword)>;
// The open book's, through the process's library (HitBodies).
TBodies OpenBookBodies();

TArticleAnswer SearchArticles(TBookIndex &index, const std::string &query, std::size_t limit,
                              const TBodies &excerpts, const std::string &bookName);

// The query as the article index takes it.
books::ArticleIndex::Query IndexQuery(const fulltext::TQuery &query);

// The line of an article's text (UTF-8, without markup: books::ArticleText) around the
// first of the query's words, those words in <b>, as page markup in Windows-1252 (a
// character beyond it as a reference); the text's start when none of the words is in it.
// utf8: the words compare as a UTF-8 book's index folds them (books::FoldedWords).
std::string Excerpt(const std::string &text, const fulltext::TQuery &query, bool utf8 = false);

// A query's words folded as a UTF-8 book's index holds them, its signs kept.
std::string FoldedQuery(std::string_view query);

// "N artikelen bevatten 'VRAAG'." or, capped, "Meer dan N artikelen ..." (Windows-1252).
std::string ArticleSentence(std::size_t total, bool capped, const std::string &typed);

// The page's lines: the sentence, then each hit's headword (a link that searches it) and
// excerpt, and how many more matched than are listed; or the problem's sentence.
std::string ArticleLines(const TArticleAnswer &answer, const std::string &typed);
