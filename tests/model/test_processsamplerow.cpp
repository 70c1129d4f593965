#include <gtest/gtest.h>

#include "model/measurementmodel.h"

using namespace zr5;

namespace {

SampleRowValues received(std::initializer_list<float> nine) {
    SampleRowValues row{};
    std::copy(nine.begin(), nine.end(), row.begin());
    return row;
}

class ReceivedRow : public ::testing::Test {
protected:
    void SetUp() override { model.resetExtrema(); }
    Result<LiveTableRow> process(SampleRowValues& row, float now = 36010, float start = 36000,
                                 float elapsed = 10) {
        return ProcessSampleRow(model, now, start, elapsed, row, channels);
    }
    MeasurementModel model;
    ChannelRowValues channels{};
};

TEST_F(ReceivedRow, ZeroFrameGivesZerosPowerFactorOneAndLabelC) {
    SampleRowValues row{};
    const Result<LiveTableRow> r = process(row);
    ASSERT_TRUE(r) << r.error().toStdString();
    EXPECT_EQ(row[8], 1.0f);
    EXPECT_EQ(row[10], 0.0f);
    EXPECT_FALSE(r->inductive);
    EXPECT_EQ(FormatLiveTableRow(*r).powerFactorLabel, QStringLiteral("C"));
}

TEST_F(ReceivedRow, StoresMagnitudeOfPowerFactorAndShowsLForNegative) {
    // channel 1 with a negative current: Q < 0 with P > 0
    SampleRowValues row = received({-10, 220, 1.76f});
    const Result<LiveTableRow> r = process(row);
    ASSERT_TRUE(r) << r.error().toStdString();
    EXPECT_NEAR(row[8], 0.8f, 1e-6); // reception keeps |PF|
    EXPECT_TRUE(r->inductive);
    EXPECT_EQ(FormatLiveTableRow(*r).powerFactorLabel, QStringLiteral("L"));
    // channels keep the values as received, the current with its sign
    EXPECT_EQ(channels[0], -10.0f);
}

TEST_F(ReceivedRow, FirstRowEnergyIsItsPowerTimesTheHoursSinceTheStart) {
    SampleRowValues row = received({10, 220, 1.32f, 10, 220, 1.32f, 10, 220, 1.32f});
    process(row, 36000 + 1800, 36000, 1800);
    EXPECT_FLOAT_EQ(row[10], 3.96f * 0.5f); // kWh
    EXPECT_FLOAT_EQ(row[11], 5.28f * 0.5f);
    EXPECT_EQ(model.Energy.RowsAccumulated, 1.0);
}

TEST_F(ReceivedRow, ClampsStoredActivePowerButKeepsTheReceivedChannels) {
    SampleRowValues row = received({1, 230, 0.5f});
    process(row);
    EXPECT_FLOAT_EQ(row[2], 0.23f);
    EXPECT_EQ(channels[2], 0.5f);
}

TEST_F(ReceivedRow, ExtremaTrackSignedPowerAndMagnitudesElsewhere) {
    SampleRowValues a = received({-10, 220, -1.0f});
    process(a);
    SampleRowValues b = received({5, 230, 0.5f});
    process(b);
    EXPECT_EQ(model.RowMaximum[0], 10.0f); // |-10|
    EXPECT_EQ(model.RowMinimum[0], 5.0f);
    EXPECT_EQ(model.RowMinimum[2], -1.0f); // signed
    EXPECT_EQ(model.RowMaximum[2], 0.5f);
    EXPECT_EQ(model.RowMaximum[1], 230.0f);
    EXPECT_EQ(model.RowMinimum[1], 220.0f);
}

TEST(ReceptionStart, NoRowLeavesTheStartingExtrema) {
    MeasurementModel m;
    m.resetExtrema();
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(m.RowMaximum[k], -100000.0f);
        EXPECT_EQ(m.RowMinimum[k], 100000.0f);
    }
}

TEST(ReceptionStart, RowsBeyondTheStartingExtremaStartBothFromTheFirstRow) {
    // (slot, first, second, maximum, minimum): energies of a large motor run above the starting
    // minimum of 100000, a large negative power below the starting maximum of -100000.
    struct Case {
        int slot;
        float first, second, maximum, minimum;
    };
    const Case cases[] = {{Slot::ActiveEnergy, 250000, 260000, 260000, 250000},
                          {Slot::ActivePower, -300000, -200000, -200000, -300000},
                          {Slot::Voltage1, 380, 390, 390, 380}};
    for (const Case& c : cases) {
        MeasurementModel m;
        m.resetExtrema();
        SampleRowValues row{};
        row[c.slot] = c.first;
        m.updateExtrema(row);
        row[c.slot] = c.second;
        m.updateExtrema(row);
        EXPECT_EQ(m.RowMaximum[c.slot], c.maximum) << "slot " << c.slot;
        EXPECT_EQ(m.RowMinimum[c.slot], c.minimum) << "slot " << c.slot;
    }
}

TEST_F(ReceivedRow, LiveTableTextsShowSignedPowerAndMagnitudesRoundedToThreeDecimals) {
    SampleRowValues row = received({-12.3456f, 380.0004f, -2.5f});
    const Result<LiveTableRow> r = process(row, 40000, 36000, 3725.4f);
    ASSERT_TRUE(r) << r.error().toStdString();
    const LiveTableTexts t = FormatLiveTableRow(*r);
    EXPECT_EQ(t.boxes[0], QStringLiteral(" 12.346")); // a negative current shows its magnitude
    EXPECT_EQ(t.boxes[1], QStringLiteral(" 380.000"));
    EXPECT_EQ(t.boxes[2], QStringLiteral(" -2.500")); // total active power keeps its sign
    EXPECT_EQ(t.boxes[12], QStringLiteral(" 1 "));
    EXPECT_EQ(t.boxes[13], QStringLiteral(" 2 "));
    EXPECT_EQ(t.boxes[14], QStringLiteral(" 5 "));
}

TEST_F(ReceivedRow, OverflowingRowReportsErrorSixAndLeavesExtremaAndEnergies) {
    SampleRowValues good = received({10, 220, 1.0f});
    process(good);
    const ExtremaValues maxBefore = model.RowMaximum;
    const double sumBefore = model.Energy.ActivePowerSum;
    SampleRowValues huge = received({3e38f, 3e38f, 1e38f});
    const Result<LiveTableRow> r = process(huge);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), QStringLiteral("其它错误，错误号： 6！"));
    EXPECT_EQ(model.RowMaximum, maxBefore);
    EXPECT_EQ(model.Energy.ActivePowerSum, sumBefore);
}

} // namespace
