#include "platform/hive.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/cp1252.h"

using namespace platform;

namespace {

constexpr char kUser[] = "HKEY_CURRENT_USER";

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

// The lines a change took out and put in: the two texts' longest common sequence of
// lines is what stayed.
struct LineDiff {
    std::vector<std::string> removed, added;
};

LineDiff Diff(const std::string &before, const std::string &after) {
    const std::vector<std::string> a = Lines(before), b = Lines(after);
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    LineDiff diff;
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i, ++j;
        } else if (j < b.size() && (i == a.size() || common[i][j + 1] >= common[i + 1][j])) {
            diff.added.push_back(b[j++]);
        } else {
            diff.removed.push_back(a[i++]);
        }
    }
    return diff;
}

std::string Value(const Hive &hive, const std::string &path, const std::string &name) {
    const HiveKey *key = hive.Find(kUser, path);
    const HiveValue *value = key == nullptr ? nullptr : Hive::FindValue(*key, name);
    return value == nullptr ? "<none>" : value->data;
}

// A file as people and other programs leave it: comments, a header line of their own,
// lines nothing can parse, Windows line ends, keys of other programs.
const std::string kHandMade =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; settings of several programs\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
    "\"Keep\"=\"as it is\"  \r\n"
    "\"Editor\"=gedit\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Taalkist\\Taalkist]\r\n"
    "; the last book used\r\n"
    "\"MRU\"=\"nl-en\"\r\n"
    "\"Wide\"=hex:01,02,\\\r\n"
    "  03\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Taalkist\\Taalkist\\Books\\en-nl]\r\n"
    "\"Seen\"=dword:00000001\r\n"
    "; end\r\n";

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

TEST(Hive, EveryKindOfValueSurvivesWritingAndReading) {
    Hive hive;
    const std::string path = "Software\\T\xC3\xA9st";
    const std::vector<HiveValue> values = {
        {"", RegType::String, "default"},
        {"quote\"back\\slash", RegType::String, "a\"b\\c"},
        {"nul", RegType::String, std::string("x\0y\n", 4)},
        {"expand", RegType::ExpandString, "%HOME%\\\xE2\x82\xAC"},
        {"bin", RegType::Binary, std::string(100, '\xAB')},
        {"multi", RegType::MultiString, std::string("a\0\xF0\x9F\x98\x80\0\0", 8)},
        {"dw", RegType::Dword, std::string("\x01\x02\x03\x04", 4)},
        {"qw", RegType::Qword, std::string("12345678", 8)},
        {"\xD0\xB8\xD0\xBC\xD1\x8F", RegType::String, "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
    };
    for (const HiveValue &value : values)
        ASSERT_TRUE(hive.SetValue(kUser, path, value.name, value.type, value.data));
    hive.Create(kUser, "Software\\Empty");

    const std::string text = hive.Bytes();
    EXPECT_NE(text.find("\"dw\"=dword:04030201\n"), std::string::npos);
    EXPECT_NE(text.find("\"quote\\\"back\\\\slash\"=\"a\\\"b\\\\c\"\n"), std::string::npos);
    EXPECT_NE(text.find("\\\n  ab,"), std::string::npos);  // long lists wrap

    const Hive back = Hive::Parse(text);
    const HiveKey *key = back.Find(kUser, "software\\T\xC3\x89ST");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->path, path);
    ASSERT_EQ(key->values.size(), values.size());
    for (std::size_t v = 0; v < values.size(); ++v) {
        EXPECT_EQ(key->values[v].name, values[v].name);
        EXPECT_EQ(key->values[v].type, values[v].type) << values[v].name;
        EXPECT_EQ(key->values[v].data, values[v].data) << values[v].name;
    }
    EXPECT_NE(back.Find(kUser, "Software\\Empty"), nullptr);
    EXPECT_EQ(back.Children(kUser, "Software"), (std::vector<std::string>{"T\xC3\xA9st", "Empty"}));
}

