#include "viewer/wordlist/WordStore.h"

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace wordlist {

namespace {

namespace fs = std::filesystem;

// A prepared statement that finalises itself on every way out.
class TStatement {
  public:
    TStatement(sqlite3 *db, const char *sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~TStatement() { sqlite3_finalize(m_statement); }
    TStatement(const TStatement &) = delete;
    TStatement &operator=(const TStatement &) = delete;

    bool Ok() const { return m_statement != nullptr; }
    TStatement &Bind(int at, const std::string &text) {
        sqlite3_bind_text(m_statement, at, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    TStatement &Bind(int at, std::int64_t value) {
        sqlite3_bind_int64(m_statement, at, value);
        return *this;
    }
    int Step() { return m_statement != nullptr ? sqlite3_step(m_statement) : SQLITE_ERROR; }
    std::string Text(int column) const {
        const auto *bytes =
            reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return bytes != nullptr
                   ? std::string(
                         bytes, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                   : std::string();
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(m_statement, column); }

  private:
    sqlite3_stmt *m_statement = nullptr;
};

// A free name beside the file for keeping a damaged one: "NAME.beschadigd-DATE[-N].sqlite".
fs::path AsideName(const fs::path &file) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y%m%d-%H%M%S", &local);
    const std::string stem = file.stem().string() + ".beschadigd-" + date;
    fs::path aside = file.parent_path() / (stem + file.extension().string());
    for (int n = 2; fs::exists(aside) && n < 1000; ++n)
        aside = file.parent_path() / (stem + "-" + std::to_string(n) + file.extension().string());
    return aside;
}

sqlite3 *OpenFile(const std::string &path, int &code) {
    sqlite3 *db = nullptr;
    code =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    // The viewer and lexq may write at the same moment: wait for the other's transaction.
    sqlite3_busy_timeout(db, 3000);
    // Reading the whole list through a mapping copies no page: opening a long list is
    // reading it once.
    sqlite3_exec(db, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    return db;
}

}  // namespace

std::string TWordStore::DefaultPath() {
    const char *data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char *home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.local/share";
    }
    return base + "/taalkist/woordenlijst.sqlite";
}

std::unique_ptr<TWordStore> TWordStore::Open(const std::string &path, std::string &message) {
    message.clear();
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    int code = SQLITE_OK;
    sqlite3 *db = OpenFile(path, code);
    if (db == nullptr) {
        message =
            "De woordenlijst '" + path + "' kan niet worden geopend: " + sqlite3_errstr(code) + ".";
        return nullptr;
    }
    TWordFileContents contents;
    bool empty = false;
    const TReadStatus status = ReadWordFile(db, contents, empty, /*texts=*/false);
    if (status == TReadStatus::Newer) {
        sqlite3_close(db);
        message = "De woordenlijst '" + path + "' " + ReadStatusText(status) +
                  " en wordt niet gewijzigd.";
        return nullptr;
    }
    if (status != TReadStatus::Ok) {
        // Kept aside whole, with what SQLite may still hold in its journals beside it.
        sqlite3_close(db);
        const fs::path aside = AsideName(path);
        std::error_code error;
        fs::rename(path, aside, error);
        for (const char *sidecar : {"-wal", "-journal", "-shm"})
            if (fs::exists(path + sidecar, ignored))
                fs::rename(path + sidecar, aside.string() + sidecar, ignored);
        if (error) {
            message = "De woordenlijst '" + path + "' " + ReadStatusText(status) +
                      " en kan niet opzij worden gezet: " + error.message() + ".";
            return nullptr;
        }
        message = "De woordenlijst '" + path + "' " + ReadStatusText(status) +
                  ". Het bestand is bewaard als '" + aside.string() +
                  "'; er is een nieuwe, lege woordenlijst begonnen.";
        db = OpenFile(path, code);
        empty = true;
        if (db == nullptr) {
            message += " Ook de nieuwe lijst kan niet worden geopend.";
            return nullptr;
        }
    }
    if (empty && !CreateLayout(db)) {
        message = "De woordenlijst '" + path +
                  "' kan niet worden aangemaakt: " + sqlite3_errmsg(db) + ".";
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<TWordStore> store(new TWordStore(db, path));
    // A write-ahead log makes an addition one short append; it is folded back into the one
    // file when the last connection closes. NORMAL: a crash of the program loses nothing.
    // The log is folded in at opening and closing, not in the middle of a click on a star
    // (that costs a sync of the whole file).
    store->Exec(
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
        "PRAGMA wal_autocheckpoint=0; PRAGMA wal_checkpoint(PASSIVE);");
    return store;
}

TWordStore::~TWordStore() {
    sqlite3_close(m_db);
}

bool TWordStore::Exec(const char *sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Failed("");
}

bool TWordStore::Failed(const char *what) const {
    m_error = std::string("De woordenlijst kan niet worden bijgewerkt") + what + ": " +
              sqlite3_errmsg(m_db) + ".";
    return false;
}

std::int64_t TWordStore::Add(const TWordEntry &entry, bool &added) {
    added = false;
    const std::string list = entry.List.empty() ? kDefaultList : entry.List;
    const std::string when = entry.Added.empty() ? NowUtc() : entry.Added;
    if (!Exec("BEGIN IMMEDIATE"))
        return 0;
    TStatement makeList(m_db, "INSERT OR IGNORE INTO lists(name, created) VALUES(?, ?)");
    TStatement insert(m_db,
                      "INSERT OR IGNORE INTO words(list, headword, book, html, plain, "
                      "typed, base, added) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    bool ok =
        makeList.Ok() && insert.Ok() && makeList.Bind(1, list).Bind(2, when).Step() == SQLITE_DONE;
    if (ok) {
        insert.Bind(1, list).Bind(2, entry.Headword).Bind(3, entry.Book).Bind(4, entry.Html);
        insert.Bind(5, entry.Plain).Bind(6, entry.Typed).Bind(7, entry.BaseForm).Bind(8, when);
        ok = insert.Step() == SQLITE_DONE;
    }
    added = ok && sqlite3_changes(m_db) > 0;
    const std::int64_t row = added ? sqlite3_last_insert_rowid(m_db) : 0;
    if (!ok) {
        Failed("");
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        added = false;
        return 0;
    }
    if (!Exec("COMMIT")) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        added = false;
        return 0;
    }
    return row;
}

bool TWordStore::Remove(std::int64_t id) {
    TStatement remove(m_db, "DELETE FROM words WHERE id = ?");
    if (!remove.Ok() || remove.Bind(1, id).Step() != SQLITE_DONE)
        return Failed("");
    return sqlite3_changes(m_db) > 0;
}

namespace {

constexpr const char *kSelectTexts =
    "SELECT id, list, headword, book, html, plain, typed, base, added FROM words";
constexpr const char *kSelectBare =
    "SELECT id, list, headword, book, '', '', typed, base, added FROM words";

void ReadRow(const TStatement &select, TWordEntry &entry) {
    entry.Id = select.Int(0);
    entry.List = select.Text(1);
    entry.Headword = select.Text(2);
    entry.Book = select.Text(3);
    entry.Html = select.Text(4);
    entry.Plain = select.Text(5);
    entry.Typed = select.Text(6);
    entry.BaseForm = select.Text(7);
    entry.Added = select.Text(8);
}

}  // namespace

std::vector<TWordEntry> TWordStore::Entries(const std::string &list, bool texts) const {
    std::vector<TWordEntry> entries;
    const std::string sql = std::string(texts ? kSelectTexts : kSelectBare) +
                            (list.empty() ? "" : " WHERE list = ?") + " ORDER BY id";
    TStatement select(m_db, sql.c_str());
    if (!list.empty())
        select.Bind(1, list);
    int code = SQLITE_ERROR;
    while ((code = select.Step()) == SQLITE_ROW)
        ReadRow(select, entries.emplace_back());
    if (code != SQLITE_DONE)
        Failed(" (lezen)");
    return entries;
}

bool TWordStore::Entry(std::int64_t id, TWordEntry &entry) const {
    TStatement select(m_db, (std::string(kSelectTexts) + " WHERE id = ?").c_str());
    if (select.Bind(1, id).Step() != SQLITE_ROW)
        return false;
    ReadRow(select, entry);
    return true;
}

std::vector<std::string> TWordStore::Lists() const {
    std::vector<std::string> lists;
    TStatement select(m_db, "SELECT name FROM lists ORDER BY name");
    while (select.Step() == SQLITE_ROW)
        lists.push_back(select.Text(0));
    return lists;
}

bool TWordStore::CreateList(const std::string &name) {
    if (name.empty()) {
        m_error = "Een lijst heeft een naam nodig.";
        return false;
    }
    TStatement make(m_db, "INSERT OR IGNORE INTO lists(name, created) VALUES(?, ?)");
    return (make.Ok() && make.Bind(1, name).Bind(2, NowUtc()).Step() == SQLITE_DONE) || Failed("");
}

bool TWordStore::RemoveList(const std::string &name) {
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    TStatement words(m_db, "DELETE FROM words WHERE list = ?");
    TStatement list(m_db, "DELETE FROM lists WHERE name = ?");
    const bool ok = words.Ok() && list.Ok() && words.Bind(1, name).Step() == SQLITE_DONE &&
                    list.Bind(1, name).Step() == SQLITE_DONE;
    if (!ok || !Exec("COMMIT")) {
        Failed("");
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

std::int64_t TWordStore::KeptRow(const std::string &list, const std::string &book,
                                 const std::string &headword, const std::string &html) const {
    TStatement select(m_db,
                      "SELECT id FROM words WHERE list = ? AND book = ? AND headword = ? AND "
                      "html = ? LIMIT 1");
    return select.Ok() &&
                   select.Bind(1, list).Bind(2, book).Bind(3, headword).Bind(4, html).Step() ==
                       SQLITE_ROW
               ? select.Int(0)
               : 0;
}

}  // namespace wordlist
