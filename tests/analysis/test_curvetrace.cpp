#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/curvetrace.h"
#include "support/testnames.h"

using namespace zr5;

namespace {

// The pixels a set of lines covers when each pixel column is `w` twips wide and each row too,
// sampled finely along every line: enough to compare two drawings of the same curve.
std::vector<std::pair<long, long>> CoveredPixels(const std::vector<CurveLine>& lines, float w) {
    std::vector<std::pair<long, long>> px;
    for (const CurveLine& l : lines) {
        const double len = std::max(std::fabs(l.x2 - l.x1), std::fabs(l.y2 - l.y1));
        const int steps = std::max(1, int(len / (w / 4)));
        for (int i = 0; i <= steps; ++i) {
            const double t = double(i) / steps;
            px.emplace_back(long(std::floor((l.x1 + t * (l.x2 - l.x1)) / w)),
                            long(std::floor((l.y1 + t * (l.y2 - l.y1)) / w)));
        }
    }
    std::sort(px.begin(), px.end());
    px.erase(std::unique(px.begin(), px.end()), px.end());
    return px;
}

std::vector<CurveLine> Trace(float columnWidth, int points, bool withGaps) {
    CurveTrace t(columnWidth);
    for (int i = 1; i <= points; ++i) {
        const float x = CumulativePlotX(i, points);
        const float y = float(900 + 600 * std::sin(i * 0.001) + 80 * std::sin(i * 0.7));
        t.add(x, y, !withGaps || (i / 100) % 3 != 1);
    }
    t.finish();
    return t.takeLines();
}

} // namespace

TEST(CumulativePlotX, RowsSpreadOverTheTimeAxisAndTheLastEndsOnIt) {
    EXPECT_FLOAT_EQ(CumulativePlotX(1, 100), 60.0f);
    EXPECT_FLOAT_EQ(CumulativePlotX(100, 100), 6000.0f);
    EXPECT_FLOAT_EQ(CumulativePlotX(1000000, 1000000), 6000.0f);
    EXPECT_FLOAT_EQ(CumulativePlotX(500000, 1000000), 3000.0f);
}

TEST(CumulativePlotX, AddingTheStepInSinglePrecisionWouldEndShortOfTheAxis) {
    // What a per-row single-precision sum of the step gives: the reason x is computed per row.
    const qint64 rows = 1000000;
    float x = 0;
    const float step = 6000.0f / float(rows);
    for (qint64 r = 0; r < rows; ++r)
        x += step;
    EXPECT_LT(x, 5990.0f);
    EXPECT_EQ(CumulativePlotX(rows, rows), 6000.0f);
}

TEST(CurveTrace, WithoutAColumnWidthEverySegmentIsKept) {
    CurveTrace t;
    t.add(60, 300, true); // the first point only starts the curve
    t.add(120, 400, true);
    t.add(180, 500, false); // left out, but the next segment starts here
    t.add(240, 450, true);
    t.finish();
    const std::vector<CurveLine> expected = {{60, 300, 120, 400}, {180, 500, 240, 450}};
    EXPECT_EQ(t.takeLines(), expected);
    EXPECT_TRUE(t.takeLines().empty());
}

TEST(CurveTrace, PointsWithinOneColumnBecomeOneVerticalLineFromItsLowestToItsHighest) {
    CurveTrace t(15);
    t.add(1, 500, true);
    t.add(4, 800, true);
    t.add(9, 300, true);
    t.add(14, 600, true);
    t.add(31, 700, true); // crosses into column 2: kept as it is
    t.finish();
    const std::vector<CurveLine> expected = {{7.5f, 300, 7.5f, 800}, {14, 600, 31, 700}};
    EXPECT_EQ(t.takeLines(), expected);
}

TEST(CurveTrace, LeftOutSegmentsDoNotWidenTheirColumn) {
    CurveTrace t(15);
    t.add(1, 500, true);
    t.add(4, 900, false);
    t.add(8, 550, true);
    t.finish();
    const std::vector<CurveLine> expected = {{7.5f, 550, 7.5f, 900}};
    EXPECT_EQ(t.takeLines(), expected);
}

