// A client of one DICT server (RFC 2229): keeps one connection open, opens it again when
// the server dropped it, and checks every reply against the command that asked for it
// (the 150/151/250 sequence of DEFINE with as many definitions as announced, 152 and a
// list for MATCH, 110/111 for SHOW). One request at a time; not for several threads.
// Texts are UTF-8 as the server sends them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "books/dict_reply.h"
#include "books/dict_socket.h"

namespace books::dict {

inline constexpr std::uint16_t kDefaultPort = 2628;

// dict://HOST[:PORT][/DATABASE]; an empty database stands for all of the server's.
struct ServerAddress {
    std::string host;
    std::uint16_t port = kDefaultPort;
    std::string database;
};

// False, with a Dutch reason, for anything else than the form above (a user, a password
// or a query is refused: nothing secret is kept in an address).
bool ParseAddress(const std::string &text, ServerAddress &address, std::string &error);
// The address as ParseAddress reads it, with the port always written.
std::string FormatAddress(const ServerAddress &address);

enum class DictStatus {
    Ok,
    NoMatch,      // 552: the word is not there
    NoDatabase,   // 550: the server has no such database
    NoStrategy,   // 551: nor such a strategy
    BadWord,      // the word cannot be sent (a line end or control character, too long)
    Unreachable,  // no connection within the time, or the name does not resolve
    Timeout,      // no (complete) reply within the time
    Closed,       // the connection ended in the middle of a reply
    Malformed,    // the reply broke the protocol's grammar or the command's sequence
    TooLong,      // a line or a reply beyond its bound
    Gone,         // 420/421: the server is unavailable or shutting down
    Refused,      // another 4xx/5xx (access denied, syntax error, ...)
    Cancelled,    // the client's interrupt ended the wait: nobody waits for the answer
};

// The one Dutch line a page or a command line shows for a server that failed; empty for
// Ok, NoMatch and Cancelled.
std::string StatusLine(DictStatus status, const std::string &host);

struct Definition {
    std::string word;
    std::string database;
    std::string description;  // the database's description as the server names it
    std::string text;         // lines each ended by "\n"
};

struct MatchEntry {
    std::string database;
    std::string word;
};

struct NamedEntry {  // a database or a strategy
    std::string name;
    std::string description;
};

struct ClientOptions {
    int connectTimeoutMs = 3000;
    int replyTimeoutMs = 5000;
    ReplyLimits limits;
    std::string clientName = "Taalkist";  // sent with CLIENT
    // Raised, it ends the client's waits at once (Cancelled); outlives the client.
    const Interrupt *interrupt = nullptr;
};

class DictClient {
  public:
    DictClient(std::string host, std::uint16_t port, ClientOptions options = {});

    const std::string &Host() const { return host_; }
    // For the requests to come.
    void SetReplyTimeout(int ms) { options_.replyTimeoutMs = ms; }

    DictStatus Define(const std::string &database, const std::string &word,
                      std::vector<Definition> &definitions);
    DictStatus Match(const std::string &database, const std::string &strategy,
                     const std::string &word, std::vector<MatchEntry> &matches);
    DictStatus ShowDatabases(std::vector<NamedEntry> &databases);
    // Cached after the first answer: strategies do not change while we are connected.
    DictStatus ShowStrategies(std::vector<NamedEntry> &strategies);
    bool HasStrategy(const std::string &name);

    // Sends QUIT when connected and closes the connection.
    void Close();

  private:
    DictStatus Connect();
    DictStatus Exchange(const std::string &command, Reply &reply);
    DictStatus ReadReply(Reply &reply);

    std::string host_;
    std::uint16_t port_;
    ClientOptions options_;
    std::unique_ptr<Socket> socket_;
    std::string pending_;  // bytes received after the last reply
    std::vector<NamedEntry> strategies_;
    bool strategiesKnown_ = false;
    bool closedBeforeReply_ = false;  // the last reply's connection ended before its first byte
};

}  // namespace books::dict
