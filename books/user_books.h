// The user's own books: dictd, StarDict and DSL dictionaries compiled into the user's data
// folder and listed in a catalogue of their own there, which the programs read after
// their own. No Qt and no search library here, so that a window can run an import on a
// worker thread with a progress bar while it keeps searching.
//
// Layout, laid out like a program folder so that the same catalogue code reads it:
//   $XDG_DATA_HOME/taalkist/eigen/data/dict.cfg   the user's catalogue (dict.cfg format)
//   $XDG_DATA_HOME/taalkist/eigen/data/NAME.idx   a compiled book, and NAME.def beside it
//   $XDG_DATA_HOME/taalkist/eigen/data/dict.css   the stylesheet the books name
//   $XDG_DATA_HOME/taalkist/eigen/imgs/           pictures (none are written yet)
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "books/progress.h"

namespace books {

struct UserShelf {
    std::string root;       // .../taalkist/eigen
    std::string dataDir;    // root + "/data"
    std::string imgsDir;    // root + "/imgs"
    std::string catalogue;  // dataDir + "/dict.cfg"
};

// Under $XDG_DATA_HOME (when it is an absolute path), else ~/.local/share.
UserShelf DefaultUserShelf();
UserShelf UserShelfAt(const std::string &root);

// One line of a catalogue's book list; texts in UTF-8 (a catalogue is read as UTF-8 when
// it is valid UTF-8, else as Windows-1252, and written in UTF-8).
struct CatalogueEntry {
    std::string name;
    std::string displayName;
    bool listed = false;
};

// The book list of a catalogue file by dict.cfg's rules, as the viewer reads it (section
// and key names without regard to case, the first of a repeated key, comment lines and
// empty values left out, one pair of quotes around a value dropped); a missing file gives
// an empty list.
std::vector<CatalogueEntry> ReadCatalogue(const std::string &path);
// The key lines of a catalogue's section by the same rules (the first section of the name,
// the first of a repeated key, quotes dropped, empty values left out).
std::vector<std::pair<std::string, std::string>> ReadCatalogueSection(const std::string &path,
                                                                      const char *section);
// The catalogue's text in UTF-8, however the user saved it; empty when it is missing.
std::string CatalogueText(const std::string &path);
// Whether a display name is one line of text: valid UTF-8, not empty, without control
// characters or line separators, which would break the catalogue's line or the lists.
bool IsDisplayName(const std::string &text);

struct AddRequest {
    std::vector<std::string> files;  // the dictionary's files as the user names them
    std::string displayName;         // UTF-8, one line; empty: the dictionary's own name
    std::string programDataDir;      // the program's data folder: names taken, stylesheet
    std::string converter = {};      // the converter for other formats; empty: pyglossary
};

struct AddResult {
    std::string name;         // the book's name (file base name, command-line name)
    std::string displayName;  // UTF-8
    std::string format;       // "dictd", "StarDict", "DSL" or "pyglossary" (converted)
    std::size_t entries = 0;  // entries in the dictionary
    std::size_t records = 0;  // entries stored
    std::size_t skipped = 0;  // entries left out, each named in warnings
    std::size_t keys = 0;     // search keys
    bool utf8 = false;        // made as a UTF-8 book: a headword lies beyond Windows-1252
    std::vector<std::string> warnings;
};

// Compiles the dictionary and lists it in the user's catalogue. Throws InputError with a
// Dutch message for input it refuses or a file it cannot write, and Cancelled when the
// progress callback says stop; the catalogue and the books are unchanged then.
AddResult AddUserBook(const UserShelf &shelf, const AddRequest &request,
                      Progress *progress = nullptr);

// A book whose entries a DICT server holds: a catalogue line like any other book's and a
// settings file whose [server] section names the database by its address
// ("address=dict://HOST:PORT/DATABASE") and its direction; no index of its own.
struct ServerBookRequest {
    std::string address;      // dict://HOST:PORT/DATABASE
    std::string database;     // the database's name on the server
    std::string displayName;  // UTF-8: the server's description, or the user's name
    std::string direction;    // "nl-en", "nl" or empty (unknown)
    std::string programDataDir;
};

// Lists the server's database as a book of the user's catalogue. Throws InputError
// (Dutch) for a name or display name that is taken, or a file it cannot write.
AddResult AddServerBook(const UserShelf &shelf, const ServerBookRequest &request);

// The address a book's settings file names in its [server] section; empty for a book
// of our own (or no file).
std::string ServerBookAddress(const std::string &defPath);

// Gives a server book of the user's its direction ("nl-en", "nl", or empty: unknown), as
// it would have had it when added with it: its name starts with the direction (the viewer
// reads a book's source language from its name), its settings name the direction and the
// book of the other direction. Under the shelf's lock, each file replaced whole; the
// catalogue's line and the shelf's order follow a new name. Returns the book's name (new or
// not). Throws InputError (Dutch) for a book that is not a server book of the user's, a
// direction that is none, or a name another book has.
std::string SetServerBookDirection(const UserShelf &shelf, const std::string &programDataDir,
                                   const std::string &book, const std::string &direction);

// How long the programs wait for a server's reply, in seconds: "timeout" of the [servers]
// section of the user's catalogue, within its bounds; a missing or bad value is the default.
inline constexpr int kReplyTimeoutDefault = 5;
inline constexpr int kReplyTimeoutMin = 1;
inline constexpr int kReplyTimeoutMax = 60;
int ServerReplyTimeout(const UserShelf &shelf);
// Keeps it there (under the shelf's lock, the catalogue replaced whole, its other lines
// kept). Throws InputError (Dutch) for seconds outside the bounds.
void SetServerReplyTimeout(const UserShelf &shelf, int seconds);

// A FreeDict database's direction from its name ("fd-nld-eng" or "freedict-nld-eng" give
// "nl-en"); empty for another name or a language we have no code for.
std::string GuessDirection(const std::string &database);

// Takes a book (by name or display name, UTF-8) out of the user's catalogue and deletes
// its files; returns its name. Throws InputError (Dutch) for a name that is not a user's
// book.
std::string RemoveUserBook(const UserShelf &shelf, const std::string &name,
                           const std::string &programDataDir);

}  // namespace books
