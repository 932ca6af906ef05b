// A hostile result page: cut at its size bound with a Dutch line, markup nested too deep
// flattened, runs of text too long to break given a place to break; an ordinary page goes
// through unchanged.
#include "viewer/display/PageBounds.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "viewer/display/HtmlViewer.h"

namespace {

using display::BoundPage;
using display::kPageCutNotice;
using display::TPageBounds;

std::string Repeat(const std::string &text, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

// The page's text without tags and blanks: what flattening must keep.
std::string Letters(std::string_view page) {
    std::string letters;
    bool inTag = false;
    for (const char c : page) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag && c != ' ' && c != '\r' && c != '\n')
            letters += c;
    }
    return letters;
}

// How deep the element of this name nests at most.
std::size_t Depth(std::string_view page, const std::string &name) {
    std::size_t depth = 0, deepest = 0;
    for (std::size_t at = page.find('<'); at != std::string_view::npos;
         at = page.find('<', at + 1)) {
        if (page.substr(at + 1, name.size() + 1) == name + ">")
            deepest = std::max(deepest, ++depth);
        else if (page.substr(at + 1, name.size() + 2) == "/" + name + ">" && depth > 0)
            --depth;
    }
    return deepest;
}

std::size_t Count(std::string_view page, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = page.find(what); at != std::string_view::npos;
         at = page.find(what, at + 1))
        ++count;
    return count;
}

TEST(PageBounds, AnOrdinaryPageIsShownAsItIs) {
    const std::string page =
        "<html>\r\n  <head>\r\n    <title>Resultaten voor \"huis\"</title>\r\n"
        "    <style>p { margin: 0 } /* <div><div> */</style>\r\n  </head>\r\n  <body>\r\n"
        "    <!-- keyword=\"huis<table>\", translated=\"HUIS\" -->\r\n"
        "<p><b>huis</b> <i>o.</i> house; <a href=\"zoek:woning\" title=\"a > b\">woning</a>"
        "<br><img src=\"x.bmp\"/> caf\xE9 &amp; &#8364; " +
        std::string(100, 'x') +
        "</p>\r\n<table><tr><td>1<td><table><tr><td>in</table></table>"
        "<ul><li>een<li>twee<ul><li>drie</ul></ul><p>open<p>paragraphs\r\n  </body>\r\n</html>";
    EXPECT_EQ(BoundPage(page), page);
}

TEST(PageBounds, ALongPageIsCutWithADutchLineAndItsElementsClosed) {
    const TPageBounds small{.MaxBytes = 4000};
    const std::string entry = "<div><p><b>woord</b> <i>zn.</i> een betekenis</p></div>\r\n";
    const auto page = [&entry](std::size_t entries, const std::string &tail) {
        return "<html><head><title>t</title></head><body><div><ul><li>" + Repeat(entry, entries) +
               tail + Repeat(entry, entries) + "</body></html>";
    };
    // Where the bound falls: in the text, in an open comment, in a tag that does not end,
    // in elements left open.
    const std::vector<std::string> tails = {"", "<!-- open comment ",
                                            "<a href=\"" + std::string(10000, 'h'), "<b><i>"};
    for (std::size_t t = 0; t < tails.size(); ++t) {
        SCOPED_TRACE(t);
        const std::string cut = page(60, tails[t]);
        const std::string shown = BoundPage(cut, small);
        const std::size_t notice = shown.find(kPageCutNotice);
        ASSERT_NE(notice, std::string::npos);
        EXPECT_LE(notice, small.MaxBytes + 100);
        // The page's text up to the cut is kept, whole entries of it.
        EXPECT_TRUE(cut.starts_with(shown.substr(0, shown.rfind("</p></div>") + 10)));
        EXPECT_GT(Count(shown, "<b>woord</b>"), 50u);

        // The display shows the line last, outside any element left open.
        const std::string big = page(TPageBounds{}.MaxBytes / entry.size(), tails[t]);
        display::THtmlViewer viewer;
        viewer.LoadDocument(big.data(), big.size());
        const QString text = viewer.toPlainText().trimmed();
        EXPECT_TRUE(text.endsWith(QString::fromUtf8(kPageCutNotice.data(), kPageCutNotice.size())))
            << text.right(200).toStdString();
    }
    // Below the bound, nothing is cut.
    const std::string shortPage = page(20, "");
    EXPECT_EQ(BoundPage(shortPage, small), shortPage);
}

