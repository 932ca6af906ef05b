#include "viewer/finder/WordFormRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using wordrules::Voicing;

std::vector<std::string> Dutch(const std::string &word, bool guessStem = false) {
    std::vector<std::string> out;
    wordrules::DutchRuleCandidates(word, guessStem, out);
    return out;
}

std::vector<std::string> English(const std::string &word) {
    std::vector<std::string> out;
    wordrules::EnglishRuleCandidates(word, out);
    return out;
}

std::vector<std::string> Infinitives(const std::string &stem, Voicing voicing) {
    std::vector<std::string> out;
    wordrules::DutchInfinitives(stem, voicing, out);
    return out;
}

// Position of a candidate, or the list's size when it is missing.
std::size_t Rank(const std::vector<std::string> &list, const std::string &item) {
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}

struct Case {
    const char *form, *base;
};

TEST(NormaliseWord, LowersCaseTrimsAndSpellsLigaturesAndApostrophes) {
    EXPECT_EQ(wordrules::NormaliseWord("  Huis\t"), "huis");
    EXPECT_EQ(wordrules::NormaliseWord("\xC3\x89\xC3\x89N"), "\xC3\xA9\xC3\xA9n");  // ÉÉN
    EXPECT_EQ(wordrules::NormaliseWord("\xC4\xB2S"), "ijs");                        // ĲS
    EXPECT_EQ(wordrules::NormaliseWord("auto\xE2\x80\x99s"), "auto's");
    EXPECT_EQ(wordrules::NormaliseWord("\xC3\x97"), "\xC3\x97");  // × is no letter
}

TEST(NormaliseWord, RefusesMalformedUtf8) {
    for (const char *bad :
         {"caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x82", "\xF4\x90\x80\x80"})
        EXPECT_EQ(wordrules::NormaliseWord(bad), "") << bad;
}

TEST(LooksLikeWord, AcceptsLettersApostrophesAndHyphensOnly) {
    EXPECT_TRUE(wordrules::LooksLikeWord("auto's"));
    EXPECT_TRUE(
        wordrules::LooksLikeWord("na\xC3\xAF"
                                 "ef"));
    EXPECT_FALSE(wordrules::LooksLikeWord(""));
    EXPECT_FALSE(wordrules::LooksLikeWord("a1"));
    EXPECT_FALSE(wordrules::LooksLikeWord("--"));
    EXPECT_FALSE(wordrules::LooksLikeWord(std::string(65, 'a')));
}

TEST(DutchInfinitives, FollowTheSpellingOfTheStem) {
    // A long vowel before one consonant is written once before -en; f and s voice
    // after a voiced past, and stay after a voiceless one.
    EXPECT_EQ(Infinitives("hoop", Voicing::Unknown).front(), "hopen");
    EXPECT_EQ(Infinitives("beef", Voicing::Voiced), std::vector<std::string>{"beven"});
    EXPECT_EQ(Infinitives("raas", Voicing::Voiced), std::vector<std::string>{"razen"});
    EXPECT_EQ(Infinitives("kus", Voicing::Voiceless), std::vector<std::string>{"kussen"});
    EXPECT_EQ(Infinitives("stamp", Voicing::Voiceless), std::vector<std::string>{"stampen"});
    const auto either = Infinitives("kruis", Voicing::Unknown);
    EXPECT_LT(Rank(either, "kruizen"), either.size());
    EXPECT_LT(Rank(either, "kruisen"), either.size());
    // A stressed short vowel doubles; an unstressed one does not, and a prefix is no
    // syllable of the stem's own.
    EXPECT_EQ(Infinitives("pak", Voicing::Unknown), std::vector<std::string>{"pakken"});
    EXPECT_EQ(Infinitives("rammel", Voicing::Unknown).front(), "rammelen");
    EXPECT_EQ(Infinitives("verdedig", Voicing::Unknown).front(), "verdedigen");
    EXPECT_EQ(Infinitives("bestel", Voicing::Unknown).front(), "bestellen");
    // Stems ending in a vowel.
    EXPECT_EQ(Infinitives("sta", Voicing::Unknown), std::vector<std::string>{"staan"});
    EXPECT_EQ(Infinitives("zie", Voicing::Unknown), std::vector<std::string>{"zien"});
    EXPECT_EQ(Infinitives("draai", Voicing::Unknown), std::vector<std::string>{"draaien"});
    EXPECT_TRUE(Infinitives("ee", Voicing::Unknown).empty());
    EXPECT_TRUE(Infinitives("pst", Voicing::Unknown).empty());
    // A written stem never ends in one v or z: such a word is a slip, not a verb form.
    EXPECT_TRUE(Infinitives("huiz", Voicing::Unknown).empty());
    EXPECT_TRUE(Infinitives("leev", Voicing::Voiced).empty());
    EXPECT_EQ(Infinitives("jazz", Voicing::Unknown), std::vector<std::string>{"jazzen"});
    EXPECT_EQ(Rank(Dutch("huiz", true), "huizen"), Dutch("huiz", true).size());
}

