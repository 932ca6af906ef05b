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

QString StarredPage(const QString &page, const std::vector<bool> &kept) {
    if (kept.empty() || static_cast<std::size_t>(PageEntries(page)) != kept.size())
        return page;
    QString starred;
    starred.reserve(page.size() + static_cast<qsizetype>(kept.size()) * 80);
    qsizetype from = 0;
    for (std::size_t n = 0; n < kept.size(); ++n) {
        const qsizetype mark = page.indexOf(kEntryMark, from);
        const qsizetype end = page.indexOf(QLatin1String("-->"), mark);
        if (mark < 0 || end < 0)
            return page;
        starred += QStringView(page).mid(from, end + 3 - from);
        // The same length filled or not: starring keeps the page where it was.
        starred +=
            QStringLiteral("<p class=\"tk-ster\"><a href=\"%1:%2\" title=\"%3\">%4</a></p>")
                .arg(QLatin1String(kStarScheme))
                .arg(n)
                .arg(kept[n] ? QStringLiteral("Staat in de woordenlijst")
                             : QStringLiteral("Bewaar in de woordenlijst (Ctrl+D)"))
                .arg(kept[n] ? QStringLiteral("\u2605 Bewaard") : QStringLiteral("\u2606 Bewaren"));
        from = end + 3;
    }
    starred += QStringView(page).mid(from);
    return starred;
}

int EntryAtPosition(const QTextDocument &document, int position) {
    int entry = 0;
    const QString prefix = QLatin1String(kStarScheme) + QLatin1Char(':');
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.position() > position)
            break;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            if (href.startsWith(prefix))
                entry = href.mid(prefix.size()).toInt();
        }
    }
    return entry;
}

}  // namespace ui
