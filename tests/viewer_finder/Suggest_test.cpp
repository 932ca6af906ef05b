#include "viewer/finder/Suggest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Words = std::vector<std::string>;

Suggester FromKeys(Words keys) {
    return Suggester([keys = std::move(keys)](const Suggester::Emit &emit) {
        for (const std::string &key : keys)
            emit(key);
    });
}

// What a query must give, by comparing the typed key with every key: within one edit, or
// two when that finds too few, nearest first and then in key order.
Words Reference(Words keys, const std::string &typed, const Suggester::Options &options) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    int widest = std::clamp(options.maxDistance, 0, 3);
    // In characters: a UTF-8 key's letters may take several bytes.
    const auto characters = std::count_if(typed.begin(), typed.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    if (static_cast<std::size_t>(characters) < options.minLengthForTwo)
        widest = std::min(widest, 1);
    std::vector<std::pair<int, std::string>> near;
    for (int bound = 1; bound <= widest; ++bound) {
        near.clear();
        for (const std::string &key : keys) {
            const int d = OsaDistance(typed, key);
            if (d >= 1 && d <= bound)
                near.emplace_back(d, key);
        }
        if (near.size() >= options.maxResults)
            break;
    }
    std::sort(near.begin(), near.end());
    Words result;
    for (std::size_t i = 0; i < near.size() && i < options.maxResults; ++i)
        result.push_back(near[i].second);
    return result;
}

std::string RandomKey(std::mt19937 &random, const std::string &alphabet, std::size_t maxLength) {
    std::string key(1 + random() % maxLength, 'A');
    for (char &c : key)
        c = alphabet[random() % alphabet.size()];
    return key;
}

TEST(OsaDistance, CountsASwapOfNeighboursAsOneEdit) {
    EXPECT_EQ(OsaDistance("ABCD", "ABDC"), 1);
    EXPECT_EQ(OsaDistance("ABCD", "ABD"), 1);
    EXPECT_EQ(OsaDistance("ABCD", "XBCD"), 1);
    EXPECT_EQ(OsaDistance("", "ABC"), 3);
    // No letter is edited twice: "CA" to "ABC" is three edits, not a swap and an insert.
    EXPECT_EQ(OsaDistance("CA", "ABC"), 3);
    EXPECT_EQ(OsaDistance("ABC", "CA"), 3);
}

TEST(Suggester, MatchesABruteForceSearchOnRandomKeys) {
    std::mt19937 random(2024);
    for (int round = 0; round < 120; ++round) {
        // Few letters make many near neighbours, shared prefixes and prunable subtrees.
        const std::string alphabet = std::string("ABCDEFG").substr(0, 2 + round % 5);
        Words keys(20 + random() % 200);
        for (std::string &key : keys)
            key = RandomKey(random, alphabet, 1 + round % 9);
        const Suggester suggester = FromKeys(keys);
        Suggester::Options options;
        options.maxResults = 1 + random() % 20;
        options.maxDistance = 1 + static_cast<int>(random() % 3);
        options.minLengthForTwo = random() % 6;
        for (int query = 0; query < 5; ++query) {
            const std::string typed = RandomKey(random, alphabet, 9);
            SCOPED_TRACE(typed);
            EXPECT_EQ(suggester.Suggest(typed, options), Reference(keys, typed, options));
        }
    }
}

TEST(Suggester, ReadsTheKeysOnceAndOnlyWhenFirstAsked) {
    std::atomic<int> reads = 0;
    Suggester suggester([&](const Suggester::Emit &emit) {
        ++reads;
        for (const char *key : {"HUIS", "MUIS", "HUIS", "Huis", "A1", "", "ROOS"})
            emit(key);
        emit(std::string(256, 'A'));
    });
    EXPECT_EQ(reads, 0);
    std::vector<std::thread> threads;
    std::vector<Words> answers(6);
    for (std::size_t i = 0; i < answers.size(); ++i)
        threads.emplace_back([&, i] { answers[i] = suggester.Suggest("HUIZ"); });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(suggester.KeyCount(), 3u);  // HUIS, MUIS, ROOS
    for (const Words &answer : answers)
        EXPECT_EQ(answer, (Words{"HUIS", "MUIS"}));
    EXPECT_GE(suggester.MemoryBytes(), 12u);
}

// A UTF-8 book's keys: small letters and the bytes of other scripts' letters.
TEST(Suggester, SuggestsAmongTheKeysOfAUtf8Book) {
    Suggester suggester([](const Suggester::Emit &emit) {
        for (const char *key : {"lodz", "lody", "zona", "ελια", "ελιες", "Lodz"})
            emit(key);
    });
    EXPECT_EQ(suggester.KeyCount(), 5u);  // not the mixed "Lodz"
    EXPECT_EQ(suggester.Suggest("lods"), (Words{"lody", "lodz"}));
    // Two edits of characters: "ες" for "αα".
    EXPECT_EQ(suggester.Suggest("ελιαα"), (Words{"ελια", "ελιες"}));
}

