// The lookup's D-Bus methods on a private bus, called as a script calls them (dbus-send).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include "UiTestSupport.h"
#include "viewer/ui/LookupBus.h"
#include "viewer/ui/LookupPopup.h"
#include "viewer/ui/LookupResident.h"

using namespace uitest;

namespace {

class LookupBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty() ||
            QStandardPaths::findExecutable("dbus-send").isEmpty())
            GTEST_SKIP() << "no dbus-daemon or dbus-send";
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromLatin1(m_daemon.readLine()).trimmed();
        folder.WriteCatalogue({"nl-en=1;Boek"});
        folder.AddBook("nl-en", "", false);
        folder.AddCompiledBook("nl-en", BookSource({"fiets"}));
        viewer = std::make_unique<TViewer>();
        resident = std::make_unique<ui::TLookupResident>(viewer->Main(), viewer->Data);
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("test"));
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

    // Calls a method as a script does; dbus-send's exit status.
    int Call(const QStringList &method) {
        QProcess send;
        send.start("dbus-send",
                   QStringList{"--bus=" + m_address, "--print-reply", "--dest=nl.taalkist.Taalkist",
                               "/nl/taalkist/Taalkist"} +
                       method);
        send.waitForStarted(5000);
        while (!send.waitForFinished(10))
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return send.exitCode();
    }

    QProcess m_daemon;
    QString m_address;
    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
    std::unique_ptr<ui::TLookupResident> resident;
};

TEST_F(LookupBusTest, LookupAndLookupSelectionShowThePopup) {
    ui::TLookupBus bus(*resident);
    ASSERT_TRUE(bus.Register(QDBusConnection::connectToBus(m_address, QStringLiteral("test"))));
    EXPECT_EQ(Call({"nl.taalkist.Taalkist.Lookup", "string:fiets"}), 0);
    QCoreApplication::processEvents();
    ui::TLookupPopup &popup = *resident->Popup();
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.Word(), "fiets");
    EXPECT_EQ(popup.Status(), "Er is 1 trefwoord gevonden.");

    // A text no word is: an error to the caller, nothing shown.
    popup.hide();
    EXPECT_NE(Call({"nl.taalkist.Taalkist.Lookup", "string:een\nbrief"}), 0);
    EXPECT_NE(Call({"nl.taalkist.Taalkist.Lookup", "string:" + QString(1025, 'a')}), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(popup.isVisible());

    QGuiApplication::clipboard()->setText(QStringLiteral("fiets."),
                                          QGuiApplication::clipboard()->supportsSelection()
                                              ? QClipboard::Selection
                                              : QClipboard::Clipboard);
    EXPECT_EQ(Call({"nl.taalkist.Taalkist.LookupSelection"}), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.Word(), "fiets");

    // A second viewer on the same bus does not get the name.
    ui::TLookupBus second(*resident);
    EXPECT_FALSE(second.Register(QDBusConnection::connectToBus(m_address, QStringLiteral("test"))));
}

}  // namespace