TEST(DutchRules, UndoPluralsWithTheirSpellingChanges) {
    const Case cases[] = {
        {"vloten", "vloot"},     {"muren", "muur"},       {"bollen", "bol"},
        {"ruggen", "rug"},       {"duiven", "duif"},      {"golven", "golf"},
        {"lenzen", "lens"},      {"kazen", "kaas"},       {"neven", "neef"},
        {"tafels", "tafel"},     {"menu's", "menu"},      {"vrijheden", "vrijheid"},
        {"koloniën", "kolonie"}, {"zeeën", "zee"},        {"gedachten", "gedachte"},
        {"eieren", "ei"},        {"zeelieden", "zeeman"}, {"centra", "centrum"},
        {"musici", "musicus"},   {"engelen", "engel"}};
    for (const Case &c : cases)
        EXPECT_LT(Rank(Dutch(c.form), c.base), Dutch(c.form).size()) << c.form;
    // In an open syllable one vowel letter is a long vowel: the short reading never comes
    // first, and where the syllable is stressed it does not come at all.
    const auto long_ = Dutch("rozen");
    EXPECT_EQ(long_.front(), "roos");
    EXPECT_EQ(Rank(long_, "ros"), long_.size());
}

TEST(DutchRules, UndoDiminutives) {
    const Case cases[] = {{"ringetje", "ring"},     {"rolletje", "rol"}, {"raampje", "raam"},
                          {"kettinkje", "ketting"}, {"glaasje", "glas"}, {"vrouwtjes", "vrouw"},
                          {"boekje", "boek"},       {"kadootje", "kado"}};
    for (const Case &c : cases)
        EXPECT_LT(Rank(Dutch(c.form), c.base), Dutch(c.form).size()) << c.form;
    // -pje belongs to words in m only.
    EXPECT_EQ(Rank(Dutch("lapje"), "la"), Dutch("lapje").size());
}

TEST(DutchRules, UndoAdjectiveForms) {
    const Case cases[] = {{"zwaarder", "zwaar"}, {"dunner", "dun"},     {"bozer", "boos"},
                          {"dunste", "dun"},     {"zachtste", "zacht"}, {"blinde", "blind"},
                          {"trage", "traag"},    {"dove", "doof"},      {"natte", "nat"},
                          {"ruimere", "ruim"}};
    for (const Case &c : cases)
        EXPECT_LT(Rank(Dutch(c.form), c.base), Dutch(c.form).size()) << c.form;
}

