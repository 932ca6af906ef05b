// The pattern reader: what it refuses and why, how it folds, and whether a key matches,
// checked against a regular expression over every short key of a small alphabet.
#include "viewer/finder/Pattern.h"

#include <gtest/gtest.h>

#include <regex.h>

#include <regex>

namespace {

using pattern::TPattern;

TEST(PatternRead, RefusesMalformedPatternsNamingWhatIsWrong) {
    const struct {
        const char *text;
        const char *error;
    } cases[] = {
        {"[ab", "'[' wordt niet gesloten met ']'."},
        {"h[uo", "'[' wordt niet gesloten met ']'."},
        {"[a\\]", "'[' wordt niet gesloten met ']'."},
        {"fiets\\", "het eindigt op een '\\' zonder teken erna."},
        {"\\", "het eindigt op een '\\' zonder teken erna."},
        {"[]", "tussen '[' en ']' staat geen letter."},
        {"[1 2]x", "tussen '[' en ']' staat geen letter."},
        {"[e-a]", "een bereik tussen '[' en ']' loopt achteruit."},
        {"[a-]", "een bereik tussen '[' en ']' heeft geen eindletter."},
        {"[\xE6]", "tussen '[' en ']' staat '\xE6', dat voor meer dan een letter staat."},
        {"\\*", "er staat geen letter en geen '*', '?' of '[...]' in."},
        {"12-3", "er staat geen letter en geen '*', '?' of '[...]' in."},
    };
    for (const auto &c : cases) {
        std::string error;
        EXPECT_FALSE(TPattern::Read(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(PatternRead, FoldsAsTheSearchAndFindsTheFixedEnds) {
    const struct {
        const char *text;
        const char *start, *end;
        bool wildcard;
    } cases[] = {
        {"Fiets*", "FIETS", "", true},
        {"*heid", "", "HEID", true},
        {"*ie*", "", "", true},
        {"?uis", "", "UIS", true},
        {"caf\xE9-*", "CAFE", "", true},  // the hyphen folds to nothing
        {"stra\xDF"
         "e",
         "STRASSE", "", false},      // no wildcard: all of it is the start
        {"a\\*b", "AB", "", false},  // an escaped star is a star, folded away
        {"[bh]uis", "", "UIS", true},
        {"**x", "", "X", true},
    };
    for (const auto &c : cases) {
        std::string error;
        const auto read = TPattern::Read(c.text, error);
        ASSERT_TRUE(read) << c.text << ": " << error;
        EXPECT_EQ(read->FixedStart(), c.start) << c.text;
        EXPECT_EQ(read->FixedEnd(), c.end) << c.text;
        EXPECT_EQ(read->HasWildcard(), c.wildcard) << c.text;
    }
    EXPECT_TRUE(pattern::LooksLikePattern("a?"));
    EXPECT_TRUE(pattern::LooksLikePattern("a\\"));
    EXPECT_FALSE(pattern::LooksLikePattern("fiets (de)"));
    EXPECT_EQ(pattern::Escaped("a*b?[c]\\"), "a\\*b\\?\\[c]\\\\");
}

TEST(PatternRead, SetsTakeLettersRangesAndEscapesFoldedToOneLetter) {
    std::string error;
    const auto set = TPattern::Read("[a-cX\xC9\\]]", error);
    ASSERT_TRUE(set) << error;
    for (const char *key : {"A", "B", "C", "X", "E"})
        EXPECT_TRUE(set->Matches(key)) << key;
    for (const char *key : {"D", "Z", "", "AB"})
        EXPECT_FALSE(set->Matches(key)) << key;
}

// Every key of up to five letters over A, B and C.
std::vector<std::string> ShortKeys() {
    std::vector<std::string> keys{""};
    for (std::size_t i = 0; i < keys.size() && keys[i].size() < 5; ++i)
        for (const char c : {'A', 'B', 'C'})
            keys.push_back(keys[i] + c);
    return keys;
}

TEST(PatternMatch, AgreesWithARegularExpressionOnEveryShortKey) {
    const struct {
        const char *pattern, *regex;
    } cases[] = {
        {"*", ".*"},          {"a*", "A.*"},         {"*a", ".*A"},
        {"*ab*", ".*AB.*"},   {"?b?", ".B."},        {"a*b*a", "A.*B.*A"},
        {"*a?a*", ".*A.A.*"}, {"[ab]*c", "[AB].*C"}, {"*[a-b]?", ".*[AB]."},
        {"abc", "ABC"},       {"a**?*c", "A.*..*C"}, {"*c*c*c*", ".*C.*C.*C.*"},
    };
    const std::vector<std::string> keys = ShortKeys();
    for (const auto &c : cases) {
        std::string error;
        const auto read = TPattern::Read(c.pattern, error);
        ASSERT_TRUE(read) << c.pattern;
        const std::regex expected(c.regex);
        for (const std::string &key : keys)
            EXPECT_EQ(read->Matches(key), std::regex_match(key, expected))
                << c.pattern << " on " << key;
    }
}

// A UTF-8 book's keys: the pattern folds by that book's rule and "?" is one character.
TEST(PatternReadUtf8, FoldsByTheUtf8RuleAndMatchesCharacters) {
    std::string error;
    const auto lodz = TPattern::ReadUtf8(
        "\xC5\x81\xC3\xB3"
        "d?",
        error);  // "Łód?"
    ASSERT_TRUE(lodz) << error;
    EXPECT_TRUE(lodz->Utf8());
    EXPECT_EQ(lodz->FixedStart(), "lod");
    EXPECT_TRUE(lodz->Matches("lodz"));
    EXPECT_TRUE(lodz->Matches("lod\xCE\xB1"));  // one Greek letter of two bytes
    EXPECT_FALSE(lodz->Matches("lodzz"));
    const auto end = TPattern::ReadUtf8(
        "*\xC5\xBC"
        "a",
        error);  // "*ża"
    ASSERT_TRUE(end) << error;
    EXPECT_EQ(end->FixedEnd(), "za");
    EXPECT_TRUE(end->HasWildcard());
    EXPECT_TRUE(end->Matches("\xD0\xB6za"));
    // A set of characters and a range of them, folded first ("Ż" is "z").
    const auto set = TPattern::ReadUtf8("[\xC5\xBB\xCE\xB1-\xCE\xB3]ona", error);
    ASSERT_TRUE(set) << error;
    EXPECT_TRUE(set->Matches("zona"));
    EXPECT_TRUE(set->Matches("\xCE\xB2ona"));
    EXPECT_FALSE(set->Matches("\xCE\xB4ona"));
    EXPECT_FALSE(set->Matches("aona"));
    // Refusals name what is wrong, the character in UTF-8.
    EXPECT_FALSE(TPattern::ReadUtf8("[\xC3\x9F]", error));
    EXPECT_EQ(error, "tussen '[' en ']' staat '\xC3\x9F', dat voor meer dan een letter staat.");
    EXPECT_FALSE(TPattern::ReadUtf8("\xC5\xBC[ab", error));
    EXPECT_EQ(error, "'[' wordt niet gesloten met ']'.");
    EXPECT_FALSE(TPattern::ReadUtf8("[\xCE\xB3-\xCE\xB1]", error));
    EXPECT_EQ(error, "een bereik tussen '[' en ']' loopt achteruit.");
}

TEST(PatternMatchUtf8, AgreesWithTheWindows1252PatternOnLettersAToZ) {
    // Over keys of small letters the UTF-8 reading matches as the first kind does over
    // the same keys in capitals.
    const std::vector<std::string> keys = ShortKeys();
    for (const char *text : {"*", "a*", "*a", "*ab*", "?b?", "a*b*a", "[ab]*c", "*[a-b]?"}) {
        std::string error;
        const auto first = TPattern::Read(text, error);
        const auto utf8 = TPattern::ReadUtf8(text, error);
        ASSERT_TRUE(first && utf8) << text;
        for (const std::string &key : keys) {
            std::string small = key;
            for (char &c : small)
                c = static_cast<char>(c - 'A' + 'a');
            EXPECT_EQ(utf8->Matches(small), first->Matches(key)) << text << " on " << key;
        }
    }
}

// What a DICT server is sent: a POSIX regular expression that the server, comparing bytes
// as dictd does, matches on the headwords the pattern matches.
TEST(PatternPosixRegex, MatchesAsThePatternOnHeadwordsAsWritten) {
    const auto matches = [](const std::string &text, const std::string &headword) {
        regex_t regex;
        const std::string source = pattern::PosixRegex(text);
        EXPECT_EQ(::regcomp(&regex, source.c_str(), REG_EXTENDED | REG_NOSUB), 0) << source;
        const bool found = ::regexec(&regex, headword.c_str(), 0, nullptr, 0) == 0;
        ::regfree(&regex);
        return found;
    };
    std::vector<std::string> keys = ShortKeys();
    for (std::string &key : keys)
        for (char &c : key)
            c = static_cast<char>(c - 'A' + 'a');
    for (const char *text :
         {"*", "a*", "*a", "*ab*", "?b?", "a*b*a", "[ab]*c", "*[a-b]?", "abc", "a**?*c"}) {
        std::string error;
        const auto read = TPattern::ReadUtf8(text, error);
        ASSERT_TRUE(read) << text;
        for (const std::string &key : keys)
            EXPECT_EQ(matches(text, key), read->Matches(key)) << text << " on " << key;
    }
    // Letters beyond ASCII as typed, also in a set; signs and escapes for themselves.
    EXPECT_TRUE(matches("*ódź", "łódź"));
    EXPECT_FALSE(matches("*odz", "łódź"));
    EXPECT_TRUE(matches("[ółx]?dź", "łódź"));
    EXPECT_FALSE(matches("[óx]?dź", "łódź"));
    EXPECT_TRUE(matches("rock 'n' roll", "rock 'n' roll"));
    EXPECT_TRUE(matches("a\\*b.c", "a*b.c"));
    EXPECT_FALSE(matches("a\\*b.c", "axb.c"));
    EXPECT_FALSE(matches("a\\*b.c", "a*bxc"));
    EXPECT_TRUE(matches("[-^]x", "^x"));
}

TEST(PatternMatch, ManyStarsOnALongKeyStayFast) {
    std::string error;
    const auto read = TPattern::Read("*a*a*a*a*a*a*a*a*b", error);
    ASSERT_TRUE(read);
    // Backtracking over every star would take ages here; the walk is quadratic at worst.
    EXPECT_FALSE(read->Matches(std::string(5000, 'A')));
    EXPECT_TRUE(read->Matches(std::string(5000, 'A') + "B"));
}

}  // namespace
