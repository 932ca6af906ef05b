// FreeDict's entry layout: headword line with pronunciation, numbered or single senses,
// and the HTML the result page gets from it.
#include "books/freedict_entry.h"

#include <gtest/gtest.h>

namespace books {
namespace {

TEST(LexqcFreedictEntry, SplitsHeadwordPronunciationAndSenses) {
    struct Case {
        std::string text;
        std::string headword, pronunciation;
        std::vector<std::string> senses;
    };
    const std::vector<Case> cases = {
        {"huis /həʏs/\n1. house\n2. family\n", "huis", "həʏs", {"house", "family"}},
        {"house /haus/\nhuis, pand\n", "house", "haus", {"huis, pand"}},
        // A blank inside the pronunciation; the Unicode hyphen of the headword is plain.
        {"ABC‐boek /ˌaːbˌeːsˈeː bˈuk/\nABC‐book\n", "ABC-boek", "ˌaːbˌeːsˈeː bˈuk", {"ABC-book"}},
        // No translation at all, as some English-Dutch entries are.
        {"after /ɑːftər/\n\n", "after", "ɑːftər", {}},
        // A slash inside the headword and no pronunciation.
        {"and/or\r\nen/of\r\n", "and/or", "", {"en/of"}},
        // Only "N. " is a sense number; "1.5" and "2.x" belong to the sense.
        {"maat /x/\n10. size\n1.5 kilo\n2.x\n", "maat", "x", {"size", "1.5 kilo", "2.x"}},
        {"ĳs /ɛis/\n  1. ice  \n2. Ĳsselmeer ĳs\n", "ijs", "ɛis", {"ice", "IJsselmeer ijs"}},
        {"", "", "", {}},
    };
    for (const Case &c : cases) {
        const FreedictEntry e = ParseFreedictEntry(c.text);
        EXPECT_EQ(e.headword, c.headword) << c.text;
        EXPECT_EQ(e.pronunciation, c.pronunciation) << c.text;
        EXPECT_EQ(e.senses, c.senses) << c.text;
    }
}

TEST(LexqcFreedictEntry, BodyIsEscapedHtmlWithStyleClasses) {
    const FreedictEntry entry{"rock & roll", "r<k", {"\"rock\"", "a <b>"}};
    const std::vector<std::string> lines = FreedictBodyLines(entry);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "<p class=\"head\"><b class=\"hw\">rock &amp; roll</b> "
              "<span class=\"pron\">/r&lt;k/</span></p>");
    EXPECT_EQ(lines[1], "<ol class=\"senses\"><li>&quot;rock&quot;</li><li>a &lt;b&gt;</li></ol>");

    // Without pronunciation there is no empty span, without senses no empty list.
    EXPECT_EQ(FreedictBodyLines({"a", "", {}}),
              std::vector<std::string>{"<p class=\"head\"><b class=\"hw\">a</b></p>"});
}

}  // namespace
}  // namespace books