TEST(Hive, NamesInAnyScriptCompareIgnoringCase) {
    Hive hive;
    // "Другой 日本", "Ελληνικά"
    hive.Create(kUser,
                "Software\\\xD0\x94\xD1\x80\xD1\x83\xD0\xB3\xD0\xBE\xD0\xB9 "
                "\xE6\x97\xA5\xE6\x9C\xAC");
    hive.Create(kUser,
                "Software\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC");
    // "ДРУГОЙ 日本", "ΕΛΛΗΝΙΚΆ"
    EXPECT_NE(hive.Find(kUser,
                        "SOFTWARE\\\xD0\x94\xD0\xA0\xD0\xA3\xD0\x93\xD0\x9E\xD0\x99 "
                        "\xE6\x97\xA5\xE6\x9C\xAC"),
              nullptr);
    EXPECT_NE(hive.Find(kUser,
                        "software\\\xCE\x95\xCE\x9B\xCE\x9B\xCE\x97\xCE\x9D\xCE\x99\xCE\x9A"
                        "\xCE\x86"),
              nullptr);
    EXPECT_EQ(hive.Find(kUser, "Software\\\xD0\x94\xD1\x80\xD1\x83\xD0\xB3\xD0\xBE\xD0\xB9"),
              nullptr);
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
    const auto widen = [](std::string_view ascii) {
        std::string wide;
        for (char c : ascii) {
            wide += c;
            wide += '\0';
        }
        return wide;
    };
    const std::string utf16 = "\xFF\xFE" + widen(utf8);
    Hive hive = Hive::Parse(utf16);
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

    // A change keeps the file UTF-16 with its line ends.
    ASSERT_TRUE(hive.SetValue("HKEY_LOCAL_MACHINE", "A\\B\\C", "New", RegType::String, "n"));
    const std::string changed = hive.Bytes();
    EXPECT_TRUE(changed.starts_with(utf16.substr(0, utf16.find('S'))));
    EXPECT_NE(changed.find(widen("\"New\"=\"n\"\r\n")), std::string::npos);
    const Hive reread = Hive::Parse(changed);
    const HiveKey *again = reread.Find("HKEY_LOCAL_MACHINE", "A\\B\\C");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->values.size(), 3u);
}

// A file's first line says how its hex(2) and like values hold text, for the whole file:
// Windows-1252 after "REGEDIT4", else UTF-16LE. The same words further down mean nothing, or
// a value written above them would read back as other text; nor do they come to mean
// anything when a change takes out the lines above them.
TEST(Hive, TheHeaderAloneSaysHowTextIsStored) {
    const std::string zhe = "\xD0\x96";  // no Windows-1252 character
    {
        Hive old = Hive::Parse("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"e\"=hex(2):e9,80,00\n");
        EXPECT_EQ(Value(old, "K", "e"), "\xC3\xA9\xE2\x82\xAC");
        EXPECT_FALSE(old.SetValue(kUser, "K", "z", RegType::ExpandString, zhe));
        ASSERT_TRUE(old.SetValue(kUser, "K", "x", RegType::ExpandString, "\xC3\xBF"));
        EXPECT_NE(old.Bytes().find("\"x\"=hex(2):ff,00\n"), std::string::npos);
        EXPECT_EQ(Value(Hive::Parse(old.Bytes()), "K", "x"), "\xC3\xBF");
    }
    for (const std::string header : {"Windows Registry Editor Version 5.00\n", ""}) {
        SCOPED_TRACE(header);
        Hive hive = Hive::Parse(header + "[HKEY_CURRENT_USER\\K]\nREGEDIT4\n" +
                                "[HKEY_CURRENT_USER\\L]\n\"e\"=hex(2):41,00,16,04,00,00\n");
        EXPECT_EQ(Value(hive, "L", "e"), "A" + zhe);
        ASSERT_TRUE(hive.SetValue(kUser, "K", "x", RegType::ExpandString, zhe + "\xC3\xBF"));
        const Hive back = Hive::Parse(hive.Bytes());
        EXPECT_EQ(Value(back, "K", "x"), zhe + "\xC3\xBF");
        EXPECT_EQ(Value(back, "L", "e"), "A" + zhe);
        // Without a header, K's section was the first line; the stray words stay stray.
        hive.RemoveTree(kUser, "K");
        EXPECT_EQ(Value(Hive::Parse(hive.Bytes()), "L", "e"), "A" + zhe);
    }
}

