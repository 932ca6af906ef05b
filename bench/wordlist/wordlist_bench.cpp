// Times the word list as the viewer uses it: adding one entry to a list that holds many
// already (each addition its own transaction, as a click on a star is), and opening the
// file and reading every entry's line (its headword, book, date; the texts are read when
// an entry is exported or shown), as the list window does. Prints each time beside its goal
// (an addition 5 ms, opening 10,000 entries 100 ms) as a ratio.
//   wordlist_bench --open FILE                    (times opening that list alone)
//   wordlist_bench [--entries N] [--folder DIR]   (DIR: where the file is made; a disk,
//                                                   not tmpfs, to count its syncs)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "viewer/wordlist/WordStore.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// An entry about as long as a FreeDict or WordNet entry on the page.
wordlist::TWordEntry Entry(int i) {
    wordlist::TWordEntry entry;
    entry.Headword = "woord" + std::to_string(i);
    entry.Book = i % 3 == 0 ? "nl-en" : "en";
    entry.Typed = entry.Headword + "en";
    entry.BaseForm = entry.Headword;
    entry.Html = "<div class=\"entry\"><b>" + entry.Headword +
                 "</b> <span class=\"pron\">/ʋoːrt/</span><ol>";
    for (int s = 0; s < 6; ++s)
        entry.Html +=
            "<li>sense " + std::to_string(s) + " of the word, with an example of use</li>";
    entry.Html += "</ol></div>";
    entry.Plain = entry.Headword + " /ʋoːrt/ 1. sense 0 of the word, with an example of use ...";
    entry.List = i % 5 == 0 ? "Les 3" : "";
    return entry;
}

}  // namespace

int main(int argc, char **argv) {
    int count = 10000;
    std::string folder = fs::temp_directory_path().string();
    std::string existing;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--entries") == 0) {
            count = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--folder") == 0) {
            folder = argv[i + 1];
        } else if (std::strcmp(argv[i], "--open") == 0) {
            existing = argv[i + 1];
        } else {
            std::fprintf(stderr, "usage: wordlist_bench [--entries N] [--folder DIR]\n");
            return 2;
        }
    }
    if (!existing.empty()) {
        // Only the opening, of a list file made before (a copy: a damaged one is moved).
        std::string message;
        const auto start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        auto store = wordlist::TWordStore::Open(existing, message);
        const std::size_t read = store ? store->Entries("", /*texts=*/false).size() : 0;
        const double ms = Ms(Clock::now() - start);
        const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        std::printf(
            "open and read %zu entries: %.3f ms (goal 100 ms): ratio %.3f; processor "
            "time %.3f ms: ratio %.3f\n",
            read, ms, ms / 100.0, cpu, cpu / 100.0);
        return store ? 0 : 1;
    }
    std::string pattern = folder + "/tk-wordlist-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = pattern + "/woordenlijst.sqlite";
    std::string message;
    int status = 0;
    std::vector<double> adds, addsCpu;
    {
        auto store = wordlist::TWordStore::Open(path, message);
        if (!store) {
            std::fprintf(stderr, "%s\n", message.c_str());
            return 1;
        }
        for (int i = 0; i < count; ++i) {
            bool added = false;
            const wordlist::TWordEntry entry = Entry(i);
            const auto start = Clock::now();
            const std::clock_t cpuStart = std::clock();
            store->Add(entry, added);
            adds.push_back(Ms(Clock::now() - start));
            addsCpu.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) /
                              CLOCKS_PER_SEC);
            if (!added)
                status = 1;
        }
    }
    std::vector<double> opens, opensCpu;
    std::size_t read = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        auto store = wordlist::TWordStore::Open(path, message);
        read = store ? store->Entries("", /*texts=*/false).size() : 0;
        opens.push_back(Ms(Clock::now() - start));
        opensCpu.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    }
    std::sort(adds.begin(), adds.end());
    std::sort(addsCpu.begin(), addsCpu.end());
    std::sort(opens.begin(), opens.end());
    std::sort(opensCpu.begin(), opensCpu.end());
    const double median = adds[adds.size() / 2];
    const double p99 = adds[adds.size() * 99 / 100];
    const double worst = adds.back();
    std::printf("add one entry (list of up to %d), median: %.3f ms (goal 5 ms): ratio %.3f\n",
                count, median, median / 5.0);
    std::printf("add one entry, 99th percentile:            %.3f ms (goal 5 ms): ratio %.3f\n", p99,
                p99 / 5.0);
    std::printf("add one entry, processor time, 99th pct:  %.3f ms (goal 5 ms): ratio %.3f\n",
                addsCpu[addsCpu.size() * 99 / 100], addsCpu[addsCpu.size() * 99 / 100] / 5.0);
    std::printf("add one entry, slowest:                    %.3f ms (goal 5 ms): ratio %.3f\n",
                worst, worst / 5.0);
    std::printf("open and read %zu entries, median of 5:   %.3f ms (goal 100 ms): ratio %.3f\n",
                read, opens[2], opens[2] / 100.0);
    // On a loaded machine the wall time counts waiting for a processor as well.
    std::printf("open and read, processor time, median:     %.3f ms (goal 100 ms): ratio %.3f\n",
                opensCpu[2], opensCpu[2] / 100.0);
    if (read != static_cast<std::size_t>(count))
        status = 1;
    std::error_code ignored;
    if (std::getenv("WORDLIST_BENCH_KEEP") == nullptr)
        fs::remove_all(pattern, ignored);
    return status;
}
