#include "viewer/core/LXA_Utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "CoreTestSupport.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Exceptions.h"

namespace {

using platform::RegRoot;

TEST(ExtractBetween, CutsAtTheFirstStartAndTheFirstEndMarker) {
    struct Case {
        const char *text, *before, *inner, *after;
    };
    for (const Case &c : {Case{"ab<x>cd</x>ef", "ab", "cd", "ef"}, Case{"<x></x>", "", "", ""},
                          Case{"a<x></x>b</x>", "a", "", "b</x>"},
                          // The end marker is looked for from the start of the text.
                          Case{"</x>a<x>b</x>", "", "", ""}, Case{"a</x>", "", "", ""},
                          Case{"<x>a", "", "", ""}, Case{"<x</x>", "", "", ""}}) {
        SCOPED_TRACE(c.text);
        const TExtracted parts = ExtractBetween(c.text, "<x>", "</x>");
        EXPECT_EQ(parts.Before, c.before);
        EXPECT_EQ(parts.Inner, c.inner);
        EXPECT_EQ(parts.After, c.after);
    }
}

TEST(FoldToLetterKey, KeepsOnlyTheFoldTablesLetters) {
    EXPECT_EQ(FoldToLetterKey("Caf\xE9-au-lait 2"), "CAFEAULAIT");
    EXPECT_EQ(FoldToLetterKey("\x8Cuvre"), "CEUVRE");
    EXPECT_EQ(FoldToLetterKey("\x9Cuvre"), "OEUVRE");
    EXPECT_EQ(FoldToLetterKey("12,-. 3!"), "");
}

class SettingsTest : public ::testing::Test {
  protected:
    coretest::ProgramFolder folder;
};

TEST_F(SettingsTest, ReadsTheUserFirstThenTheMachineThenTheDefault) {
    WriteSetting(RegRoot::LocalMachine, std::nullopt, "Software\\Tk", "Both", "machine");
    WriteSetting(RegRoot::CurrentUser, std::nullopt, "Software\\Tk", "Both", "user");
    WriteSetting(RegRoot::LocalMachine, std::nullopt, "Software\\Tk", "Machine", "m");
    EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, RegRoot::LocalMachine, "Software\\Tk", "Both", "d"),
              "user");
    EXPECT_EQ(
        ReadSetting(RegRoot::CurrentUser, RegRoot::LocalMachine, "Software\\Tk", "Machine", "d"),
        "m");
    EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, std::nullopt, "Software\\Tk", "Machine", "d"), "d");
    EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, RegRoot::LocalMachine, "Software\\None", "x", "d"),
              "d");
    // A value of another type reads as missing: settings are texts.
    platform::RegKey key;
    ASSERT_EQ(platform::RegCreateKey(RegRoot::CurrentUser, "Software\\Tk", key), platform::kRegOk);
    ASSERT_EQ(platform::RegSetDword(key, "Both", 7), platform::kRegOk);
    EXPECT_EQ(ReadSetting(RegRoot::CurrentUser, RegRoot::LocalMachine, "Software\\Tk", "Both", "d"),
              "machine");
}

class SaveArticleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TMPDIR", folder.Root.c_str(), 1);
        if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"))
            savedRuntime = runtime;
        ::unsetenv("XDG_RUNTIME_DIR");
        data.Paths.RegKey = "Software\\Tk";
    }
    void TearDown() override {
        ::unsetenv("TMPDIR");
        if (savedRuntime)
            ::setenv("XDG_RUNTIME_DIR", savedRuntime->c_str(), 1);
    }
    std::string Morvelt() const { return folder.Root + "/morvelt"; }
    // The file of the only article saved below the folder.
    static std::string SavedIn(const std::string &folder) {
        if (!std::filesystem::is_directory(folder) || std::filesystem::is_empty(folder))
            return {};
        return std::filesystem::directory_iterator(folder)->path().string();
    }

    std::optional<std::string> savedRuntime;

    coretest::ProgramFolder folder;
    coretest::DialogRecorder dialogs;
    TLXAData data;
    const std::time_t noon = [] {
        std::tm t{};
        t.tm_year = 2026 - 1900;
        t.tm_mon = 0;
        t.tm_mday = 2;
        t.tm_hour = 3;
        t.tm_min = 4;
        t.tm_sec = 5;
        t.tm_isdst = -1;
        return std::mktime(&t);
    }();
};

