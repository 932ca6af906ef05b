#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace {

using platform::UserTextToUtf8;
using platform::Utf8ToCp1252Exact;

TEST(Encoding, UserTextIsUtf8WhenItIsValidElseWindows1252) {
    EXPECT_EQ(UserTextToUtf8("\xEF\xBB\xBF"
                             "Frans \xC3\xB1"),
              "Frans \xC3\xB1");
    EXPECT_EQ(UserTextToUtf8("Frans \xF1"), "Frans \xC3\xB1");
    // One stray byte makes the whole text Windows-1252, also its valid-looking pairs.
    EXPECT_EQ(UserTextToUtf8("\xC3\xA9 \x80"), "\xC3\x83\xC2\xA9 \xE2\x82\xAC");
    EXPECT_EQ(UserTextToUtf8("\xEF\xBB\xBF"), "");
}

TEST(Encoding, ConversionToTheCodePageRefusesWhatItCannotHold) {
    EXPECT_EQ(Utf8ToCp1252Exact("caf\xC3\xA9 \xE2\x82\xAC \xC5\x93 ?"), "caf\xE9 \x80 \x9C ?");
    EXPECT_EQ(Utf8ToCp1252Exact(""), "");
    EXPECT_EQ(Utf8ToCp1252Exact("\xC2\x81"), "\x81");  // the code page's unassigned bytes
    EXPECT_FALSE(
        Utf8ToCp1252Exact("Stra\xC3\x9F"
                          "e \xE4\xB8\xAD"));         // a CJK character
    EXPECT_FALSE(Utf8ToCp1252Exact("\xC4\x9B"));      // e with caron
    EXPECT_FALSE(Utf8ToCp1252Exact("caf\xE9"));       // not UTF-8
    EXPECT_FALSE(Utf8ToCp1252Exact("\xED\xA0\x80"));  // a surrogate
}

}  // namespace
