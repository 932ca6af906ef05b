// The real program started in a temporary program folder: a start-up that cannot go on shows
// exactly one dialog, never a window, and exits with a failure status. Dialogs are read from
// the platform's message-box log (TAALKIST_MSGBOX_LOG) instead of waiting for a click.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/msgbox.h"
#include "tempdir.h"

namespace {

namespace fs = std::filesystem;

class StartUp : public ::testing::Test {
  protected:
    StartUp() : dir(temp.Path() + "/\xD1\x82\xD0\xBA-\xC3\xA9") { Populate(); }

    // A complete program folder, named in letters beyond ASCII: one installed book.
    void Populate() const {
        fs::remove_all(dir);
        fs::remove(temp.File("boxes.log"));
        fs::create_directories(dir + "/data");
        fs::create_directories(dir + "/imgs");
        fs::copy_file(TKVIEWER_PROGRAM, dir + "/tkviewer");
        fs::copy_file(TKVIEWER_GUI_LIBRARY, dir + "/tkviewer_gui.so");
        fs::copy_file(FAKE_LEXQAPI_FILE, dir + "/lexqapi.so");
        Write("data/dict.cfg",
              "[application]\nregkey=Software\\Taalkist\\Start\n"
              "[dictionaries]\nnl=1;Nederlands\n");
        Write("data/nl.def", "[dictionary]\n");
        Write("data/nl.idx", "<table></table>");
        fs::copy_file(TK_IMGS_SOURCE "/nl-en.bmp", dir + "/imgs/nl.bmp");
    }

    void Write(const std::string &relative, const std::string &bytes) const {
        std::ofstream(dir + "/" + relative, std::ios::binary) << bytes;
    }

    struct TOutcome {
        bool Finished = false;  // false: it kept running, so it showed its window
        int ExitCode = 0;
        std::vector<platform::MessageBoxRecord> Dialogs;
    };

    // Starts the program without a display; waits until it ends or `seconds` have passed.
    TOutcome Start(int seconds) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TAALKIST_MSGBOX_LOG", QString::fromStdString(temp.File("boxes.log")));
        env.insert("TAALKIST_REGISTRY_DIR", QString::fromStdString(temp.File("registry")));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QString::fromStdString(dir + "/tkviewer"), {});
        EXPECT_TRUE(program.waitForStarted(10000));
        TOutcome outcome;
        outcome.Finished = program.waitForFinished(seconds * 1000);
        if (!outcome.Finished) {
            program.kill();
            program.waitForFinished(10000);
        }
        outcome.ExitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        outcome.Dialogs = platform::ReadMessageBoxLog(temp.File("boxes.log"));
        return outcome;
    }

    tk::test::TempDir temp;
    std::string dir;
};

TEST_F(StartUp, EachFailureGivesOneDialogNoWindowAndAFailureStatus) {
    // The folder as it is starts and keeps its window open, without a message.
    TOutcome outcome = Start(3);
    EXPECT_FALSE(outcome.Finished);
    EXPECT_TRUE(outcome.Dialogs.empty());

    struct Case {
        const char *name;
        std::function<void()> breakIt;
        std::string message;  // what the one dialog says, in part
    };
    const Case cases[] = {
        {"no search library", [&] { fs::remove(dir + "/lexqapi.so"); },
         "De originele foutmelding luidt:\r\n\r\nError loading 'lexqapi.dll': "},
        {"no configuration", [&] { fs::remove(dir + "/data/dict.cfg"); },
         "Het bestand '" + dir + "/data/dict.cfg' ontbreekt."},
        {"a damaged picture", [&] { Write("imgs/nl.bmp", "BM and nothing more"); },
         dir + "/imgs/nl.bmp"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Populate();  // a complete folder again, then broken in one place
        c.breakIt();
        outcome = Start(60);
        EXPECT_TRUE(outcome.Finished) << "the program kept running";
        EXPECT_NE(outcome.ExitCode, 0);
        ASSERT_EQ(outcome.Dialogs.size(), 1u);
        EXPECT_EQ(outcome.Dialogs[0].caption, "Fout");
        EXPECT_NE(outcome.Dialogs[0].text.find(c.message), std::string::npos)
            << outcome.Dialogs[0].text;
    }
}

}  // namespace
