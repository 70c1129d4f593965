// The auditor's measures in the assessment: the better-class motors with their payback and CO₂,
// the capacitor and its cap, the supply's unbalance and derating, and the settings file.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cmath>

#include "assessment/assessmentfigures.h"
#include "settings/datadirectory.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

struct Row {
    float p, q;       // kW, kvar
    float out;        // kW
    float v1, v2, v3; // V
    float i1, i2, i3; // A
};

// Normal rows of rowHours each through the collector, behind a motor of the catalogue.
RecordingAssessment Collect(const std::array<float, 7>& motor, const std::vector<Row>& rows,
                            double rowHours, double recordingHours, bool threePhases = true,
                            const AssessmentSettings& settings = {}) {
    AssessmentCollector collector(MotorParameters::fromValues(motor), settings, rowHours,
                                  threePhases);
    for (const Row& r : rows) {
        MeasurementModel model;
        model.SampleRow[Slot::ActivePower] = r.p;
        model.SampleRow[Slot::ReactivePower] = r.q;
        model.SampleRow[Slot::Voltage1] = r.v1;
        model.SampleRow[Slot::Voltage2] = r.v2;
        model.SampleRow[Slot::Voltage3] = r.v3;
        model.SampleRow[Slot::Current1] = r.i1;
        model.SampleRow[Slot::Current2] = r.i2;
        model.SampleRow[Slot::Current3] = r.i3;
        model.OutputPower = r.out;
        model.LoadRate = 100 * r.out / motor[1];
        MotorStateDecision decision;
        decision.state = MotorState::Normal;
        collector.add({1, 0, model, decision});
    }
    return collector.finish(recordingHours);
}

const std::array<float, 7> kY160M4{4, 11, 22.6f, 88, 8.05f, 0.45f, 380};
const std::array<float, 7> kY280M4{4, 90, 164.3f, 93.5f, 47.22f, 1.877f, 380};

} // namespace

// The capacitor for two catalogue motors, both running at a power factor of 0.8 (P 8 or 80 kW,
// Q 6 or 60 kvar) for an hour of two rows, brought to 0.95: tan φ1 = 0.75,
// tan φ2 = √(1 − 0.95²)/0.95 = 0.328684, Qc = P (0.75 − 0.328684).
// Y160M-4: S0 = √3 · 380 V · 8.05 A = 5.29834 kVA, Q0 = √(5.29834² − 0.45²) = 5.27920 kvar,
// 0.9 Q0 = 4.75128 > Qc = 3.37053: all of it at the motor.
// Y280M-4: S0 = √3 · 380 V · 47.22 A = 31.0795 kVA, Q0 = √(31.0795² − 1.877²) = 31.0225 kvar,
// 0.9 Q0 = 27.9202 < Qc = 33.7053: 27.9202 at the motor, 5.7850 at the bus.
// A year of 6000 h: Qc · 6000 kvarh, worth KQ 0.05 of it in kWh at 0.8 元.
TEST(Measures, CapacitorToTheTargetAndTheSelfExcitationCap) {
    struct Case {
        const char* name;
        std::array<float, 7> motor;
        float p, q;
        double qc, q0, atMotor, atBus;
    };
    const Case cases[] = {
        {"Y160M-4", kY160M4, 8, 6, 3.370527, 5.279199, 3.370527, 0},
        {"Y280M-4", kY280M4, 80, 60, 33.705272, 31.022495, 27.920246, 5.785026},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Row row{c.p, c.q, c.p * 0.9f, 380, 380, 380, 10, 10, 10};
        const RecordingAssessment a = Collect(c.motor, {row, row}, 0.5, 1.0);
        ASSERT_TRUE(a.powerFactor.has_value()) << a.powerFactorNote.toStdString();
        const PowerFactorCorrection& pf = *a.powerFactor;
        EXPECT_NEAR(pf.meanPowerFactor, 0.8, 1e-6);
        EXPECT_NEAR(pf.capacitorKvar, c.qc, 1e-5);
        EXPECT_NEAR(pf.noLoadKvar, c.q0, 1e-4);
        EXPECT_NEAR(pf.atMotorKvar, c.atMotor, 1e-4);
        EXPECT_NEAR(pf.atBusKvar, c.atBus, 1e-4);
        EXPECT_NEAR(pf.annualReactiveKvarh, c.qc * 6000, 0.1);
        EXPECT_NEAR(pf.saving.annualKwh, 0.05 * c.qc * 6000, 0.01);
        EXPECT_NEAR(pf.saving.annualMoney, 0.8 * 0.05 * c.qc * 6000, 0.01);

        const QJsonObject json = FigureListJson(AssessmentFigures(a, 1.0));
        const QJsonObject o = json.value(QLatin1String("power_factor")).toObject();
        EXPECT_NEAR(o.value(QLatin1String("capacitor_kvar")).toDouble(), c.qc, 1e-5);
        EXPECT_NEAR(o.value(QLatin1String("capacitor_at_motor_kvar")).toDouble(), c.atMotor, 1e-4);
        EXPECT_EQ(o.value(QLatin1String("capacitor_note")).isNull(), c.atBus == 0);
        for (const char* key :
             {"mean_power_factor", "target_power_factor", "no_load_reactive_kvar",
              "annual_reactive_avoided_kvarh", "annual_saving_kwh", "annual_saving_money"})
            EXPECT_TRUE(o.value(QLatin1String(key)).isDouble()) << key;
    }
    // Already at the target: no capacitor.
    const Row good{9.5f, 2, 8.5f, 380, 380, 380, 10, 10, 10};
    EXPECT_EQ(Collect(kY160M4, {good}, 0.5, 0.5).powerFactor->capacitorKvar, 0.0);
}

