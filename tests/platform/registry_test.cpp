#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/lasterror.h"
#include "temp_folder.h"

using namespace platform;

namespace {

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class RegistryTest : public ::testing::Test {
  protected:
    tktest::TempFolder temp_;
};

TEST_F(RegistryTest, StringsAndDwordsSurviveAReopen) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Taalkist\\Viewer", key), kRegOk);
    const std::string odd = "C:\\Program \"Files\"\\caf\xE9 \x80 \x81\x8D\x8F\x90\x9D end";
    ASSERT_EQ(RegSetString(key, "Path", odd), kRegOk);
    ASSERT_EQ(RegSetString(key, "Lines", "one\r\ntwo\n\ttab"), kRegOk);
    ASSERT_EQ(RegSetDword(key, "Count", 42), kRegOk);
    ASSERT_EQ(RegSetString(key, "", "default"), kRegOk);

    RegKey again;
    ASSERT_EQ(
        RegOpenKey(RegRoot::CurrentUser, "software\\TAALKIST\\viewer", RegAccess::Read, again),
        kRegOk);
    EXPECT_EQ(again.Path(), "Software\\Taalkist\\Viewer");
    std::string value;
    EXPECT_EQ(RegGetString(again, "PATH", value), kRegOk);
    EXPECT_EQ(value, odd);
    EXPECT_EQ(RegGetString(again, "Lines", value), kRegOk);
    EXPECT_EQ(value, "one\r\ntwo\n\ttab");
    EXPECT_EQ(RegGetString(again, "", value), kRegOk);
    EXPECT_EQ(value, "default");

    // A value of another type is told apart from a string.
    EXPECT_EQ(RegGetString(again, "Count", value), kRegUnsupportedType);
    EXPECT_EQ(value, "");
    RegType type = RegType::None;
    std::uint32_t count = 0;
    std::size_t size = sizeof count;
    EXPECT_EQ(RegQueryValue(again, "count", &type, &count, size), kRegOk);
    EXPECT_EQ(type, RegType::Dword);
    EXPECT_EQ(count, 42u);
    EXPECT_EQ(size, 4u);

    // The file is a readable .reg text in UTF-8.
    const std::string text = ReadFile(RegistryHiveFile(RegRoot::CurrentUser));
    EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n"));
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Taalkist\\Viewer]\n"), std::string::npos);
    EXPECT_NE(text.find("\"Path\"=\"C:\\\\Program \\\"Files\\\"\\\\caf\xC3\xA9 \xE2\x82\xAC"),
              std::string::npos);
    EXPECT_NE(text.find("\"Count\"=dword:0000002a\n"), std::string::npos);

    // A key deeper or with a longer name than keys go is refused, and nothing is written.
    std::string deep = "Software";
    for (int level = 0; level < 600; ++level)
        deep += "\\d";
    RegKey refused;
    EXPECT_EQ(RegCreateKey(RegRoot::CurrentUser, deep, refused), kRegInvalidParameter);
    EXPECT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\" + std::string(300, 'n'), refused),
              kRegInvalidParameter);
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_EQ(ReadFile(RegistryHiveFile(RegRoot::CurrentUser)), text);
}

TEST_F(RegistryTest, QueryWithSmallBufferReportsMoreData) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "Software\\P", key), kRegOk);
    const std::string long259(259, 'x');
    const std::string long260(260, 'y');
    ASSERT_EQ(RegSetString(key, "Fits", long259), kRegOk);
    ASSERT_EQ(RegSetString(key, "TooLong", long260), kRegOk);

    char buffer[260];
    std::memset(buffer, '#', sizeof buffer);
    std::size_t size = sizeof buffer;
    EXPECT_EQ(RegQueryValue(key, "TooLong", nullptr, buffer, size), kRegMoreData);
    EXPECT_EQ(size, 261u);
    EXPECT_EQ(buffer[0], '#');  // nothing written

    size = sizeof buffer;
    EXPECT_EQ(RegQueryValue(key, "Fits", nullptr, buffer, size), kRegOk);
    EXPECT_EQ(size, 260u);
    EXPECT_EQ(buffer[259], '\0');
    EXPECT_EQ(std::string(buffer), long259);

    size = sizeof buffer;
    EXPECT_EQ(RegQueryValue(key, "Missing", nullptr, buffer, size), kRegNotFound);
    EXPECT_EQ(SystemErrorText(kRegNotFound), "The system cannot find the file specified.");
    EXPECT_EQ(SystemErrorText(kRegMoreData), "More data is available.");
}

