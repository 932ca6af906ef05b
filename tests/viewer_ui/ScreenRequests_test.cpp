// The windows' side of the core's screen requests: the core's dialogs come up as real message
// boxes with their Dutch caption, text and buttons and answer with the button pressed; the
// hourglass is set and given back.
#include "viewer/ui/ScreenRequests.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QTimer>

#include "platform/msgbox.h"
#include "tempdir.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/Screen.h"

namespace {

struct TShownBox {
    QString Title, Text;
    Qt::TextFormat Format = Qt::AutoText;
    QStringList Buttons;
};

// Presses the button with this text on the message box that is up once the event loop runs.
void PressOnTheBox(const QString &button, TShownBox &shown) {
    QTimer::singleShot(0, [button, &shown] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(window);
            if (box == nullptr || !box->isVisible())
                continue;
            shown = {box->windowTitle(), box->text(), box->textFormat(), {}};
            QAbstractButton *pressed = nullptr;
            for (QAbstractButton *candidate : box->buttons()) {
                shown.Buttons << candidate->text();
                if (candidate->text() == button)
                    pressed = candidate;
            }
            // A box without that button is closed anyway, so that the test cannot hang.
            pressed != nullptr ? pressed->click() : box->reject();
        }
    });
}

class ScreenRequestsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = SetScreen({});
        ui::RegisterScreen();
    }
    void TearDown() override { SetScreen(previous); }
    TScreen previous;
};

TEST_F(ScreenRequestsTest, DialogsAreRealBoxesThatAnswerWithThePressedButton) {
    const std::pair<const char *, int> answers[] = {{"&Ja", mrYes}, {"&Nee", mrNo}};
    for (const auto &[button, result] : answers) {
        TShownBox shown;
        PressOnTheBox(QString::fromLatin1(button), shown);
        EXPECT_EQ(AskYesNoFmt("Openen <b>%s</b>?", {std::string("caf\xC3\xA9")}, 0, 0), result);
        EXPECT_EQ(shown.Title, "Bevestiging");
        EXPECT_EQ(shown.Text, QStringLiteral("Openen <b>café</b>?"));
        EXPECT_EQ(shown.Format, Qt::PlainText);
        EXPECT_EQ(shown.Buttons.size(), 2);
        EXPECT_TRUE(shown.Buttons.contains("&Ja") && shown.Buttons.contains("&Nee"));
    }
    TShownBox shown;
    PressOnTheBox(QStringLiteral("OK"), shown);
    ShowError("Het bestand ontbreekt.", 1, 2);
    EXPECT_EQ(shown.Title, "Fout");
    EXPECT_EQ(shown.Buttons, QStringList{"OK"});
}

// Where the platform records message boxes (a test driving the real program), the viewer's
// dialogs are recorded there instead of waiting for a click.
TEST_F(ScreenRequestsTest, WithTheMessageBoxLogDialogsAreRecordedNotShown) {
    tk::test::TempDir temp;
    const std::string log = temp.File("boxes.log");
    ::setenv("TAALKIST_MSGBOX_LOG", log.c_str(), 1);
    const int answer =
        AskYesNoFmt("Openen %s?", {std::string("\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB")}, 0, 0);
    ShowError("Het bestand ontbreekt.", 1, 2);
    ::unsetenv("TAALKIST_MSGBOX_LOG");
    EXPECT_EQ(answer, mrNo);
    const auto boxes = platform::ReadMessageBoxLog(log);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Bevestiging");
    EXPECT_EQ(boxes[0].text, "Openen \xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB?");
    EXPECT_EQ(boxes[1].caption, "Fout");
    EXPECT_EQ(boxes[1].icon, platform::MsgIcon::Error);
}

TEST_F(ScreenRequestsTest, TheHourglassLastsAsLongAsTheWait) {
    {
        TWaitCursor outer;
        { TWaitCursor inner; }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