// A hex list goes on only over lines of hex digits: a list left open on the file's last line
// (hand-edited, or cut short) takes neither the sections read after it nor those written
// after it.
TEST(Hive, AnOpenHexListTakesNoSectionOrValue) {
    for (const std::string last : {"\"w\"=hex:01,\\", "\"w\"=hex:zz,\\"}) {
        SCOPED_TRACE(last);
        const std::string text = "[HKEY_CURRENT_USER\\K]\n" + last + "\n[HKEY_CURRENT_USER\\L]\n" +
                                 "\"v\"=\"1\"\n[HKEY_CURRENT_USER\\K]\n" + last;
        Hive hive = Hive::Parse(text);
        EXPECT_EQ(Value(hive, "L", "v"), "1");
        EXPECT_EQ(Value(hive, "K", "w"), last.find("01") != std::string::npos ? "\x01" : "<none>");
        ASSERT_TRUE(hive.SetValue(kUser, "K", "after", RegType::String, "a"));
        ASSERT_TRUE(hive.SetValue(kUser, "M", "new", RegType::String, "n"));
        const Hive back = Hive::Parse(hive.Bytes());
        EXPECT_EQ(Value(back, "K", "after"), "a");
        EXPECT_EQ(Value(back, "M", "new"), "n");
        EXPECT_EQ(Value(back, "L", "new"), "<none>");
        EXPECT_EQ(Value(back, "L", "v"), "1");
    }
    // A list over several lines, blank ones among them, still reads whole.
    const Hive wrapped = Hive::Parse("[HKEY_CURRENT_USER\\K]\n\"w\"=hex:01,\\\n\n  02,\\\n  03\n");
    EXPECT_EQ(Value(wrapped, "K", "w"), "\x01\x02\x03");
}

// A list left open is closed by the line after it; when a change takes that line out, the
// list keeps its bytes and takes in no stray line of digits that now follows.
TEST(Hive, AnOpenHexListStaysClosedWhenTheLineClosingItGoes) {
    const std::string list = "[HKEY_CURRENT_USER\\K]\r\n\"w\"=hex:01,\\\r\n 02,\\ \r\n\t\r\n";
    Hive byValue = Hive::Parse(list + "\"v\"=\"1\"\r\n\r\n  03\r\n");
    ASSERT_TRUE(byValue.RemoveValue(kUser, "K", "v"));
    Hive byKey = Hive::Parse(list + "[HKEY_CURRENT_USER\\K\\Sub]\r\n\"x\"=\"1\"\r\n  03\r\n");
    byKey.RemoveTree(kUser, "K\\Sub");
    for (const Hive *changed : {&byValue, &byKey}) {
        const Hive back = Hive::Parse(changed->Bytes());
        EXPECT_EQ(Value(back, "K", "w"), "\x01\x02");
        EXPECT_NE(changed->Bytes().find("\r\n  03\r\n"), std::string::npos);
    }
    // A section line that ends like an open list opens none: the key written in its place
    // keeps its name.
    Hive cleared =
        Hive::Parse("[HKEY_CURRENT_USER\\K\\A]x=hex:01,\\\n\n[HKEY_CURRENT_USER\\K\\B]\n\n");
    cleared.ClearTree(kUser, "K");
    const Hive back = Hive::Parse(cleared.Bytes());
    ASSERT_NE(back.Find(kUser, "K"), nullptr);
    EXPECT_TRUE(back.Children(kUser, "K").empty());
}

// A byte of a hex list has one or two digits; a longer run is no value, however long.
TEST(Hive, ALongRunOfHexDigitsIsNoValue) {
    const Hive hive = Hive::Parse("[HKEY_CURRENT_USER\\K]\n\"w\"=hex:" + std::string(40, '7') +
                                  "\n\"x\"=hex(2):" + std::string(3, 'f') + ",00\n\"y\"=hex:7f\n");
    EXPECT_EQ(Value(hive, "K", "w"), "<none>");
    EXPECT_EQ(Value(hive, "K", "x"), "<none>");
    EXPECT_EQ(Value(hive, "K", "y"), "\x7f");
}

