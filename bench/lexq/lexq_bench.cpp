// Speed and memory of the search library on a large dictionary, each figure beside its
// floor, and the same lookups through a dictd server. Prints the ratios at the end.
//
//   lexq_bench --dict gcide.idx --words gcide.index [--dictd-port N] [benchmark flags]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "alloc.h"
#include "blocks.h"
#include "dictd_client.h"
#include "foldtable.h"
#include "lexqapi.h"
#include "stream.h"

namespace {

struct Setup {
    std::string dict, wordFile;
    int dictdPort = 0;
    std::vector<std::string> present, absent;
    FileBlocks blocks;
    int fd = -1;
};
Setup g;

std::string Fold(const std::string &text) {
    std::string key;
    for (unsigned char c : text)
        key += lexq_fold_table[c];
    return key;
}

void Open() {
    lexq_deinit();
    if (lexq_init(g.dict.c_str()) != LEXQ_ERR_NONE)
        throw std::runtime_error("cannot open " + g.dict);
}

int Search(const std::string &word) {
    char *table = nullptr;
    const int status = lexq_search(word.c_str(), &table);
    benchmark::DoNotOptimize(table);
    lexq_free_searchresult(table);
    return status;
}

// Headwords of the dictd index that are plain ASCII, fold to a key, and are found.
void LoadWords() {
    std::ifstream in(g.wordFile);
    std::vector<std::string> words;
    for (std::string line; std::getline(in, line);) {
        const std::string word = line.substr(0, line.find('\t'));
        if (word.empty() || word.rfind("00-database", 0) == 0)
            continue;
        if (std::any_of(word.begin(), word.end(), [](unsigned char c) { return c >= 0x80; }))
            continue;
        if (!Fold(word).empty())
            words.push_back(word);
    }
    std::mt19937 random(42);
    std::shuffle(words.begin(), words.end(), random);
    Open();
    for (const std::string &w : words) {
        if (g.present.size() >= 2000)
            break;
        if (Search(w) == LEXQ_ERR_NONE)
            g.present.push_back(w);
    }
    std::uniform_int_distribution<int> letter('a', 'z');
    while (g.absent.size() < 2000) {
        std::string w = "zq";
        for (int i = 0; i < 8; ++i)
            w += static_cast<char>(letter(random));
        if (Search(w) == LEXQ_ERR_WORDNOTFOUND)
            g.absent.push_back(w);
    }
    if (g.present.empty())
        throw std::runtime_error("no headword of the word list is found");
}

// Each search timed on its own after an open: pausing the benchmark's timer around the
// open would add the timer's own system calls to every lookup.
void ColdLookups(benchmark::State &state, const std::vector<std::string> &words) {
    std::size_t i = 0;
    unsigned long systemReads = 0;
    for (auto _ : state) {
        systemReads += lexq_seam_stream_system_reads();
        Open();                                         // nothing cached
        lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);  // resets the counters
        const std::string &word = words[i++ % words.size()];
        const auto start = std::chrono::steady_clock::now();
        Search(word);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    systemReads += lexq_seam_stream_system_reads();
    state.counters["system_reads"] = double(systemReads) / double(state.iterations());
}

void BM_ColdPresent(benchmark::State &state) {
    ColdLookups(state, g.present);
}
void BM_ColdAbsent(benchmark::State &state) {
    ColdLookups(state, g.absent);
}

// Floor of a present lookup: read and inflate one leaf block and one text block.
void BM_FloorLeafAndText(benchmark::State &state) {
    std::vector<std::uint8_t> work, out;
    std::mt19937 random(7);
    for (auto _ : state) {
        ReadAndInflate(g.fd, g.blocks.leaves[random() % g.blocks.leaves.size()], work, out);
        ReadAndInflate(g.fd, g.blocks.texts[random() % g.blocks.texts.size()], work, out);
        benchmark::DoNotOptimize(out.data());
    }
}

// Floor of an absent lookup: read and inflate one leaf block.
void BM_FloorLeaf(benchmark::State &state) {
    std::vector<std::uint8_t> work, out;
    std::mt19937 random(9);
    for (auto _ : state) {
        ReadAndInflate(g.fd, g.blocks.leaves[random() % g.blocks.leaves.size()], work, out);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_WarmRepeat(benchmark::State &state) {
    Open();
    const std::string &word = g.present.front();
    Search(word);
    lexq_seam_stream_fail(LEXQ_OP_READ, 0, false);  // resets the read counter
    for (auto _ : state)
        Search(word);
    state.counters["file_reads"] =
        double(lexq_seam_stream_count(LEXQ_OP_READ) + lexq_seam_stream_count(LEXQ_OP_SEEK));
}

// Floor of a warm repeat: a binary search over the keys in memory and formatting the
// word's rows into a fresh text, with the rows' strings already at hand.
void BM_FloorWarm(benchmark::State &state) {
    std::vector<std::string> keys;
    for (const std::string &w : g.present)
        keys.push_back(Fold(w));
    std::sort(keys.begin(), keys.end());
    const std::string &word = g.present.front();
    Open();
    char *table = nullptr;
    lexq_search(word.c_str(), &table);
    const std::string rows = table;  // the cells the formatting copies
    lexq_free_searchresult(table);
    for (auto _ : state) {
        const std::string key = Fold(word);
        auto it = std::lower_bound(keys.begin(), keys.end(), key);
        benchmark::DoNotOptimize(it);
        char *text = static_cast<char *>(std::malloc(rows.size() + 1));
        std::memcpy(text, rows.data(), rows.size() + 1);
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
}

long ReadBytesOfProcess() {
    std::ifstream io("/proc/self/io");
    for (std::string name; io >> name;) {
        long value = 0;
        io >> value;
        if (name == "rchar:")
            return value;
    }
    return -1;
}

void BM_Open(benchmark::State &state) {
    // What reading /proc/self/io itself adds to its count.
    const long first = ReadBytesOfProcess();
    const long overhead = ReadBytesOfProcess() - first;
    long bytes = 0, opens = 0;
    for (auto _ : state) {
        lexq_deinit();
        const long before = ReadBytesOfProcess();
        lexq_init(g.dict.c_str());
        state.PauseTiming();
        bytes += ReadBytesOfProcess() - before - overhead;
        ++opens;
        state.ResumeTiming();
    }
    state.counters["syscall_bytes_read"] = double(bytes) / double(opens);
}

void MeasureMemory(std::map<std::string, double> &figures) {
    Open();
    const double afterOpen = double(lexq_seam_alloc_live_bytes());
    std::mt19937 random(11);
    for (int i = 0; i < 10000; ++i)
        Search(g.present[random() % g.present.size()]);
    const double afterLookups = double(lexq_seam_alloc_live_bytes());
    figures["memory_after_open_bytes"] = afterOpen;
    figures["memory_after_10000_bytes"] = afterLookups;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Cold lookups of present and absent words beside their floors, in turn, as medians: on a
// shared machine a mean takes in every wait for a core, a median of runs side by side
// does not.
void CompareFloor(std::map<std::string, double> &figures) {
    using Clock = std::chrono::steady_clock;
    const auto us = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::micro>(b - a).count();
    };
    std::vector<std::uint8_t> work, out;
    std::mt19937 random(13);
    std::vector<double> present, absent, floorLeaf, floorBoth;
    const std::size_t n = std::min<std::size_t>(2000, std::min(g.present.size(), g.absent.size()));
    for (std::size_t i = 0; i < n; ++i) {
        Open();
        const auto t0 = Clock::now();
        Search(g.present[i]);
        const auto t1 = Clock::now();
        Open();
        const auto t2 = Clock::now();
        Search(g.absent[i]);
        const auto t3 = Clock::now();
        ReadAndInflate(g.fd, g.blocks.leaves[random() % g.blocks.leaves.size()], work, out);
        const auto t4 = Clock::now();
        ReadAndInflate(g.fd, g.blocks.texts[random() % g.blocks.texts.size()], work, out);
        const auto t5 = Clock::now();
        present.push_back(us(t0, t1));
        absent.push_back(us(t2, t3));
        floorLeaf.push_back(us(t3, t4));
        floorBoth.push_back(us(t3, t5));
    }
    figures["median_cold_present_us"] = Median(present);
    figures["median_cold_absent_us"] = Median(absent);
    figures["median_floor_leaf_us"] = Median(floorLeaf);
    figures["median_floor_leaf_and_text_us"] = Median(floorBoth);
}

double Percentile(std::vector<double> v, double share) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<std::size_t>(share * double(v.size() - 1))];
}

double MicrosSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
}

// One type-ahead list of 12 headwords, as the viewer asks for it at a keystroke.
int TypeAhead(const std::string &text) {
    char *table = nullptr;
    const int status = lexq_prefix(text.c_str(), 12, &table);
    benchmark::DoNotOptimize(table);
    lexq_free_searchresult(table);
    return status;
}

// The type-ahead at each keystroke of words typed letter by letter: with the library's
// caches cold (a fresh open before each keystroke; the system's page cache is warm), and
// warm as while typing (each keystroke after the ones before it, and the same list asked
// again). Then the key walk that the suggestions read once per book.
void MeasureWalks(std::map<std::string, double> &figures) {
    std::vector<double> cold, typing, again;
    std::mt19937 random(17);
    for (int w = 0; w < 300; ++w) {
        const std::string &word = g.present[random() % g.present.size()];
        for (std::size_t length = 1; length <= std::min<std::size_t>(word.size(), 6); ++length) {
            const std::string typed = word.substr(0, length);
            if (Fold(typed).empty())
                continue;
            Open();
            auto t0 = std::chrono::steady_clock::now();
            TypeAhead(typed);
            cold.push_back(MicrosSince(t0));
        }
        Open();
        for (std::size_t length = 1; length <= std::min<std::size_t>(word.size(), 6); ++length) {
            const std::string typed = word.substr(0, length);
            if (Fold(typed).empty())
                continue;
            auto t0 = std::chrono::steady_clock::now();
            TypeAhead(typed);
            typing.push_back(MicrosSince(t0));
            t0 = std::chrono::steady_clock::now();
            TypeAhead(typed);
            again.push_back(MicrosSince(t0));
        }
    }
    figures["typeahead_cold_p50_us"] = Percentile(cold, 0.5);
    figures["typeahead_cold_p95_us"] = Percentile(cold, 0.95);
    figures["typeahead_typing_p95_us"] = Percentile(typing, 0.95);
    figures["typeahead_again_p95_us"] = Percentile(again, 0.95);

    Open();
    const double held = double(lexq_seam_alloc_live_bytes());
    std::vector<double> slices;
    std::string after;
    std::size_t keys = 0;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        char *list = nullptr;
        const auto t0 = std::chrono::steady_clock::now();
        if (lexq_keys(after.c_str(), 2048, &list) != LEXQ_ERR_NONE)
            break;
        slices.push_back(MicrosSince(t0));
        const std::string text = list;
        lexq_free_searchresult(list);
        keys += std::size_t(std::count(text.begin(), text.end(), '\n'));
        // The last line's key: the walk goes on after it.
        const std::size_t end = text.size() - 1;
        const std::size_t begin = text.rfind('\n', end - 1) + 1;  // 0 for a single line
        after = text.substr(begin, end - begin);
    }
    figures["walk_all_ms"] = MicrosSince(start) / 1e3;
    figures["walk_keys"] = double(keys);
    figures["walk_slice_max_us"] = Percentile(slices, 1.0);
    figures["walk_held_growth_bytes"] = double(lexq_seam_alloc_live_bytes()) - held;
}

