// UTF-8 decoding and the Windows-1252 conversions of stored text.
#include "books/encoding.h"

#include <gtest/gtest.h>

namespace books {
namespace {

TEST(LexqcEncoding, RejectsMalformedUtf8) {
    for (const std::string bad : {"\x80", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "a\xE2\x82"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(bad);
    }
    EXPECT_TRUE(IsValidUtf8("straße \xE2\x82\xAC \xF0\x9F\x98\x80"));
}

TEST(LexqcEncoding, MapsTheCodePageBothWays) {
    // The printable range of 0x80-0x9F is where Windows-1252 differs from Latin-1.
    EXPECT_EQ(ToCp1252(0x20AC), 0x80);  // €
    EXPECT_EQ(ToCp1252(0x0152), 0x8C);  // Œ
    EXPECT_EQ(ToCp1252(0x0153), 0x9C);  // œ
    EXPECT_EQ(ToCp1252(0x2122), 0x99);  // ™
    EXPECT_EQ(ToCp1252(0x0178), 0x9F);  // Ÿ
    EXPECT_EQ(ToCp1252(0x00E9), 0xE9);  // é
    // C1 controls and characters beyond the code page have no byte.
    EXPECT_FALSE(ToCp1252(0x0081));
    EXPECT_FALSE(ToCp1252(0x0133));  // ĳ
    for (int b = 1; b < 256; ++b) {
        const char32_t cp = FromCp1252(static_cast<std::uint8_t>(b));
        if (cp == 0xFFFD)
            continue;  // the five unassigned bytes
        EXPECT_EQ(ToCp1252(cp), b) << b;
    }
}

TEST(LexqcEncoding, BodiesKeepEveryCharacter) {
    EXPECT_EQ(Utf8ToCp1252WithReferences("café ĳs € 😀"), "caf\xE9 &#307;s \x80 &#128512;");
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "café €");
}

TEST(LexqcEncoding, StrictConversionNamesTheFirstMissingCharacter) {
    char32_t bad = 0;
    EXPECT_EQ(Utf8ToCp1252Strict("naïef", &bad), std::string("na\xEF"
                                                             "ef"));
    EXPECT_FALSE(Utf8ToCp1252Strict("huiselĳk", &bad));
    EXPECT_EQ(bad, 0x0133u);
    EXPECT_EQ(CodePointName(bad), "U+0133");
}

// ASCII is taken eight bytes at a time: a character at any place of a longer text, and a
// bad byte there, are found all the same.
TEST(LexqcEncoding, LongTextsConvertAtEveryPlace) {
    const std::string plain(21, 'a');
    for (std::size_t at = 0; at <= plain.size(); ++at) {
        const std::string before = plain.substr(0, at), after = plain.substr(at);
        SCOPED_TRACE(at);
        EXPECT_EQ(Utf8ToCp1252WithReferences(before + "\xC4\xB3\xC3\xA9" + after),
                  before + "&#307;\xE9" + after);
        EXPECT_EQ(Utf8ToCp1252Strict(before + "\xE2\x82\xAC" + after), before + "\x80" + after);
        EXPECT_FALSE(IsValidUtf8(before + "\xC3" + after + "x"));
        EXPECT_TRUE(IsValidUtf8(before + "\xC3\xA9" + after));
        EXPECT_EQ(AsciiEnd(before + "\xC3" + after, 0), at);
    }
}

}  // namespace
}  // namespace books
