// Lookups in books that a DICT server holds, for a window that must never wait: one
// worker and one kept connection per server, at most one request in flight per server,
// a newer request for a book (and kind) replacing its one still waiting; answers kept for the
// session within a bound on their size. A definition's plain text becomes the book's page block:
// paragraphs at blank lines, the lines within one kept, {word} as a link that searches.
// Plain C++ without Qt; texts are UTF-8.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "books/dict_client.h"

// The HTML of definitions for a page: one block per definition.
std::string DefinitionsHtml(const std::vector<books::dict::Definition> &definitions);
// The one line a page shows in place of a server's block when it failed.
std::string ServerTroubleHtml(const std::string &line);

struct TServerAnswer {
    enum class TKind { Define, Prefix, Near, Pattern };
    TKind Kind = TKind::Define;
    std::string Address;  // dict://HOST:PORT/DATABASE
    std::string Word;
    books::dict::DictStatus Status = books::dict::DictStatus::Ok;
    std::string Trouble;  // the Dutch line when the server failed; empty otherwise
    std::vector<books::dict::Definition> Definitions;
    std::vector<std::string> Words;  // Prefix, Near and Pattern: the matching headwords
    std::string Html;                // Define: the block of the page (definitions or trouble)

    bool Found() const { return Status == books::dict::DictStatus::Ok; }
    std::size_t Bytes() const;
};

class TServerLookups {
  public:
    // Called on the server's worker; a request replaced by a newer one for the same book
    // and kind (a type-ahead list, or a lookup with its "Bedoelde u:") is never answered.
    using TDone = std::function<void(std::shared_ptr<const TServerAnswer>)>;

    // The options' interrupt is the lookups' own.
    explicit TServerLookups(books::dict::ClientOptions options = {},
                            std::size_t cacheBytes = 4u << 20);
    // Ends the requests in flight at once (their waits are interrupted, nobody is answered)
    // and waits for the workers.
    ~TServerLookups();
    TServerLookups(const TServerLookups &) = delete;
    TServerLookups &operator=(const TServerLookups &) = delete;

    // A request of the kind for the word in the database the address names. A kept answer
    // is given at once, on the calling thread.
    void Request(TServerAnswer::TKind kind, const std::string &address, const std::string &word,
                 TDone done);

    std::size_t CachedBytes() const;
    // For the requests that follow, those waiting included.
    void SetReplyTimeout(int ms);

  private:
    struct TJob {
        TServerAnswer::TKind Kind;
        books::dict::ServerAddress Address;
        std::string Text;  // as given
        std::string Word;
        TDone Done;
    };
    struct TServer;

    std::shared_ptr<const TServerAnswer> Run(books::dict::DictClient &client, const TJob &job);
    void Work(TServer &server);
    std::shared_ptr<const TServerAnswer> Cached(const std::string &key);
    void Keep(const std::string &key, std::shared_ptr<const TServerAnswer> answer);

    books::dict::Interrupt m_interrupt;    // raised when the lookups end
    books::dict::ClientOptions m_options;  // under m_mutex
    std::size_t m_cacheLimit;
    mutable std::mutex m_mutex;                                 // the servers and the cache
    std::map<std::string, std::unique_ptr<TServer>> m_servers;  // by HOST:PORT
    // The session's answers, the most recently used first.
    std::list<std::pair<std::string, std::shared_ptr<const TServerAnswer>>> m_recent;
    std::map<std::string, decltype(m_recent)::iterator> m_cache;
    std::size_t m_cacheBytes = 0;
};
