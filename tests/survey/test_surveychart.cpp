// The Pareto chart of the savings, worked by hand.

#include <gtest/gtest.h>

#include "survey/surveychart.h"

using namespace zr5;

namespace {

SurveyReport Savings(std::initializer_list<std::pair<const char*, double>> motors) {
    SurveyReport r;
    for (const auto& [tag, kwh] : motors) {
        SurveyMotorLine m;
        m.tag = QString::fromUtf8(tag);
        m.annualSavingKwh = kwh;
        r.motors.push_back(m);
    }
    return r;
}

} // namespace

// 500, 300, nothing, 200 kWh of 1000: the bars largest first without the motor that saves
// nothing, the running share 50, 80, 100 %; the scale of 100 kWh steps ends at 500.
TEST(SurveyChart, BarsLargestFirstWithTheRunningShare) {
    const SurveyReport r = Savings({{"P1", 300}, {"P2", 500}, {"P3", 0}, {"P4", 200}});
    const std::vector<ParetoBar> bars = ParetoBars(r);
    ASSERT_EQ(bars.size(), 3u);
    const std::pair<const char*, double> expected[] = {{"P2", 50}, {"P1", 80}, {"P4", 100}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(bars[i].tag, QString::fromLatin1(expected[i].first)) << i;
        EXPECT_DOUBLE_EQ(bars[i].cumulativePct, expected[i].second) << i;
    }

    const ComparisonChart c = ParetoChart(r);
    ASSERT_EQ(c.cells.size(), 3u);
    const double heights[] = {1.0, 0.6, 0.4}, centres[] = {1.0 / 6, 0.5, 5.0 / 6};
    ASSERT_EQ(c.curves.size(), 1u);
    ASSERT_EQ(c.curves[0].points.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(c.cells[i].top, heights[i], 1e-12) << i;
        EXPECT_NEAR((c.cells[i].left + c.cells[i].right) / 2, centres[i], 1e-12) << i;
        EXPECT_NEAR(c.curves[0].points[i].first, centres[i], 1e-12) << i;
        EXPECT_NEAR(c.curves[0].points[i].second, expected[i].second / 100, 1e-12) << i;
    }
    ASSERT_EQ(c.yLabels.size(), 6u);
    EXPECT_EQ(c.yLabels.back().text, QStringLiteral("500"));
    ASSERT_EQ(c.y2Labels.size(), 6u);
    EXPECT_EQ(c.y2Labels.back().text, QStringLiteral("100"));
    EXPECT_TRUE(c.curvesOverCells);

    // Nothing saved: no bars, no line, and no division by nothing.
    const ComparisonChart none = ParetoChart(Savings({{"Q", 0}}));
    EXPECT_TRUE(none.cells.empty());
    EXPECT_TRUE(none.curves.empty());
}
