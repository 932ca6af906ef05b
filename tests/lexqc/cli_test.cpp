// The command line: exit statuses, messages, and damaged dictionary files.
#include "cli.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(LexqcCli, BuildNamesTheLineOfAnUnrepresentableHeadword) {
    test::TempDir dir;
    const std::string src = dir.Write("a.src", "kw: goed\nb\n\n# comment\nkw: huiselĳk\nb\n");
    const Outcome r = Lexqc({"build", src, dir.File("a.idx")});
    EXPECT_EQ(r.rc, kExitInputError);
    EXPECT_NE(r.err.find("a.src:5: error: headword contains U+0133"), std::string::npos) << r.err;
    EXPECT_FALSE(test::ReadAll(dir.File("a.idx")).size());  // no output on errors
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
