// The registry layer on Windows, against the system's real registry.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "platform/win32.h"

namespace {

using namespace platform;

constexpr char kTestKey[] = "Software\\Taalkist Tests\\Registry";

class RealRegistry : public ::testing::Test {
  protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Taalkist Tests"); }

    // A value as the system itself stores it.
    static std::wstring SystemString(const wchar_t *key, const wchar_t *name) {
        wchar_t buffer[256] = {};
        DWORD size = sizeof buffer;
        if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
            ERROR_SUCCESS)
            return L"<none>";
        return buffer;
    }
};

TEST_F(RealRegistry, TextsAreStoredAsUnicodeAndReadInEachHandlesEncoding) {
    RegKey utf8;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, kTestKey, utf8, RegText::Utf8), kRegOk);
    ASSERT_EQ(RegSetString(utf8, "Caf\xC3\xA9", "\xE2\x82\xAC \xE4\xB8\xAD"), kRegOk);
    EXPECT_EQ(SystemString(L"Software\\Taalkist Tests\\Registry", L"Caf\u00E9"), L"\u20AC \u4E2D");

    RegKey cp1252;
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, kTestKey, RegAccess::All, cp1252), kRegOk);
    std::string text;
    // The CJK character has no place in the code page: refused, not turned into '?'.
    EXPECT_EQ(RegGetString(cp1252, "Caf\xE9", text), kRegNoUnicodeTranslation);
    ASSERT_EQ(RegSetString(cp1252, "Euro", "\x80 \xE9"), kRegOk);
    EXPECT_EQ(SystemString(L"Software\\Taalkist Tests\\Registry", L"Euro"), L"\u20AC \u00E9");
    EXPECT_EQ(RegGetString(utf8, "euro", text), kRegOk);
    EXPECT_EQ(text, "\xE2\x82\xAC \xC3\xA9");

    // A buffer one byte short of the text and its terminator is told so, and left alone.
    char buffer[6] = "xxxxx";
    std::size_t size = 3;
    RegType type = RegType::None;
    EXPECT_EQ(RegQueryValue(cp1252, "Euro", &type, buffer, size), kRegMoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(buffer, "xxxxx");
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValue(cp1252, "Euro", &type, buffer, size), kRegOk);
    EXPECT_EQ(type, RegType::String);
    EXPECT_EQ(std::string(buffer, size), std::string("\x80 \xE9\0", 4));
}

TEST_F(RealRegistry, SubkeysValuesAndDeletion) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, std::string(kTestKey) + "\\A\\B", key), kRegOk);
    ASSERT_EQ(RegSetDword(key, "Count", 0x01020304), kRegOk);
    RegType type = RegType::None;
    std::string data;
    ASSERT_EQ(RegGetValue(key, "Count", type, data), kRegOk);
    EXPECT_EQ(type, RegType::Dword);
    EXPECT_EQ(data, std::string("\x04\x03\x02\x01", 4));

    RegKey top;
    ASSERT_EQ(
        RegOpenKey(RegRoot::CurrentUser, "\\" + std::string(kTestKey) + "\\", RegAccess::All, top),
        kRegOk);
    ASSERT_EQ(RegSetString(top, "Path", "C:\\x"), kRegOk);
    std::string name;
    EXPECT_EQ(RegEnumSubKey(top, 0, name), kRegOk);
    EXPECT_EQ(name, "A");
    EXPECT_EQ(RegEnumSubKey(top, 1, name), kRegNoMoreItems);
    EXPECT_EQ(RegEnumValue(top, 0, name, type), kRegOk);
    EXPECT_EQ(name, "Path");

    // A key with subkeys stays; the whole tree below goes in one call, the key stays.
    EXPECT_EQ(RegDeleteKey(RegRoot::CurrentUser, std::string(kTestKey) + "\\A"), kRegAccessDenied);
    EXPECT_EQ(RegDeleteTree(top, ""), kRegOk);
    EXPECT_EQ(RegEnumSubKey(top, 0, name), kRegNoMoreItems);
    EXPECT_EQ(RegEnumValue(top, 0, name, type), kRegNoMoreItems);
    // A handle whose key has gone says so.
    EXPECT_EQ(RegGetValue(key, "Count", type, data), kRegKeyDeleted);
    EXPECT_EQ(RegDeleteKey(RegRoot::CurrentUser, kTestKey), kRegOk);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, kTestKey, RegAccess::Read, top), kRegNotFound);

    RegKey readOnly;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, kTestKey, key), kRegOk);
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, kTestKey, RegAccess::Read, readOnly), kRegOk);
    EXPECT_EQ(RegSetString(readOnly, "x", "y"), kRegAccessDenied);
}

}  // namespace
