// Lookups on DICT servers for the window: the page block of definitions, newer requests
// replacing older ones, the session's answers within their bound, and a failing server's
// one Dutch line.
#include "viewer/finder/ServerLookups.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "dict_servers.h"

using namespace books::dict;
using tk::test::FakeConnection;
using tk::test::FakeDictServer;

namespace {

// The answers as they arrive from the workers.
class Answers {
  public:
    TServerLookups::TDone Collect() {
        return [this](std::shared_ptr<const TServerAnswer> answer) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_answers.push_back(std::move(answer));
            m_arrived.notify_all();
        };
    }
    // Waits (at most ten seconds) for the count of answers.
    std::vector<std::shared_ptr<const TServerAnswer>> WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::seconds(10),
                           [&] { return m_answers.size() >= count; });
        return m_answers;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::shared_ptr<const TServerAnswer>> m_answers;
};

// Answers DEFINE WORD with a definition "WORD: {WORD}s", after a pause for words starting
// with "slow"; counts the DEFINE commands.
FakeDictServer::Script Dictionary(std::atomic<int> &defines) {
    return [&defines](FakeConnection &c, const std::atomic<bool> &) {
        tk::test::Greet(c);
        for (std::string line = c.ReadLine(); !line.empty(); line = c.ReadLine()) {
            if (line.rfind("DEFINE ", 0) != 0) {
                c.Send("552 no match\r\n");
                continue;
            }
            ++defines;
            const std::string word =
                line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1);
            if (word.rfind("slow", 0) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
            c.Send("150 1 definitions retrieved\r\n151 \"" + word + "\" db \"d\"\r\n" + word +
                   ": {" + word + "}s\r\n" + std::string(2000, 'x') + "\r\n.\r\n250 ok\r\n");
        }
    };
}

ClientOptions Quick() {
    ClientOptions options;
    options.replyTimeoutMs = 2000;
    return options;
}

TEST(ServerPageTest, PlainTextBecomesParagraphsWithLinksThatSearch) {
    const std::string html = DefinitionsHtml(
        {Definition{"huis", "db", "d", "huis /h\xC5\x93ys/\n  1. {house} <home>\n\n\n2. family\n"},
         Definition{"a", "db", "d", "{not closed\n{a b} {}\n"}});
    EXPECT_EQ(html,
              "<div class=\"server\">\n"
              "<p>huis /h\xC5\x93ys/<br>&nbsp;&nbsp;1. <a href=\"zoek:house\">house</a> "
              "&lt;home&gt;</p>\n"
              "<p>2. family</p>\n"
              "</div>\n"
              "<div class=\"server\">\n"
              "<p>{not closed<br><a href=\"zoek:a%20b\">a b</a> {}</p>\n"
              "</div>\n");
}

TEST(ServerLookupsTest, ANewerRequestReplacesTheOneWaiting) {
    std::atomic<int> defines{0};
    FakeDictServer server(Dictionary(defines));
    const std::string db = "dict://127.0.0.1:" + std::to_string(server.Port()) + "/db";
    TServerLookups lookups(Quick());
    Answers answers;
    // The first keeps the server busy while the next two wait: only the last is asked.
    lookups.Request(TServerAnswer::TKind::Define, db, "slow", answers.Collect());
    for (int i = 0; i < 1000 && defines == 0; ++i)  // until the server has it
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(defines, 1);
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    lookups.Request(TServerAnswer::TKind::Define, db, "boom", answers.Collect());
    const auto got = answers.WaitFor(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0]->Word, "slow");
    EXPECT_EQ(got[1]->Word, "boom");
    EXPECT_TRUE(got[1]->Found());
    EXPECT_NE(got[1]->Html.find("<a href=\"zoek:boom\">boom</a>s"), std::string::npos);
    EXPECT_EQ(defines, 2);

    // Another book of the same server waits beside it: one search of every book has both.
    lookups.Request(TServerAnswer::TKind::Define, db, "slow2", answers.Collect());
    for (int i = 0; i < 1000 && defines == 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string other = db + "2";
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    lookups.Request(TServerAnswer::TKind::Define, other, "huis", answers.Collect());
    lookups.Request(TServerAnswer::TKind::Define, db, "roos", answers.Collect());
    const auto all = answers.WaitFor(5);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[3]->Address + " " + all[3]->Word, db + " roos");
    EXPECT_EQ(all[4]->Address + " " + all[4]->Word, other + " huis");
}

TEST(ServerLookupsTest, AnswersAreKeptForTheSessionWithinTheirBound) {
    std::atomic<int> defines{0};
    FakeDictServer server(Dictionary(defines));
    const std::string db = "dict://127.0.0.1:" + std::to_string(server.Port()) + "/db";
    const std::size_t bound = 40000;
    TServerLookups lookups(Quick(), bound);
    Answers answers;
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    answers.WaitFor(1);
    // Kept: answered at once, without asking the server.
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    EXPECT_EQ(answers.WaitFor(2).size(), 2u);
    EXPECT_EQ(defines, 1);
    // Many answers of several kilobytes each: the oldest go.
    for (int i = 0; i < 40; ++i) {
        lookups.Request(TServerAnswer::TKind::Define, db, "w" + std::to_string(i),
                        answers.Collect());
        answers.WaitFor(3 + static_cast<std::size_t>(i));
        EXPECT_LE(lookups.CachedBytes(), bound);
    }
    EXPECT_GT(lookups.CachedBytes(), bound / 2);
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    answers.WaitFor(43);
    EXPECT_EQ(defines, 42);  // forgotten, so asked again
}