TEST_F(RegistryTest, EnumerationAndDeletion) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Product\\A\\Deep", key), kRegOk);
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Product\\B", key), kRegOk);
    ASSERT_EQ(RegSetString(key, "X", "1"), kRegOk);
    ASSERT_EQ(RegSetString(key, "Y", "2"), kRegOk);

    RegKey product;
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, "\\Software\\Product\\", RegAccess::All, product),
              kRegOk);
    std::string name;
    EXPECT_EQ(RegEnumSubKey(product, 0, name), kRegOk);
    EXPECT_EQ(name, "A");
    EXPECT_EQ(RegEnumSubKey(product, 1, name), kRegOk);
    EXPECT_EQ(name, "B");
    EXPECT_EQ(RegEnumSubKey(product, 2, name), kRegNoMoreItems);

    // A key with subkeys stays, as on Windows.
    EXPECT_EQ(RegDeleteSubKey(product, "A"), kRegAccessDenied);
    EXPECT_EQ(RegDeleteKey(RegRoot::CurrentUser, "Software\\Product\\A\\deep"), kRegOk);
    EXPECT_EQ(RegDeleteSubKey(product, "a"), kRegOk);
    EXPECT_EQ(RegDeleteSubKey(product, "a"), kRegNotFound);

    EXPECT_EQ(RegDeleteValue(key, "x"), kRegOk);
    EXPECT_EQ(RegDeleteValue(key, "x"), kRegNotFound);
    RegType type;
    EXPECT_EQ(RegEnumValue(key, 0, name, type), kRegOk);
    EXPECT_EQ(name, "Y");
    EXPECT_EQ(RegEnumValue(key, 1, name, type), kRegNoMoreItems);

    // Values go with their key; a handle on a deleted key says so.
    EXPECT_EQ(RegDeleteKey(RegRoot::CurrentUser, "Software\\Product\\B"), kRegOk);
    std::string value;
    EXPECT_EQ(RegGetString(key, "Y", value), kRegKeyDeleted);
    EXPECT_EQ(RegSetString(key, "Y", "3"), kRegKeyDeleted);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Product\\B", RegAccess::Read, key),
              kRegNotFound);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(RegistryTest, HivesAreSeparate) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "Software\\Shared", key), kRegOk);
    ASSERT_EQ(RegSetString(key, "Where", "machine"), kRegOk);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Shared", RegAccess::Read, key),
              kRegNotFound);
    EXPECT_NE(RegistryHiveFile(RegRoot::CurrentUser), RegistryHiveFile(RegRoot::LocalMachine));
}

TEST_F(RegistryTest, ReadOnlyHiveRefusesFullAccessButReads) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "Software\\Locked", key), kRegOk);
    ASSERT_EQ(RegSetString(key, "V", "kept"), kRegOk);
    const std::string file = RegistryHiveFile(RegRoot::LocalMachine);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const std::string before = ReadFile(file);

    EXPECT_EQ(RegOpenKey(RegRoot::LocalMachine, "Software\\Locked", RegAccess::All, key),
              kRegAccessDenied);
    EXPECT_EQ(RegCreateKey(RegRoot::LocalMachine, "Software\\Other", key), kRegAccessDenied);
    EXPECT_EQ(RegDeleteKey(RegRoot::LocalMachine, "Software\\Locked"), kRegAccessDenied);
    ASSERT_EQ(RegOpenKey(RegRoot::LocalMachine, "Software\\Locked", RegAccess::Read, key), kRegOk);
    std::string value;
    EXPECT_EQ(RegGetString(key, "V", value), kRegOk);
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(RegSetString(key, "V", "changed"), kRegAccessDenied);  // read-only handle
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(SystemErrorText(kRegAccessDenied), "Access is denied.");
}

