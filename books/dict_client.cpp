#include "books/dict_client.h"

#include <cctype>
#include <chrono>
#include <cstdlib>

namespace books::dict {

namespace {

// The protocol's bound on a command line, its CRLF included.
constexpr std::size_t kMaxCommand = 1024;

bool IsDigits(const std::string &text) {
    if (text.empty() || text.size() > 9)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A database or strategy name as a command carries it: one token of printable ASCII.
bool IsToken(const std::string &name) {
    if (name.empty())
        return false;
    for (const char c : name)
        if (c <= ' ' || c > '~' || c == '"' || c == '\\')
            return false;
    return true;
}

// A word in double quotes, with quotes and backslashes escaped; false for a word with a
// control character, which would end or break the command line.
bool Quoted(const std::string &word, std::string &quoted) {
    quoted.assign(1, '"');  // not = "\"": g++ 12 warns falsely of an overlap (-Wrestrict)
    for (const char c : word) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return true;
}

// The status of a final code that is no success of the command.
DictStatus Failure(int code) {
    switch (code) {
        case 552:
            return DictStatus::NoMatch;
        case 550:
            return DictStatus::NoDatabase;
        case 551:
            return DictStatus::NoStrategy;
        case 420:
        case 421:
            return DictStatus::Gone;
        default:
            return code >= 400 ? DictStatus::Refused : DictStatus::Malformed;
    }
}

// What a Send's status means for the request: a command that could not go is a closed
// connection (a kept one is then opened again), unless the wait was ended on purpose.
DictStatus Sent(SocketStatus status) {
    if (status == SocketStatus::Ok)
        return DictStatus::Ok;
    return status == SocketStatus::Cancelled ? DictStatus::Cancelled : DictStatus::Closed;
}

// The count a 150 or 152 line announces.
bool AnnouncedCount(const std::string &line, std::size_t &count) {
    std::vector<std::string> words;
    if (!SplitWords(line, words) || words.empty() || !IsDigits(words[0]))
        return false;
    count = std::strtoul(words[0].c_str(), nullptr, 10);
    return true;
}

// The "NAME "text"" lines of a list body (MATCH, SHOW DB, SHOW STRAT).
bool ListLines(const std::string &body, std::vector<std::pair<std::string, std::string>> &pairs) {
    std::size_t start = 0;
    std::vector<std::string> words;
    while (start < body.size()) {
        const std::size_t end = body.find('\n', start);
        const std::string line = body.substr(start, end - start);
        start = end + 1;
        if (!SplitWords(line, words) || words.size() != 2)
            return false;
        pairs.emplace_back(std::move(words[0]), std::move(words[1]));
    }
    return true;
}

// A reply of one list block (code, then 250): its pairs.
DictStatus ListReply(const Reply &reply, int code,
                     std::vector<std::pair<std::string, std::string>> &pairs) {
    if (reply.code != 250)
        return Failure(reply.code);
    std::size_t count = 0;
    if (reply.blocks.size() != 1 || reply.preliminary.size() != 1 || reply.blocks[0].code != code ||
        !AnnouncedCount(reply.blocks[0].line, count) || !ListLines(reply.blocks[0].text, pairs) ||
        pairs.size() != count)
        return DictStatus::Malformed;
    return DictStatus::Ok;
}

}  // namespace

bool ParseAddress(const std::string &text, ServerAddress &address, std::string &error) {
    address = ServerAddress();
    const std::string scheme = "dict://";
    if (text.compare(0, scheme.size(), scheme) != 0) {
        error = "Een serveradres begint met dict:// (bijvoorbeeld dict://localhost/fd-nld-eng).";
        return false;
    }
    std::string rest = text.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    std::string database = slash == std::string::npos ? "" : rest.substr(slash + 1);
    rest = rest.substr(0, slash);
    if (!database.empty() && database.back() == '/')
        database.pop_back();
    if (rest.find('@') != std::string::npos || database.find_first_of("?;/") != std::string::npos) {
        error = "Het serveradres '" + text +
                "' kan niet worden gebruikt: geef alleen dict://SERVER[:POORT][/WOORDENBOEK] op, "
                "zonder gebruikersnaam of wachtwoord.";
        return false;
    }
    std::string host = rest;
    std::string port;
    if (!rest.empty() && rest.front() == '[') {  // [IPv6]:port
        const std::size_t close = rest.find(']');
        if (close == std::string::npos) {
            error = "Het serveradres '" + text + "' is onvolledig.";
            return false;
        }
        host = rest.substr(1, close - 1);
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':') {
                error = "Het serveradres '" + text + "' is onvolledig.";
                return false;
            }
            port = rest.substr(close + 2);
        }
    } else if (const std::size_t colon = rest.rfind(':'); colon != std::string::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    bool hostOk = !host.empty();
    for (const char c : host)
        hostOk = hostOk && (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' ||
                            c == '-' || c == ':' || c == '_');
    if (!hostOk) {
        error = "Het serveradres '" + text + "' noemt geen server.";
        return false;
    }
    if (!port.empty()) {
        const unsigned long number = IsDigits(port) ? std::strtoul(port.c_str(), nullptr, 10) : 0;
        if (number == 0 || number > 65535) {
            error = "De poort '" + port + "' is geen poortnummer (1 tot 65535).";
            return false;
        }
        address.port = static_cast<std::uint16_t>(number);
    }
    if (!database.empty() && (!IsToken(database) || database == "*" || database == "!")) {
        error = "'" + database + "' is geen naam van een woordenboek op een server.";
        return false;
    }
    address.host = host;
    address.database = database;
    return true;
}

std::string FormatAddress(const ServerAddress &address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    std::string text = "dict://" + (v6 ? "[" + address.host + "]" : address.host) + ":" +
                       std::to_string(address.port);
    if (!address.database.empty())
        text += "/" + address.database;
    return text;
}

std::string StatusLine(DictStatus status, const std::string &host) {
    switch (status) {
        case DictStatus::Ok:
        case DictStatus::NoMatch:
        case DictStatus::Cancelled:
            return {};
        case DictStatus::NoDatabase:
            return "De server " + host + " heeft dit woordenboek niet (meer).";
        case DictStatus::BadWord:
            return "Dit woord kan niet naar de server " + host + " worden gestuurd.";
        case DictStatus::NoStrategy:
            return "De server " + host + " kan niet op deze manier zoeken.";
        default:
            return "De server " + host + " antwoordt niet.";
    }
}

DictClient::DictClient(std::string host, std::uint16_t port, ClientOptions options)
    : host_(std::move(host)), port_(port), options_(std::move(options)) {}

void DictClient::Close() {
    if (socket_)
        socket_->Send("QUIT\r\n", 200);
    socket_.reset();
    pending_.clear();
}

DictStatus DictClient::ReadReply(Reply &reply) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(options_.replyTimeoutMs);
    ReplyReader reader(options_.limits);
    closedBeforeReply_ = false;
    for (;;) {
        std::size_t used = 0;
        const ReplyStatus status = reader.Feed(pending_, used);
        pending_.erase(0, used);
        if (status == ReplyStatus::Done) {
            reply = reader.TakeResult();
            return DictStatus::Ok;
        }
        if (status != ReplyStatus::More)
            return status == ReplyStatus::TooLong ? DictStatus::TooLong : DictStatus::Malformed;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return DictStatus::Timeout;
        const SocketStatus got = socket_->Receive(pending_, static_cast<int>(left));
        if (got == SocketStatus::Timeout)
            return DictStatus::Timeout;
        if (got == SocketStatus::Cancelled)
            return DictStatus::Cancelled;
        if (got != SocketStatus::Ok) {
            closedBeforeReply_ = reader.Empty();
            return DictStatus::Closed;
        }
    }
}

