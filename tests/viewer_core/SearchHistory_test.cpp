// The window's trail of searches (back and forward) and the recent searches kept per user.
#include "viewer/core/SearchHistory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tempdir.h"

namespace {

std::vector<std::string> WordsOf(const std::vector<TVisit> &visits) {
    std::vector<std::string> words;
    for (const TVisit &visit : visits)
        words.push_back(visit.Book + ":" + visit.Word);
    return words;
}

TEST(SearchTrail, BackAndForwardWalkTheSearchesAndANewSearchDropsTheOnesAhead) {
    TSearchTrail trail;
    EXPECT_EQ(trail.Current(), nullptr);
    EXPECT_EQ(trail.Back(), nullptr);
    EXPECT_FALSE(trail.CanGoForward());
    trail.Record({"nl-en", "huis"});
    EXPECT_FALSE(trail.CanGoBack());  // one search: nothing to go back to
    trail.Record({"nl-en", "boom"});
    trail.Record({"en-nl", "boom"});  // the same word in another book is another search
    trail.Record({"en-nl", "boom"});  // searching the shown one again adds nothing
    EXPECT_EQ(WordsOf(trail.Visits()),
              (std::vector<std::string>{"nl-en:huis", "nl-en:boom", "en-nl:boom"}));

    ASSERT_NE(trail.Back(), nullptr);
    const TVisit *first = trail.Back();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Word, "huis");
    EXPECT_EQ(trail.Back(), nullptr);  // the first stays shown
    EXPECT_EQ(trail.Current()->Word, "huis");
    const TVisit *again = trail.Forward();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Book + ":" + again->Word, "nl-en:boom");
    EXPECT_TRUE(trail.CanGoForward());

    trail.Record({"nl-en", "fiets"});
    EXPECT_FALSE(trail.CanGoForward());
    EXPECT_EQ(WordsOf(trail.Visits()),
              (std::vector<std::string>{"nl-en:huis", "nl-en:boom", "nl-en:fiets"}));
    EXPECT_EQ(trail.Back()->Word, "boom");
}

class RecentSearchesTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("TAALKIST_REGISTRY_DIR", temp.Path().c_str(), 1); }
    void TearDown() override { ::unsetenv("TAALKIST_REGISTRY_DIR"); }
    std::string UserHive() const {
        std::ifstream in(temp.File("user.reg"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    tk::test::TempDir temp;
    const std::string key = "Software\\Taalkist\\Test";
};

TEST_F(RecentSearchesTest, NewestFirstEachOnceAndAtMostFifty) {
    TRecentSearches recent;
    for (const char *word : {"huis", "boom", "Huis", "huis", ""})
        recent.Add(word);
    EXPECT_EQ(recent.Words(), (std::vector<std::string>{"huis", "Huis", "boom"}));
    for (int i = 0; i < 60; ++i)
        recent.Add("w" + std::to_string(i));
    ASSERT_EQ(recent.Words().size(), TRecentSearches::kLimit);
    EXPECT_EQ(recent.Words().front(), "w59");
    EXPECT_EQ(recent.Words().back(), "w10");
}

// Any Unicode the search field can hold survives a restart, also outside Windows-1252.
TEST_F(RecentSearchesTest, KeptAcrossRestartsInAnyScriptAndJoinedWithAnotherWindows) {
    const std::vector<std::string> words = {
        "caf\u00E9",    "\u0152uvre",   "\u03C3\u03C0\u03AF\u03C4\u03B9",
        "\u65E5\u672C", "twee woorden", "a\\b \"c\""};
    TRecentSearches first;
    first.Load(key);
    EXPECT_TRUE(first.Words().empty());
    for (const std::string &word : words)
        first.Add(word);
    first.Save(key);
    EXPECT_NE(UserHive().find("SearchHistory"), std::string::npos);

    TRecentSearches restarted;
    restarted.Load(key);
    EXPECT_EQ(restarted.Words(), std::vector<std::string>(words.rbegin(), words.rend()));

    // Two windows started from the same list: what each searched is kept, newest window
    // first, and what neither searched again stays behind.
    TRecentSearches other;
    other.Load(key);
    restarted.Add("fiets");
    other.Add("boom");
    other.Add("caf\u00E9");
    other.Save(key);
    restarted.Save(key);
    TRecentSearches after;
    after.Load(key);
    ASSERT_GE(after.Words().size(), 3u);
    EXPECT_EQ(after.Words()[0], "fiets");
    EXPECT_EQ(after.Words()[1], "caf\u00E9");
    EXPECT_EQ(after.Words()[2], "boom");
    EXPECT_EQ(after.Words().size(), words.size() + 2);
}

TEST_F(RecentSearchesTest, AWindowThatSearchedNothingLeavesTheListAsItIs) {
    TRecentSearches first;
    first.Add("huis");
    first.Save(key);
    const std::string hive = UserHive();
    TRecentSearches idle;
    idle.Load(key);
    idle.Save(key);
    EXPECT_EQ(UserHive(), hive);
}

}  // namespace