TEST_F(RegistryTest, HandEditedFileIsReadLeniently) {
    ::mkdir((temp_ / "registry").c_str(), 0700);
    std::ofstream(RegistryHiveFile(RegRoot::CurrentUser), std::ios::binary)
        << "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
           "; a comment\r\n"
           "[HKEY_CURRENT_USER\\Software\\Hand]\r\n"
           "\"Plain\"=\"C:\\Windows\"\r\n"  // an unescaped backslash stands for itself
           "\"Latin\"=\"caf\xE9\"\r\n"      // a Windows-1252 byte, not UTF-8
           "\"Broken\"=dword:xyz\r\n"
           "garbage line\r\n"
           "[unterminated\r\n"
           "\"Orphan\"=\"lost\"\r\n";
    RegKey key;
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Hand", RegAccess::All, key), kRegOk);
    std::string value;
    EXPECT_EQ(RegGetString(key, "Plain", value), kRegOk);
    EXPECT_EQ(value, "C:\\Windows");
    EXPECT_EQ(RegGetString(key, "Latin", value), kRegOk);
    EXPECT_EQ(value, "caf\xE9");
    EXPECT_EQ(RegGetString(key, "Broken", value), kRegNotFound);
    EXPECT_EQ(RegGetString(key, "Orphan", value), kRegNotFound);
    // Writing keeps what was understood.
    ASSERT_EQ(RegSetString(key, "New", "n"), kRegOk);
    EXPECT_EQ(RegGetString(key, "Latin", value), kRegOk);
    EXPECT_EQ(value, "caf\xE9");
}

// What other programs and people put into the settings file stays as they wrote it.
TEST_F(RegistryTest, WritingKeepsEveryOtherLineOfTheFile) {
    ::mkdir((temp_ / "registry").c_str(), 0700);
    const std::string before =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        ";; kept by hand\n"
        "[HKEY_CURRENT_USER\\Software\\Taalkist\\Taalkist]\n"
        "\"MRU\"=\"en-nl\"\n"
        "\"TextEditor\"=mousepad   \n"
        "  ; indented remark\n"
        "\"Odd\"=hex(0):\n"
        "[HKEY_CURRENT_USER\\Software\\Someone]\n"
        "\"Bytes\"=hex:00,ff\n";
    const std::string file = RegistryHiveFile(RegRoot::CurrentUser);
    std::ofstream(file, std::ios::binary) << before;

    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Taalkist\\Taalkist", key), kRegOk);
    ASSERT_EQ(RegSetString(key, "MRU", "nl-en"), kRegOk);
    ASSERT_EQ(RegSetString(key, "HelpdeskMode", "0"), kRegOk);
    const std::string after = ReadFile(file);
    // Every line but the rewritten one is there, in its order, byte for byte.
    std::size_t at = 0;
    for (std::size_t begin = 0; begin < before.size();) {
        const std::size_t end = before.find('\n', begin) + 1;
        const std::string line = before.substr(begin, end - begin);
        begin = end;
        if (line.starts_with("\"MRU\""))
            continue;
        const std::size_t found = after.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found + line.size();
    }
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'),
              std::count(before.begin(), before.end(), '\n') + 1);
    std::string value;
    EXPECT_EQ(RegGetString(key, "MRU", value), kRegOk);
    EXPECT_EQ(value, "nl-en");
}

