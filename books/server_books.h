// The databases of a DICT server as books of the user's catalogue: the one an address
// names, or all that the server lists. For lexqc add and "Woordenboek toevoegen...".
#pragma once

#include <string>
#include <vector>

#include "books/dict_client.h"
#include "books/user_books.h"

namespace books {

struct ServerBooksAdded {
    std::vector<AddResult> books;      // format "DICT-server"
    std::vector<std::string> refused;  // Dutch: a database not added, and why
    // The names of the books added without a direction (SetServerBookDirection gives one).
    std::vector<std::string> unknownDirection;
};

// Asks the server for its databases (SHOW DB) and adds the wanted ones; displayName and
// direction may be empty (the server's description, the direction a FreeDict name tells).
// Throws InputError (Dutch) for a bad address or direction, a server that does not
// answer, a database it lacks, or when no database could be added; Cancelled when the
// options' interrupt ended the wait.
ServerBooksAdded AddServerBooks(const UserShelf &shelf, const std::string &address,
                                const std::string &displayName, const std::string &direction,
                                const std::string &programDataDir,
                                const dict::ClientOptions &options = {});

// The databases of the server the address names that it wants (all without a database
// in it); throws InputError (Dutch) as AddServerBooks.
std::vector<dict::NamedEntry> ServerDatabases(const dict::ServerAddress &address,
                                              const dict::ClientOptions &options = {});

// "nl" or "nl-en": two small letters, once or twice.
bool IsDirection(const std::string &text);

}  // namespace books
