// The searches beside the word on a compiled book with its article index (WordNet by
// default, bench/search/run.sh): patterns by shape (a fixed start, a fixed end, neither)
// and full-text queries (one to three words, a phrase), each with the library's and the
// index's caches cold (a fresh open before each; the system's page cache warm). Then the
// index's size, build time and memory, the plain scan a terminal viewer does for the same
// queries, and the same patterns on a gcide book beside dictd's match strategies. Prints
// each figure with its goal and their ratio.
//   search_bench --book B.idx --source B.src [--gcide G.idx --dictd-port N]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "books/article_index.h"
#include "books/cipher.h"
#include "books/diagnostics.h"
#include "books/keys.h"
#include "books/reader.h"
#include "books/source.h"
#include "dictd_client.h"
#include "lexqapi.h"
#include "viewer/finder/ArticleSearch.h"
#include "viewer/finder/FullTextQuery.h"
#include "viewer/finder/Pattern.h"
#include "viewer/finder/PatternSearch.h"

namespace {

using Clock = std::chrono::steady_clock;

// The calling thread's processor time in ms: the work itself, whatever else the machine
// runs meanwhile.
double CpuMillis() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double MillisSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double Percentile(std::vector<double> v, double share) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<std::size_t>(share * double(v.size() - 1))];
}

// Resident memory now, from /proc (KiB).
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void Goal(const char *what, double value, double goal, const char *unit) {
    std::printf("%-46s %10.3f %s  goal <= %8.3f  ratio %6.2f  %s\n", what, value, unit, goal,
                value / goal, value <= goal ? "met" : "MISSED");
}

void Versus(const char *what, double ours, const char *them, double theirs) {
    std::printf("%-46s %10.3f ms  %s %10.3f ms  ratio %6.3f\n", what, ours, them, theirs,
                theirs > 0 ? ours / theirs : 0.0);
}

// Every key of a book, through the library's key walk.
std::vector<std::string> AllKeys(lexq_book *book) {
    std::vector<std::string> keys;
    std::string after;
    for (;;) {
        char *list = nullptr;
        if (lexq_book_keys(book, after.c_str(), 4096, &list) != LEXQ_ERR_NONE)
            break;
        for (const char *p = list; *p != '\0';) {
            const char *end = std::strchr(p, '\n');
            keys.emplace_back(p, end - p);
            p = end + 1;
        }
        lexq_free_text(list);
        after = keys.back();
    }
    return keys;
}

TForwardKeys BookKeys(lexq_book *book) {
    return [book](const std::string &start, const std::function<bool(std::string_view)> &visit) {
        std::string after = start;
        for (std::uint32_t slice = 64;; slice = 1024) {
            char *list = nullptr;
            const int status = lexq_book_keys(book, after.c_str(), slice, &list);
            if (status != LEXQ_ERR_NONE)
                return status == LEXQ_ERR_WORDNOTFOUND;
            bool more = true;
            for (const char *p = list; *p != '\0' && more;) {
                const char *end = std::strchr(p, '\n');
                after.assign(p, end - p);
                more = visit(after);
                p = end + 1;
            }
            lexq_free_text(list);
            if (!more)
                return true;
        }
    };
}

struct Timings {
    std::vector<double> times;
    std::size_t found = 0;
};

// The patterns, each with a fresh open of the book and of its index.
Timings TimePatterns(const std::string &bookFile, const std::vector<std::string> &patterns) {
    Timings timings;
    for (const std::string &text : patterns) {
        std::string error;
        const auto read = pattern::TPattern::Read(text, error);
        const auto t0 = Clock::now();
        lexq_book *book = nullptr;
        lexq_book_open(bookFile.c_str(), &book);
        books::ArticleIndex::OpenStatus status;
        std::unique_ptr<books::ArticleIndex> index;
        if (read->FixedStart().empty())
            index = books::ArticleIndex::Open(books::ArticleIndexPath(bookFile), status);
        const TPatternMatches found =
            FindPatternKeys(*read, kPatternPageLimit, BookKeys(book), index.get());
        timings.times.push_back(MillisSince(t0));
        timings.found += found.Total;
        lexq_book_close(book);
    }
    return timings;
}

struct Shapes {
    std::vector<std::string> prefix, suffix, inner;
};

// Patterns of the three shapes made from the book's keys, so that most of them match.
Shapes MakePatterns(const std::vector<std::string> &keys, std::size_t count) {
    Shapes shapes;
    std::mt19937 random(23);
    while (shapes.prefix.size() < count) {
        const std::string &key = keys[random() % keys.size()];
        if (key.size() >= 5) {
            shapes.prefix.push_back(key.substr(0, 3 + random() % 3) + "*");
            shapes.suffix.push_back("*" + key.substr(key.size() - 3 - random() % 2));
        }
    }
    while (shapes.inner.size() < count / 10) {
        const std::string &key = keys[random() % keys.size()];
        if (key.size() >= 4)
            shapes.inner.push_back("*" + key.substr(1 + random() % (key.size() - 3), 2) + "*");
    }
    return shapes;
}

