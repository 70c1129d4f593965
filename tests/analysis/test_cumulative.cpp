#include <gtest/gtest.h>
#include <limits>

#include "support/testnames.h"

#include <QTemporaryDir>

#include "analysis/csvtable.h"
#include "analysis/cumulative.h"
#include "analysiswindow/testrecording.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

class Cumulative : public ::testing::Test {
protected:
    // Writes a recording of balanced rows with the given total active powers (kW) and reactive
    // share, stores the extrema a reception would have, and makes it current.
    void record(const std::vector<float>& totalPowers, float duration,
                std::array<float, 7> motor = {4, 10, 20, 80, 6, 0.5f, 380}) {
        RecordingHeader h;
        h.StartTime = 30000;
        h.Duration = duration;
        h.Motor = motor;
        h.CTFlags = {1, 1, 1};
        RecordingWriter w;
        const QString path = dir.filePath(QStringLiteral("r.MTR"));
        ASSERT_TRUE(test::Succeeded(w.create(path, h)));
        MeasurementModel m;
        m.resetExtrema();
        for (std::size_t k = 0; k < totalPowers.size(); ++k) {
            const float p = totalPowers[k] / 3;
            // 220 V and a current large enough that the power is never clamped
            const float i = std::fabs(p) * 1000 / 220 / 0.8f + 0.01f;
            ChannelRowValues ch = {i, 220, p, i, 220, p, i, 220, p};
            ASSERT_TRUE(test::Succeeded(w.appendRow(ch)));
            SampleRowValues row{};
            std::copy(ch.begin(), ch.end(), row.begin());
            ProcessSampleRow(m, 30001, 30000, 1, row, ch);
        }
        ASSERT_TRUE(test::Succeeded(w.finish(m.RowMaximum, m.RowMinimum)));
        state.recordingOpened(path);
    }
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};
};

TEST_F(Cumulative, EnergyOfThreeRowsIsTheMeanPowerTimesTheSpan) {
    // three rows of 4, 5 and 6 kW in a recording of 1800 s
    record({4, 5, 6}, 1800);
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    // rows at 600, 1200, 1800 s: after the third, (15 / 3) x 1800 / 3600 = 2.5 kWh
    EXPECT_NEAR(state.analysis.TotalActiveEnergy, 2500.0f, 0.01f);
    EXPECT_NEAR(state.analysis.ActiveEnergySeries[1], 4 * 600 / 3.6f, 0.01f);
    EXPECT_NEAR(state.analysis.ActiveEnergySeries[2], 4.5f * 1200 / 3.6f, 0.01f);
    EXPECT_FLOAT_EQ(state.analysis.ActiveEnergySeries[3], state.analysis.TotalActiveEnergy);
    EXPECT_EQ(pass.recording().RecordCount, 3);
    EXPECT_EQ(pass.recording().header.Duration, 1800.0f);
}

TEST_F(Cumulative, TakesMotorDataFromTheRecordingAndTracksEfficiencyExtremes) {
    state.model.Motor = {}; // whatever the dialog held is replaced by the header's data
    record({8.5f, 0.2f, -1, 13}, 40);
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    EXPECT_TRUE(state.model.Motor.MotorParametersValid);
    EXPECT_FLOAT_EQ(state.model.Motor.RatedLosses, 2.5f);
    // the row below no-load sets 0, so the minimum is 0; the maximum is the best computed row
    EXPECT_EQ(state.analysis.EfficiencyMinimum, 0.0f);
    EXPECT_EQ(state.analysis.LoadRateMinimum, 0.0f);
    EXPECT_GT(state.analysis.EfficiencyMaximum, 82.0f);
    EXPECT_GT(state.analysis.LoadRateMaximum, 100.0f); // 13 kW is above the rated input of 12.5 kW
}

TEST_F(Cumulative, IncompleteMotorDataGiveZeroExtremesAndTheNoDataStateEveryRow) {
    record({5, 6, 7}, 30, {4, 10, 20, 80, 0, 0.5f, 380});
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.begin()));
    std::vector<MotorState> states;
    pass.process(100, [&](const CumulativeRowView& v) { states.push_back(v.decision.state); });
    ASSERT_TRUE(pass.done());
    EXPECT_EQ(states, std::vector<MotorState>(3, MotorState::NoMotorData));
    EXPECT_EQ(state.analysis.EfficiencyMaximum, 0.0f);
    EXPECT_EQ(state.analysis.EfficiencyMinimum, 0.0f);
    EXPECT_EQ(state.analysis.LoadRateMaximum, 0.0f);
}

