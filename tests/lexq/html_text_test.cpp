// Markup to terminal text: line structure, lists, references and the code page.
#include <gtest/gtest.h>

#include "entities.h"
#include "html_text.h"

namespace {

struct TCase {
    const char *Html;  // Windows-1252
    const char *Text;  // UTF-8
};

class HtmlToTextTest : public testing::TestWithParam<TCase> {};

TEST_P(HtmlToTextTest, GivesTheText) {
    EXPECT_EQ(lexq::HtmlToText(GetParam().Html), GetParam().Text) << GetParam().Html;
}

INSTANTIATE_TEST_SUITE_P(
    Structure, HtmlToTextTest,
    testing::Values(
        // Inline markup vanishes; blanks between inline elements stay single.
        TCase{"<p><b>huis</b> <i>het</i></p>", "huis het"}, TCase{"a\r\n  b\t\tc", "a b c"},
        // Block elements end lines; empty ones leave no blank lines.
        TCase{"<p>een</p><p>twee</p><div></div><h2>drie</h2>", "een\ntwee\ndrie"},
        // Breaks end lines; a run of them leaves one empty line at most.
        TCase{"a<br>b<br/><br><br>c<br>", "a\nb\n\nc"}, TCase{"<br><br>a", "a"},
        // Ordered lists count, unordered ones bullet; a new list counts from 1 again.
        TCase{"<ol><li>house</li><li>home</li></ol><ol><li>x</li></ol>", "1. house\n2. home\n1. x"},
        TCase{"<ul><li>a<li>b</ul>", "\u2022 a\n\u2022 b"},
        // Nested lists indent; the outer count goes on after them.
        TCase{"<ol><li>a<ul><li>b</li></ul></li><li>c</li></ol>", "1. a\n   \u2022 b\n2. c"},
        // A paragraph inside an item stays on the marker's line.
        TCase{"<ol><li><p>one</p></li></ol>", "1. one"}, TCase{"<li>loose</li>", "\u2022 loose"},
        // Cells are set apart by a blank, rows by lines.
        TCase{"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "a b\nc"},
        // Comments, declarations, scripts and styles leave nothing behind.
        TCase{"<!DOCTYPE html><!-- <p>no</p> -->a<script>x<y</script><STYLE>p{}</style>b", "ab"},
        // Preformatted text keeps its blanks and lines.
        TCase{"<pre>a  b\n c</pre>d", "a  b\n c\nd"},
        // A ">" inside a quoted attribute does not end the tag.
        TCase{"<a title=\"a>b\" href='x>'>link</a>", "link"},
        // A "<" that starts no tag, and a tag never closed, are text.
        TCase{"a < b <3 c", "a < b <3 c"}, TCase{"x <b", "x <b"}));

INSTANTIATE_TEST_SUITE_P(
    References, HtmlToTextTest,
    testing::Values(TCase{"&#596;&#x254;&#X254;", "\u0254\u0254\u0254"},
                    TCase{"&amp;&lt;&gt;&quot;&apos;&eacute;&euro;&hellip;",
                          "&<>\"'\u00e9\u20ac\u2026"},
                    // Numeric references without their ";" still count.
                    TCase{"&#233x", "\u00e9x"},
                    // 128 to 159 name Windows-1252 bytes; no character at all gives U+FFFD.
                    TCase{"&#150;&#128;", "\u2013\u20ac"},
                    TCase{"&#0;&#xD800;&#x110000;&#99999999999;", "\uFFFD\uFFFD\uFFFD\uFFFD"},
                    // Unknown, unterminated and empty references stay as they are.
                    TCase{"&nosuch; &amp &; &# &#x;", "&nosuch; &amp &; &# &#x;"},
                    // Names are case-sensitive; the table's first and last names are found.
                    TCase{"&Eacute;&eacute;&AMP;", "\u00c9\u00e9&AMP;"},
                    TCase{"&AElig;&zwnj;&Dagger;&dagger;", "\u00c6\u200c\u2021\u2020"},
                    TCase{"a&nbsp;b", "a\u00a0b"}));

INSTANTIATE_TEST_SUITE_P(CodePage, HtmlToTextTest,
                         testing::Values(TCase{"caf\xE9 \x80 \x93x\x94 ru\xEFne",
                                               "caf\u00e9 \u20ac \u201cx\u201d ru\u00efne"}));

TEST(Utf8, EncodesEveryLengthAndReplacesNonCharacters) {
    std::string out;
    for (const char32_t code : {char32_t{0x41}, char32_t{0xE9}, char32_t{0x20AC}, char32_t{0x1F600},
                                char32_t{0xDC00}, char32_t{0x110000}})
        lexq::AppendUtf8(out, code);
    EXPECT_EQ(out, "A\u00e9\u20ac\U0001F600\uFFFD\uFFFD");
}

}  // namespace
