// Server books against a dictd on 127.0.0.1 (bench/dictserver/run.sh starts one):
//   dictserver_bench PORT DATABASE INDEXFILE
// prints the p95 of a lookup (DEFINE, the page's block made) through TServerLookups with
// its kept connection, of `dict` run once per word, of a type-ahead keystroke (MATCH
// prefix, each keystroke replacing the last), and the growth of the resident memory over
// 10,000 lookups; each with its ratio to its goal (at most 1.0 meets it).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>

#include "viewer/finder/ServerLookups.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double P95(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, values.size() * 95 / 100)];
}

long RssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// One request, waited for.
std::shared_ptr<const TServerAnswer> Ask(TServerLookups &lookups, TServerAnswer::TKind kind,
                                         const std::string &address, const std::string &word) {
    std::mutex mutex;
    std::condition_variable done;
    std::shared_ptr<const TServerAnswer> got;
    lookups.Request(kind, address, word, [&](std::shared_ptr<const TServerAnswer> answer) {
        const std::lock_guard<std::mutex> lock(mutex);
        got = std::move(answer);
        done.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [&] { return got != nullptr; });
    return got;
}

void RunDict(const std::string &port, const std::string &db, const std::string &word) {
    const pid_t child = fork();
    if (child == 0) {
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execl("/usr/bin/dict", "dict", "-h", "127.0.0.1", "-p", port.c_str(), "-d", db.c_str(),
              word.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

void Report(const char *what, double value, double goal, const char *unit) {
    std::printf("%-44s %9.2f %s   goal %6.1f %s   ratio %.3f\n", what, value, unit, goal, unit,
                value / goal);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::cerr << "usage: dictserver_bench PORT DATABASE INDEXFILE\n";
        return 2;
    }
    const std::string port = argv[1], db = argv[2];
    const std::string address = "dict://127.0.0.1:" + port + "/" + db;
    std::vector<std::string> words;
    std::ifstream index(argv[3]);
    for (std::string line; std::getline(index, line);) {
        const std::string word = line.substr(0, line.find('\t'));
        if (!word.empty() && word.rfind("00", 0) != 0)
            words.push_back(word);
    }
    if (words.size() < 100) {
        std::cerr << "too few words in " << argv[3] << "\n";
        return 2;
    }
    auto wordAt = [&](std::size_t i) { return words[(i * 7919) % words.size()]; };

    // Lookups: a cache of 1 byte keeps nothing, so every one goes to the server.
    TServerLookups lookups(books::dict::ClientOptions{}, 1);
    Ask(lookups, TServerAnswer::TKind::Define, address, wordAt(0));  // connects
    std::vector<double> ours, theirs, typing;
    for (std::size_t i = 1; i <= 500; ++i) {
        const Clock::time_point start = Clock::now();
        Ask(lookups, TServerAnswer::TKind::Define, address, wordAt(i));
        ours.push_back(Ms(Clock::now() - start));
    }
    for (std::size_t i = 1; i <= 50; ++i) {
        const Clock::time_point start = Clock::now();
        RunDict(port, db, wordAt(i));
        theirs.push_back(Ms(Clock::now() - start));
    }
    // Type-ahead: the keystrokes of a word, each one's list waited for before the next.
    for (std::size_t i = 1; i <= 100; ++i) {
        const std::string word = wordAt(i);
        for (std::size_t n = 1; n <= word.size() && n <= 6; ++n) {
            const Clock::time_point start = Clock::now();
            Ask(lookups, TServerAnswer::TKind::Prefix, address, word.substr(0, n));
            typing.push_back(Ms(Clock::now() - start));
        }
    }
    // Memory: 10,000 lookups through the session cache with its default bound.
    TServerLookups session;
    Ask(session, TServerAnswer::TKind::Define, address, wordAt(0));
    const long before = RssKb();
    for (std::size_t i = 0; i < 10000; ++i)
        Ask(session, TServerAnswer::TKind::Define, address, wordAt(i));
    const long grown = RssKb() - before;

    std::printf("%zu words of %s on 127.0.0.1:%s\n", words.size(), db.c_str(), port.c_str());
    Report("lookup p95 (DEFINE, page block made)", P95(ours), 20.0, "ms");
    std::printf("%-44s %9.2f ms   our lookup is %.1fx faster\n", "dict, one process per word p95",
                P95(theirs), P95(theirs) / std::max(P95(ours), 0.001));
    Report("type-ahead keystroke p95 (MATCH prefix)", P95(typing), 30.0, "ms");
    Report("memory growth over 10,000 lookups", grown / 1024.0, 10.0, "MB");
    return 0;
}
