// Full-text search over an article index made from entries: the entries found are exactly
// those whose text holds the words (folded, as words, phrases next to each other, word
// starts, excluded words), a word in the headword ranks first, the count goes past the
// limit, and a book without an index or with a damaged one says so in Dutch.
#include "viewer/finder/ArticleSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>

#include "books/article_index.h"
#include "tempdir.h"
#include "viewer/finder/BookIndex.h"

namespace {

const char *const kWords[] = {"fiets", "bel", "Caf\xE9", "rood", "huis", "water", "weg", "de"};

struct TEntry {
    std::string headword;
    std::vector<std::string> words;  // the article's words, folded to lower case without accents
};

std::string Plain(std::string word) {
    for (char &c : word)
        c = c == '\xE9' ? 'e' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

class ArticleSearchTest : public testing::Test {
  protected:
    void SetUp() override {
        std::mt19937 random(11);
        books::KeyTable table;
        std::vector<books::SourceEntry> sources;
        for (int i = 0; i < 400; ++i) {
            TEntry entry;
            entry.headword = "e" + std::to_string(1000 + i);
            std::string body = "<p><b>" + entry.headword + "</b></p><ol>";
            const int length = 1 + static_cast<int>(random() % 6);
            for (int w = 0; w < length; ++w) {
                const std::string word = kWords[random() % std::size(kWords)];
                // Markup between words parts them as a blank does.
                body += (w % 2 == 0 ? "<li>" : " ") + word;
                entry.words.push_back(Plain(word));
            }
            body += "</ol>";
            table.keys[Plain(entry.headword)].push_back(static_cast<std::uint32_t>(i));
            books::SourceEntry source;
            source.headword = entry.headword;
            source.body = body;
            sources.push_back(source);
            entries.push_back(entry);
        }
        // A headword that is a word of the texts too.
        books::SourceEntry water;
        water.headword = "water";
        water.body = "<p>iets anders</p>";
        sources.push_back(water);
        entries.push_back({"water", {"water", "iets", "anders"}});
        table.keys["WATER"].push_back(static_cast<std::uint32_t>(sources.size() - 1));
        books::WriteArticleIndex(temp.File("boek.fts"), sources, table);
        index.SetBook(temp.File("boek.idx"));
    }

    // The headwords of the entries whose words hold the phrase (words next to each other;
    // the last one a start when prefix).
    std::set<std::string> Holding(const std::vector<std::string> &phrase, bool prefix) const {
        std::set<std::string> found;
        for (const TEntry &e : entries) {
            for (std::size_t at = 0; at + phrase.size() <= e.words.size(); ++at) {
                bool all = true;
                for (std::size_t k = 0; k < phrase.size() && all; ++k) {
                    const std::string &w = e.words[at + k];
                    all = (prefix && k + 1 == phrase.size()) ? w.rfind(phrase[k], 0) == 0
                                                             : w == phrase[k];
                }
                if (all)
                    found.insert(e.headword);
            }
        }
        return found;
    }
    std::set<std::string> Found(const std::string &query, std::size_t limit = 10000) {
        const TArticleAnswer answer = SearchArticles(index, query, limit, nullptr, "boek");
        EXPECT_EQ(answer.Trouble, TArticleAnswer::Problem::None) << query << answer.Message;
        std::set<std::string> found;
        for (const TArticleHit &hit : answer.Hits)
            found.insert(hit.Headword);
        EXPECT_EQ(found.size(), answer.Hits.size()) << "each entry once: " << query;
        return found;
    }
    static std::set<std::string> Both(const std::set<std::string> &a,
                                      const std::set<std::string> &b) {
        std::set<std::string> both;
        std::set_intersection(a.begin(), a.end(), b.begin(), b.end(),
                              std::inserter(both, both.end()));
        return both;
    }

    tk::test::TempDir temp;
    std::vector<TEntry> entries;
    TBookIndex index;
};

TEST_F(ArticleSearchTest, FindsExactlyTheEntriesWhoseTextHoldsTheWords) {
    EXPECT_EQ(Found("fiets"), Holding({"fiets"}, false));
    EXPECT_EQ(Found("FIETS"), Holding({"fiets"}, false)) << "case folds";
    EXPECT_EQ(Found("cafe"), Holding({"cafe"}, false)) << "accents fold";
    EXPECT_EQ(Found("caf\xC3\xA9"), Holding({"cafe"}, false));
    EXPECT_EQ(Found("fiets bel"), Both(Holding({"fiets"}, false), Holding({"bel"}, false)));
    EXPECT_EQ(Found("rood huis weg"), Both(Both(Holding({"rood"}, false), Holding({"huis"}, false)),
                                           Holding({"weg"}, false)));
    EXPECT_EQ(Found("\"rood huis\""), Holding({"rood", "huis"}, false));
    EXPECT_EQ(Found("wat*"), Holding({"wat"}, true));
    EXPECT_EQ(Found("fie"), std::set<std::string>()) << "a word, not a part of one";
    std::set<std::string> without = Holding({"bel"}, false);
    for (const std::string &h : Holding({"de"}, false))
        without.erase(h);
    EXPECT_EQ(Found("bel -de"), without);
    EXPECT_FALSE(Found("fiets").empty());
}

TEST_F(ArticleSearchTest, RanksTheHeadwordFirstAndCountsPastTheLimit) {
    const TArticleAnswer answer = SearchArticles(index, "water", 5, nullptr, "boek");
    ASSERT_EQ(answer.Hits.size(), 5u);
    EXPECT_EQ(answer.Hits[0].Headword, "water");
    EXPECT_EQ(answer.Total, Holding({"water"}, false).size());
    const std::string lines = ArticleLines(answer, "water");
    EXPECT_NE(lines.find(ArticleSentence(answer.Total, false, "water")), std::string::npos);
    EXPECT_NE(lines.find("En nog " + std::to_string(answer.Total - 5) + " artikelen"),
              std::string::npos);
    EXPECT_NE(lines.find("<a href=\"zoek:water\">water</a>"), std::string::npos);
}

TEST_F(ArticleSearchTest, AMissingOrDamagedIndexOrABadQueryIsSaidInDutch) {
    TArticleAnswer answer = SearchArticles(index, "\"open", 10, nullptr, "boek");
    EXPECT_EQ(answer.Trouble, TArticleAnswer::Problem::BadQuery);
    EXPECT_EQ(answer.Message,
              "De zoekvraag klopt niet: een aanhalingsteken (\") wordt niet gesloten.");
    TBookIndex none;
    none.SetBook(temp.File("ander.idx"));
    answer = SearchArticles(none, "fiets", 10, nullptr, "ander");
    EXPECT_EQ(answer.Trouble, TArticleAnswer::Problem::NoIndex);
    EXPECT_NE(answer.Message.find("heeft geen artikelindex"), std::string::npos);
    EXPECT_NE(answer.Message.find("lexqc index ander"), std::string::npos);
    // A file cut short: the open or the first query finds out; the book stays usable.
    std::string bytes;
    {
        std::ifstream in(temp.File("boek.fts"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::ofstream(temp.File("kort.fts"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    TBookIndex cut;
    cut.SetBook(temp.File("kort.idx"));
    answer = SearchArticles(cut, "fiets", 10, nullptr, "kort");
    EXPECT_EQ(answer.Trouble, TArticleAnswer::Problem::DamagedIndex);
    EXPECT_NE(answer.Message.find("is beschadigd"), std::string::npos);
    EXPECT_TRUE(answer.Hits.empty());
}

TEST(ArticleExcerpt, MarksTheWordsAroundTheFirstAndCutsAtWords) {
    std::string error;
    const auto query = fulltext::TQuery::Read("fiets* \"rode bel\" -weg", error);
    ASSERT_TRUE(query);
    EXPECT_EQ(Excerpt("een Fietser met een rode bel", *query),
              "een <b>Fietser</b> met een <b>rode</b> <b>bel</b>");
    // Far into a long text: an ellipsis, the line starts at a word.
    const std::string before(30, 'x');
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += before + " ";
    text += "de fiets &amp; &#609; (IPA) staat hier";
    const std::string line = Excerpt(books::ArticleText(text), *query);
    EXPECT_EQ(line.rfind("\x85 ", 0), 0u) << line;  // an ellipsis in Windows-1252
    EXPECT_NE(line.find("<b>fiets</b> &amp; &#609; (IPA)"), std::string::npos) << line;
    EXPECT_EQ(line.find("\x85 " + before + " "), 0u) << "no cut word: " << line;
    // No word of the query: the text's start.
    EXPECT_EQ(Excerpt("alleen weg", *query), "alleen weg");
    EXPECT_EQ(books::ArticleText("<p>a&amp;b</p><li>c&#x263A;&bogus;d</li>e<f"),
              "a&b c\xE2\x98\xBA d e");
}

}  // namespace
