// How the display shows a page beyond the book's own stylesheet: a zoom that scales the
// book's lengths and the display's font, and dark reading, whose colours come from a small
// dark layer laid over the book's stylesheet.
#pragma once

#include <QColor>
#include <QString>

namespace display {

inline constexpr int kNormalZoom = 100;
// The zoom levels the page steps through, in percent, smallest first.
inline constexpr int kZoomLevels[] = {50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
// Every colour of a dark page reads at least this well on its background: body text needs
// 7:1 (headwords and links 4.5:1), and the thin strokes of small text, which smoothing
// lightens towards the background, need the room above it.
inline constexpr double kDarkTextContrast = 8.0;

struct TPageLook {
    int ZoomPercent = kNormalZoom;
    bool Dark = false;

    double ZoomFactor() const { return ZoomPercent / 100.0; }
    bool operator==(const TPageLook &) const = default;
};

// A zoom within the smallest and largest level.
int ValidZoom(int percent);
// The level `steps` levels above the zoom (below for negative steps), stopping at the ends;
// from a zoom between two levels the first step goes to the nearer one in that direction.
int SteppedZoom(int percent, int steps);

// The dark page's own colours.
QColor DarkBackground();
QColor DarkText();
QColor DarkLink();

// The contrast ratio of two colours as the accessibility guidelines define it: 1 to 21.
double ContrastRatio(const QColor &a, const QColor &b);

// What a colour of a light page becomes on a dark one: its hue kept, its lightness turned
// round, then raised until it reads at `minimum` contrast on `background`.
QColor DarkVariant(const QColor &colour, const QColor &background, double minimum);

// A background for dark reading: the lightness turned round and kept dark, so that the
// text colours chosen against the page's background read on it as well.
QColor DarkSurface(const QColor &colour);

// The colour made darker (against a lighter `other`) or lighter (against a darker one),
// its hue kept, until the two read at `minimum` contrast; a colour that reads already stays.
QColor WithContrast(const QColor &colour, const QColor &other, double minimum);

// The stylesheet with every length in px or pt multiplied by `factor`; em and % follow
// their parent and stay as they are.
QString ScaledStyleSheet(const QString &css, double factor);

// The dark layer for a book's stylesheet: the page's dark colours, then for every rule of
// the book that sets a colour the same selector with that colour made dark, so that the
// layer wins over the book wherever the book chose a colour.
QString DarkLayer(const QString &bookCss);

// The stylesheet the display applies for a book's stylesheet and a look.
QString StyleSheetWithLook(const QString &bookCss, const TPageLook &look);

}  // namespace display
