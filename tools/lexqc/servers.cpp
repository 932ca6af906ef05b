#include "servers.h"

#include <vector>

#include "books/dict_client.h"
#include "books/source.h"
#include "books/user_books.h"
#include "cli.h"

namespace lexqc {

namespace {

using namespace books;

// The server's databases that the address names; false (reported) when it has none of them.
bool WantedDatabases(const dict::ServerAddress &address, std::vector<dict::NamedEntry> &wanted,
                     std::ostream &err) {
    dict::DictClient client(address.host, address.port);
    std::vector<dict::NamedEntry> all;
    const dict::DictStatus status = client.ShowDatabases(all);
    client.Close();
    if (status != dict::DictStatus::Ok) {
        err << "lexqc: " << dict::StatusLine(status, address.host) << '\n';
        return false;
    }
    for (const dict::NamedEntry &db : all)
        if (address.database.empty() || db.name == address.database)
            wanted.push_back(db);
    if (wanted.empty()) {
        err << "lexqc: "
            << (address.database.empty()
                    ? "De server " + address.host + " heeft geen woordenboeken."
                    : "De server " + address.host + " heeft geen woordenboek '" + address.database +
                          "'.")
            << '\n';
        return false;
    }
    return true;
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

}  // namespace

int AddServer(const std::string &text, const std::string &name, const std::string &direction,
              const std::string &programDataDir, std::ostream &out, std::ostream &err) {
    dict::ServerAddress address;
    std::string error;
    if (!dict::ParseAddress(text, address, error)) {
        err << "lexqc: " << error << '\n';
        return kExitInputError;
    }
    if (!direction.empty() && !IsDirection(direction)) {
        err << "lexqc: --direction verwacht twee taalcodes zoals nl-en (of één zoals nl), niet '"
            << direction << "'.\n";
        return kExitInputError;
    }
    std::vector<dict::NamedEntry> databases;
    if (!WantedDatabases(address, databases, err))
        return kExitInputError;
    if (!name.empty() && databases.size() > 1) {
        err << "lexqc: --name geldt voor één woordenboek; noem het in het adres "
               "(dict://SERVER/WOORDENBOEK).\n";
        return kExitInputError;
    }
    const UserShelf shelf = DefaultUserShelf();
    int status = kExitOk;
    for (const dict::NamedEntry &db : databases) {
        ServerBookRequest request;
        dict::ServerAddress one = address;
        one.database = db.name;
        request.address = dict::FormatAddress(one);
        request.database = db.name;
        request.displayName = name.empty() ? db.description : name;
        request.direction = direction.empty() ? GuessDirection(db.name) : direction;
        request.programDataDir = programDataDir;
        try {
            const AddResult result = AddServerBook(shelf, request);
            out << "'" << result.displayName << "' (" << result.name << ", " << request.address
                << ") is toegevoegd"
                << (request.direction.empty() ? "" : ", richting " + request.direction) << ".\n";
            if (request.direction.empty())
                err << "lexqc: de richting van '" << db.name
                    << "' is onbekend; geef haar met --direction op (bijvoorbeeld --direction "
                       "nl-en) door het woordenboek te verwijderen en opnieuw toe te voegen.\n";
        } catch (const InputError &e) {
            err << "lexqc: " << e.what() << '\n';
            status = kExitInputError;
        }
    }
    return status;
}

int ListServer(const std::string &text, std::ostream &out, std::ostream &err) {
    dict::ServerAddress address;
    std::string error;
    if (!dict::ParseAddress(text, address, error)) {
        err << "lexqc: " << error << '\n';
        return kExitInputError;
    }
    std::vector<dict::NamedEntry> databases;
    if (!WantedDatabases(address, databases, err))
        return kExitInputError;
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
