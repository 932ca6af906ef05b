// "Did you mean" on real key sets: the headwords of a dictd index (gcide, the size of the
// search library's benchmark book) and of dictionary sources (nl-en, en-nl). For each set:
// the time to read the keys, the memory that adds, the time per suggestion for random
// one-edit typos of real keys (a letter left out, added, replaced, or two swapped, each as
// likely, anywhere), and how often the intended key is among the first five. Every figure
// is printed beside its goal as a ratio (below 1 meets a time or memory goal, above 1 a
// hit-rate goal).
//
//   suggest_bench --dictd gcide.index --source nl-en.src [--source ...] [--typos N]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

#include "BookWords.h"
#include "viewer/finder/Suggest.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Resident memory of this process in bytes.
long Resident() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

struct Typo {
    std::string typed, intended;
};

std::vector<Typo> MakeTypos(const std::vector<std::string> &keys,
                            const std::unordered_set<std::string> &known, std::size_t count,
                            std::mt19937 &random) {
    std::vector<Typo> typos;
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::uniform_int_distribution<std::size_t> pick(0, keys.size() - 1);
    while (typos.size() < count) {
        const std::string &key = keys[pick(random)];
        if (key.size() < 3)
            continue;
        std::string typo = key;
        const std::size_t at =
            std::uniform_int_distribution<std::size_t>(0, key.size() - 1)(random);
        switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0:
                typo.erase(at, 1);
                break;
            case 1:
                typo.insert(typo.begin() + static_cast<long>(at + (random() & 1)),
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
        // A typo that is a key of its own is no miss.
        if (typo != key && !known.count(typo))
            typos.push_back({typo, key});
    }
    return typos;
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

void Measure(const std::string &name, const std::vector<std::string> &words, double goalMs,
             std::size_t typoCount) {
    const std::unordered_set<std::string> known = KeySet(words);
    const std::vector<std::string> keys(known.begin(), known.end());
    std::mt19937 random(14);
    const std::vector<Typo> typos = MakeTypos(keys, known, typoCount, random);

    const long before = Resident();
    Suggester suggester([&](const Suggester::Emit &emit) {
        for (const std::string &key : keys)
            emit(key);
    });
    const auto start = Clock::now();
    suggester.Build();
    const double buildMs = Ms(start);

    std::vector<double> times;
    std::size_t firstFive = 0, anyOfEight = 0;
    // Short keys have many neighbours one edit away: there the order decides.
    std::size_t shortTypos = 0, shortFirstFive = 0;
    for (const Typo &typo : typos) {
        const auto t = Clock::now();
        const std::vector<std::string> found = suggester.Suggest(typo.typed);
        times.push_back(Ms(t));
        const auto rank = std::find(found.begin(), found.end(), typo.intended) - found.begin();
        firstFive += rank < 5;
        anyOfEight += rank < static_cast<long>(found.size());
        if (typo.intended.size() <= 4) {
            ++shortTypos;
            shortFirstFive += rank < 5;
        }
    }
    const double grownMb = static_cast<double>(Resident() - before) / 1e6;
    const double heldMb = static_cast<double>(suggester.MemoryBytes()) / 1e6;
    const double p95 = Percentile(times, 0.95);
    const auto share = [&](std::size_t hits) {
        return 100.0 * static_cast<double>(hits) / static_cast<double>(typos.size());
    };
    std::printf("%s: %zu keys, read in %.0f ms (once, on the first miss)\n", name.c_str(),
                suggester.KeyCount(), buildMs);
    std::printf(
        "  time per suggestion: p50 %.2f ms, p95 %.2f ms, max %.2f ms  "
        "(goal p95 <= %.0f ms: ratio %.3f)\n",
        Percentile(times, 0.5), p95, Percentile(times, 1.0), goalMs, p95 / goalMs);
    std::printf("  memory: %.1f MB held, resident growth %.1f MB  (goal <= 10 MB: ratio %.2f)\n",
                heldMb, grownMb, std::max(heldMb, grownMb) / 10.0);
    std::printf(
        "  %zu one-edit typos: intended key in the first 5 %.1f %%  (goal 90 %%: ratio "
        "%.2f); among all 8 %.1f %%\n",
        typos.size(), share(firstFive), share(firstFive) / 90.0, share(anyOfEight));
    std::printf("  of them %zu typos of keys of 3 or 4 letters: first 5 %.1f %%\n", shortTypos,
                100.0 * static_cast<double>(shortFirstFive) / std::max<std::size_t>(1, shortTypos));
}

}  // namespace

int main(int argc, char **argv) try {
    std::vector<std::pair<std::string, std::string>> sets;  // kind, path
    std::size_t typos = 3000;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc)
            throw std::runtime_error(flag + " needs a value");
        const std::string value = argv[++i];
        if (flag == "--dictd" || flag == "--source")
            sets.emplace_back(flag, value);
        else if (flag == "--typos")
            typos = std::stoul(value);
        else
            throw std::runtime_error("unknown option " + flag);
    }
    if (sets.empty())
        throw std::runtime_error(
            "usage: suggest_bench --dictd X.index | --source X.src ... "
            "[--typos N]");
    for (const auto &[kind, path] : sets) {
        const bool large = kind == "--dictd";
        const std::vector<std::string> words = large ? DictdWords(path) : SourceWords(path);
        const std::string name = path.substr(path.find_last_of('/') + 1);
        // The goals: 30 ms on a book of gcide's size, 10 ms on the bundled ones.
        Measure(name, words, large ? 30.0 : 10.0, typos);
    }
    return 0;
} catch (const std::exception &e) {
    std::fprintf(stderr, "suggest_bench: %s\n", e.what());
    return 2;
}