TEST_F(Cumulative, AllRowsBelowNoLoadGiveZeroEfficiencyExtremes) {
    record({0.1f, 0.2f, 0.3f}, 30);
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    EXPECT_EQ(state.analysis.EfficiencyMaximum, 0.0f);
    EXPECT_EQ(state.analysis.EfficiencyMinimum, 0.0f);
}

TEST_F(Cumulative, SlicesGiveTheSameResultAsOnePass) {
    ASSERT_TRUE(test::Succeeded(
        WriteSyntheticRecording(dir.filePath(QStringLiteral("s.MTR")), 20000, 7200, 5)));
    state.recordingOpened(dir.filePath(QStringLiteral("s.MTR")));
    CumulativeAnalysis whole(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(whole.runAll()));
    const AnalysisResults once = state.analysis;

    CumulativeAnalysis sliced(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(sliced.begin()));
    qint64 rows = 0;
    while (!sliced.done())
        rows += sliced.process(777);
    EXPECT_EQ(rows, 20000);
    EXPECT_EQ(state.analysis.ActiveEnergySeries, once.ActiveEnergySeries);
    EXPECT_EQ(state.analysis.TotalReactiveEnergy, once.TotalReactiveEnergy);
    EXPECT_EQ(state.analysis.LoadRateMaximum, once.LoadRateMaximum);
    EXPECT_EQ(state.analysis.axes.CurveAxisHigh, once.axes.CurveAxisHigh);
}

TEST(RowTimes, ElapsedTimeOfTheLastRowIsTheDurationWhateverTheRowCount) {
    // Adding 0.036 s a million times in single precision ends minutes short of 10 hours.
    EXPECT_EQ(RowElapsedTime(1000000, 36000, 1000000), 36000.0f);
    EXPECT_FLOAT_EQ(RowElapsedTime(500000, 36000, 1000000), 18000.0f);
    EXPECT_FLOAT_EQ(RowElapsedTime(1, 60, 50), 1.2f);
    EXPECT_EQ(RowElapsedTime(3, 60, 0), 0.0f);
}

struct RefusedCase {
    const char* name;
    int rows;
    float duration;
};
class Refused : public Cumulative, public ::testing::WithParamInterface<RefusedCase> {};
TEST_P(Refused, RecordingsThatCannotBeAnalysedAreRefusedBeforeAnyDivision) {
    record(std::vector<float>(std::size_t(GetParam().rows), 5.0f), GetParam().duration);
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    EXPECT_FALSE(pass.begin()) << GetParam().name;
    EXPECT_TRUE(pass.done());
    EXPECT_FALSE(state.analysis.complete);
}
INSTANTIATE_TEST_SUITE_P(Recordings, Refused,
                         ::testing::Values(RefusedCase{"no rows", 0, 60},
                                           RefusedCase{"no duration", 10, 0}),
                         zr5::test::ByName());

TEST_F(Cumulative, MissingRecordingIsRefusedWithItsName) {
    state.recordingOpened(dir.filePath(QStringLiteral("nothere.MTR")));
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    EXPECT_TRUE(pass.begin().error().contains(QStringLiteral("nothere.MTR")));
}

TEST(CurveExtremesAfterThePass, KindsReadTheirOwnIndex) {
    MeasurementModel m;
    for (int k = 0; k < 12; ++k) {
        m.RowMaximum[k] = float(100 + k);
        m.RowMinimum[k] = float(k);
    }
    AnalysisResults a;
    a.EfficiencyMaximum = 91;
    a.LoadRateMinimum = 3;
    EXPECT_EQ(CumulativeCurveExtremes(1, m, a).maximum, 103.0f); // channel 2 current
    EXPECT_EQ(CumulativeCurveExtremes(6, m, a).minimum, 2.0f);   // active power
    EXPECT_EQ(CumulativeCurveExtremes(7, m, a).maximum, 108.0f); // power factor
    EXPECT_EQ(CumulativeCurveExtremes(8, m, a).maximum, 91.0f);
    EXPECT_EQ(CumulativeCurveExtremes(9, m, a).minimum, 3.0f);
}

} // namespace