TEST(CurveTrace, AReducedLongCurveCoversTheSamePixelsWithFewLines) {
    for (bool gaps : {false, true}) {
        SCOPED_TRACE(gaps ? "with left-out segments" : "continuous");
        const std::vector<CurveLine> all = Trace(0, 200000, gaps);
        const std::vector<CurveLine> reduced = Trace(15, 200000, gaps);
        // Two lines per column of the 400 at most, and one more at each gap.
        EXPECT_LT(reduced.size(), gaps ? 2000u : 801u);
        const auto a = CoveredPixels(all, 15);
        const auto b = CoveredPixels(reduced, 15);
        EXPECT_EQ(a, b);
    }
}

TEST(CurveTrace, ValuesBeyondTheAxisStandAtThePlotsEdgeWithAMarkWhereTheyLeaveIt) {
    // An overloaded motor: the curve swings far above the top and below the bottom of its plot.
    auto trace = [](float columnWidth) {
        CurveTrace t(columnWidth);
        for (int i = 1; i <= 20000; ++i)
            t.add(CumulativePlotX(i, 20000), float(900 - 2500 * std::sin(i * 0.0008)), true);
        t.finish();
        return t.takeLines();
    };
    for (float width : {0.0f, 15.0f}) {
        SCOPED_TRACE(width);
        const std::vector<CurveLine> lines = trace(width);
        int marks[2] = {0, 0}; // top, bottom
        for (const CurveLine& l : lines) {
            for (float y : {l.y1, l.y2}) {
                EXPECT_GE(y, kPlotTop);
                EXPECT_LE(y, kPlotBottom);
            }
            if (std::fabs(l.x2 - l.x1 - 60) < 0.01f && l.y2 == kPlotTop && l.y1 == kPlotTop + 110)
                ++marks[0];
            if (std::fabs(l.x2 - l.x1 - 60) < 0.01f && l.y2 == kPlotBottom &&
                l.y1 == kPlotBottom - 110)
                ++marks[1];
        }
        // Two stretches out at each edge, each about 1300 twips long: a mark where it leaves the
        // plot and one every 600 twips after that; never one per row.
        EXPECT_GE(marks[0], 2);
        EXPECT_GE(marks[1], 2);
        EXPECT_LE(marks[0] + marks[1], 24);
        // Clipped and marked, the reduced curve still covers the same pixels as the full one.
        if (width > 0) {
            EXPECT_EQ(CoveredPixels(lines, 15), CoveredPixels(trace(0), 15));
        }
    }
}

TEST(CurveSetTrace, EfficiencyAndLoadRateAreLeftOutForRowsWithoutAnOperatingPoint) {
    CurveSetTrace set;
    std::array<float, kCurveKinds> ys{};
    ys.fill(1000);
    set.add(100, ys, true);
    ys.fill(800);
    set.add(200, ys, false);
    set.finish();
    for (int k = 0; k < kCurveKinds; ++k)
        EXPECT_EQ(set.kind(k).takeLines().size(), k < 8 ? 1u : 0u) << "kind " << k;
}

TEST(CurvePlotYs, EveryKindOnItsOwnScale) {
    CurveAxisTables axes;
    axes.CurveAxisLow.fill(0);
    axes.CurveAxisHigh.fill(20);
    axes.CurveAxisLow[6] = -4;
    axes.CurveAxisHigh[6] = 6;
    SampleRowValues row{};
    row[0] = -10; // magnitude plotted
    row[2] = -4;  // signed
    row[8] = -0.5f;
    const auto ys = CurvePlotYs(row, /*loadRate*/ 60, /*efficiency*/ 120, axes);
    EXPECT_FLOAT_EQ(ys[0], 900);
    EXPECT_FLOAT_EQ(ys[6], 1600);
    EXPECT_FLOAT_EQ(ys[7], 900);
    EXPECT_FLOAT_EQ(ys[8], 200);
    EXPECT_FLOAT_EQ(ys[9], 900);
}

