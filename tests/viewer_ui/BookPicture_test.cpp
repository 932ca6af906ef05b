// The picture of a book without one: initials on a page coloured after the name, which the
// image lists make transparent around the page, and its greyed look.
#include "viewer/ui/BookPicture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "viewer/core/LXA_Images.h"

namespace {

// The colour most pixels of the picture have, apart from its key colour: the page's.
QRgb PageColour(const QImage &picture) {
    const QRgb key = picture.pixel(0, picture.height() - 1);
    std::map<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != key)
                ++counts[picture.pixel(x, y)];
    QRgb most = 0;
    for (const auto &[colour, count] : counts)
        if (counts[most] < count)
            most = colour;
    return most;
}

TEST(BookPicture, ThePageColourFollowsTheNameAndTheInitialsTheDisplayName) {
    const QImage picture = ui::InitialsPicture("mijn-boek", QStringLiteral("Mijn boek"));
    EXPECT_EQ(picture.size(), QSize(16, 16));
    EXPECT_EQ(ui::InitialsPicture("MIJN-BOEK", QStringLiteral("Mijn boek")), picture);
    EXPECT_NE(ui::InitialsPicture("mijn-boek", QStringLiteral("Zweeds woordenboek")), picture);
    std::set<QRgb> pages;
    for (char c = 'a'; c <= 'z'; ++c)
        pages.insert(PageColour(ui::InitialsPicture(std::string(1, c), QStringLiteral("Boek"))));
    EXPECT_GE(pages.size(), 5u);
}

TEST(BookPicture, TheImageListsShowOnlyThePageAndTheGreyedLookIsGrey) {
    const QImage picture = ui::InitialsPicture("eigen", QStringLiteral("Eigen woorden"));
    const QImage shown = TransparentImage(picture);
    int transparent = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const int alpha = qAlpha(shown.pixel(x, y));
            EXPECT_TRUE(alpha == 0 || alpha == 255);
            transparent += alpha == 0 ? 1 : 0;
        }
    // The margin around the page, and nothing inside it.
    EXPECT_GT(transparent, 0);
    EXPECT_LT(transparent, 16 * 16 / 3);
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(8, 8)), 255);

    const QImage grey = TransparentImage(ui::GreyedPicture(picture));
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb pixel = grey.pixel(x, y);
            EXPECT_EQ(qAlpha(pixel), qAlpha(shown.pixel(x, y)));
            if (qAlpha(pixel) != 0) {
                EXPECT_EQ(qRed(pixel), qGreen(pixel));
                EXPECT_EQ(qGreen(pixel), qBlue(pixel));
            }
        }
}

}  // namespace
