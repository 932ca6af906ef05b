// How many inflected forms reach their base form in a book: reads pairs "form<TAB>base"
// (UTF-8, '#' comments, any further column ignored), keeps those whose base is a headword of the
// book, and counts the share whose first candidate with entries is the base - through Hunspell's
// stems alone and through the whole engine. Forms that are headwords themselves are counted apart:
// they show their own entries, and the engine's "see also" candidate is measured for them.
//
//   wordforms_eval --book nl-en.src --lang nl --pairs nl.pairs --tables data/wordforms
//                  [--misses] [--no-hunspell]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BookWords.h"
#include "viewer/finder/WordForms.h"

namespace {

struct Args {
    std::string book, lang, pairs, tables;
    bool misses = false;
    bool noHunspell = false;  // tables and rules alone, as without a dictionary
};

Args Parse(int argc, char **argv) {
    Args args;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::runtime_error(flag + " needs a value");
            return argv[++i];
        };
        if (flag == "--book")
            args.book = value();
        else if (flag == "--lang")
            args.lang = value();
        else if (flag == "--pairs")
            args.pairs = value();
        else if (flag == "--tables")
            args.tables = value();
        else if (flag == "--misses")
            args.misses = true;
        else if (flag == "--no-hunspell")
            args.noHunspell = true;
        else
            throw std::runtime_error("unknown option " + flag);
    }
    if (args.book.empty() || args.lang.empty() || args.pairs.empty() || args.tables.empty())
        throw std::runtime_error(
            "usage: wordforms_eval --book SRC --lang LL --pairs FILE "
            "--tables DIR [--misses] [--no-hunspell]");
    return args;
}

struct Pair {
    std::string form, base;
};

std::vector<Pair> ReadPairs(const std::string &path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<Pair> pairs;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::size_t end = line.find('\t', tab + 1);
        pairs.push_back(
            {line.substr(0, tab),
             line.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1)});
    }
    return pairs;
}

double Percent(std::size_t part, std::size_t whole) {
    return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

}  // namespace

int main(int argc, char **argv) try {
    const Args args = Parse(argc, argv);
    const auto book = KeySet(SourceWords(args.book));
    const std::vector<Pair> pairs = ReadPairs(args.pairs);
    WordForms forms(
        args.lang, args.tables,
        args.noHunspell ? std::vector<std::string>() : DefaultHunspellFolders(args.tables));
    const auto t0 = std::chrono::steady_clock::now();
    forms.Load();
    const double loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const auto has = [&](const std::string &word) { return book.count(FoldUtf8(word)) > 0; };

    std::size_t notInBook = 0, evaluated = 0, byHunspell = 0, byEngine = 0, amongCandidates = 0;
    std::size_t headwords = 0, seeAlso = 0, candidateTotal = 0, candidateMost = 0;
    std::vector<double> times;
    for (const Pair &pair : pairs) {
        const std::string baseKey = FoldUtf8(pair.base);
        const std::string formKey = FoldUtf8(pair.form);
        if (!book.count(baseKey) || baseKey == formKey) {
            ++notInBook;
            continue;
        }
        if (book.count(formKey)) {
            ++headwords;
            if (FoldUtf8(forms.FirstBaseForm(pair.form, has, WordForms::Use::SeeAlso)) == baseKey)
                ++seeAlso;
            continue;
        }
        ++evaluated;
        for (const std::string &stem : forms.Hunspell().Stems(pair.form)) {
            const std::string key = FoldUtf8(stem);
            if (key != formKey && book.count(key)) {
                byHunspell += key == baseKey;
                break;
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const std::vector<std::string> candidates = forms.Candidates(pair.form);
        std::string first;
        for (const std::string &candidate : candidates)
            if (has(candidate)) {
                first = candidate;
                break;
            }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        candidateTotal += candidates.size();
        candidateMost = std::max(candidateMost, candidates.size());
        const bool reached = FoldUtf8(first) == baseKey;
        byEngine += reached;
        const bool among = std::any_of(candidates.begin(), candidates.end(),
                                       [&](const auto &c) { return FoldUtf8(c) == baseKey; });
        amongCandidates += among;
        if (args.misses && !reached) {
            std::cout << "miss " << pair.form << " -> " << pair.base << " (got "
                      << (first.empty() ? "nothing" : first) << "):";
            for (const std::string &c : candidates)
                std::cout << ' ' << c;
            std::cout << '\n';
        }
    }
    std::sort(times.begin(), times.end());
    const double p95 = times.empty() ? 0.0 : times[times.size() * 95 / 100];
    std::printf(
        "%s: %zu pairs, %zu with a base that is no headword (left out), %zu forms that "
        "are headwords themselves, %zu evaluated\n",
        args.lang.c_str(), pairs.size(), notInBook, headwords, evaluated);
    std::printf(
        "  Hunspell dictionary %s, loaded in %.0f ms\n",
        forms.Hunspell().AffixPath().empty() ? "(none)" : forms.Hunspell().AffixPath().c_str(),
        loadMs);
    std::printf("  reached by Hunspell's stems alone: %5.1f %%\n", Percent(byHunspell, evaluated));
    const double share = Percent(byEngine, evaluated);
    std::printf("  reached by the engine:             %5.1f %%  (goal 90 %%: ratio %.2f)\n", share,
                share / 90.0);
    std::printf("  base among the candidates:         %5.1f %%\n",
                Percent(amongCandidates, evaluated));
    std::printf("  forms that are headwords, base as 'see also': %5.1f %% of %zu\n",
                Percent(seeAlso, headwords), headwords);
    std::printf("  candidates per word: %.1f on average, %zu at most\n",
                evaluated ? static_cast<double>(candidateTotal) / evaluated : 0.0, candidateMost);
    std::printf("  candidates and book checks per miss: p95 %.3f ms (goal 5 ms: ratio %.3f)\n", p95,
                p95 / 5.0);
    return 0;
} catch (const std::exception &e) {
    std::fprintf(stderr, "wordforms_eval: %s\n", e.what());
    return 2;
}