DictStatus DictClient::Connect() {
    socket_.reset();
    pending_.clear();
    strategiesKnown_ = false;
    const SocketStatus connected =
        ConnectTcp(host_, port_, options_.connectTimeoutMs, socket_, options_.interrupt);
    if (connected == SocketStatus::Cancelled)
        return DictStatus::Cancelled;
    if (connected != SocketStatus::Ok)
        return connected == SocketStatus::Timeout ? DictStatus::Timeout : DictStatus::Unreachable;
    Reply banner;
    DictStatus status = ReadReply(banner);
    if (status == DictStatus::Ok && banner.code != 220)
        status = Failure(banner.code);
    if (status == DictStatus::Ok && !banner.preliminary.empty())
        status = DictStatus::Malformed;
    if (status == DictStatus::Ok) {
        // Tells the server's log who asks; the reply is only checked to be one.
        Reply ok;
        status =
            Sent(socket_->Send("CLIENT " + options_.clientName + "\r\n", options_.replyTimeoutMs));
        if (status == DictStatus::Ok)
            status = ReadReply(ok);
        if (status == DictStatus::Ok && (ok.code / 100 != 2 || !ok.blocks.empty()))
            status = ok.code >= 400 ? Failure(ok.code) : DictStatus::Malformed;
    }
    if (status != DictStatus::Ok)
        socket_.reset();
    return status;
}

