// Full-text search in the open book's articles through its article index: the entries
// whose text holds every word asked for, best first, each with its headword and a line of
// its article with the words marked. The index is the one the book was made with; a book
// without one, or with a damaged one, gets a Dutch sentence that says how to make it.
// Runs on the thread that searches (the excerpts read the book through the library).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "viewer/finder/FullTextQuery.h"

class TBookIndex;

// How many entries a full-text page lists per book.
inline constexpr std::size_t kArticlePageLimit = 200;

struct TArticleHit {
    std::string Headword;  // Windows-1252, as the book writes it
    std::string Excerpt;   // page markup (Windows-1252): a line of the article, words in <b>
};

struct TArticleAnswer {
    enum class Problem { None, BadQuery, NoIndex, DamagedIndex };
    Problem Trouble = Problem::None;
    std::string Message;  // the Dutch sentence for a problem (Windows-1252)
    std::vector<TArticleHit> Hits;
    std::size_t Total = 0;  // every matching entry
};

// Searches the open book's articles for the query (UTF-8), at most limit hits; with
// excerpts, each hit's line is cut from its article. bookName is how the sentences name
// the book and how "lexqc index" is told which book to index.
TArticleAnswer SearchArticles(TBookIndex &index, const std::string &query, std::size_t limit,
                              bool excerpts, const std::string &bookName);

// The line of an article's text (UTF-8, without markup: books::ArticleText) around the
// first of the query's words, those words in <b>, as page markup in Windows-1252 (a
// character beyond it as a reference); the text's start when none of the words is in it.
std::string Excerpt(const std::string &text, const fulltext::TQuery &query);

// "N artikelen bevatten 'VRAAG'." (Windows-1252).
std::string ArticleSentence(std::size_t total, const std::string &typed);

// The page's lines: the sentence, then each hit's headword (a link that searches it) and
// excerpt, and how many more matched than are listed; or the problem's sentence.
std::string ArticleLines(const TArticleAnswer &answer, const std::string &typed);
