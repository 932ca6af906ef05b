// The article index of a book: a file beside the book (NAME.idx -> NAME.fts), made with it
// and never later, that answers what the book's own keys cannot: every key in reverse
// letter order (patterns with a fixed end walk a range of it) and the words of every
// article (full-text search). It is an SQLite database: the reversed keys front-coded in
// blocks, the entries' headwords in blocks, and a contentless FTS5 table over headword and
// article text, whose words SQLite folds itself (case and accents), at indexing and at query
// time alike. Entries are numbered shortest article first, so that the first matches in
// number order are the likeliest best ones and a bounded query ranks those. The index of an
// enciphered book is enciphered as the book is (crypt.dll) and read into memory. A book
// without it works in every other way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "books/keys.h"
#include "books/progress.h"
#include "books/source.h"

struct sqlite3;
struct sqlite3_stmt;

namespace books {

// cipher.h's Cipher, declared again here so that readers of the index need not see the
// search library's header that cipher.h includes.
using Cipher =
    std::function<void(std::uint32_t position, std::uint8_t *data, std::uint32_t length)>;

// The article index beside a book file: its name with ".idx" replaced by ".fts".
std::string ArticleIndexPath(const std::string &bookFile);

// An article's text (Windows-1252 markup) without its markup, tags out and character
// references resolved, in UTF-8 so that characters beyond the code page survive: what is
// indexed and what an excerpt is cut from.
std::string ArticleText(std::string_view html);
// The same for a UTF-8 book's markup.
std::string ArticleTextUtf8(std::string_view html);

// A UTF-8 book's text as its index holds it: each word folded by the book's key rule
// (foldtable_utf8.h: "Żona" and "zona" are one word), digits kept, words parted by a blank
// wherever the text has no letter, digit or combining mark. The query's words are folded
// the same way (ArticleIndex::FoldsWords).
std::string FoldedWords(std::string_view utf8);

// Makes the index of a book (its entries and keys, Windows-1252) in a temporary file beside
// path and returns that file's name, for the caller to rename over path (see
// CommitTemporary). Throws InputError (Dutch) when it cannot be written, Cancelled when the
// progress callback says stop; no temporary file is left behind then. With encipher the
// file is enciphered (the index of an enciphered book).
std::string WriteArticleIndexBeside(const std::string &path,
                                    const std::vector<SourceEntry> &entries, const KeyTable &keys,
                                    Progress *progress = nullptr, const Cipher *encipher = nullptr,
                                    bool utf8 = false);

// Makes the index entry by entry, for a book compiled while its source is read: keys and
// entries in any order, the entries numbered as added. For a UTF-8 book (utf8) keys and
// entries are UTF-8, its words are stored folded (FoldedWords) and the index says so in its
// meta table; a Windows-1252 book's index is as it always was. Finish returns the temporary file
// beside path (as WriteArticleIndexBeside); a writer dropped before Finish, or one whose step
// throws InputError, leaves no file behind. Entries are kept until Finish, which numbers
// them by the length of their text.
class ArticleIndexWriter {
  public:
    explicit ArticleIndexWriter(const std::string &path, const Cipher *encipher = nullptr,
                                bool utf8 = false);
    ~ArticleIndexWriter();
    ArticleIndexWriter(const ArticleIndexWriter &) = delete;
    ArticleIndexWriter &operator=(const ArticleIndexWriter &) = delete;

    void AddKey(std::string_view key);                                // letters A to Z, or UTF-8
    void AddEntry(std::string_view headword, std::string_view body);  // Windows-1252, or UTF-8
    std::string Finish();

  private:
    void Abandon();
    struct State;
    std::unique_ptr<State> state_;
};

// Makes the index at path, whole or not at all.
void WriteArticleIndex(const std::string &path, const std::vector<SourceEntry> &entries,
                       const KeyTable &keys, Progress *progress = nullptr,
                       const Cipher *encipher = nullptr, bool utf8 = false);

class ArticleIndex {
  public:
    // Outdated: an index of an earlier format; NoCrypt: enciphered, and crypt.dll is missing.
    enum class OpenStatus { Ok, Missing, Damaged, Outdated, NoCrypt };

    // Opens the index read-only; null with the reason when it is missing or is not an
    // article index of this kind (a damaged file is found here or at the first query). An
    // enciphered one is deciphered through crypt.dll (cryptPath, else found as usual).
    static std::unique_ptr<ArticleIndex> Open(const std::string &path, OpenStatus &status,
                                              const std::string &cryptPath = "");
    ~ArticleIndex();
    ArticleIndex(const ArticleIndex &) = delete;
    ArticleIndex &operator=(const ArticleIndex &) = delete;

    // Whether the index is a UTF-8 book's: its keys UTF-8, its words folded (FoldedWords),
    // so that a query's words are folded so too.
    bool FoldsWords() const { return m_utf8; }

    // How many entries the book has (the index keeps a byte for each); nullopt when the
    // file fails.
    std::optional<std::size_t> Entries();

    // Visits every key (letters A to Z, or a UTF-8 book's) that ends with suffix, in the
    // order of the reversed keys (byte by byte), until visit returns false. False when the
    // file fails (damaged).
    bool KeysEndingWith(std::string_view suffix,
                        const std::function<bool(std::string_view key)> &visit);

    // A query: its FTS5 expression (UTF-8), how many phrases (terms) the expression names,
    // wanted ones first, and the wanted words, a match with any of them in its headword
    // being a candidate of its own.
    struct Query {
        struct Word {
            std::string text;  // UTF-8, letters and digits
            bool prefix = false;
        };
        std::string all;
        int phrases = 0;
        std::vector<Word> words;
    };
    struct Match {
        std::string headword;  // UTF-8, as the book writes it
        double score = 0;      // higher is better
    };
    struct Found {
        std::vector<Match> matches;  // best first
        std::size_t total = 0;       // every match, or at least this many when capped
        bool capped = false;
    };
    // Every match counted and ranked: what a bounded search would cut.
    static constexpr std::size_t kEvery = static_cast<std::size_t>(-1);
    // The best `limit` matches, best first: with the headword (every wanted word in it, at
    // its start), words close together, early in the text, often. A bounded search ranks
    // the headword matches and the shortest articles' matches, at most kCandidates of each,
    // and counts up to kCountCap; with kEvery, every match is ranked and counted. False with
    // SQLite's message in error when the query fails.
    static constexpr std::size_t kCandidates = 500;
    static constexpr std::size_t kCountCap = 1000;
    bool Search(const Query &query, std::size_t limit, Found &found, std::string &error);

  private:
    explicit ArticleIndex(sqlite3 *db);
    bool Rank(const std::string &expression, int phrases, std::size_t cap,
              std::vector<std::pair<double, std::int64_t>> &scored, std::string &error);
    bool Headword(std::int64_t id, std::string &headword);
    bool LoadHeadwordWords();
    bool Unpack(std::string_view packed, std::string &plain, std::size_t most);
    struct Inflater;
    std::unique_ptr<Inflater> m_inflater;
    sqlite3 *m_db;
    bool m_utf8 = false;
    std::string m_headwordWords;  // per entry, how many of its first words are the headword
    bool m_headwordWordsRead = false;
    sqlite3_stmt *m_heads = nullptr;  // reads a block of headwords
    std::int64_t m_block = -1;        // the block read last, and its names
    std::vector<std::string> m_names;
};

}  // namespace books