TEST_F(Cumulative, BlocksGiveThePointsAndTheLastRowThatTheRowByRowPassGives) {
    const QString path = dir.filePath(QStringLiteral("b.MTR"));
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path, 5000, 3600, 11)));
    state.recordingOpened(path);
    struct Seen {
        float x;
        std::array<float, kCurveKinds> ys;
        bool operatingPoint;
    };
    std::vector<Seen> seen;
    CumulativeAnalysis rows(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(rows.begin()));
    MotorStateDecision last;
    while (!rows.done())
        rows.process(1000, [&](const CumulativeRowView& v) {
            seen.push_back({CumulativePlotX(v.row, 5000),
                            CurvePlotYs(v.model.SampleRow, v.model.LoadRate, v.model.Efficiency,
                                        state.analysis.axes),
                            v.decision.operatingPointComputed()});
            last = v.decision;
        });
    const MeasurementModel byRow = state.model;

    CumulativeAnalysis blocks(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(blocks.begin()));
    CurvePoints points;
    std::size_t r = 0;
    while (!blocks.done()) {
        CumulativePlotPoints(blocks.processBlock(999), 5000, state.analysis.axes, points);
        for (std::size_t i = 0; i < points.x.size(); ++i, ++r) {
            ASSERT_LT(r, seen.size());
            EXPECT_EQ(points.x[i], seen[r].x) << r;
            for (std::size_t k = 0; k < std::size_t(kCurveKinds); ++k)
                EXPECT_EQ(points.y[k][i], seen[r].ys[k]) << r << " kind " << k;
            EXPECT_EQ(points.operatingPoint[i] != 0, seen[r].operatingPoint) << r;
        }
    }
    EXPECT_EQ(r, seen.size());
    // What the window shows of the last row after the last block.
    EXPECT_EQ(state.model.SampleRow, byRow.SampleRow);
    EXPECT_EQ(state.model.ChannelRow, byRow.ChannelRow);
    EXPECT_EQ(state.model.Elapsed, byRow.Elapsed);
    EXPECT_EQ(state.model.Efficiency, byRow.Efficiency);
    const MotorStateDecision shown = blocks.lastDecision();
    EXPECT_EQ(shown.state, last.state);
    EXPECT_EQ(shown.caption, last.caption);
    EXPECT_EQ(shown.LoadRate, last.LoadRate);
}

namespace {

// Both energies worked by hand: the running mean of the signed powers times the elapsed hours,
// shown as a magnitude. Rows at 600, 1200 and 1800 s; balanced channels of 250 V.
TEST_F(Cumulative, BothEnergiesAreTheMeanSignedPowerTimesTheSpan) {
    const ChannelRowValues rows[] = {
        {-10, 250, 2, -10, 250, 2, -10, 250, 2},       // 6 kW, -4.5 kVar (negative currents)
        {-10, 250, 2, -10, 250, 2, -10, 250, 2},       // 6 kW, -4.5 kVar
        {10, 250, 1.5f, 10, 250, 1.5f, 10, 250, 1.5f}, // 4.5 kW, +6 kVar
    };
    const QString path = dir.filePath(QStringLiteral("e.MTR"));
    ASSERT_EQ(test::WriteTestRecording(
                  path, 3, 1800, [&](qint64 r) { return rows[r - 1]; }, test::TestMotor()),
              QString());
    state.recordingOpened(path);
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    // W·h and var·h: after row 1, 6 kW x 600 s = 1000 W·h and 4.5 kVar x 600 s = 750 var·h; after
    // row 2, 2000 and 1500; after row 3 the means are 5.5 kW and -1 kVar over 1800 s.
    const struct {
        std::size_t row;
        float active, reactive;
    } expected[] = {{1, 1000, 750}, {2, 2000, 1500}, {3, 2750, 500}};
    for (const auto& e : expected) {
        EXPECT_NEAR(state.analysis.ActiveEnergySeries[e.row], e.active, 0.01f) << e.row;
        EXPECT_NEAR(state.analysis.ReactiveEnergySeries[e.row], e.reactive, 0.01f) << e.row;
    }
    EXPECT_NEAR(state.analysis.TotalActiveEnergy, 2750, 0.01f);
    EXPECT_NEAR(state.analysis.TotalReactiveEnergy, 500, 0.01f);
}

// Rows of the motor of the fixture (10 kW, 80 %, no-load 0.5 kW: K = 2.5 - 0.5 = 2 kW), each
// total input chosen from the loss model P1 = P0 + beta x PN + K x beta^2 for a load rate worked
// out by hand; the efficiency is beta x PN / P1.
struct ExtremesCase {
    const char* name;
    std::vector<float> inputs; // kW
    float loadMinimum, loadMaximum, efficiencyMinimum, efficiencyMaximum;
};

class CumulativeExtremes : public Cumulative, public ::testing::WithParamInterface<ExtremesCase> {};

} // namespace