TEST(PageBounds, DeepNestingIsFlattenedAndKeepsItsText) {
    const TPageBounds bounds{};
    for (const std::string &name : {"div", "table", "ul", "b", "blockquote"}) {
        SCOPED_TRACE(name);
        const std::string open = name == "table" ? "<table><tr><td>" : "<" + name + ">";
        const std::string close = name == "table" ? "</td></tr></table>" : "</" + name + ">";
        std::string page = "<body>";
        for (int i = 0; i < 3000; ++i)
            page += open + "w" + std::to_string(i);
        page += Repeat(close, 3000) + "na</body>";
        const std::string shown = BoundPage(page, bounds);
        EXPECT_LE(Depth(shown, name), name == "table" ? bounds.MaxTableDepth : bounds.MaxDepth);
        EXPECT_GE(Depth(shown, name), name == "table" ? bounds.MaxTableDepth : bounds.MaxDepth / 2);
        EXPECT_EQ(Letters(shown), Letters(page));
        // The text after the nesting is outside all of it again.
        EXPECT_TRUE(shown.ends_with(close + "na</body>"));
        EXPECT_EQ(Count(shown, "<" + name), Count(shown, "</" + name));
    }
    // A dropped tag joins no '<' before it with what follows into a tag of their own.
    const std::string joined = BoundPage(Repeat("<i>", 100) + "a<<i>b>c<<u>/i>", bounds);
    EXPECT_EQ(joined.find("<b>"), std::string::npos);
    EXPECT_EQ(joined.find("</i>"), std::string::npos);
    EXPECT_EQ(BoundPage(joined, bounds), joined);
    // ... and the text it escapes counts as the shown page will: bounding it again, with
    // places to break a long run, changes nothing.
    const TPageBounds narrow{.MaxDepth = 1, .MaxWord = 8};
    for (std::size_t before = 0; before < 12; ++before) {
        const std::string page = "<i>" + Repeat("g", before) + "<<u>" + Repeat("g", 20) + "</i>";
        const std::string shown = BoundPage(page, narrow);
        EXPECT_EQ(BoundPage(shown, narrow), shown) << page;
    }
    // A row keeps at most MaxCells cells; the text of the others stays in the last.
    const std::string row = "<table><tr>" + Repeat("<td>c</td>", 1000) + "</tr></table>";
    const std::string shown = BoundPage(row, bounds);
    EXPECT_EQ(Count(shown, "<td>"), bounds.MaxCells);
    EXPECT_EQ(Count(shown, "c"), 1000u);
    // Rows of their own are no row too wide.
    const std::string rows = "<table>" + Repeat("<tr><td>a<td>b", 500) + "</table>";
    EXPECT_EQ(BoundPage(rows, bounds), rows);
}

TEST(PageBounds, ALongRunOfTextGetsPlacesToBreak) {
    const TPageBounds bounds{.MaxWord = 50};
    const std::string word = Repeat("ab&amp;c&#233;d", 400);
    const std::string page = "<p>" + word + "</p><p><b>x" + Repeat("y", 1000) + "</b></p>";
    const std::string shown = BoundPage(page, bounds);
    EXPECT_EQ(Letters(shown), Letters(page));
    std::size_t run = 0, longest = 0;
    for (const char c : Letters(shown) == Letters(page) ? shown : std::string()) {
        run = c == ' ' || c == '>' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    EXPECT_LE(longest, bounds.MaxWord + 12);  // an entity is never split
    EXPECT_EQ(Count(shown, "&amp;"), 400u);
    EXPECT_EQ(Count(shown, "&#233;"), 400u);
    // Words of ordinary length are left alone.
    const std::string words = "<p>" + Repeat("woord ", 1000) + "</p>";
    EXPECT_EQ(BoundPage(words, bounds), words);
}

}  // namespace
