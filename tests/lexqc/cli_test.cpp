// The command line: exit statuses, messages, and damaged dictionary files.
#include "cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "books/article_index.h"
#include "test_support.h"

namespace lexqc {

using namespace books;
namespace {

struct Outcome {
    int rc;
    std::string out, err;
};

Outcome Lexqc(const std::vector<std::string> &args) {
    std::ostringstream out, err;
    const int rc = RunLexqc(args, out, err);
    return {rc, out.str(), err.str()};
}

TEST(LexqcCli, BadCommandLinesAreInputErrors) {
    test::TempDir dir;
    const std::string src = dir.Write("a.src", "kw: a\nb\n");
    const std::string idx = dir.File("a.idx");
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate"},
             {"build", src},
             {"build", src, idx, "--fanout"},
             {"build", src, idx, "--fanout", "1"},
             {"build", src, idx, "--leaf-size", "0"},
             {"build", src, idx, "--text-size", "12k"},
             {"build", src, idx, "--text-size", "-5"},
             {"build", src, idx, "--bogus"},
             {"build", dir.File("missing.src"), idx},
             {"dump", dir.File("missing.idx")},
         }) {
        const Outcome r = Lexqc(args);
        EXPECT_EQ(r.rc, kExitInputError) << testing::PrintToString(args);
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(test::ReadAll(idx).size());
}

TEST(LexqcCli, BuildNamesTheLineOfABadHeadword) {
    test::TempDir dir;
    const std::string src = dir.Write("a.src",
                                      "kw: goed\nb\n\n# comment\nkw: huis\x01"
                                      "elijk\nb\n");
    const Outcome r = Lexqc({"build", src, dir.File("a.idx")});
    EXPECT_EQ(r.rc, kExitInputError);
    EXPECT_NE(r.err.find("a.src:5: error: headword contains a control character (U+0001)"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(test::ReadAll(dir.File("a.idx")).size());  // no output on errors
}

// A headword, direction or key beyond Windows-1252 makes a UTF-8 book, which a reader of
// the first kind refuses at its first section header; any other source makes a book of
// the first kind, as before.
TEST(LexqcCli, BuildMakesAUtf8BookOnlyWhereAHeadwordNeedsIt) {
    test::TempDir dir;
    for (const auto &[extra, utf8] :
         std::vector<std::pair<std::string, bool>>{{"kw: café\ndir: fr-nl\n<p>\u0142</p>\n", false},
                                                   {"kw: łódź\n<p>boot</p>\n", true},
                                                   {"kw: boot\nkey: łódka\n<p>boot</p>\n", true},
                                                   {"kw: Ὀδυσσεύς\ndir: ελ\n<p>x</p>\n", true}}) {
        const std::string src = dir.Write("a.src", test::ManyEntries(20) + extra);
        const Outcome built = Lexqc({"build", src, dir.File("a.idx")});
        ASSERT_EQ(built.rc, kExitOk) << built.err;
        EXPECT_NE(built.out.find(utf8 ? ", UTF-8 book" : ", Windows-1252 book"), std::string::npos)
            << built.out;
        const std::string file = test::ReadAll(dir.File("a.idx"));
        ASSERT_GT(file.size(), 49u);
        EXPECT_EQ(file.substr(0, 16),
                  utf8 ? "TAALKIST-LEXQ U8" : std::string("TAALKIST-LEXQ 1\0", 16));
        EXPECT_EQ(file.substr(24, 12) == std::string(12, '\xFF'), utf8) << extra;
        // Every book has its article index; a UTF-8 book's says its words are folded.
        books::ArticleIndex::OpenStatus status;
        const auto index = books::ArticleIndex::Open(dir.File("a.fts"), status);
        ASSERT_TRUE(index) << extra;
        EXPECT_EQ(index->FoldsWords(), utf8) << extra;
        const Outcome dump = Lexqc({"dump", dir.File("a.idx")});
        EXPECT_NE(dump.out.find("headers agree with the contents"), std::string::npos) << dump.out;
        const Outcome verify = Lexqc({"verify", dir.File("a.idx"), src});
        EXPECT_EQ(verify.rc, kExitOk) << verify.err << verify.out;
    }
    // Final sigma folds as sigma: the capitals find the word.
    const Outcome found = Lexqc({"lookup", dir.File("a.idx"), "ΟΔΥΣΣΕΥΣ"});
    EXPECT_EQ(found.rc, kExitOk) << found.out;
    EXPECT_NE(found.out.find("<td>οδυσσευσ</td><td>Ὀδυσσεύς</td><td>ελ</td>"), std::string::npos)
        << found.out;
}

TEST(LexqcCli, BuildKeepsAWordWithoutLettersAndDumpAgrees) {
    test::TempDir dir;
    const std::string src = dir.Write("a.src", test::ManyEntries(50) + "kw: 42\nb\n");
    const Outcome built =
        Lexqc({"build", src, dir.File("a.idx"), "--leaf-size", "64", "--fanout", "3"});
    ASSERT_EQ(built.rc, kExitOk) << built.err;
    // "42" makes no search key; it is kept in the list of exact words beside the book.
    EXPECT_EQ(built.err.find("warning"), std::string::npos) << built.err;
    EXPECT_NE(test::ReadAll(dir.File("a.exact")).find("42"), std::string::npos);
    EXPECT_NE(built.out.find("50 keys"), std::string::npos) << built.out;
    const Outcome dump = Lexqc({"dump", dir.File("a.idx")});
    EXPECT_EQ(dump.rc, kExitOk) << dump.out;
    EXPECT_NE(dump.out.find("headers agree with the contents"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("index level 2"), std::string::npos) << dump.out;
}

TEST(LexqcCli, DumpSurvivesDamagedFiles) {
    test::TempDir dir;
    const std::string src = dir.Write("a.src", test::ManyEntries(30));
    ASSERT_EQ(Lexqc({"build", src, dir.File("a.idx"), "--leaf-size", "60", "--fanout", "2"}).rc,
              kExitOk);
    const std::string good = test::ReadAll(dir.File("a.idx"));
    // Every truncation, and every byte flipped in turn: a clear answer, never a crash.
    for (std::size_t size = 0; size < good.size(); ++size) {
        dir.Write("bad.idx", good.substr(0, size));
        const Outcome r = Lexqc({"dump", dir.File("bad.idx")});
        EXPECT_NE(r.rc, kExitOk) << size;
    }
    int detected = 0;
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x5A);
        dir.Write("bad.idx", bad);
        const Outcome r = Lexqc({"dump", dir.File("bad.idx")});
        EXPECT_TRUE(r.rc == kExitOk || r.rc == kExitCheckFailed || r.rc == kExitInputError);
        detected += r.rc != kExitOk;
    }
    // Only the identification, the two free values and the unread 16-bit text values
    // may change unnoticed.
    EXPECT_GT(detected, static_cast<int>(good.size()) - 40);
}

}  // namespace
}  // namespace lexqc
