// The pattern walk over a book's keys: each route (fixed start, fixed end through the
// article index's reversed keys, every key) gives exactly the keys a plain scan gives, in
// key order, cut at the limit with the full count; and the article index it reads refuses
// a missing or foreign file.
#include "viewer/finder/PatternSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "books/article_index.h"
#include "tempdir.h"

namespace {

using Route = TPatternMatches::Route;

// Keys of two to eight letters of a small alphabet, so that patterns match many of them.
std::vector<std::string> SomeKeys() {
    std::mt19937 random(7);
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i) {
        std::string key(2 + random() % 7, 'A');
        for (char &c : key)
            c = static_cast<char>("AEHIDTUS"[random() % 8]);
        keys.push_back(key);
    }
    for (const char *key : {"HEID", "AHEID", "ID", "H", "ZZZ"})
        keys.emplace_back(key);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

// The library's key walk over a sorted list: keys greater than after.
TForwardKeys Walk(const std::vector<std::string> &keys, std::size_t &visited) {
    return [&keys, &visited](const std::string &after,
                             const std::function<bool(std::string_view)> &visit) {
        for (auto it = std::upper_bound(keys.begin(), keys.end(), after); it != keys.end(); ++it) {
            ++visited;
            if (!visit(*it))
                break;
        }
        return true;
    };
}

class PatternSearchTest : public testing::Test {
  protected:
    void SetUp() override {
        Keys = SomeKeys();
        books::KeyTable table;
        std::vector<books::SourceEntry> entries;
        for (const std::string &key : Keys) {
            table.keys[key].push_back(static_cast<std::uint32_t>(entries.size()));
            books::SourceEntry entry;
            entry.headword = key;
            entry.body = "<p>" + key + "</p>";
            entries.push_back(entry);
        }
        books::WriteArticleIndex(Temp.File("book.fts"), entries, table);
        books::ArticleIndex::OpenStatus status;
        Index = books::ArticleIndex::Open(Temp.File("book.fts"), status);
        ASSERT_EQ(status, books::ArticleIndex::OpenStatus::Ok);
    }

    std::vector<std::string> Expected(const char *text) const {
        std::string error;
        const auto read = pattern::TPattern::Read(text, error);
        std::vector<std::string> matching;
        std::copy_if(Keys.begin(), Keys.end(), std::back_inserter(matching),
                     [&](const std::string &key) { return read->Matches(key); });
        return matching;
    }

    tk::test::TempDir Temp;
    std::vector<std::string> Keys;
    std::unique_ptr<books::ArticleIndex> Index;
};

TEST_F(PatternSearchTest, EveryRouteGivesTheKeysOfAPlainScanInKeyOrder) {
    const struct {
        const char *text;
        Route route;
    } cases[] = {
        {"he*", Route::Prefix},   {"h", Route::Prefix},      {"a?d*s", Route::Prefix},
        {"*heid", Route::Suffix}, {"?uis", Route::Suffix},   {"*d[ei]s", Route::Suffix},
        {"*ie*", Route::AllKeys}, {"[ah]*", Route::AllKeys}, {"*d[ei]", Route::AllKeys},
        {"zzz*", Route::Prefix},  {"*q", Route::Suffix},     {"d", Route::Prefix},
        {"*", Route::AllKeys},
    };
    for (const auto &c : cases) {
        std::string error;
        const auto read = pattern::TPattern::Read(c.text, error);
        ASSERT_TRUE(read) << c.text;
        std::size_t visited = 0;
        const TPatternMatches found =
            FindPatternKeys(*read, kPatternPageLimit, Walk(Keys, visited), Index.get());
        const std::vector<std::string> expected = Expected(c.text);
        EXPECT_EQ(found.Walked, c.route) << c.text;
        EXPECT_FALSE(found.Failed) << c.text;
        EXPECT_EQ(found.Total, expected.size()) << c.text;
        EXPECT_EQ(found.Keys, std::vector<std::string>(
                                  expected.begin(),
                                  expected.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                         expected.size(), kPatternPageLimit))))
            << c.text;
        // A range walk reads its range and at most the one key past it.
        if (c.route == Route::Prefix) {
            const std::string start = read->FixedStart();
            const auto in = std::count_if(Keys.begin(), Keys.end(), [&](const std::string &k) {
                return k.rfind(start, 0) == 0;
            });
            EXPECT_LE(visited, static_cast<std::size_t>(in) + 1) << c.text;
        }
        if (c.route == Route::Suffix)
            EXPECT_EQ(visited, 0u) << c.text;
    }
}

TEST_F(PatternSearchTest, WithoutAnIndexAFixedEndReadsEveryKeyAndALimitCutsTheList) {
    std::string error;
    const auto read = pattern::TPattern::Read("*d", error);
    std::size_t visited = 0;
    const TPatternMatches found = FindPatternKeys(*read, 5, Walk(Keys, visited), nullptr);
    const std::vector<std::string> expected = Expected("*d");
    EXPECT_EQ(found.Walked, Route::AllKeys);
    EXPECT_EQ(visited, Keys.size());
    EXPECT_EQ(found.Total, expected.size());
    EXPECT_EQ(found.Keys, std::vector<std::string>(expected.begin(), expected.begin() + 5));
    const TPatternMatches indexed = FindPatternKeys(*read, 5, Walk(Keys, visited), Index.get());
    EXPECT_EQ(indexed.Keys, found.Keys);
    EXPECT_EQ(indexed.Total, found.Total);
}

TEST_F(PatternSearchTest, AMissingOrForeignIndexIsRefused) {
    books::ArticleIndex::OpenStatus status;
    EXPECT_FALSE(books::ArticleIndex::Open(Temp.File("none.fts"), status));
    EXPECT_EQ(status, books::ArticleIndex::OpenStatus::Missing);
    for (const std::string &bytes : {std::string("not a database at all"), std::string()}) {
        EXPECT_FALSE(books::ArticleIndex::Open(Temp.Write("bad.fts", bytes), status));
        EXPECT_EQ(status, books::ArticleIndex::OpenStatus::Damaged);
    }
    EXPECT_EQ(books::ArticleIndexPath("/a/b.c/nl-en.idx"), "/a/b.c/nl-en.fts");
    EXPECT_EQ(books::ArticleIndexPath("/a/b.c/boek"), "/a/b.c/boek.fts");
}

TEST(PatternPage, SaysHowManyMatchedAndHowManyAreNotListed) {
    EXPECT_EQ(PatternSentence(3, "*heid"), "3 trefwoorden passen bij '*heid'.");
    EXPECT_EQ(PatternSentence(1, "h?"), "1 trefwoord past bij 'h?'.");
    const std::string lines = PatternLines({"huis", "h<s"}, 7, "h*");
    EXPECT_NE(lines.find("7 trefwoorden passen bij 'h*'."), std::string::npos);
    EXPECT_NE(lines.find("<a href=\"zoek:huis\">huis</a><br><a href=\"zoek:h%3Cs\">h&lt;s</a>"),
              std::string::npos);
    EXPECT_NE(lines.find("En nog 5 trefwoorden"), std::string::npos);
    EXPECT_EQ(PatternLines({}, 0, "q*").find("En nog"), std::string::npos);
}

}  // namespace
