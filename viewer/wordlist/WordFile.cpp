#include "viewer/wordlist/WordFile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <iterator>

#include "platform/encoding.h"

namespace wordlist {

namespace {

constexpr const char *kLayout =
    "CREATE TABLE lists(name TEXT PRIMARY KEY NOT NULL, created TEXT NOT NULL);"
    "CREATE TABLE words(id INTEGER PRIMARY KEY, list TEXT NOT NULL, headword TEXT NOT NULL,"
    " book TEXT NOT NULL, html TEXT NOT NULL, plain TEXT NOT NULL, typed TEXT NOT NULL,"
    " base TEXT NOT NULL, added TEXT NOT NULL, UNIQUE(list, book, headword, html));"
    "CREATE INDEX words_entry ON words(book, headword);";

// The columns each table must have, in the order the readers select them.
constexpr const char *kListColumns[] = {"name", "created"};
constexpr const char *kWordColumns[] = {"id",    "list",  "headword", "book", "html",
                                        "plain", "typed", "base",     "added"};

TReadStatus FromSqlite(int code) {
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
            return TReadStatus::NotADatabase;
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return TReadStatus::Ok;
        default:
            return TReadStatus::Damaged;
    }
}

// One integer PRAGMA; Damaged when SQLite cannot answer it.
TReadStatus Pragma(sqlite3 *db, const char *sql, int &value) {
    sqlite3_stmt *statement = nullptr;
    int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (code == SQLITE_OK) {
        code = sqlite3_step(statement);
        if (code == SQLITE_ROW)
            value = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
    return code == SQLITE_ROW
               ? TReadStatus::Ok
               : (FromSqlite(code) == TReadStatus::Ok ? TReadStatus::Damaged : FromSqlite(code));
}

// Whether the table has every column the readers select (more columns are a later
// layout's business and are ignored).
TReadStatus HasColumns(sqlite3 *db, const char *table, const char *const *columns,
                       std::size_t count) {
    const std::string sql = std::string("PRAGMA table_info(") + table + ")";
    sqlite3_stmt *statement = nullptr;
    int code = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    std::vector<bool> seen(count, false);
    while (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(statement, 1));
        for (std::size_t i = 0; i < count; ++i)
            if (name != nullptr && std::strcmp(name, columns[i]) == 0)
                seen[i] = true;
        code = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    if (code != SQLITE_DONE)
        return FromSqlite(code) == TReadStatus::Ok ? TReadStatus::Damaged : FromSqlite(code);
    for (const bool have : seen)
        if (!have)
            return TReadStatus::WrongLayout;
    return TReadStatus::Ok;
}

// A text column: NULL, a non-text value or text that is not UTF-8 make the row bad.
bool ReadText(sqlite3_stmt *statement, int column, std::string &text, bool keep = true) {
    if (sqlite3_column_type(statement, column) != SQLITE_TEXT)
        return false;
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    const std::string_view read(bytes != nullptr ? bytes : "",
                                static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
    if (!keep)
        return true;
    text.assign(read);
    return platform::IsUtf8(read);
}

template <typename Row>
TReadStatus ReadRows(sqlite3 *db, const char *sql, const Row &row) {
    sqlite3_stmt *statement = nullptr;
    int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    TReadStatus status = TReadStatus::Ok;
    while (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!row(statement)) {
            status = TReadStatus::BadRow;
            break;
        }
        code = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    if (status != TReadStatus::Ok)
        return status;
    if (code != SQLITE_DONE)
        return FromSqlite(code) == TReadStatus::Ok ? TReadStatus::Damaged : FromSqlite(code);
    return TReadStatus::Ok;
}

}  // namespace

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool CreateLayout(sqlite3 *db) {
    const std::string sql = std::string("BEGIN;") + kLayout +
                            "PRAGMA application_id = " + std::to_string(kApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kFileVersion) + "; COMMIT;";
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

TReadStatus ReadWordFile(sqlite3 *db, TWordFileContents &contents, bool &empty, bool texts) {
    contents = {};
    empty = false;
    int application = 0, version = 0, tables = 0;
    // The header's application id tells our file from another program's database.
    TReadStatus status = Pragma(db, "PRAGMA application_id", application);
    if (status == TReadStatus::Ok)
        status = Pragma(db, "PRAGMA user_version", version);
    // Reading the schema reads page 1 whole: a damaged first page shows here.
    if (status == TReadStatus::Ok)
        status = Pragma(db, "SELECT count(*) FROM sqlite_schema", tables);
    if (status != TReadStatus::Ok)
        return status;
    if (application == 0 && version == 0 && tables == 0) {
        empty = true;
        return TReadStatus::Ok;
    }
    if (application != kApplicationId)
        return TReadStatus::OtherFile;
    if (version > kFileVersion)
        return TReadStatus::Newer;
    if (version < 1)
        return TReadStatus::WrongLayout;
    status = HasColumns(db, "lists", kListColumns, std::size(kListColumns));
    if (status == TReadStatus::Ok)
        status = HasColumns(db, "words", kWordColumns, std::size(kWordColumns));
    if (status == TReadStatus::Ok)
        status = ReadRows(db, "SELECT name FROM lists ORDER BY name", [&](sqlite3_stmt *row) {
            std::string name;
            if (!ReadText(row, 0, name) || name.empty())
                return false;
            contents.Lists.push_back(std::move(name));
            return true;
        });
    if (status == TReadStatus::Ok)
        status = ReadRows(
            db,
            "SELECT id, list, headword, book, html, plain, typed, base, added "
            "FROM words ORDER BY id",
            [&](sqlite3_stmt *row) {
                TWordEntry entry;
                entry.Id = sqlite3_column_int64(row, 0);
                const bool read =
                    ReadText(row, 1, entry.List) && ReadText(row, 2, entry.Headword) &&
                    ReadText(row, 3, entry.Book) && ReadText(row, 4, entry.Html, texts) &&
                    ReadText(row, 5, entry.Plain, texts) && ReadText(row, 6, entry.Typed) &&
                    ReadText(row, 7, entry.BaseForm) && ReadText(row, 8, entry.Added);
                if (!read)
                    return false;
                contents.Words.push_back(std::move(entry));
                return true;
            });
    if (status != TReadStatus::Ok) {
        contents = {};
        return status;
    }
    // Every row's list must be listed: a row outside the lists could never be shown.
    for (const TWordEntry &entry : contents.Words)
        if (!std::binary_search(contents.Lists.begin(), contents.Lists.end(), entry.List)) {
            contents = {};
            return TReadStatus::BadRow;
        }
    return TReadStatus::Ok;
}

TReadStatus ReadWordFileBytes(std::string_view bytes, TWordFileContents &contents) {
    contents = {};
    sqlite3 *db = nullptr;
    TReadStatus status = TReadStatus::Damaged;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        // The bytes are copied into SQLite's own buffer, which it frees on close.
        auto *copy = static_cast<unsigned char *>(sqlite3_malloc64(bytes.size() + 1));
        if (copy != nullptr) {
            if (!bytes.empty())
                std::memcpy(copy, bytes.data(), bytes.size());
            // A closed file in write-ahead mode has its log folded in; memory databases
            // have no log, so the header's read and write versions (bytes 18, 19) say
            // "rollback journal" instead.
            if (bytes.size() >= 100 && copy[18] == 2 && copy[19] == 2)
                copy[18] = copy[19] = 1;
            const int code =
                sqlite3_deserialize(db, "main", copy, static_cast<sqlite3_int64>(bytes.size()),
                                    static_cast<sqlite3_int64>(bytes.size() + 1),
                                    SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY);
            bool empty = false;
            status = code == SQLITE_OK ? ReadWordFile(db, contents, empty) : FromSqlite(code);
        }
    }
    sqlite3_close(db);
    return status;
}

std::string ReadStatusText(TReadStatus status) {
    switch (status) {
        case TReadStatus::Ok:
            return "is in orde";
        case TReadStatus::NotADatabase:
            return "is geen SQLite-bestand";
        case TReadStatus::Damaged:
            return "is beschadigd";
        case TReadStatus::OtherFile:
            return "is een database van een ander programma";
        case TReadStatus::Newer:
            return "is geschreven door een nieuwere versie van Taalkist";
        case TReadStatus::WrongLayout:
            return "mist tabellen of kolommen van een woordenlijst";
        case TReadStatus::BadRow:
            return "heeft regels die niet te lezen zijn";
    }
    return "is onleesbaar";
}

}  // namespace wordlist
