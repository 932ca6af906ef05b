// The word finder's parts that the window's and lexq's tests do not reach: the book
// language that decides which base forms are tried, the lines it adds to a page, and a
// book whose key walk fails (over a compiled book and the real search library).
#include "viewer/finder/WordFinder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "CoreTestSupport.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/lexqapi.h"
#include "viewer/finder/FinderPage.h"

namespace {

using coretest::DialogRecorder;
using coretest::ProgramFolder;
using Words = std::vector<std::string>;

TEST(SourceLanguage, IsTheLanguageBeforeTheDashOfTheBooksName) {
    EXPECT_EQ(SourceLanguage("nl-en"), "nl");
    EXPECT_EQ(SourceLanguage("en"), "en");
    EXPECT_EQ(SourceLanguage("DE-nl"), "de");
    EXPECT_EQ(SourceLanguage("fry-nl"), "fry");
    // Names that name no language: the book gets suggestions but no base forms.
    for (const char *name : {"", "gcide", "x-nl", "n1-en", "mijn boek", "\xE9n-nl", "-nl"})
        EXPECT_EQ(SourceLanguage(name), "") << name;
}

#if defined(REAL_LEXQAPI_FILE) && defined(LEXQC_PROGRAM)

TEST(WordFinder, AFailingKeyWalkLeavesTheBookWithoutSuggestions) {
    ProgramFolder folder;
    DialogRecorder dialogs;
    TLXAData data;
    folder.Copy(REAL_LEXQAPI_FILE, "lexqapi.so");
    const std::string src = folder.Write("nl-en.src", "kw: tafel\nx\n\nkw: takel\nx\n");
    const std::string command = std::string(LEXQC_PROGRAM) + " build " + src + " " + folder.Data +
                                "/nl-en.idx > " + folder.Root + "/lexqc.out 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << coretest::ReadFile(folder.Root + "/lexqc.out");
    folder.Write("data/dict.cfg", "[dictionaries]\nnl-en=1;Boek\n");
    folder.AddBook("nl-en", "", false);
    data.Initialise();
    ASSERT_NE(data.CurrentBook, nullptr);
    auto finder = std::make_unique<TWordFinder>(data.Paths.DataDir);
    finder->SetBook("nl-en");
    const auto keys = lexqapi::lexq_keys;
    lexqapi::lexq_keys = nullptr;
    EXPECT_FALSE(finder->CanSuggest());
    EXPECT_FALSE(finder->IndexKeys(10));
    lexqapi::lexq_keys = keys;
    EXPECT_FALSE(finder->KeysRead());
    EXPECT_TRUE(finder->Suggestions("tafl").empty());
    // Another book starts afresh.
    finder->SetBook("nl-en");
    finder->IndexAllKeys();
    EXPECT_EQ(finder->Suggestions("tafl"), (Words{"tafel", "takel"}));
}

#endif

TEST(FinderPage, LinesGoFirstInTheBodyAndWordsBecomeSearchLinks) {
    const std::string page =
        "<html>\r\n  <head>\r\n  </head>\r\n  <body>\r\n<p>x</p>\r\n"
        "  </body>\r\n</html>";
    EXPECT_EQ(WithLineAbove(page, "<p>L</p>"),
              "<html>\r\n  <head>\r\n  </head>\r\n  <body>\r\n    <p>L</p>\r\n<p>x</p>\r\n"
              "  </body>\r\n</html>");
    EXPECT_EQ(SearchLink("caf\xE9 <&> x"), "zoek:caf%C3%A9%20%3C%26%3E%20x");
    const std::string see = SeeAlsoLine("a<b");
    EXPECT_NE(see.find("Zie ook:"), std::string::npos);
    EXPECT_NE(see.find("<a href=\"zoek:a%3Cb\">a&lt;b</a>"), std::string::npos);
    EXPECT_EQ(BaseFormSentence("x", "y"), "'x' is een vorm van 'y'.");
    const std::string lines = SuggestionLines({"een", "twee"});
    EXPECT_LT(lines.find("Bedoelde u:"), lines.find("zoek:een"));
    EXPECT_LT(lines.find("zoek:een"), lines.find("zoek:twee"));
}

}  // namespace
