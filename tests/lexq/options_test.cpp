// The command line of lexq.
#include <gtest/gtest.h>

#include "options.h"

namespace {

using Args = std::vector<std::string>;

TEST(Options, ReadsBookFlagsAndWordsInAnyOrder) {
    lexq::TOptions options;
    std::string error;
    ASSERT_TRUE(lexq::ParseOptions({"huis", "-d", "nl-en", "--html", "fiets"}, options, error));
    EXPECT_EQ(options.Book, "nl-en");
    EXPECT_TRUE(options.Html);
    EXPECT_FALSE(options.List);
    EXPECT_EQ(options.Words, (Args{"huis", "fiets"}));

    ASSERT_TRUE(lexq::ParseOptions({"-den-nl", "--list"}, options, error));
    EXPECT_EQ(options.Book, "en-nl");
    EXPECT_TRUE(options.List);
    EXPECT_TRUE(options.Words.empty());
}

TEST(Options, TakesEverythingAfterDoubleDashAndALoneDashAsWords) {
    lexq::TOptions options;
    std::string error;
    ASSERT_TRUE(lexq::ParseOptions({"--", "-d", "--html", "-"}, options, error));
    EXPECT_EQ(options.Words, (Args{"-d", "--html", "-"}));
    EXPECT_TRUE(options.Book.empty());
    EXPECT_FALSE(options.Html);
}

TEST(Options, PrefixTakesItsTextAndExactItsWords) {
    lexq::TOptions options;
    std::string error;
    ASSERT_TRUE(lexq::ParseOptions({"--prefix", "-d", "-dnl-en"}, options, error));
    EXPECT_TRUE(options.HasPrefix);
    EXPECT_EQ(options.Prefix, "-d") << "the text after --prefix is its text, whatever it is";
    EXPECT_EQ(options.Book, "nl-en");
    EXPECT_TRUE(options.Words.empty());
    ASSERT_TRUE(lexq::ParseOptions({"--prefix="}, options, error));
    EXPECT_TRUE(options.HasPrefix);
    EXPECT_EQ(options.Prefix, "");
    ASSERT_TRUE(lexq::ParseOptions({"--exact", "huis"}, options, error));
    EXPECT_TRUE(options.Exact);
    EXPECT_FALSE(options.HasPrefix);
}

TEST(Options, RefusesMistakesWithAMessage) {
    for (const Args &arguments :
         {Args{"-x", "huis"}, Args{"huis", "-d"}, Args{}, Args{"--html"}, Args{"-d", "nl-en"},
          Args{"-d", "", "huis"}, Args{"--prefix"}, Args{"--prefix", "a", "b"},
          Args{"--list", "--prefix", "a"}, Args{"--exact"}}) {
        lexq::TOptions options;
        std::string error;
        EXPECT_FALSE(lexq::ParseOptions(arguments, options, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace

TEST(Options, WordListCommandsTakeTheirListAndFile) {
    lexq::TOptions options;
    std::string error;
    ASSERT_TRUE(lexq::ParseOptions({"--star", "huis", "--to", "Les 3", "fiets"}, options, error));
    EXPECT_TRUE(options.Star);
    EXPECT_EQ(options.ToList, "Les 3");
    EXPECT_EQ(options.Words, (Args{"huis", "fiets"}));
    ASSERT_TRUE(lexq::ParseOptions({"--list-words"}, options, error)) << error;
    EXPECT_TRUE(options.ListWords);
    EXPECT_TRUE(options.Words.empty());
    ASSERT_TRUE(lexq::ParseOptions({"--export-anki", "Les 3", "les3.txt"}, options, error));
    EXPECT_TRUE(options.ExportAnki);
    EXPECT_EQ(options.Words, (Args{"Les 3", "les3.txt"}));
    EXPECT_FALSE(lexq::ParseOptions({"--to=", "--star", "huis"}, options, error));
    EXPECT_FALSE(lexq::ParseOptions({"--list-words", "--prefix", "a"}, options, error));
}

namespace {

TEST(Options, TimeoutTakesWholeSecondsWithinTheSettingsBounds) {
    lexq::TOptions options;
    std::string error;
    ASSERT_TRUE(lexq::ParseOptions({"huis"}, options, error));
    EXPECT_EQ(options.TimeoutSeconds, 0);  // the user's setting
    ASSERT_TRUE(lexq::ParseOptions({"--timeout", "7", "huis"}, options, error)) << error;
    EXPECT_EQ(options.TimeoutSeconds, 7);
    EXPECT_EQ(options.Words, (Args{"huis"}));
    ASSERT_TRUE(lexq::ParseOptions({"--timeout=60", "-d", "nl-en", "huis"}, options, error));
    EXPECT_EQ(options.TimeoutSeconds, 60);
    ASSERT_TRUE(lexq::ParseOptions({"--timeout", "1", "huis"}, options, error));
    EXPECT_EQ(options.TimeoutSeconds, 1);
    for (const Args &arguments : {Args{"--timeout", "0", "huis"}, Args{"--timeout", "61", "huis"},
                                  Args{"--timeout", "-3", "huis"}, Args{"--timeout", "5s", "huis"},
                                  Args{"--timeout=", "huis"}, Args{"huis", "--timeout"},
                                  Args{"--timeout", "99999999999", "huis"}}) {
        EXPECT_FALSE(lexq::ParseOptions(arguments, options, error)) << arguments[1];
        EXPECT_NE(error.find("--timeout"), std::string::npos);
    }
}

}  // namespace
