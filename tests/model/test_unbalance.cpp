// Supply unbalance by NEMA MG-1 and the derating curve of a motor for it.

#include <gtest/gtest.h>

#include <cmath>

#include "model/unbalance.h"

namespace zr5 {
namespace {

TEST(Unbalance, LargestDeviationFromTheMeanOverTheMean) {
    struct Case {
        double a, b, c;
        double expected; // NaN: none
    };
    const Case cases[] = {
        {380, 380, 380, 0},            // equal phases
        {399, 380, 380, 100.0 / 30.5}, // one phase 5 % high: mean 386 1/3, deviation 12 2/3
        {380, 399, 380, 100.0 / 30.5}, // whichever phase it is
        {361, 380, 380, 100.0 / 29.5}, // 5 % low: mean 373 2/3, deviation 12 2/3
        {20, 20, 23, 100.0 * 2 / 21},  // currents: mean 21, deviation 2
        {10, 0, 0, 200},               // one phase alone: deviation 6 2/3 of 3 1/3
        {0, 0, 0, std::nan("")},       // no mean, no unbalance
    };
    for (const Case& c : cases) {
        const std::optional<double> u = PercentUnbalance(c.a, c.b, c.c);
        if (std::isnan(c.expected)) {
            EXPECT_FALSE(u.has_value()) << c.a;
        } else {
            ASSERT_TRUE(u.has_value()) << c.a;
            EXPECT_NEAR(*u, c.expected, 1e-9) << c.a << " " << c.b << " " << c.c;
        }
    }
    // A row: magnitudes of its voltages and currents (a negative current carries a sign only).
    SampleRowValues row{};
    row[Slot::Voltage1] = 399;
    row[Slot::Voltage2] = 380;
    row[Slot::Voltage3] = 380;
    row[Slot::Current1] = -20;
    row[Slot::Current2] = 20;
    row[Slot::Current3] = 23;
    const RowUnbalance u = RowUnbalanceOf(row);
    EXPECT_NEAR(u.voltage.value_or(-1), 100.0 / 30.5, 1e-5);
    EXPECT_NEAR(u.current.value_or(-1), 100.0 * 2 / 21, 1e-5);
}

TEST(Unbalance, DeratingFollowsTheCurveAndStopsAboveFivePercent) {
    const std::pair<double, double> cases[] = {
        {0, 1.0},
        {0.5, 1.0},
        {1, 1.0},
        {2, 0.95},
        {3, 0.88},
        {4, 0.82},
        {5, 0.75},
        {1.5, 0.975},
        {2.5, 0.915},
        {4.5, 0.785},
        {100.0 / 30.5, 0.88 - 0.06 * (100.0 / 30.5 - 3)}, // the one-phase-high row
    };
    for (const auto& [pct, factor] : cases) {
        ASSERT_TRUE(UnbalanceDerating(pct).has_value()) << pct;
        EXPECT_NEAR(*UnbalanceDerating(pct), factor, 1e-12) << pct;
    }
    EXPECT_FALSE(UnbalanceDerating(5.01).has_value());
    EXPECT_FALSE(UnbalanceDerating(std::nan("")).has_value());
}

TEST(Unbalance, OnlyAllThreeTransformersGiveThreePhases) {
    EXPECT_TRUE(ThreePhasesWired(1, 1, 1));
    EXPECT_FALSE(ThreePhasesWired(1, 0, 1)); // two wattmeters
    EXPECT_FALSE(ThreePhasesWired(0, 0, 1));
}

} // namespace
} // namespace zr5