TEST(DutchRules, UndoWeakVerbForms) {
    const Case cases[] = {
        {"beefde", "beven"},     {"blafte", "blaffen"},    {"raasden", "razen"},
        {"stampten", "stampen"}, {"landde", "landen"},     {"haatte", "haten"},
        {"gehaald", "halen"},    {"gepakt", "pakken"},     {"gekust", "kussen"},
        {"gebeefd", "beven"},    {"herhaald", "herhalen"}, {"ontdekt", "ontdekken"},
        {"geloofd", "geloven"},  {"gebeurd", "gebeuren"},  {"leeft", "leven"},
        {"zwemt", "zwemmen"},    {"rammelt", "rammelen"},  {"verwacht", "verwachten"},
        {"gehaalde", "halen"},   {"rijdend", "rijden"},    {"gevallen", "vallen"}};
    for (const Case &c : cases)
        EXPECT_LT(Rank(Dutch(c.form), c.base), Dutch(c.form).size()) << c.form;
    // A stressed short stem never gives a long-vowel infinitive: "gehard" is no form of
    // "haren" (that would be "gehaard").
    EXPECT_EQ(Rank(Dutch("gehard"), "haren"), Dutch("gehard").size());
    // The past comes before the present participle, the plural before the past.
    EXPECT_LT(Rank(Dutch("rekende"), "rekenen"), Rank(Dutch("rekende"), "reken"));
    EXPECT_LT(Rank(Dutch("hoofden"), "hoofd"), Rank(Dutch("hoofden"), "hoven"));
}

TEST(DutchRules, GuessTheWordAsAVerbStemOnlyWhenAsked) {
    EXPECT_EQ(Rank(Dutch("loop"), "lopen"), Dutch("loop").size());
    EXPECT_LT(Rank(Dutch("loop", true), "lopen"), Dutch("loop", true).size());
}

TEST(DutchRules, NeverProposeNoise) {
    for (const char *word : {"ab", "xyz", "eeeeen", "geen", "tten", "'s"}) {
        for (const std::string &c : Dutch(word, true)) {
            EXPECT_GE(c.size(), 2u) << word;
            EXPECT_NE(c.find_first_of("aeiouy"), std::string::npos) << word << " -> " << c;
        }
    }
}

TEST(EnglishRules, UndoRegularInflection) {
    const Case cases[] = {
        {"ladies", "lady"},  {"scarves", "scarf"},  {"lashes", "lash"},   {"foxes", "fox"},
        {"quizzes", "quiz"}, {"echoes", "echo"},    {"lakes", "lake"},    {"planned", "plan"},
        {"baked", "bake"},   {"jumped", "jump"},    {"hurried", "hurry"}, {"hopping", "hop"},
        {"hoping", "hope"},  {"tying", "tie"},      {"easier", "easy"},   {"widest", "wide"},
        {"thinner", "thin"}, {"cat's", "cat"},      {"boys'", "boy"},     {"firemen", "fireman"},
        {"larvae", "larva"}, {"minima", "minimum"}, {"theses", "thesis"}, {"frolicked", "frolic"},
        {"bathed", "bathe"}, {"called", "call"},    {"gently", "gentle"}};
    for (const Case &c : cases)
        EXPECT_LT(Rank(English(c.form), c.base), English(c.form).size()) << c.form;
}

TEST(EnglishRules, OrderTheReadingsBySpelling) {
    // A doubled consonant is the base's own only for l, s, f and z.
    EXPECT_EQ(English("grabbed").front(), "grab");
    EXPECT_EQ(English("spilled").front(), "spill");
    // One short syllable lost its e; longer words rarely did.
    EXPECT_LT(Rank(English("hoped"), "hope"), Rank(English("hoped"), "hop"));
    EXPECT_LT(Rank(English("limited"), "limit"), Rank(English("limited"), "limite"));
    // After ch, sh, s, x and z the plural is -es; otherwise the e is the word's.
    EXPECT_LT(Rank(English("benches"), "bench"), Rank(English("benches"), "benche"));
    EXPECT_LT(Rank(English("cases"), "case"), Rank(English("cases"), "cas"));
    EXPECT_LT(Rank(English("toes"), "toe"), Rank(English("toes"), "to"));
}

}  // namespace
