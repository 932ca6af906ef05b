// What a selection asks to look up, and which selections are followed by a popup.
#include <gtest/gtest.h>

#include "viewer/ui/SelectionText.h"

namespace {

TEST(SelectionText, PunctuationAndBlanksAroundTheWordsGo) {
    const struct {
        const char *selected;
        const char *words;
    } cases[] = {
        {"fiets", "fiets"},
        {"  fiets,\n", "fiets"},
        {"\xE2\x80\x9E"
         "fiets\xE2\x80\x9D.",
         "fiets"},
        {"(de  gemeente-\nraad)", "de gemeente- raad"},
        {"auto's", "auto's"},
        {"\t...\t", ""},
        {"", ""},
        {"3,5 km", "3,5 km"},
        {"\xC2\xAB\xC3\xA9\xC3\xA9n\xC2\xBB", "\xC3\xA9\xC3\xA9n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ui::SelectedWords(QString::fromUtf8(c.selected)).toStdString(), c.words)
            << c.selected;
}

TEST(SelectionText, OneToFiveWordsOfAtMostSixtyCharactersAreFollowed) {
    EXPECT_TRUE(ui::IsFollowedSelection("fiets"));
    EXPECT_TRUE(ui::IsFollowedSelection("een twee drie vier vijf"));
    EXPECT_FALSE(ui::IsFollowedSelection("een twee drie vier vijf zes"));
    EXPECT_TRUE(ui::IsFollowedSelection(QString(60, QLatin1Char('a'))));
    EXPECT_FALSE(ui::IsFollowedSelection(QString(61, QLatin1Char('a'))));
    EXPECT_FALSE(ui::IsFollowedSelection(""));
    EXPECT_FALSE(ui::IsFollowedSelection("1234 5678"));
}

}  // namespace
