// The page's look: zoom that scales the book's own sizes, dark reading over the bundled
// books' stylesheets, Ctrl and the wheel, and the whole page for printing and copying.
#include "viewer/display/PageLook.h"

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QWheelEvent>

#include "tempdir.h"
#include "viewer/display/HtmlViewer.h"

namespace {

using display::THtmlViewer;
using display::TPageLook;

// An entry with the parts the bundled books style: headword, pronunciation, part of speech,
// senses, an example, cross-references with links, and plain and italic text.
const char *const kEntry =
    "<p class=\"head\"><b class=\"hw\">huis</b> <span class=\"pron\">/hoys/</span></p>"
    "<p class=\"pos\">noun</p><ol class=\"senses\"><li>house <i>de</i> "
    "<span class=\"ex\">\"een huis\"</span> <span class=\"xref\">syn.: "
    "<a href=\"zoek:woning\">woning</a></span></li></ol><p>gewone tekst</p>";

void Load(THtmlViewer &viewer, const std::string &stylesheet, const std::string &body) {
    const std::string page = "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"" +
                             stylesheet + "\"></head><body>" + body + "</body></html>";
    viewer.LoadDocument(page.data(), page.size());
}

// The size the word is shown at: its own, else the page's default font.
double PointSizeOf(const THtmlViewer &viewer, const QString &word) {
    const QTextCursor found = viewer.document()->find(word);
    const double own = found.charFormat().fontPointSize();
    return own > 0 ? own : viewer.document()->defaultFont().pointSizeF();
}

QColor PageBackground(THtmlViewer &viewer) {
    const QImage shown = viewer.viewport()->grab().toImage();
    return shown.pixelColor(shown.width() - 2, shown.height() - 2);
}

TEST(PageLook, ZoomScalesTheBooksOwnSizesAndTheDefaultFontAndKeepsThePlace) {
    tk::test::TempDir folder;
    const std::string css =
        folder.Write("dict.css",
                     "b.hw { font-size: 14pt; }\nspan.pron { font-size: 9.5pt; }\n"
                     "p.head { margin-top: 12px; }\n");
    THtmlViewer viewer;
    viewer.resize(300, 200);
    viewer.show();
    std::string body = kEntry;
    for (int i = 0; i < 100; ++i)
        body += "<p>regel " + std::to_string(i) + "</p>";
    Load(viewer, css, body);
    const double headword = PointSizeOf(viewer, "huis"), pron = PointSizeOf(viewer, "/hoys/");
    const double plain = PointSizeOf(viewer, "gewone tekst");
    ASSERT_GT(headword, plain);
    viewer.verticalScrollBar()->setValue(viewer.verticalScrollBar()->maximum() / 2);
    const auto topParagraph = [&] { return viewer.cursorForPosition(QPoint(0, 0)).blockNumber(); };
    const int place = topParagraph();
    ASSERT_GT(place, 0);

    for (const int zoom : {50, 125, 300, 100}) {
        viewer.SetLook({zoom, false});
        const double factor = zoom / 100.0;
        EXPECT_NEAR(PointSizeOf(viewer, "huis"), headword * factor, 0.05) << zoom;
        EXPECT_NEAR(PointSizeOf(viewer, "/hoys/"), pron * factor, 0.05) << zoom;
        EXPECT_NEAR(PointSizeOf(viewer, "gewone tekst"), plain * factor, 0.05) << zoom;
        EXPECT_EQ(topParagraph(), place) << zoom;  // the same text stays in view
    }
}

TEST(PageLook, ScaledStyleSheetChangesLengthsInDeclarationsOnly) {
    const QString css = QStringLiteral(
        "p.x12px, h1 { margin: -4px 0 2PX 1.5pt; font-size: 1.2em; width: 50%; "
        "background: url(bg12px.png); }\n/* 10px */ td{padding:3px}");
    const QString twice = display::ScaledStyleSheet(css, 2.0);
    EXPECT_TRUE(twice.startsWith(QStringLiteral("p.x12px, h1 {"))) << twice.toStdString();
    for (const char *part :
         {"margin: -8px 0 4PX 3pt;", "1.2em", "50%", "bg12px.png", "/* 10px */", "padding:6px"})
        EXPECT_TRUE(twice.contains(QLatin1String(part))) << part << " in " << twice.toStdString();
    // Thin lines stay visible at the smallest zoom.
    EXPECT_TRUE(display::ScaledStyleSheet(QStringLiteral("b { border: 1px; }"), 0.5)
                    .contains(QLatin1String("1px")));
}

// Every colour any bundled book gives its text reads at 7:1 or better on the dark page.
namespace {

// Each run of the page's text with the colour it shows in.
void ForEveryText(const THtmlViewer &viewer,
                  const std::function<void(const QString &, const QColor &)> &check) {
    for (QTextBlock block = viewer.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            check(it.fragment().text(), format.foreground().style() == Qt::NoBrush
                                            ? viewer.palette().color(QPalette::Text)
                                            : format.foreground().color());
        }
}

}  // namespace

TEST(PageLook, EveryBundledStylesheetReadsOnTheLightAndTheDarkPage) {
    const QDir data(QStringLiteral(TK_DATA_SOURCE));
    const QStringList sheets = data.entryList({QStringLiteral("*.css")});
    ASSERT_GE(sheets.size(), 3);
    for (const QString &sheet : sheets) {
        THtmlViewer viewer;
        viewer.resize(400, 300);
        viewer.show();
        Load(viewer, data.filePath(sheet).toStdString(), kEntry);
        const QColor lightHeadword =
            viewer.document()->find("huis").charFormat().foreground().color();
        // The light page: normal text at 4.5:1 at least, as the accessibility guidelines ask.
        const QColor white = PageBackground(viewer);
        ForEveryText(viewer, [&](const QString &text, const QColor &colour) {
            EXPECT_GE(display::ContrastRatio(colour, white), 4.5)
                << sheet.toStdString() << ": " << text.toStdString() << " "
                << colour.name().toStdString();
        });
        viewer.SetLook({100, true});
        const QColor background = PageBackground(viewer);
        EXPECT_LT(background.lightness(), 60) << sheet.toStdString();
        ForEveryText(viewer, [&](const QString &text, const QColor &colour) {
            EXPECT_GE(display::ContrastRatio(colour, background), 7.0)
                << sheet.toStdString() << ": " << text.toStdString() << " "
                << colour.name().toStdString();
        });
        viewer.SetLook({100, false});
        EXPECT_GT(PageBackground(viewer).lightness(), 240) << sheet.toStdString();
        EXPECT_EQ(viewer.document()->find("huis").charFormat().foreground().color(), lightHeadword);
    }
}

TEST(PageLook, DarkVariantOfAnyColourReachesTheContrastAsked) {
    for (int r = 0; r < 256; r += 51)
        for (int g = 0; g < 256; g += 51)
            for (int b = 0; b < 256; b += 51) {
                const QColor dark =
                    display::DarkVariant(QColor(r, g, b), display::DarkBackground(), 7.0);
                EXPECT_GE(display::ContrastRatio(dark, display::DarkBackground()), 7.0)
                    << r << "," << g << "," << b;
            }
    // Moved away from a light or a dark colour, any colour reaches 4.5:1 with it, keeping
    // its hue where it can; one that reads already stays.
    for (const QColor other : {QColor(Qt::white), QColor(Qt::black), QColor(0xEF, 0xEF, 0xEF)})
        for (int r = 0; r < 256; r += 51)
            for (int b = 0; b < 256; b += 85) {
                const QColor colour(r, 140, b);
                const QColor moved = display::WithContrast(colour, other, 4.5);
                EXPECT_GE(display::ContrastRatio(moved, other), 4.5) << r << "," << b;
                if (display::ContrastRatio(colour, other) >= 4.5) {
                    EXPECT_EQ(moved, colour);
                }
            }
    EXPECT_NEAR(display::WithContrast(QColor(48, 140, 198), Qt::white, 4.5).hslHue(),
                QColor(48, 140, 198).hslHue(), 2);
    // Contrast is symmetric and runs from 1 (same colour) to 21 (black on white).
    EXPECT_NEAR(display::ContrastRatio(Qt::white, Qt::black), 21.0, 0.01);
    EXPECT_NEAR(display::ContrastRatio(Qt::red, Qt::red), 1.0, 0.001);
}

// The markup's own colours on a dark page are made readable too, not only the stylesheet's.
TEST(PageLook, DarkReadingFixesColoursSetInTheMarkup) {
    THtmlViewer viewer;
    viewer.SetLook({100, true});
    Load(viewer, "/nonexistent.css", "<p><font color=\"#000080\">navy</font> plain</p>");
    const QColor navy = viewer.document()->find("navy").charFormat().foreground().color();
    EXPECT_GE(display::ContrastRatio(navy, display::DarkBackground()), 7.0)
        << navy.name().toStdString();

    // Pango spans as an imported book writes them (the Littré's colours, a background of
    // its own): their text reads on the background it is shown on, which goes dark.
    Load(viewer, "/nonexistent.css",
         "<div><span style=\"color:#0000CD;\">bleu</span> <span style=\"color:#B22222;\">"
         "rouge</span> <span style=\"color:#556B2F;\">vert</span> <span style=\"background-color:"
         "#FFFF00;\">jaune</span> <span style=\"color:#000000;background-color:#FFFFE0;\">"
         "noir</span></div>");
    for (const char *word : {"bleu", "rouge", "vert", "jaune", "noir"}) {
        const QTextCharFormat format = viewer.document()->find(word).charFormat();
        const QColor text = format.foreground().style() == Qt::NoBrush
                                ? viewer.palette().color(QPalette::Text)
                                : format.foreground().color();
        const QColor under = format.background().style() == Qt::NoBrush
                                 ? display::DarkBackground()
                                 : format.background().color();
        EXPECT_LT(under.lightness(), 60) << word;
        EXPECT_GE(display::ContrastRatio(text, under), 7.0)
            << word << ": " << text.name().toStdString() << " on " << under.name().toStdString();
    }
}

TEST(PageLook, CtrlAndTheWheelAskForZoomStepsInsteadOfChangingTheFont) {
    THtmlViewer viewer;
    viewer.resize(300, 200);
    viewer.show();
    Load(viewer, "", kEntry);
    const double before = PointSizeOf(viewer, "gewone tekst");
    std::vector<int> steps;
    QObject::connect(&viewer, &THtmlViewer::ZoomStepRequested,
                     [&](int step) { steps.push_back(step); });
    const auto turn = [&](int angle) {
        QWheelEvent wheel(QPointF(50, 50), viewer.viewport()->mapToGlobal(QPointF(50, 50)),
                          QPoint(), QPoint(0, angle), Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer.viewport(), &wheel);
    };
    turn(120);
    turn(-240);
    turn(60);  // half a notch from a fine wheel: not a step yet
    turn(60);
    EXPECT_EQ(steps, (std::vector<int>{1, -2, 1}));
    EXPECT_EQ(PointSizeOf(viewer, "gewone tekst"), before);
}

// Printing and copying take the page in the book's own look, whatever the screen shows.
TEST(PageLook, CopyPagePutsTextAndHtmlInTheBooksOwnLook) {
    tk::test::TempDir folder;
    const std::string css = folder.Write("dict.css", "b.hw { font-size: 14pt; color: #1f3f7f; }\n");
    THtmlViewer viewer;
    QApplication::clipboard()->clear();
    viewer.CopyPage();
    const QMimeData *nothing = QApplication::clipboard()->mimeData();
    EXPECT_TRUE(nothing == nullptr || !nothing->hasHtml());  // no page, nothing copied
    Load(viewer, css, kEntry);
    viewer.SetLook({250, true});
    viewer.CopyPage();
    const QMimeData *copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasText() && copied->hasHtml());
    EXPECT_TRUE(copied->text().contains("huis") && copied->text().contains("gewone tekst"));
    EXPECT_FALSE(copied->text().contains('<'));
    QTextDocument pasted;
    pasted.setHtml(copied->html());
    const QTextCharFormat headword = pasted.find("huis").charFormat();
    EXPECT_EQ(headword.foreground().color(), QColor(0x1f, 0x3f, 0x7f));
    EXPECT_NEAR(headword.fontPointSize(), 14.0, 0.05);
    EXPECT_FALSE(copied->html().contains(display::DarkBackground().name(), Qt::CaseInsensitive));
}

}  // namespace
