#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <cmath>
#include <limits>

#include "assessment/assessmentfigures.h"

using namespace zr5;

namespace {

// A JSON value by its path: keys and array indices separated by "/".
QJsonValue At(const QJsonObject& root, const char* path) {
    QJsonValue v = root;
    for (const QString& part : QString::fromLatin1(path).split(QLatin1Char('/'))) {
        bool isIndex = false;
        const int index = part.toInt(&isIndex);
        v = isIndex ? v.toArray().at(index) : v.toObject().value(part);
    }
    return v;
}

std::string Compact(const QJsonValue& v) {
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}

// Two hours of a motor whose method applies: 1.5 h normal, 0.25 h below the no-load power and
// 0.25 h generating; its figures set so that every rendering can be checked by hand.
RecordingAssessment Applies() {
    RecordingAssessment a;
    MotorEconomics e;
    e.betaJ = 0.5;
    e.betaJJ = 0.55;
    e.ratedComprehensiveEfficiency = 90.25;
    a.economics = e;
    a.stateHours = {1.5, 0.25, 0.25, 0};
    a.zoneHours = {1.0, 0.5, 0.25, 0};
    a.inputEnergy = 1234567.89;
    a.outputEnergy = 1000000.5;
    a.lossEnergy = 200000.25;
    a.reactiveEnergy = 0.1 + 0.2; // 0.30000000000000004 in double
    a.weightedEfficiency = 83.3333333333333333;
    a.comprehensiveEfficiency = 80;
    a.meanLoadRate = 47.5;
    a.replacements.push_back({QStringLiteral("IE3"), 91.4f, {0.1715, 1029.0, 823.2}});
    a.rightSize = RightSize{36, QStringLiteral("Y132M-4 B3"), 7.5, {2.0, 6000.0, 4800.004}};
    return a;
}

// Four rows of half an hour each through the collector, one per motor state, behind an
// 11 kW motor: normal at 10 kW in (8.75 kW out, 80 % load), 0.25 kW in below its 0.45 kW
// no-load power, generating at -2 kW, and 1.5 kW in a row the pass found no motor data for.
// Every value is exact in single precision.
RecordingAssessment Collected(double hoursPerYear) {
    const MotorParameters motor =
        MotorParameters::fromValues({4, 11, 22.6f, 88, 8.05f, 0.45f, 380});
    AssessmentSettings settings;
    settings.hoursPerYear = hoursPerYear;
    AssessmentCollector collector(motor, settings, 0.5);
    const struct {
        float p;
        MotorState state;
    } rows[] = {{10, MotorState::Normal},
                {0.25f, MotorState::BelowNoLoad},
                {-2, MotorState::Generating},
                {1.5f, MotorState::NoMotorData}};
    for (const auto& r : rows) {
        MeasurementModel model;
        model.SampleRow[Slot::ActivePower] = r.p;
        if (r.state == MotorState::Normal) {
            model.OutputPower = 8.75f;
            model.LoadRate = 80;
        }
        MotorStateDecision decision;
        decision.state = r.state;
        collector.add({1, 0, model, decision});
    }
    return collector.finish(2.0);
}

// No motor data: the method does not apply and no figure of it is shown as if measured.
RecordingAssessment NoMotorData() {
    RecordingAssessment a;
    a.inapplicable = QStringLiteral("电机参数不全");
    a.stateHours = {0, 0, 0, 2.0};
    a.inputEnergy = 3.25;
    a.stateInputEnergy = {0, 0, 0, 3.25};
    a.rightSizeNote = QStringLiteral("没有电动机数据");
    return a;
}

} // namespace

