// The word finder as the viewer runs it, on a compiled book through the product's search
// library: the type-ahead list (caches cold and warm), the first miss's reading of the
// book's keys, "did you mean" for one-edit typos of the book's own keys, and the time the
// base-form fallback adds to a miss. Every figure is printed beside its goal as a ratio
// (below 1 meets a time or memory goal, above 1 a hit-rate goal).
//
//   finder_bench --product DIR --name BOOK [--idx FILE] [--pairs FILE] [--goal-ms N]
//                [--typos N]
// BOOK names the book as the catalogue would (its language decides the base forms); the
// book's file is DIR/data/BOOK.idx unless --idx names another.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "viewer/core/LXA_Paths.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/WordFinder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

long Resident() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

struct Args {
    std::string product, name, idx, pairs;
    double goalMs = 30;
    std::size_t typos = 2000;
};

Args Parse(int argc, char **argv) {
    Args args;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc)
            throw std::runtime_error(flag + " needs a value");
        const std::string value = argv[++i];
        if (flag == "--product")
            args.product = value;
        else if (flag == "--name")
            args.name = value;
        else if (flag == "--idx")
            args.idx = value;
        else if (flag == "--pairs")
            args.pairs = value;
        else if (flag == "--goal-ms")
            args.goalMs = std::stod(value);
        else if (flag == "--typos")
            args.typos = std::stoul(value);
        else
            throw std::runtime_error("unknown option " + flag);
    }
    if (args.product.empty() || args.name.empty())
        throw std::runtime_error(
            "usage: finder_bench --product DIR --name BOOK [--idx FILE] [--pairs FILE] "
            "[--goal-ms N] [--typos N]");
    if (args.idx.empty())
        args.idx = args.product + "/data/" + args.name + ".idx";
    return args;
}

void Open(const std::string &idx) {
    lexqapi::lexq_deinit();
    if (lexqapi::lexq_init(idx.c_str()) != lexqapi::LEXQ_ERR_NONE)
        throw std::runtime_error("cannot open " + idx);
}

void Line(const char *what, double value, const char *unit, double goal) {
    std::printf("  %-44s %9.3f %s  (goal <= %g %s: ratio %.3f, %s)\n", what, value, unit, goal,
                unit, value / goal, value <= goal ? "met" : "MISSED");
}

// The type-ahead at each keystroke of random keys typed letter by letter, as the viewer
// asks for it: the library's caches cold before each, and warm as while typing.
void TypeAhead(const Args &args, const std::vector<std::string> &keys, std::mt19937 &random) {
    std::vector<double> cold, warm;
    for (int w = 0; w < 300; ++w) {
        const std::string &key = keys[random() % keys.size()];
        const std::size_t letters = std::min<std::size_t>(key.size(), 6);
        for (std::size_t n = 1; n <= letters; ++n) {
            Open(args.idx);
            const auto t = Clock::now();
            TypeAheadWords(key.substr(0, n), kTypeAheadWords);
            cold.push_back(Ms(t));
        }
        Open(args.idx);
        for (std::size_t n = 1; n <= letters; ++n) {
            TypeAheadWords(key.substr(0, n), kTypeAheadWords);
            const auto t = Clock::now();
            TypeAheadWords(key.substr(0, n), kTypeAheadWords);
            warm.push_back(Ms(t));
        }
    }
    Line("type-ahead list, caches cold, p95", Percentile(cold, 0.95), "ms", 2.0);
    Line("type-ahead list, caches warm, p95", Percentile(warm, 0.95), "ms", 0.2);
}

// The first miss reads the book's keys, a slice at a time between events.
void ReadKeys(TWordFinder &finder) {
    const long before = Resident();
    std::vector<double> slices;
    const auto start = Clock::now();
    for (;;) {
        const auto t = Clock::now();
        const bool more = finder.IndexKeys(2048);
        slices.push_back(Ms(t));
        if (!more)
            break;
    }
    const double total = Ms(start);
    const double grown = static_cast<double>(Resident() - before) / 1e6;
    const double held = static_cast<double>(finder.KeyIndexBytes()) / 1e6;
    std::printf("  keys read on the first miss in %.1f ms, %zu slices, the longest %.2f ms\n",
                total, slices.size(), Percentile(slices, 1.0));
    Line("memory for the suggestions (held, resident)", std::max(held, grown), "MB", 10.0);
}

