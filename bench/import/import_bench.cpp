// Adds the largest real books of Debian's packages (gcide, WordNet, the Littré) with
// "lexqc add", each in a fresh shelf, and prints its peak memory and time against the
// goal: at most twice the book's text and at most 300 MB. A ratio of 1.00 or less meets
// it. A book with a time goal (the DSL WordNet: 60 s) prints its time ratio too. With --baseline,
// another lexqc (say, a build of an older commit) adds each book too, and the time ratio is printed
// (goal: at most 1.10, for noise).
//   import_bench [--lexqc PATH] [--baseline PATH] [--runs N]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "books/dictd_import.h"

namespace {

struct Book {
    const char *name;
    const char *package;
    std::string file;        // what lexqc add is given
    std::string text;        // the book's text, whose size sets the goal
    double goalSeconds = 0;  // 0: no time goal
};

struct Measure {
    double seconds = 0;
    double peakMb = 0;
    bool ok = false;
};

constexpr double kCeilingMb = 300.0;

// Runs lexqc add for the book in a shelf of its own; peak resident memory of the child.
Measure AddOnce(const std::string &lexqc, const Book &book) {
    char folder[] = "/tmp/import-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("XDG_DATA_HOME", folder, 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(lexqc.c_str(), lexqc.c_str(), "add", book.file.c_str(), "--name", book.name,
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Measure m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return m;
}

// The best of several runs: the least disturbed by other work on the machine.
Measure Add(const std::string &lexqc, const Book &book, int runs) {
    Measure best;
    for (int i = 0; i < runs; ++i) {
        const Measure m = AddOnce(lexqc, book);
        if (!m.ok)
            return m;
        if (i == 0 || m.seconds < best.seconds)
            best.seconds = m.seconds;
        best.peakMb = std::max(best.peakMb, m.peakMb);
        best.ok = true;
    }
    return best;
}

double TextMb(const std::string &path) {
    try {
        return static_cast<double>(books::ReadGzipFile(path).size()) / (1024.0 * 1024.0);
    } catch (const std::exception &) {
        return 0;
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::string lexqc = IMPORT_BENCH_LEXQC, baseline;
    int runs = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--lexqc") == 0)
            lexqc = argv[i + 1];
        else if (std::strcmp(argv[i], "--baseline") == 0)
            baseline = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::vector<Book> books = {
        {"gcide", "dict-gcide", "/usr/share/dictd/gcide.index", "/usr/share/dictd/gcide.dict.dz"},
        {"wordnet", "dict-wn", "/usr/share/dictd/wn.index", "/usr/share/dictd/wn.dict.dz"},
        {"littre", "stardict-xmlittre", "/usr/share/stardict/dic/XMLittre.ifo",
         "/usr/share/stardict/dic/XMLittre.dict.dz"},
        {"wn-dsl", "goldendict-wordnet", "/usr/share/goldendict-wordnet/goldendict-wordnet.dsl.dz",
         "/usr/share/goldendict-wordnet/goldendict-wordnet.dsl.dz", 60.0},
    };
    std::printf("%-8s %8s %8s %9s %6s %8s %6s", "book", "text MB", "goal MB", "peak MB", "ratio",
                "time s", "t/goal");
    if (!baseline.empty())
        std::printf(" %8s %8s %6s", "base MB", "base s", "time");
    std::printf("\n");
    int failed = 0;
    for (const Book &book : books) {
        if (!std::filesystem::exists(book.file)) {
            std::printf("%-8s skipped: the Debian package %s is not installed (%s is missing)\n",
                        book.name, book.package, book.file.c_str());
            continue;
        }
        const double text = TextMb(book.text);
        const double goal = std::min(2 * text, kCeilingMb);
        const Measure m = Add(lexqc, book, runs);
        if (!m.ok) {
            std::printf("%-8s failed: lexqc add did not succeed\n", book.name);
            ++failed;
            continue;
        }
        std::printf("%-8s %8.1f %8.1f %9.1f %6.2f %8.2f", book.name, text, goal, m.peakMb,
                    m.peakMb / goal, m.seconds);
        if (book.goalSeconds > 0)
            std::printf(" %6.2f", m.seconds / book.goalSeconds);
        else
            std::printf(" %6s", "-");
        if (!baseline.empty()) {
            const Measure b = Add(baseline, book, runs);
            if (b.ok)
                std::printf(" %8.1f %8.2f %6.2f", b.peakMb, b.seconds, m.seconds / b.seconds);
        }
        const bool inTime = book.goalSeconds == 0 || m.seconds <= book.goalSeconds;
        std::printf("%s\n", m.peakMb <= goal && inTime ? "" : "  over the goal");
        failed += m.peakMb <= goal && inTime ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
