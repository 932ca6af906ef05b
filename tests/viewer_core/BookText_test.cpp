// The open book's encoding at the viewer's edges: Windows-1252 books as always, UTF-8 books
// as they are, and a page read by what its own head says.
#include "viewer/core/BookText.h"

#include <gtest/gtest.h>

#include "viewer/core/LXA_Utils.h"

namespace {

class BookTextTest : public ::testing::Test {
  protected:
    void TearDown() override { booktext::SetUtf8(false); }
};

TEST_F(BookTextTest, AWindows1252BookConvertsExactlyAndFoldsToTheLettersAToZ) {
    booktext::SetUtf8(false);
    EXPECT_EQ(booktext::FromUtf8("café"), std::optional<std::string>("caf\xE9"));
    char32_t bad = 0;
    EXPECT_EQ(booktext::FromUtf8("łódź", &bad), std::nullopt);
    EXPECT_EQ(bad, U'ł');
    EXPECT_EQ(booktext::ToUtf8("caf\xE9"), "café");
    EXPECT_EQ(FoldToLetterKey("Stra\xDF"
                              "e 2"),
              "STRASSE");
}

TEST_F(BookTextTest, AUtf8BookKeepsItsTextAndFoldsByTheUnicodeRule) {
    booktext::SetUtf8(true);
    EXPECT_EQ(booktext::FromUtf8("łódź"), std::optional<std::string>("łódź"));
    char32_t bad = 0;
    EXPECT_EQ(booktext::FromUtf8("\xC5", &bad), std::nullopt);
    EXPECT_EQ(bad, U'\uFFFD');
    EXPECT_EQ(booktext::ToUtf8("żona"), "żona");
    EXPECT_EQ(FoldToLetterKey("ŁÓDŹ"), "lodz");
    EXPECT_EQ(FoldToLetterKey("Ёлка"), "елка");
}

TEST_F(BookTextTest, APageIsReadAsItsHeadSays) {
    // Whichever book is open: the all-books page mixes pages of other books.
    for (const bool utf8 : {false, true}) {
        booktext::SetUtf8(utf8);
        EXPECT_EQ(booktext::PageToUtf8("<html><head><meta charset=\"utf-8\"></head>łódź</html>"),
                  "<html><head><meta charset=\"utf-8\"></head>łódź</html>");
        EXPECT_EQ(booktext::PageToUtf8("<html><head></head>caf\xE9</html>"),
                  "<html><head></head>café</html>");
        // The mark counts only in the head, not in an entry's text.
        EXPECT_EQ(booktext::PageToUtf8("<head></head><meta charset=\"utf-8\">\xE9"),
                  "<head></head><meta charset=\"utf-8\">é");
    }
}

}  // namespace
