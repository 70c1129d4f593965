#include "assessment/assessmentfigures.h"

#include <cmath>

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

void AddPayback(FigureGroup& g, const Replacement& r) {
    g.figures.push_back(NumberFigure("investment_money", QStringLiteral("购置费用"), r.investment,
                                     "元", kMoneyDigits));
    g.figures.push_back(
        std::isfinite(r.paybackYears)
            ? NumberFigure("payback_years", QStringLiteral("静态回收期"), r.paybackYears, "年", 1)
            : MissingFigure("payback_years", QStringLiteral("静态回收期"), "年",
                            QStringLiteral("不节电，无法回收")));
    g.figures.push_back(NumberFigure("life_cycle_saving_money", QStringLiteral("寿命期净节约"),
                                     r.lifeCycleMoney, "元", kMoneyDigits));
    g.figures.push_back(NumberFigure("co2_avoided_kg_per_year", QStringLiteral("年减排 CO₂"),
                                     r.co2KgPerYear, "kg"));
}

FigureGroup ClassGroup(const RecordingAssessment& a) {
    FigureGroup g = Group("能效等级");
    g.page = 1;
    const EfficiencyClass cls = a.efficiencyClass;
    const QString label = QStringLiteral("IEC 60034-30-1 效率等级");
    if (cls == EfficiencyClass::NotRated)
        g.figures.push_back(
            MissingFigure("efficiency_class", label, "", QStringLiteral("无电机参数")));
    else if (cls == EfficiencyClass::NotApplicable)
        g.figures.push_back(MissingFigure("efficiency_class", label, "", a.efficiencyClassNote));
    else
        g.figures.push_back(TextFigure("efficiency_class", label, EfficiencyClassText(cls)));
    const QString grade = QStringLiteral("GB 18613-2020 能效等级");
    if (const std::optional<int> n = Gb18613Grade(cls)) {
        Figure f = NumberFigure("gb18613_grade", grade, *n, "级", 0);
        g.figures.push_back(f);
    } else {
        const QString why = Gb18613GradeText(cls);
        g.figures.push_back(MissingFigure("gb18613_grade", grade, "",
                                          why.isEmpty() ? QStringLiteral("无效率等级") : why));
    }
    return g;
}

// A measure's group on the second page: an object, or null with the note of why there is none.
FigureGroup MeasureGroup(const char* title, const char* key, bool present, const QString& note) {
    FigureGroup g =
        Group(title, present ? FigureGroup::Shape::Object : FigureGroup::Shape::Null, key);
    g.page = 1;
    if (!present)
        g.figures.push_back(TextFigure("", QStringLiteral("说明"), note));
    return g;
}

FigureGroup PowerFactorGroup(const RecordingAssessment& a) {
    FigureGroup g =
        MeasureGroup("功率因数补偿", "power_factor", bool(a.powerFactor), a.powerFactorNote);
    g.estimate = true; // what a capacitor would give (the comparison has its own power factor)
    if (!a.powerFactor)
        return g;
    const PowerFactorCorrection& c = *a.powerFactor;
    g.figures = {
        NumberFigure("mean_power_factor", QStringLiteral("平均功率因数"), c.meanPowerFactor, ""),
        NumberFigure("target_power_factor", QStringLiteral("目标功率因数"), c.target, ""),
        NumberFigure("capacitor_kvar", QStringLiteral("所需补偿容量 Qc"), c.capacitorKvar, "kvar"),
        NumberFigure("no_load_reactive_kvar", QStringLiteral("空载无功功率 Q0"), c.noLoadKvar,
                     "kvar"),
        NumberFigure("capacitor_at_motor_kvar", QStringLiteral("电动机处补偿"), c.atMotorKvar,
                     "kvar"),
        NumberFigure("capacitor_at_bus_kvar", QStringLiteral("母线处补偿"), c.atBusKvar, "kvar"),
        NumberFigure("annual_reactive_avoided_kvarh", QStringLiteral("年减少无功电量"),
                     c.annualReactiveKvarh, "kvarh")};
    AddSaving(g, c.saving);
    Figure note = TextFigure(
        "capacitor_note", QStringLiteral("说明"),
        QStringLiteral("所需补偿容量超过空载无功功率的 90%，电动机处只装 %1 kvar，其余 %2 kvar "
                       "装在母线上：与电动机同投切的电容超过此值，断电后电动机会自励")
            .arg(FixedNumber(c.atMotorKvar, 3), FixedNumber(c.atBusKvar, 3)));
    if (!(c.atBusKvar > 0))
        note.kind = Figure::Kind::Null;
    g.figures.push_back(note);
    return g;
}