// Y160M-4 (88 %, 1.5 kW rated losses of which 0.45 kW at no load) giving 8.75 kW out of 10 kW in
// for half an hour of a two-hour recording. IE3 at 91.4 %: losses 11 (100/91.4 − 1) = 1.035011 kW,
// 0.310503 at no load, so 8.75 + 0.310503 + 0.724508 (8.75/11)² = 9.518934 kW in: 0.240533 kWh
// saved, 721.60 kWh and 577.28 元 a year. At 400 元/kW the motor costs 4400 元: payback 7.622
// years, 15 years give 15 · 577.28 − 4400 = 4259.19 元, and 721.60 kWh · 0.5703 = 411.53 kg CO₂.
// IE4 at 93.3 %: 994.72 kWh, 795.78 元 a year, 6050 元, 7.603 years, 5886.63 元, 567.29 kg.
TEST(Measures, ReplacementsPayBackAndAvoidCo2) {
    const Row row{10, 0, 8.75f, 0, 0, 0, 0, 0, 0};
    const RecordingAssessment a = Collect(kY160M4, {row}, 0.5, 2.0);
    ASSERT_EQ(a.replacements.size(), 2u);
    struct Expect {
        const char* cls;
        double eta, annualKwh, money, payback, lifeCycle, co2;
    };
    const Expect expects[] = {{"IE3", 91.4, 721.599, 577.279, 7.62196, 4259.19, 411.528},
                              {"IE4", 93.3, 994.719, 795.775, 7.60265, 5886.63, 567.288}};
    const QJsonArray list =
        FigureListJson(AssessmentFigures(a, 2.0)).value(QLatin1String("replacement")).toArray();
    ASSERT_EQ(list.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const Expect& x = expects[i];
        const Replacement& r = a.replacements[std::size_t(i)];
        SCOPED_TRACE(x.cls);
        EXPECT_EQ(r.cls, QString::fromLatin1(x.cls));
        EXPECT_NEAR(r.ratedEfficiency, x.eta, 1e-5);
        EXPECT_NEAR(r.saving.annualKwh, x.annualKwh, 0.01);
        EXPECT_NEAR(r.saving.annualMoney, x.money, 0.01);
        EXPECT_NEAR(r.paybackYears, x.payback, 1e-4);
        EXPECT_NEAR(r.lifeCycleMoney, x.lifeCycle, 0.05);
        EXPECT_NEAR(r.co2KgPerYear, x.co2, 0.01);
        const QJsonObject o = list[i].toObject();
        EXPECT_EQ(o.value(QLatin1String("class")).toString(), QString::fromLatin1(x.cls));
        EXPECT_NEAR(o.value(QLatin1String("payback_years")).toDouble(), x.payback, 1e-4);
        EXPECT_NEAR(o.value(QLatin1String("co2_avoided_kg_per_year")).toDouble(), x.co2, 0.01);
        for (const char* key : {"rated_efficiency_pct", "saving_kwh", "annual_saving_kwh",
                                "annual_saving_money", "life_cycle_saving_money"})
            EXPECT_TRUE(o.value(QLatin1String(key)).isDouble()) << key;
    }
    // The class of the motor and its grade: 88 % at 11 kW, 4 poles, is IE1 (87.6), below GB 18613.
    const QJsonObject json = FigureListJson(AssessmentFigures(a, 2.0));
    EXPECT_EQ(json.value(QLatin1String("efficiency_class")).toString(), QStringLiteral("IE1"));
    EXPECT_TRUE(json.value(QLatin1String("gb18613_grade")).isNull());
    EXPECT_TRUE(FigureListText(AssessmentFigures(a, 2.0))
                    .contains(QStringLiteral("GB 18613-2020 能效等级：—（低于能效限定值）")));
    // The measure that saves most is named: IE4 here.
    EXPECT_TRUE(AssessmentVerdict(a, 2.0, 11).contains(QStringLiteral("建议更换为 IE4 级电动机")))
        << AssessmentVerdict(a, 2.0, 11).toStdString();

    // Without operating hours nothing is saved and nothing pays back.
    AssessmentSettings none;
    none.hoursPerYear = 0;
    const RecordingAssessment idle = Collect(kY160M4, {row}, 0.5, 2.0, true, none);
    EXPECT_TRUE(std::isnan(idle.replacements[0].paybackYears));
    EXPECT_TRUE(FigureListJson(AssessmentFigures(idle, 2.0))
                    .value(QLatin1String("replacement"))
                    .toArray()[0]
                    .toObject()
                    .value(QLatin1String("payback_years"))
                    .isNull());
}

