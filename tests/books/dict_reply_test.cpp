// The DICT reply reader: the grammar of status lines and text bodies, and its bounds.
#include "books/dict_reply.h"

#include <gtest/gtest.h>

using namespace books::dict;

namespace {

// A DEFINE reply as dictd sends it, with a text line that starts with a dot.
const std::string kDefine =
    "150 1 definitions retrieved\r\n"
    "151 \"huis\" fd-nld-eng \"Dutch-English\"\r\n"
    "huis /h\xC9\x99\xCA\x8Fs/\r\n"
    "..net\r\n"
    "\r\n"
    ".\r\n"
    "250 ok [d/m/c = 1/0/14]\r\n";

ReplyStatus FeedAll(ReplyReader &reader, const std::string &bytes, std::size_t &used) {
    return reader.Feed(bytes, used);
}

TEST(DictReplyTest, DefineReplyGivesBlocksWithDotStuffingUndone) {
    ReplyReader reader;
    std::size_t used = 0;
    ASSERT_EQ(FeedAll(reader, kDefine, used), ReplyStatus::Done);
    EXPECT_EQ(used, kDefine.size());
    const Reply &reply = reader.Result();
    EXPECT_EQ(reply.code, 250);
    ASSERT_EQ(reply.preliminary.size(), 2u);
    EXPECT_EQ(reply.preliminary[0].code, 150);
    EXPECT_EQ(reply.preliminary[0].line, "1 definitions retrieved");
    ASSERT_EQ(reply.blocks.size(), 1u);
    EXPECT_EQ(reply.blocks[0].code, 151);
    EXPECT_EQ(reply.blocks[0].text, "huis /h\xC9\x99\xCA\x8Fs/\n.net\n\n");
}

TEST(DictReplyTest, ByteByByteGivesTheSameReplyAsAllAtOnce) {
    ReplyReader whole, pieces;
    std::size_t used = 0;
    ASSERT_EQ(whole.Feed(kDefine, used), ReplyStatus::Done);
    ReplyStatus status = ReplyStatus::More;
    for (std::size_t i = 0; i < kDefine.size(); ++i) {
        ASSERT_EQ(status, ReplyStatus::More) << "done early at byte " << i;
        status = pieces.Feed(std::string_view(kDefine).substr(i, 1), used);
        EXPECT_EQ(used, 1u);
    }
    ASSERT_EQ(status, ReplyStatus::Done);
    EXPECT_EQ(pieces.Result().blocks[0].text, whole.Result().blocks[0].text);
    EXPECT_EQ(pieces.Result().line, whole.Result().line);
}

TEST(DictReplyTest, ReplyEndsAtItsFinalLineAndLeavesTheNextOne) {
    const std::string two = "250 ok\r\n552 no match\r\n";
    ReplyReader reader;
    std::size_t used = 0;
    ASSERT_EQ(reader.Feed(two, used), ReplyStatus::Done);
    EXPECT_EQ(used, 8u);
    reader.Reset();
    ASSERT_EQ(reader.Feed(std::string_view(two).substr(used), used), ReplyStatus::Done);
    EXPECT_EQ(reader.Result().code, 552);
}

TEST(DictReplyTest, LinesOutsideTheGrammarAreRefused) {
    struct Row {
        std::string bytes;
        ReplyStatus status;
    };
    const std::vector<Row> rows = {
        {"250 ok\n", ReplyStatus::Done},  // a bare LF ends a line as well
        {"250\r\n", ReplyStatus::Done},
        {"ok 250\r\n", ReplyStatus::Malformed},
        {"25 ok\r\n", ReplyStatus::Malformed},
        {"2500 ok\r\n", ReplyStatus::Malformed},
        {"250ok\r\n", ReplyStatus::Malformed},
        {"650 what\r\n", ReplyStatus::Malformed},
        {"099 what\r\n", ReplyStatus::Malformed},
        {std::string("250 o\0k\r\n", 9), ReplyStatus::Malformed},
        {"250 o\rk\r\n", ReplyStatus::Malformed},
        {"\r\n", ReplyStatus::Malformed},
        // A text body whose end has not come is not a reply yet.
        {"152 1 matches\r\ndb \"a\"\r\n250 ok\r\n", ReplyStatus::More},
        // 150 announces; no text follows it.
        {"150 1 definitions\r\n250 ok\r\n", ReplyStatus::Done},
    };
    for (const Row &row : rows) {
        ReplyReader reader;
        std::size_t used = 0;
        EXPECT_EQ(reader.Feed(row.bytes, used), row.status) << row.bytes;
    }
}

TEST(DictReplyTest, LongLinesAndLongRepliesStopAtTheirBounds) {
    ReplyLimits limits;
    limits.maxLine = 100;
    limits.maxReply = 1000;
    std::size_t used = 0;
    {
        // A line without an end is refused as soon as it passes the bound.
        ReplyReader reader(limits);
        EXPECT_EQ(reader.Feed("151 \"a\" db\r\n", used), ReplyStatus::More);
        EXPECT_EQ(reader.Feed(std::string(60, 'x'), used), ReplyStatus::More);
        EXPECT_EQ(reader.Feed(std::string(60, 'x'), used), ReplyStatus::TooLong);
        EXPECT_EQ(reader.Feed("\r\n", used), ReplyStatus::TooLong);  // stays refused
    }
    {
        ReplyReader reader(limits);
        EXPECT_EQ(reader.Feed("250 " + std::string(96, 'x') + "\r\n", used), ReplyStatus::Done);
    }
    {
        ReplyReader reader(limits);
        std::string bytes = "110 many\r\n";
        for (int i = 0; i < 200; ++i)
            bytes += "db \"x\"\r\n";
        EXPECT_EQ(reader.Feed(bytes, used), ReplyStatus::TooLong);
    }
}

TEST(DictReplyTest, SplitWordsReadsQuotesAndEscapes) {
    std::vector<std::string> words;
    ASSERT_TRUE(SplitWords("\"a \\\"b\\\\\" db  \"two words\"", words));
    EXPECT_EQ(words, (std::vector<std::string>{"a \"b\\", "db", "two words"}));
    ASSERT_TRUE(SplitWords("", words));
    EXPECT_TRUE(words.empty());
    EXPECT_FALSE(SplitWords("\"open", words));
    EXPECT_FALSE(SplitWords("\"ends in \\", words));
    EXPECT_FALSE(
        SplitWords("a\x01"
                   "b",
                   words));
}

}  // namespace
