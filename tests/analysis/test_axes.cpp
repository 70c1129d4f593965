#include <gtest/gtest.h>

#include "analysis/axes.h"
#include "analysis/curves.h"

using namespace zr5;

namespace {

struct AxisCase {
    float minimum, maximum;
    float low, high, step;
};

class ScreenAxes : public ::testing::TestWithParam<AxisCase> {};
TEST_P(ScreenAxes, WorkedValues) {
    const AxisCase& c = GetParam();
    const ValueAxis a = ScreenValueAxis(c.minimum, c.maximum);
    EXPECT_FLOAT_EQ(a.AxisLow, c.low);
    EXPECT_FLOAT_EQ(a.AxisHigh, c.high);
    EXPECT_FLOAT_EQ(a.AxisStep, c.step);
}
INSTANTIATE_TEST_SUITE_P(
    Table, ScreenAxes,
    ::testing::Values(AxisCase{0, 100, 0, 120, 20}, AxisCase{0.5f, 12.3f, 0, 15, 5},
                      AxisCase{215, 232, 215, 235, 5}, AxisCase{-3.2f, 5.5f, -4, 6, 2},
                      AxisCase{0, 1, 0, 1.00001f, 0.2f},
                      AxisCase{380.2f, 380.6f, 380, 381.00001f, 0.2f},
                      AxisCase{0.4f, 0.4f, 0, 1.00001f, 0.2f},
                      // a maximum that is a multiple of the step gets one more step
                      AxisCase{0, 30, 0, 40, 10}, AxisCase{0, 1000, 0, 1200, 200}));

class PrintAxes : public ::testing::TestWithParam<AxisCase> {};
TEST_P(PrintAxes, WorkedValues) {
    const AxisCase& c = GetParam();
    const ValueAxis a = PrintValueAxis(c.minimum, c.maximum);
    EXPECT_FLOAT_EQ(a.AxisLow, c.low);
    EXPECT_FLOAT_EQ(a.AxisHigh, c.high);
    EXPECT_FLOAT_EQ(a.AxisStep, c.step);
}
INSTANTIATE_TEST_SUITE_P(Table, PrintAxes,
                         ::testing::Values(AxisCase{0.5f, 12.3f, 0, 15, 5},
                                           AxisCase{-3.2f, 4, -4, 6, 2},
                                           AxisCase{0, 1, 0, 1.00001f, 0.2f},
                                           AxisCase{0, 100, 0, 120, 20},
                                           // 0.005 above a whole number: raised by 0.99 it stays
                                           // below the next one on paper, not on screen
                                           AxisCase{0, 1.005f, 0, 1.00001f, 0.2f}));

TEST(ScreenAxes, RaiseDiffersFromPrint) {
    EXPECT_FLOAT_EQ(ScreenValueAxis(0, 1.005f).AxisStep, 1.0f);
}

struct TimeCase {
    float duration;
    float step;
    int lines;
    const char* unit;
};
class TimeGrids : public ::testing::TestWithParam<TimeCase> {};
TEST_P(TimeGrids, StepGivesFewerThanFifteenIntervals) {
    const TimeCase& c = GetParam();
    EXPECT_EQ(TimeGridStep(c.duration), c.step);
    const std::vector<GridLine> grid = TimeGrid(c.duration, c.step);
    EXPECT_EQ(int(grid.size()), c.lines);
    EXPECT_TRUE(grid.front().solid);
    for (std::size_t i = 1; i < grid.size(); ++i)
        EXPECT_FALSE(grid[i].solid);
    EXPECT_STREQ(TimeUnitWord(c.step), c.unit);
}
INSTANTIATE_TEST_SUITE_P(Table, TimeGrids,
                         ::testing::Values(TimeCase{59, 5, 12, "秒"}, TimeCase{600, 60, 11, "分"},
                                           TimeCase{3600, 300, 13, "分"},
                                           TimeCase{86400, 7200, 13, "时"},
                                           TimeCase{14, 1, 15, "秒"}, TimeCase{3000, 300, 11, "分"},
                                           TimeCase{10, 1, 11, "秒"},
                                           TimeCase{40000, 3600, 12, "时"},
                                           TimeCase{28, 2, 15, "秒"}, TimeCase{840, 60, 15, "分"}));
// Fifteen intervals are one too many: each limit (T = 15 s, 450 s, 900 s, 54000 s) and the
// duration just below it.
INSTANTIATE_TEST_SUITE_P(Limits, TimeGrids,
                         ::testing::Values(TimeCase{15, 2, 8, "秒"}, TimeCase{449, 30, 15, "秒"},
                                           TimeCase{450, 60, 8, "分"}, TimeCase{899, 60, 15, "分"},
                                           TimeCase{900, 120, 8, "分"},
                                           TimeCase{53999, 3600, 15, "时"},
                                           TimeCase{54000, 7200, 8, "时"}));

TEST(ValueGrids, ZeroLineSolidOnScreen) {
    const std::vector<GridLine> g = ScreenValueGrid(ScreenValueAxis(-3.2f, 5.5f));
    ASSERT_EQ(g.size(), 6u); // -4 -2 0 2 4 6
    for (const GridLine& l : g)
        EXPECT_EQ(l.solid, l.value == 0.0f) << l.value;
    EXPECT_EQ(ScreenValueGrid(ScreenValueAxis(0, 100)).size(), 7u);
}

TEST(ValueGrids, PowerFactorAxisGivesSixLinesAndLabels) {
    const ValueAxis a = ScreenValueAxis(0, 1);
    const std::vector<float> labels = AxisLabelValues(a);
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels.front(), 0.0f);
    EXPECT_NEAR(labels.back(), 1.0f, 1e-6);
}

