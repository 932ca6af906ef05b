// The live status: a label read as a notification whose texts are told, the last of a
// burst once, an empty one never (that they reach the bus, the AT-SPI test shows).
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "viewer/ui/LiveStatus.h"

TEST(LiveStatus, TellsTheLastTextOfABurstOnceAndNeverAnEmptyOne) {
    // A label a screen reader has read already becomes a live one.
    QLabel label(QStringLiteral("Klaar."));
    EXPECT_FALSE(ui::IsLiveStatus(&label));
    auto *live = new ui::TLiveStatus(&label, 20);
    EXPECT_TRUE(ui::IsLiveStatus(&label));
    QLabel plain;
    EXPECT_FALSE(ui::IsLiveStatus(&plain));

    live->Announce(QStringLiteral("Het woord 'x' kan niet worden gevonden."));
    live->Announce(QStringLiteral("'liep' is een vorm van 'lopen'."));
    EXPECT_EQ(label.text(), "'liep' is een vorm van 'lopen'.") << "shown at once";
    EXPECT_EQ(live->Told(), 0) << "told once the text has settled";
    QTest::qWait(60);
    EXPECT_EQ(live->Told(), 1);

    live->Announce(QString());
    QTest::qWait(60);
    EXPECT_EQ(live->Told(), 1) << "clearing the line says nothing";
    EXPECT_TRUE(label.text().isEmpty());
    // A cleared line followed by a text within the settling time tells that text.
    live->Announce(QStringLiteral("Er is 1 trefwoord gevonden."));
    QTest::qWait(60);
    EXPECT_EQ(live->Told(), 2);

    ui::TLiveStatus *unseen = ui::TLiveStatus::Unseen(&label, "lblSpoken");
    EXPECT_TRUE(ui::IsLiveStatus(unseen->Label()));
    EXPECT_EQ(unseen->Label()->size(), QSize(0, 0));
}
