// The efficiency class shown beside the rated efficiency.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <iterator>
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
                      ClassCase{4, 7.5f, 92.6f, EfficiencyClass::IE4},
                      ClassCase{4, 0.55f, 73.0f, EfficiencyClass::BelowIE2}, // no IE1 figure
                      ClassCase{4, 0.55f, 80.8f, EfficiencyClass::IE3},
                      ClassCase{4, 0.12f, 69.8f, EfficiencyClass::IE4}, // the lowest power
                      ClassCase{4, 0.11f, 70.0f, EfficiencyClass::NotApplicable},
                      ClassCase{8, 11, 88.6f, EfficiencyClass::IE3},
                      ClassCase{8, 11, 86.8f, EfficiencyClass::BelowIE2},
                      ClassCase{10, 7.5f, 90.0f, EfficiencyClass::NotApplicable},
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

// The standard's rounded table (IEC 60034-30-1) at tabled powers: percent for 2 / 4 / 6 / 8
// poles, 0 where the program holds no figure. Typed from the table, not computed.
struct TabledLimits {
    EfficiencyClass cls;
    float kw;
    std::array<float, 4> limits;
};
constexpr EfficiencyClass IE1 = EfficiencyClass::IE1, IE2 = EfficiencyClass::IE2,
                          IE3 = EfficiencyClass::IE3, IE4 = EfficiencyClass::IE4;
const TabledLimits kTable[] = {
    {IE1, 0.75f, {72.1f, 72.1f, 70.0f, 0}},
    {IE1, 11, {87.6f, 87.6f, 86.4f, 0}},
    {IE1, 200, {94.0f, 94.0f, 94.0f, 0}},
    {IE1, 0.55f, {0, 0, 0, 0}},
    {IE2, 0.12f, {53.6f, 59.1f, 50.6f, 39.8f}},
    {IE3, 0.12f, {60.8f, 64.8f, 57.7f, 50.7f}},
    {IE4, 0.12f, {66.5f, 69.8f, 64.9f, 62.3f}},
    {IE3, 0.18f, {65.9f, 69.9f, 63.9f, 58.7f}},
    {IE3, 0.25f, {69.7f, 73.5f, 68.6f, 64.1f}},
    {IE3, 0.37f, {73.8f, 77.3f, 73.5f, 69.3f}},
    {IE3, 0.55f, {77.8f, 80.8f, 77.2f, 73.0f}},
    {IE2, 0.75f, {77.4f, 79.6f, 75.9f, 66.2f}},
    {IE3, 0.75f, {80.7f, 82.5f, 78.9f, 75.0f}},
    {IE4, 0.75f, {83.5f, 85.7f, 82.7f, 78.4f}},
    {IE2, 11, {89.4f, 89.8f, 88.7f, 86.9f}},
    {IE3, 11, {91.2f, 91.4f, 90.3f, 88.6f}},
    {IE4, 11, {92.6f, 93.3f, 92.3f, 90.4f}},
    {IE4, 75, {95.6f, 96.0f, 95.4f, 94.2f}},
    {IE2, 200, {95.0f, 95.1f, 95.0f, 93.5f}},
    {IE3, 200, {95.8f, 96.0f, 95.8f, 94.6f}},
    {IE4, 200, {96.5f, 96.7f, 96.3f, 95.4f}},
    {IE4, 1000, {96.5f, 96.7f, 96.3f, 95.4f}},
    {IE3, 315, {95.8f, 96.0f, 95.8f, 94.6f}},
    {IE3, 1100, {0, 0, 0, 0}},
    {IE3, 0.1f, {0, 0, 0, 0}},
};

// IE2 and IE3 for 2, 4 and 6 poles at every tabled power from 0.75 to 200 kW.
const float kPowers[] = {0.75f, 1.1f, 1.5f, 2.2f, 3,  4,  5.5f, 7.5f, 11,  15,  18.5f,
                         22,    30,   37,   45,   55, 75, 90,   110,  132, 160, 200};
const float kIE2[][3] = {
    {77.4f, 79.6f, 75.9f}, {79.6f, 81.4f, 78.1f}, {81.3f, 82.8f, 79.8f}, {83.2f, 84.3f, 81.8f},
    {84.6f, 85.5f, 83.3f}, {85.8f, 86.6f, 84.6f}, {87.0f, 87.7f, 86.0f}, {88.1f, 88.7f, 87.2f},
    {89.4f, 89.8f, 88.7f}, {90.3f, 90.6f, 89.7f}, {90.9f, 91.2f, 90.4f}, {91.3f, 91.6f, 90.9f},
    {92.0f, 92.3f, 91.7f}, {92.5f, 92.7f, 92.2f}, {92.9f, 93.1f, 92.7f}, {93.2f, 93.5f, 93.1f},
    {93.8f, 94.0f, 93.7f}, {94.1f, 94.2f, 94.0f}, {94.3f, 94.5f, 94.3f}, {94.6f, 94.7f, 94.6f},
    {94.8f, 94.9f, 94.8f}, {95.0f, 95.1f, 95.0f}};
