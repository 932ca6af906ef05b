// Lookups in a UTF-8 book against a Windows-1252 book of the same entries (the same source
// compiled as both kinds): cold lookups, each after an open, side by side, as medians, each
// beside its floor (reading and inflating one leaf and one text block of its file). Prints
// the UTF-8 book's time as a ratio to the other's; the goal is at most 1.2.
//
//   lexq_utf8_bench --utf8 A.idx --cp1252 B.idx --words WORDS.txt   (UTF-8, one a line)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "blocks.h"
#include "lexqapi.h"
#include "platform/encoding.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Us(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

struct Book {
    std::string path;
    FileBlocks blocks;
    int fd = -1;
};

void Open(const Book &book) {
    lexq_deinit();
    if (lexq_init(book.path.c_str()) != LEXQ_ERR_NONE)
        throw std::runtime_error("cannot open " + book.path);
}

// A cold lookup's time; throws when the word is not found.
double Lookup(const Book &book, const std::string &word, bool utf8) {
    Open(book);
    char *table = nullptr;
    const auto t0 = Clock::now();
    const int status =
        utf8 ? lexq_search_utf8(word.c_str(), &table) : lexq_search(word.c_str(), &table);
    const auto t1 = Clock::now();
    lexq_free_searchresult(table);
    if (status != LEXQ_ERR_NONE)
        throw std::runtime_error("not found in " + book.path + ": " + word);
    return Us(t0, t1);
}

double Floor(Book &book, std::mt19937 &random, std::vector<std::uint8_t> &work,
             std::vector<std::uint8_t> &out) {
    const auto t0 = Clock::now();
    ReadAndInflate(book.fd, book.blocks.leaves[random() % book.blocks.leaves.size()], work, out);
    ReadAndInflate(book.fd, book.blocks.texts[random() % book.blocks.texts.size()], work, out);
    return Us(t0, Clock::now());
}

}  // namespace

int main(int argc, char **argv) {
    Book utf8Book, oldBook;
    std::string wordFile;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        (arg == "--utf8"     ? utf8Book.path
         : arg == "--cp1252" ? oldBook.path
                             : wordFile) = argv[i + 1];
    }
    if (utf8Book.path.empty() || oldBook.path.empty() || wordFile.empty()) {
        std::fprintf(stderr, "usage: lexq_utf8_bench --utf8 A.idx --cp1252 B.idx --words FILE\n");
        return 2;
    }
    try {
        std::vector<std::string> words;
        std::ifstream in(wordFile);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && platform::Utf8ToCp1252Exact(line))
                words.push_back(line);
        std::mt19937 random(11);
        std::shuffle(words.begin(), words.end(), random);
        if (words.size() > 3000)
            words.resize(3000);
        for (Book *book : {&utf8Book, &oldBook}) {
            book->blocks = ScanBlocks(book->path);
            book->fd = ::open(book->path.c_str(), O_RDONLY);
        }
        std::vector<double> utf8Times, oldTimes, utf8Floor, oldFloor;
        std::vector<std::uint8_t> work, out;
        // In turn, so that both see the same machine: a median of runs side by side. Which
        // book goes first alternates: the second lookup of a word finds the inflater and the
        // processor's caches warm from the first.
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string &word = words[i];
            const std::string old = *platform::Utf8ToCp1252Exact(word);
            if (i % 2 == 0) {
                utf8Times.push_back(Lookup(utf8Book, word, true));
                oldTimes.push_back(Lookup(oldBook, old, false));
            } else {
                oldTimes.push_back(Lookup(oldBook, old, false));
                utf8Times.push_back(Lookup(utf8Book, word, true));
            }
            utf8Floor.push_back(Floor(utf8Book, random, work, out));
            oldFloor.push_back(Floor(oldBook, random, work, out));
        }
        lexq_deinit();
        const double u = Median(utf8Times), o = Median(oldTimes);
        const double uf = Median(utf8Floor), of = Median(oldFloor);
        std::printf("%zu words found in both books, cold lookups (median)\n", words.size());
        std::printf("%-40s %8.2f us  floor %8.2f us  ratio to floor %5.2f\n",
                    "UTF-8 book, lexq_search_utf8", u, uf, u / uf);
        std::printf("%-40s %8.2f us  floor %8.2f us  ratio to floor %5.2f\n",
                    "Windows-1252 book, lexq_search", o, of, o / of);
        const double ratio = u / o;
        std::printf("%-40s %8.2f     goal <= 1.20  %s\n", "UTF-8 / Windows-1252 lookup", ratio,
                    ratio <= 1.2 ? "met" : "MISSED");
        std::printf("%-40s %8.2f     goal <= 1.20  %s\n", "the same, each to its floor",
                    (u / uf) / (o / of), (u / uf) / (o / of) <= 1.2 ? "met" : "MISSED");
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "lexq_utf8_bench: %s\n", e.what());
        return 1;
    }
}
