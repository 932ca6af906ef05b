#include "books/article_index.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "books/diagnostics.h"
#include "books/safe_file.h"
#include "platform/cp1252.h"

namespace books {

namespace {

// The first row of the meta table; another value is another kind of file.
constexpr const char *kFormat = "taalkist-artikelindex 1";

constexpr const char *kSchema =
    "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE reversed(rkey TEXT PRIMARY KEY) WITHOUT ROWID;"
    "CREATE TABLE entry(id INTEGER PRIMARY KEY, headword TEXT NOT NULL);"
    // Contentless: the words and their places, not the text, which the book holds.
    // Places are kept (detail=full) so that a phrase is answered by the index itself, and
    // the columns' sizes, without which the rank cannot favour a word in the headword.
    "CREATE VIRTUAL TABLE articles USING fts5(headword, body, content='', detail=full,"
    " tokenize='unicode61 remove_diacritics 2');";

// A prepared statement, finalized however its use ends.
class Statement {
  public:
    Statement(sqlite3 *db, const char *sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }

  private:
    sqlite3_stmt *m_statement = nullptr;
};

void BindText(sqlite3_stmt *statement, int column, std::string_view text) {
    sqlite3_bind_text(statement, column, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

std::string_view ColumnText(sqlite3_stmt *statement, int column) {
    const unsigned char *text = sqlite3_column_text(statement, column);
    return text == nullptr ? std::string_view()
                           : std::string_view(
                                 reinterpret_cast<const char *>(text),
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The character a reference names, as UTF-8; a blank for one we do not know.
std::string Reference(std::string_view name) {
    static const std::pair<std::string_view, char32_t> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
    char32_t code = ' ';
    for (const auto &[named, value] : kNamed)
        if (name == named)
            code = value;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        char *end = nullptr;
        const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && *end == '\0' && value >= 0x20 && value <= 0x10FFFF)
            code = static_cast<char32_t>(value);
    }
    std::string utf8;
    platform::AppendUtf8(utf8, code);
    return utf8;
}

// Fails with a Dutch message naming the file and SQLite's reason.
[[noreturn]] void Fail(const std::string &path, sqlite3 *db) {
    // A full or failing disk is said as for the book itself, not in SQLite's English.
    const int code = db != nullptr ? (sqlite3_errcode(db) & 0xFF) : SQLITE_NOMEM;
    if (code == SQLITE_FULL || code == SQLITE_IOERR)
        throw InputError("De artikelindex '" + path +
                         "' kan niet worden opgeslagen: de schijf is vol of niet beschrijfbaar.");
    const std::string reason = db != nullptr ? sqlite3_errmsg(db) : "geen geheugen";
    throw InputError("De artikelindex '" + path + "' kan niet worden gemaakt: " + reason + ".");
}

void Run(sqlite3 *db, const std::string &path, const char *sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(path, db);
}

void Begin(sqlite3 *db, const std::string &path) {
    Run(db, path, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=4096;");
    Run(db, path, kSchema);
    Run(db, path, "BEGIN");
    Statement meta(db, "INSERT INTO meta(name, value) VALUES('format', ?)");
    if (!meta)
        Fail(path, db);
    BindText(meta.get(), 1, kFormat);
    if (sqlite3_step(meta.get()) != SQLITE_DONE)
        Fail(path, db);
}

}  // namespace

std::string ArticleIndexPath(const std::string &bookFile) {
    const std::size_t slash = bookFile.find_last_of("/\\");
    const std::size_t dot = bookFile.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return bookFile + ".fts";
    return bookFile.substr(0, dot) + ".fts";
}

std::string ArticleText(std::string_view html) {
    std::string text;
    text.reserve(html.size());
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') {
            // A tag parts words as a blank would ("<li>a</li><li>b</li>" is two words).
            const std::size_t end = html.find('>', i);
            i = end == std::string_view::npos ? html.size() : end;
            if (!text.empty() && text.back() != ' ')
                text += ' ';
        } else if (c == '&') {
            const std::size_t end = html.find(';', i);
            if (end == std::string_view::npos || end - i > 10) {
                text += '&';
                continue;
            }
            text += Reference(html.substr(i + 1, end - i - 1));
            i = end;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            text += ' ';
        } else {
            platform::AppendUtf8(text, platform::Cp1252ToUnicode(static_cast<unsigned char>(c)));
        }
    }
    if (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

struct ArticleIndexWriter::State {
    std::string path;
    std::string temporary;
    sqlite3 *db = nullptr;
    std::unique_ptr<Statement> reversed, entry, article;
    sqlite3_int64 entries = 0;
    bool finished = false;
};

ArticleIndexWriter::ArticleIndexWriter(const std::string &path)
    : state_(std::make_unique<State>()) {
    State &s = *state_;
    s.path = path;
    // An empty temporary file is a new database to SQLite; the rename makes it the index.
    // Named as this process's work, so that clearing an earlier run's leftovers while the
    // book streams in does not take it.
    s.temporary = TemporaryFile(path).Finish();
    try {
        if (sqlite3_open_v2(s.temporary.c_str(), &s.db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK)
            Fail(path, s.db);
        Begin(s.db, path);
        s.reversed =
            std::make_unique<Statement>(s.db, "INSERT OR IGNORE INTO reversed(rkey) VALUES(?)");
        s.entry = std::make_unique<Statement>(s.db, "INSERT INTO entry(id, headword) VALUES(?, ?)");
        s.article = std::make_unique<Statement>(
            s.db, "INSERT INTO articles(rowid, headword, body) VALUES(?, ?, ?)");
        if (!*s.reversed || !*s.entry || !*s.article)
            Fail(path, s.db);
    } catch (...) {
        Abandon();
        throw;
    }
}

ArticleIndexWriter::~ArticleIndexWriter() {
    if (!state_->finished)
        Abandon();
}

void ArticleIndexWriter::Abandon() {
    State &s = *state_;
    s.reversed.reset();
    s.entry.reset();
    s.article.reset();
    sqlite3_close(s.db);
    s.db = nullptr;
    RemoveQuietly(s.temporary);
    s.finished = true;
}

void ArticleIndexWriter::AddKey(std::string_view key) {
    State &s = *state_;
    const std::string rkey(key.rbegin(), key.rend());
    BindText(s.reversed->get(), 1, rkey);
    if (sqlite3_step(s.reversed->get()) != SQLITE_DONE)
        Fail(s.path, s.db);
    sqlite3_reset(s.reversed->get());
}

void ArticleIndexWriter::AddEntry(std::string_view headword, std::string_view body) {
    State &s = *state_;
    const std::string utf8 = platform::Cp1252ToUtf8(headword);
    const sqlite3_int64 id = ++s.entries;
    sqlite3_bind_int64(s.entry->get(), 1, id);
    BindText(s.entry->get(), 2, utf8);
    sqlite3_bind_int64(s.article->get(), 1, id);
    BindText(s.article->get(), 2, utf8);
    BindText(s.article->get(), 3, ArticleText(body));
    if (sqlite3_step(s.entry->get()) != SQLITE_DONE ||
        sqlite3_step(s.article->get()) != SQLITE_DONE)
        Fail(s.path, s.db);
    sqlite3_reset(s.entry->get());
    sqlite3_reset(s.article->get());
}

std::string ArticleIndexWriter::Finish() {
    State &s = *state_;
    try {
        s.reversed.reset();
        s.entry.reset();
        s.article.reset();
        Run(s.db, s.path, "COMMIT");
        // One b-tree per term instead of many small segments: smaller and faster to query.
        Run(s.db, s.path, "INSERT INTO articles(articles) VALUES('optimize'); VACUUM;");
        if (sqlite3_close(s.db) != SQLITE_OK)
            Fail(s.path, s.db);
        s.db = nullptr;
        // SQLite wrote without syncing; the file reaches the disk before its rename.
        const int fd = ::open(s.temporary.c_str(), O_RDONLY | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!synced)
            throw InputError("De artikelindex '" + s.path + "' kan niet worden opgeslagen.");
    } catch (...) {
        Abandon();
        throw;
    }
    s.finished = true;
    return s.temporary;
}

std::string WriteArticleIndexBeside(const std::string &path,
                                    const std::vector<SourceEntry> &entries, const KeyTable &keys,
                                    Progress *progress) {
    Progress none(nullptr);
    Progress &bar = progress != nullptr ? *progress : none;
    ArticleIndexWriter writer(path);
    for (const auto &[key, hits] : keys.keys)
        writer.AddKey(key);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        writer.AddEntry(entries[i].headword, entries[i].body);
        bar.Step(i + 1, entries.size());
    }
    return writer.Finish();
}

void WriteArticleIndex(const std::string &path, const std::vector<SourceEntry> &entries,
                       const KeyTable &keys, Progress *progress) {
    const std::string temporary = WriteArticleIndexBeside(path, entries, keys, progress);
    try {
        CommitTemporary(temporary, path);
    } catch (...) {
        RemoveQuietly(temporary);
        throw;
    }
}

std::unique_ptr<ArticleIndex> ArticleIndex::Open(const std::string &path, OpenStatus &status) {
    status = OpenStatus::Missing;
    if (::access(path.c_str(), R_OK) != 0)
        return nullptr;
    status = OpenStatus::Damaged;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<ArticleIndex> index(new ArticleIndex(db));
    {
        Statement format(db, "SELECT value FROM meta WHERE name = 'format'");
        if (!format || sqlite3_step(format.get()) != SQLITE_ROW ||
            ColumnText(format.get(), 0) != kFormat)
            return nullptr;
        // The tables the queries read, so that a file of another kind fails here.
        Statement tables(db,
                         "SELECT count(*) FROM sqlite_schema WHERE name IN"
                         " ('reversed', 'entry', 'articles')");
        if (!tables || sqlite3_step(tables.get()) != SQLITE_ROW ||
            sqlite3_column_int(tables.get(), 0) != 3)
            return nullptr;
    }
    status = OpenStatus::Ok;
    return index;
}

ArticleIndex::~ArticleIndex() {
    sqlite3_close(m_db);
}

bool ArticleIndex::KeysEndingWith(std::string_view suffix,
                                  const std::function<bool(std::string_view key)> &visit) {
    Statement range(m_db, "SELECT rkey FROM reversed WHERE rkey >= ?1 AND rkey < ?1 || '~'");
    if (!range)
        return false;
    // Keys hold the letters A to Z only, all below '~': the range is every key with the
    // reversed suffix at its start.
    BindText(range.get(), 1, std::string(suffix.rbegin(), suffix.rend()));
    int step;
    std::string key;
    while ((step = sqlite3_step(range.get())) == SQLITE_ROW) {
        const std::string_view rkey = ColumnText(range.get(), 0);
        key.assign(rkey.rbegin(), rkey.rend());
        if (!visit(key))
            return true;
    }
    return step == SQLITE_DONE;
}

bool ArticleIndex::Search(const std::string &query, std::size_t limit, std::vector<Match> &matches,
                          std::size_t &total, std::string &error) {
    matches.clear();
    total = 0;
    // A word in the headword weighs as much as ten in the text.
    Statement ranked(m_db,
                     "SELECT rowid, bm25(articles, 10.0, 1.0) AS r FROM articles"
                     " WHERE articles MATCH ? ORDER BY r");
    Statement headword(m_db, "SELECT headword FROM entry WHERE id = ?");
    if (!ranked || !headword) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    BindText(ranked.get(), 1, query);
    int step;
    while ((step = sqlite3_step(ranked.get())) == SQLITE_ROW) {
        if (total++ >= limit)
            continue;
        sqlite3_bind_int64(headword.get(), 1, sqlite3_column_int64(ranked.get(), 0));
        if (sqlite3_step(headword.get()) != SQLITE_ROW) {
            error = "een artikel van de index ontbreekt";
            return false;
        }
        matches.push_back(
            {std::string(ColumnText(headword.get(), 0)), sqlite3_column_double(ranked.get(), 1)});
        sqlite3_reset(headword.get());
    }
    if (step != SQLITE_DONE) {
        error = sqlite3_errmsg(m_db);
        matches.clear();
        total = 0;
        return false;
    }
    return true;
}

}  // namespace books