// Four rows of 7.5 minutes behind the Y160M-4: balanced, one phase 5 % high twice (3.27869 %,
// its current 23 A against 20 A: 9.52381 %), balanced again. The 15-minute window holds two rows:
// its largest mean is the two high rows', 3.27869 %, derated 0.88 − 0.06 · 0.27869 = 0.863279,
// 9.49607 kW of 11 kW; the first row (10 kW out) and the third (11.5 kW, above the rating)
// exceed it.
TEST(Measures, SupplyUnbalanceHoursAndDeratedCapacity) {
    const std::vector<Row> rows = {{11, 0, 10, 380, 380, 380, 20, 20, 20},
                                   {10, 0, 9, 399, 380, 380, 23, 20, 20},
                                   {12.5f, 0, 11.5f, 399, 380, 380, 20, 20, 20},
                                   {6, 0, 5, 380, 380, 380, 20, 20, 20}};
    const RecordingAssessment a = Collect(kY160M4, rows, 0.125, 0.5);
    ASSERT_TRUE(a.supply.has_value()) << a.supplyNote.toStdString();
    const SupplyUnbalance& u = *a.supply;
    const double high = 100.0 / 30.5;
    EXPECT_NEAR(u.voltageMean, high / 2, 1e-5);
    EXPECT_NEAR(u.voltageMax, high, 1e-5);
    EXPECT_NEAR(u.currentMean, 100.0 * 2 / 21 / 4, 1e-5);
    EXPECT_NEAR(u.currentMax, 100.0 * 2 / 21, 1e-5);
    EXPECT_NEAR(u.hoursVoltageAbove[0], 0.25, 1e-12);
    EXPECT_NEAR(u.hoursVoltageAbove[1], 0.25, 1e-12);
    EXPECT_EQ(u.hoursVoltageAbove[2], 0.0);
    EXPECT_NEAR(u.sustainedVoltage, high, 1e-5);
    ASSERT_TRUE(u.derating.has_value());
    EXPECT_NEAR(*u.derating, 0.863279, 1e-6);
    EXPECT_NEAR(u.deratedCapacity, 9.496066, 1e-5);
    EXPECT_NEAR(u.hoursAboveDerated, 0.25, 1e-12);
    const QJsonObject s =
        FigureListJson(AssessmentFigures(a, 0.5)).value(QLatin1String("supply")).toObject();
    EXPECT_NEAR(s.value(QLatin1String("derated_capacity_kw")).toDouble(), 9.496066, 1e-5);
    EXPECT_NEAR(s.value(QLatin1String("hours_voltage_unbalance_above_1_pct")).toDouble(), 0.25,
                1e-12);
    for (const char* key :
         {"voltage_unbalance_mean_pct", "voltage_unbalance_max_pct", "current_unbalance_mean_pct",
          "current_unbalance_max_pct", "hours_voltage_unbalance_above_2_pct",
          "hours_voltage_unbalance_above_5_pct", "derating_factor", "hours_above_derated_capacity"})
        EXPECT_TRUE(s.value(QLatin1String(key)).isDouble()) << key;

    // One high row between balanced ones: its 3.27869 % is the largest, but only half of it
    // lasts the window: 1.63934 %, derated 1 − 0.05 · 0.63934 = 0.968033.
    const std::vector<Row> spike = {{11, 0, 10, 380, 380, 380, 20, 20, 20},
                                    {10, 0, 9, 399, 380, 380, 20, 20, 20},
                                    {11, 0, 10, 380, 380, 380, 20, 20, 20}};
    const RecordingAssessment brief = Collect(kY160M4, spike, 0.125, 0.375);
    ASSERT_TRUE(brief.supply.has_value());
    EXPECT_NEAR(brief.supply->voltageMax, high, 1e-5);
    EXPECT_NEAR(brief.supply->sustainedVoltage, high / 2, 1e-5);
    EXPECT_NEAR(brief.supply->derating.value_or(0), 0.968033, 1e-6);
    // Shorter than the window: the whole recording's mean.
    EXPECT_NEAR(Collect(kY160M4, {spike[1]}, 0.125, 0.125).supply->sustainedVoltage, high, 1e-5);

    // Above 5 % sustained the motor should not run: no derating, and the verdict says so.
    const std::vector<Row> bad(3, Row{10, 0, 9, 420, 380, 380, 20, 20, 20});
    const RecordingAssessment b = Collect(kY160M4, bad, 0.125, 0.375);
    ASSERT_TRUE(b.supply.has_value());
    EXPECT_FALSE(b.supply->derating.has_value());
    EXPECT_TRUE(FigureListJson(AssessmentFigures(b, 0.375))
                    .value(QLatin1String("supply"))
                    .toObject()
                    .value(QLatin1String("derating_factor"))
                    .isNull());
    EXPECT_TRUE(AssessmentVerdict(b, 0.375, 11).contains(QStringLiteral("电动机不应运行")));

    // Two wattmeters: no three phases, no supply figures.
    const RecordingAssessment two = Collect(kY160M4, rows, 0.125, 0.5, false);
    EXPECT_FALSE(two.supply.has_value());
    const FigureList list = AssessmentFigures(two, 0.5);
    EXPECT_TRUE(FigureListJson(list).value(QLatin1String("supply")).isNull());
    EXPECT_TRUE(FigureListText(list).contains(QStringLiteral("不适用")));
}

