#include "assessment/assessmentfigures.h"

#include "model/numbertext.h"

namespace zr5 {

namespace {

// Money to the fen; every other figure to three decimals, as the analysis shows its values.
constexpr int kMoneyDigits = 2;

FigureGroup Group(const char* title, FigureGroup::Shape shape = FigureGroup::Shape::Fields,
                  const char* key = "") {
    FigureGroup g;
    g.title = QString::fromUtf8(title);
    g.shape = shape;
    g.key = QString::fromLatin1(key);
    return g;
}

Figure JsonOnly(Figure f) {
    f.jsonOnly = true;
    return f;
}

void AddSaving(FigureGroup& g, const Saving& s) {
    g.figures.push_back(NumberFigure("saving_kwh", QStringLiteral("记录期间节电"), s.kwh, "kWh"));
    g.figures.push_back(
        NumberFigure("annual_saving_kwh", QStringLiteral("年节电"), s.annualKwh, "kWh"));
    g.figures.push_back(NumberFigure("annual_saving_money", QStringLiteral("年节约电费"),
                                     s.annualMoney, "元", kMoneyDigits));
}

} // namespace

FigureList AssessmentFigures(const RecordingAssessment& a, double hours) {
    FigureList list;
    const MotorEconomics* e = a.economics ? &*a.economics : nullptr;

    FigureGroup method = Group("电动机经济运行参数");
    auto percent = [&](const char* key, const QString& label, double v) {
        method.figures.push_back(e ? NumberFigure(key, label, v, "%")
                                   : MissingFigure(key, label, "%", a.inapplicable));
    };
    percent("economic_load_rate_pct", QStringLiteral("经济负载率 βJ"), e ? 100 * e->betaJ : 0);
    percent("comprehensive_economic_load_rate_pct", QStringLiteral("综合经济负载率 βJJ"),
            e ? 100 * e->betaJJ : 0);
    percent("general_zone_lower_pct", QStringLiteral("一般运行区下限 βJJ²"),
            e ? 100 * e->betaJJ * e->betaJJ : 0);
    percent("rated_comprehensive_efficiency_pct", QStringLiteral("额定综合效率"),
            e ? e->ratedComprehensiveEfficiency : 0);
    Figure inapplicable =
        TextFigure("inapplicable", QStringLiteral("经济运行评估不适用"), a.inapplicable);
    if (a.inapplicable.isEmpty())
        inapplicable.kind = Figure::Kind::Null;
    method.figures.push_back(inapplicable);
    list.push_back(method);

    FigureGroup states = Group("运行时间", FigureGroup::Shape::Object, "state_hours");
    for (int s = 0; s < kMotorStates; ++s)
        states.figures.push_back(HoursFigure(MotorStateKey(MotorState(s)),
                                             MotorStateName(MotorState(s)),
                                             a.stateHours[std::size_t(s)], hours));
    list.push_back(states);

    FigureGroup zones = Group("运行区时间", FigureGroup::Shape::Object, "zone_hours");
    for (int z = 0; z < kOperatingZones; ++z) {
        const OperatingZone zone = OperatingZone(z);
        Figure f = HoursFigure(ZoneKey(zone), ZoneName(zone), a.zoneHours[std::size_t(z)], hours);
        if (!e) {
            f.kind = Figure::Kind::Missing;
            f.text = a.inapplicable;
        }
        zones.figures.push_back(f);
    }
    list.push_back(zones);

    // The output, the losses and the efficiencies come from the normal rows. Without motor data
    // the output is not known; without normal rows there is no efficiency: "—" and why, not 0.
    const bool noNormalRows = !(a.stateHours[std::size_t(MotorState::Normal)] > 0);
    const bool noMotorData = noNormalRows && a.stateHours[std::size_t(MotorState::NoMotorData)] > 0;
    const QString why =
        noMotorData
            ? (a.inapplicable.isEmpty() ? QStringLiteral("无电机参数或参数不全") : a.inapplicable)
            : QStringLiteral("没有正常运行的数据");
    auto measured = [&](bool missing, const char* key, const QString& label, double v,
                        const char* unit) {
        return missing ? MissingFigure(key, label, unit, why) : NumberFigure(key, label, v, unit);
    };
    FigureGroup energy = Group("电量与效率");
    // Input = output + losses + the input of the rows below the no-load power + the input of
    // the rows without motor data: every kWh of the input is on a line.
    energy.figures = {
        NumberFigure("input_energy_kwh", QStringLiteral("输入电量"), a.inputEnergy, "kWh"),
        measured(noMotorData, "output_energy_kwh", QStringLiteral("输出电量"), a.outputEnergy,
                 "kWh"),
        measured(noMotorData, "loss_energy_kwh", QStringLiteral("损耗电量"), a.lossEnergy, "kWh"),
        NumberFigure("below_no_load_input_kwh", QStringLiteral("低于空载功率的输入电量"),
                     a.stateInputEnergy[std::size_t(MotorState::BelowNoLoad)], "kWh"),
        NumberFigure("no_motor_data_input_kwh", QStringLiteral("无电机参数时的输入电量"),
                     a.stateInputEnergy[std::size_t(MotorState::NoMotorData)], "kWh"),
        NumberFigure("reactive_energy_kvarh", QStringLiteral("无功电量"), a.reactiveEnergy,
                     "kvarh"),
        measured(noNormalRows, "weighted_efficiency_pct", QStringLiteral("加权效率"),
                 a.weightedEfficiency, "%"),
        measured(noNormalRows, "comprehensive_efficiency_pct", QStringLiteral("综合效率"),
                 a.comprehensiveEfficiency, "%"),
        measured(noNormalRows, "mean_load_rate_pct", QStringLiteral("平均负载率"), a.meanLoadRate,
                 "%")};
    list.push_back(energy);

    for (const Replacement& r : a.replacements) {
        FigureGroup g = Group("", FigureGroup::Shape::ListItem, "replacement");
        g.title = QStringLiteral("更换为 %1 电动机").arg(r.cls);
        g.figures.push_back(JsonOnly(TextFigure("class", QStringLiteral("能效等级"), r.cls)));
        // The class's minimum efficiency comes from a single-precision table.
        g.figures.push_back(SingleFigure("rated_efficiency_pct", QStringLiteral("额定效率"),
                                         float(r.ratedEfficiency), "%"));
        AddSaving(g, r.saving);
        list.push_back(g);
    }
    list.push_back(Group("", FigureGroup::Shape::EmptyList, "replacement"));

    if (a.rightSize) {
        const RightSize& r = *a.rightSize;
        FigureGroup g = Group("", FigureGroup::Shape::Object, "right_size");
        g.title = QStringLiteral("合适容量：%1（编码 %2%3）")
                      .arg(r.model.trimmed())
                      .arg(r.code)
                      .arg(r.sampleCatalogue ? QStringLiteral("，示例电机数据") : QString());
        g.figures.push_back(JsonOnly(NumberFigure("code", QStringLiteral("编码"), r.code, "", 0)));
        g.figures.push_back(JsonOnly(TextFigure("model", QStringLiteral("型号"), r.model)));
        g.figures.push_back(JsonOnly(TextFigure(
            "catalogue", QStringLiteral("电机数据"),
            r.sampleCatalogue ? QStringLiteral("sample") : QStringLiteral("data_directory"))));
        g.figures.push_back(
            SingleFigure("rated_power", QStringLiteral("额定功率"), float(r.ratedPower), "kW"));
        AddSaving(g, r.saving);
        list.push_back(g);
    } else {
        FigureGroup g = Group("合适容量", FigureGroup::Shape::Null, "right_size");
        if (!a.rightSizeNote.isEmpty())
            g.figures.push_back(TextFigure("", QStringLiteral("说明"), a.rightSizeNote));
        list.push_back(g);
    }
    return list;
}

FigureList AssessmentRunFigures(const AssessmentRun& run) {
    return AssessmentFigures(run.assessment, double(run.recording.header.Duration) / 3600.0);
}

} // namespace zr5
