// The article index file: what a bounded search ranks first (the headword, words close
// together) and that it agrees with the search of every match, an honest cap on the count,
// the format's version and damaged blocks refused, and the index of an enciphered book
// enciphered so that its words cannot be read, yet searched alike.
#include "books/article_index.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

#include "books/cipher.h"
#include "test_support.h"

namespace books {
namespace {

SourceEntry Entry(const std::string &headword, const std::string &body) {
    SourceEntry entry;
    entry.headword = headword;
    entry.body = body;
    return entry;
}

// Keys of the entries: their headwords in capitals (letters only).
KeyTable KeysOf(const std::vector<SourceEntry> &entries) {
    KeyTable table;
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        std::string key;
        for (const char c : entries[i].headword)
            if (std::isalpha(static_cast<unsigned char>(c)))
                key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        table.keys[key].push_back(i);
    }
    return table;
}

ArticleIndex::Query Words(const std::vector<std::string> &words) {
    ArticleIndex::Query query;
    for (const std::string &word : words) {
        query.all += (query.all.empty() ? "\"" : " AND \"") + word + "\"";
        query.words.push_back({word});
    }
    query.phrases = static_cast<int>(words.size());
    return query;
}

std::vector<std::string> Headwords(const ArticleIndex::Found &found) {
    std::vector<std::string> headwords;
    for (const ArticleIndex::Match &match : found.matches)
        headwords.push_back(match.headword);
    return headwords;
}

class ArticleIndexTest : public testing::Test {
  protected:
    std::unique_ptr<ArticleIndex> Make(const std::vector<SourceEntry> &entries,
                                       const Cipher *cipher = nullptr,
                                       const std::string &crypt = "") {
        WriteArticleIndex(dir_.File("b.fts"), entries, KeysOf(entries), nullptr, cipher);
        ArticleIndex::OpenStatus status;
        auto index = ArticleIndex::Open(dir_.File("b.fts"), status, crypt);
        EXPECT_EQ(status, ArticleIndex::OpenStatus::Ok);
        return index;
    }
    test::TempDir dir_;
};

TEST_F(ArticleIndexTest, TheHeadwordAndCloseWordsRankFirstAsInTheSearchOfEveryMatch) {
    std::vector<SourceEntry> entries = {
        // Long, but its headword is the word asked for.
        Entry("fiets", "<p>fiets</p><p>" + std::string(400, 'x') + " rood</p>"),
        Entry("ver", "<p>ver</p><p>fiets een twee drie vier vijf zes rood</p>"),
        Entry("dicht", "<p>dicht</p><p>een twee drie vier vijf zes rode fiets</p>"),
        Entry("dichtst", "<p>dichtst</p><p>een twee drie vier vijf zes fiets rood</p>"),
        // The headword is not in the text: the index puts it in front.
        Entry("rijwiel", "<p>een ding met twee wielen</p>"),
    };
    const auto index = Make(entries);
    std::string error;
    ArticleIndex::Found bounded, every;
    ASSERT_TRUE(index->Search(Words({"fiets"}), 10, bounded, error)) << error;
    EXPECT_EQ(bounded.matches.at(0).headword, "fiets");
    EXPECT_EQ(bounded.total, 4u);
    EXPECT_FALSE(bounded.capped);
    ASSERT_TRUE(index->Search(Words({"rood", "fiets"}), 10, bounded, error)) << error;
    EXPECT_EQ(Headwords(bounded), (std::vector<std::string>{"fiets", "dichtst", "ver"}));
    ASSERT_TRUE(index->Search(Words({"rood", "fiets"}), ArticleIndex::kEvery, every, error));
    EXPECT_EQ(Headwords(every), Headwords(bounded));
    ASSERT_TRUE(index->Search(Words({"rijwiel"}), 10, bounded, error)) << error;
    EXPECT_EQ(Headwords(bounded), std::vector<std::string>{"rijwiel"});
    ASSERT_TRUE(index->Search(Words({"wielen"}), 10, bounded, error)) << error;
    EXPECT_EQ(Headwords(bounded), std::vector<std::string>{"rijwiel"});
}

TEST_F(ArticleIndexTest, ABoundedSearchCapsItsCountHonestlyAndTheFullOneCountsAll) {
    std::vector<SourceEntry> entries;
    const std::size_t many = ArticleIndex::kCountCap + 40;
    for (std::size_t i = 0; i < many; ++i)
        entries.push_back(Entry("w" + std::to_string(i), "<p>veel " + std::to_string(i) + "</p>"));
    entries.push_back(Entry("veel", "<p>veel</p><p>" + std::string(300, 'y') + "</p>"));
    const auto index = Make(entries);
    std::string error;
    ArticleIndex::Found bounded, every;
    ASSERT_TRUE(index->Search(Words({"veel"}), 200, bounded, error)) << error;
    EXPECT_TRUE(bounded.capped);
    EXPECT_EQ(bounded.total, ArticleIndex::kCountCap);
    EXPECT_EQ(bounded.matches.size(), 200u);
    // Past the shortest articles, the headword's own entry is still a candidate.
    EXPECT_EQ(bounded.matches[0].headword, "veel");
    ASSERT_TRUE(index->Search(Words({"veel"}), ArticleIndex::kEvery, every, error)) << error;
    EXPECT_FALSE(every.capped);
    EXPECT_EQ(every.total, many + 1);
    EXPECT_EQ(every.matches.size(), many + 1);
}

TEST_F(ArticleIndexTest, AnIndexOfAnotherFormatOrWithADamagedBlockIsRefused) {
    const std::vector<SourceEntry> entries = {Entry("huis", "<p>huis</p><p>house</p>")};
    Make(entries).reset();
    std::string file = test::ReadAll(dir_.File("b.fts"));
    // The format row as an older index has it: same length, so the file stays sound.
    const std::size_t format = file.find("taalkist-artikelindex 2");
    ASSERT_NE(format, std::string::npos);
    std::string older = file;
    older[format + 22] = '1';
    std::ofstream(dir_.File("oud.fts"), std::ios::binary) << older;
    ArticleIndex::OpenStatus status;
    EXPECT_FALSE(ArticleIndex::Open(dir_.File("oud.fts"), status));
    EXPECT_EQ(status, ArticleIndex::OpenStatus::Outdated);
    // A block of reversed keys that does not inflate, and per-entry counts that claim more
    // entries than the headword blocks hold: the walk and the search fail, nothing crashes.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(dir_.File("b.fts").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "UPDATE rkeys SET keys = X'0500000078DA00';"
                           "UPDATE meta SET value = X'FFFFFF00' WHERE name = 'headword words'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    auto index = ArticleIndex::Open(dir_.File("b.fts"), status);
    ASSERT_TRUE(index);
    EXPECT_FALSE(index->KeysEndingWith("S", [](std::string_view) { return true; }));
    std::string error;
    ArticleIndex::Found found;
    EXPECT_FALSE(index->Search(Words({"huis"}), 10, found, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(found.matches.empty());
}

TEST(FoldedWords, FoldsEachWordByTheKeyRuleAndPartsWordsWhereTheTextDoes) {
    // Case, accents and strokes away, ß and œ written out; digits kept.
    EXPECT_EQ(FoldedWords("\xC5\xBB"
                          "ona i \xC5\x81\xC3\xB3"
                          "d\xC5\xBA"),
              "zona i lodz");
    EXPECT_EQ(FoldedWords("Stra\xC3\x9F"
                          "e 12, \xC5\x93uvre"),
              "strasse 12 oeuvre");
    // Punctuation beyond ASCII parts words; a combining mark stays within its word.
    EXPECT_EQ(FoldedWords("a\xE2\x80\x94"
                          "b \xC2\xAB"
                          "c\xC2\xBB"),
              "a b c");
    EXPECT_EQ(FoldedWords("z\xCC\x87"
                          "ona"),
              "zona");
    // Greek and Cyrillic stay in their script, folded.
    EXPECT_EQ(FoldedWords("\xCE\x86\xCE\xB8\xCE\xB7\xCE\xBD\xCE\xB1"),
              "\xCE\xB1\xCE\xB8\xCE\xB7\xCE\xBD\xCE\xB1");
    EXPECT_EQ(FoldedWords("\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0"), "\xD0\xB5\xD0\xBB\xD0\xBA\xD0\xB0");
    EXPECT_EQ(FoldedWords("..."), "");
}

TEST_F(ArticleIndexTest, AUtf8BooksIndexHoldsFoldedWordsAndUtf8KeysAndSaysSo) {
    const std::vector<SourceEntry> entries = {Entry("\xC5\xBC"
                                                    "ona",
                                                    "<p>\xC5\xBC"
                                                    "ona</p><p>vrouw</p>"),
                                              Entry("\xC5\x81\xC3\xB3"
                                                    "d\xC5\xBA",
                                                    "<p>\xC5\x81\xC3\xB3"
                                                    "d\xC5\xBA</p><p>stad</p>"),
                                              Entry("\xC5\x82\xC3\xB3"
                                                    "dka",
                                                    "<p>boot, kleiner dan een \xC5\x82\xC3\xB3"
                                                    "d\xC5\xBA</p>")};
    KeyTable keys;
    keys.keys["zona"] = {0};
    keys.keys["lodz"] = {1};
    keys.keys["lodka"] = {2};
    WriteArticleIndex(dir_.File("u.fts"), entries, keys, nullptr, nullptr, /*utf8=*/true);
    ArticleIndex::OpenStatus status;
    auto index = ArticleIndex::Open(dir_.File("u.fts"), status);
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->FoldsWords());
    EXPECT_FALSE(Make({Entry("huis", "<p>huis</p>")})->FoldsWords());
    std::string error;
    ArticleIndex::Found found;
    // The index holds folded words: a query of folded words finds both spellings' entries.
    ASSERT_TRUE(index->Search(Words({"lodz"}), ArticleIndex::kEvery, found, error)) << error;
    EXPECT_EQ(Headwords(found), (std::vector<std::string>{"\xC5\x81\xC3\xB3"
                                                          "d\xC5\xBA",
                                                          "\xC5\x82\xC3\xB3"
                                                          "dka"}));
    ASSERT_TRUE(index->Search(Words({"zona"}), ArticleIndex::kEvery, found, error)) << error;
    EXPECT_EQ(Headwords(found), (std::vector<std::string>{"\xC5\xBC"
                                                          "ona"}));
    // Reversed keys byte by byte: a UTF-8 suffix is a range as the letters A to Z are.
    std::vector<std::string> ending;
    ASSERT_TRUE(index->KeysEndingWith("a", [&](std::string_view key) {
        ending.emplace_back(key);
        return true;
    }));
    EXPECT_EQ(ending, (std::vector<std::string>{"lodka", "zona"}));
}

#ifdef LEXQC_TEST_CRYPT
TEST_F(ArticleIndexTest, TheIndexOfAnEncipheredBookHidesItsWordsAndIsSearchedAlike) {
    const std::vector<SourceEntry> entries = {
        Entry("geheim", "<p>geheim</p><p>een verborgen woordenschat</p>"),
        Entry("open", "<p>open</p><p>niet verborgen</p>"),
    };
    const auto crypt = CryptLibrary::Load(LEXQC_TEST_CRYPT);
    const Cipher encipher = crypt->Encrypt();
    const auto index = Make(entries, &encipher, LEXQC_TEST_CRYPT);
    ASSERT_TRUE(index);
    const std::string file = test::ReadAll(dir_.File("b.fts"));
    for (const char *word : {"woordenschat", "verborgen", "geheim", "SQLite", "MIEHEG"})
        EXPECT_EQ(file.find(word), std::string::npos) << word;
    std::string error;
    ArticleIndex::Found found;
    ASSERT_TRUE(index->Search(Words({"verborgen"}), 10, found, error)) << error;
    EXPECT_EQ(Headwords(found), (std::vector<std::string>{"open", "geheim"}));
    std::vector<std::string> keys;
    EXPECT_TRUE(index->KeysEndingWith("EN", [&](std::string_view key) {
        keys.emplace_back(key);
        return true;
    }));
    EXPECT_EQ(keys, std::vector<std::string>{"OPEN"});
    // Without crypt.dll the index is refused as such, not as damaged.
    ArticleIndex::OpenStatus status;
    EXPECT_FALSE(ArticleIndex::Open(dir_.File("b.fts"), status, dir_.File("geen-crypt.dll")));
    EXPECT_EQ(status, ArticleIndex::OpenStatus::NoCrypt);
}
#endif

}  // namespace
}  // namespace books
