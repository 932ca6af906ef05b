#include "books/server_books.h"

#include <cctype>

#include "books/diagnostics.h"
#include "books/progress.h"

namespace books {

std::vector<dict::NamedEntry> ServerDatabases(const dict::ServerAddress &address,
                                              const dict::ClientOptions &options) {
    dict::DictClient client(address.host, address.port, options);
    std::vector<dict::NamedEntry> all;
    const dict::DictStatus status = client.ShowDatabases(all);
    client.Close();
    // Nobody waits for an answer that was called off.
    if (status == dict::DictStatus::Cancelled)
        throw Cancelled();
    if (status != dict::DictStatus::Ok)
        throw InputError(dict::StatusLine(status, address.host));
    std::vector<dict::NamedEntry> wanted;
    for (dict::NamedEntry &db : all)
        if (address.database.empty() || db.name == address.database)
            wanted.push_back(std::move(db));
    if (wanted.empty())
        throw InputError(address.database.empty()
                             ? "De server " + address.host + " heeft geen woordenboeken."
                             : "De server " + address.host + " heeft geen woordenboek '" +
                                   address.database + "'.");
    return wanted;
}

bool IsDirection(const std::string &text) {
    auto letters = [](const std::string &part) {
        return part.size() == 2 && std::islower(static_cast<unsigned char>(part[0])) != 0 &&
               std::islower(static_cast<unsigned char>(part[1])) != 0;
    };
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return letters(text);
    return letters(text.substr(0, dash)) && letters(text.substr(dash + 1));
}

ServerBooksAdded AddServerBooks(const UserShelf &shelf, const std::string &text,
                                const std::string &displayName, const std::string &direction,
                                const std::string &programDataDir,
                                const dict::ClientOptions &options) {
    dict::ServerAddress address;
    std::string error;
    if (!dict::ParseAddress(text, address, error))
        throw InputError(error);
    if (!direction.empty() && !IsDirection(direction))
        throw InputError("Een richting is twee taalcodes zoals nl-en (of één zoals nl), niet '" +
                         direction + "'.");
    const std::vector<dict::NamedEntry> databases = ServerDatabases(address, options);
    if (!displayName.empty() && databases.size() > 1)
        throw InputError(
            "Een naam geldt voor één woordenboek; noem het in het adres "
            "(dict://SERVER/WOORDENBOEK).");
    ServerBooksAdded added;
    for (const dict::NamedEntry &db : databases) {
        ServerBookRequest request;
        dict::ServerAddress one = address;
        one.database = db.name;
        request.address = dict::FormatAddress(one);
        request.database = db.name;
        request.displayName = displayName.empty() ? db.description : displayName;
        request.direction = direction.empty() ? GuessDirection(db.name) : direction;
        request.programDataDir = programDataDir;
        try {
            added.books.push_back(AddServerBook(shelf, request));
            if (request.direction.empty())
                added.unknownDirection.push_back(added.books.back().name);
        } catch (const InputError &e) {
            added.refused.emplace_back(e.what());
        }
    }
    if (added.books.empty())
        throw InputError(added.refused.front());
    return added;
}

}  // namespace books
