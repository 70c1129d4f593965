#include <gtest/gtest.h>

#include "support/testnames.h"

#include "analysis/operatingpoint.h"

using namespace zr5;

namespace {

MotorParameters motor(float pn, float eff, float p0) {
    MotorParameters m = MotorParameters::fromValues({4, pn, 20, eff, 6, p0, 380});
    m.revalidate();
    return m;
}

TEST(OperatingPoint, WorkedCheck) {
    const MotorParameters m = motor(10, 80, 0.5f);
    EXPECT_FLOAT_EQ(m.RatedLosses, 2.5f);
    const auto op = ComputeMotorOperatingPoint(8.5f, m);
    ASSERT_TRUE(op);
    EXPECT_NEAR(op->LoadRate, 70.156f, 5e-4);
    EXPECT_NEAR(op->OutputPower, 7.0156f, 5e-4);
    EXPECT_NEAR(op->Efficiency, 82.537f, 5e-4);
}

TEST(OperatingPoint, RatedInputGivesRatedLoadAndEfficiency) {
    // P1 = PN + rated losses is the rated point: load rate 100 %, efficiency the rated one.
    const MotorParameters m = motor(11, 88, 0.45f);
    const auto op = ComputeMotorOperatingPoint(11.0f + m.RatedLosses, m);
    ASSERT_TRUE(op);
    EXPECT_NEAR(op->LoadRate, 100.0f, 1e-3);
    EXPECT_NEAR(op->Efficiency, 88.0f, 1e-3);
}

TEST(OperatingPoint, NoLoadDependentLossesGiveTheLinearModel) {
    // Rated losses equal to the no-load power: K = 0, no division by it.
    const MotorParameters m = motor(10, 80, 2.5f);
    const auto op = ComputeMotorOperatingPoint(7.5f, m);
    ASSERT_TRUE(op);
    EXPECT_FLOAT_EQ(op->LoadRate, 50.0f);
    EXPECT_FLOAT_EQ(op->OutputPower, 5.0f);
}

TEST(OperatingPoint, DataWithoutARealSolutionGiveNone) {
    // No-load power above the rated losses (K < 0) and a large input: r < 0.
    const MotorParameters m = motor(10, 90, 5.0f);
    EXPECT_TRUE(ComputeMotorOperatingPoint(6.0f, m)); // r still positive
    EXPECT_FALSE(ComputeMotorOperatingPoint(100.0f, m));
}

enum class Data { Complete, OneZero, NoLoadAboveLosses };

struct StateCase {
    const char* name;
    Data data;
    float p;
    MotorState state;
    MotorBoxes boxes;
    const char* caption;
    std::uint32_t colour;
};

class MotorStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(MotorStates, FirstMatchingRowDecides) {
    const StateCase& c = GetParam();
    MotorParameters m = motor(10, 80, 0.5f);
    if (c.data == Data::OneZero)
        m = MotorParameters::fromValues({4, 10, 20, 80, 0, 0.5f, 380}), m.revalidate();
    if (c.data == Data::NoLoadAboveLosses) // complete, but P0 = 5 kW above the losses of 1.1 kW
        m = motor(10, 90, 5.0f);
    const OperatingPoint previous{55, 5.5f, 77};
    const MotorStateDecision d = ClassifyMotorState(c.p, m, previous, ClassifyCaller::AnalyseRow);
    EXPECT_EQ(d.state, c.state) << c.name;
    EXPECT_EQ(d.boxes, c.boxes) << c.name;
    EXPECT_EQ(d.caption, QString::fromUtf8(c.caption)) << c.name;
    EXPECT_EQ(d.colour, c.colour) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MotorStates,
    ::testing::Values(StateCase{"running", Data::Complete, 8.5f, MotorState::Normal,
                                MotorBoxes::ShowValues, "电动机运行数据", 0},
                      // the computation needs the input strictly above the no-load power
                      StateCase{"at no-load power", Data::Complete, 0.5f, MotorState::BelowNoLoad,
                                MotorBoxes::ShowZeros, "输入功率 小于 空载功率", 255},
                      StateCase{"zero input", Data::Complete, 0.0f, MotorState::BelowNoLoad,
                                MotorBoxes::ShowZeros, "输入功率 小于 空载功率", 255},
                      StateCase{"generating", Data::Complete, -0.001f, MotorState::Generating,
                                MotorBoxes::Clear, "电动机处于发电状态", 255},
                      StateCase{"one value zero", Data::OneZero, 8.5f, MotorState::NoMotorData,
                                MotorBoxes::Unchanged, "无电机参数或参数不全", 255},
                      // complete data without a solution are not called missing
                      StateCase{"no-load power above losses", Data::NoLoadAboveLosses, 100.0f,
                                MotorState::NoMotorData, MotorBoxes::Unchanged,
                                "电机参数不合理：空载功率大于额定损耗", 255}),
    zr5::test::ByName());

TEST(MotorStateValues, WhoKeepsWhatBetweenRows) {
    const MotorParameters m = motor(10, 80, 0.5f);
    const OperatingPoint previous{55, 5.5f, 77};
    // generating keeps the previous row's values
    const MotorStateDecision gen = ClassifyMotorState(-1, m, previous, ClassifyCaller::AnalyseRow);
    EXPECT_EQ(gen.LoadRate, 55.0f);
    EXPECT_EQ(gen.Efficiency, 77.0f);
    // below no-load sets them to zero
    const MotorStateDecision low =
        ClassifyMotorState(0.2f, m, previous, ClassifyCaller::AnalyseRow);
    EXPECT_EQ(low.LoadRate, 0.0f);
    EXPECT_EQ(low.OutputPower, 0.0f);
    // without motor data the pass resets them, a query's single-row display leaves them
    MotorParameters none;
    none.revalidate();
    EXPECT_EQ(ClassifyMotorState(5, none, previous, ClassifyCaller::AnalyseRow).Efficiency, 0.0f);
    EXPECT_EQ(ClassifyMotorState(5, none, previous, ClassifyCaller::SingleRowDisplay).Efficiency,
              77.0f);
    // inconsistent data read as incomplete, never as a non-number
    const MotorStateDecision bad =
        ClassifyMotorState(100, motor(10, 90, 5.0f), previous, ClassifyCaller::AnalyseRow);
    EXPECT_EQ(bad.state, MotorState::NoMotorData);
    EXPECT_EQ(bad.LoadRate, 0.0f);
}

} // namespace
