// The benchmark's own parts: order statistics, goal lines and the paint probe that stops
// the clocks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "PaintProbe.h"
#include "Stats.h"

namespace tkbench {
namespace {

TEST(TkviewerBenchStats, PercentileUsesNearestRank) {
    const std::vector<double> samples = {9, 1, 8, 2, 7, 3, 6, 4, 5, 10};
    EXPECT_EQ(Percentile(samples, 0.5), 5);
    EXPECT_EQ(Percentile(samples, 0.95), 10);
    EXPECT_EQ(Percentile(samples, 0.0), 1);
    EXPECT_EQ(Percentile({42}, 0.95), 42);
    EXPECT_EQ(Percentile({}, 0.5), 0);
    // Twenty samples: the 95th percentile is the 19th smallest, not the largest outlier.
    std::vector<double> twenty;
    for (int i = 1; i <= 20; ++i)
        twenty.push_back(i == 20 ? 1000 : i);
    EXPECT_EQ(Percentile(twenty, 0.95), 19);
}

TEST(TkviewerBenchStats, GoalLineJudgesTheChosenStatistic) {
    const std::vector<double> samples = {10, 10, 10, 10, 10, 10, 10, 10, 10, 90};
    EXPECT_NE(GoalLine("x", samples, 50, true).find("met"), std::string::npos);
    EXPECT_NE(GoalLine("x", samples, 50, false).find("MISSED"), std::string::npos);
    EXPECT_NE(GoalLine("x", {}, 50, false).find("NO DATA"), std::string::npos);
    EXPECT_EQ(GoalLine("x", samples, 0, false).find("goal"), std::string::npos);
}

TEST(TkviewerBenchPaintProbe, SeesPaintsOfItsTreeOnly) {
    QWidget window;
    auto *child = new QWidget(&window);
    child->setGeometry(10, 10, 50, 50);
    QWidget other;
    window.resize(200, 200);
    other.resize(100, 100);
    window.show();
    other.show();
    TPaintProbe probe(child);
    ASSERT_TRUE(probe.WaitForPaint(2000)) << "the first show paints the child";

    probe.Arm();
    EXPECT_FALSE(probe.Painted());
    other.update();
    EXPECT_FALSE(probe.WaitForPaint(200)) << "another window's paint does not count";

    child->update();
    EXPECT_TRUE(probe.WaitForPaint(2000));
}

}  // namespace
}  // namespace tkbench

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
