#include "platform/shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/lasterror.h"
#include "temp_folder.h"

namespace {

void WriteFile(const std::string &path, const std::string &text, mode_t mode) {
    std::ofstream(path, std::ios::binary) << text;
    ::chmod(path.c_str(), mode);
}

// Waits for a file that a detached process writes, up to a few seconds.
std::string AwaitFile(const std::string &path) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        if (text.str().find("END") != std::string::npos)
            return text.str();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST(ShellOpen, StartsAProgramWithLiteralArguments) {
    tktest::TempFolder temp;
    const std::string script = temp / "record args";
    const std::string out = temp / "args.txt";
    WriteFile(
        script,
        "#!/bin/sh\nout=\"$1\"; shift\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$out.tmp\"\n"
        "echo END >> \"$out.tmp\"; mv \"$out.tmp\" \"$out\"\n",
        0755);
    ASSERT_TRUE(platform::ShellOpen(script, "\"" + out + "\" \"a b\" $HOME ;x `y` \\\"q"))
        << platform::LastErrorText();
    EXPECT_EQ(AwaitFile(out), "[a b]\n[$HOME]\n[;x]\n[`y`]\n[\"q]\nEND\n");
}

TEST(ShellOpen, ReportsWhatCannotBeOpened) {
    tktest::TempFolder temp;
    EXPECT_FALSE(platform::ShellOpen(temp / "missing.exe", ""));
    EXPECT_EQ(platform::LastErrorCode(), platform::kErrFileNotFound);
    EXPECT_EQ(platform::LastErrorText(), "The system cannot find the file specified.");
    EXPECT_FALSE(platform::ShellOpen("notepad.exe", "x.txt"));
    EXPECT_FALSE(platform::ShellOpen("", ""));

    // A document goes to the desktop's opener, which may be missing here.
    const std::string page = temp / "page.html";
    WriteFile(page, "<p>x</p>", 0644);
    if (platform::FindProgram("xdg-open").empty()) {
        EXPECT_FALSE(platform::ShellOpen(page, ""));
        EXPECT_EQ(platform::LastErrorCode(), platform::kErrNoAssociation);
    }
}

TEST(FindProgram, OnlyRealProgramsCount) {
    tktest::TempFolder temp;
    EXPECT_EQ(platform::FindProgram("sh").front(), '/');
    EXPECT_EQ(platform::FindProgram("no-such-program-tk"), "");
    // A document marked executable (as on some mounted file systems) is not a program.
    const std::string document = temp / "notes.txt";
    WriteFile(document, "just text", 0755);
    EXPECT_EQ(platform::FindProgram(document), "");
    const std::string script = temp / "tool";
    WriteFile(script, "#!/bin/sh\n", 0644);
    EXPECT_EQ(platform::FindProgram(script), "");  // not executable
    ::chmod(script.c_str(), 0755);
    EXPECT_EQ(platform::FindProgram(script), script);
}

TEST(DesktopTextEditor, IsEmptyOrAProgram) {
    const std::string editor = platform::DesktopTextEditor();
    if (!editor.empty())
        EXPECT_EQ(platform::FindProgram(editor), editor);
}

}  // namespace