// The dictd form of a pattern: ^start for "re", the end for "suffix", the middle for "re".
double TimeDictd(DictdClient &client, const std::vector<std::string> &patterns,
                 const std::string &strategy) {
    std::vector<double> times;
    for (std::string text : patterns) {
        text.erase(std::remove(text.begin(), text.end(), '*'), text.end());
        for (char &c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string word = strategy == "prefix-re" ? "^" + text : text;
        const auto t0 = Clock::now();
        client.Match("gcide", strategy == "prefix-re" ? "re" : strategy, word);
        times.push_back(MillisSince(t0));
    }
    return Percentile(times, 0.95);
}

struct Article {
    std::string headword;
    std::string text;  // UTF-8 without markup
};

// Every entry's text, read back from the book as a terminal viewer reads its whole file.
// Every entry of the book's source, as the index has them (the book stores an article
// that several entries share once).
std::vector<Article> ReadArticles(const std::vector<books::SourceEntry> &entries) {
    std::vector<Article> articles;
    for (const books::SourceEntry &entry : entries)
        articles.push_back({entry.headword, books::ArticleText(entry.body)});
    return articles;
}

std::string Lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The plain scan: every article's text searched for every word, as a word.
std::size_t Scan(const std::vector<Article> &articles, const std::vector<std::string> &words) {
    std::size_t found = 0;
    for (const Article &article : articles) {
        const std::string text = Lower(article.text);
        bool all = true;
        for (const std::string &word : words) {
            bool here = false;
            for (std::size_t at = text.find(word); at != std::string::npos && !here;
                 at = text.find(word, at + 1))
                here = (at == 0 || !fulltext::IsWordByte(text[at - 1])) &&
                       (at + word.size() == text.size() ||
                        !fulltext::IsWordByte(text[at + word.size()]));
            all = all && here;
        }
        found += all;
    }
    return found;
}

void Fulltext(const std::string &bookFile, const std::string &sourceFile) {
    const std::string indexFile = books::ArticleIndexPath(bookFile);
    books::Diagnostics diag(sourceFile);
    const std::vector<books::SourceEntry> entries = books::ReadSourceFile(sourceFile, diag);
    const std::vector<Article> articles = ReadArticles(entries);
    std::size_t textBytes = 0;
    for (const Article &article : articles)
        textBytes += article.text.size();

    // Queries from the articles' own words: one, two or three of an article, and phrases.
    std::mt19937 random(31);
    std::vector<std::string> queries[4];
    std::vector<std::vector<std::string>> scanWords;
    while (queries[3].size() < 100) {
        const Article &article = articles[random() % articles.size()];
        std::vector<std::string> words;
        std::string word;
        for (const char c : Lower(article.text) + " ") {
            if (fulltext::IsWordByte(c)) {
                word += c;
            } else if (!word.empty()) {
                if (word.size() > 2)
                    words.push_back(word);
                word.clear();
            }
        }
        if (words.size() < 4)
            continue;
        const std::size_t at = random() % (words.size() - 3);
        queries[0].push_back(words[at]);
        queries[1].push_back(words[at] + " " + words[at + 2]);
        queries[2].push_back(words[at] + " " + words[at + 1] + " " + words[at + 3]);
        queries[3].push_back("\"" + words[at] + " " + words[at + 1] + "\"");
        if (scanWords.size() < 10)
            scanWords.push_back({words[at], words[at + 2]});
    }
    const long before = ResidentKiB();
    std::vector<double> wordTimes, phraseTimes, everyTimes, wordCpu, phraseCpu;
    std::size_t found = 0, capped = 0;
    for (int kind = 0; kind < 4; ++kind) {
        for (const std::string &text : queries[kind]) {
            std::string error;
            const auto query = fulltext::TQuery::Read(text, error);
            const books::ArticleIndex::Query asked = IndexQuery(*query);
            // A page's worth, as the viewer asks, with a fresh open of the index.
            const auto t0 = Clock::now();
            const double cpu0 = CpuMillis();
            books::ArticleIndex::OpenStatus status;
            const auto index = books::ArticleIndex::Open(indexFile, status);
            books::ArticleIndex::Found page;
            if (!index || !index->Search(asked, 200, page, error)) {
                std::printf("full-text query %s failed: %s\n", text.c_str(), error.c_str());
                continue;
            }
            (kind == 3 ? phraseTimes : wordTimes).push_back(MillisSince(t0));
            (kind == 3 ? phraseCpu : wordCpu).push_back(CpuMillis() - cpu0);
            found += page.total;
            capped += page.capped;
            // Every match ranked, as lexq --fulltext prints them.
            const auto t1 = Clock::now();
            books::ArticleIndex::Found every;
            index->Search(asked, books::ArticleIndex::kEvery, every, error);
            everyTimes.push_back(MillisSince(t1));
        }
    }
    const long after = ResidentKiB();
    std::printf("full-text: %zu queries, %zu entries counted in all, %zu counts capped at %zu\n",
                wordTimes.size() + phraseTimes.size(), found, capped,
                books::ArticleIndex::kCountCap);
    Goal("full-text 1-3 words p95 (cold)", Percentile(wordTimes, 0.95), 10, "ms");
    Goal("full-text phrase p95 (cold)", Percentile(phraseTimes, 0.95), 30, "ms");
    // The same in processor time: on a busy machine the clock also counts waiting.
    Goal("full-text 1-3 words p95, CPU time", Percentile(wordCpu, 0.95), 10, "ms");
    Goal("full-text phrase p95, CPU time", Percentile(phraseCpu, 0.95), 30, "ms");
    std::printf("full-text every match ranked (lexq) p50 %.3f ms, p95 %.3f ms\n",
                Percentile(everyTimes, 0.5), Percentile(everyTimes, 0.95));
    Goal("full-text index / article text",
         double(std::filesystem::file_size(indexFile)) / double(textBytes), 0.7, "x ");
    Goal("memory while searching (MiB more)", double(after - before) / 1024.0, 20, "MiB");

    // The scan of every text for two words, and the same through the index: every match,
    // so that the counts must agree.
    std::vector<double> scans, ours;
    for (const std::vector<std::string> &words : scanWords) {
        auto t0 = Clock::now();
        const std::size_t scanned = Scan(articles, words);
        scans.push_back(MillisSince(t0));
        std::string error;
        const auto query = fulltext::TQuery::Read(words[0] + " " + words[1], error);
        t0 = Clock::now();
        books::ArticleIndex::OpenStatus status;
        const auto index = books::ArticleIndex::Open(indexFile, status);
        books::ArticleIndex::Found every;
        index->Search(IndexQuery(*query), books::ArticleIndex::kEvery, every, error);
        ours.push_back(MillisSince(t0));
        if (every.total != scanned)
            std::printf("  '%s %s': index %zu, scan %zu\n", words[0].c_str(), words[1].c_str(),
                        every.total, scanned);
    }
    Versus("full-text two words, every match (median) vs plain scan", Percentile(ours, 0.5), "scan",
           Percentile(scans, 0.5));

    // Building the index again from the source, as the build does.
    const books::KeyTable table =
        books::CollectKeys(entries, diag, std::numeric_limits<std::size_t>::max(), 0xFFFF);
    const std::string rebuilt = indexFile + ".bench";
    const auto t0 = Clock::now();
    books::WriteArticleIndex(rebuilt, entries, table);
    Goal("full-text index build", MillisSince(t0) / 1000.0, 10, "s ");
    std::filesystem::remove(rebuilt);
}

}  // namespace