// The same words, cold through the library and through one dictd connection, in turn.
void ComparePeer(std::map<std::string, double> &figures, const char *kind,
                 const std::vector<std::string> &words, int expectedStatus) {
    DictdClient dictd("127.0.0.1", g.dictdPort);
    std::vector<double> ours, theirs;
    const std::size_t n = std::min<std::size_t>(1000, words.size());
    for (std::size_t i = 0; i < n; ++i) {
        Open();
        auto t0 = std::chrono::steady_clock::now();
        const int status = Search(words[i]);
        auto t1 = std::chrono::steady_clock::now();
        const int definitions = dictd.Define("gcide", words[i]);
        auto t2 = std::chrono::steady_clock::now();
        if (status != expectedStatus)
            throw std::runtime_error("the library no longer answers as it did: " + words[i]);
        if ((definitions > 0) != (expectedStatus == LEXQ_ERR_NONE))
            figures[std::string("dictd_") + kind + "_disagreeing"] += 1;
        ours.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        theirs.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    figures[std::string("ours_") + kind + "_us"] = Median(ours);
    figures[std::string("dictd_") + kind + "_us"] = Median(theirs);
}

class Collector : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> ns;
    std::map<std::string, double> counters;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            std::string name = run.benchmark_name();
            const std::string manual = "/manual_time";
            if (name.size() > manual.size() &&
                name.compare(name.size() - manual.size(), manual.size(), manual) == 0)
                name.resize(name.size() - manual.size());
            ns[name] =
                run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMicrosecond   ? 1e3
                                             : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                        : 1.0);
            for (const auto &[key, counter] : run.counters)
                counters[name + "/" + key] = counter;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// A figure beside its floor (both in ns) and their ratio, with the goal for the ratio
