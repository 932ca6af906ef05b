// Reading the source format: records, bodies, escapes and errors with line numbers.
#include "books/source.h"

#include <gtest/gtest.h>

namespace books {
namespace {

std::vector<SourceEntry> Parse(const std::string &text, Diagnostics &diag) {
    return ParseSource(text, diag);
}

bool AnyErrorContains(const Diagnostics &diag, const std::string &part) {
    for (const std::string &e : diag.Errors()) {
        if (e.find(part) != std::string::npos)
            return true;
    }
    return false;
}

TEST(LexqcSource, ReadsRecordsWithHeadersBodyAndComments) {
    Diagnostics diag("s.src");
    const auto entries = Parse(
        "\xEF\xBB\xBF# a comment before the first record\r\n"
        "dir: nl-en\r\n"
        "kw:   huis  \r\n"
        "key: woning\r\n"
        "key: thuis\r\n"
        "<p>house</p>\r\n"
        "# comments inside a body are dropped\r\n"
        "  indented: kw: stays body\r\n"
        "\r\n\r\n"
        "kw: boek\n"
        "\\kw: a body line that looks like a header\n"
        "\\\n"
        "\\# not a comment\n",
        diag);
    ASSERT_FALSE(diag.HasErrors()) << diag.Errors()[0];
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].headword, "huis");
    EXPECT_EQ(entries[0].line, 3);
    EXPECT_EQ(entries[0].dir, "nl-en");
    ASSERT_EQ(entries[0].keys.size(), 2u);
    EXPECT_EQ(entries[0].keys[1].text, "thuis");
    EXPECT_EQ(entries[0].keys[1].line, 5);
    EXPECT_EQ(entries[0].body, "<p>house</p>\r\n  indented: kw: stays body");
    EXPECT_EQ(entries[1].dir, "");
    EXPECT_EQ(entries[1].body, "kw: a body line that looks like a header\r\n\r\n# not a comment");
}

TEST(LexqcSource, ConvertsToWindows1252) {
    Diagnostics diag;
    const auto entries = Parse("kw: straße\ndir: €\n<p>ĳs – café</p>\n", diag);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headword,
              "stra\xDF"
              "e");
    EXPECT_EQ(entries[0].dir, "\x80");
    EXPECT_EQ(entries[0].body, "<p>&#307;s \x96 caf\xE9</p>");
}

TEST(LexqcSource, ReportsErrorsWithTheirLines) {
    struct Case {
        std::string text;
        std::string expected;  // part of the error message, with its line
    };
    const std::vector<Case> cases = {
        {"kw: a\nbody\n\nkw: huiselĳk\n", "s.src:4: error: headword contains U+0133"},
        {"kw: a\nkey: ĳs\n", "s.src:2: error: key contains U+0133"},
        {"kw: a\ndir: ĳ\n", "s.src:2: error: \"dir:\" value contains U+0133"},
        {"kw: a\nkw: b\n", "s.src:2: error: a record has only one \"kw:\""},
        {"kw: a\ndir: x\ndir: y\n", "s.src:3: error: a record has only one \"dir:\""},
        {"\n\ndir: x\nbody\n", "s.src:3: error: record without a \"kw:\""},
        {"kw:\n", "s.src:1: error: \"kw:\" needs a headword"},
        {"kw: a\n<p>x\xC3(</p>\n", "s.src:2: error: invalid UTF-8 at column 5"},
        {"kw: a\nb\nc\xED\xA0\x80\n", "s.src:3: error: invalid UTF-8"},
        {std::string("kw: a\nbo\0dy\n", 12), "s.src:2: error: NUL byte in column 3"},
        {"kw: a\tb\x01\n", "s.src:1: error: headword contains a control character (U+0001)"},
        {"kw: a\nbo\x7F"
         "dy\n",
         "s.src:2: error: the body contains the control character U+007F"},
        {"kw: a\nok\n\xC2\x85\n", "s.src:3: error: the body contains the control character U+0085"},
        {"kw: a\nx\ry\n", "s.src:2: error: the body contains the control character U+000D"},
        {"kw: a\n<td>x</td>\n", "s.src:2: error: \"</td>\" cannot appear"},
        {"kw: a</tr>\n", "s.src:1: error: \"</tr>\" cannot appear"},
    };
    for (const Case &c : cases) {
        Diagnostics diag("s.src");
        const auto entries = Parse(c.text, diag);
        EXPECT_TRUE(AnyErrorContains(diag, c.expected))
            << c.text << "\n got: " << (diag.Errors().empty() ? "no error" : diag.Errors()[0]);
        EXPECT_THROW(diag.ThrowIfErrors(), InputError);
    }
}

TEST(LexqcSource, ABrokenRecordDoesNotHideLaterErrors) {
    Diagnostics diag("s.src");
    const auto entries = Parse("kw: ĳ\n\nkw: good\nbody\n\nkw: ĳĳ\n", diag);
    EXPECT_EQ(diag.Errors().size(), 2u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].headword, "good");
}

TEST(LexqcSource, FormattedRecordsReadBackUnchanged) {
    const std::vector<std::string> body = {
        "<p>first</p>", "", "   ", "#hash", "\\back", "kw: fake", "dir: fake", "key: fake", "last"};
    const std::string text =
        FormatRecord("huis", "nl-en", {"woning"}, body) + FormatRecord("boek", "", {}, {"x"});
    Diagnostics diag;
    const auto entries = Parse(text, diag);
    ASSERT_FALSE(diag.HasErrors());
    ASSERT_EQ(entries.size(), 2u);
    std::string joined;
    for (std::size_t i = 0; i < body.size(); ++i)
        joined += (i ? "\r\n" : "") + body[i];
    EXPECT_EQ(entries[0].body, joined);
    EXPECT_EQ(entries[0].keys.at(0).text, "woning");
    EXPECT_EQ(entries[1].headword, "boek");
    EXPECT_EQ(entries[1].dir, "");
}

}  // namespace
}  // namespace books