int main(int argc, char **argv) {
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2)
        args[argv[i]] = argv[i + 1];
    const std::string bookFile = args["--book"];
    if (bookFile.empty()) {
        std::fprintf(stderr,
                     "usage: search_bench --book B.idx --source B.src [--gcide G.idx "
                     "--dictd-port N]\n");
        return 2;
    }
    lexq_book *book = nullptr;
    if (lexq_book_open(bookFile.c_str(), &book) != LEXQ_ERR_NONE) {
        std::fprintf(stderr, "cannot open %s\n", bookFile.c_str());
        return 2;
    }
    const std::vector<std::string> keys = AllKeys(book);
    lexq_book_close(book);
    std::printf("%s: %zu keys\n", bookFile.c_str(), keys.size());
    const Shapes shapes = MakePatterns(keys, 300);
    const Timings prefix = TimePatterns(bookFile, shapes.prefix);
    const Timings suffix = TimePatterns(bookFile, shapes.suffix);
    const Timings inner = TimePatterns(bookFile, shapes.inner);
    Goal("pattern with a fixed start p95 (cold)", Percentile(prefix.times, 0.95), 2, "ms");
    Goal("pattern with a fixed end p95 (cold)", Percentile(suffix.times, 0.95), 5, "ms");
    Goal("pattern without fixed ends p95 (cold)", Percentile(inner.times, 0.95), 150, "ms");
    if (!args["--source"].empty())
        Fulltext(bookFile, args["--source"]);

    const std::string gcide = args["--gcide"];
    if (!gcide.empty() && !args["--dictd-port"].empty()) {
        lexq_book_open(gcide.c_str(), &book);
        const Shapes on = MakePatterns(AllKeys(book), 200);
        lexq_book_close(book);
        DictdClient client("127.0.0.1", std::atoi(args["--dictd-port"].c_str()));
        Versus("gcide fixed start p95 vs dictd re ^start",
               Percentile(TimePatterns(gcide, on.prefix).times, 0.95), "dictd",
               TimeDictd(client, on.prefix, "prefix-re"));
        Versus("gcide fixed end p95 vs dictd suffix",
               Percentile(TimePatterns(gcide, on.suffix).times, 0.95), "dictd",
               TimeDictd(client, on.suffix, "suffix"));
        Versus("gcide no fixed end p95 vs dictd re",
               Percentile(TimePatterns(gcide, on.inner).times, 0.95), "dictd",
               TimeDictd(client, on.inner, "re"));
    }
    return 0;
}
