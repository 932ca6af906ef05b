// The user's word lists in their file (WordFile.h): opened once, added to and read through
// one SQLite connection. Each change is one transaction, so the file on disk is always the
// state before or after it, never half of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "viewer/wordlist/WordEntry.h"
#include "viewer/wordlist/WordFile.h"

struct sqlite3;

namespace wordlist {

class TWordStore {
  public:
    // "$XDG_DATA_HOME/taalkist/woordenlijst.sqlite" (~/.local/share when unset).
    static std::string DefaultPath();

    // Opens the file, creating it (and its folder) when missing. A file that cannot be read
    // as a word list is renamed aside ("woordenlijst.beschadigd-DATE.sqlite") and a new
    // list started; message then says so in Dutch. A file of a later Taalkist is left alone
    // and opens nothing. Null with message when no list can be had.
    static std::unique_ptr<TWordStore> Open(const std::string &path, std::string &message);
    ~TWordStore();
    TWordStore(const TWordStore &) = delete;
    TWordStore &operator=(const TWordStore &) = delete;

    // Adds the entry to entry.List (kDefaultList when empty), making the list when it is
    // new; Added is set to now when empty. Returns the row, or 0 when the list holds the
    // entry already (added is false then) or on a failure (Error() says which).
    std::int64_t Add(const TWordEntry &entry, bool &added);
    // Removes one row; false when it was not there.
    bool Remove(std::int64_t id);

    // The rows of one list, or of all lists when list is empty, in the order they were
    // added; without texts, Html and Plain are left empty (the list window shows neither).
    std::vector<TWordEntry> Entries(const std::string &list = "", bool texts = true) const;
    // One row with its texts; false when it is not there.
    bool Entry(std::int64_t id, TWordEntry &entry) const;
    // The names of all lists, the default list among them once it holds anything or was
    // made, sorted.
    std::vector<std::string> Lists() const;
    bool CreateList(const std::string &name);
    // Removes a list and its rows.
    bool RemoveList(const std::string &name);

    // The row of this entry of the book in the list; 0 when the list does not hold it.
    std::int64_t KeptRow(const std::string &list, const std::string &book,
                         const std::string &headword, const std::string &html) const;

    // Dutch text of the last failure.
    const std::string &Error() const { return m_error; }
    const std::string &Path() const { return m_path; }

  private:
    TWordStore(sqlite3 *db, std::string path) : m_db(db), m_path(std::move(path)) {}
    bool Exec(const char *sql);
    bool Failed(const char *what) const;

    sqlite3 *m_db;
    std::string m_path;
    mutable std::string m_error;
};

}  // namespace wordlist
