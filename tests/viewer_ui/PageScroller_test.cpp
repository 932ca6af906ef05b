// Band widths of the control bar, the page scroller's arrows, and image lists.
#include <gtest/gtest.h>

#include <QPainter>

#include "viewer/ui/ImageList.h"
#include "viewer/ui/PageScroller.h"

namespace {

TEST(FitBandWidth, GrowsTakesTheRestOrShrinks) {
    struct Case {
        int own, content, other, bar, expected;
    };
    const Case cases[] = {
        {58, 100, 54, 400, 100},  // room: show the whole toolbar
        {58, 400, 54, 400, 346},  // no room: the rest of the bar
        {58, 346, 54, 400, 346},  // exactly fills: W + O = C takes C - O (= W)
        {120, 80, 54, 400, 80},   // toolbar got narrower
        {80, 80, 54, 400, 80},    // equal: unchanged
        {10, 100, 500, 400, 0},   // the other band already wider than the bar
    };
    for (const Case &c : cases)
        EXPECT_EQ(ui::FitBandWidth(c.own, c.content, c.other, c.bar), c.expected)
            << c.own << ' ' << c.content << ' ' << c.other << ' ' << c.bar;
}

TEST(PageScroller, ArrowsOnlyWhenTheContentIsWider) {
    ui::TPageScroller scroller;
    auto *content = new QWidget;
    content->setMinimumSize(200, 20);
    scroller.SetContent(content);
    scroller.resize(300, 26);
    scroller.show();
    EXPECT_FALSE(scroller.ArrowsShown());
    scroller.resize(60, 26);
    EXPECT_TRUE(scroller.ArrowsShown());
    scroller.ScrollBy(50);
    EXPECT_GT(scroller.Position(), 0);
    scroller.ScrollBy(-500);
    EXPECT_EQ(scroller.Position(), 0);
}

// The toolbars draw a book's picture without its transparent colour: the bottom-left
// pixel's, and white in a two-colour picture whatever colour its corner has.
TEST(ImageList, MaskedPicturesLoseTheirTransparentColourAndEveryAddAddsOne) {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    picture.setPixel(5, 5, qRgb(10, 20, 30));
    QImage mono(16, 16, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    mono.setPixel(0, 15, 1);
    mono.setPixel(5, 5, 1);

    ui::TImageList list;
    EXPECT_EQ(list.AddMasked(picture), 0);
    const QImage masked = list.At(0).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(masked.pixel(0, 15)), 0);
    EXPECT_EQ(qAlpha(masked.pixel(15, 0)), 0);
    EXPECT_EQ(masked.pixel(5, 5), qRgba(10, 20, 30, 255));
    list = ui::TImageList();
    EXPECT_EQ(list.AddMasked(mono), 0);
    const QImage glyph = list.At(0).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(glyph.pixel(0, 15), qRgba(0, 0, 0, 255));
    EXPECT_EQ(glyph.pixel(5, 5), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(glyph.pixel(15, 0)), 0);

    list = ui::TImageList();
    EXPECT_EQ(list.AddMasked(picture), 0);
    EXPECT_EQ(list.AddIcon(QIcon()), 1);  // nothing to show still takes a place
    EXPECT_EQ(list.AddMasked(QImage()), 2);
    EXPECT_EQ(list.AddMasked(QImage(32, 32, QImage::Format_RGB32)), 3);
    EXPECT_EQ(list.At(3).size(), QSize(16, 16));
}

}  // namespace
