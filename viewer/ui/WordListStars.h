// The word list's stars on the result page: a link after each entry that keeps it, shown
// on the screen only (the display's decoration), and where the view's top entry is.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QTextDocument;
class TLXABook;
class TLXASearchResults;

namespace ui {

// What a display's page holds for the stars: the book and its results in the page's
// order, and the word as typed (Windows-1252). A page without entries has no results.
struct TShownEntries {
    const TLXABook *Book = nullptr;
    const TLXASearchResults *Results = nullptr;
    std::string Typed;
};

// The scheme of the star links: "ster:N" for the page's N-th entry.
inline constexpr const char *kStarScheme = "ster";

// How many entries the page holds: the result page marks each with a comment.
int PageEntries(const QString &page);
// The page with a star link after each entry, filled when kept[N] (a click then takes it
// out again); the page as it is when kept does not have one flag per entry. byKey: Ctrl+D
// keeps the top entry of this page, and the empty star's tip says so.
QString StarredPage(const QString &page, const std::vector<bool> &kept, bool byKey);
// The entry that holds the position in the laid-out page: the first whose star ends at or
// after it; the last entry below every star.
int EntryAtPosition(const QTextDocument &document, int position);

}  // namespace ui