// (0: none).
void Ratio(const char *what, double value, double floor, double goal) {
    if (value <= 0 || floor <= 0) {
        std::printf("%-34s not measured\n", what);
        return;
    }
    const double ratio = floor > 0 ? value / floor : 0.0;
    std::printf("%-34s %10.2f us  floor %10.2f us  ratio %6.2f", what, value / 1e3, floor / 1e3,
                ratio);
    if (goal > 0)
        std::printf("   (goal <= %.2f: %s)", goal, ratio <= goal ? "met" : "MISSED");
    std::printf("\n");
}

void PeerRatio(const char *what, double ours, double theirs, double goal) {
    const double ratio = theirs > 0 ? ours / theirs : 0.0;
    std::printf("%-34s %10.2f us  dictd %10.2f us  ratio %6.2f   (goal <= %.2f: %s)\n", what, ours,
                theirs, ratio, goal, ratio <= goal ? "met" : "MISSED");
}

// How many of the compared words dictd answered otherwise than the library, if any.
void Disagreeing(std::map<std::string, double> &figures, const char *kind) {
    const double n = figures[std::string("dictd_") + kind + "_disagreeing"];
    if (n > 0)
        std::printf("%-34s %10.0f words where dictd answered otherwise\n", "", n);
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dict" && i + 1 < argc)
            g.dict = argv[++i];
        else if (arg == "--words" && i + 1 < argc)
            g.wordFile = argv[++i];
        else if (arg == "--dictd-port" && i + 1 < argc)
            g.dictdPort = std::atoi(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    if (g.dict.empty() || g.wordFile.empty()) {
        std::fprintf(stderr,
                     "usage: lexq_bench --dict FILE.idx --words FILE.index [--dictd-port N]\n");
        return 2;
    }
    try {
        g.blocks = ScanBlocks(g.dict);
        g.fd = ::open(g.dict.c_str(), O_RDONLY);
        LoadWords();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "lexq_bench: %s\n", e.what());
        return 2;
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RegisterBenchmark("cold_present", BM_ColdPresent)
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("floor_leaf_and_text", BM_FloorLeafAndText)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("cold_absent", BM_ColdAbsent)
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("floor_leaf", BM_FloorLeaf)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("warm_repeat", BM_WarmRepeat)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("floor_warm", BM_FloorWarm)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("open", BM_Open)->Unit(benchmark::kMicrosecond);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    std::map<std::string, double> figures;
    MeasureMemory(figures);
    CompareFloor(figures);
    MeasureWalks(figures);
    if (g.dictdPort != 0) {
        try {
            ComparePeer(figures, "present", g.present, LEXQ_ERR_NONE);
            ComparePeer(figures, "absent", g.absent, LEXQ_ERR_WORDNOTFOUND);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "lexq_bench: %s\n", e.what());
            return 2;
        }
    }
    lexq_deinit();

    auto &ns = collector.ns;
    std::printf("\n== lexqapi on %s: %zu leaf blocks, %zu text blocks; floors inflate with %s ==\n",
                g.dict.c_str(), g.blocks.leaves.size(), g.blocks.texts.size(), FloorInflater());
    std::printf("means of the runs above:\n");
    Ratio("cold present lookup", ns["cold_present"], ns["floor_leaf_and_text"], 0);
    Ratio("cold absent lookup", ns["cold_absent"], ns["floor_leaf"], 0);
    std::printf("medians of 2000 present and absent words, each beside its floor in turn:\n");
    Ratio("cold present lookup", figures["median_cold_present_us"] * 1e3,
          figures["median_floor_leaf_and_text_us"] * 1e3, 1.2);
    Ratio("cold absent lookup", figures["median_cold_absent_us"] * 1e3,
          figures["median_floor_leaf_us"] * 1e3, 0);
    std::printf("%-34s %10.2f  (one per node, leaf block and text block)\n",
                "cold present system reads", collector.counters["cold_present/system_reads"]);
    Ratio("warm repeat", ns["warm_repeat"], ns["floor_warm"], 0);
    std::printf("%-34s %10s     (goal <= 2 us: %s)\n", "", "",
                ns["warm_repeat"] <= 2000 ? "met" : "MISSED");
    std::printf("%-34s %10.0f\n", "warm repeat file reads+seeks",
                collector.counters["warm_repeat/file_reads"]);
    std::printf(
        "%-34s %10.2f us  (goal <= 2000 us: %s); library asks for 75 bytes, system read "
        "%.0f bytes\n",
        "open", ns["open"] / 1e3, ns["open"] <= 2e6 ? "met" : "MISSED",
        collector.counters["open/syscall_bytes_read"]);
    const double open = figures["memory_after_open_bytes"],
                 after = figures["memory_after_10000_bytes"];
    const double growth = open > 0 ? after / open : 0.0;
    std::printf("%-34s %10.0f -> %.0f bytes  ratio %.3f (goal <= 1.1: %s)\n",
                "memory open -> 10000 lookups", open, after, growth,
                growth <= 1.1 ? "met" : "MISSED");
    std::printf("%-34s %10.1f us  p50 %.1f us  (goal p95 <= 2000 us: ratio %.3f, %s)\n",
                "type-ahead, caches cold, p95", figures["typeahead_cold_p95_us"],
                figures["typeahead_cold_p50_us"], figures["typeahead_cold_p95_us"] / 2000.0,
                figures["typeahead_cold_p95_us"] <= 2000.0 ? "met" : "MISSED");
    std::printf("%-34s %10.1f us  (goal p95 <= 200 us: ratio %.3f, %s)\n",
                "type-ahead while typing, p95", figures["typeahead_typing_p95_us"],
                figures["typeahead_typing_p95_us"] / 200.0,
                figures["typeahead_typing_p95_us"] <= 200.0 ? "met" : "MISSED");
    std::printf("%-34s %10.1f us  (goal p95 <= 200 us: ratio %.3f, %s)\n",
                "type-ahead asked again, p95", figures["typeahead_again_p95_us"],
                figures["typeahead_again_p95_us"] / 200.0,
                figures["typeahead_again_p95_us"] <= 200.0 ? "met" : "MISSED");
    std::printf(
        "%-34s %10.1f ms  %.0f keys in slices of 2048, longest slice %.0f us; the library "
        "holds %.0f bytes more\n",
        "key walk of the whole book, cold", figures["walk_all_ms"], figures["walk_keys"],
        figures["walk_slice_max_us"], figures["walk_held_growth_bytes"]);
    if (g.dictdPort != 0) {
        std::printf(
            "dictd on 127.0.0.1, one connection acknowledging at once; medians of the "
            "same words, in turn:\n");
        PeerRatio("cold present vs dictd present", figures["ours_present_us"],
                  figures["dictd_present_us"], 0.35);
        Disagreeing(figures, "present");
        PeerRatio("cold absent vs dictd absent", figures["ours_absent_us"],
                  figures["dictd_absent_us"], 0.5);
        Disagreeing(figures, "absent");
    }
    return 0;
}
