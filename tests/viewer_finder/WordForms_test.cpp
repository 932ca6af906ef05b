#include "viewer/finder/WordForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tempdir.h"
#include "viewer/finder/WordFormRules.h"

namespace {

using Words = std::vector<std::string>;
using Use = WordForms::Use;
using Wait = WordForms::Wait;

std::size_t Rank(const Words &list, const std::string &item) {
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}

// A table folder with made-up strong verbs, so that what the test sees comes from the
// engine and not from the shipped data.
class WordFormsTest : public ::testing::Test {
  protected:
    WordFormsTest() {
        folder.Write("tables/nl.tsv",
                     "zwimmen\tzwom\tzwommen\tgezwommen\n"
                     "kraf\tkreven\n"
                     "kafe\tkaf\xC3\xA9s\n");
        folder.Write("tables/en.tsv", "chald\tchaldren\n");
    }
    WordForms Make(const std::string &language, std::vector<std::string> hunspell = {}) {
        return WordForms(language, folder.Path() + "/tables", std::move(hunspell));
    }
    // A Dutch dictionary that reads "vlotte" as a past of the verb stem "vlot".
    std::string DutchDictionary() {
        folder.Write("hunspell/nl.aff", "SET UTF-8\nSFX T Y 1\nSFX T 0 te . ts:VBh1\n");
        folder.Write("hunspell/nl.dic", "1\nvlot/T\n");
        return folder.Path() + "/hunspell";
    }
    tk::test::TempDir folder;
};

TEST_F(WordFormsTest, TableFormsComeBeforeRuleGuesses) {
    WordForms forms = Make("nl");
    const Words found = forms.Candidates("zwommen");
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front(), "zwimmen");
    EXPECT_LT(Rank(found, "zwom"), found.size());  // the plural reading, by rule
    EXPECT_EQ(forms.Candidates("kreven").front(), "kraf");
}

TEST_F(WordFormsTest, FindsTableFormsInsideCompoundsAndPrefixedVerbs) {
    WordForms forms = Make("nl");
    EXPECT_EQ(forms.Candidates("opzwom").front(), "opzwimmen");         // separable, past
    EXPECT_EQ(forms.Candidates("uitgezwommen").front(), "uitzwimmen");  // separable, participle
    EXPECT_EQ(forms.Candidates("verzwommen").front(), "verzwimmen");    // no ge- after ver-
    EXPECT_EQ(forms.Candidates("wolkreven").front(), "wolkraf");        // compound
    // A separable verb's regular participle goes through the rules.
    EXPECT_LT(Rank(forms.Candidates("opgehaald"), "ophalen"), forms.Candidates("opgehaald").size());
}

TEST_F(WordFormsTest, GivesEachSearchKeyOnceAndNeverTheWordItself) {
    WordForms forms = Make("nl");
    // "kafe" (table) and "kafé" (rule) are one key.
    const Words cafe = forms.Candidates("kaf\xC3\xA9s");
    EXPECT_EQ(cafe.front(), "kafe");
    EXPECT_EQ(Rank(cafe, "kaf\xC3\xA9"), cafe.size());
    for (const char *word :
         {"Katten", "ZWOMMEN", "gezette", "bakkers", "grootste", "uitgezwommen"}) {
        const Words found = forms.Candidates(word);
        EXPECT_LE(found.size(), WordForms::kMaxCandidates);
        std::set<std::string> keys;
        for (std::string c : found) {
            EXPECT_NE(c, wordrules::NormaliseWord(word)) << word;
            c.erase(std::remove(c.begin(), c.end(), '\''), c.end());
            EXPECT_TRUE(keys.insert(c).second) << word << ": " << c << " twice";
        }
    }
}

TEST_F(WordFormsTest, SeeAlsoKeepsOnlyWhatATableOrTheDictionaryVouchesFor) {
    WordForms forms = Make("nl");
    EXPECT_FALSE(forms.Candidates("katten", Use::Miss).empty());
    EXPECT_TRUE(forms.Candidates("katten", Use::SeeAlso).empty());
    EXPECT_EQ(forms.Candidates("zwom", Use::SeeAlso), Words{"zwimmen"});
}

TEST_F(WordFormsTest, DictionaryConfirmationDecidesBetweenRuleReadings) {
    // Without a dictionary "vlotte" reads first as the adjective "vlot"; the dictionary
    // knows it as a past, so the infinitive comes first once it is loaded.
    WordForms without = Make("nl");
    EXPECT_EQ(without.Candidates("vlotte").front(), "vlot");
    WordForms with = Make("nl", {DutchDictionary()});
    EXPECT_EQ(with.Candidates("vlotte", Use::Miss, Wait::No).front(), "vlot");
    EXPECT_FALSE(with.HunspellReady());
    EXPECT_EQ(with.Candidates("vlotte").front(), "vlotten");
    EXPECT_TRUE(with.HunspellReady());
    EXPECT_EQ(with.Candidates("vlotte", Use::SeeAlso), Words{"vlotten"});
}