// One-edit typos of the book's own keys that are no key themselves.
std::vector<std::pair<std::string, std::string>> Typos(const std::vector<std::string> &keys,
                                                       std::size_t count, std::mt19937 &random) {
    const std::set<std::string> known(keys.begin(), keys.end());
    std::vector<std::pair<std::string, std::string>> typos;
    std::uniform_int_distribution<int> letter('A', 'Z');
    while (typos.size() < count) {
        const std::string &key = keys[random() % keys.size()];
        if (key.size() < 3)
            continue;
        std::string typo = key;
        const std::size_t at = random() % key.size();
        switch (random() % 4) {
            case 0:
                typo.erase(at, 1);
                break;
            case 1:
                typo.insert(typo.begin() + static_cast<long>(at),
                            static_cast<char>(letter(random)));
                break;
            case 2:
                typo[at] = static_cast<char>(letter(random));
                break;
            default:
                if (at + 1 < typo.size())
                    std::swap(typo[at], typo[at + 1]);
                break;
        }
        if (!known.count(typo))
            typos.emplace_back(typo, key);
    }
    return typos;
}

// Suggestions for one-edit typos of the book's keys; and, as lexq answers a miss (base
// forms first, with the Hunspell dictionary), how many typos end on a base form's page
// instead of the list.
void Suggestions(const Args &args, TWordFinder &finder, const std::vector<std::string> &keys,
                 std::mt19937 &random) {
    std::vector<double> times;
    std::size_t firstFive = 0, asBaseForm = 0, answered = 0;
    const auto typos = Typos(keys, args.typos, random);
    if (finder.Forms())
        finder.Forms()->Load();
    for (const auto &[typed, intended] : typos) {
        const auto t = Clock::now();
        const std::vector<std::string> words = finder.Suggestions(typed);
        times.push_back(Ms(t));
        bool listed = false;
        for (std::size_t i = 0; i < words.size() && i < 5; ++i)
            listed = listed || FoldToLetterKey(words[i]) == intended;
        firstFive += listed;
        const std::string base = finder.BaseForm(typed, WordForms::Use::Miss, WordForms::Wait::No);
        asBaseForm += !base.empty();
        answered += base.empty() ? listed : FoldToLetterKey(base) == intended;
    }
    const auto share = [&](std::size_t n) {
        return 100.0 * static_cast<double>(n) / static_cast<double>(typos.size());
    };
    Line("suggestions for a miss (8 headwords), p95", Percentile(times, 0.95), "ms", args.goalMs);
    std::printf(
        "  %zu one-edit typos: intended word in the first 5 %.1f %%  (goal 90 %%: "
        "ratio %.3f)\n",
        typos.size(), share(firstFive), share(firstFive) / 90.0);
    std::printf(
        "  as a miss is answered (base form first): %.1f %% of the typos show a base "
        "form's page; the intended word reached %.1f %%\n",
        share(asBaseForm), share(answered));
}

// The time the base-form fallback adds to a miss, with the Hunspell dictionary loaded (a
// later miss; the first uses tables and rules without waiting for it).
void BaseForms(const Args &args, TWordFinder &finder) {
    if (args.pairs.empty() || !finder.Forms())
        return;
    finder.Forms()->Load();
    std::ifstream in(args.pairs);
    std::vector<double> times;
    std::size_t reached = 0, misses = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t tab = line.find('\t');
        const std::string form = platform::Utf8ToCp1252(line.substr(0, tab));
        const std::string base =
            platform::Utf8ToCp1252(line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1));
        if (HasEntries(form) || !HasEntries(base))
            continue;
        ++misses;
        const auto t = Clock::now();
        const std::string found = finder.BaseForm(form, WordForms::Use::Miss, WordForms::Wait::No);
        times.push_back(Ms(t));
        reached += FoldToLetterKey(found) == FoldToLetterKey(base);
    }
    if (misses == 0)
        return;
    Line("base-form fallback added to a miss, p95", Percentile(times, 0.95), "ms", 5.0);
    const double share = 100.0 * static_cast<double>(reached) / static_cast<double>(misses);
    std::printf(
        "  %zu inflected forms whose base is a headword: %.1f %% reach it  (goal 90 %%: "
        "ratio %.3f)\n",
        misses, share, share / 90.0);
}

}  // namespace

int main(int argc, char **argv) try {
    const Args args = Parse(argc, argv);
    SetProgramPathOverride(args.product + "/tkviewer");
    platform::LibHandle library = lexqapi::LoadSearchLibrary();
    Open(args.idx);
    std::printf("%s (%s), language '%s':\n", args.name.c_str(), args.idx.c_str(),
                SourceLanguage(args.name).c_str());

    std::vector<std::string> keys;
    TKeyWalk walk;
    while (walk.Next(4096, [&](std::string_view key) { keys.emplace_back(key); })) {
    }
    if (keys.empty())
        throw std::runtime_error("the book gave no keys");
    std::mt19937 random(14);
    TypeAhead(args, keys, random);

    Open(args.idx);
    TWordFinder finder(args.product + "/data");
    finder.SetBook(args.name);
    ReadKeys(finder);
    Suggestions(args, finder, keys, random);
    BaseForms(args, finder);
    lexqapi::lexq_deinit();
    lexqapi::UnloadSearchLibrary(library);
    return 0;
} catch (const std::exception &e) {
    std::fprintf(stderr, "finder_bench: %s\n", e.what());
    return 2;
}
