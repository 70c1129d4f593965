#include <gtest/gtest.h>

#include "model/splitseconds.h"

using namespace zr5;

namespace {

struct SplitCase {
    float seconds;
    std::int64_t h;
    int m;
    int s;
    float hundredths;
};

class SplitTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, SplitsWithItsCarries) {
    const SplitCase& c = GetParam();
    const SplitTime t = SplitSeconds(c.seconds);
    EXPECT_EQ(t.ElapsedHours, c.h);
    EXPECT_EQ(t.ElapsedMinutes, c.m);
    EXPECT_EQ(t.ElapsedSeconds, c.s);
    EXPECT_EQ(t.ElapsedHundredths, c.hundredths);
}

INSTANTIATE_TEST_SUITE_P(
    Times, SplitTable,
    ::testing::Values(SplitCase{3700, 1, 1, 40, 0}, SplitCase{0, 0, 0, 0, 0},
                      // hundredths reach 100 and carry into seconds, then into minutes
                      SplitCase{59.996f, 0, 1, 0, 0},
                      // single-precision rounding leaves 59.99 s, the carries mend it
                      SplitCase{3720, 1, 2, 0, 0}, SplitCase{3599.999f, 1, 0, 0, 0},
                      SplitCase{12.34f, 0, 0, 12, 34}, SplitCase{86399, 23, 59, 59, 0},
                      // ten hours and more split with no overflow
                      SplitCase{36000, 10, 0, 0, 0}, SplitCase{100000, 27, 46, 40, 0},
                      SplitCase{1.0e6f, 277, 46, 40, 0}));

TEST(SplitSeconds, NonNumbersAndTimesNoClockShowsAreNotSplit) {
    // Beyond 3.3e22 s the hours no longer fit 64 bits: such a header is damage, not a time.
    SplitTime none;
    none.InRange = false;
    for (float t : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity(), 3.4e38f, -1.0e23f, 3.7e15f})
        EXPECT_EQ(SplitSeconds(t), none) << t;
    EXPECT_TRUE(SplitSeconds(3.5e15f).InRange);
}

} // namespace
