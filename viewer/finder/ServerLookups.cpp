#include "viewer/finder/ServerLookups.h"

#include <algorithm>
#include <deque>
#include <optional>

#include "books/html.h"
#include "viewer/finder/Pattern.h"

using namespace books::dict;

namespace {

// A paragraph of plain text: its lines and indentation kept, {word} a link that searches.
void AddParagraph(std::string_view text, std::string &html) {
    books::LaidOutHtml out;
    while (!text.empty()) {
        const std::size_t open = text.find('{');
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open + 1);
        const std::string_view word = close == std::string_view::npos
                                          ? std::string_view()
                                          : text.substr(open + 1, close - open - 1);
        // A brace that closes nothing, or spans lines, is text.
        if (close == std::string_view::npos || word.empty() ||
            word.find('\n') != std::string_view::npos || word.find('{') != std::string_view::npos) {
            const std::size_t upTo = open == std::string_view::npos ? text.size() : open + 1;
            out.Text(text.substr(0, upTo));
            text.remove_prefix(upTo);
            continue;
        }
        out.Text(text.substr(0, open));
        out.Markup("<a href=\"" + books::SearchLink(word) + "\">");
        out.Text(word);
        out.Markup("</a>");
        text.remove_prefix(close + 1);
    }
    html += "<p>" + out.Take() + "</p>\n";
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

std::string DefinitionsHtml(const std::vector<Definition> &definitions) {
    std::string html;
    for (const Definition &definition : definitions) {
        html += "<div class=\"server\">\n";
        const std::string_view text = definition.text;
        std::size_t start = 0, paragraph = std::string_view::npos;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string_view line = text.substr(start, end - start);
            if (IsBlankLine(line) && paragraph != std::string_view::npos) {
                AddParagraph(
                    books::WithoutOuterBlankLines(text.substr(paragraph, start - paragraph)), html);
                paragraph = std::string_view::npos;
            } else if (!IsBlankLine(line) && paragraph == std::string_view::npos) {
                paragraph = start;
            }
            start = end + 1;
        }
        if (paragraph != std::string_view::npos)
            AddParagraph(books::WithoutOuterBlankLines(text.substr(paragraph)), html);
        html += "</div>\n";
    }
    return html;
}

std::string ServerTroubleHtml(const std::string &line) {
    return "<p class=\"zoekhulp\">" + books::EscapeHtml(line) + "</p>\n";
}

std::size_t TServerAnswer::Bytes() const {
    std::size_t bytes = sizeof(*this) + Address.size() + Word.size() + Trouble.size() + Html.size();
    for (const Definition &d : Definitions)
        bytes +=
            sizeof d + d.word.size() + d.database.size() + d.description.size() + d.text.size();
    for (const std::string &w : Words)
        bytes += sizeof w + w.size();
    return bytes;
}

struct TServerLookups::TServer {
    explicit TServer(const ServerAddress &address, const ClientOptions &options)
        : Client(address.host, address.port, options) {}
    DictClient Client;
    // The requests waiting, one per book and kind of list: a newer one takes the place of
    // its book's, while the books of one search on the same server each get their answer.
    std::deque<std::unique_ptr<TJob>> Waiting;
    bool Stop = false;
    std::condition_variable Wake;
    std::thread Worker;
};

TServerLookups::TServerLookups(ClientOptions options, std::size_t cacheBytes)
    : m_options(std::move(options)), m_cacheLimit(cacheBytes) {
    m_options.interrupt = &m_interrupt;
}

TServerLookups::~TServerLookups() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (auto &[key, server] : m_servers) {
            server->Stop = true;
            server->Waiting.clear();
            server->Wake.notify_all();
        }
    }
    // A worker in the middle of a request would otherwise hold the window's close for up to
    // the connect or reply timeout of a server that is silent.
    m_interrupt.Raise();
    for (auto &[key, server] : m_servers)
        server->Worker.join();
}

namespace {

std::string CacheKey(TServerAnswer::TKind kind, const ServerAddress &address,
                     const std::string &word) {
    return std::to_string(static_cast<int>(kind)) + " " + FormatAddress(address) + " " + word;
}

}  // namespace

