// Dictionaries from the compiler, read through the real search library (and crypt.so
// for enciphered ones): every key must give exactly its rows.
#include <gtest/gtest.h>

#include "books/builder.h"
#include "books/search_library.h"
#include "books/source.h"
#include "books/verify.h"
#include "cli.h"
#include "test_support.h"

#include <sstream>

namespace books {

// Some cases run the compiler's command line on what they make.
using namespace lexqc;
namespace {

#ifdef LEXQC_TEST_LEXQAPI

class LexqcLexqapiRoundTrip : public testing::Test {
  protected:
    void SetUp() override { library_ = SearchLibrary::Load(LEXQC_TEST_LEXQAPI); }

    // Compiles source with the command-line tool, as the build does, and verifies
    // every key through the library.
    VerifyReport BuildAndVerify(const std::string &source, std::vector<std::string> options = {}) {
        const std::string src = dir_.Write("d.src", source);
        std::vector<std::string> args = {"build", src, dir_.File("d.idx")};
        args.insert(args.end(), options.begin(), options.end());
        std::ostringstream out, err;
        EXPECT_EQ(RunLexqc(args, out, err), kExitOk) << err.str();
        return VerifyDictionary(*library_, dir_.File("d.idx"), test::Collect(source));
    }

    test::TempDir dir_;
    std::unique_ptr<SearchLibrary> library_;
};

TEST_F(LexqcLexqapiRoundTrip, TreesOfEveryDepth) {
    struct Case {
        int entries;
        std::vector<std::string> options;
    };
    const std::vector<Case> cases = {
        {3, {}},
        {60, {"--leaf-size", "40", "--text-size", "100"}},
        {60, {"--leaf-size", "1", "--text-size", "1", "--fanout", "4"}},
        {400, {"--leaf-size", "64", "--text-size", "300", "--fanout", "3"}},
    };
    for (const Case &c : cases) {
        const VerifyReport report = BuildAndVerify(test::ManyEntries(c.entries), c.options);
        EXPECT_TRUE(report.Ok()) << c.entries << ": "
                                 << (report.mismatches.empty() ? "" : report.mismatches[0]);
        EXPECT_EQ(report.keysChecked, static_cast<std::size_t>(c.entries));
    }
}

TEST_F(LexqcLexqapiRoundTrip, ManyHitsComeBackInSourceOrder) {
    std::string source;
    for (int i = 0; i < 150; ++i) {
        source += (i % 2 ? "kw: Bank\n" : "kw: bänk\n") + std::string("<p>") + std::to_string(i) +
                  "</p>\n\n";
    }
    const VerifyReport report = BuildAndVerify(source, {"--text-size", "200"});
    EXPECT_TRUE(report.Ok()) << (report.mismatches.empty() ? "" : report.mismatches[0]);
    EXPECT_EQ(report.rowsChecked, 150u);
}

TEST_F(LexqcLexqapiRoundTrip, TextComesBackAsWindows1252WithReferences) {
    BuildAndVerify("kw: café\ndir: nl-en\n<p>ĳs € 😀</p>\n");
    ASSERT_EQ(library_->Open(dir_.File("d.idx")), LEXQ_ERR_NONE);
    const SearchLibrary::Result r = library_->Search("Caf\xE9");
    EXPECT_EQ(r.status, LEXQ_ERR_NONE);
    EXPECT_EQ(r.table,
              "<table><tr><td>Caf\xE9</td><td>CAFE</td><td>caf\xE9</td><td>nl-en</td>"
              "<td><p>&#307;s \x80 &#128512;</p></td></tr></table>");
    EXPECT_EQ(library_->Search("thee").status, LEXQ_ERR_WORDNOTFOUND);
    EXPECT_EQ(library_->Search("ZZZZ").status, LEXQ_ERR_WORDNOTFOUND);
    library_->Close();
}

#ifdef LEXQC_TEST_CRYPT
TEST_F(LexqcLexqapiRoundTrip, EncipheredThroughCryptSo) {
    const std::string source = test::ManyEntries(200);
    const VerifyReport report = BuildAndVerify(
        source, {"--encipher", "--crypt", LEXQC_TEST_CRYPT, "--leaf-size", "100", "--fanout", "4"});
    EXPECT_TRUE(report.Ok()) << (report.mismatches.empty() ? "" : report.mismatches[0]);
    EXPECT_EQ(report.keysChecked, 200u);
    const std::string file = test::ReadAll(dir_.File("d.idx"));
    EXPECT_EQ(file.at(36), 1);
    EXPECT_EQ(file.find("WAAAA"), std::string::npos);  // no key is legible
}
#endif

TEST_F(LexqcLexqapiRoundTrip, VerifyNoticesAFileThatDoesNotMatchItsSource) {
    BuildAndVerify("kw: huis\n<p>house</p>\n\nkw: boek\n<p>book</p>\n\nkw: kaas\nc\n");
    const KeyTable other = test::Collect("kw: huis\n<p>home</p>\n\nkw: fiets\n<p>bike</p>\n");
    const VerifyReport report = VerifyDictionary(*library_, dir_.File("d.idx"), other);
    EXPECT_FALSE(report.Ok());
    EXPECT_EQ(report.keysFailed, 3u);
    ASSERT_EQ(report.mismatches.size(), 3u);
    EXPECT_NE(report.mismatches[0].find("the file holds 3 keys, the source 2"), std::string::npos);
    EXPECT_NE(report.mismatches[1].find("key FIETS: LEXQ_ERR_WORDNOTFOUND"), std::string::npos);
    EXPECT_NE(report.mismatches[2].find("key HUIS: other rows"), std::string::npos);
}

#ifdef LEXQC_TEST_DATA_DIR
// What the product ships: every book, read through the library as the viewer will, gives
// exactly the rows of the source it was compiled from (the dictd imports, or the samples
// when the build had no FreeDict files).
TEST_F(LexqcLexqapiRoundTrip, ShippedBooksMatchTheirSources) {
    std::vector<std::string> books;
    std::istringstream list(LEXQC_TEST_BOOKS);
    for (std::string book; std::getline(list, book, ',');)
        books.push_back(book);
    ASSERT_GE(books.size(), 2u);
    for (const std::string &book : books) {
        Diagnostics diag(book);
        TextKind kind = TextKind::Cp1252;
        const std::vector<SourceEntry> entries =
            ReadSourceFile(std::string(LEXQC_TEST_DATA_SOURCES) + "/" + book + ".src", diag, &kind);
        const KeyTable table = CollectKeys(entries, diag, 255, 0xFFFF, kind);
        EXPECT_TRUE(diag.Warnings().empty()) << diag.Warnings()[0];
        const std::string idx = std::string(LEXQC_TEST_DATA_DIR) + "/" + book + ".idx";
        const VerifyReport report = VerifyDictionary(*library_, idx, table);
        EXPECT_TRUE(report.Ok()) << book << ": "
                                 << (report.mismatches.empty() ? "" : report.mismatches[0]);
        EXPECT_GE(report.keysChecked, 30u) << book;
    }
}

// The first words a new user tries: each book answers in its own direction.
TEST_F(LexqcLexqapiRoundTrip, ShippedBooksAnswerHuisAndHouse) {
    struct Case {
        const char *book, *word, *row;
    };
    for (const Case &c : {Case{"nl-en", "huis", "<td>huis</td><td>nl-en</td>"},
                          Case{"en-nl", "house", "<td>house</td><td>en-nl</td>"}}) {
        ASSERT_EQ(library_->Open(std::string(LEXQC_TEST_DATA_DIR) + "/" + c.book + ".idx"), 0)
            << c.book;
        const SearchLibrary::Result result = library_->Search(c.word);
        ASSERT_EQ(result.status, 0) << c.book;
        EXPECT_NE(result.table.find(c.row), std::string::npos) << result.table;
        EXPECT_NE(result.table.find(std::string("<li>") + (c.book[0] == 'n' ? "house" : "huis")),
                  std::string::npos)
            << result.table;
    }
}
#endif

#else
TEST(LexqcLexqapiRoundTrip, NeedsTheSearchLibrary) {
    GTEST_SKIP() << "lexqapi.so is not built in this tree";
}
#endif

}  // namespace
}  // namespace books
