#include <gtest/gtest.h>

#include "support/testnames.h"

#include <cmath>

#include "model/measurementmodel.h"
#include "model/rowpowers.h"

using namespace zr5;

namespace {

ChannelRowValues channels(float i1, float u1, float p1, float i2 = 0, float u2 = 0, float p2 = 0,
                          float i3 = 0, float u3 = 0, float p3 = 0) {
    return {i1, u1, p1, i2, u2, p2, i3, u3, p3};
}

TEST(RowPowers, AllZeroFrameGivesZerosWithPowerFactorOne) {
    ChannelRowValues c{};
    const RowPowers p = ComputeRowPowers(c);
    EXPECT_EQ(p.P, 0.0f);
    EXPECT_EQ(p.Q, 0.0f);
    EXPECT_EQ(p.S, 0.0f);
    EXPECT_EQ(p.PF, 1.0f);
}

struct ClampCase {
    const char* name;
    float i, u, p;
    float clampedP;
    float q;
};

class ClampTable : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampTable, ActivePowerNeverExceedsApparentPower) {
    const ClampCase& c = GetParam();
    ChannelRowValues row = channels(c.i, c.u, c.p);
    const RowPowers p = ComputeRowPowers(row);
    EXPECT_FLOAT_EQ(row[2], c.clampedP) << c.name;
    EXPECT_FLOAT_EQ(p.P, c.clampedP) << c.name;
    EXPECT_NEAR(p.Q, c.q, 1e-4) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Channels, ClampTable,
    ::testing::Values(
        // 230 V x 1 A = 0.23 kVA: 0.5 kW is cut to 0.23 and leaves no reactive power
        ClampCase{"cut", 1, 230, 0.5f, 0.23f, 0},
        ClampCase{"cut keeps its sign", 1, 230, -0.5f, -0.23f, 0},
        // 220 V x -10 A = -2.2 kVA; |S| < |P| so P becomes +2.2 with no reactive power
        ClampCase{"worked check", -10, 220, 2.5f, 2.2f, 0},
        // 220 V x 10 A = 2.2 kVA with 1.32 kW gives 1.76 kVar
        ClampCase{"inductive", 10, 220, 1.32f, 1.32f, 1.76f},
        // a negative current makes the channel's reactive power negative
        ClampCase{"negative current", -10, 220, 1.32f, 1.32f, -1.76f},
        ClampCase{"zero current", 0, 220, 0.0f, 0.0f, 0}),
    zr5::test::ByName());

TEST(RowPowers, TotalsSumTheChannelsAndSignThePowerFactorByQ) {
    ChannelRowValues row = channels(10, 220, 1.32f, 10, 220, 1.32f, -30, 220, 3.96f);
    const RowPowers p = ComputeRowPowers(row);
    EXPECT_FLOAT_EQ(p.P, 6.6f);
    EXPECT_NEAR(p.Q, 1.76f + 1.76f - 5.28f, 1e-4);
    EXPECT_NEAR(p.S, std::hypot(6.6, 1.76), 1e-4);
    EXPECT_LT(p.PF, 0.0f);
    EXPECT_NEAR(p.PF, -6.6 / std::hypot(6.6, 1.76), 1e-6);
}

TEST(RowPowers, StoredRowKeepsSignedPowerFactor) {
    ChannelRowValues c = channels(-10, 220, 1.76f);
    SampleRowValues row{};
    StoreRowPowers(row, ComputeRowPowers(c));
    EXPECT_FLOAT_EQ(row[2], 1.76f);
    EXPECT_NEAR(row[5], -1.32f, 1e-5);
    EXPECT_NEAR(row[8], -0.8f, 1e-6);
    EXPECT_NEAR(row[9], 2.2f, 1e-6);
}

TEST(Energy, MeanPowerOfTheRowsTimesTheHours) {
    EnergyAccumulator e;
    e.add(4, 1, 600);
    e.add(5, 1, 1200);
    e.add(6, 1, 1800);
    EXPECT_FLOAT_EQ(e.ActiveEnergy, 2.5f); // (15 / 3) x 1800 / 3600
    EXPECT_FLOAT_EQ(e.ReactiveEnergy, 0.5f);
    EXPECT_EQ(e.RowsAccumulated, 3.0);
}

TEST(Energy, LongRecordingsKeepEveryRowsPower) {
    // In single precision a sum near 1E+07 only grows in whole units: 10.3 kW rows would count as
    // 10 kW each. The mean must stay 10.3.
    EnergyAccumulator e;
    for (int i = 0; i < 2000000; ++i)
        e.add(10.3f, 0, 3600);
    EXPECT_NEAR(e.ActiveEnergy, 10.3f, 1e-4);
}

} // namespace
