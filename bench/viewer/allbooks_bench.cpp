// allbooks_bench: every book at once in the viewer, on a product folder. Modes:
//   allbooks_bench --product DIR ui --words BOOK=FILE... [--searches N] [--seed N]
//     Enter to the first block painted and to the whole page painted, with cold caches
//     (the choice made afresh before each search: every book opens anew) and warm (the
//     same word again); then the blocks of the other books with and without one book
//     whose lookups sleep (a wrapper of the library's book search).
//   allbooks_bench --product DIR startup [--runs N]
//     Start-up to the first paint and the memory at that point, in fresh processes, with
//     one book current and with the all-books choice current.
// Each figure is printed beside its goal with its ratio to the goal.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "PaintProbe.h"
#include "Stats.h"
#include "ViewerSession.h"
#include "platform/paths.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/lexqapi.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/LXA_Main.h"

namespace {

using tkbench::GoalLine;
using tkbench::NowNs;
using tkbench::Percentile;

constexpr double kFirstBlockGoalMs = 16;
constexpr double kColdPageGoalMs = 40;
constexpr double kWarmPageGoalMs = 15;
constexpr double kStartupGrowthGoalMs = 5;
constexpr double kMemoryGrowthGoalMb = 10;
constexpr int kTimeoutMs = 10000;
// How long the slowed book's every lookup sleeps.
constexpr int kSlowLookupMs = 200;

double Ms(std::int64_t t0, std::int64_t t1) {
    return double(t1 - t0) / 1e6;
}

std::string Ratio(const std::vector<double> &samples, double goal) {
    char text[64];
    std::snprintf(text, sizeof text, "  (p95/goal %.2f)", Percentile(samples, 0.95) / goal);
    return text;
}

// Paints of the all-books page: the first one with a block shown, and the whole page: once
// every book has answered (and a miss's suggestions are shown), the paint of what the last
// answers changed, or nothing to paint when they changed nothing (a book without entries).
class TPageWatch : public QObject {
  public:
    TPageWatch(ui::TfrmLXAMain &window) : m_window(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TPageWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    void Arm() { m_first = m_whole = m_lastPaint = m_done = 0; }
    // Runs the event loop until the whole page is shown; false on a timeout.
    bool Wait() {
        const std::int64_t end = NowNs() + std::int64_t(kTimeoutMs) * 1000000;
        while (m_window.AllBooksPending() > 0 && NowNs() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (m_window.AllBooksPending() > 0)
            return false;
        m_done = NowNs();
        // What the last answers changed is painted by the events already posted.
        for (int i = 0; i < 2; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_whole = std::max(m_done, m_lastPaint);
        if (m_first == 0)  // a miss: its page is the not-found line and the suggestions
            m_first = m_whole;
        return true;
    }
    std::int64_t First() const { return m_first; }
    std::int64_t Whole() const { return m_whole; }
    std::int64_t Done() const { return m_done; }  // every book answered

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        ui::TAllBooksPage *page = m_window.AllBooksPage();
        if (event->type() != QEvent::Paint || page == nullptr || !watched->isWidgetType() ||
            !m_window.isAncestorOf(static_cast<QWidget *>(watched)))
            return false;
        m_lastPaint = NowNs();
        if (m_first == 0 && page->BlockCount() > 0 &&
            page->isAncestorOf(static_cast<QWidget *>(watched)))
            m_first = m_lastPaint;
        return false;
    }

  private:
    ui::TfrmLXAMain &m_window;
    std::int64_t m_first = 0, m_whole = 0, m_lastPaint = 0, m_done = 0;
};

void PressEnter(QWidget *field) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The slowed book: its handle is told by the path it was opened with.
// Books open on workers: the set is shared between them.
std::string g_slowPath;
std::mutex g_slowMutex;
std::set<lexqapi::TLexqBook *> g_slowBooks;
lexqapi::TLexqBookOpen g_realOpen = nullptr;
lexqapi::TLexqBookSearch g_realSearch = nullptr;
lexqapi::TLexqBookClose g_realClose = nullptr;

std::int32_t LXA_STDCALL SlowOpen(const char *path, lexqapi::TLexqBook **book) {
    const std::int32_t code = g_realOpen(path, book);
    if (code == 0 && std::string(path) == g_slowPath) {
        const std::lock_guard<std::mutex> lock(g_slowMutex);
        g_slowBooks.insert(*book);
    }
    return code;
}

// A closed handle's address may come back for another book, which must not be slowed.
std::int32_t LXA_STDCALL SlowClose(lexqapi::TLexqBook *book) {
    {
        const std::lock_guard<std::mutex> lock(g_slowMutex);
        g_slowBooks.erase(book);
    }
    return g_realClose(book);
}

std::int32_t LXA_STDCALL SlowSearch(lexqapi::TLexqBook *book, const char *text, char **result) {
    bool slow = false;
    {
        const std::lock_guard<std::mutex> lock(g_slowMutex);
        slow = g_slowBooks.count(book) != 0;
    }
    if (slow)
        std::this_thread::sleep_for(std::chrono::milliseconds(kSlowLookupMs));
    return g_realSearch(book, text, result);
}

struct TSearchTimes {
    double first = 0, whole = 0, others = 0;  // others: every block but the slowed book's
};

class TAllBooksBench {
  public:
    TAllBooksBench(tkbench::TViewerSession &session,
                   std::vector<std::pair<std::string, std::vector<std::string>>> words,
                   int searches, unsigned seed)
        : m_session(session),
          m_window(*session.Window()),
          m_words(std::move(words)),
          m_searches(searches),
          m_random(seed),
          m_watch(m_window) {}

    bool Run() {
        std::vector<double> first, cold, warm;
        std::vector<std::pair<double, std::string>> slowest;  // with the search's number
        for (int i = 0; i < m_searches; ++i) {
            const std::string word = RandomWord();
            Rechoose();
            TSearchTimes times;
            if (!Search(word, times))
                return false;
            first.push_back(times.first);
            cold.push_back(times.whole);
            slowest.emplace_back(times.whole, "#" + std::to_string(i + 1) + " \"" + word + "\"");
            if (!Search(word, times))
                return false;
            warm.push_back(times.whole);
        }
        // The tail, named: what a p95 is made of.
        std::sort(slowest.rbegin(), slowest.rend());
        slowest.resize(std::min<std::size_t>(slowest.size(), 3));
        std::cout << "slowest cold pages:";
        for (const auto &[ms, word] : slowest)
            std::cout << ' ' << word << ' ' << ms << " ms;";
        std::cout << '\n';
        std::cout << GoalLine("Enter to first block painted (cold)", first, kFirstBlockGoalMs,
                              false)
                  << Ratio(first, kFirstBlockGoalMs) << '\n';
        std::cout << GoalLine("Enter to whole page painted (cold)", cold, kColdPageGoalMs, false)
                  << Ratio(cold, kColdPageGoalMs) << '\n';
        std::cout << GoalLine("Enter to whole page painted (warm)", warm, kWarmPageGoalMs, false)
                  << Ratio(warm, kWarmPageGoalMs) << '\n';
        return MeasureSlowBook();
    }

  private:
    std::string RandomWord() {
        std::uniform_int_distribution<std::size_t> book(0, m_words.size() - 1);
        const auto &list = m_words[book(m_random)].second;
        std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
        return list[pick(m_random)];
    }

    // The choice made afresh: every book is opened again at its first search.
    void Rechoose() {
        m_window.SelectBookByName(m_session.Data().CurrentBook->Name);
        m_window.ChooseBooks("*");
        Settle();
    }

    // With the slowed book, waiting ends once the others have answered: its own answer
    // comes whenever it comes, and a new search makes it stale.
    bool Search(const std::string &word, TSearchTimes &times, bool whole = true) {
        m_window.SearchField()->setText(QString::fromStdString(word));
        Settle();
        m_watch.Arm();
        const std::int64_t t0 = NowNs();
        PressEnter(m_window.SearchField());
        std::int64_t others = 0;
        const std::int64_t end = NowNs() + std::int64_t(kTimeoutMs) * 1000000;
        // The other books' blocks: all answered but at most the slowed one.
        while (!whole && NowNs() < end && others == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (m_window.AllBooksPending() <= 1)
                others = NowNs();
        }
        times.others = Ms(t0, others);
        if (!whole)
            return others != 0;
        if (!m_watch.Wait()) {
            std::cerr << "allbooks_bench: no whole page painted for \"" << word << "\"\n";
            return false;
        }
        times.others = Ms(t0, m_watch.Done());
        times.first = Ms(t0, m_watch.First());
        times.whole = Ms(t0, m_watch.Whole());
        return true;
    }

    // The same words with and without one book slowed: the others' blocks do not wait.
    bool MeasureSlowBook() {
        std::vector<std::string> words;
        for (int i = 0; i < std::max(10, m_searches / 4); ++i)
            words.push_back(RandomWord());
        std::vector<double> plain, slowed;
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                const TLXABook &slow =
                    *m_session.Data().Books->FindBook(m_session.Data().Books->NameAt(0));
                g_slowPath = slow.IndexFile();
                g_realOpen = lexqapi::lexq_book_open;
                g_realSearch = lexqapi::lexq_book_search;
                g_realClose = lexqapi::lexq_book_close;
                lexqapi::lexq_book_open = SlowOpen;
                lexqapi::lexq_book_search = SlowSearch;
                lexqapi::lexq_book_close = SlowClose;
                std::cout << "slowed book: " << slow.Name << " (" << kSlowLookupMs
                          << " ms per lookup)\n";
            }
            for (const std::string &word : words) {
                Rechoose();
                TSearchTimes times;
                if (!Search(word, times, pass == 0))
                    return false;
                (pass == 0 ? plain : slowed).push_back(times.others);
            }
        }
        lexqapi::lexq_book_open = g_realOpen;
        lexqapi::lexq_book_search = g_realSearch;
        lexqapi::lexq_book_close = g_realClose;
        std::cout << GoalLine("other books answered, none slowed", plain, 0, false) << '\n';
        std::cout << GoalLine("other books answered, one slowed", slowed, kColdPageGoalMs, false)
                  << Ratio(slowed, kColdPageGoalMs) << '\n';
        char line[128];
        std::snprintf(line, sizeof line,
                      "  slowed / not slowed (median): %.2f (the slowed book alone takes %d ms)\n",
                      Percentile(slowed, 0.5) / std::max(0.001, Percentile(plain, 0.5)),
                      kSlowLookupMs);
        std::cout << line;
        return true;
    }