// "Assess.dat" of the three original lines reads with the new settings' defaults and no
// complaint; the whole file round-trips; a power-factor target above 1 is refused.
TEST(Measures, AssessDatOldFileReadsWithDefaults) {
    QTemporaryDir dir;
    const DataDirectory data(dir.path());
    QFile old(data.file(QStringLiteral("Assess.dat")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("0.07\r\n5000\r\n0.6\r\n");
    old.close();
    const auto [s, problems] = ReadAssessmentSettings(data);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    EXPECT_EQ(s.KQ, 0.07);
    EXPECT_EQ(s.hoursPerYear, 5000);
    EXPECT_EQ(s.price, 0.6);
    EXPECT_EQ(s.ie3PricePerKw, 400);
    EXPECT_EQ(s.ie4PricePerKw, 550);
    EXPECT_EQ(s.lifeCycleYears, 15);
    EXPECT_EQ(s.emissionFactor, 0.5703);
    EXPECT_EQ(s.pfTarget, 0.95);

    AssessmentSettings all = s;
    all.ie3PricePerKw = 420;
    all.ie4PricePerKw = 600;
    all.lifeCycleYears = 20;
    all.emissionFactor = 0.5366;
    all.pfTarget = 0.9;
    ASSERT_TRUE(test::Succeeded(WriteAssessmentSettings(data, all)));
    const auto [back, backProblems] = ReadAssessmentSettings(data);
    EXPECT_TRUE(backProblems.isEmpty()) << backProblems.join('\n').toStdString();
    EXPECT_EQ(back.ie3PricePerKw, 420);
    EXPECT_EQ(back.ie4PricePerKw, 600);
    EXPECT_EQ(back.lifeCycleYears, 20);
    EXPECT_EQ(back.emissionFactor, 0.5366);
    EXPECT_EQ(back.pfTarget, 0.9);

    ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write("0.07\r\n5000\r\n0.6\r\n400\r\n550\r\n15\r\n0.5703\r\n1.5\r\n");
    old.close();
    const TolerantRead<AssessmentSettings> bad = ReadAssessmentSettings(data);
    EXPECT_EQ(bad.value.pfTarget, 0.95);
    ASSERT_EQ(bad.problems.size(), 1);
    EXPECT_TRUE(bad.problems[0].contains(QStringLiteral("第 8 行")))
        << bad.problems[0].toStdString();
}

// The verdict names the measure that saves most: a better motor, or the capacitor (with the part
// at the bus when the cap holds it back).
TEST(Measures, VerdictNamesTheMeasureThatSavesMost) {
    struct Case {
        double ie4Kwh, capacitorKwh, capacitor, atMotor;
        const char* advice;
    };
    const Case cases[] = {
        {0.3, 1.7, 33.705, 27.920,
         "，建议补偿电容 33.7 kvar（电动机处 27.9 kvar，其余在母线），年节电约"},
        {0.3, 0.2, 33.705, 27.920, "，建议更换为 IE4 级电动机，年节电约"},
        {0.1, 0.2, 3.37, 3.37, "，建议在电动机处补偿电容 3.4 kvar，年节电约"},
        {0, 0, 0, 0, "，无需更换。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.advice);
        RecordingAssessment a;
        a.economics = MotorEconomics{};
        a.hoursPerYear = 6000;
        a.zoneHours = {1, 0, 0, 0};
        a.replacements.push_back({QStringLiteral("IE4"), 93.3, {c.ie4Kwh, c.ie4Kwh * 6000, 0}});
        PowerFactorCorrection pf;
        pf.capacitorKvar = c.capacitor;
        pf.atMotorKvar = c.atMotor;
        pf.atBusKvar = c.capacitor - c.atMotor;
        pf.saving = {c.capacitorKwh, c.capacitorKwh * 6000, 0};
        a.powerFactor = pf;
        const QString verdict = AssessmentVerdict(a, 1.0, 11);
        EXPECT_TRUE(verdict.contains(QString::fromUtf8(c.advice))) << verdict.toStdString();
    }
}

// The pass hands the collector its rows a block at a time; however the rows fall into blocks,
// every sum takes them in order. Six rows of 0.125 h behind the 11 kW motor, worked by hand:
// three normal (10, 9 and 11.5 kW out, the last above the rating), one below the no-load power,
// one generating and one without motor data. Rows 2 and 3 have 399/380/380 V: 3.27869 %.
TEST(Measures, BlocksOfAnySizeCollectAsTheRowsCame) {
    struct In {
        float p, out, v1, i1;
        MotorState state;
    };
    const In in[] = {
        {11, 10, 380, 20, MotorState::Normal},       {10, 9, 399, 23, MotorState::Normal},
        {12.5f, 11.5f, 399, 20, MotorState::Normal}, {0.25f, 0, 380, 20, MotorState::BelowNoLoad},
        {-2, 0, 0, 0, MotorState::Generating},       {1.5f, 0, 0, 0, MotorState::NoMotorData}};
    std::vector<CompletedRow> rows;
    for (const In& r : in) {
        CompletedRow row{};
        row.sample[Slot::ActivePower] = r.p;
        row.sample[Slot::Voltage1] = r.v1;
        row.sample[Slot::Voltage2] = row.sample[Slot::Voltage3] = r.v1 > 0 ? 380 : 0;
        row.sample[Slot::Current1] = r.i1;
        row.sample[Slot::Current2] = row.sample[Slot::Current3] = r.i1 > 0 ? 20 : 0;
        if (r.state == MotorState::Normal)
            row.values = {100 * r.out / 11, r.out, 0};
        row.state = r.state;
        rows.push_back(row);
    }
    const double high = 100.0 / 30.5;
    for (const std::vector<std::size_t>& sizes : std::vector<std::vector<std::size_t>>{
             {6}, {1, 1, 1, 1, 1, 1}, {4, 2}, {1, 5}, {2, 3, 1}}) {
        SCOPED_TRACE(testing::PrintToString(sizes));
        AssessmentCollector collector(MotorParameters::fromValues(kY160M4), {}, 0.125, true);
        std::size_t first = 0;
        for (std::size_t n : sizes) {
            CumulativeBlock block;
            block.firstRow = qint64(first) + 1;
            block.rows.assign(rows.begin() + std::ptrdiff_t(first),
                              rows.begin() + std::ptrdiff_t(first + n));
            collector.add(block);
            first += n;
        }
        const RecordingAssessment a = collector.finish(0.75);
        EXPECT_EQ(a.stateHours, (std::array<double, 4>{0.375, 0.125, 0.125, 0.125}));
        std::array<double, 13> bands{};
        bands[0] = bands[8] = bands[9] = bands[10] = 0.125;
        EXPECT_EQ(a.loadBandHours, bands);
        double zoned = 0;
        for (double h : a.zoneHours)
            zoned += h;
        EXPECT_EQ(zoned, 0.5);
        EXPECT_NEAR(a.inputEnergy, 35.25 * 0.125, 1e-12);
        EXPECT_NEAR(a.outputEnergy, 30.5 * 0.125, 1e-12);
        EXPECT_NEAR(a.largestOutput, 11.5, 1e-6);
        EXPECT_NEAR(a.meanLoadRate, 100 * 30.5 / 33, 1e-4);
        ASSERT_TRUE(a.supply.has_value());
        EXPECT_NEAR(a.supply->voltageMean, high / 2, 1e-5);
        EXPECT_NEAR(a.supply->voltageMax, high, 1e-5);
        EXPECT_NEAR(a.supply->currentMax, 100.0 * 2 / 21, 1e-5);
        EXPECT_EQ(a.supply->hoursVoltageAbove, (std::array<double, 3>{0.25, 0.25, 0}));
    }
    // Each row's hours are added one at a time: ten rows of 0.1 h make 0.9999999999999999 h, not
    // the 1 h of ten times 0.1, whether the rows come in one block or in two.
    for (std::size_t split : {std::size_t(10), std::size_t(3)}) {
        AssessmentCollector collector(MotorParameters::fromValues(kY160M4), {}, 0.1, true);
        const std::vector<CompletedRow> ten(10, rows[0]);
        CumulativeBlock block;
        block.rows.assign(ten.begin(), ten.begin() + std::ptrdiff_t(split));
        collector.add(block);
        block.rows.assign(ten.begin() + std::ptrdiff_t(split), ten.end());
        collector.add(block);
        const RecordingAssessment a = collector.finish(1);
        EXPECT_EQ(a.stateHours[0], 0.9999999999999999) << split;
        EXPECT_EQ(a.loadBandHours[9], 0.9999999999999999) << split;
    }
}