TEST_P(CumulativeExtremes, StartFromTheFirstRowNotFromAValueNoRowHas) {
    const ExtremesCase& c = GetParam();
    record(c.inputs, 60);
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    EXPECT_NEAR(state.analysis.LoadRateMinimum, c.loadMinimum, 1e-3);
    EXPECT_NEAR(state.analysis.LoadRateMaximum, c.loadMaximum, 1e-3);
    EXPECT_NEAR(state.analysis.EfficiencyMinimum, c.efficiencyMinimum, 1e-3);
    EXPECT_NEAR(state.analysis.EfficiencyMaximum, c.efficiencyMaximum, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CumulativeExtremes,
    ::testing::Values(
        // 24.125 kW: beta 1.75; 28.5 kW: beta 2; every row above the load rate's start of 150
        ExtremesCase{"every row above 150 percent",
                     {24.125f, 28.5f},
                     175,
                     200,
                     100 * 20 / 28.5f,
                     100 * 17.5f / 24.125f},
        ExtremesCase{"one row at exactly 150 percent", {20}, 150, 150, 75, 75},
        // 6 kW: beta 0.5, efficiency 5 / 6
        ExtremesCase{"rows on both sides of the start values",
                     {6, 28.5f},
                     50,
                     200,
                     100 * 20 / 28.5f,
                     100 * 5 / 6.0f}),
    test::ByName{});

// A row without an operating point leaves load rate, output power and efficiency empty in the
// table, as the window and the printed table do, instead of the last running row's figures. With
// the fixture's motor 8.5 kW in gives beta = (sqrt(25 + 2 x 8) - 5) / 2 = 0.70156: 7.0156 kW out,
// 82.537 %.
TEST_F(Cumulative, CsvRowsWithoutAnOperatingPointLeaveItsFieldsEmpty) {
    struct Case {
        const char* name;
        std::vector<float> inputs;
        std::array<float, 7> motor;
        std::vector<const char*> states;
        std::vector<bool> operating;
    };
    const std::array<float, 7> motor = {4, 10, 20, 80, 6, 0.5f, 380};
    const Case cases[] = {
        {"running, generating, below no-load, running",
         {8.5f, -1, 0.2f, 8.5f},
         motor,
         {"normal", "generating", "below_no_load", "normal"},
         {true, false, false, true}},
        {"no motor data",
         {8.5f, 8.5f},
         {4, 10, 20, 80, 6, 0, 380},
         {"no_motor_data", "no_motor_data"},
         {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        record(c.inputs, 60, c.motor);
        std::string csv;
        ASSERT_EQ(WriteCsvTable(state.CurrentFileName(), 1, 100,
                                [&](const std::string& b) {
                                    csv += b;
                                    return true;
                                })
                      .status,
                  CsvTableOutcome::Written);
        const QStringList lines = QString::fromStdString(csv).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), qsizetype(c.inputs.size()) + 1);
        for (std::size_t r = 0; r < c.inputs.size(); ++r) {
            const QStringList f = lines[qsizetype(r) + 1].split(',');
            ASSERT_EQ(f.size(), 23);
            EXPECT_EQ(f[17], QLatin1String(c.states[r])) << r;
            if (c.operating[r]) {
                EXPECT_NEAR(f[18].toDouble(), 70.156, 1e-3) << r;
                EXPECT_NEAR(f[19].toDouble(), 7.0156, 1e-4) << r;
                EXPECT_NEAR(f[20].toDouble(), 82.537, 1e-3) << r;
            } else {
                EXPECT_EQ(f.mid(18, 3), QStringList({"", "", ""})) << r;
            }
        }
    }
}

// The table's name offered for a whole recording and for a zoomed range of it.
TEST(CsvTableName, SaysWhenTheTableHoldsARange) {
    const struct {
        qint64 first, last, count;
        const char* name;
    } cases[] = {
        {1, 500, 500, "/d/G.csv"},
        {1, std::numeric_limits<qint64>::max(), 500, "/d/G.csv"},
        {100, 200, 500, "/d/G_行100-200.csv"},
        {1, 499, 500, "/d/G_行1-499.csv"},
        {2, 500, 500, "/d/G_行2-500.csv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvTableFileName(QStringLiteral("/d/G.MTR"), c.first, c.last, c.count),
                  QString::fromUtf8(c.name))
            << c.first << "-" << c.last;
}
