#include "viewer/finder/HunspellStems.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tempdir.h"

namespace {

using Words = std::vector<std::string>;

// A dictionary in Latin-1, as many older ones are: words go in and out as UTF-8 anyway.
void WriteLatin1Dictionary(const tk::test::TempDir &folder, const std::string &name) {
    folder.Write(name + ".aff", "SET ISO8859-1\nSFX S Y 1\nSFX S 0 s .\n");
    folder.Write(name + ".dic",
                 "2\ncaf\xE9/S\nna\xEF"
                 "ef\n");
}

TEST(HunspellStems, ConvertsBetweenUtf8AndTheDictionarysEncoding) {
    tk::test::TempDir folder;
    WriteLatin1Dictionary(folder, "xx");
    HunspellStems stems("xx", {folder.Path() + "/missing", folder.Path()});
    EXPECT_FALSE(stems.Ready());
    ASSERT_TRUE(stems.Load());
    EXPECT_EQ(stems.AffixPath(), folder.Path() + "/xx.aff");
    EXPECT_EQ(stems.Stems("caf\xC3\xA9s"), Words{"caf\xC3\xA9"});
    EXPECT_TRUE(
        stems.Spell("na\xC3\xAF"
                    "ef"));
    // A word the encoding cannot hold is simply unknown.
    EXPECT_FALSE(
        stems.Spell("\xC4\x89"
                    "apo"));
    EXPECT_TRUE(stems
                    .Stems("\xC4\x89"
                           "apo")
                    .empty());
    EXPECT_TRUE(stems.Stems("").empty());
}

TEST(HunspellStems, FindsARegionalDictionaryAndRefusesOddLanguageNames) {
    tk::test::TempDir folder;
    WriteLatin1Dictionary(folder, "yy_ZZ");
    WriteLatin1Dictionary(folder, "yy_BB");
    folder.Write("yy_AA.aff", "SET UTF-8\n");  // no .dic beside it
    HunspellStems regional("yy", {folder.Path()});
    ASSERT_TRUE(regional.Load());
    EXPECT_EQ(regional.AffixPath(), folder.Path() + "/yy_BB.aff");
    for (const char *odd : {"", "../yy_BB", "YY", "abcdefghij"}) {
        HunspellStems refused(odd, {folder.Path()});
        EXPECT_FALSE(refused.Load()) << odd;
    }
}

TEST(HunspellStems, WithoutADictionaryEveryAnswerIsEmpty) {
    tk::test::TempDir folder;
    HunspellStems none("qq", {folder.Path(), folder.Path() + "/missing"});
    EXPECT_FALSE(none.Load());
    EXPECT_FALSE(none.Ready());
    EXPECT_TRUE(none.Stems("woord").empty());
    EXPECT_TRUE(none.Analyze("woord").empty());
    EXPECT_FALSE(none.Spell("woord"));
}

TEST(HunspellStems, ReadsTagsAndPrefixes) {
    tk::test::TempDir folder;
    folder.Write("zz.aff",
                 "SET UTF-8\nSFX T Y 1\nSFX T 0 te . ts:VBh1\nPFX A Y 1\nPFX A 0 re .\n"
                 "SFX D Y 1\nSFX D 0 d e\n");
    folder.Write("zz.dic", "2\nvlot/T\nmove/AD\n");
    HunspellStems stems("zz", {folder.Path()});
    ASSERT_TRUE(stems.Load());
    const auto past = stems.Analyze("vlotte");
    ASSERT_EQ(past.size(), 1u);
    EXPECT_EQ(past[0].stem, "vlot");
    EXPECT_EQ(past[0].tag, "VBh1");
    EXPECT_EQ(past[0].prefix, "");
    EXPECT_FALSE(past[0].prefixDropped);
    // With one affix the prefix is written out; with two it is only named by its flag,
    // and the stem is then another word.
    const auto prefixed = stems.Analyze("remove");
    ASSERT_EQ(prefixed.size(), 1u);
    EXPECT_EQ(prefixed[0].prefix + prefixed[0].stem, "remove");
    EXPECT_FALSE(prefixed[0].prefixDropped);
    const auto both = stems.Analyze("removed");
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].stem, "move");
    EXPECT_TRUE(both[0].prefixDropped);
}

TEST(HunspellStems, LoadsOnceWhileOtherThreadsAsk) {
    tk::test::TempDir folder;
    WriteLatin1Dictionary(folder, "xx");
    HunspellStems stems("xx", {folder.Path()});
    std::vector<std::thread> threads;
    std::vector<int> found(8, 0);
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] {
            stems.Load();
            found[i] = static_cast<int>(stems.Stems("caf\xC3\xA9s").size());
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(found, std::vector<int>(8, 1));
}

}  // namespace
