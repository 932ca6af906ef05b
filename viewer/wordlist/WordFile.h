// The word-list file: an SQLite database a person can open with the sqlite3 shell and a
// program can read with any SQLite binding. Two tables:
//   lists(name, created)  every list, the default one too, so that an empty list is kept
//   words(id, list, headword, book, html, plain, typed, base, added)
// one row per entry and list; (list, book, headword, html) is unique. The file says what it
// is with PRAGMA application_id and its layout with PRAGMA user_version.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "viewer/wordlist/WordEntry.h"

struct sqlite3;

namespace wordlist {

inline constexpr int kApplicationId = 0x544B574C;  // "TKWL"
inline constexpr int kFileVersion = 1;

enum class TReadStatus {
    Ok,
    NotADatabase,  // not an SQLite file at all
    Damaged,       // SQLite reports a damaged page, or a check below failed
    OtherFile,     // an SQLite file of another program (its application id)
    Newer,         // written by a later Taalkist (a higher user_version): left alone
    WrongLayout,   // a table or column missing or of another kind
    BadRow,        // a row whose text is not UTF-8, is NULL, or names a list not in lists
};

struct TWordFileContents {
    std::vector<std::string> Lists;  // in the order of their names
    std::vector<TWordEntry> Words;   // oldest first
};

// Creates the tables in an empty database; false when SQLite refuses.
bool CreateLayout(sqlite3 *db);

// Checks an open database and reads all of it into contents (cleared first). An empty
// database (no tables, application id 0) reads as Ok with nothing in it and needs
// CreateLayout.
// Without texts, Html and Plain are only checked to be text, and left empty: the list window
// shows neither, and reading megabytes of them would make opening a long list slow.
TReadStatus ReadWordFile(sqlite3 *db, TWordFileContents &contents, bool &empty, bool texts = true);

// Reads a file's bytes without touching any file (for the fuzz target and for tests).
TReadStatus ReadWordFileBytes(std::string_view bytes, TWordFileContents &contents);

// A Dutch phrase for a status: "is beschadigd", ...
std::string ReadStatusText(TReadStatus status);

}  // namespace wordlist