// The keyed list rendered as text (the window's and the page's rows, and the tool's text) and as
// JSON: figures worked by hand, doubles to 15 significant digits, the single-precision class
// efficiency as its own short text, and "—" with the reason where there is no value.
TEST(AssessmentFigures, TextAndJsonShowTheFiguresWorkedByHand) {
    struct Expect {
        const char* path; // in the JSON object
        QJsonValue json;  // the value read back; null for a figure without value
        const char* line; // the text's line of that figure, or nullptr
    };
    struct Case {
        const char* name;
        RecordingAssessment a;
        std::vector<Expect> expects;
    };
    const Case cases[] = {
        {"method applies",
         Applies(),
         {
             {"economic_load_rate_pct", 50.0, "  经济负载率 βJ：50.000 %"},
             // 100 x 0.55 is 55.00000000000001 in double, 100 x 0.55 x 0.55 30.250000000000007.
             {"comprehensive_economic_load_rate_pct", 55.0, "  综合经济负载率 βJJ：55.000 %"},
             {"general_zone_lower_pct", 30.25, "  一般运行区下限 βJJ²：30.250 %"},
             {"state_hours/normal", 1.5, "  正常运行：1.500 h（75.000%）"},
             {"state_hours/below_no_load", 0.25, "  输入低于空载功率：0.250 h（12.500%）"},
             {"zone_hours/general", 0.5, "  一般运行区：0.500 h（25.000%）"},
             {"input_energy_kwh", 1234567.89, "  输入电量：1234567.890 kWh"},
             {"output_energy_kwh", 1000000.5, "  输出电量：1000000.500 kWh"},
             {"reactive_energy_kvarh", 0.3, "  无功电量：0.300 kvarh"},
             {"weighted_efficiency_pct", 83.3333333333333, "  加权效率：83.333 %"},
             {"replacement/0/class", QStringLiteral("IE3"), "更换为 IE3 电动机"},
             {"replacement/0/rated_efficiency_pct", 91.4, "  额定效率：91.400 %"},
             {"replacement/0/annual_saving_money", 823.2, "  年节约电费：823.20 元"},
             {"right_size/code", 36, "合适容量：Y132M-4 B3（编码 36）"},
             {"right_size/model", QStringLiteral("Y132M-4 B3"), nullptr},
             {"right_size/rated_power", 7.5, "  额定功率：7.500 kW"},
             {"right_size/annual_saving_money", 4800.004, "  年节约电费：4800.00 元"},
             {"inapplicable", QJsonValue::Null, nullptr},
         }},
        {"no motor data",
         NoMotorData(),
         {
             {"economic_load_rate_pct", QJsonValue::Null, "  经济负载率 βJ：—（电机参数不全）"},
             {"zone_hours/economic", QJsonValue::Null, "  经济运行区：—（电机参数不全）"},
             {"state_hours/no_motor_data", 2.0, "  无电机参数：2.000 h（100.000%）"},
             {"input_energy_kwh", 3.25, "  输入电量：3.250 kWh"},
             {"inapplicable", QStringLiteral("电机参数不全"), "  经济运行评估不适用：电机参数不全"},
             {"right_size", QJsonValue::Null, "  说明：没有电动机数据"},
             // Not measured, so not 0: "—" and why.
             {"output_energy_kwh", QJsonValue::Null, "  输出电量：—（电机参数不全）"},
             {"loss_energy_kwh", QJsonValue::Null, "  损耗电量：—（电机参数不全）"},
             {"weighted_efficiency_pct", QJsonValue::Null, "  加权效率：—（电机参数不全）"},
             {"mean_load_rate_pct", QJsonValue::Null, "  平均负载率：—（电机参数不全）"},
             {"no_motor_data_input_kwh", 3.25, "  无电机参数时的输入电量：3.250 kWh"},
         }},
        // Input (10 + 0.25 + 1.5) x 0.5 = 5.875 kWh = output 4.375 + losses (10 - 8.75) x 0.5
        // = 0.625 + 0.125 below the no-load power + 0.75 without motor data.
        {"a row of each state",
         Collected(6000),
         {
             {"input_energy_kwh", 5.875, "  输入电量：5.875 kWh"},
             {"output_energy_kwh", 4.375, "  输出电量：4.375 kWh"},
             {"loss_energy_kwh", 0.625, "  损耗电量：0.625 kWh"},
             {"below_no_load_input_kwh", 0.125, "  低于空载功率的输入电量：0.125 kWh"},
             {"no_motor_data_input_kwh", 0.75, "  无电机参数时的输入电量：0.750 kWh"},
             {"weighted_efficiency_pct", 87.5, "  加权效率：87.500 %"},
             {"mean_load_rate_pct", 80.0, "  平均负载率：80.000 %"},
             {"state_hours/generating", 0.5, "  发电状态：0.500 h（25.000%）"},
         }},
        {"no operating hours",
         Collected(0),
         {
             {"replacement/0/annual_saving_kwh", 0.0, "  年节电：0.000 kWh"},
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FigureList list = AssessmentFigures(c.a, 2.0);
        const QStringList lines = FigureListText(list).split(QLatin1Char('\n'));
        const QByteArray json = QJsonDocument(FigureListJson(list)).toJson();
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(json, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
        for (const Expect& x : c.expects) {
            SCOPED_TRACE(x.path);
            // Compared as JSON texts, which show every digit.
            EXPECT_EQ(Compact(At(root, x.path)), Compact(x.json));
            if (x.line) {
                EXPECT_TRUE(lines.contains(QString::fromUtf8(x.line)))
                    << lines.join(QLatin1Char('\n')).toStdString();
            }
        }
        // Fifteen digits on the way out: the text itself, not only the value read back.
        if (c.a.inputEnergy == 1234567.89) {
            EXPECT_TRUE(json.contains("\"input_energy_kwh\": 1234567.89,")) << json.toStdString();
            EXPECT_TRUE(json.contains("\"reactive_energy_kvarh\": 0.3,")) << json.toStdString();
        }
        // The JSON has every key the tool has always written.
        for (const char* key :
             {"economic_load_rate_pct", "comprehensive_economic_load_rate_pct",
              "general_zone_lower_pct", "rated_comprehensive_efficiency_pct", "state_hours",
              "zone_hours", "input_energy_kwh", "output_energy_kwh", "loss_energy_kwh",
              "reactive_energy_kvarh", "weighted_efficiency_pct", "comprehensive_efficiency_pct",
              "mean_load_rate_pct", "replacement", "right_size", "inapplicable"})
            EXPECT_TRUE(root.contains(QLatin1String(key))) << key;
        EXPECT_TRUE(root.value(QLatin1String("replacement")).isArray());
    }
    // A better motor saves nothing without operating hours, and the verdict says so.
    EXPECT_TRUE(AssessmentVerdict(Collected(0), 2.0, 11)
                    .endsWith(QStringLiteral("年运行时间为 0 h，更换电动机没有可节约的电量。")))
        << AssessmentVerdict(Collected(0), 2.0, 11).toStdString();
    EXPECT_TRUE(AssessmentVerdict(Collected(6000), 2.0, 11).contains(QStringLiteral("年节电约")));
}

// The numbers of every JSON the tool writes: a double to 15 significant digits, a recording's
// single-precision value as its shortest text (not the digits of the double it widens to), and
// null where JSON has no number.
TEST(JsonNumbers, DoublesKeepFifteenDigitsAndSinglesTheirShortestText) {
    const struct {
        QJsonValue value;
        const char* text;
    } cases[] = {
        {JsonDouble(1234567.89), "[1234567.89]"},
        {JsonDouble(1.0 / 3.0), "[0.333333333333333]"},
        {JsonDouble(0.1 + 0.2), "[0.3]"},
        {JsonDouble(6000), "[6000]"},
        {JsonDouble(std::nan("")), "[null]"},
        {JsonSingle(91.4f), "[91.4]"},
        {JsonSingle(0.8600006f), "[0.8600006]"},
        {JsonSingle(1.00001f), "[1.00001]"},
        {JsonSingle(-100000.0f), "[-100000]"},
        {JsonSingle(3.4028235e38f), "[3.4028235e+38]"},
        {JsonSingle(std::numeric_limits<float>::infinity()), "[null]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Compact(c.value), c.text);
}

// The verdict names the zone with the most hours with its load rates, and the zone of the mean
// load rate, saying which way the other hours pull the mean when the two differ. βJJ = 0.775:
// the general zone runs from 60.1 % (0.775² = 0.600625) to 77.5 %.
TEST(AssessmentVerdict, NamesTheZoneWithTheMostHoursAndTheMeansZone) {
    const struct {
        const char* name;
        std::array<double, kOperatingZones> zoneHours; // economic, general, non-economic, over
        double normalHours, mean;
        const char* begins;
    } cases[] = {
        {"mean above the zone with the most hours",
         {0.8, 1.0, 0, 0.2},
         2,
         81,
         "电动机运行时间最多的是一般运行区（负载率 60.1–77.5%，占 50% 时间）；平均负载率 81% "
         "却在经济运行区（负载率 77.5–100%），被负载更高的时间拉高"},
        {"mean below it",
         {1.2, 0.8, 0, 0},
         2,
         70,
         "电动机运行时间最多的是经济运行区（负载率 77.5–100%，占 60% 时间）；平均负载率 70% "
         "却在一般运行区（负载率 60.1–77.5%），被负载更低的时间拉低"},
        {"mean in the same zone",
         {0, 0.5, 1.5, 0},
         2,
         40,
         "电动机运行时间最多的是非经济运行区（负载率低于 60.1%，占 75% 时间），平均负载率 40% "
         "也在此区"},
        {"overloaded",
         {0.5, 0, 0, 1.5},
         2,
         110,
         "电动机运行时间最多的是过载（负载率高于 100%，占 75% 时间），平均负载率 110% 也在此区"},
        {"no normal row: no mean",
         {0, 0, 2, 0},
         0,
         0,
         "电动机运行时间最多的是非经济运行区（负载率低于 60.1%，占 100% 时间），"},
        {"no row in any zone", {0, 0, 0, 0}, 0, 0, "没有正常运行或空载的数据，无法判断运行区。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingAssessment a;
        MotorEconomics e;
        e.betaJ = 0.7;
        e.betaJJ = 0.775;
        a.economics = e;
        a.zoneHours = c.zoneHours;
        a.stateHours = {c.normalHours, 2 - c.normalHours, 0, 0};
        a.meanLoadRate = c.mean;
        a.hoursPerYear = 6000;
        const QString verdict = AssessmentVerdict(a, 2.0, 11);
        EXPECT_TRUE(verdict.startsWith(QString::fromUtf8(c.begins))) << verdict.toStdString();
    }
}