TEST(OsaDistance, CountsTheCharactersOfAUtf8KeyNotItsBytes) {
    EXPECT_EQ(OsaDistance("\xC5\x82odz", "lodz"), 1);  // łodz
    EXPECT_EQ(OsaDistance("\xD0\xB6\xD0\xB5\xD0\xBD\xD0\xB0", "\xD0\xB6\xD0\xBE\xD0\xBD\xD0\xB0"),
              1);
    EXPECT_EQ(OsaDistance("\xCE\xB5\xCE\xBB\xCE\xB9\xCE\xB1", "\xCE\xB5\xCE\xB9\xCE\xBB\xCE\xB1"),
              1);
    EXPECT_EQ(OsaDistance("\xCE\xB5\xCE\xBB", ""), 2);
}

// The same brute-force comparison over letters of several byte lengths: every distance and
// the shorter typed keys' single edit count characters.
TEST(Suggester, MatchesABruteForceSearchOnRandomUtf8Keys) {
    const Words letters = {"a", "\xC5\x82", "\xC5\xBC", "\xCE\xB5", "\xD0\xB6", "\xE1\x83\x90"};
    std::mt19937 random(2026);
    const auto randomKey = [&](std::size_t most) {
        std::string key;
        for (std::size_t n = 1 + random() % most; n > 0; --n)
            key += letters[random() % (2 + random() % (letters.size() - 1))];
        return key;
    };
    for (int round = 0; round < 80; ++round) {
        Words keys(20 + random() % 150);
        for (std::string &key : keys)
            key = randomKey(1 + round % 7);
        const Suggester suggester = FromKeys(keys);
        Suggester::Options options;
        options.maxResults = 1 + random() % 20;
        options.maxDistance = 1 + static_cast<int>(random() % 3);
        options.minLengthForTwo = random() % 6;
        for (int query = 0; query < 5; ++query) {
            const std::string typed = randomKey(7);
            SCOPED_TRACE(typed);
            EXPECT_EQ(suggester.Suggest(typed, options), Reference(keys, typed, options));
        }
    }
    // Four Greek letters are long enough for two edits, though three take six bytes.
    const Suggester greek = FromKeys({"\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5",
                                      "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6"});
    EXPECT_TRUE(greek.Suggest("\xCE\xB1\xCE\xB2\xCE\xB3").empty());
    EXPECT_EQ(greek.Suggest("\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4"),
              (Words{"\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5",
                     "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6"}));
}

TEST(Suggester, TakesOverKeysReadInOrderAndDropsWhatBreaksIt) {
    // HUIS comes twice, KUIS after MUIS breaks the order, "h1" is no key.
    std::string chars;
    std::vector<std::uint32_t> starts;
    for (const char *key : {"BUIS", "HUIS", "HUIS", "h1", "MUIS", "KUIS", "ROOS", "RUIS"}) {
        starts.push_back(static_cast<std::uint32_t>(chars.size()));
        chars += key;
    }
    starts.push_back(static_cast<std::uint32_t>(chars.size()));
    const Suggester suggester(std::move(chars), std::move(starts));
    EXPECT_EQ(suggester.KeyCount(), 5u);  // BUIS, HUIS, MUIS, ROOS, RUIS
    EXPECT_EQ(suggester.Suggest("XUIS"), (Words{"BUIS", "HUIS", "MUIS", "RUIS"}));
}

TEST(Suggester, HonoursTheLimitsOfAQuery) {
    const Suggester suggester =
        FromKeys({"KAT", "KATTEN", "KIT", "KAP", "KAN", "RAT", "MAT", "KATER"});
    for (const std::string &bad :
         {std::string(), std::string("kat"), std::string("K T"), std::string(65, 'K')})
        EXPECT_TRUE(suggester.Suggest(bad).empty()) << bad;
    // The typed key itself is no suggestion; a key of three letters gets one edit only.
    const Words three = suggester.Suggest("KAT");
    EXPECT_EQ(std::count(three.begin(), three.end(), "KAT"), 0);
    EXPECT_EQ(std::count(three.begin(), three.end(), "KATER"), 0);
    Suggester::Options few;
    few.maxResults = 2;
    EXPECT_EQ(suggester.Suggest("KAT", few).size(), 2u);
    few.maxDistance = 0;
    EXPECT_TRUE(suggester.Suggest("KAT", few).empty());
    EXPECT_TRUE(FromKeys({}).Suggest("KAT").empty());
}

}  // namespace