TEST(ValueGrids, PrintedLinesAtZeroOneAndMultiplesOfFiftyAreSolid) {
    const std::vector<GridLine> pf = PrintValueGrid(PrintValueAxis(0, 1));
    ASSERT_EQ(pf.size(), 6u);
    EXPECT_TRUE(pf.front().solid);
    EXPECT_TRUE(pf.back().value > 0.99f);
    int solid = 0;
    for (const GridLine& l : PrintValueGrid(PrintValueAxis(0, 100)))
        solid += l.solid;
    EXPECT_EQ(solid, 2); // 0 and 100 of 0..120
}

TEST(ValueLabels, NearZeroValuesReadZero) {
    // -0.6 + 0.2 + 0.2 + 0.2 is not exactly 0 in single precision; the label must read 0.
    const ValueAxis a{-0.6f, 0.41f, 0.2f};
    const std::vector<float> labels = AxisLabelValues(a);
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels[3], 0.0f);
    EXPECT_EQ(ScreenValueGrid(a)[3].value == 0.0f, false);
}

TEST(Geometry, PositionsInTwips) {
    EXPECT_FLOAT_EQ(AxisY(0, 0, 120), 1600);
    EXPECT_FLOAT_EQ(AxisY(120, 0, 120), 200);
    EXPECT_FLOAT_EQ(ValueLabelTop(60, 0, 120), 900 + 430);
    EXPECT_FLOAT_EQ(TimeLabelLeft(300, 600), 3400);
    EXPECT_FLOAT_EQ(TimeGridX(600, 600), 6000);
    // efficiency and load rate on 0..120, the power factor on 0..1, unclipped
    EXPECT_FLOAT_EQ(CurveY(8, 60, 0, 0), 900);
    EXPECT_FLOAT_EQ(CurveY(7, -0.5f, 0, 0), 900);
    EXPECT_FLOAT_EQ(CurveY(6, -5, 0, 15), 1600 + 1400.0f / 3);
}

TEST(CurveTables, KindsTakeTheirExtremaAndThePowerFactorEndsAbove1) {
    ExtremaValues mn{}, mx{};
    for (int k = 0; k < 12; ++k) {
        mn[k] = float(k);
        mx[k] = float(10 * k + 20);
    }
    const CurveAxisTables t = ChooseCurveAxes(mn, mx, 600);
    EXPECT_EQ(t.CurveUnit[0], QStringLiteral(" A"));
    EXPECT_EQ(t.CurveUnit[7], QString());
    EXPECT_EQ(t.CurveUnit[6], QStringLiteral(" kW"));
    EXPECT_FLOAT_EQ(t.CurveAxisHigh[7], 1.00001f);
    EXPECT_FLOAT_EQ(t.CurveAxisHigh[8], 120);
    // kind 1 is channel 2's current: SampleRow index 3
    const ValueAxis k1 = ScreenValueAxis(mn[3], mx[3]);
    EXPECT_FLOAT_EQ(t.CurveAxisLow[1], k1.AxisLow);
    EXPECT_FLOAT_EQ(t.CurveAxisHigh[1], k1.AxisHigh);
    EXPECT_FLOAT_EQ(t.TimeGridStep, 60);
}

TEST(Axes, NonNumbersNeverLoop) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_LE(ScreenValueGrid(ScreenValueAxis(nan, nan)).size(), 64u);
    EXPECT_LE(ScreenValueGrid(ScreenValueAxis(-3e38f, 3e38f)).size(), 64u);
    EXPECT_EQ(TimeGridStep(nan), 1.0f);
}

// The printed grid worked by hand: solid at 0 and 1, and above 1 where the nearest whole number
// is a multiple of 50; every other line dotted.
TEST(ValueGrids, PrintedSolidLinesWorkedByHand) {
    struct Case {
        float minimum, maximum;
        std::vector<std::pair<float, bool>> lines; // value, solid
    };
    const Case cases[] = {
        {1, 5, {{1, true}, {2, false}, {3, false}, {4, false}, {5, false}, {6, false}}},
        {95, 110, {{95, false}, {100, true}, {105, false}, {110, false}, {115, false}}},
        {225,
         260,
         {{220, false}, {230, false}, {240, false}, {250, true}, {260, false}, {270, false}}},
        {0,
         260,
         {{0, true}, {50, true}, {100, true}, {150, true}, {200, true}, {250, true}, {300, true}}},
        {0, 1, {{0, true}, {0.2f, false}, {0.4f, false}, {0.6f, false}, {0.8f, false}, {1, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minimum << " to " << c.maximum);
        const std::vector<GridLine> grid = PrintValueGrid(PrintValueAxis(c.minimum, c.maximum));
        ASSERT_EQ(grid.size(), c.lines.size());
        for (std::size_t i = 0; i < grid.size(); ++i) {
            EXPECT_NEAR(grid[i].value, c.lines[i].first, 1e-4) << i;
            EXPECT_EQ(grid[i].solid, c.lines[i].second) << grid[i].value;
        }
    }
}

} // namespace