FigureGroup SupplyGroup(const RecordingAssessment& a, double hours) {
    FigureGroup g = MeasureGroup("电源不平衡", "supply", bool(a.supply), a.supplyNote);
    if (!a.supply)
        return g;
    const SupplyUnbalance& u = *a.supply;
    g.figures = {
        NumberFigure("voltage_unbalance_mean_pct", QStringLiteral("电压不平衡度平均"),
                     u.voltageMean, "%"),
        NumberFigure("voltage_unbalance_max_pct", QStringLiteral("电压不平衡度最大"), u.voltageMax,
                     "%"),
        NumberFigure("current_unbalance_mean_pct", QStringLiteral("电流不平衡度平均"),
                     u.currentMean, "%"),
        NumberFigure("current_unbalance_max_pct", QStringLiteral("电流不平衡度最大"), u.currentMax,
                     "%"),
        HoursFigure(QStringLiteral("hours_voltage_unbalance_above_1_pct"),
                    QStringLiteral("电压不平衡超过 1% 的时间"), u.hoursVoltageAbove[0], hours),
        HoursFigure(QStringLiteral("hours_voltage_unbalance_above_2_pct"),
                    QStringLiteral("电压不平衡超过 2% 的时间"), u.hoursVoltageAbove[1], hours),
        HoursFigure(QStringLiteral("hours_voltage_unbalance_above_5_pct"),
                    QStringLiteral("电压不平衡超过 5% 的时间"), u.hoursVoltageAbove[2], hours),
        NumberFigure("sustained_voltage_unbalance_pct",
                     QStringLiteral("持续电压不平衡度（15 min 平均最大）"), u.sustainedVoltage,
                     "%")};
    const QString stop = QStringLiteral("电压不平衡超过 5%，电动机不应运行");
    if (u.derating) {
        g.figures.push_back(
            NumberFigure("derating_factor", QStringLiteral("降容系数"), *u.derating, ""));
        g.figures.push_back(NumberFigure("derated_capacity_kw", QStringLiteral("降容后容量"),
                                         u.deratedCapacity, "kW"));
        g.figures.push_back(HoursFigure(QStringLiteral("hours_above_derated_capacity"),
                                        QStringLiteral("负载超过降容后容量的时间"),
                                        u.hoursAboveDerated, hours));
    } else {
        g.figures.push_back(MissingFigure("derating_factor", QStringLiteral("降容系数"), "", stop));
        g.figures.push_back(
            MissingFigure("derated_capacity_kw", QStringLiteral("降容后容量"), "kW", stop));
        g.figures.push_back(MissingFigure("hours_above_derated_capacity",
                                          QStringLiteral("负载超过降容后容量的时间"), "h", stop));
    }
    return g;
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

    list.push_back(ClassGroup(a));

    for (const Replacement& r : a.replacements) {
        FigureGroup g = Group("", FigureGroup::Shape::ListItem, "replacement");
        g.estimate = true;
        g.title = QStringLiteral("更换为 %1 电动机").arg(r.cls);
        g.figures.push_back(JsonOnly(TextFigure("class", QStringLiteral("能效等级"), r.cls)));
        // The class's minimum efficiency comes from a single-precision table.
        g.figures.push_back(SingleFigure("rated_efficiency_pct", QStringLiteral("额定效率"),
                                         float(r.ratedEfficiency), "%"));
        AddSaving(g, r.saving);
        // The first page keeps the IE3 motor as it always showed it; its payback and every other
        // class go on the measures' page.
        const std::size_t first = g.figures.size();
        AddPayback(g, r);
        if (r.cls == QLatin1String("IE3"))
            for (std::size_t i = first; i < g.figures.size(); ++i)
                g.figures[i].page = 1;
        else
            g.page = 1;
        list.push_back(g);
    }
    list.push_back(Group("", FigureGroup::Shape::EmptyList, "replacement"));
    list.back().estimate = true;

    if (a.rightSize) {
        const RightSize& r = *a.rightSize;
        FigureGroup g = Group("", FigureGroup::Shape::Object, "right_size");
        g.estimate = true;
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
        g.estimate = true;
        if (!a.rightSizeNote.isEmpty())
            g.figures.push_back(TextFigure("", QStringLiteral("说明"), a.rightSizeNote));
        list.push_back(g);
    }
    list.push_back(PowerFactorGroup(a));
    list.push_back(SupplyGroup(a, hours));
    return list;
}

FigureList AssessmentRunFigures(const AssessmentRun& run) {
    return AssessmentFigures(run.assessment, double(run.recording.header.Duration) / 3600.0);
}

QJsonObject AssessmentJson(const AssessmentRun& run) {
    return FigureListJson(AssessmentRunFigures(run));
}

} // namespace zr5
