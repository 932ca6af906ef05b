// The instance channel on a real socket in a private runtime folder: a valid request of
// this user is answered and handed on; another user's connection, malformed, oversized and
// slow requests are refused and logged; a dead viewer's socket is replaced; a second
// viewer leaves the socket to the first.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>
#include <future>

#include "platform/localsocket.h"
#include "tempdir.h"
#include "viewer/ui/InstanceChannel.h"

namespace {

using platform::TLocalAnswer;
using TStatus = TLocalAnswer::TStatus;
using ui::TInstanceChannel;
using ui::TLookupKind;

// What the channel logs, while a test runs.
QStringList g_log;
void Collect(QtMsgType, const QMessageLogContext &, const QString &message) {
    g_log << message;
}

class InstanceChannel : public ::testing::Test {
  protected:
    InstanceChannel() : m_oldRuntime(qgetenv("XDG_RUNTIME_DIR")) {
        ::chmod(m_temp.Path().c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_temp.Path()));
        g_log.clear();
        m_oldHandler = qInstallMessageHandler(Collect);
    }
    ~InstanceChannel() override {
        qInstallMessageHandler(m_oldHandler);
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    }

    // Sends the bytes as another program would, while this thread runs the channel.
    static TLocalAnswer Ask(const std::string &bytes) {
        auto asked = std::async(std::launch::async, [bytes] {
            return platform::AskLocalSocket(TInstanceChannel::SocketPath().toStdString(), bytes,
                                            3000);
        });
        while (asked.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return asked.get();
    }

    tk::test::TempDir m_temp;
    QByteArray m_oldRuntime;
    QtMessageHandler m_oldHandler = nullptr;
};

TEST_F(InstanceChannel, AnswersItsUserAndRefusesEverythingElse) {
    TInstanceChannel channel;
    ASSERT_EQ(channel.Listen(), TInstanceChannel::TListen::Listening);
    EXPECT_TRUE(TInstanceChannel::SocketPath().startsWith(QString::fromStdString(m_temp.Path())));
    QSignalSpy requested(&channel, &TInstanceChannel::Requested);

    TLocalAnswer answer = Ask(ui::WriteLookupRequest({TLookupKind::Word, "fiets"}));
    EXPECT_EQ(answer.Status, TStatus::Answered);
    EXPECT_EQ(answer.Byte, ui::kAccepted);
    ASSERT_EQ(requested.count(), 1);
    const auto request = requested.at(0).at(0).value<ui::TLookupRequest>();
    EXPECT_EQ(request.Kind, TLookupKind::Word);
    EXPECT_EQ(request.Word, "fiets");
    EXPECT_TRUE(g_log.isEmpty()) << g_log.join('\n').toStdString();

    struct Case {
        const char *name;
        std::string bytes;
        const char *logged;
    };
    const Case cases[] = {
        {"malformed", "GET / HTTP/1.0\r\n\r\n", "not a lookup request"},
        {"oversized", ui::WriteLookupRequest({TLookupKind::Word, std::string(1024, 'a')}) + "a",
         "bytes after the request"},
        {"announced oversized", std::string("TKLQ\x01\x01\xFF\xFF", 8), "bad length"},
        {"not UTF-8", std::string("TKLQ\x01\x01\x01\x00\xE9", 9), "bad word"},
        {"never finished", "TKLQ\x01", "did not arrive in time"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_log.clear();
        QElapsedTimer clock;
        clock.start();
        answer = Ask(c.bytes);
        EXPECT_EQ(answer.Status, TStatus::Answered);
        EXPECT_EQ(answer.Byte, ui::kRefused);
        ASSERT_EQ(g_log.size(), 1);
        EXPECT_TRUE(g_log[0].contains(QLatin1String(c.logged))) << g_log[0].toStdString();
        EXPECT_LT(clock.elapsed(), TInstanceChannel::kRequestMs + 1000);
    }
    EXPECT_EQ(requested.count(), 1);

    // A connection of another user: the channel here takes only a user that is not this one.
    channel.SetAllowedUser(platform::CurrentUserId() + 1);
    g_log.clear();
    answer = Ask(ui::WriteLookupRequest({TLookupKind::Selection, ""}));
    EXPECT_EQ(answer.Byte, ui::kRefused);
    ASSERT_EQ(g_log.size(), 1);
    EXPECT_TRUE(g_log[0].contains(QLatin1String("another user")));
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(InstanceChannel, ReplacesADeadViewersSocketAndLeavesALiveOneAlone) {
    const QString path = TInstanceChannel::SocketPath();
    {
        // A viewer that ended without removing its socket: the file stays, nobody listens.
        QLocalServer dead;
        dead.setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(dead.listen(path));
        // Closing a server removes its file; a crash does not. Keep the file as a crash would.
        QFile::rename(path, path + ".kept");
        dead.close();
        QFile::rename(path + ".kept", path);
    }
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(platform::AskLocalSocket(path.toStdString(), "x", 500).Status, TStatus::NoListener);

    TInstanceChannel first;
    ASSERT_EQ(first.Listen(), TInstanceChannel::TListen::Listening);
    TInstanceChannel second;
    EXPECT_EQ(second.Listen(), TInstanceChannel::TListen::OtherViewer);
    EXPECT_FALSE(second.IsListening());
    QSignalSpy requested(&first, &TInstanceChannel::Requested);
    EXPECT_EQ(Ask(ui::WriteLookupRequest({TLookupKind::Clipboard, ""})).Byte, ui::kAccepted);
    EXPECT_EQ(requested.count(), 1);
    // Only this user may even open the socket.
    struct stat status = {};
    ASSERT_EQ(::stat(path.toStdString().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 077, 0u);
}

}  // namespace

// The program asks before it loads the toolkit: it must find the socket where the toolkit
// put it, with the runtime folder named and without, and trust no folder open to others.
TEST_F(InstanceChannel, TheProgramFindsTheSocketWhereTheToolkitPutsIt) {
    EXPECT_EQ(ui::LookupSocketPath(), TInstanceChannel::SocketPath().toStdString());
    EXPECT_EQ(ui::LookupSocketPath(), m_temp.Path() + "/taalkist-lookup");

    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(m_temp.Path()));
    qunsetenv("XDG_RUNTIME_DIR");
    // The toolkit makes its own folder in the temporary one; this side only finds it.
    const std::string made = TInstanceChannel::SocketPath().toStdString();
    EXPECT_NE(made.find(m_temp.Path() + "/runtime-"), std::string::npos) << made;
    EXPECT_EQ(ui::LookupSocketPath(), made);

    const std::string open = m_temp.Path() + "/open";
    ::mkdir(open.c_str(), 0755);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(open));
    EXPECT_EQ(ui::LookupSocketPath().rfind(open, 0), std::string::npos);
    qputenv("TMPDIR", oldTmp);
    if (oldTmp.isEmpty())
        qunsetenv("TMPDIR");
}
