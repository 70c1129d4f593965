// The settings dialog's arithmetic: the duration split for its three boxes and the numbers its
// five boxes accept.

#include <gtest/gtest.h>

#include "settings/settings.h"

namespace zr5 {
namespace {

struct SplitCase {
    float seconds;
    double hours;
    int minutes;
    int secs;
};
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.seconds << " s";
}

class SplitDurationTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitDurationTable, HoursMinutesSecondsWithCarries) {
    const SplitCase& c = GetParam();
    const DurationParts d = SplitDuration(c.seconds);
    EXPECT_EQ(d.hours, c.hours);
    EXPECT_EQ(d.minutes, c.minutes);
    EXPECT_EQ(d.seconds, c.secs);
}

INSTANTIATE_TEST_SUITE_P(
    Durations, SplitDurationTable,
    ::testing::Values(SplitCase{3725, 1, 2, 5},
                      SplitCase{3599.6f, 1, 0, 0}, // seconds round to 60 and carry twice
                      SplitCase{10, 0, 0, 10}, SplitCase{0, 0, 0, 0}, SplitCase{9000, 2, 30, 0},
                      SplitCase{59.4f, 0, 0, 59}, SplitCase{59.6f, 0, 1, 0},
                      SplitCase{86400, 24, 0, 0}, SplitCase{360000, 100, 0, 0}));

TEST(SplitDuration, ANumberThatIsNoDurationGivesZero) {
    EXPECT_EQ(SplitDuration(std::numeric_limits<float>::quiet_NaN()), DurationParts{});
    EXPECT_EQ(SplitDuration(std::numeric_limits<float>::infinity()), DurationParts{});
    // Huge but finite: the hours stay exact enough to show, with no overflow.
    EXPECT_GT(SplitDuration(1e30f).hours, 1e26);
}

struct BoxCase {
    const char* text;
    bool emptyMeansZero;
    bool zeroAllowed;
    bool ok;
    double value;
    const char* reasonPart;
};
void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.text;
}

class BoxNumbers : public ::testing::TestWithParam<BoxCase> {};

TEST_P(BoxNumbers, AcceptOrSayWhy) {
    const BoxCase& c = GetParam();
    const BoxNumber n = ParseBoxNumber(QString::fromUtf8(c.text), c.emptyMeansZero, c.zeroAllowed);
    EXPECT_EQ(n.ok, c.ok) << c.text;
    if (c.ok) {
        EXPECT_EQ(n.value, c.value) << c.text;
        EXPECT_TRUE(n.reason.isEmpty());
    } else {
        EXPECT_TRUE(n.reason.contains(QString::fromUtf8(c.reasonPart)))
            << c.text << ": " << n.reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxNumbers,
    ::testing::Values(
        BoxCase{"40", false, false, true, 40, ""}, BoxCase{" 2.5 ", false, false, true, 2.5, ""},
        BoxCase{".5", false, false, true, 0.5, ""}, BoxCase{"1e3", true, true, true, 1000, ""},
        BoxCase{"", true, true, true, 0, ""}, BoxCase{"   ", true, true, true, 0, ""},
        BoxCase{"0", true, true, true, 0, ""}, BoxCase{"", false, false, false, 0, "不能为空"},
        BoxCase{"0", false, false, false, 0, "大于 0"}, BoxCase{"-1", true, true, false, 0, "负数"},
        BoxCase{"-0.001", false, false, false, 0, "负数"},
        BoxCase{"abc", true, true, false, 0, "“abc”不是有效的数字"},
        BoxCase{"1,5", true, true, false, 0, "不是有效的数字"},
        BoxCase{"12时", true, true, false, 0, "不是有效的数字"},
        BoxCase{"inf", false, false, false, 0, "不是有效的数字"},
        BoxCase{"1e39", false, false, false, 0, "不是有效的数字"}));

} // namespace
} // namespace zr5
