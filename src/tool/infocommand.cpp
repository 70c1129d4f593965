#include <QDir>
#include <QStringList>
#include <cmath>

#include "analysis/cumulative.h"
#include "model/numbertext.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

QString jsonArray(const ExtremaValues& values) {
    QStringList parts;
    for (float v : values)
        parts << jsonNumber(v);
    return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// hh:mm:ss.hh of seconds since midnight.
QString clockTime(float seconds) {
    const SplitTime t = SplitSeconds(seconds);
    if (!t.InRange || seconds < 0.0f || seconds >= 86400.0f)
        return QStringLiteral("不是有效的时刻");
    return QStringLiteral("%1:%2:%3.%4")
        .arg(t.ElapsedHours, 2, 10, QLatin1Char('0'))
        .arg(t.ElapsedMinutes, 2, 10, QLatin1Char('0'))
        .arg(t.ElapsedSeconds, 2, 10, QLatin1Char('0'))
        .arg(int(t.ElapsedHundredths), 2, 10, QLatin1Char('0'));
}

QString durationText(float seconds) {
    const SplitTime t = SplitSeconds(seconds);
    if (!t.InRange || seconds < 0.0f)
        return QStringLiteral("%1 秒（不是有效的累计时间）").arg(PlainNumber(seconds));
    return QStringLiteral("%1 秒（%2 时 %3 分 %4 秒）")
        .arg(PlainNumber(seconds))
        .arg(t.ElapsedHours)
        .arg(t.ElapsedMinutes)
        .arg(t.ElapsedSeconds);
}

QString infoJson(const RecordingInfo& info, const MotorParameters& motor, const AppState* analysed,
                 const QString& refusal) {
    const RecordingHeader& h = info.header;
    QString j = QStringLiteral("{\n");
    j += QStringLiteral("  \"file\": %1,\n").arg(jsonString(QDir::toNativeSeparators(info.path)));
    j += QStringLiteral("  \"start_time\": %1,\n").arg(jsonNumber(h.StartTime));
    j += QStringLiteral("  \"start_clock\": %1,\n").arg(jsonString(clockTime(h.StartTime)));
    j += QStringLiteral("  \"duration\": %1,\n").arg(jsonNumber(h.Duration));
    j += QStringLiteral("  \"record_count\": %1,\n").arg(info.RecordCount);
    j += QStringLiteral("  \"motor\": {\"poles\": %1, \"rated_power\": %2, \"rated_current\": %3, "
                        "\"rated_efficiency\": %4, \"no_load_current\": %5, \"no_load_power\": %6, "
                        "\"rated_voltage\": %7, \"valid\": %8, \"rated_losses\": %9},\n")
             .arg(jsonNumber(motor.Poles), jsonNumber(motor.RatedPower),
                  jsonNumber(motor.RatedCurrent), jsonNumber(motor.RatedEfficiency),
                  jsonNumber(motor.NoLoadCurrent), jsonNumber(motor.NoLoadPower),
                  jsonNumber(motor.RatedVoltage),
                  motor.MotorParametersValid ? QStringLiteral("true") : QStringLiteral("false"),
                  jsonNumber(motor.MotorParametersValid ? motor.RatedLosses : 0.0f));
    j += QStringLiteral("  \"ct_in_use\": {\"red\": %1, \"blue\": %2, \"yellow\": %3},\n")
             .arg(h.red())
             .arg(h.blue())
             .arg(h.yellow());
    j += QStringLiteral("  \"row_maximum\": %1,\n").arg(jsonArray(info.RowMaximum));
    j += QStringLiteral("  \"row_minimum\": %1,\n").arg(jsonArray(info.RowMinimum));
    if (!analysed) {
        j += QStringLiteral("  \"analysis\": null,\n");
        j += QStringLiteral("  \"analysis_refused\": %1\n}\n").arg(jsonString(refusal));
        return j;
    }
    const AnalysisResults& a = analysed->analysis;
    j += QStringLiteral("  \"analysis\": {\n");
    j += QStringLiteral("    \"total_active_energy\": %1,\n").arg(jsonNumber(a.TotalActiveEnergy));
    j += QStringLiteral("    \"total_reactive_energy\": %1,\n")
             .arg(jsonNumber(a.TotalReactiveEnergy));
    j += QStringLiteral("    \"efficiency_max\": %1,\n").arg(jsonNumber(a.EfficiencyMaximum));
    j += QStringLiteral("    \"efficiency_min\": %1,\n").arg(jsonNumber(a.EfficiencyMinimum));
    j += QStringLiteral("    \"load_rate_max\": %1,\n").arg(jsonNumber(a.LoadRateMaximum));
    j += QStringLiteral("    \"load_rate_min\": %1,\n").arg(jsonNumber(a.LoadRateMinimum));
    j += QStringLiteral("    \"time_grid_step\": %1,\n").arg(jsonNumber(a.axes.TimeGridStep));
    j += QStringLiteral("    \"curves\": [\n");
    for (int k = 0; k < kCurveKinds; ++k) {
        j += QStringLiteral(
                 "      {\"kind\": %1, \"unit\": %2, \"axis_low\": %3, \"axis_high\": %4, "
                 "\"axis_step\": %5}%6\n")
                 .arg(k)
                 .arg(jsonString(a.axes.CurveUnit[k]), jsonNumber(a.axes.CurveAxisLow[k]),
                      jsonNumber(a.axes.CurveAxisHigh[k]), jsonNumber(a.axes.CurveAxisStep[k]),
                      k + 1 < kCurveKinds ? QStringLiteral(",") : QString());
    }
    j += QStringLiteral("    ]\n  }\n}\n");
    return j;
}

QString extremaLine(const ExtremaValues& values) {
    QStringList parts;
    for (float v : values)
        parts << PlainNumber(v);
    return parts.join(QStringLiteral("  "));
}

const char* const kCurveNames[kCurveKinds] = {"一路电流", "二路电流", "三路电流", "一路电压",
                                              "二路电压", "三路电压", "有功功率", "功率因数",
                                              "效率",     "负载率"};

QString infoText(const RecordingInfo& info, const MotorParameters& m, const AppState* analysed,
                 const QString& refusal) {
    const RecordingHeader& h = info.header;
    QString t;
    t += QStringLiteral("数据文件：%1\n").arg(QDir::toNativeSeparators(info.path));
    t += QStringLiteral("起始时间：%1（%2 秒）\n")
             .arg(clockTime(h.StartTime), PlainNumber(h.StartTime));
    t += QStringLiteral("累计时间：%1\n").arg(durationText(h.Duration));
    t += QStringLiteral("数据组数：%1\n").arg(info.RecordCount);
    t += QStringLiteral(
             "电机参数：极数 %1  额定功率 %2 kW  额定电流 %3 A  额定效率 %4 %  空载电流 %5 A  "
             "空载功率 %6 kW  额定电压 %7 V  %8\n")
             .arg(PlainNumber(m.Poles), PlainNumber(m.RatedPower), PlainNumber(m.RatedCurrent),
                  PlainNumber(m.RatedEfficiency), PlainNumber(m.NoLoadCurrent),
                  PlainNumber(m.NoLoadPower), PlainNumber(m.RatedVoltage),
                  m.MotorParametersValid
                      ? QStringLiteral("（额定损耗 %1 kW）").arg(PlainNumber(m.RatedLosses))
                  : m.allNonZero() && !CheckMotorValues(m)
                      ? QStringLiteral("（%1）").arg(CheckMotorValues(m).error())
                      : QStringLiteral("（无电机参数或参数不全）"));
    t += QStringLiteral("互感器：红色标 %1  蓝色标 %2  黄色标 %3\n")
             .arg(h.red())
             .arg(h.blue())
             .arg(h.yellow());
    t += QStringLiteral("最大值：%1\n").arg(extremaLine(info.RowMaximum));
    t += QStringLiteral("最小值：%1\n").arg(extremaLine(info.RowMinimum));
    if (!analysed) {
        t += QStringLiteral("分析：%1\n").arg(refusal);
        return t;
    }
    const AnalysisResults& a = analysed->analysis;
    t += QStringLiteral("有功电量：%1 W·h\n").arg(PlainNumber(a.TotalActiveEnergy));
    t += QStringLiteral("无功电量：%1 Var·h\n").arg(PlainNumber(a.TotalReactiveEnergy));
    t += QStringLiteral("效率：最大值 %1 %  最小值 %2 %\n")
             .arg(PlainNumber(a.EfficiencyMaximum), PlainNumber(a.EfficiencyMinimum));
    t += QStringLiteral("负载率：最大值 %1 %  最小值 %2 %\n")
             .arg(PlainNumber(a.LoadRateMaximum), PlainNumber(a.LoadRateMinimum));
    t += QStringLiteral("时间网格：%1 秒\n").arg(PlainNumber(a.axes.TimeGridStep));
    for (int k = 0; k < kCurveKinds; ++k)
        t += QStringLiteral("曲线 %1 %2：%3 至 %4，步长 %5%6\n")
                 .arg(k)
                 .arg(QString::fromUtf8(kCurveNames[k]), PlainNumber(a.axes.CurveAxisLow[k]),
                      PlainNumber(a.axes.CurveAxisHigh[k]), PlainNumber(a.axes.CurveAxisStep[k]),
                      a.axes.CurveUnit[k]);
    return t;
}

} // namespace

int RunInfo(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    const bool json = TakeFlag(args, QStringLiteral("--json"));
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return Fail(context, QStringLiteral("用法: zr5-tool info [--json] FILE"));
    const Result<RecordingInfo> info = ReadRecordingInfo(args.first());
    if (!info)
        return Fail(context, info.error());

    AppState state(context.dataDirectory);
    state.recordingOpened(args.first());
    QString refusal = AnalysisRefusal(*info);
    bool analysed = false;
    if (refusal.isEmpty()) {
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (QString error = pass.runAll(); !error.isEmpty())
            return Fail(context, error);
        analysed = true;
    }
    const MotorParameters motor = info->header.motorParameters();
    return PrintResult(context, json
                                    ? infoJson(*info, motor, analysed ? &state : nullptr, refusal)
                                    : infoText(*info, motor, analysed ? &state : nullptr, refusal));
}

} // namespace zr5::tool
