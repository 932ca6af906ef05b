// The article index of a book: a file beside the book (NAME.idx -> NAME.fts), made with it
// and never later, that answers what the book's own keys cannot: every key in reverse
// letter order (patterns with a fixed end walk a range of it) and the words of every
// article (full-text search). It is an SQLite database: a table of reversed keys and a
// contentless FTS5 table over headword and article text, whose words SQLite folds itself
// (case and accents), at indexing and at query time alike. A book without it works in
// every other way.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "books/keys.h"
#include "books/progress.h"
#include "books/source.h"

struct sqlite3;

namespace books {

// The article index beside a book file: its name with ".idx" replaced by ".fts".
std::string ArticleIndexPath(const std::string &bookFile);

// An article's text (Windows-1252 markup) without its markup, tags out and character
// references resolved, in UTF-8 so that characters beyond the code page survive: what is
// indexed and what an excerpt is cut from.
std::string ArticleText(std::string_view html);

// Makes the index of a book (its entries and keys, Windows-1252) in a temporary file beside
// path and returns that file's name, for the caller to rename over path (see
// CommitTemporary). Throws InputError (Dutch) when it cannot be written, Cancelled when the
// progress callback says stop; no temporary file is left behind then.
std::string WriteArticleIndexBeside(const std::string &path,
                                    const std::vector<SourceEntry> &entries, const KeyTable &keys,
                                    Progress *progress = nullptr);

// Makes the index entry by entry, for a book compiled while its source is read: keys and
// entries in any order, the entries numbered as added. Finish returns the temporary file
// beside path (as WriteArticleIndexBeside); a writer dropped before Finish, or one whose step
// throws InputError, leaves no file behind.
class ArticleIndexWriter {
  public:
    explicit ArticleIndexWriter(const std::string &path);
    ~ArticleIndexWriter();
    ArticleIndexWriter(const ArticleIndexWriter &) = delete;
    ArticleIndexWriter &operator=(const ArticleIndexWriter &) = delete;

    void AddKey(std::string_view key);                                // letters A to Z
    void AddEntry(std::string_view headword, std::string_view body);  // Windows-1252
    std::string Finish();

  private:
    void Abandon();
    struct State;
    std::unique_ptr<State> state_;
};

// Makes the index at path, whole or not at all.
void WriteArticleIndex(const std::string &path, const std::vector<SourceEntry> &entries,
                       const KeyTable &keys, Progress *progress = nullptr);

class ArticleIndex {
  public:
    enum class OpenStatus { Ok, Missing, Damaged };

    // Opens the index read-only; null with the reason when it is missing or is not an
    // article index of this kind (a damaged file is found here or at the first query).
    static std::unique_ptr<ArticleIndex> Open(const std::string &path, OpenStatus &status);
    ~ArticleIndex();
    ArticleIndex(const ArticleIndex &) = delete;
    ArticleIndex &operator=(const ArticleIndex &) = delete;

    // Visits every key (letters A to Z) that ends with suffix, in the order of the
    // reversed keys, until visit returns false. False when the file fails (damaged).
    bool KeysEndingWith(std::string_view suffix,
                        const std::function<bool(std::string_view key)> &visit);

    struct Match {
        std::string headword;  // UTF-8, as the book writes it
        double rank = 0;       // lower is better
    };
    // Runs an FTS5 query (UTF-8): the best `limit` matches, best first, and in total the
    // number of all matches. False with SQLite's message in error when the query fails.
    bool Search(const std::string &query, std::size_t limit, std::vector<Match> &matches,
                std::size_t &total, std::string &error);

  private:
    explicit ArticleIndex(sqlite3 *db) : m_db(db) {}
    sqlite3 *m_db;
};

}  // namespace books
