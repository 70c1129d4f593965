// The efficiency class shown beside the rated efficiency.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "motor/efficiencyclass.h"

namespace zr5 {
namespace {

struct ClassCase {
    float poles;
    float kw;
    float eta;
    EfficiencyClass expected;
    float volts = 380;
};

class Classes : public ::testing::TestWithParam<ClassCase> {};

TEST_P(Classes, HighestClassReached) {
    const ClassCase& c = GetParam();
    EXPECT_EQ(ClassifyEfficiency(c.poles, c.kw, c.eta, c.volts), c.expected)
        << c.poles << " poles " << c.kw << " kW " << c.eta << " % " << c.volts << " V";
    // Outside the range, and only there, a reason for the tool tip.
    if (c.poles != 0) {
        EXPECT_EQ(EfficiencyClassScopeReason(c.poles, c.kw, c.volts).isEmpty(),
                  c.expected != EfficiencyClass::NotApplicable);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Classes,
    ::testing::Values(ClassCase{4, 7.5f, 87.0f, EfficiencyClass::IE1}, // Y132M-4
                      ClassCase{4, 7.5f, 86.0f, EfficiencyClass::IE1}, // at the IE1 limit
                      ClassCase{4, 7.5f, 85.9f, EfficiencyClass::BelowIE1},
                      ClassCase{4, 7.5f, 88.7f, EfficiencyClass::IE2},
                      ClassCase{4, 7.5f, 90.4f, EfficiencyClass::IE3},
                      ClassCase{2, 0.75f, 77.4f, EfficiencyClass::IE2}, // the first step
                      ClassCase{6, 0.75f, 69.9f, EfficiencyClass::BelowIE1},
                      ClassCase{4, 250, 95.1f,
                                EfficiencyClass::IE2}, // 200 to 1000 kW share a limit
                      ClassCase{4, 1000, 96.0f, EfficiencyClass::IE3},
                      ClassCase{4, 1100, 97.0f, EfficiencyClass::NotApplicable}, // beyond
                      ClassCase{4, 0.55f, 73.0f, EfficiencyClass::NotApplicable},
                      ClassCase{8, 7.5f, 90.0f, EfficiencyClass::NotApplicable},
                      ClassCase{4, 250, 95.1f, EfficiencyClass::NotApplicable, 3000}, // HV
                      ClassCase{4, 250, 95.1f, EfficiencyClass::NotApplicable, 3300},
                      ClassCase{4, 250, 95.1f, EfficiencyClass::IE2, 1000},
                      ClassCase{4, 7.5f, 87.0f, EfficiencyClass::IE1, 0}, // voltage not typed
                      ClassCase{0, 0, 0, EfficiencyClass::NotRated}),
    [](const auto& info) {
        // "p4_7_5kW_87_0pct"
        std::string name = "p" + std::to_string(int(info.param.poles)) + "_" +
                           std::to_string(info.param.kw) + "kW_" + std::to_string(info.param.eta) +
                           "pct_" + std::to_string(int(info.param.volts)) + "V";
        for (char& c : name)
            if (c == '.')
                c = '_';
        return name;
    });

TEST(ClassLimits, BetweenStepsFollowTheRegulationsFormula) {
    // IE3, 4 poles: A x^3 + B x^2 + C x + D with x = log10(kW).
    for (float kw : {0.9f, 5.0f, 9.0f, 27.0f, 63.0f, 180.0f}) {
        const double x = std::log10(double(kw));
        const double formula = 0.0773 * x * x * x - 1.8951 * x * x + 9.2984 * x + 83.7025;
        EXPECT_NEAR(EfficiencyClassLimit(EfficiencyClass::IE3, 4, kw), formula, 0.15) << kw;
    }
}

TEST(ClassLimits, TabledStepsGiveTheTabledLimits) {
    EXPECT_FLOAT_EQ(EfficiencyClassLimit(EfficiencyClass::IE2, 6, 18.5f), 90.4f);
    EXPECT_FLOAT_EQ(EfficiencyClassLimit(EfficiencyClass::IE1, 2, 160), 93.8f);
    EXPECT_FLOAT_EQ(EfficiencyClassLimit(EfficiencyClass::IE3, 4, 200), 96.0f);
    EXPECT_EQ(EfficiencyClassLimit(EfficiencyClass::NotRated, 4, 7.5f), 0.0f);
}

TEST(ClassTexts, AreShort) {
    EXPECT_EQ(EfficiencyClassText(EfficiencyClass::IE3), QStringLiteral("IE3"));
    EXPECT_EQ(EfficiencyClassText(EfficiencyClass::BelowIE1), QStringLiteral("低于IE1"));
    EXPECT_TRUE(EfficiencyClassText(EfficiencyClass::NotRated).isEmpty());
}

} // namespace
} // namespace zr5