namespace {

// A curve for the block path to reproduce: its points, how they are cut into blocks, and the
// trace's column width and clipping.
struct BlockCase {
    const char* name;
    float columnWidth;
    CurveTrace::Clip clip;
    int points;
    float (*x)(int i);
    float (*y)(int i);
    bool (*drawn)(int i);
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const BlockCase kBlockCases[] = {
    {"dense columns with gaps", 15, CurveTrace::Clip::ToPlot, 9000,
     [](int i) { return CumulativePlotX(i, 9000); },
     [](int i) { return float(900 + 600 * std::sin(i * 0.002) + 80 * std::sin(i * 0.7)); },
     [](int i) { return (i / 100) % 3 != 1; }},
    {"over range at both edges", 15, CurveTrace::Clip::ToPlot, 9000,
     [](int i) { return CumulativePlotX(i, 9000); },
     [](int i) { return float(900 - 2500 * std::sin(i * 0.002)); }, [](int) { return true; }},
    {"one row per column", 15, CurveTrace::Clip::ToPlot, 300,
     [](int i) { return CumulativePlotX(i, 300); }, [](int i) { return float(200 + 5 * i); },
     [](int i) { return i % 7 != 0; }},
    {"points on column boundaries", 15, CurveTrace::Clip::ToPlot, 2000,
     [](int i) { return 7.5f * float(i / 3); },
     [](int i) { return i % 5 == 0 ? 150.0f : float(300 + 40 * (i % 11)); },
     [](int i) { return i % 13 != 0; }},
    {"every other row without its segment", 15, CurveTrace::Clip::ToPlot, 4000,
     [](int i) { return CumulativePlotX(i, 4000); }, [](int i) { return float(400 + i % 900); },
     [](int i) { return i % 2 == 0; }},
    {"values that are not numbers", 15, CurveTrace::Clip::ToPlot, 4000,
     [](int i) { return CumulativePlotX(i, 4000); },
     [](int i) { return i % 37 == 0 || i % 37 == 1 ? kNaN : float(500 + i % 300); },
     [](int) { return true; }},
    {"unclipped with values beyond the plot", 15, CurveTrace::Clip::None, 6000,
     [](int i) { return CumulativePlotX(i, 6000); },
     [](int i) { return i % 500 == 3 ? kNaN : float(900 - 2500 * std::sin(i * 0.003)); },
     [](int i) { return i % 400 != 0; }},
    {"long stretches without segments beyond the plot", 15, CurveTrace::Clip::ToPlot, 9000,
     [](int i) { return CumulativePlotX(i, 9000); },
     [](int i) { return float(900 - 2500 * std::sin(i * 0.004)); },
     [](int i) { return (i / 50) % 4 == 0; }},
    {"every segment kept", 0, CurveTrace::Clip::ToPlot, 3000,
     [](int i) { return CumulativePlotX(i, 3000); },
     [](int i) { return float(900 - 1200 * std::sin(i * 0.01)); }, [](int) { return true; }},
};

class BlockTrace : public ::testing::TestWithParam<BlockCase> {};

} // namespace

TEST_P(BlockTrace, GivesExactlyTheLinesOfOnePointAtATime) {
    const BlockCase& c = GetParam();
    CurveTrace single(c.columnWidth, c.clip);
    std::vector<float> xs, ys;
    std::vector<unsigned char> drawn;
    for (int i = 1; i <= c.points; ++i) {
        xs.push_back(c.x(i));
        ys.push_back(c.y(i));
        drawn.push_back(c.drawn(i) ? 1 : 0);
        single.add(xs.back(), ys.back(), c.drawn(i));
    }
    single.finish();
    const std::vector<CurveLine> expected = single.takeLines();
    ASSERT_FALSE(expected.empty());
    // Blocks of one point, of a few and of all, and lines taken between blocks.
    for (std::size_t block : {std::size_t(1), std::size_t(7), std::size_t(2048), xs.size()}) {
        SCOPED_TRACE(block);
        CurveTrace batch(c.columnWidth, c.clip);
        std::vector<qint64> columns;
        for (float x : xs)
            columns.push_back(c.columnWidth > 0 ? batch.columnOf(x) : 0);
        std::vector<CurveLine> lines;
        for (std::size_t first = 0; first < xs.size(); first += block) {
            const std::size_t n = std::min(block, xs.size() - first);
            batch.add(&xs[first], &columns[first], &ys[first], &drawn[first], n);
            const std::vector<CurveLine> taken = batch.takeLines();
            lines.insert(lines.end(), taken.begin(), taken.end());
        }
        batch.finish();
        const std::vector<CurveLine> last = batch.takeLines();
        lines.insert(lines.end(), last.begin(), last.end());
        // Compared bit for bit: a not-a-number coordinate must stand where it stood.
        ASSERT_EQ(lines.size(), expected.size());
        EXPECT_EQ(0, std::memcmp(lines.data(), expected.data(), lines.size() * sizeof(CurveLine)));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BlockTrace, ::testing::ValuesIn(kBlockCases), test::ByName{});
