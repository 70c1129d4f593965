#include <QStringList>

#include "assessment/assessment.h"
#include "assessment/assessmentpage.h"
#include "model/numbertext.h"
#include "settings/settings.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

const char* const kStateKeys[4] = {"normal", "below_no_load", "generating", "no_motor_data"};
const char* const kStateNames[4] = {"正常运行", "输入低于空载功率", "发电状态", "无电机参数"};
const char* const kZoneKeys[kOperatingZones] = {"economic", "general", "non_economic", "overload"};

QString num(double v) {
    return jsonNumber(float(v));
}

QString savingJson(const Saving& s) {
    return QStringLiteral(
               "\"saving_kwh\": %1, \"annual_saving_kwh\": %2, \"annual_saving_money\": %3")
        .arg(num(s.kwh), num(s.annualKwh), num(s.annualMoney));
}

QString hoursJson(const double* hours, const char* const* keys, int n) {
    QStringList parts;
    for (int i = 0; i < n; ++i)
        parts << QStringLiteral("\"%1\": %2").arg(QLatin1String(keys[i]), num(hours[i]));
    return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
}

QString assessmentJson(const RecordingAssessment& a) {
    const MotorEconomics* e = a.economics ? &*a.economics : nullptr;
    auto pct = [&](double v) { return e ? num(v) : QStringLiteral("null"); };
    QString j = QStringLiteral("{\n");
    j += QStringLiteral("  \"economic_load_rate_pct\": %1,\n").arg(pct(e ? e->betaJ * 100 : 0));
    j += QStringLiteral("  \"comprehensive_economic_load_rate_pct\": %1,\n")
             .arg(pct(e ? e->betaJJ * 100 : 0));
    j += QStringLiteral("  \"general_zone_lower_pct\": %1,\n")
             .arg(pct(e ? e->betaJJ * e->betaJJ * 100 : 0));
    j += QStringLiteral("  \"rated_comprehensive_efficiency_pct\": %1,\n")
             .arg(pct(e ? e->ratedComprehensiveEfficiency : 0));
    j += QStringLiteral("  \"state_hours\": %1,\n")
             .arg(hoursJson(a.stateHours.data(), kStateKeys, 4));
    j += QStringLiteral("  \"zone_hours\": %1,\n")
             .arg(hoursJson(a.zoneHours.data(), kZoneKeys, kOperatingZones));
    j += QStringLiteral("  \"input_energy_kwh\": %1,\n").arg(num(a.inputEnergy));
    j += QStringLiteral("  \"output_energy_kwh\": %1,\n").arg(num(a.outputEnergy));
    j += QStringLiteral("  \"loss_energy_kwh\": %1,\n").arg(num(a.lossEnergy));
    j += QStringLiteral("  \"reactive_energy_kvarh\": %1,\n").arg(num(a.reactiveEnergy));
    j += QStringLiteral("  \"weighted_efficiency_pct\": %1,\n").arg(num(a.weightedEfficiency));
    j += QStringLiteral("  \"comprehensive_efficiency_pct\": %1,\n")
             .arg(num(a.comprehensiveEfficiency));
    j += QStringLiteral("  \"mean_load_rate_pct\": %1,\n").arg(num(a.meanLoadRate));
    QStringList replacements;
    for (const Replacement& r : a.replacements)
        replacements << QStringLiteral("{\"class\": %1, \"rated_efficiency_pct\": %2, %3}")
                            .arg(jsonString(r.cls), num(r.ratedEfficiency), savingJson(r.saving));
    j += QStringLiteral("  \"replacement\": [%1],\n").arg(replacements.join(QStringLiteral(", ")));
    if (a.rightSize)
        j += QStringLiteral(
                 "  \"right_size\": {\"code\": %1, \"model\": %2, \"rated_power\": %3, %4},\n")
                 .arg(a.rightSize->code)
                 .arg(jsonString(a.rightSize->model), num(a.rightSize->ratedPower),
                      savingJson(a.rightSize->saving));
    else
        j += QStringLiteral("  \"right_size\": null,\n");
    j += QStringLiteral("  \"inapplicable\": %1\n")
             .arg(a.inapplicable.isEmpty() ? QStringLiteral("null") : jsonString(a.inapplicable));
    return j + QStringLiteral("}\n");
}

QString line(const QString& name, double value, const QString& unit) {
    return QStringLiteral("%1：%2 %3\n").arg(name, PlainNumber(float(value)), unit);
}

