#include <gtest/gtest.h>

#include "analysis/rowdisplay.h"
#include "model/numbertext.h"

using namespace zr5;

namespace {
MotorStateDecision Decision(MotorState state, MotorBoxes boxes, const char* caption) {
    MotorStateDecision d;
    d.state = state;
    d.boxes = boxes;
    d.caption = QString::fromUtf8(caption);
    d.LoadRate = 70.156f;
    d.Efficiency = 82.537f;
    d.OutputPower = 7.0156f;
    return d;
}
} // namespace

TEST(FormatRowDisplay, MagnitudesExceptTheTotalActivePowerWhichKeepsItsSign) {
    SampleRowValues row{-12.5f, 220, -3.25f, 11, 221, -1.5f, 10, 219, -0.8f, 4.1f, 100, 50};
    const RowDisplay d = FormatRowDisplay(row, SplitSeconds(3725.5f),
                                          Decision(MotorState::Generating, MotorBoxes::Clear, "x"));
    EXPECT_EQ(d.boxes[0], QStringLiteral(" 12.500"));
    EXPECT_EQ(d.boxes[2], FormatValue(-3.25f));
    EXPECT_EQ(d.boxes[15], FormatValue(-3.25f));
    EXPECT_EQ(d.boxes[5], QStringLiteral(" 1.500"));
    EXPECT_EQ(d.boxes[8], QStringLiteral(" 0.800"));
    EXPECT_EQ(d.powerFactorLabel, QStringLiteral("L"));
    EXPECT_EQ(d.boxes[12].trimmed(), QStringLiteral("1"));
    EXPECT_EQ(d.boxes[13].trimmed(), QStringLiteral("2"));
    EXPECT_EQ(d.boxes[14].trimmed(), QStringLiteral("5"));
    EXPECT_EQ(d.boxes[19].trimmed(), QStringLiteral("50"));
}

TEST(FormatRowDisplay, ThePowerFactorLabelIsCUnlessItIsNegative) {
    for (float pf : {1.0f, 0.0f, 0.5f}) {
        SampleRowValues row{};
        row[8] = pf;
        EXPECT_EQ(FormatRowDisplay(row, {}, {}).powerFactorLabel, QStringLiteral("C")) << pf;
    }
}

TEST(FormatRowDisplay, TheMotorBoxesFollowTheMotorState) {
    SampleRowValues row{};
    row[2] = 8.5f;
    const RowDisplay normal = FormatRowDisplay(
        row, {}, Decision(MotorState::Normal, MotorBoxes::ShowValues, "电动机运行数据"));
    EXPECT_EQ(normal.boxes[16], QStringLiteral(" 7.016"));
    EXPECT_EQ(normal.boxes[17], QStringLiteral(" 82.537"));
    EXPECT_EQ(normal.boxes[18], QStringLiteral(" 70.156"));
    EXPECT_EQ(normal.motorCaption, QStringLiteral("电动机运行数据"));

    const RowDisplay zeros = FormatRowDisplay(
        row, {},
        Decision(MotorState::BelowNoLoad, MotorBoxes::ShowZeros, "输入功率 小于 空载功率"));
    for (int k = 16; k <= 18; ++k)
        EXPECT_EQ(zeros.boxes[std::size_t(k)], QStringLiteral(" 0.000"));

    const RowDisplay none = FormatRowDisplay(
        row, {}, Decision(MotorState::NoMotorData, MotorBoxes::Unchanged, "无电机参数或参数不全"));
    EXPECT_EQ(none.motorBoxes, MotorBoxes::Unchanged);
}
