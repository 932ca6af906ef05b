// The shelf as the user arranges it: every book, the program's and the user's, in the
// user's order, each shown in the dictionary selector or hidden from it, under the name
// the user gave it. The program's folder is never written: the arrangement lives in the
// user's catalogue, beside the user's own books, in one file that is replaced whole.
//
// In the user's catalogue (dict.cfg format):
//   [dictionaries]  the user's books: NAME=1;Display name, 0 instead of 1 hides the book
//   [shelf]         order=NAME,NAME,...: the books in the user's order; books it does not
//                   name follow, in catalogue order (the program's, then the user's)
//   [program]       NAME=0;Display name for a book of the program that the user hid or
//                   renamed; 1 instead of 0 renames it only
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "books/user_books.h"

namespace books {

struct ShelfBook {
    std::string name;         // the catalogue's key: file base name, command-line name
    std::string displayName;  // UTF-8, as the selector shows it
    bool mine = false;        // one of the user's own books (the user may remove it)
    bool hidden = false;      // the user took it out of the selector
};

// The arrangement the user's catalogue holds, for a reader that lists the books itself.
struct ShelfSettings {
    std::vector<std::string> order;
    struct Override {
        bool hidden = false;
        std::string displayName;  // UTF-8; empty: the program's own name
    };
    std::vector<std::pair<std::string, Override>> program;  // by the program's book name
};

ShelfSettings ReadShelfSettings(const UserShelf &shelf);
// The book names of an `order=` value, in its order (blanks around them and empty ones dropped).
std::vector<std::string> ShelfOrderNames(const std::string &value);
// The program's book's override, if any (names without regard to case).
const ShelfSettings::Override *FindOverride(const ShelfSettings &settings, const std::string &name);
// Positions into `names` in the user's order: those the order names first, in its order,
// then the others as they come.
std::vector<std::size_t> ShelfOrder(const std::vector<std::string> &names,
                                    const ShelfSettings &settings);

// Every book in the user's order: the program's catalogue (programDataDir + "/dict.cfg";
// none when empty) and then the user's, a name only once.
std::vector<ShelfBook> ReadShelf(const UserShelf &shelf, const std::string &programDataDir);

// Keeps the arrangement (order, hidden, display names) in the user's catalogue, replaced
// whole under the shelf's lock: an interrupted write leaves the old one. Lines it does not
// own are kept, and so are the user's books that `books` lacks (added meanwhile). Throws
// InputError (Dutch) for a display name that is not one line of text.
void WriteShelf(const UserShelf &shelf, const std::string &programDataDir,
                const std::vector<ShelfBook> &books);

// Throws InputError (Dutch) unless `displayName` can name the book at `at`: one line of
// text (blanks around it aside), and neither the name nor the display name of another.
void CheckDisplayName(const std::vector<ShelfBook> &books, std::size_t at,
                      const std::string &displayName);

// The book of that name or display name (names first, without regard to case); npos when
// there is none.
std::size_t FindShelfBook(const std::vector<ShelfBook> &books, const std::string &name);

// One change, read, made and written at once (lexqc). Each throws InputError (Dutch) for
// a book that is not on the shelf; each returns the book's name.
std::string RenameShelfBook(const UserShelf &shelf, const std::string &programDataDir,
                            const std::string &book, const std::string &displayName);
// To a place from 0 (past the end: the last).
std::string MoveShelfBook(const UserShelf &shelf, const std::string &programDataDir,
                          const std::string &book, std::size_t place);
std::string HideShelfBook(const UserShelf &shelf, const std::string &programDataDir,
                          const std::string &book, bool hidden);

}  // namespace books
