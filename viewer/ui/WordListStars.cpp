#include "viewer/ui/WordListStars.h"

#include <QTextBlock>
#include <QTextDocument>

namespace ui {

namespace {

// Each entry of the result page follows its comment "<!-- keyword=...-->".
const QLatin1String kEntryMark("<!-- keyword=\"");

}  // namespace

int PageEntries(const QString &page) {
    return static_cast<int>(page.count(kEntryMark));
}

QString StarredPage(const QString &page, const std::vector<bool> &kept, bool byKey) {
    if (kept.empty() || static_cast<std::size_t>(PageEntries(page)) != kept.size())
        return page;
    QString starred;
    starred.reserve(page.size() + static_cast<qsizetype>(kept.size()) * 80);
    qsizetype from = 0;
    // Each star goes after its entry, before the next entry's mark (or the page's end or
    // its folded line): the page still opens with the first headword, for a screen reader
    // as for the eye.
    qsizetype mark = page.indexOf(kEntryMark);
    for (std::size_t n = 0; n < kept.size(); ++n) {
        if (mark < 0)
            return page;
        qsizetype end = page.indexOf(kEntryMark, mark + 1);
        if (end < 0) {
            end = page.indexOf(QLatin1String("<p class=\"zoekhulp\">"), mark);
            if (end < 0)
                end = page.lastIndexOf(QLatin1String("</body>"));
            if (end < mark)
                return page;
        }
        starred += QStringView(page).mid(from, end - from);
        // The same length filled or not: starring keeps the page where it was.
        starred +=
            QStringLiteral("<p class=\"tk-ster\"><a href=\"%1:%2\" title=\"%3\">%4</a></p>")
                .arg(QLatin1String(kStarScheme))
                .arg(n)
                .arg(kept[n] ? QStringLiteral("Uit de woordenlijst halen")
                     : byKey ? QStringLiteral("Bewaar in de woordenlijst (Ctrl+D)")
                             : QStringLiteral("Bewaar in de woordenlijst"))
                .arg(kept[n] ? QStringLiteral("\u2605 Bewaard") : QStringLiteral("\u2606 Bewaren"));
        from = end;
        mark = page.indexOf(kEntryMark, end);
    }
    starred += QStringView(page).mid(from);
    return starred;
}

int EntryAtPosition(const QTextDocument &document, int position) {
    // An entry ends with its star: the entry at a place is the first star at or after it.
    int entry = 0;
    const QString prefix = QLatin1String(kStarScheme) + QLatin1Char(':');
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            if (!href.startsWith(prefix))
                continue;
            entry = href.mid(prefix.size()).toInt();
            if (it.fragment().position() + it.fragment().length() >= position)
                return entry;
        }
    return entry;
}

}  // namespace ui
