#include "workbook/summarysheet.h"

#include <QDir>
#include <cmath>
#include <xlsxwriter.h>

#include "model/appstate.h"
#include "recording/recordingfile.h"
#include "workbook/workbookfile.h"

namespace zr5 {

Status SummarySheet::number(const QString& label, double value, const char* unit, bool integer) {
    const lxw_row_t row = row_++;
    if (Status s = file_.check(
            worksheet_write_string(sheet_, row, 0, label.toUtf8().constData(), nullptr));
        !s)
        return s;
    if (Status s = std::isfinite(value)
                       ? file_.check(worksheet_write_number(sheet_, row, 1, value,
                                                            integer ? file_.integer() : nullptr))
                       : file_.check(worksheet_write_string(
                             sheet_, row, 1, std::isnan(value) ? "nan" : "inf", nullptr));
        !s)
        return s;
    if (*unit)
        return file_.check(worksheet_write_string(sheet_, row, 2, unit, nullptr));
    return {};
}

Status SummarySheet::text(const QString& label, const QString& value) {
    const lxw_row_t row = row_++;
    if (Status s = file_.check(
            worksheet_write_string(sheet_, row, 0, label.toUtf8().constData(), nullptr));
        !s)
        return s;
    return file_.check(worksheet_write_string(sheet_, row, 1, value.toUtf8().constData(), nullptr));
}

Status SummarySheet::head(const RecordingInfo& info,
                          std::optional<std::pair<qint64, qint64>> exported) {
    const std::pair<int, double> widths[] = {{0, 18}, {1, 40}, {2, 12}};
    for (const auto& [column, width] : widths)
        if (Status s = file_.check(
                worksheet_set_column(sheet_, lxw_col_t(column), lxw_col_t(column), width, nullptr));
            !s)
            return s;
    const char* const heads[] = {"项目", "数值", "单位"};
    if (Status s = file_.writeHeadings(sheet_, 0, heads, 3); !s)
        return s;
    row_ = 1;
    const RecordingHeader& h = info.header;
    const MotorParameters m = h.motorParameters();
    if (Status s = text(QStringLiteral("数据文件"), QDir::toNativeSeparators(info.path)); !s)
        return s;
    struct Line {
        const char* label;
        double value;
        const char* unit;
        bool integer;
    };
    std::vector<Line> lines = {
        {"起始时间", WorkbookNumber(h.StartTime), "秒（零时起）", false},
        {"累计时间", WorkbookNumber(h.Duration), "秒", false},
        {"数据组数", double(info.RecordCount), "组", true},
    };
    if (exported) {
        lines.push_back({"导出起始组", double(exported->first), "", true});
        lines.push_back({"导出结束组", double(exported->second), "", true});
    }
    lines.insert(lines.end(), {
                                  {"极数", WorkbookNumber(m.Poles), "", false},
                                  {"额定功率", WorkbookNumber(m.RatedPower), "kW", false},
                                  {"额定电流", WorkbookNumber(m.RatedCurrent), "A", false},
                                  {"额定效率", WorkbookNumber(m.RatedEfficiency), "%", false},
                                  {"空载电流", WorkbookNumber(m.NoLoadCurrent), "A", false},
                                  {"空载功率", WorkbookNumber(m.NoLoadPower), "kW", false},
                                  {"额定电压", WorkbookNumber(m.RatedVoltage), "V", false},
                              });
    for (const Line& l : lines)
        if (Status s = number(QString::fromUtf8(l.label), l.value, l.unit, l.integer); !s)
            return s;
    if (Status s = m.MotorParametersValid
                       ? number(QStringLiteral("额定损耗"), WorkbookNumber(m.RatedLosses), "kW")
                       : text(QStringLiteral("电机参数"), QStringLiteral("无电机参数或参数不全"));
        !s)
        return s;
    const std::pair<const char*, int> flags[] = {
        {"互感器 红色标", h.red()}, {"互感器 蓝色标", h.blue()}, {"互感器 黄色标", h.yellow()}};
    for (const auto& [label, flag] : flags)
        if (Status s = number(QString::fromUtf8(label), flag, "", true); !s)
            return s;
    return {};
}

Status SummarySheet::totals(const AnalysisResults& a) {
    const std::pair<const char*, std::pair<float, const char*>> lines[] = {
        {"有功电量", {a.TotalActiveEnergy, "W·h"}}, {"无功电量", {a.TotalReactiveEnergy, "Var·h"}},
        {"效率最大值", {a.EfficiencyMaximum, "%"}}, {"效率最小值", {a.EfficiencyMinimum, "%"}},
        {"负载率最大值", {a.LoadRateMaximum, "%"}}, {"负载率最小值", {a.LoadRateMinimum, "%"}}};
    for (const auto& [label, value] : lines)
        if (Status s = number(QString::fromUtf8(label), WorkbookNumber(value.first), value.second);
            !s)
            return s;
    return {};
}

} // namespace zr5
