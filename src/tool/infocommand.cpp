#include <QDir>
#include <QJsonArray>
#include <QStringList>
#include <cmath>

#include "analysis/cumulative.h"
#include "model/figurelist.h"
#include "model/numbertext.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

QJsonArray jsonArray(const ExtremaValues& values) {
    QJsonArray array;
    for (float v : values)
        array.append(JsonSingle(v));
    return array;
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

QJsonObject infoJson(const RecordingInfo& info, const MotorParameters& motor,
                     const AppState* analysed, const QString& refusal) {
    const RecordingHeader& h = info.header;
    QJsonObject j{
        {QStringLiteral("file"), QDir::toNativeSeparators(info.path)},
        {QStringLiteral("start_time"), JsonSingle(h.StartTime)},
        {QStringLiteral("start_clock"), clockTime(h.StartTime)},
        {QStringLiteral("duration"), JsonSingle(h.Duration)},
        {QStringLiteral("record_count"), info.RecordCount},
        {QStringLiteral("motor"),
         QJsonObject{{QStringLiteral("poles"), JsonSingle(motor.Poles)},
                     {QStringLiteral("rated_power"), JsonSingle(motor.RatedPower)},
                     {QStringLiteral("rated_current"), JsonSingle(motor.RatedCurrent)},
                     {QStringLiteral("rated_efficiency"), JsonSingle(motor.RatedEfficiency)},
                     {QStringLiteral("no_load_current"), JsonSingle(motor.NoLoadCurrent)},
                     {QStringLiteral("no_load_power"), JsonSingle(motor.NoLoadPower)},
                     {QStringLiteral("rated_voltage"), JsonSingle(motor.RatedVoltage)},
                     {QStringLiteral("valid"), motor.MotorParametersValid},
                     {QStringLiteral("rated_losses"),
                      JsonSingle(motor.MotorParametersValid ? motor.RatedLosses : 0.0f)}}},
        {QStringLiteral("ct_in_use"), QJsonObject{{QStringLiteral("red"), h.red()},
                                                  {QStringLiteral("blue"), h.blue()},
                                                  {QStringLiteral("yellow"), h.yellow()}}},
        {QStringLiteral("row_maximum"), jsonArray(info.RowMaximum)},
        {QStringLiteral("row_minimum"), jsonArray(info.RowMinimum)}};
    if (!analysed) {
        j.insert(QStringLiteral("analysis"), QJsonValue::Null);
        j.insert(QStringLiteral("analysis_refused"), refusal);
        return j;
    }
    const AnalysisResults& a = analysed->analysis;
    QJsonArray curves;
    for (int k = 0; k < kCurveKinds; ++k)
        curves.append(
            QJsonObject{{QStringLiteral("kind"), k},
                        {QStringLiteral("unit"), a.axes.CurveUnit[k]},
                        {QStringLiteral("axis_low"), JsonSingle(a.axes.CurveAxisLow[k])},
                        {QStringLiteral("axis_high"), JsonSingle(a.axes.CurveAxisHigh[k])},
                        {QStringLiteral("axis_step"), JsonSingle(a.axes.CurveAxisStep[k])}});
    j.insert(
        QStringLiteral("analysis"),
        QJsonObject{{QStringLiteral("total_active_energy"), JsonSingle(a.TotalActiveEnergy)},
                    {QStringLiteral("total_reactive_energy"), JsonSingle(a.TotalReactiveEnergy)},
                    {QStringLiteral("efficiency_max"), JsonSingle(a.EfficiencyMaximum)},
                    {QStringLiteral("efficiency_min"), JsonSingle(a.EfficiencyMinimum)},
                    {QStringLiteral("load_rate_max"), JsonSingle(a.LoadRateMaximum)},
                    {QStringLiteral("load_rate_min"), JsonSingle(a.LoadRateMinimum)},
                    {QStringLiteral("time_grid_step"), JsonSingle(a.axes.TimeGridStep)},
                    {QStringLiteral("curves"), curves}});
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

QList<QCommandLineOption> InfoOptions() {
    return {Option("json", "以一个 JSON 对象输出")};
}

int RunInfo(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const bool json = line.isSet(QStringLiteral("json"));
    if (args.size() != 1)
        return UsageFail(context);
    if (Status e = FilesRefusal(args, {}, false); !e)
        return Fail(context, e.error());
    const Result<RecordingInfo> info = ReadRecordingInfo(args.first());
    if (!info)
        return Fail(context, info.error());

    AppState state(context.dataDirectory);
    state.recordingOpened(args.first());
    const QString refusal = AnalysisRefusal(*info).error();
    bool analysed = false;
    if (refusal.isEmpty()) {
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (Status analysed = pass.runAll(); !analysed)
            return Fail(context, analysed.error());
        analysed = true;
    }
    const MotorParameters motor = info->header.motorParameters();
    return PrintResult(context,
                       json ? JsonText(infoJson(*info, motor, analysed ? &state : nullptr, refusal))
                            : infoText(*info, motor, analysed ? &state : nullptr, refusal));
}

} // namespace zr5::tool
