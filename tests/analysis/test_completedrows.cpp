#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "analysis/completedrows.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

// Rated 10 kW at 80 %, no-load power 0.5 kW: rated losses 2.5 kW, K = 2 kW, so an input of 6 kW
// is half load: b = (sqrt(25 + 2 x 5.5) - 5) / 2 = 0.5, output 5 kW, efficiency 5 / 6.
const std::array<float, 7> kMotor = {4, 10, 20, 80, 6, 0.5f, 380};

// Three rows over 30 s (10, 20 and 30 s after the start), channels (I, U, P) x 3.
const ChannelRowValues kRows[3] = {
    // balanced: S = 2.2 per channel, Q = sqrt(2.2^2 - 2^2) = 0.916515 per channel
    {10, 220, 2, 10, 220, 2, 10, 220, 2},
    // generating: -3 kW held to -2 (S = 2); a negative current makes Q negative: -sqrt(1 - 0.36)
    {10, 200, -3, -5, 200, -0.6f, 0, 0, 0},
    // below the no-load power: 0.3 kW, S = 0.2 and Q = sqrt(0.04 - 0.01) per channel
    {1, 200, 0.1f, 1, 200, 0.1f, 1, 200, 0.1f},
};

struct Expected {
    float heldActive1; // channel 1's active power after the clamp
    float P, Q, S, PF;
    float activeWh, reactiveVarh; // energies so far
    MotorState state;
    float loadRate, outputPower, efficiency;
    float meanCurrent;
};

const Expected kExpected[3] = {
    // energy: 6 kW x 10 s = 16.6667 W·h; 2.749545 kvar x 10 s = 7.637626 var·h
    {2, 6, 2.749545f, 6.6f, 0.909091f, 16.66667f, 7.637626f, MotorState::Normal, 50, 5, 83.33333f,
     10},
    // mean (6 - 2.6) / 2 = 1.7 kW over 20 s = 9.44444 W·h; (2.749545 - 0.8) / 2 over 20 s;
    // a generating row keeps the point of the row before; PF = -2.6 x sgn(-0.8) / sqrt(7.4)
    {-2, -2.6f, -0.8f, 2.720294f, 0.955779f, 9.444444f, 5.415403f, MotorState::Generating, 50, 5,
     83.33333f, 5},
    // mean 3.7 / 3 kW over 30 s = 10.27778 W·h; (2.749545 - 0.8 + 0.519615) / 3 over 30 s
    {0.1f, 0.3f, 0.519615f, 0.6f, 0.5f, 10.27778f, 6.858777f, MotorState::BelowNoLoad, 0, 0, 0, 1},
};

class CompletedRows : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingHeader h;
        h.StartTime = 0;
        h.Duration = 30;
        h.Motor = kMotor;
        h.CTFlags = {1, 1, 1};
        RecordingWriter w;
        path = dir.filePath(QStringLiteral("three.MTR"));
        ASSERT_TRUE(test::Succeeded(w.create(path, h)));
        for (const ChannelRowValues& row : kRows)
            ASSERT_TRUE(test::Succeeded(w.appendRow(row)));
        ExtremaValues none{};
        ASSERT_TRUE(test::Succeeded(w.finish(none, none)));
        Result<RecordingInfo> read = ReadRecordingInfo(path);
        ASSERT_TRUE(read) << read.error().toStdString();
        info = *read;
    }
    QTemporaryDir dir;
    QString path;
    RecordingInfo info;
};

void ExpectRow(const CompletedRow& row, const Expected& e, int index) {
    SCOPED_TRACE(index + 1);
    const SampleRowValues& s = row.sample;
    EXPECT_NEAR(row.channels[2], e.heldActive1, 1e-5);
    EXPECT_NEAR(s[Slot::ActivePower], e.P, 1e-5);
    EXPECT_NEAR(s[Slot::ReactivePower], e.Q, 1e-5);
    EXPECT_NEAR(s[Slot::ApparentPower], e.S, 1e-5);
    EXPECT_NEAR(s[Slot::PowerFactor], e.PF, 1e-5);
    EXPECT_NEAR(s[Slot::ActiveEnergy], e.activeWh, 1e-3);
    EXPECT_NEAR(s[Slot::ReactiveEnergy], e.reactiveVarh, 1e-3);
    EXPECT_EQ(row.state, e.state);
    EXPECT_NEAR(row.values.LoadRate, e.loadRate, 1e-3);
    EXPECT_NEAR(row.values.OutputPower, e.outputPower, 1e-4);
    EXPECT_NEAR(row.values.Efficiency, e.efficiency, 1e-3);
    EXPECT_NEAR(PrintedChannelMean(s, Slot::Current1, Slot::Current2, Slot::Current3),
                e.meanCurrent, 1e-6);
}

TEST_F(CompletedRows, RowsComeOutWithPowersEnergiesAndOperatingPoint) {
    // Row by row and as one block, the same hand-worked values.
    auto single = CompletedRowReader::open(info);
    ASSERT_TRUE(single);
    for (int i = 0; i < 3; ++i) {
        const CompletedRow* row = (*single)->next();
        ASSERT_NE(row, nullptr);
        ExpectRow(*row, kExpected[i], i);
    }
    EXPECT_EQ((*single)->next(), nullptr) << "the last row ends the reader";
    EXPECT_EQ((*single)->error(), QString()) << "the end is not an error";

    auto block = CompletedRowReader::open(info);
    ASSERT_TRUE(block);
    std::vector<CompletedRow> rows;
    ASSERT_EQ((*block)->read(rows, 100), 3);
    for (int i = 0; i < 3; ++i)
        ExpectRow(rows[std::size_t(i)], kExpected[i], i);
}

TEST_F(CompletedRows, AReaderFromALaterRowCarriesTheValuesItIsGiven) {
    // The query's single row: a generating row keeps what the boxes showed.
    const OperatingPoint shown{70, 7, 90};
    auto reader = CompletedRowReader::open(info, info.header.motorParameters(), 2, shown,
                                           ClassifyCaller::SingleRowDisplay);
    ASSERT_TRUE(reader);
    const CompletedRow* row = (*reader)->next();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->state, MotorState::Generating);
    EXPECT_FLOAT_EQ(row->values.LoadRate, 70);
    EXPECT_FLOAT_EQ(row->values.Efficiency, 90);
    // Energies count from the reader's first row: -2.6 kW over 20 s.
    EXPECT_NEAR(row->sample[Slot::ActiveEnergy], 2.6f * 20 / 3.6f, 1e-3);
}

TEST_F(CompletedRows, ARecordingCutShortSaysWhy) {
    auto reader = CompletedRowReader::open(info);
    ASSERT_TRUE(reader);
    // The file loses its tail after the reader was opened: the rows stop short, with the reason.
    QFile f(path);
    ASSERT_TRUE(f.resize(kHeaderBytes + 2 * kRowBytes + 18));
    std::vector<CompletedRow> rows;
    EXPECT_LT((*reader)->read(rows, 3), 3);
    EXPECT_TRUE((*reader)->error().contains(QStringLiteral("文件意外结束")))
        << (*reader)->error().toStdString();
}

} // namespace
