// Times each reader of outside files on a hostile shape of input (a long line, deep
// nesting, many items) at two sizes, and prints how the time grows against linear
// growth: a ratio near 1 is linear, near 4 quadratic. Goal: under 2.
//   readers_bench [--size BYTES]   the smaller input, 1 MiB by default; the larger is 4x
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "books/dictd_import.h"
#include "books/source.h"
#include "books/stardict.h"
#include "books/wordnet_entry.h"
#include "dict_files.h"
#include "platform/hive.h"
#include "viewer/finder/WordFormTable.h"

using namespace books;

namespace {

struct Shape {
    const char *name;
    std::function<std::string(std::size_t)> make;  // an input of about the given bytes
    std::function<void(const std::string &)> read;
};

std::string Repeat(const std::string &piece, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + piece.size());
    while (out.size() < bytes)
        out += piece;
    return out;
}

// Lines made by line(i) for i = 0, 1, ... up to about the given bytes.
std::string Lines(const std::function<std::string(std::size_t)> &line, std::size_t bytes) {
    std::string out;
    for (std::size_t i = 0; out.size() < bytes; ++i)
        out += line(i);
    return out;
}

const std::string kReg = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\S]\n";

std::vector<Shape> Shapes() {
    const auto hive = [](const std::string &text) { platform::Hive::Parse(text); };
    const auto source = [](const std::string &text) {
        Diagnostics diag;
        ParseSource(text, diag);
    };
    // One entry of the whole text, in the WordNet layout when it starts like one.
    const auto dictd = [](const std::string &text) {
        Diagnostics diag;
        DictdImportOptions options;
        options.wordnet = text.starts_with("dog\n");
        ImportDictd("dog\tA\t" + books::test::DictdNumber(text.size()) + "\n", text, options, diag);
    };
    const auto markup = [](const std::string &text) { StardictEntryHtml(text, "h", "bench"); };
    return {
        {".reg: a long hex list",
         [](std::size_t n) { return kReg + "\"w\"=hex:" + Repeat("01,02,\\\n  ", n) + "03\n"; },
         hive},
        {".reg: many deletions",
         [](std::size_t n) {
             const auto set = [](std::size_t i) {
                 return "\"v" + std::to_string(i) + "\"=\"1\"\n";
             };
             const auto drop = [](std::size_t i) { return "\"v" + std::to_string(i) + "\"=-\n"; };
             return kReg + Lines(set, n / 2) + Lines(drop, n / 2);
         },
         hive},
        {".reg: many sections",
         [](std::size_t n) {
             return Lines(
                 [](std::size_t i) {
                     const std::string key = "HKEY_CURRENT_USER\\S\\k" + std::to_string(i);
                     return "[" + key + "]\n[-" + key + "]\n";
                 },
                 n);
         },
         hive},
        {"source: a long body line",
         [](std::size_t n) { return "kw: lang\n" + Repeat("<b>x</b> &#307; ", n) + "\n"; }, source},
        {"source: many keys",
         [](std::size_t n) {
             return "kw: veel\n" +
                    Lines([](std::size_t i) { return "key: k" + std::to_string(i) + "\n"; }, n) +
                    "body\n";
         },
         source},
        {"dictd: a long text line", [](std::size_t n) { return Repeat("woord ", n); }, dictd},
        {"WordNet: many references",
         [](std::size_t n) { return "dog\n    n 1: a dog " + Repeat("[syn: {a}] ", n); }, dictd},
        {"WordNet: many senses",
         [](std::size_t n) { return "dog\n" + Repeat("    n 1: a dog\n", n); }, dictd},
        {"StarDict: markup of '<'", [](std::size_t n) { return std::string(n, '<'); }, markup},
        {"StarDict: tags that end late", [](std::size_t n) { return Repeat("<table", n) + ">"; },
         markup},
        {"word forms: a long line", [](std::size_t n) { return Repeat("lopen\t", n) + "liep\n"; },
         [](const std::string &text) { WordFormTable::Parse(text); }},
        {"word forms: many lines",
         [](std::size_t n) {
             return Lines(
                 [](std::size_t i) {
                     return "w" + std::to_string(i) + "\tv" + std::to_string(i) + "\tgo\n";
                 },
                 n);
         },
         [](const std::string &text) { WordFormTable::Parse(text); }},
    };
}

// The best of three runs, in seconds.
double Time(const Shape &shape, const std::string &input) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        shape.read(input);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char **argv) {
    std::size_t size = 1 << 20;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--size") == 0)
            size = std::strtoull(argv[++i], nullptr, 10);
    std::printf("%-30s %10s %10s %7s\n", "reader: input", "1x (s)", "4x (s)", "ratio");
    int slow = 0;
    for (const Shape &shape : Shapes()) {
        const double small = Time(shape, shape.make(size));
        const double large = Time(shape, shape.make(4 * size));
        // Growth against linear growth; tiny times say nothing, so they count as linear.
        const double ratio = large < 0.002 ? 1.0 : large / (4 * std::max(small, 1e-6));
        std::printf("%-30s %10.4f %10.4f %7.2f%s\n", shape.name, small, large, ratio,
                    ratio < 2 ? "" : "  over the goal of 2");
        slow += ratio < 2 ? 0 : 1;
    }
    return slow == 0 ? 0 : 1;
}