TEST(ServerLookupsTest, AServerThatFailsGivesItsLineAndIsAskedAgain) {
    std::atomic<int> connections{0};
    FakeDictServer server([&](FakeConnection &c, const std::atomic<bool> &stopping) {
        // The first connection answers garbage, the second never answers.
        if (connections++ == 0) {
            tk::test::Greet(c);
            c.ReadLine();
            c.Send("\x01\x02\x03\r\n");
        } else {
            c.WaitForClose(stopping);
        }
    });
    const std::string db = "dict://127.0.0.1:" + std::to_string(server.Port()) + "/db";
    ClientOptions options;
    options.replyTimeoutMs = 200;
    TServerLookups lookups(options);
    Answers answers;
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    answers.WaitFor(1);
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    const auto got = answers.WaitFor(2);
    ASSERT_EQ(got.size(), 2u);
    for (const auto &answer : got) {
        EXPECT_FALSE(answer->Found());
        EXPECT_EQ(answer->Trouble, "De server 127.0.0.1 antwoordt niet.");
        EXPECT_EQ(answer->Html, "<p class=\"zoekhulp\">De server 127.0.0.1 antwoordt niet.</p>\n");
    }
    EXPECT_EQ(connections, 2);
}

TEST(ServerLookupsTest, TypeAheadAndSuggestionsUseTheirStrategies) {
    FakeDictServer server([](FakeConnection &c, const std::atomic<bool> &) {
        tk::test::Greet(c);
        for (std::string line = c.ReadLine(); !line.empty(); line = c.ReadLine()) {
            if (line == "SHOW STRAT")
                c.Send("111 1 strategies present\r\nprefix \"Match prefixes\"\r\n.\r\n250 ok\r\n");
            else if (line == "MATCH db prefix \"hu\"")
                c.Send("152 2 matches found\r\ndb \"huis\"\r\ndb \"huur\"\r\n.\r\n250 ok\r\n");
            else
                c.Send("500 unexpected\r\n");
        }
    });
    const std::string db = "dict://127.0.0.1:" + std::to_string(server.Port()) + "/db";
    TServerLookups lookups(Quick());
    Answers answers;
    lookups.Request(TServerAnswer::TKind::Prefix, db, "hu", answers.Collect());
    answers.WaitFor(1);
    // This server has no lev: no suggestions, and no trouble either.
    lookups.Request(TServerAnswer::TKind::Near, db, "huus", answers.Collect());
    const auto got = answers.WaitFor(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0]->Words, (std::vector<std::string>{"huis", "huur"}));
    EXPECT_TRUE(got[1]->Words.empty());
    EXPECT_TRUE(got[1]->Trouble.empty());
}

}  // namespace

// Closing the window waits for no server: the lookups end their workers at once, even in
// the middle of a request to a server that never answers, and nobody is answered then.
TEST(ServerLookupsTest, EndingTheLookupsWaitsForNoServer) {
    using Clock = std::chrono::steady_clock;
    for (const bool greets : {false, true}) {
        SCOPED_TRACE(greets ? "reply" : "greeting");
        FakeDictServer server([&](FakeConnection &c, const std::atomic<bool> &stopping) {
            if (greets)
                tk::test::Greet(c);
            c.WaitForClose(stopping);
        });
        const std::string db = "dict://127.0.0.1:" + std::to_string(server.Port()) + "/db";
        ClientOptions options;
        options.connectTimeoutMs = 60000;
        options.replyTimeoutMs = 60000;
        std::atomic<int> answered{0};
        auto lookups = std::make_unique<TServerLookups>(options);
        lookups->Request(TServerAnswer::TKind::Define, db, "huis",
                         [&](std::shared_ptr<const TServerAnswer>) { ++answered; });
        lookups->Request(TServerAnswer::TKind::Prefix, db, "hu",
                         [&](std::shared_ptr<const TServerAnswer>) { ++answered; });
        while (server.Connections() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const Clock::time_point start = Clock::now();
        lookups.reset();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(answered, 0);
    }
}

// A reply timeout set while the lookups run holds for the requests that follow, on the
// server's worker already running too.
TEST(ServerLookupsTest, ANewReplyTimeoutHoldsForLaterRequests) {
    FakeDictServer server([](FakeConnection &c, const std::atomic<bool> &stopping) {
        tk::test::Greet(c);
        // The first request is answered, then the server falls silent.
        if (!c.ReadLine().empty())
            c.Send("552 no match\r\n");
        c.WaitForClose(stopping);
    });
    const std::string db = "dict://127.0.0.1:" + std::to_string(server.Port()) + "/db";
    ClientOptions options;
    options.replyTimeoutMs = 60000;
    TServerLookups lookups(options);
    Answers answers;
    lookups.Request(TServerAnswer::TKind::Define, db, "eins", answers.Collect());
    ASSERT_EQ(answers.WaitFor(1).size(), 1u);
    lookups.SetReplyTimeout(300);
    lookups.Request(TServerAnswer::TKind::Define, db, "huis", answers.Collect());
    const auto got = answers.WaitFor(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0]->Status, DictStatus::NoMatch);
    EXPECT_EQ(got[1]->Status, DictStatus::Timeout);
    EXPECT_EQ(got[1]->Trouble, "De server 127.0.0.1 antwoordt niet.");
}
