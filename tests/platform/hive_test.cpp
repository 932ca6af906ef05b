#include "platform/hive.h"

#include <gtest/gtest.h>

#include "platform/cp1252.h"

using namespace platform;

namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_NE(utf8, all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\x9C"), "\xE2\x82\xAC\xC5\x93");  // euro sign, oe
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");                 // no such character
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "\xC3");                      // cut-off sequence kept
    EXPECT_TRUE(
        EqualNoCase("\x8C"
                    "uvre caf\xC9",
                    "\x9C"
                    "UVRE CAF\xE9"));
    EXPECT_FALSE(EqualNoCase("a\xD7", "a\xF7"));  // multiplication and division signs
}

TEST(Hive, SerializeAndParseKeepEveryValue) {
    Hive hive;
    HiveKey &key = hive.Create("HKEY_CURRENT_USER", "Software\\T\xE9st");
    Hive::SetValue(key, "", RegType::String, "default");
    Hive::SetValue(key, "quote\"back\\slash", RegType::String, "a\"b\\c");
    Hive::SetValue(key, "nul", RegType::String, std::string("x\0y\n", 4));
    Hive::SetValue(key, "expand", RegType::ExpandString, "%HOME%\\\x80");
    Hive::SetValue(key, "bin", RegType::Binary, std::string(100, '\xAB'));
    Hive::SetValue(key, "multi", RegType::MultiString, std::string("a\0b\0\0", 5));
    Hive::SetValue(key, "dw", RegType::Dword, std::string("\x01\x02\x03\x04", 4));
    Hive::SetValue(key, "qw", RegType::Qword, std::string("12345678", 8));
    hive.Create("HKEY_CURRENT_USER", "Software\\Empty");

    const std::string text = hive.Serialize();
    EXPECT_NE(text.find("\"dw\"=dword:04030201\n"), std::string::npos);
    EXPECT_NE(text.find("\"quote\\\"back\\\\slash\"=\"a\\\"b\\\\c\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"bin\"=hex:ab,ab"), std::string::npos);
    EXPECT_NE(text.find("\\\n  ab,"), std::string::npos);  // long lists wrap
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Empty]\n"), std::string::npos);

    const Hive back = Hive::Parse(text);
    ASSERT_EQ(back.Keys().size(), hive.Keys().size());
    for (std::size_t k = 0; k < hive.Keys().size(); ++k) {
        const HiveKey &want = hive.Keys()[k];
        const HiveKey &got = back.Keys()[k];
        EXPECT_EQ(got.path, want.path);
        ASSERT_EQ(got.values.size(), want.values.size());
        for (std::size_t v = 0; v < want.values.size(); ++v) {
            EXPECT_EQ(got.values[v].name, want.values[v].name);
            EXPECT_EQ(got.values[v].type, want.values[v].type) << want.values[v].name;
            EXPECT_EQ(got.values[v].data, want.values[v].data) << want.values[v].name;
        }
    }
}

TEST(Hive, ImportsWindowsExportsAndDeletionMarkers) {
    // UTF-16LE with byte-order mark, as Windows writes an export.
    const std::string utf8 =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n"
        "\"S\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n"
        "\"Gone\"=\"x\"\r\n"
        "\"Gone\"=-\r\n"
        "\"Wrapped\"=hex:01,02,\\\r\n"
        "  03\r\n"
        "[HKEY_LOCAL_MACHINE\\A\\X]\r\n"
        "[-HKEY_LOCAL_MACHINE\\a\\x]\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : utf8) {
        utf16 += c;
        utf16 += '\0';
    }
    const Hive hive = Hive::Parse(utf16);
    // Parents are made for a key named alone.
    ASSERT_NE(hive.Find("HKEY_LOCAL_MACHINE", "a\\b"), nullptr);
    EXPECT_EQ(hive.Find("HKEY_LOCAL_MACHINE", "A\\X"), nullptr);
    EXPECT_EQ(hive.Children("HKEY_LOCAL_MACHINE", "A"), std::vector<std::string>{"B"});
    const HiveKey *c = hive.Find("hkey_local_machine", "A\\B\\C");
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->values.size(), 2u);
    EXPECT_EQ(c->values[0].type, RegType::ExpandString);
    EXPECT_EQ(c->values[0].data, "%PATH%");
    EXPECT_EQ(c->values[1].data, "\x01\x02\x03");
}

TEST(Hive, NormalizesKeyPaths) {
    EXPECT_EQ(NormalizeKeyPath("\\Software\\\\Vendor\\"), "Software\\Vendor");
    EXPECT_EQ(NormalizeKeyPath("\\"), "");
    EXPECT_EQ(NormalizeKeyPath(""), "");
}

}  // namespace
