// The about box: its texts, closing with Enter or Escape once, the web address, and the
// credits of the bundled books.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "dialog_recorder.h"
#include "viewer/ui/LXA_About.h"

namespace {

TEST(AboutBox, ShowsItsTextsEveryTime) {
    ui::TfrmLXAAbout about;
    EXPECT_EQ(about.windowTitle(), "Over Morvelt taalkist");
    EXPECT_EQ(about.size(), QSize(411, 238));
    const auto text = [&](const char *name) {
        return about.findChild<QLabel *>(QLatin1String(name))->text();
    };
    EXPECT_EQ(text("lblVersion"), "Morvelt taalkist - versie 1.0");
    EXPECT_EQ(about.CloseButton()->text(), "&Sluiten");
    const QString copyright = text("lblCopyright");
    for (int round = 0; round < 2; ++round) {
        about.show();
        QTest::keyClick(about.CloseButton(), Qt::Key_Escape);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(text("lblCopyright"), copyright);
        EXPECT_EQ(text("lblVersion"), "Morvelt taalkist - versie 1.0");
    }
    EXPECT_FALSE(about.findChild<QLabel *>("imgLogo")->pixmap().isNull());
}

TEST(AboutBox, EnterOrEscapeOnTheButtonClosesOnce) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        ui::TfrmLXAAbout about;
        QSignalSpy finished(&about, &QDialog::finished);
        about.show();
        about.CloseButton()->setFocus();
        QTest::keyClick(about.CloseButton(), key);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(finished.count(), 1) << key;
    }
}

TEST(AboutBox, AddressShowsAHandAndOpensTheSite) {
    ui::TfrmLXAAbout about;
    QStringList opened;
    about.SetLinkOpener([&](const QString &address) { opened << address; });
    EXPECT_EQ(about.Label1()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(about.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(about.Label1()->font().underline());
    QTest::mouseClick(about.Label1(), Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{QString::fromLatin1(ui::kPublisherSite)});
    // A failing request is ignored.
    about.SetLinkOpener([](const QString &) { throw std::runtime_error("no browser"); });
    QTest::mouseClick(about.Label1(), Qt::LeftButton);
}

TEST(AboutBox, CreditsNameTheSourcesOfTheBooksAndTheSpeech) {
    tk::test::DialogRecorder dialogs;
    ui::TfrmLXAAbout about;
    about.show();
    EXPECT_EQ(about.size(), QSize(411, 238));
    // In the bottom panel beside the close button, clear of it.
    EXPECT_FALSE(about.CreditsButton()->geometry().intersects(about.CloseButton()->geometry()));
    EXPECT_TRUE(about.rect().contains(about.CreditsButton()->mapTo(&about, QPoint(0, 0))));
    QTest::mouseClick(about.CreditsButton(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    const std::string &text = dialogs.Shown[0].Text;
    EXPECT_EQ(dialogs.Shown[0].Kind, TMsgDlgType::Information);
    // The dashes and the copyright sign reach the dialog as themselves.
    for (const char *part :
         {"Nederlands\u2013Engels, \u2013Duits en \u2013Frans", "FreeDict",
          "GNU GPL versie 2 of later", "WordNet 3.0 \u00A9 2006 Princeton", "eSpeak NG"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find('?'), std::string::npos);
    EXPECT_TRUE(about.isVisible());
}

}  // namespace
