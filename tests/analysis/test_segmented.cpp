#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <tuple>

#include "analysis/cumulative.h"
#include "analysis/segmented.h"
#include "analysiswindow/testrecording.h"
#include "model/numbertext.h"
#include "support/succeeded.h"

using namespace zr5;

TEST(SegmentWindowRows, IsCutShortAtEitherEndNotShifted) {
    struct Case {
        qint64 selected;
        int n;
        qint64 rows;
        qint64 first, last;
    };
    const Case cases[] = {
        {3, 5, 100, 1, 8}, {50, 5, 100, 45, 55}, {100, 20, 100, 80, 100},
        {3, 10, 5, 1, 5},  {1, 5, 1, 1, 1},      {5, 5, 100, 1, 10},
    };
    for (const Case& c : cases) {
        const SegmentWindow w = SegmentWindowRows(c.selected, c.n, c.rows);
        EXPECT_EQ(w.WindowFirstRow, c.first) << c.selected << " of " << c.rows;
        EXPECT_EQ(w.WindowLastRow, c.last) << c.selected << " of " << c.rows;
    }
}

TEST(SegmentPlotX, RowsStandSixThousandOverTwoNApart) {
    EXPECT_FLOAT_EQ(SegmentPlotX(1, 5), 600);
    EXPECT_FLOAT_EQ(SegmentPlotX(3, 5), 1800);
    EXPECT_FLOAT_EQ(SegmentPlotX(21, 10), 6300);
    EXPECT_FLOAT_EQ(SegmentPlotX(41, 20), 6150);
}

// The pointer's row is the inverse of SegmentPlotX: every point of a window maps back to its row,
// and x beside the window's points maps to none.
TEST(SegmentRowAtX, InvertsThePlotPositionWithinTheWindow) {
    for (const auto& [first, last, n] :
         {std::tuple<qint64, qint64, int>{1, 6, 5}, {90, 110, 10}, {480, 500, 20}}) {
        const SegmentWindow w{first, last};
        for (qint64 r = first; r <= last; ++r)
            EXPECT_EQ(SegmentRowAtX(SegmentPlotX(r - first + 1, n), w, n), r) << r;
        EXPECT_EQ(SegmentRowAtX(0, w, n), 0);
        EXPECT_EQ(SegmentRowAtX(SegmentPlotX(last - first + 2, n), w, n), 0);
    }
}

TEST(EffectiveHalfSpan, ASpanThatWouldDivideByZeroBecomesOneRow) {
    EXPECT_EQ(EffectiveHalfSpan(10), 10);
    EXPECT_EQ(EffectiveHalfSpan(20), 20);
    EXPECT_EQ(EffectiveHalfSpan(0), 1);
    EXPECT_EQ(EffectiveHalfSpan(-5), 1);
    EXPECT_EQ(EffectiveHalfSpan(7.4f), 7);
    EXPECT_EQ(EffectiveHalfSpan(std::nanf("")), 1);
}

class SegmentedAnalysisTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};

    void analyse(qint64 rows, const test::RowSource& source = test::SwingingRow) {
        const QString path = dir.filePath(QStringLiteral("run.MTR"));
        ASSERT_EQ(test::WriteTestRecording(path, rows, 600, source), QString());
        state.recordingOpened(path);
        ASSERT_TRUE(test::Succeeded(
            CumulativeAnalysis(state.CurrentFileName(), state.model, state.analysis).runAll()));
    }
    static float lastX(const std::vector<CurveLine>& lines) {
        return lines.empty() ? 0 : lines.back().x2;
    }
};

TEST_F(SegmentedAnalysisTest, NearTheStartTheMarkerIsTheThirdPoint) {
    analyse(100);
    state.settings.SegmentHalfSpan = 5;
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan, state.model, 3);
    ASSERT_EQ(r.error, QString());
    EXPECT_EQ(r.window.WindowFirstRow, 1);
    EXPECT_EQ(r.window.WindowLastRow, 8);
    EXPECT_FLOAT_EQ(r.MarkerX, 1800);
    for (int k = 0; k < 8; ++k) {
        ASSERT_EQ(r.curves[std::size_t(k)].size(), 7u) << "kind " << k;
        EXPECT_FLOAT_EQ(r.curves[std::size_t(k)][1].x2, 1800);
        EXPECT_FLOAT_EQ(r.curves[std::size_t(k)][1].y2, r.MarkerY[std::size_t(k)]);
    }
}

