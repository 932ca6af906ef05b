// The HTML every book's page and the word finder's lines share.
#include "books/html.h"

#include <gtest/gtest.h>

namespace books {
namespace {

TEST(Html, SearchLinksEncodeEverythingButPlainCharacters) {
    EXPECT_EQ(SearchLink("rock 'n' roll"), "zoek:rock%20%27n%27%20roll");
    EXPECT_EQ(SearchLink("caf\xC3\xA9&\"<x>"), "zoek:caf%C3%A9%26%22%3Cx%3E");
    EXPECT_EQ(SearchLink("A.b_c~d-9"), "zoek:A.b_c~d-9");
}

// Nothing in a word can end the note early: its hyphens are encoded as well.
TEST(Html, KeyWordsAreNotedInACommentThatOnlyTheyCannotEnd) {
    EXPECT_EQ(KeyWordsComment({"a-->b", "GREV\xC3\x89"}),
              "<!--keys zoek:a%2D%2D%3Eb zoek:GREV%C3%89 -->");
    EXPECT_EQ(KeyWordsComment({}), "");
}

}  // namespace
}  // namespace books
