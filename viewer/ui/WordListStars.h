// The word list's stars on the result page: a link after each entry that keeps it, shown
// on the screen only (the display's decoration), and where the view's top entry is.
#pragma once

#include <QString>
#include <vector>

class QTextDocument;

namespace ui {

// The scheme of the star links: "ster:N" for the page's N-th entry.
inline constexpr const char *kStarScheme = "ster";

// How many entries the page holds: the result page marks each with a comment.
int PageEntries(const QString &page);
// The page with a star link after each entry, filled when kept[N]; the page as it is when
// kept does not have one flag per entry.
QString StarredPage(const QString &page, const std::vector<bool> &kept);
// The entry that holds the position in the laid-out page: the first whose star ends at or
// after it; the last entry below every star.
int EntryAtPosition(const QTextDocument &document, int position);

}  // namespace ui
