// The real program under a virtual X display with a window manager: the first
// "tkviewer --lookup" starts a resident viewer whose popup answers; later commands, a word
// or the selection set by another program, are handed to it and end at once with status 0;
// a malformed request and another user's connection get nothing from it. What the popup
// answered, and where it stood, is read from the program's lookup log.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <filesystem>

#include "UiTestSupport.h"
#include "platform/localsocket.h"
#include "viewer/core/ViewSettings.h"

using namespace uitest;

namespace {

class LookupProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            GTEST_SKIP() << "no Xvfb";
        // Xvfb picks a free display and tells its number.
        m_xvfb.start("Xvfb",
                     {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(m_xvfb.waitForReadyRead(10000));
        m_display = ":" + QString::fromLatin1(m_xvfb.readLine()).trimmed();
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.remove("QT_QPA_PLATFORM");
        m_env.remove("WAYLAND_DISPLAY");
        m_env.remove("DBUS_SESSION_BUS_ADDRESS");
        m_env.insert("DISPLAY", m_display);
        m_env.insert("ASAN_OPTIONS", "detect_leaks=0");
        m_runtime = QString::fromStdString(m_temp.Path() + "/run");
        std::filesystem::create_directory(m_runtime.toStdString());
        ::chmod(m_runtime.toStdString().c_str(), 0700);
        m_env.insert("XDG_RUNTIME_DIR", m_runtime);
        m_env.insert("TAALKIST_LOOKUP_LOG", QString::fromStdString(m_temp.File("lookups.log")));
        m_env.insert("TAALKIST_MSGBOX_LOG", QString::fromStdString(m_temp.File("boxes.log")));
        if (!QStandardPaths::findExecutable("openbox").isEmpty()) {
            m_wm.setProcessEnvironment(m_env);
            m_wm.start("openbox", {});
        }
        m_folder.WriteCatalogue({"nl-en=1;Nederlands-Engels"});
        m_folder.AddBook("nl-en", "", false);
        m_folder.AddCompiledBook(
            "nl-en",
            "kw: fiets\ndir: nl-en\n<p>bicycle</p>\n\nkw: huis\ndir: nl-en\n<p>house</p>\n\n");
        std::filesystem::copy_file(TKVIEWER_PROGRAM, m_folder.Dir + "/tkviewer",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(TKVIEWER_GUI_LIBRARY, m_folder.Dir + "/tkviewer_gui.so",
                                   std::filesystem::copy_options::overwrite_existing);
    }

    void TearDown() override {
        for (QProcess *process : {&m_resident, &m_owner, &m_wm, &m_xvfb}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
    }

    QString Program() const { return QString::fromStdString(m_folder.Dir + "/tkviewer"); }

    // Runs a tool of the X display (xdotool, xsel) to its end.
    void Tool(const QString &name, const QStringList &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(name, arguments);
        tool.waitForFinished(10000);
    }

    // Runs "tkviewer ARGUMENTS" to its end; its exit status, or -1 when it did not end.
    int Command(const QStringList &arguments, qint64 *ms = nullptr) {
        QProcess command;
        command.setProcessEnvironment(m_env);
        QElapsedTimer clock;
        clock.start();
        command.start(Program(), arguments);
        const bool ended = command.waitForFinished(20000);
        if (ms != nullptr)
            *ms = clock.elapsed();
        return ended && command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
    }

    // The popup's answers so far: word, status, place, pointer; waits for the count.
    QStringList Answers(int count) const {
        QStringList lines;
        for (int waited = 0; waited < 30000; waited += 50) {
            QFile log(QString::fromStdString(m_temp.File("lookups.log")));
            if (log.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
            if (lines.size() >= count)
                break;
            QThread::msleep(50);
        }
        return lines;
    }

    tk::test::TempDir m_temp;
    TProgramFolder m_folder;
    QProcess m_xvfb, m_wm, m_resident, m_owner;
    QString m_display, m_runtime;
    QProcessEnvironment m_env;
};

TEST_F(LookupProgram, ARunningViewerAnswersCommandsAndRefusesStrangers) {
    const bool pointer = !QStandardPaths::findExecutable("xdotool").isEmpty();
    if (pointer)
        Tool("xdotool", {"mousemove", "200", "150"});
    // No viewer runs: this one becomes the resident and shows its popup, no main window.
    m_resident.setProcessEnvironment(m_env);
    m_resident.setProcessChannelMode(QProcess::ForwardedChannels);
    m_resident.start(Program(), {"--lookup", "fiets"});
    ASSERT_TRUE(m_resident.waitForStarted(10000));
    QStringList answers = Answers(1);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(answers[0].startsWith("fiets\tEr is 1 trefwoord gevonden.\t"))
        << answers[0].toStdString();
    EXPECT_EQ(m_resident.state(), QProcess::Running);

    // Handed over: the command ends with 0, the resident's popup answers beside the pointer.
    qint64 ms = 0;
    EXPECT_EQ(Command({"--lookup", "huis"}, &ms), 0);
    std::printf("handed-over command: %lld ms\n", static_cast<long long>(ms));
    answers = Answers(2);
    ASSERT_EQ(answers.size(), 2);
    const QStringList fields = answers[1].split('\t');
    ASSERT_EQ(fields.size(), 5);
    EXPECT_EQ(fields[0], "huis");
    EXPECT_EQ(fields[1], "Er is 1 trefwoord gevonden.");
    if (pointer) {
        EXPECT_EQ(fields[3], "200 150");
        EXPECT_TRUE(fields[2].startsWith("212 162 ")) << fields[2].toStdString();
    }

    // The command asks before it loads any window: the loader, asked to tell what it loads,
    // names neither Qt nor the windows' library, and the resident answers.
    const QString alone = QString::fromStdString(m_temp.Path() + "/alone");
    std::filesystem::create_directory(alone.toStdString());
    std::filesystem::copy_file(TKVIEWER_PROGRAM, alone.toStdString() + "/tkviewer");
    QProcessEnvironment loaderTells = m_env;
    loaderTells.insert("LD_DEBUG", "files");
    QProcess bare;
    bare.setProcessEnvironment(loaderTells);
    bare.start(alone + "/tkviewer", {"--lookup", "fiets"});
    ASSERT_TRUE(bare.waitForFinished(20000));
    EXPECT_EQ(bare.exitCode(), 0);
    const QByteArray loaded = bare.readAllStandardError();
    EXPECT_TRUE(loaded.contains("libc.so")) << "the loader told nothing";
    EXPECT_FALSE(loaded.contains("libQt6")) << loaded.toStdString();
    EXPECT_FALSE(loaded.contains("tkviewer_gui")) << loaded.toStdString();
    answers = Answers(3);
    ASSERT_EQ(answers.size(), 3);
    EXPECT_TRUE(answers[2].startsWith("fiets\tEr is 1 trefwoord gevonden.\t"))
        << answers[2].toStdString();

    // The selection of another program.
    if (!QStandardPaths::findExecutable("xsel").isEmpty()) {
        m_owner.setProcessEnvironment(m_env);
        m_owner.start("xsel", {"--nodetach", "--primary", "--input"});
        ASSERT_TRUE(m_owner.waitForStarted(5000));
        m_owner.write(" fiets,\n");
        m_owner.closeWriteChannel();
        m_owner.waitForBytesWritten(5000);
        QThread::msleep(500);
        Tool("xsel", {"--primary", "--output"});
        EXPECT_EQ(Command({"--selection"}), 0);
        answers = Answers(4);
        ASSERT_EQ(answers.size(), 4);
        EXPECT_TRUE(answers[3].startsWith("fiets\tEr is 1 trefwoord gevonden.\t"))
            << answers[3].toStdString();
    }

    // Strangers: a malformed request is refused; another user cannot even connect.
    const std::string socket = m_runtime.toStdString() + "/taalkist-lookup";
    const platform::TLocalAnswer malformed =
        platform::AskLocalSocket(socket, "GET / HTTP/1.0\r\n", 3000);
    EXPECT_EQ(malformed.Status, platform::TLocalAnswer::TStatus::Answered);
    EXPECT_EQ(malformed.Byte, 'R');
    ASSERT_EQ(m_resident.state(), QProcess::Running) << m_resident.exitCode();
    if (::getuid() == 0) {
        ::chmod(m_temp.Path().c_str(), 0755);
        ::chmod(m_runtime.toStdString().c_str(), 0755);  // as if the folder were open to all
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            const platform::TLocalAnswer answer = platform::AskLocalSocket(socket,
                                                                           "TKLQ\x01\x01\x05\x00"
                                                                           "fiets",
                                                                           3000);
            ::_exit(answer.Status == platform::TLocalAnswer::TStatus::Answered &&
                    answer.Byte == 'A');
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ::chmod(m_runtime.toStdString().c_str(), 0700);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "another user's request was taken";
    }
    QThread::msleep(300);
    EXPECT_EQ(Answers(4).size(), QStandardPaths::findExecutable("xsel").isEmpty() ? 3 : 4);
    EXPECT_EQ(m_resident.state(), QProcess::Running);
    // A viewer started as always still opens a window of its own, beside the resident.
    QProcess plain;
    plain.setProcessEnvironment(m_env);
    plain.start(Program(), {});
    EXPECT_FALSE(plain.waitForFinished(3000)) << "the plain viewer ended";
    plain.kill();
    plain.waitForFinished(5000);
}

TEST_F(LookupProgram, FollowingTheSelectionShowsAStillNewSelectionOnce) {
    if (QStandardPaths::findExecutable("xsel").isEmpty())
        GTEST_SKIP() << "no xsel";
    WriteFollowSelectionSetting("Software\\Taalkist\\Test", true);
    m_resident.setProcessChannelMode(QProcess::ForwardedChannels);
    m_resident.setProcessEnvironment(m_env);
    m_resident.start(Program(), {"--lookup", "fiets"});
    ASSERT_TRUE(m_resident.waitForStarted(10000));
    ASSERT_EQ(Answers(1).size(), 1);
    // Another program selects; the popup follows once the selection has stood still.
    const struct {
        const char *text;
        const char *shown;  // the word the popup shows, or none
    } selections[] = {
        {"huis.", "huis"},
        {"huis", nullptr},  // the same words again
        {"een zin van veel meer dan vijf woorden lang", nullptr},
        {"fiets", "fiets"},
    };
    int count = 1;
    for (const auto &selection : selections) {
        SCOPED_TRACE(selection.text);
        QProcess owner;
        owner.setProcessEnvironment(m_env);
        QElapsedTimer clock;
        clock.start();
        owner.start("xsel", {"--nodetach", "--primary", "--input"});
        ASSERT_TRUE(owner.waitForStarted(5000));
        owner.write(selection.text);
        owner.closeWriteChannel();
        owner.waitForBytesWritten(5000);
        if (selection.shown != nullptr) {
            const QStringList answers = Answers(++count);
            ASSERT_EQ(answers.size(), count);
            EXPECT_TRUE(answers.back().startsWith(QString::fromUtf8(selection.shown) + "\t"))
                << answers.back().toStdString();
            EXPECT_GE(clock.elapsed(), 500) << "shown before the selection stood still";
        } else {
            QThread::msleep(1500);
            EXPECT_EQ(Answers(0).size(), count);
        }
        owner.terminate();
        owner.waitForFinished(5000);
    }
}

}  // namespace