void TServerLookups::Request(TServerAnswer::TKind kind, const std::string &text,
                             const std::string &word, TDone done) {
    ServerAddress address;
    std::string error;
    if (!ParseAddress(text, address, error) || address.database.empty()) {
        auto answer = std::make_shared<TServerAnswer>();
        answer->Kind = kind;
        answer->Address = text;
        answer->Word = word;
        answer->Status = DictStatus::Unreachable;
        answer->Trouble = error.empty() ? "Het serveradres '" + text + "' is onvolledig." : error;
        answer->Html = ServerTroubleHtml(answer->Trouble);
        done(answer);
        return;
    }
    if (std::shared_ptr<const TServerAnswer> kept = Cached(CacheKey(kind, address, word))) {
        done(kept);
        return;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::string serverKey = address.host + ":" + std::to_string(address.port);
    std::unique_ptr<TServer> &server = m_servers[serverKey];
    if (!server) {
        server = std::make_unique<TServer>(address, m_options);
        server->Worker = std::thread([this, s = server.get()] { Work(*s); });
    }
    auto job = std::make_unique<TJob>(TJob{kind, address, text, word, std::move(done)});
    const auto lane = [](const TJob &j) {
        return std::make_pair(j.Text, j.Kind == TServerAnswer::TKind::Prefix);
    };
    const auto same =
        std::find_if(server->Waiting.begin(), server->Waiting.end(),
                     [&](const auto &waiting) { return lane(*waiting) == lane(*job); });
    if (same != server->Waiting.end())
        *same = std::move(job);
    else
        server->Waiting.push_back(std::move(job));
    server->Wake.notify_all();
}

void TServerLookups::Work(TServer &server) {
    for (;;) {
        std::unique_ptr<TJob> job;
        int replyTimeoutMs = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            server.Wake.wait(lock, [&] { return server.Stop || !server.Waiting.empty(); });
            if (server.Stop)
                break;
            job = std::move(server.Waiting.front());
            server.Waiting.pop_front();
            replyTimeoutMs = m_options.replyTimeoutMs;
        }
        server.Client.SetReplyTimeout(replyTimeoutMs);
        std::shared_ptr<const TServerAnswer> answer = Run(server.Client, *job);
        // A server that failed is asked again next time; an answer is kept.
        if (answer->Trouble.empty() && answer->Status != DictStatus::Cancelled)
            Keep(CacheKey(job->Kind, job->Address, job->Word), answer);
        bool stopping = false;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            stopping = server.Stop;
        }
        if (!stopping && answer->Status != DictStatus::Cancelled)
            job->Done(answer);
    }
    server.Client.Close();
}

namespace {

// The headwords a pattern (UTF-8, as typed) matches, through the server's regular
// expressions.
DictStatus MatchPattern(DictClient &client, const std::string &database, const std::string &typed,
                        std::vector<std::string> &words) {
    std::string error;
    const std::optional<pattern::TPattern> read = pattern::TPattern::ReadUtf8(typed, error);
    if (!read)
        return DictStatus::NoMatch;
    // Without the strategy the server cannot list them; a server that fails says so.
    std::vector<NamedEntry> strategies;
    if (const DictStatus shown = client.ShowStrategies(strategies); shown != DictStatus::Ok)
        return shown;
    if (std::none_of(strategies.begin(), strategies.end(),
                     [](const NamedEntry &strategy) { return strategy.name == "re"; }))
        return DictStatus::NoStrategy;
    std::vector<MatchEntry> matches;
    const DictStatus status = client.Match(database, "re", pattern::PosixRegex(typed), matches);
    for (MatchEntry &match : matches)
        words.push_back(std::move(match.word));
    return status;
}

}  // namespace

std::shared_ptr<const TServerAnswer> TServerLookups::Run(DictClient &client, const TJob &job) {
    auto answer = std::make_shared<TServerAnswer>();
    answer->Kind = job.Kind;
    answer->Address = job.Text;
    answer->Word = job.Word;
    const std::string &db = job.Address.database;
    if (job.Kind == TServerAnswer::TKind::Define) {
        answer->Status = client.Define(db, job.Word, answer->Definitions);
    } else if (job.Kind == TServerAnswer::TKind::Pattern) {
        answer->Status = MatchPattern(client, db, job.Word, answer->Words);
    } else {
        // "Bedoelde u:" only where the server has the strategy; else no suggestions.
        const bool near = job.Kind == TServerAnswer::TKind::Near;
        std::vector<MatchEntry> matches;
        answer->Status = near && !client.HasStrategy("lev")
                             ? DictStatus::NoStrategy
                             : client.Match(db, near ? "lev" : "prefix", job.Word, matches);
        for (const MatchEntry &match : matches)
            answer->Words.push_back(match.word);
        if (answer->Status == DictStatus::NoStrategy)
            answer->Status = DictStatus::NoMatch;
    }
    answer->Trouble = StatusLine(answer->Status, client.Host());
    if (job.Kind == TServerAnswer::TKind::Define)
        answer->Html = answer->Trouble.empty() ? DefinitionsHtml(answer->Definitions)
                                               : ServerTroubleHtml(answer->Trouble);
    return answer;
}

std::shared_ptr<const TServerAnswer> TServerLookups::Cached(const std::string &key) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_cache.find(key);
    if (found == m_cache.end())
        return nullptr;
    m_recent.splice(m_recent.begin(), m_recent, found->second);
    return found->second->second;
}

void TServerLookups::Keep(const std::string &key, std::shared_ptr<const TServerAnswer> answer) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::size_t bytes = answer->Bytes() + key.size();
    if (bytes > m_cacheLimit || m_cache.count(key) != 0)
        return;
    m_recent.emplace_front(key, std::move(answer));
    m_cache[key] = m_recent.begin();
    m_cacheBytes += bytes;
    while (m_cacheBytes > m_cacheLimit) {
        const auto &[oldKey, old] = m_recent.back();
        m_cacheBytes -= old->Bytes() + oldKey.size();
        m_cache.erase(oldKey);
        m_recent.pop_back();
    }
}

void TServerLookups::SetReplyTimeout(int ms) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_options.replyTimeoutMs = ms;
}

std::size_t TServerLookups::CachedBytes() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_cacheBytes;
}
