// The full-text query reader: what it refuses and why, and the index expression it makes,
// in which nothing the user typed is taken as the index's own syntax.
#include "viewer/finder/FullTextQuery.h"

#include <gtest/gtest.h>

namespace {

using fulltext::TQuery;

TEST(FullTextQuery, RefusesMalformedQueriesNamingWhatIsWrong) {
    const struct {
        const char *text, *error;
    } cases[] = {
        {"\"open", "een aanhalingsteken (\") wordt niet gesloten."},
        {"fiets \"de", "een aanhalingsteken (\") wordt niet gesloten."},
        {"\"\" fiets", "tussen de aanhalingstekens staat geen woord."},
        {"\" - \"", "tussen de aanhalingstekens staat geen woord."},
        {"", "er staat geen woord in om naar te zoeken."},
        {"  - & * ", "er staat geen woord in om naar te zoeken."},
        {"-fiets -auto",
         "er staan alleen woorden met een '-' in; geef ook een woord dat erin moet staan."},
    };
    for (const auto &c : cases) {
        std::string error;
        EXPECT_FALSE(TQuery::Read(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    std::string error;
    EXPECT_FALSE(TQuery::Read(std::string(fulltext::kMostBytes + 1, 'a'), error));
    std::string many;
    for (std::size_t i = 0; i <= fulltext::kMostTerms; ++i)
        many += "w ";
    EXPECT_FALSE(TQuery::Read(many, error));
    EXPECT_EQ(error, "de zoekvraag heeft meer dan 32 woorden.");
}

TEST(FullTextQuery, QuotesEveryWordOfTheExpression) {
    const struct {
        const char *text, *expression;
    } cases[] = {
        {"bicycle", "\"bicycle\""},
        {"Fiets  bel", "\"Fiets\" AND \"bel\""},
        {"\"in the\" water", "\"in\" + \"the\" AND \"water\""},
        {"fiets* -bel", "(\"fiets\" *) NOT (\"bel\")"},
        {"-\"a b\" c -d", "(\"c\") NOT (\"a\" + \"b\" OR \"d\")"},
        {"e-mail", "\"e\" + \"mail\""},                                      // one word to the user
        {"NOT OR AND NEAR", "\"NOT\" AND \"OR\" AND \"AND\" AND \"NEAR\""},  // words, not syntax
        {"a\"b\"", "\"a\" AND \"b\""},
        {"caf\xC3\xA9 \"x y\"*", "\"caf\xC3\xA9\" AND \"x\" + \"y\" *"},
        {"col:umn ^start", "\"col\" + \"umn\" AND \"start\""},
    };
    for (const auto &c : cases) {
        std::string error;
        const auto read = TQuery::Read(c.text, error);
        ASSERT_TRUE(read) << c.text << ": " << error;
        EXPECT_EQ(read->Expression(), c.expression) << c.text;
    }
}

}  // namespace