TEST_F(SegmentedAnalysisTest, AtTheLastRowTheMarkerIsTheLastPointOfEveryCurve) {
    analyse(100);
    state.settings.SegmentHalfSpan = 20;
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan, state.model, 100);
    EXPECT_EQ(r.window.WindowFirstRow, 80);
    EXPECT_EQ(r.window.WindowLastRow, 100);
    EXPECT_FLOAT_EQ(r.MarkerX, 21 * 150);
    for (int k = 0; k < kCurveKinds; ++k) {
        ASSERT_FALSE(r.curves[std::size_t(k)].empty());
        EXPECT_FLOAT_EQ(lastX(r.curves[std::size_t(k)]), r.MarkerX);
        EXPECT_FLOAT_EQ(r.curves[std::size_t(k)].back().y2, r.MarkerY[std::size_t(k)]);
    }
}

TEST_F(SegmentedAnalysisTest, AShortRecordingEndsTheCurvesEarly) {
    analyse(5);
    state.settings.SegmentHalfSpan = 10;
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan, state.model, 3);
    EXPECT_EQ(r.window.WindowFirstRow, 1);
    EXPECT_EQ(r.window.WindowLastRow, 5);
    EXPECT_FLOAT_EQ(lastX(r.curves[0]), 1500);
}

TEST_F(SegmentedAnalysisTest, TheEnergyBoxesShowWhatTheCumulativePassStoredForTheRow) {
    analyse(100);
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan, state.model, 40);
    EXPECT_EQ(r.display.boxes[10], FormatValue(state.analysis.ActiveEnergySeries[40]));
    EXPECT_EQ(r.display.boxes[11], FormatValue(state.analysis.ReactiveEnergySeries[40]));
    EXPECT_GT(state.analysis.ActiveEnergySeries[40], 0.0f);
    // 40 of 100 rows over 600 s: 240 s.
    EXPECT_EQ(r.display.boxes[12].trimmed(), QStringLiteral("0"));
    EXPECT_EQ(r.display.boxes[13].trimmed(), QStringLiteral("4"));
    EXPECT_EQ(r.display.boxes[14].trimmed(), QStringLiteral("0"));
}

TEST_F(SegmentedAnalysisTest, AGeneratingRowEmptiesTheMotorBoxesWhileItsNeighboursAreDrawn) {
    analyse(30, [](qint64 r) {
        ChannelRowValues v = test::SwingingRow(r);
        if (r == 15)
            for (int c = 0; c < 3; ++c)
                v[std::size_t(3 * c + 2)] = -std::fabs(v[std::size_t(3 * c + 2)]);
        return v;
    });
    state.settings.SegmentHalfSpan = 5;
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan, state.model, 15);
    EXPECT_EQ(r.display.motorCaption, QStringLiteral("电动机处于发电状态"));
    EXPECT_EQ(r.display.motorBoxes, MotorBoxes::Clear);
    EXPECT_TRUE(r.display.boxes[16].isEmpty());
    EXPECT_TRUE(r.display.boxes[2].contains(QLatin1Char('-')));
    // Of the ten segments of rows 10..20 only efficiency's one into row 15 is left out.
    EXPECT_EQ(r.curves[8].size(), 9u);
    EXPECT_EQ(r.curves[0].size(), 10u);
}

TEST_F(SegmentedAnalysisTest, TheModelHoldsTheWindowsLastRowAfterwards) {
    analyse(100);
    state.settings.SegmentHalfSpan = 5;
    RunSegmentedAnalysis(state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan,
                         state.model, 50);
    EXPECT_FLOAT_EQ(state.model.ChannelRow[0], test::SwingingRow(55)[0]);
    EXPECT_FLOAT_EQ(state.model.ElapsedTime, 300);
}

TEST_F(SegmentedAnalysisTest, ASelectionOutsideTheRecordingIsClamped) {
    analyse(20);
    EXPECT_EQ(RunSegmentedAnalysis(state.CurrentFileName(), state.analysis,
                                   state.settings.SegmentHalfSpan, state.model, 0)
                  .selectedRow,
              1);
    EXPECT_EQ(RunSegmentedAnalysis(state.CurrentFileName(), state.analysis,
                                   state.settings.SegmentHalfSpan, state.model, 25)
                  .selectedRow,
              20);
}

TEST_F(SegmentedAnalysisTest, WithoutACumulativePassItSaysSoInsteadOfReadingPastTheSeries) {
    const QString path = dir.filePath(QStringLiteral("run.MTR"));
    ASSERT_EQ(test::WriteTestRecording(path, 10, 60), QString());
    state.recordingOpened(path);
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        state.CurrentFileName(), state.analysis, state.settings.SegmentHalfSpan, state.model, 5);
    EXPECT_FALSE(r.error.isEmpty());
}