// Keys nest at most kMaxKeyDepth levels deep and have names of at most kMaxKeyNameLength
// characters: a section beyond that means nothing (and costs nothing to read), and such a
// key cannot be made.
TEST(Hive, KeysBeyondTheLimitsAreNotRead) {
    const auto nested = [](std::size_t depth, const std::string &name) {
        std::string path;
        for (std::size_t i = 0; i < depth; ++i)
            path += (i == 0 ? "" : "\\") + name;
        return path;
    };
    const std::string longName(kMaxKeyNameLength, '\xE9');  // accented letters, 2 bytes each
    const std::string longUtf8 = Cp1252ToUtf8(longName);
    const std::vector<std::string> fits = {nested(kMaxKeyDepth, "a"), longUtf8};
    const std::vector<std::string> beyond = {nested(kMaxKeyDepth + 1, "a"), longUtf8 + "e",
                                             nested(100000, "a")};
    std::string text;
    for (const auto *paths : {&fits, &beyond})
        for (const std::string &path : *paths)
            text += "[HKEY_CURRENT_USER\\" + path + "]\n\"v\"=\"1\"\n";
    Hive hive = Hive::Parse(text);
    for (const std::string &path : fits)
        EXPECT_EQ(Value(hive, path, "v"), "1") << path.size();
    for (const std::string &path : beyond) {
        EXPECT_EQ(hive.Find(kUser, path), nullptr) << path.size();
        EXPECT_FALSE(hive.SetValue(kUser, path, "v", RegType::String, "2"));
        EXPECT_EQ(hive.Create(kUser, path), nullptr);
    }
    EXPECT_EQ(hive.Bytes(), text);
    EXPECT_NE(hive.Create(kUser, nested(kMaxKeyDepth - 1, "a") + "\\b"), nullptr);
    EXPECT_EQ(hive.Create(kUser, nested(kMaxKeyDepth, "a") + "\\b"), nullptr);
}

// Values and keys deleted by later lines go, and what stays keeps its order: values in the
// order first set since their last deletion, keys in the order first named.
TEST(Hive, DeletionsKeepTheOrderOfWhatStays) {
    Hive hive = Hive::Parse(
        "[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n\"b\"=\"2\"\n\"c\"=\"3\"\n\"A\"=-\n\"b\"=-\n"
        "\"d\"=\"4\"\n\"a\"=\"5\"\n"
        "[HKEY_CURRENT_USER\\K\\x]\n[HKEY_CURRENT_USER\\K\\y]\n[HKEY_CURRENT_USER\\K\\z]\n"
        "[-HKEY_CURRENT_USER\\K\\X]\n[-HKEY_CURRENT_USER\\K\\z]\n[HKEY_CURRENT_USER\\K\\x\\in]\n");
    const HiveKey *key = hive.Find(kUser, "K");
    ASSERT_NE(key, nullptr);
    std::vector<std::string> names;
    for (const HiveValue &value : key->values)
        names.push_back(value.name + "=" + value.data);
    EXPECT_EQ(names, (std::vector<std::string>{"c=3", "d=4", "a=5"}));
    EXPECT_EQ(hive.Children(kUser, "K"), (std::vector<std::string>{"y", "x"}));
    // A change finds the line that sets each value now.
    ASSERT_TRUE(hive.SetValue(kUser, "K", "D", RegType::String, "6"));
    ASSERT_TRUE(hive.RemoveValue(kUser, "K", "a"));
    const Hive back = Hive::Parse(hive.Bytes());
    EXPECT_EQ(Value(back, "K", "d"), "6");
    EXPECT_EQ(Value(back, "K", "a"), "<none>");
    EXPECT_EQ(Value(back, "K", "c"), "3");
}