const float kIE3[][3] = {
    {80.7f, 82.5f, 78.9f}, {82.7f, 84.1f, 81.0f}, {84.2f, 85.3f, 82.5f}, {85.9f, 86.7f, 84.3f},
    {87.1f, 87.7f, 85.6f}, {88.1f, 88.6f, 86.8f}, {89.2f, 89.6f, 88.0f}, {90.1f, 90.4f, 89.1f},
    {91.2f, 91.4f, 90.3f}, {91.9f, 92.1f, 91.2f}, {92.4f, 92.6f, 91.7f}, {92.7f, 93.0f, 92.2f},
    {93.3f, 93.6f, 92.9f}, {93.7f, 93.9f, 93.3f}, {94.0f, 94.2f, 93.7f}, {94.3f, 94.6f, 94.1f},
    {94.7f, 95.0f, 94.6f}, {95.0f, 95.2f, 94.9f}, {95.2f, 95.4f, 95.1f}, {95.4f, 95.6f, 95.4f},
    {95.6f, 95.8f, 95.6f}, {95.8f, 96.0f, 95.8f}};

TEST(ClassLimits, MatchTheStandardsTableAtItsTabledPowers) {
    const float poles[] = {2, 4, 6, 8};
    for (const TabledLimits& t : kTable)
        for (std::size_t p = 0; p < 4; ++p)
            EXPECT_FLOAT_EQ(EfficiencyClassLimit(t.cls, poles[p], t.kw), t.limits[p])
                << EfficiencyClassText(t.cls).toStdString() << " " << poles[p] << " poles " << t.kw
                << " kW";
    for (std::size_t i = 0; i < std::size(kPowers); ++i)
        for (std::size_t p = 0; p < 3; ++p) {
            EXPECT_FLOAT_EQ(EfficiencyClassLimit(IE2, poles[p], kPowers[i]), kIE2[i][p])
                << "IE2 " << poles[p] << " poles " << kPowers[i] << " kW";
            EXPECT_FLOAT_EQ(EfficiencyClassLimit(IE3, poles[p], kPowers[i]), kIE3[i][p])
                << "IE3 " << poles[p] << " poles " << kPowers[i] << " kW";
        }
    EXPECT_EQ(EfficiencyClassLimit(EfficiencyClass::NotRated, 4, 7.5f), 0.0f);
    EXPECT_EQ(EfficiencyClassLimit(IE3, 10, 7.5f), 0.0f);
}

TEST(ClassLimits, BetweenStepsFollowTheRegulationsFormula) {
    // IE3, 4 poles: A x^3 + B x^2 + C x + D with x = log10(kW), to a tenth.
    for (float kw : {0.9f, 5.0f, 9.0f, 27.0f, 63.0f, 180.0f}) {
        const double x = std::log10(double(kw));
        const double formula = 0.0773 * x * x * x - 1.8951 * x * x + 9.2984 * x + 83.7025;
        EXPECT_NEAR(EfficiencyClassLimit(IE3, 4, kw), formula, 0.05) << kw;
    }
}

// GB 18613-2020: grade 3 is IE3, grade 2 IE4; grade 1 (IE5) is never given; every class below
// IE3 is under the minimum.
TEST(Gb18613, GradesFollowTheClass) {
    const std::pair<EfficiencyClass, const char*> cases[] = {
        {IE4, "能效2级"},
        {IE3, "能效3级"},
        {IE2, "低于能效限定值"},
        {IE1, "低于能效限定值"},
        {EfficiencyClass::BelowIE1, "低于能效限定值"},
        {EfficiencyClass::BelowIE2, "低于能效限定值"},
        {EfficiencyClass::NotApplicable, ""},
        {EfficiencyClass::NotRated, ""}};
    for (const auto& [cls, text] : cases)
        EXPECT_EQ(Gb18613GradeText(cls), QString::fromUtf8(text)) << text;
    EXPECT_EQ(Gb18613Grade(IE4), 2);
    EXPECT_EQ(Gb18613Grade(IE3), 3);
    EXPECT_EQ(Gb18613Grade(IE2), std::nullopt);
    // At the boundary: 4 poles 11 kW reaches grade 2 at 93.3 %, grade 3 at 91.4 %.
    EXPECT_EQ(Gb18613Grade(ClassifyEfficiency(4, 11, 93.3f)), 2);
    EXPECT_EQ(Gb18613Grade(ClassifyEfficiency(4, 11, 93.2f)), 3);
    EXPECT_EQ(Gb18613Grade(ClassifyEfficiency(4, 11, 91.4f)), 3);
    EXPECT_EQ(Gb18613Grade(ClassifyEfficiency(4, 11, 91.3f)), std::nullopt);
}

TEST(ClassTexts, AreShort) {
    EXPECT_EQ(EfficiencyClassText(EfficiencyClass::IE3), QStringLiteral("IE3"));
    EXPECT_EQ(EfficiencyClassText(EfficiencyClass::BelowIE1), QStringLiteral("低于IE1"));
    EXPECT_EQ(EfficiencyClassText(EfficiencyClass::IE4), QStringLiteral("IE4"));
    EXPECT_TRUE(EfficiencyClassText(EfficiencyClass::NotRated).isEmpty());
}

} // namespace
} // namespace zr5