    tkbench::TViewerSession &m_session;
    ui::TfrmLXAMain &m_window;
    std::vector<std::pair<std::string, std::vector<std::string>>> m_words;
    int m_searches;
    std::mt19937 m_random;
    TPageWatch m_watch;
};

std::vector<std::string> ReadWords(const std::string &path) {
    std::vector<std::string> words;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line.find_first_not_of(" \t\r") != std::string::npos)
            words.push_back(line);
    return words;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// One start-up in this process: first paint in ms since TK_BENCH_T0_NS, and the memory.
int StartupChild(int argc, char **argv, const std::string &productDir, bool allBooks) {
    const char *t0Text = std::getenv("TK_BENCH_T0_NS");
    const std::int64_t t0 = t0Text != nullptr ? std::atoll(t0Text) : NowNs();
    QApplication application(argc, argv);
    // As a new window from the all-books choice is started: the book, then the group.
    std::string book = "nl-en", group = "*";
    char *viewerArgs[] = {argv[0], book.data(), book.data(), group.data(), nullptr};
    platform::SetCommandLine(allBooks ? 4 : 3, viewerArgs);
    tkbench::TViewerSession session(productDir);
    if (!session.Start() || !session.ShowAndWaitForPaint(kTimeoutMs))
        return 1;
    std::printf("paint=%.3f rss=%ld\n", Ms(t0, session.Marks().firstPaint), ResidentKb());
    return 0;
}

bool SpawnStartup(const std::string &self, const std::string &productDir, bool allBooks,
                  double &paint, double &rssMb) {
    const std::string command = "TK_BENCH_T0_NS=" + std::to_string(NowNs()) + " exec '" + self +
                                "' --product '" + productDir + "' " +
                                (allBooks ? "startup-all" : "startup-one") + " 2>/dev/null";
    FILE *child = popen(command.c_str(), "r");
    if (child == nullptr)
        return false;
    long rss = 0;
    const int read = std::fscanf(child, "paint=%lf rss=%ld", &paint, &rss);
    rssMb = double(rss) / 1024.0;
    return pclose(child) == 0 && read == 2;
}

int StartupSeries(const std::string &self, const std::string &productDir, int runs) {
    std::vector<double> paint[2], rss[2];
    for (int i = 0; i <= runs; ++i) {
        for (int all = 0; all < 2; ++all) {
            double ms = 0, mb = 0;
            if (!SpawnStartup(self, productDir, all == 1, ms, mb)) {
                std::cerr << "allbooks_bench: a start-up run failed\n";
                return 1;
            }
            if (i > 0) {  // the first pair fills the page cache
                paint[all].push_back(ms);
                rss[all].push_back(mb);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }
    const double growth = Percentile(paint[1], 0.5) - Percentile(paint[0], 0.5);
    const double memory = Percentile(rss[1], 0.5) - Percentile(rss[0], 0.5);
    std::cout << GoalLine("start-up to first paint, one book", paint[0], 0, true) << '\n';
    std::cout << GoalLine("start-up to first paint, all books", paint[1], 0, true) << '\n';
    std::printf("start-up growth (median): %.2f ms, goal %.0f ms: ratio %.2f\n", growth,
                kStartupGrowthGoalMs, growth / kStartupGrowthGoalMs);
    std::printf("memory at first paint (median): %.1f MB one book, %.1f MB all books\n",
                Percentile(rss[0], 0.5), Percentile(rss[1], 0.5));
    std::printf("memory growth: %.2f MB, goal %.0f MB: ratio %.2f\n", memory, kMemoryGrowthGoalMb,
                memory / kMemoryGrowthGoalMb);
    return 0;
}

int Usage() {
    std::cerr << "usage: allbooks_bench --product DIR ui --words BOOK=FILE... [--searches N] "
                 "[--seed N]\n"
                 "       allbooks_bench --product DIR startup [--runs N]\n";
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    std::string product, mode;
    std::vector<std::pair<std::string, std::vector<std::string>>> words;
    int searches = 60, runs = 10;
    unsigned seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--product" && more) {
            product = argv[++i];
        } else if (arg == "--words" && more) {
            const std::string spec = argv[++i];
            const std::size_t equals = spec.find('=');
            if (equals == std::string::npos)
                return Usage();
            words.emplace_back(spec.substr(0, equals), ReadWords(spec.substr(equals + 1)));
            if (words.back().second.empty())
                words.pop_back();
        } else if (arg == "--searches" && more) {
            searches = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--runs" && more) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--seed" && more) {
            seed = unsigned(std::atoi(argv[++i]));
        } else if (mode.empty() && arg.rfind("--", 0) != 0) {
            mode = arg;
        } else {
            return Usage();
        }
    }
    if (product.empty() || !platform::DirectoryExists(product + "/data"))
        return Usage();
    if (mode == "startup-one" || mode == "startup-all")
        return StartupChild(argc, argv, product, mode == "startup-all");
    if (mode == "startup")
        return StartupSeries(platform::ProgramPath(), product, runs);
    if (mode != "ui" || words.empty())
        return Usage();
    QApplication application(argc, argv);
    char *programOnly[] = {argv[0], nullptr};
    platform::SetCommandLine(1, programOnly);
    tkbench::TViewerSession session(product);
    if (!session.Start() || !session.ShowAndWaitForPaint(kTimeoutMs))
        return 1;
    session.Window()->resize(800, 600);
    TAllBooksBench bench(session, std::move(words), searches, seed);
    const bool measured = bench.Run();
    if (session.DialogCount() > 0) {
        std::cerr << "allbooks_bench: dialogs appeared while measuring; figures are not valid\n";
        return 1;
    }
    return measured ? 0 : 1;
}