// Each change touches the lines of what it changes and nothing else.
TEST(Hive, ChangesRewriteOnlyTheirOwnLines) {
    const std::string product = "Software\\Taalkist\\Taalkist";
    {
        Hive hive = Hive::Parse(kHandMade);
        ASSERT_TRUE(hive.SetValue(kUser, product, "mru", RegType::String, "en-nl"));
        const LineDiff diff = Diff(kHandMade, hive.Bytes());
        EXPECT_EQ(diff.removed, std::vector<std::string>{"\"MRU\"=\"nl-en\"\r\n"});
        EXPECT_EQ(diff.added, std::vector<std::string>{"\"MRU\"=\"en-nl\"\r\n"});
    }
    {
        Hive hive = Hive::Parse(kHandMade);
        ASSERT_TRUE(hive.SetValue(kUser, product, "HelpdeskMode", RegType::String, "1"));
        const LineDiff diff = Diff(kHandMade, hive.Bytes());
        EXPECT_TRUE(diff.removed.empty());
        ASSERT_EQ(diff.added.size(), 1u);
        // It joins its key's section.
        const Hive back = Hive::Parse(hive.Bytes());
        EXPECT_EQ(Value(back, product, "HelpdeskMode"), "1");
        EXPECT_EQ(Value(back, product + "\\Books\\en-nl", "HelpdeskMode"), "<none>");
    }
    {
        Hive hive = Hive::Parse(kHandMade);
        ASSERT_TRUE(hive.RemoveValue(kUser, product, "Wide"));
        const LineDiff diff = Diff(kHandMade, hive.Bytes());
        EXPECT_EQ(diff.removed,
                  (std::vector<std::string>{"\"Wide\"=hex:01,02,\\\r\n", "  03\r\n"}));
        EXPECT_TRUE(diff.added.empty());
        EXPECT_FALSE(hive.RemoveValue(kUser, product, "Wide"));
    }
    {
        Hive hive = Hive::Parse(kHandMade);
        hive.RemoveTree(kUser, "Software\\Taalkist");
        const LineDiff diff = Diff(kHandMade, hive.Bytes());
        EXPECT_EQ(diff.removed.size(), 6u);  // two headers and the four lines of their values
        EXPECT_TRUE(diff.added.empty());
        for (const std::string &line : diff.removed)
            EXPECT_EQ(line.find(';'), std::string::npos) << line;
        const Hive back = Hive::Parse(hive.Bytes());
        EXPECT_EQ(back.Find(kUser, product), nullptr);
        EXPECT_EQ(Value(back, "Software\\Other", "Keep"), "as it is");
    }
    {
        Hive hive = Hive::Parse(kHandMade);
        hive.Create(kUser, "Software\\New");
        const LineDiff diff = Diff(kHandMade, hive.Bytes());
        EXPECT_TRUE(diff.removed.empty());
        EXPECT_EQ(diff.added.back(), "[HKEY_CURRENT_USER\\Software\\New]\r\n");
    }
}