TEST_F(SaveArticleTest, WritesTheBytesToATimeStampedFileAndAsks) {
    SaveArticle("<html>\r\n\x80</html>", noon);
    const std::string file = Morvelt() + "/20260102030405.html";
    EXPECT_EQ(coretest::ReadFile(file), "<html>\r\n\x80</html>");
    struct stat info {};
    ASSERT_EQ(::stat(Morvelt().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Confirmation);
    EXPECT_EQ(dialogs.Shown[0].Text,
              "Het artikel is opgeslagen als '" + file + "', wilt u dit openen met Notepad?");

    // The same second again replaces the file.
    SaveArticle("tweede", noon);
    EXPECT_EQ(coretest::ReadFile(file), "tweede");
}

TEST_F(SaveArticleTest, OnYesOpensTheFileInTheConfiguredEditor) {
    const std::string marker = folder.Root + "/opened.txt";
    const std::string editor =
        folder.Write("editor.sh", "#!/bin/sh\ncat \"$1\" > \"" + marker + ".tmp\" && mv \"" +
                                      marker + ".tmp\" \"" + marker + "\"\n");
    ::chmod(editor.c_str(), 0755);
    WriteSetting(RegRoot::CurrentUser, std::nullopt, "Software\\Tk", "TextEditor", editor);
    dialogs.Answers = {mrYes};
    SaveArticle("artikel", noon);
    // The editor runs as a process of its own; wait until it has read the file.
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(coretest::ReadFile(marker), "artikel");
}

// A configured editor that this system lacks (the Windows default, or a program named in
// a shared setting) gives way to the desktop's editor.
TEST_F(SaveArticleTest, AMissingEditorGivesWayToTheDesktopsEditor) {
    const std::string marker = folder.Root + "/desktop-opened.txt";
    const std::string editor =
        folder.Write("bin/gedit", "#!/bin/sh\necho \"$1\" > \"" + marker + ".tmp\" && /bin/mv \"" +
                                      marker + ".tmp\" \"" + marker + "\"\n");
    ::chmod(editor.c_str(), 0755);
    // Only this folder on the search path: no editor of the machine can answer.
    struct SearchPath {
        explicit SearchPath(const std::string &path) {
            const char *old = std::getenv("PATH");
            Saved = old != nullptr ? old : "";
            ::setenv("PATH", path.c_str(), 1);
        }
        ~SearchPath() { ::setenv("PATH", Saved.c_str(), 1); }
        std::string Saved;
    } searchPath(folder.Dir + "/bin");
    auto opened = [&] {
        for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string text = coretest::ReadFile(marker);
        std::filesystem::remove(marker);
        return text;
    };

    dialogs.Answers = {mrYes};
    SaveArticle("standaard", noon);
    EXPECT_EQ(opened(), Morvelt() + "/20260102030405.html\n");

    WriteSetting(RegRoot::CurrentUser, std::nullopt, "Software\\Tk", "TextEditor",
                 folder.Root + "/geen-editor");
    dialogs.Answers = {mrYes};
    SaveArticle("eigen", noon);
    EXPECT_EQ(opened(), Morvelt() + "/20260102030405.html\n");
}

// Where the article goes: a folder that is the user's own. A "morvelt" that another user
// made or planted (here a link) is never written into; the article goes to a folder of the
// user's own beside it, and a temporary folder shared with others gets no "morvelt" at all.
TEST_F(SaveArticleTest, TheArticleGoesToAFolderOfTheUsersOwnOnly) {
    const std::string ours = Morvelt() + "-" + std::to_string(::geteuid());
    const std::string elsewhere = folder.Root + "/elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::filesystem::create_directory_symlink(elsewhere, Morvelt());
    SaveArticle("geheim", noon);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    EXPECT_EQ(coretest::ReadFile(SavedIn(ours)), "geheim");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Confirmation);
    std::filesystem::remove(Morvelt());
    std::filesystem::remove_all(ours);

    // A temporary folder that others may write into: the user's runtime folder when there
    // is one, else a name of the user's own in the shared folder.
    const std::string shared = folder.Root + "/shared";
    const std::string runtime = folder.Root + "/run";
    std::filesystem::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    std::filesystem::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    ::setenv("TMPDIR", shared.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    SaveArticle("eerste", noon);
    EXPECT_EQ(coretest::ReadFile(SavedIn(runtime + "/morvelt")), "eerste");
    ::unsetenv("XDG_RUNTIME_DIR");
    SaveArticle("tweede", noon);
    EXPECT_FALSE(std::filesystem::exists(shared + "/morvelt"));
    EXPECT_EQ(coretest::ReadFile(SavedIn(shared + "/morvelt-" + std::to_string(::geteuid()))),
              "tweede");
}

TEST_F(SaveArticleTest, NoFolderOfTheUsersOwnIsReportedNotPassedOverInSilence) {
    // Both names the article could use are taken by files.
    folder.Write("../morvelt", "");
    folder.Write("../morvelt-" + std::to_string(::geteuid()), "");
    SaveArticle("geheim", noon);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Error);
    EXPECT_EQ(dialogs.Shown[0].Text,
              "Het artikel kan niet worden opgeslagen: in '" + folder.Root +
                  "/' is geen map voor tijdelijke bestanden te maken die alleen van u is.");
    EXPECT_EQ(dialogs.Shown[0].Group, 8);
    EXPECT_EQ(dialogs.Shown[0].Number, 1);
}

TEST_F(SaveArticleTest, NeverWritesThroughALink) {
    // Our own folder left open to others is closed; a planted link inside is not followed.
    std::filesystem::create_directory(Morvelt());
    ::chmod(Morvelt().c_str(), 0777);
    const std::string target = folder.Write("../target", "unchanged");
    std::filesystem::create_symlink(target, Morvelt() + "/20260102030405.html");
    EXPECT_THROW(SaveArticle("x", noon), EFCreateError);
    EXPECT_EQ(coretest::ReadFile(target), "unchanged");
    struct stat info {};
    ASSERT_EQ(::stat(Morvelt().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

}  // namespace