// Keys and values in any script round-trip; a Windows-1252 handle refuses what its code
// page cannot hold instead of garbling it, and both handles see the same store.
TEST_F(RegistryTest, UnicodeTextRoundTripsAndTheCodePageEdgeRefusesWhatItCannotHold) {
    const std::string other =
        "Software\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0"
        "\xD0\xBC\xD0\xB0 \xE4\xB8\xAD";  // "Программа 中"
    const std::string text = "\xE2\x84\x96 \xCE\xB1\xCE\xB2 \xF0\x9F\x93\x96";  // "№ αβ 📖"
    RegKey wide;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, other, wide, RegText::Utf8), kRegOk);
    ASSERT_EQ(RegSetString(wide, text, text), kRegOk);
    // The viewer writes through its Windows-1252 handle afterwards.
    RegKey narrow;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Caf\xE9", narrow), kRegOk);
    ASSERT_EQ(RegSetString(narrow,
                           "Stra\xDF"
                           "e",
                           "\x80 5"),
              kRegOk);

    RegKey again;
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser,
                         "SOFTWARE\\\xD0\xBF\xD0\xA0\xD0\x9E\xD0\x93\xD0\xA0"
                         "\xD0\x90\xD0\x9C\xD0\x90 \xE4\xB8\xAD",
                         RegAccess::Read, again, RegText::Utf8),
              kRegOk);
    EXPECT_EQ(again.Path(), other);
    std::string value;
    EXPECT_EQ(RegGetString(again, text, value), kRegOk);
    EXPECT_EQ(value, text);
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, "software\\caf\xC3\x89", RegAccess::Read, again,
                         RegText::Utf8),
              kRegOk);
    EXPECT_EQ(RegGetString(again, "STRASSE", value), kRegNotFound);
    EXPECT_EQ(RegGetString(again,
                           "stra\xC3\x9F"
                           "e",
                           value),
              kRegOk);
    EXPECT_EQ(value, "\xE2\x82\xAC 5");

    // Through Windows-1252 the other program's key and text cannot be named: refused.
    RegKey software;
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software", RegAccess::Read, software), kRegOk);
    std::string name = "unchanged";
    EXPECT_EQ(RegEnumSubKey(software, 0, name), kRegNoUnicodeTranslation);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(RegEnumSubKey(software, 1, name), kRegOk);
    EXPECT_EQ(name, "Caf\xE9");
    ASSERT_EQ(RegSetString(narrow, "Plain", "x"), kRegOk);
    RegKey mixed;
    ASSERT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Caf\xC3\xA9", RegAccess::All, mixed,
                         RegText::Utf8),
              kRegOk);
    ASSERT_EQ(RegSetString(mixed, "Plain", text), kRegOk);
    EXPECT_EQ(RegGetString(narrow, "Plain", value), kRegNoUnicodeTranslation);
    EXPECT_EQ(SystemErrorText(kRegNoUnicodeTranslation),
              "No mapping for the Unicode character exists in the target multi-byte code page.");
    // A UTF-8 handle refuses bytes that are not UTF-8.
    EXPECT_EQ(RegSetString(mixed, "Bad", "caf\xE9"), kRegNoUnicodeTranslation);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Caf\xE9", RegAccess::Read, again,
                         RegText::Utf8),
              kRegNoUnicodeTranslation);

    // The file holds UTF-8, and the other program's lines are as it wrote them.
    const std::string file = ReadFile(RegistryHiveFile(RegRoot::CurrentUser));
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\" + other + "]\n\"" + text + "\"=\"" + text + "\"\n"),
              std::string::npos);
    EXPECT_EQ(file.find('?'), std::string::npos);
}