// Files made of random pieces (sections, deletion markers, values, lines it cannot read):
// each change does what it says to the meaning of the file and to nothing else, and a
// file read and written unchanged keeps every byte.
TEST(Hive, RandomFilesKeepTheirMeaningThroughEachChange) {
    const std::vector<std::string> keys = {"A", "a\\B", "A\\b\\C", "D", "D\\E", "\xD0\x96"};
    const std::vector<std::string> pieces = {
        "[HKEY_CURRENT_USER\\A]\n",
        "[HKEY_CURRENT_USER\\A\\B]\n",
        "[-HKEY_CURRENT_USER\\A]\n",
        "[-HKEY_CURRENT_USER\\A\\B]\n",
        "[HKEY_CURRENT_USER\\A\\B\\C]\n",
        "[HKEY_CURRENT_USER\\D\\E]\n",
        "[-HKEY_CURRENT_USER\\D]\n",
        "\"v\"=\"1\"\n",
        "\"v\"=-\n",
        "\"w\"=hex:01,\\\n  02\n",
        "; c\n",
        "\"x\"=bad\n",
        "\r\n",
        "[HKEY_CURRENT_USER\\\xD0\xB6\\X]\n",
        "\"v\"=\"2\"",
        "[HKEY_LOCAL_MACHINE\\A]\n",
    };
    const auto under = [](const std::string &key, const std::string &top) {
        return FoldKeyName(key) == FoldKeyName(top) ||
               FoldKeyName(key).starts_with(FoldKeyName(top) + "\\");
    };
    std::mt19937 random(12);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 12); n > 0; --n)
            text += pieces[random() % pieces.size()];
        Hive hive = Hive::Parse(text);
        const std::string key = keys[random() % keys.size()];
        std::vector<std::string> before;
        for (const std::string &other : keys)
            if (hive.Find(kUser, other) != nullptr)
                before.push_back(other);
        const bool machine = hive.Find("HKEY_LOCAL_MACHINE", "A") != nullptr;
        const int change = static_cast<int>(random() % 4);
        SCOPED_TRACE("change " + std::to_string(change) + " of " + key + " in\n" + text);
        if (change == 0) {
            ASSERT_TRUE(hive.SetValue(kUser, key, "v", RegType::String, "new"));
        } else if (change == 1) {
            hive.RemoveValue(kUser, key, "V");
        } else if (change == 2) {
            hive.RemoveTree(kUser, key);
        } else if (hive.Find(kUser, key) != nullptr) {
            hive.ClearTree(kUser, key);
        }
        const Hive back = Hive::Parse(hive.Bytes());
        const HiveKey *changed = back.Find(kUser, key);
        if (change == 0) {
            ASSERT_EQ(Value(back, key, "V"), "new");
        } else if (change == 1) {
            ASSERT_EQ(Value(back, key, "v"), "<none>");
        } else if (change == 2) {
            ASSERT_EQ(changed, nullptr);
        } else if (changed != nullptr) {
            ASSERT_TRUE(changed->values.empty() && back.Children(kUser, key).empty());
        }
        for (const std::string &other : before) {
            if (change < 2 || !under(other, key) || (change == 3 && other == key)) {
                ASSERT_NE(back.Find(kUser, other), nullptr) << other;
            }
        }
        ASSERT_EQ(back.Find("HKEY_LOCAL_MACHINE", "A") != nullptr, machine);
        ASSERT_EQ(Hive::Parse(text).Bytes(), text);
    }
}

TEST(Hive, NormalizesKeyPaths) {
    EXPECT_EQ(NormalizeKeyPath("\\Software\\\\Vendor\\"), "Software\\Vendor");
    EXPECT_EQ(NormalizeKeyPath("\\"), "");
    EXPECT_EQ(NormalizeKeyPath(""), "");
    // Look-ups take paths as given.
    const Hive hive = Hive::Parse("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n");
    const HiveKey *key = hive.Find(kUser, "Software\\Vendor");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(hive.Find(kUser, "\\software\\\\VENDOR\\"), key);
    EXPECT_EQ(hive.Children(kUser, "\\Software\\"), std::vector<std::string>{"Vendor"});
    EXPECT_EQ(hive.Find(kUser, "Soft\\ware\\Vendor"), nullptr);
}

}  // namespace

// Names compare as their folded forms do, also where bytes are no UTF-8 or a character's
// folded form is longer than itself.
TEST(Hive, NamesCompareAsTheirFoldedForms) {
    const std::vector<std::string> pieces = {
        "a",        "A",        "z",    "\xC3\xA9", "\xC3\x89", "\xC3\xBF", "\xC5\xB8", "\xCF\x82",
        "\xCF\x83", "\xCE\xA3", "\xC3", "\x80",     "\xE2\x82", "\xFF",     "\\",       ""};
    std::mt19937 random(7);
    const auto name = [&] {
        std::string text;
        for (int n = static_cast<int>(random() % 5); n > 0; --n)
            text += pieces[random() % pieces.size()];
        return text;
    };
    int equal = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string a = name(), b = name();
        SCOPED_TRACE(a + " | " + b);
        ASSERT_EQ(SameFoldedName(a, b), FoldKeyName(a) == FoldKeyName(b));
        equal += SameFoldedName(a, b) ? 1 : 0;
    }
    EXPECT_GT(equal, 100);  // the pieces meet often enough to test the equal side too
}
