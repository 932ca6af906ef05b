#include "server_lookup.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "books/dict_client.h"
#include "books/user_books.h"
#include "lookup.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/PatternSearch.h"

namespace lexq {

namespace {

using namespace books::dict;

constexpr std::size_t kSuggestions = 10;

std::string WithoutLastLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

int Failed(DictStatus status, const std::string &host, std::ostream &err) {
    err << "lexq: " << StatusLine(status, host) << '\n';
    return kExitError;
}

int Define(DictClient &client, const std::string &database, const std::string &word, bool suggest,
           std::ostream &out, std::ostream &err) {
    std::vector<Definition> definitions;
    const DictStatus status = client.Define(database, word, definitions);
    if (status == DictStatus::Ok) {
        out << DefinitionsText(definitions) << '\n';
        return kExitFound;
    }
    if (status != DictStatus::NoMatch)
        return Failed(status, client.Host(), err);
    err << "lexq: Het woord '" << word << "' kan niet worden gevonden.\n";
    std::vector<MatchEntry> near;
    if (suggest && client.HasStrategy("lev") &&
        client.Match(database, "lev", word, near) == DictStatus::Ok && !near.empty()) {
        out << "Bedoelde u:\n";
        for (std::size_t i = 0; i < near.size() && i < kSuggestions; ++i)
            out << near[i].word << '\n';
    }
    return kExitNotFound;
}

// The server's headwords that match a pattern, one a line; exit 1 when none does.
int PrintPattern(DictClient &client, const std::string &database, const std::string &typed,
                 std::ostream &out, std::ostream &err) {
    std::string error;
    const std::optional<pattern::TPattern> read = pattern::TPattern::ReadUtf8(typed, error);
    if (!read) {
        err << "lexq: " << PatternError(typed, error) << '\n';
        return kExitError;
    }
    std::vector<NamedEntry> strategies;
    DictStatus status = client.ShowStrategies(strategies);
    if (status == DictStatus::Ok &&
        std::none_of(strategies.begin(), strategies.end(),
                     [](const NamedEntry &strategy) { return strategy.name == "re"; }))
        status = DictStatus::NoStrategy;
    std::vector<MatchEntry> words;
    if (status == DictStatus::Ok)
        status = client.Match(database, "re", pattern::PosixRegex(typed), words);
    if (status == DictStatus::NoMatch)
        return kExitNotFound;
    if (status != DictStatus::Ok)
        return Failed(status, client.Host(), err);
    for (const MatchEntry &word : words)
        out << word.word << '\n';
    return kExitFound;
}

}  // namespace

ClientOptions ServerOptions(const TOptions &options) {
    ClientOptions client;
    client.replyTimeoutMs = 1000 * books::ServerReplyTimeout(books::DefaultUserShelf());
    if (const char *text = std::getenv("LEXQ_DICT_TIMEOUT_MS"); text != nullptr) {
        const long ms = std::strtol(text, nullptr, 10);
        if (ms > 0 && ms <= 600000)
            client.replyTimeoutMs = static_cast<int>(ms);
    }
    if (options.TimeoutSeconds > 0)
        client.replyTimeoutMs = 1000 * options.TimeoutSeconds;
    return client;
}

std::string DefinitionsText(const std::vector<Definition> &definitions) {
    std::string text;
    for (std::size_t i = 0; i < definitions.size(); ++i)
        text += (i == 0 ? "" : "\n\n") + WithoutLastLineEnds(definitions[i].text);
    return text;
}

std::string ServerDefinitions(const TLXABook &book, const std::string &word,
                              const ClientOptions &client, std::vector<Definition> &definitions) {
    definitions.clear();
    ServerAddress address;
    std::string error;
    if (!ParseAddress(book.ServerAddress, address, error) || address.database.empty())
        return "het woordenboek noemt geen geldig serveradres: " + error;
    DictClient server(address.host, address.port, client);
    const DictStatus status = server.Define(address.database, word, definitions);
    server.Close();
    if (status != DictStatus::Ok)
        definitions.clear();
    return status == DictStatus::Ok || status == DictStatus::NoMatch
               ? std::string()
               : StatusLine(status, server.Host());
}

int RunServerLookup(const TLXABook &book, const TOptions &options, std::ostream &out,
                    std::ostream &err) {
    ServerAddress address;
    std::string error;
    if (!ParseAddress(book.ServerAddress, address, error) || address.database.empty()) {
        err << "lexq: het woordenboek '" << book.Name
            << "' noemt geen geldig serveradres: " << error << '\n';
        return kExitError;
    }
    if (options.HasFulltext || options.Star || options.Html) {
        err << "lexq: een woordenboek op een server kent alleen opzoeken en --prefix\n";
        return kExitError;
    }
    DictClient client(address.host, address.port, ServerOptions(options));
    int status = kExitFound;
    if (options.HasPrefix) {
        std::vector<MatchEntry> words;
        const DictStatus found = client.Match(address.database, "prefix", options.Prefix, words);
        if (found != DictStatus::Ok && found != DictStatus::NoMatch)
            status = Failed(found, address.host, err);
        for (const MatchEntry &word : words)
            out << word.word << '\n';
        if (found == DictStatus::NoMatch)
            status = kExitNotFound;
    } else {
        status = LookUpEach(options.Words, out, err, [&](const std::string &word) {
            if (!options.Exact && pattern::LooksLikePattern(word))
                return PrintPattern(client, address.database, word, out, err);
            return Define(client, address.database, word, !options.Exact, out, err);
        });
    }
    client.Close();
    return status;
}

}  // namespace lexq