TEST_F(WordFormsTest, EnglishPossessivesAndTables) {
    WordForms forms = Make("en");
    const Words found = forms.Candidates("chaldren's");
    EXPECT_LT(Rank(found, "chaldren"), found.size());
    EXPECT_LT(Rank(found, "chald"), found.size());
    // "dogs'" and "dogs" are one search key: the owner's plural is the word itself.
    EXPECT_EQ(forms.Candidates("dogs'").front(), "dog");
}

TEST_F(WordFormsTest, OtherLanguagesGetTheDictionaryAlone) {
    WordForms none = Make("xx");
    EXPECT_TRUE(none.Candidates("katten").empty());
    folder.Write("xxdict/xx.aff", "SET UTF-8\nSFX S Y 1\nSFX S 0 en .\n");
    folder.Write("xxdict/xx.dic", "1\nkat/S\n");
    WordForms with = Make("xx", {folder.Path() + "/xxdict"});
    EXPECT_EQ(with.Candidates("katen"), Words{"kat"});
}

TEST_F(WordFormsTest, RefusesWhatIsNoWord) {
    WordForms forms = Make("nl");
    for (const std::string &bad : {std::string(), std::string("   "), std::string("1234"),
                                   std::string("kat\xFFten"), std::string(300, 'a')})
        EXPECT_TRUE(forms.Candidates(bad).empty());
}

TEST_F(WordFormsTest, SurvivesAnyTypedText) {
    std::mt19937 random(11);
    static constexpr const char *kPieces[] = {
        "a", "e",        "ij",       "n",    "t",  "d",  "s",  "ge",  "'", "-",
        " ", "\xC3\xAB", "\xC3\xA9", "\xC3", "en", "je", "ed", "ies", "Z"};
    for (const char *language : {"nl", "en"}) {
        WordForms forms = Make(language);
        for (int round = 0; round < 2000; ++round) {
            std::string typed;
            for (unsigned k = random() % 10; k > 0; --k)
                typed += kPieces[random() % std::size(kPieces)];
            EXPECT_LE(forms.Candidates(typed).size(), WordForms::kMaxCandidates);
        }
    }
}

TEST_F(WordFormsTest, WorksWithABrokenOrMissingTable) {
    folder.Write("broken/nl.tsv", std::string("\xFF\xFE\tzwom\n\n\x01\x02\x03", 12));
    WordForms broken("nl", folder.Path() + "/broken", {});
    EXPECT_EQ(broken.Table().FormCount(), 0u);
    EXPECT_EQ(broken.Table().SkippedLines(), 2u);
    EXPECT_LT(Rank(broken.Candidates("katten"), "kat"), broken.Candidates("katten").size());
    WordForms missing("nl", folder.Path() + "/nothing", {});
    EXPECT_LT(Rank(missing.Candidates("katten"), "kat"), missing.Candidates("katten").size());
}

TEST_F(WordFormsTest, FirstBaseFormAsksTheBookInOrderAndStops) {
    WordForms forms = Make("nl");
    const Words all = forms.Candidates("zwommen");
    ASSERT_GE(all.size(), 2u);
    Words asked;
    const std::string found = forms.FirstBaseForm("zwommen", [&](const std::string &c) {
        asked.push_back(c);
        return c == all[1];
    });
    EXPECT_EQ(found, all[1]);
    EXPECT_EQ(asked, Words(all.begin(), all.begin() + 2));
    EXPECT_EQ(forms.FirstBaseForm("zwommen", [](const std::string &) { return false; }), "");
}

TEST_F(WordFormsTest, AnswersTheSameFromManyThreadsWhileLoading) {
    WordForms forms = Make("nl", {DutchDictionary()});
    const Words expected = Make("nl", {DutchDictionary()}).Candidates("zwommen");
    std::vector<Words> answers(6);
    std::vector<std::thread> threads;
    threads.emplace_back([&] { forms.Load(); });
    for (std::size_t i = 0; i < answers.size(); ++i)
        threads.emplace_back([&, i] { answers[i] = forms.Candidates("zwommen"); });
    for (std::thread &t : threads)
        t.join();
    for (const Words &answer : answers)
        EXPECT_EQ(answer, expected);
}

}  // namespace