DictStatus DictClient::Exchange(const std::string &command, Reply &reply) {
    if (command.size() + 2 > kMaxCommand)
        return DictStatus::BadWord;
    // A kept connection may have been closed by the server while idle: then once more on
    // a new one. A fresh connection that fails is the server's answer.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool fresh = !socket_;
        if (fresh) {
            const DictStatus connected = Connect();
            if (connected != DictStatus::Ok)
                return connected;
        }
        closedBeforeReply_ = true;
        DictStatus status = Sent(socket_->Send(command + "\r\n", options_.replyTimeoutMs));
        if (status == DictStatus::Ok)
            status = ReadReply(reply);
        if (status == DictStatus::Ok && (reply.code == 420 || reply.code == 421))
            status = DictStatus::Gone;
        if (status == DictStatus::Ok)
            return DictStatus::Ok;
        socket_.reset();
        pending_.clear();
        // dictd says 421 to a connection it drops for idling; that is no answer either.
        const bool dropped =
            (status == DictStatus::Closed && closedBeforeReply_) || status == DictStatus::Gone;
        if (fresh || !dropped)
            return status;
    }
    return DictStatus::Closed;
}

DictStatus DictClient::Define(const std::string &database, const std::string &word,
                              std::vector<Definition> &definitions) {
    definitions.clear();
    std::string quoted;
    if (!Quoted(word, quoted) || word.empty())
        return DictStatus::BadWord;
    if (!IsToken(database))
        return DictStatus::NoDatabase;
    Reply reply;
    const DictStatus status = Exchange("DEFINE " + database + " " + quoted, reply);
    if (status != DictStatus::Ok)
        return status;
    if (reply.code != 250)
        return reply.blocks.empty() ? Failure(reply.code) : DictStatus::Malformed;
    // 150 COUNT, then COUNT times 151 and its text, then 250.
    std::size_t count = 0;
    if (reply.preliminary.empty() || reply.preliminary[0].code != 150 ||
        !AnnouncedCount(reply.preliminary[0].line, count) || count != reply.blocks.size() ||
        reply.preliminary.size() != reply.blocks.size() + 1)
        return DictStatus::Malformed;
    for (const TextBlock &block : reply.blocks) {
        std::vector<std::string> words;
        if (block.code != 151 || !SplitWords(block.line, words) || words.size() < 2 ||
            words.size() > 3)
            return DictStatus::Malformed;
        definitions.push_back(
            Definition{words[0], words[1], words.size() > 2 ? words[2] : "", block.text});
    }
    return definitions.empty() ? DictStatus::Malformed : DictStatus::Ok;
}

DictStatus DictClient::Match(const std::string &database, const std::string &strategy,
                             const std::string &word, std::vector<MatchEntry> &matches) {
    matches.clear();
    std::string quoted;
    if (!Quoted(word, quoted))
        return DictStatus::BadWord;
    if (!IsToken(database))
        return DictStatus::NoDatabase;
    if (!IsToken(strategy))
        return DictStatus::NoStrategy;
    Reply reply;
    const DictStatus status = Exchange("MATCH " + database + " " + strategy + " " + quoted, reply);
    if (status != DictStatus::Ok)
        return status;
    std::vector<std::pair<std::string, std::string>> pairs;
    const DictStatus listed = ListReply(reply, 152, pairs);
    for (auto &[db, found] : pairs)
        matches.push_back(MatchEntry{std::move(db), std::move(found)});
    return listed;
}

DictStatus DictClient::ShowDatabases(std::vector<NamedEntry> &databases) {
    databases.clear();
    Reply reply;
    const DictStatus status = Exchange("SHOW DB", reply);
    if (status != DictStatus::Ok)
        return status;
    if (reply.code == 554)  // no databases present
        return DictStatus::Ok;
    std::vector<std::pair<std::string, std::string>> pairs;
    const DictStatus listed = ListReply(reply, 110, pairs);
    for (auto &[name, description] : pairs)
        databases.push_back(NamedEntry{std::move(name), std::move(description)});
    return listed;
}

DictStatus DictClient::ShowStrategies(std::vector<NamedEntry> &strategies) {
    if (strategiesKnown_ && socket_) {
        strategies = strategies_;
        return DictStatus::Ok;
    }
    strategies.clear();
    Reply reply;
    const DictStatus status = Exchange("SHOW STRAT", reply);
    if (status != DictStatus::Ok)
        return status;
    if (reply.code == 555)  // no strategies available
        return DictStatus::Ok;
    std::vector<std::pair<std::string, std::string>> pairs;
    const DictStatus listed = ListReply(reply, 111, pairs);
    for (auto &[name, description] : pairs)
        strategies.push_back(NamedEntry{std::move(name), std::move(description)});
    if (listed == DictStatus::Ok) {
        strategies_ = strategies;
        strategiesKnown_ = true;
    }
    return listed;
}

bool DictClient::HasStrategy(const std::string &name) {
    std::vector<NamedEntry> strategies;
    if (ShowStrategies(strategies) != DictStatus::Ok)
        return false;
    for (const NamedEntry &strategy : strategies)
        if (strategy.name == name)
            return true;
    return false;
}

}  // namespace books::dict