QString assessmentText(const RecordingAssessment& a, double hours) {
    QString t;
    if (a.economics) {
        const MotorEconomics& e = *a.economics;
        t += line(QStringLiteral("经济负载率"), e.betaJ * 100, QStringLiteral("%"));
        t += line(QStringLiteral("综合经济负载率"), e.betaJJ * 100, QStringLiteral("%"));
        t += line(QStringLiteral("一般运行区下限"), e.betaJJ * e.betaJJ * 100, QStringLiteral("%"));
        t += line(QStringLiteral("额定综合效率"), e.ratedComprehensiveEfficiency,
                  QStringLiteral("%"));
    } else {
        t += QStringLiteral("经济运行评估不适用：%1\n").arg(a.inapplicable);
    }
    auto share = [&](double h) {
        return QStringLiteral("%1 时（%2%）")
            .arg(PlainNumber(float(h)), PlainNumber(float(hours > 0 ? 100.0 * h / hours : 0)));
    };
    for (int i = 0; i < 4; ++i)
        t += QStringLiteral("%1：%2\n")
                 .arg(QString::fromUtf8(kStateNames[i]), share(a.stateHours[std::size_t(i)]));
    if (a.economics)
        for (int z = 0; z < kOperatingZones; ++z)
            t += QStringLiteral("%1：%2\n")
                     .arg(ZoneName(OperatingZone(z)), share(a.zoneHours[std::size_t(z)]));
    t += line(QStringLiteral("输入电量"), a.inputEnergy, QStringLiteral("kWh"));
    t += line(QStringLiteral("输出电量"), a.outputEnergy, QStringLiteral("kWh"));
    t += line(QStringLiteral("损耗电量"), a.lossEnergy, QStringLiteral("kWh"));
    t += line(QStringLiteral("无功电量"), a.reactiveEnergy, QStringLiteral("kvarh"));
    t += line(QStringLiteral("加权效率"), a.weightedEfficiency, QStringLiteral("%"));
    t += line(QStringLiteral("综合效率"), a.comprehensiveEfficiency, QStringLiteral("%"));
    t += line(QStringLiteral("平均负载率"), a.meanLoadRate, QStringLiteral("%"));
    for (const Replacement& r : a.replacements)
        t += QStringLiteral("更换为 %1（效率 %2%）：节电 %3 kWh，年节电 %4 kWh，年节约 %5 元\n")
                 .arg(r.cls, PlainNumber(float(r.ratedEfficiency)),
                      PlainNumber(float(r.saving.kwh)), PlainNumber(float(r.saving.annualKwh)),
                      PlainNumber(float(r.saving.annualMoney)));
    if (a.rightSize)
        t += QStringLiteral(
                 "合适容量：%1（代码 %2，%3 kW）：节电 %4 kWh，年节电 %5 kWh，年节约 %6 元\n")
                 .arg(a.rightSize->model)
                 .arg(a.rightSize->code)
                 .arg(PlainNumber(float(a.rightSize->ratedPower)),
                      PlainNumber(float(a.rightSize->saving.kwh)),
                      PlainNumber(float(a.rightSize->saving.annualKwh)),
                      PlainNumber(float(a.rightSize->saving.annualMoney)));
    else if (!a.rightSizeNote.isEmpty())
        t += QStringLiteral("合适容量：%1\n").arg(a.rightSizeNote);
    return t;
}

bool takeNumber(const CommandLine& line, const char* name, double& value, QString& error) {
    const QString text = line.value(QString::fromLatin1(name));
    if (text.isEmpty())
        return true;
    // The same rule as the settings dialog's boxes: a number, not negative.
    const BoxNumber n = ParseBoxNumber(text, false, true);
    if (!n.ok) {
        error = QStringLiteral("--") + QLatin1String(name) + QLatin1Char(' ') + n.reason;
        return false;
    }
    value = n.value;
    return true;
}

} // namespace

QList<QCommandLineOption> AssessOptions() {
    return {Option("kq", "无功经济当量，kW/kvar（默认 0.05）", "X"),
            Option("hours", "每年运行小时数（默认 6000）", "H"),
            Option("price", "电价，元/kWh（默认 0.8）", "P"),
            Option("json", "以一个 JSON 对象输出"),
            Option("pdf", "另把评估窗口打印的一页写成 PDF", "OUT.pdf"),
            OverwriteOption()};
}

int RunAssess(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    AssessmentSettings settings;
    QString error;
    if (args.size() != 1)
        return UsageFail(context);
    if (!takeNumber(line, "kq", settings.KQ, error) ||
        !takeNumber(line, "hours", settings.hoursPerYear, error) ||
        !takeNumber(line, "price", settings.price, error))
        return Fail(context, error);
    const QString pdf = line.value(QStringLiteral("pdf"));
    const bool json = line.isSet(QStringLiteral("json"));
    if (QString e = FilesRefusal(args, pdf.isEmpty() ? QStringList() : QStringList{pdf},
                                 line.isSet(QStringLiteral("overwrite")));
        !e.isEmpty())
        return Fail(context, e);
    const AssessmentRun run = AssessRecording(args.first(), context.dataDirectory, settings);
    if (!run.error.isEmpty())
        return Fail(context, run.error);
    if (!pdf.isEmpty()) {
        const AssessmentPageInput page{run, settings, args.first()};
        if (QString e =
                WritePdf(pdf, QStringLiteral("经济运行评估"),
                         [&](Printer& p) { return std::make_unique<AssessmentPageJob>(p, page); });
            !e.isEmpty())
            return Fail(context, e);
    }
    const double hours = double(run.recording.header.Duration) / 3600.0;
    Print(context.out,
          json ? assessmentJson(run.assessment) : assessmentText(run.assessment, hours));
    if (std::ferror(context.out) || std::fflush(context.out) != 0)
        return Fail(context, QStringLiteral("无法写出结果"));
    return 0;
}

} // namespace zr5::tool
