#include "workbook/recordingworkbook.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>
#include <xlsxwriter.h>

#include "analysis/csvtable.h"
#include "analysis/cumulative.h"
#include "workbook/workbookfile.h"

namespace zr5 {

namespace {

// The table's columns as the spreadsheet heads them, with their units.
const char* const kDataHeaders[] = {"序号",
                                    "时间（s）",
                                    "一路电流（A）",
                                    "一路电压（V）",
                                    "一路有功功率（kW）",
                                    "二路电流（A）",
                                    "二路电压（V）",
                                    "二路有功功率（kW）",
                                    "三路电流（A）",
                                    "三路电压（V）",
                                    "三路有功功率（kW）",
                                    "有功功率（kW）",
                                    "无功功率（kVar）",
                                    "视在功率（kVA）",
                                    "功率因数",
                                    "有功电量（W·h）",
                                    "无功电量（Var·h）",
                                    "电机状态",
                                    "负载率（%）",
                                    "输出功率（kW）",
                                    "效率（%）",
                                    "电压不平衡度（%）",
                                    "电流不平衡度（%）"};
constexpr int kDataColumns = int(std::size(kDataHeaders));
static_assert(kDataColumns == CsvTableRow::kNumbers + 2);

// The curves' series: a header, the index of its number in the table's row, and whether only rows
// with an operating point count (efficiency and load rate, as the screen draws them).
struct CurveSeries {
    const char* header;
    int number;
    bool operatingPointOnly;
};
const CurveSeries kCurveSeries[] = {{"一路电流（A）", 1, false},   {"二路电流（A）", 4, false},
                                    {"三路电流（A）", 7, false},   {"一路电压（V）", 2, false},
                                    {"二路电压（V）", 5, false},   {"三路电压（V）", 8, false},
                                    {"有功功率（kW）", 10, false}, {"功率因数", 13, false},
                                    {"效率（%）", 18, true},       {"负载率（%）", 16, true}};
constexpr int kSeriesCount = int(std::size(kCurveSeries));

// The charts of sheet "曲线": a title, the value axis' name and the series (columns of the
// series sheet, counted from 1 after the time).
struct CurveChart {
    const char* title;
    const char* axis;
    int firstSeries;
    int seriesCount;
};
const CurveChart kCurveCharts[] = {
    {"电流", "电流（A）", 0, 3},          {"电压", "电压（V）", 3, 3},
    {"有功功率", "有功功率（kW）", 6, 1}, {"功率因数", "功率因数", 7, 1},
    {"效率", "效率（%）", 8, 1},          {"负载率", "负载率（%）", 9, 1}};

// A column's width in characters: a Chinese character takes two.
double displayWidth(const char* text) {
    double width = 0;
    for (const QChar c : QString::fromUtf8(text))
        width += c.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

// The number the table writes, as the spreadsheet keeps it: the double of the table's nine-digit
// text, so that the cell and the exported text are the same number.
double tableNumber(float v, std::string& scratch) {
    scratch.clear();
    AppendCsvNumber(scratch, v);
    double d = 0;
    std::from_chars(scratch.data(), scratch.data() + scratch.size(), d);
    return d;
}

// Per time column the minimum and maximum of every series; rows stand as they are while there
// are no more than two per column.
class ColumnReduction {
public:
    ColumnReduction(qint64 rows, qint64 columns)
        : rows_(rows), columns_(columns), reduce_(rows > 2 * columns) {}

    // Row i (0-based) of the rows to draw; returns the points a finished column gives.
    template <class Point> void add(qint64 i, const CsvTableRow& row, Point&& point) {
        const qint64 column = reduce_ ? i * columns_ / rows_ : i;
        if (open_ && column != column_)
            flush(point);
        if (!open_) {
            open_ = true;
            column_ = column;
            time_ = row.numbers[0];
            low_.fill(std::nullopt);
            high_.fill(std::nullopt);
        }
        for (int s = 0; s < kSeriesCount; ++s) {
            const CurveSeries& series = kCurveSeries[s];
            const float v = row.numbers[std::size_t(series.number)];
            if (!std::isfinite(v) || (series.operatingPointOnly && row.state != MotorState::Normal))
                continue;
            auto& lo = low_[std::size_t(s)];
            auto& hi = high_[std::size_t(s)];
            if (!lo || v < *lo)
                lo = v;
            if (!hi || v > *hi)
                hi = v;
        }
    }
    template <class Point> void finish(Point&& point) {
        if (open_)
            flush(point);
    }

private:
    using Values = std::array<std::optional<float>, kSeriesCount>;
    template <class Point> void flush(Point& point) {
        open_ = false;
        point(time_, low_);
        if (reduce_)
            point(time_, high_);
    }

    qint64 rows_, columns_;
    bool reduce_;
    bool open_ = false;
    qint64 column_ = 0;
    float time_ = 0;
    Values low_{}, high_{};
};

class RecordingWorkbook {
public:
    RecordingWorkbook(const QString& recording, const QString& path,
                      const RecordingWorkbookOptions& options)
        : file_(path), pass_(recording, model_, results_), options_(options) {}

    RecordingWorkbookOutcome write();

private:
    Status addSheets();
    Status writeHeader(lxw_worksheet* sheet, const char* const* headers, int count);
    Status writeSummaryHead();
    Status writeSummaryTail();
    Status summaryRow(const QString& label, double value, const char* unit,
                      lxw_format* format = nullptr);
    Status summaryText(const QString& label, const QString& value, const char* unit = "");
    Status writeRow(const CsvTableRow& row);
    Status writeSeriesPoint(float time, const std::array<std::optional<float>, kSeriesCount>& v);
    Status finishDataSheets();
    Status addCharts();

    WorkbookFile file_;
    MeasurementModel model_;
    AnalysisResults results_;
    CumulativeAnalysis pass_;
    RecordingWorkbookOptions options_;
    qint64 first_ = 1, last_ = 0;
    lxw_worksheet* summary_ = nullptr;
    std::vector<lxw_worksheet*> dataSheets_;
    lxw_worksheet* curves_ = nullptr;
    lxw_worksheet* series_ = nullptr;
    lxw_format* header_ = nullptr;
    lxw_format* integer_ = nullptr;
    lxw_row_t summaryRow_ = 0;
    qint64 written_ = 0;       // table rows written
    lxw_row_t seriesRows_ = 0; // points on the series sheet
    std::string scratch_;
};

Status RecordingWorkbook::addSheets() {
    header_ = workbook_add_format(file_.workbook());
    integer_ = workbook_add_format(file_.workbook());
    if (!header_ || !integer_)
        return file_.check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    format_set_bold(header_);
    format_set_num_format(integer_, "0");
    auto add = [&](const QString& name, lxw_worksheet*& sheet) {
        Result<lxw_worksheet*> s = file_.addSheet(name);
        if (s)
            sheet = *s;
        return Status::of(s);
    };
    if (Status s = add(QStringLiteral("概况"), summary_); !s)
        return s;
    const qint64 rows = std::max<qint64>(0, last_ - first_ + 1);
    const qint64 sheets = std::max<qint64>(1, (rows + options_.sheetRows - 1) / options_.sheetRows);
    for (qint64 k = 0; k < sheets; ++k) {
        lxw_worksheet* sheet = nullptr;
        const QString name = k == 0 ? QStringLiteral("数据") : QStringLiteral("数据 %1").arg(k + 1);
        if (Status s = add(name, sheet); !s)
            return s;
        dataSheets_.push_back(sheet);
        for (int c = 0; c < kDataColumns; ++c)
            if (Status s = file_.check(worksheet_set_column(
                    sheet, lxw_col_t(c), lxw_col_t(c),
                    std::max(displayWidth(kDataHeaders[c]), c == 0 ? 9.0 : 12.0) + 2, nullptr));
                !s)
                return s;
        worksheet_freeze_panes(sheet, 1, 0);
        if (Status s = writeHeader(sheet, kDataHeaders, kDataColumns); !s)
            return s;
    }
    if (Status s = add(QStringLiteral("曲线"), curves_); !s)
        return s;
    if (Status s = add(QStringLiteral("曲线数据"), series_); !s)
        return s;
    std::array<const char*, kSeriesCount + 1> seriesHeaders{"时间（s）"};
    for (int s = 0; s < kSeriesCount; ++s)
        seriesHeaders[std::size_t(s + 1)] = kCurveSeries[s].header;
    if (Status s = file_.check(worksheet_set_column(series_, 0, kSeriesCount, 16, nullptr)); !s)
        return s;
    worksheet_freeze_panes(series_, 1, 0);
    return writeHeader(series_, seriesHeaders.data(), kSeriesCount + 1);
}

Status RecordingWorkbook::writeHeader(lxw_worksheet* sheet, const char* const* headers, int count) {
    for (int c = 0; c < count; ++c)
        if (Status s =
                file_.check(worksheet_write_string(sheet, 0, lxw_col_t(c), headers[c], header_));
            !s)
            return s;
    return {};
}

Status RecordingWorkbook::summaryRow(const QString& label, double value, const char* unit,
                                     lxw_format* format) {
    const lxw_row_t row = summaryRow_++;
    if (Status s = file_.check(
            worksheet_write_string(summary_, row, 0, label.toUtf8().constData(), nullptr));
        !s)
        return s;
    if (Status s = std::isfinite(value)
                       ? file_.check(worksheet_write_number(summary_, row, 1, value, format))
                       : file_.check(worksheet_write_string(
                             summary_, row, 1, std::isnan(value) ? "nan" : "inf", nullptr));
        !s)
        return s;
    if (*unit)
        return file_.check(worksheet_write_string(summary_, row, 2, unit, nullptr));
    return {};
}

Status RecordingWorkbook::summaryText(const QString& label, const QString& value,
                                      const char* unit) {
    const lxw_row_t row = summaryRow_++;
    if (Status s = file_.check(
            worksheet_write_string(summary_, row, 0, label.toUtf8().constData(), nullptr));
        !s)
        return s;
    if (Status s = file_.check(
            worksheet_write_string(summary_, row, 1, value.toUtf8().constData(), nullptr));
        !s)
        return s;
    if (*unit)
        return file_.check(worksheet_write_string(summary_, row, 2, unit, nullptr));
    return {};
}

Status RecordingWorkbook::writeSummaryHead() {
    if (Status s = file_.check(worksheet_set_column(summary_, 0, 0, 18, nullptr)); !s)
        return s;
    if (Status s = file_.check(worksheet_set_column(summary_, 1, 1, 40, nullptr)); !s)
        return s;
    if (Status s = file_.check(worksheet_set_column(summary_, 2, 2, 10, nullptr)); !s)
        return s;
    const char* const heads[] = {"项目", "数值", "单位"};
    if (Status s = writeHeader(summary_, heads, 3); !s)
        return s;
    summaryRow_ = 1;
    const RecordingInfo& info = pass_.recording();
    const RecordingHeader& h = info.header;
    const MotorParameters m = h.motorParameters();
    const auto rows = [&]() -> Status {
        if (Status s = summaryText(QStringLiteral("数据文件"), QDir::toNativeSeparators(info.path));
            !s)
            return s;
        struct Line {
            const char* label;
            double value;
            const char* unit;
            lxw_format* format;
        };
        const Line lines[] = {
            {"起始时间", tableNumber(h.StartTime, scratch_), "秒（零时起）", nullptr},
            {"累计时间", tableNumber(h.Duration, scratch_), "秒", nullptr},
            {"数据组数", double(info.RecordCount), "组", integer_},
            {"导出起始组", double(first_), "", integer_},
            {"导出结束组", double(last_), "", integer_},
            {"极数", tableNumber(m.Poles, scratch_), "", nullptr},
            {"额定功率", tableNumber(m.RatedPower, scratch_), "kW", nullptr},
            {"额定电流", tableNumber(m.RatedCurrent, scratch_), "A", nullptr},
            {"额定效率", tableNumber(m.RatedEfficiency, scratch_), "%", nullptr},
            {"空载电流", tableNumber(m.NoLoadCurrent, scratch_), "A", nullptr},
            {"空载功率", tableNumber(m.NoLoadPower, scratch_), "kW", nullptr},
            {"额定电压", tableNumber(m.RatedVoltage, scratch_), "V", nullptr},
        };
        for (const Line& l : lines)
            if (Status s = summaryRow(QString::fromUtf8(l.label), l.value, l.unit, l.format); !s)
                return s;
        if (m.MotorParametersValid)
            return summaryRow(QStringLiteral("额定损耗"), tableNumber(m.RatedLosses, scratch_),
                              "kW");
        return summaryText(QStringLiteral("电机参数"), QStringLiteral("无电机参数或参数不全"));
    };
    if (Status s = rows(); !s)
        return s;
    const std::pair<const char*, int> flags[] = {
        {"互感器 红色标", h.red()}, {"互感器 蓝色标", h.blue()}, {"互感器 黄色标", h.yellow()}};
    for (const auto& [label, flag] : flags)
        if (Status s = summaryRow(QString::fromUtf8(label), flag, "", integer_); !s)
            return s;
    return {};
}

Status RecordingWorkbook::writeSummaryTail() {
    const AnalysisResults& a = results_;
    const std::pair<const char*, std::pair<float, const char*>> lines[] = {
        {"有功电量", {a.TotalActiveEnergy, "W·h"}}, {"无功电量", {a.TotalReactiveEnergy, "Var·h"}},
        {"效率最大值", {a.EfficiencyMaximum, "%"}}, {"效率最小值", {a.EfficiencyMinimum, "%"}},
        {"负载率最大值", {a.LoadRateMaximum, "%"}}, {"负载率最小值", {a.LoadRateMinimum, "%"}}};
    for (const auto& [label, value] : lines)
        if (Status s = summaryRow(QString::fromUtf8(label), tableNumber(value.first, scratch_),
                                  value.second);
            !s)
            return s;
    return {};
}

Status RecordingWorkbook::writeRow(const CsvTableRow& r) {
    lxw_worksheet* sheet = dataSheets_[std::size_t(written_ / options_.sheetRows)];
    const lxw_row_t row = lxw_row_t(written_ % options_.sheetRows + 1);
    ++written_;
    if (Status s = file_.check(worksheet_write_number(sheet, row, 0, double(r.row), integer_)); !s)
        return s;
    for (int i = 0; i < CsvTableRow::kNumbers; ++i) {
        const lxw_col_t column = lxw_col_t(i < CsvTableRow::kStateColumn - 1 ? i + 1 : i + 2);
        if (!r.hasNumber(i))
            continue; // an empty cell, as the table leaves the field empty
        const float v = r.numbers[std::size_t(i)];
        lxw_error e;
        if (std::isfinite(v)) {
            e = worksheet_write_number(sheet, row, column, tableNumber(v, scratch_), nullptr);
        } else {
            // A spreadsheet has no number for these: the table's text stands in the cell.
            scratch_.clear();
            AppendCsvNumber(scratch_, v);
            e = worksheet_write_string(sheet, row, column, scratch_.c_str(), nullptr);
        }
        if (Status s = file_.check(e); !s)
            return s;
    }
    return file_.check(worksheet_write_string(sheet, row, CsvTableRow::kStateColumn,
                                              MotorStateKey(r.state).toUtf8().constData(),
                                              nullptr));
}

Status
RecordingWorkbook::writeSeriesPoint(float time,
                                    const std::array<std::optional<float>, kSeriesCount>& v) {
    const lxw_row_t row = ++seriesRows_;
    if (Status s = file_.check(
            worksheet_write_number(series_, row, 0, tableNumber(time, scratch_), nullptr));
        !s)
        return s;
    for (int c = 0; c < kSeriesCount; ++c)
        if (const std::optional<float>& value = v[std::size_t(c)])
            if (Status s = file_.check(worksheet_write_number(
                    series_, row, lxw_col_t(c + 1), tableNumber(*value, scratch_), nullptr));
                !s)
                return s;
    return {};
}

Status RecordingWorkbook::finishDataSheets() {
    for (std::size_t k = 0; k < dataSheets_.size(); ++k) {
        const qint64 rows = std::min(options_.sheetRows, written_ - qint64(k) * options_.sheetRows);
        if (Status s = file_.check(worksheet_autofilter(
                dataSheets_[k], 0, 0, lxw_row_t(std::max<qint64>(rows, 0)), kDataColumns - 1));
            !s)
            return s;
    }
    return {};
}

Status RecordingWorkbook::addCharts() {
    if (seriesRows_ == 0)
        return {};
    const char* sheet = "曲线数据";
    lxw_row_t at = 0;
    for (const CurveChart& c : kCurveCharts) {
        lxw_chart* chart = workbook_add_chart(file_.workbook(), LXW_CHART_SCATTER_STRAIGHT);
        if (!chart)
            return file_.check(LXW_ERROR_MEMORY_MALLOC_FAILED);
        chart_title_set_name(chart, c.title);
        chart_axis_set_name(chart->x_axis, "时间（s）");
        chart_axis_set_name(chart->y_axis, c.axis);
        chart_show_blanks_as(chart, LXW_CHART_BLANKS_AS_GAP);
        if (c.seriesCount == 1)
            chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
        for (int k = c.firstSeries; k < c.firstSeries + c.seriesCount; ++k) {
            lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
            if (!series)
                return file_.check(LXW_ERROR_MEMORY_MALLOC_FAILED);
            const lxw_col_t column = lxw_col_t(k + 1);
            chart_series_set_categories(series, sheet, 1, 0, seriesRows_, 0);
            chart_series_set_values(series, sheet, 1, column, seriesRows_, column);
            chart_series_set_name_range(series, sheet, 0, column);
        }
        lxw_chart_options placing{};
        placing.x_scale = 2.0;
        placing.y_scale = 1.25;
        if (Status s = file_.check(worksheet_insert_chart_opt(curves_, at, 0, chart, &placing)); !s)
            return s;
        at += 20;
    }
    return {};
}

RecordingWorkbookOutcome RecordingWorkbook::write() {
    if (Status begun = pass_.begin(); !begun)
        return {begun};
    const qint64 count = pass_.recording().RecordCount;
    first_ = std::max<qint64>(options_.firstRow, 1);
    last_ = std::min(options_.lastRow, count);
    if (options_.sheetRows < 1 || options_.sheetRows > kWorkbookSheetRows)
        options_.sheetRows = kWorkbookSheetRows;
    if (Status s = file_.open(); !s)
        return {s};
    if (Status s = addSheets(); !s)
        return {s};
    if (Status s = writeSummaryHead(); !s)
        return {s};

    const qint64 rows = std::max<qint64>(0, last_ - first_ + 1);
    ColumnReduction reduction(rows, kWorkbookCurveColumns);
    Status status; // the first failure of a write stops the rest
    const auto point = [&](float time, const std::array<std::optional<float>, kSeriesCount>& v) {
        if (status)
            status = writeSeriesPoint(time, v);
    };
    const CsvTableOutcome table = ReadCsvTable(
        pass_, first_, last_,
        [&](const std::vector<CsvTableRow>& block) {
            for (const CsvTableRow& r : block) {
                reduction.add(written_, r, point);
                if (status)
                    status = writeRow(r);
                if (!status)
                    return false;
            }
            return true;
        },
        options_.progress);
    if (table.status == CsvTableOutcome::Cancelled)
        return {{}, true};
    if (table.status == CsvTableOutcome::ReadFailed)
        return {Status::failure(table.error)};
    if (!status)
        return {status};
    reduction.finish(point);
    if (!status)
        return {status};
    // The summary is the whole pass's: the rows after the last one exported still count.
    while (!pass_.done())
        pass_.process(CumulativeAnalysis::kBlockRows);
    if (!pass_.error().isEmpty())
        return {Status::failure(pass_.error())};
    if (Status s = writeSummaryTail(); !s)
        return {s};
    if (Status s = finishDataSheets(); !s)
        return {s};
    if (Status s = addCharts(); !s)
        return {s};
    return {file_.commit()};
}

} // namespace

RecordingWorkbookOutcome WriteRecordingWorkbook(const QString& recording, const QString& path,
                                                const RecordingWorkbookOptions& options) {
    RecordingWorkbook workbook(recording, path, options);
    return workbook.write();
}

} // namespace zr5