// A settings file kept elsewhere and linked into place stays linked: the change goes to
// the file the link leads to.
TEST_F(RegistryTest, ALinkedSettingsFileIsWrittenWhereItLeads) {
    namespace fs = std::filesystem;
    fs::create_directories(temp_.Path() / "registry");
    fs::create_directories(temp_.Path() / "dotfiles");
    const std::string link = RegistryHiveFile(RegRoot::CurrentUser);
    const fs::path target = temp_.Path() / "dotfiles" / "taalkist.reg";
    std::ofstream(target, std::ios::binary) << "; mine\n";
    fs::create_symlink("../dotfiles/taalkist.reg", link);
    // A dangling link names the file to create.
    const std::string machineLink = RegistryHiveFile(RegRoot::LocalMachine);
    const fs::path machineTarget = temp_.Path() / "dotfiles" / "machine.reg";
    fs::create_symlink(machineTarget, machineLink);

    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Linked", key), kRegOk);
    ASSERT_EQ(RegSetString(key, "MRU", "nl-en"), kRegOk);
    ASSERT_EQ(RegCreateKey(RegRoot::LocalMachine, "Software\\Linked", key), kRegOk);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(machineLink));
    EXPECT_TRUE(ReadFile(target.string()).starts_with("; mine\n"));
    EXPECT_NE(ReadFile(target.string()).find("\"MRU\"=\"nl-en\""), std::string::npos);
    EXPECT_NE(ReadFile(machineTarget.string()).find("[HKEY_LOCAL_MACHINE\\Software\\Linked]"),
              std::string::npos);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Linked", RegAccess::Read, key), kRegOk);
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelowAKey) {
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\P\\A\\Deep", key), kRegOk);
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\P\\B", key), kRegOk);
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Q", key), kRegOk);
    RegKey product;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\P", product), kRegOk);
    ASSERT_EQ(RegSetString(product, "Path", "/x"), kRegOk);

    EXPECT_EQ(RegDeleteTree(product, "a"), kRegOk);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\P\\A", RegAccess::Read, key),
              kRegNotFound);
    EXPECT_EQ(RegDeleteTree(product, "A"), kRegNotFound);
    EXPECT_EQ(RegDeleteTree(product, ""), kRegOk);
    std::string name;
    RegType type;
    EXPECT_EQ(RegEnumSubKey(product, 0, name), kRegNoMoreItems);
    EXPECT_EQ(RegEnumValue(product, 0, name, type), kRegNoMoreItems);
    EXPECT_EQ(RegDeleteKey(RegRoot::CurrentUser, "Software\\P"), kRegOk);
    EXPECT_EQ(RegOpenKey(RegRoot::CurrentUser, "Software\\Q", RegAccess::Read, key), kRegOk);
}

// Two processes write thousands of values each at the same time; none is lost. Each
// writer cycles over its own names and checks after every write that its previous
// write is still there, so a lost update anywhere in the run is seen, not just at the end.
TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kWrites = 1000;
    constexpr int kNames = 50;
    // Memory-backed when possible: each write is synced, which is slow on a busy disk.
    std::string shm = "/dev/shm/tk-registry-XXXXXX";
    const bool inMemory = ::mkdtemp(shm.data()) != nullptr;
    if (inMemory)
        ::setenv("TAALKIST_REGISTRY_DIR", shm.c_str(), 1);
    struct Cleanup {
        bool active;
        std::string folder;
        ~Cleanup() {
            if (active)
                std::filesystem::remove_all(folder);
        }
    } cleanup{inMemory, shm};
    const auto name = [](int c, int i) {
        return "p" + std::to_string(c) + "_" + std::to_string(i % kNames);
    };
    RegKey key;
    ASSERT_EQ(RegCreateKey(RegRoot::CurrentUser, "Software\\Race", key), kRegOk);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            RegKey mine;
            int failures = RegOpenKey(RegRoot::CurrentUser, "Software\\Race", RegAccess::All, mine);
            for (int i = 0; i < kWrites; ++i) {
                failures += RegSetDword(mine, name(c, i), static_cast<std::uint32_t>(i)) != kRegOk;
                if (i == 0)
                    continue;
                std::uint32_t previous = 0;
                std::size_t size = sizeof previous;
                failures +=
                    RegQueryValue(mine, name(c, i - 1), nullptr, &previous, size) != kRegOk ||
                    previous != static_cast<std::uint32_t>(i - 1);
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string valueName;
    RegType type;
    EXPECT_EQ(RegEnumValue(key, 2 * kNames - 1, valueName, type), kRegOk);
    EXPECT_EQ(RegEnumValue(key, 2 * kNames, valueName, type), kRegNoMoreItems);
    for (int c = 0; c < 2; ++c) {
        for (int i = kWrites - kNames; i < kWrites; ++i) {
            std::uint32_t value = 0;
            std::size_t size = sizeof value;
            ASSERT_EQ(RegQueryValue(key, name(c, i), nullptr, &value, size), kRegOk);
            EXPECT_EQ(value, static_cast<std::uint32_t>(i)) << name(c, i);
        }
    }
}

}  // namespace
