#include "servers.h"

#include <vector>

#include "books/diagnostics.h"
#include "books/server_books.h"
#include "cli.h"

namespace lexqc {

using namespace books;

namespace {

// The user's reply timeout, as the viewer and lexq wait.
dict::ClientOptions ReplyOptions() {
    dict::ClientOptions options;
    options.replyTimeoutMs = 1000 * ServerReplyTimeout(DefaultUserShelf());
    return options;
}

}  // namespace

int AddServer(const std::string &text, const std::string &name, const std::string &direction,
              const std::string &programDataDir, std::ostream &out, std::ostream &err) {
    if (!direction.empty() && !IsDirection(direction)) {
        err << "lexqc: --direction verwacht twee taalcodes zoals nl-en (of één zoals nl), niet '"
            << direction << "'.\n";
        return kExitInputError;
    }
    ServerBooksAdded added;
    try {
        added = AddServerBooks(DefaultUserShelf(), text, name, direction, programDataDir,
                               ReplyOptions());
    } catch (const InputError &e) {
        err << "lexqc: " << e.what() << '\n';
        return kExitInputError;
    }
    for (const AddResult &book : added.books)
        out << "'" << book.displayName << "' (" << book.name << ") is toegevoegd.\n";
    for (const std::string &book : added.unknownDirection)
        err << "lexqc: de richting van '" << book << "' is onbekend; geef haar met lexqc direction "
            << book << " nl-en (of met één taal, zoals nl).\n";
    for (const std::string &why : added.refused)
        err << "lexqc: " << why << '\n';
    return added.refused.empty() ? kExitOk : kExitInputError;
}

int ListServer(const std::string &text, std::ostream &out, std::ostream &err) {
    dict::ServerAddress address;
    std::string error;
    if (!dict::ParseAddress(text, address, error)) {
        err << "lexqc: " << error << '\n';
        return kExitInputError;
    }
    std::vector<dict::NamedEntry> databases;
    try {
        databases = ServerDatabases(address, ReplyOptions());
    } catch (const InputError &e) {
        err << "lexqc: " << e.what() << '\n';
        return kExitInputError;
    }
    std::size_t width = 0;
    for (const dict::NamedEntry &db : databases)
        width = std::max(width, db.name.size());
    out << "Woordenboeken op " << dict::FormatAddress({address.host, address.port, ""}) << ":\n";
    for (const dict::NamedEntry &db : databases) {
        const std::string guessed = GuessDirection(db.name);
        out << "  " << db.name << std::string(width - db.name.size() + 2, ' ') << db.description
            << (guessed.empty() ? "" : "  (" + guessed + ")") << '\n';
    }
    return kExitOk;
}

}  // namespace lexqc
