// Bounds that keep a hostile result page from freezing the display. Qt's rich-text browser
// takes time that grows with a page's size, faster than that with a long run of letters it
// cannot break and with deep nesting, and exponentially with tables inside tables; a
// dictionary controls what a result page holds, so every page passes through here first.
// Plain C++ on the page's bytes (Windows-1252, as the display reads them).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace display {

struct TPageBounds {
    std::size_t MaxBytes = 192 * 1024;  // the page's own bytes shown at most
    std::size_t MaxDepth = 24;          // elements open inside each other
    std::size_t MaxTableDepth = 4;      // tables inside tables
    std::size_t MaxCells = 64;          // cells in a table's row
    std::size_t MaxWord = 160;          // characters of text without a place to break the line
};

// The line below a page that was cut short.
inline constexpr std::string_view kPageCutNotice =
    "Deze pagina is te lang om helemaal te tonen; ze is ingekort.";

// The page as the display can lay it out within a second: the page itself when it keeps
// the bounds. Beyond them, an element nested too deep or a cell past its row's last loses
// its tags (its text stays), a longer run of text gets a space to break at, and the page
// ends at the tag or character where it would pass MaxBytes with its open elements closed;
// kPageCutNotice follows in a line of its own.
// `wasCut`, when given, says whether the page was cut.
std::string BoundPage(std::string_view page, const TPageBounds &bounds = {},
                      bool *wasCut = nullptr);

}  // namespace display
