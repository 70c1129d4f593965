#include "workbook/recordingworkbook.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>
#include <xlsxwriter.h>

#include "analysis/csvtable.h"
#include "analysis/cumulative.h"
#include "workbook/summarysheet.h"
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

} // namespace

class RecordingWorkbook {
public:
    RecordingWorkbook(const QString& recording, const QString& path,
                      const RecordingWorkbookOptions& options)
        : file_(path), pass_(recording, model_, results_), options_(options) {}
    RecordingWorkbook(const RecordingInfo& recording, const QString& path,
                      const RecordingWorkbookOptions& options)
        : file_(path), pass_(recording, model_, results_), options_(options) {}

    bool step();
    bool completing() const { return stage_ == Stage::Complete; }
    qint64 done() const { return pass_.rowsDone(); }
    qint64 total() const { return pass_.recording().RecordCount; }
    const RecordingWorkbookOutcome& outcome() const { return outcome_; }

private:
    enum class Stage { Begin, Rows, Rest, Complete, Ended };
    using Values = std::array<std::optional<float>, kSeriesCount>;

    Status begin();
    Status rows();
    Status rest();
    Status complete();
    Status addSheets();
    Status writeRow(const CsvTableRow& row);
    Status writeSeriesPoint(float time, const Values& v);
    Status finishDataSheets();
    Status addCharts();

    WorkbookFile file_;
    MeasurementModel model_;
    AnalysisResults results_;
    CumulativeAnalysis pass_;
    RecordingWorkbookOptions options_;
    Stage stage_ = Stage::Begin;
    RecordingWorkbookOutcome outcome_;
    qint64 first_ = 1, last_ = 0;
    std::optional<SummarySheet> summary_;
    std::optional<ColumnReduction> reduction_;
    std::vector<lxw_worksheet*> dataSheets_;
    lxw_worksheet* curves_ = nullptr;
    lxw_worksheet* series_ = nullptr;
    qint64 written_ = 0;       // table rows written
    lxw_row_t seriesRows_ = 0; // points on the series sheet
    lxw_format* integer_ = nullptr;
    std::vector<CsvTableRow> block_;
    std::string scratch_;
};

Status RecordingWorkbook::addSheets() {
    auto add = [&](const QString& name, lxw_worksheet*& sheet) {
        Result<lxw_worksheet*> s = file_.addSheet(name);
        if (s)
            sheet = *s;
        return Status::of(s);
    };
    lxw_worksheet* summary = nullptr;
    if (Status s = add(QStringLiteral("概况"), summary); !s)
        return s;
    summary_.emplace(file_, summary);
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
        if (Status s = file_.writeHeadings(sheet, 0, kDataHeaders, kDataColumns); !s)
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
    return file_.writeHeadings(series_, 0, seriesHeaders.data(), kSeriesCount + 1);
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
            e = worksheet_write_number(sheet, row, column, WorkbookNumber(v), nullptr);
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

Status RecordingWorkbook::writeSeriesPoint(float time, const Values& v) {
    const lxw_row_t row = ++seriesRows_;
    if (Status s =
            file_.check(worksheet_write_number(series_, row, 0, WorkbookNumber(time), nullptr));
        !s)
        return s;
    for (int c = 0; c < kSeriesCount; ++c)
        if (const std::optional<float>& value = v[std::size_t(c)])
            if (Status s = file_.check(worksheet_write_number(series_, row, lxw_col_t(c + 1),
                                                              WorkbookNumber(*value), nullptr));
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

Status RecordingWorkbook::begin() {
    if (Status begun = pass_.begin(); !begun)
        return begun;
    const qint64 count = pass_.recording().RecordCount;
    first_ = std::max<qint64>(options_.firstRow, 1);
    last_ = std::min(options_.lastRow, count);
    if (options_.sheetRows < 1 || options_.sheetRows > kWorkbookSheetRows)
        options_.sheetRows = kWorkbookSheetRows;
    if (Status s = file_.open(); !s)
        return s;
    integer_ = file_.integer();
    if (Status s = addSheets(); !s)
        return s;
    reduction_.emplace(std::max<qint64>(0, last_ - first_ + 1), kWorkbookCurveColumns);
    block_.reserve(std::size_t(CumulativeAnalysis::kBlockRows));
    stage_ = Stage::Rows;
    return summary_->head(pass_.recording(), std::make_pair(first_, last_));
}

Status RecordingWorkbook::rows() {
    if (!NextCsvTableRows(pass_, first_, last_, block_)) {
        stage_ = Stage::Rest;
        return {};
    }
    Status status; // the first failure of a write stops the rest
    const auto point = [&](float time, const Values& v) {
        if (status)
            status = writeSeriesPoint(time, v);
    };
    for (const CsvTableRow& r : block_) {
        reduction_->add(written_, r, point);
        if (status)
            status = writeRow(r);
        if (!status)
            return status;
    }
    return {};
}

Status RecordingWorkbook::rest() {
    // The summary is the whole pass's: the rows after the last one exported still count.
    if (!pass_.done()) {
        pass_.process(16 * CumulativeAnalysis::kBlockRows);
        return {};
    }
    if (!pass_.error().isEmpty())
        return Status::failure(pass_.error());
    Status status;
    reduction_->finish([&](float time, const Values& v) {
        if (status)
            status = writeSeriesPoint(time, v);
    });
    stage_ = Stage::Complete;
    return status;
}

Status RecordingWorkbook::complete() {
    stage_ = Stage::Ended;
    if (Status s = summary_->totals(results_); !s)
        return s;
    if (Status s = finishDataSheets(); !s)
        return s;
    if (Status s = addCharts(); !s)
        return s;
    return file_.commit();
}

bool RecordingWorkbook::step() {
    Status s;
    switch (stage_) {
    case Stage::Begin:
        s = begin();
        break;
    case Stage::Rows:
        s = rows();
        break;
    case Stage::Rest:
        s = rest();
        break;
    case Stage::Complete:
        s = complete();
        break;
    case Stage::Ended:
        return false;
    }
    if (!s) {
        stage_ = Stage::Ended;
        file_.cancel();
        outcome_ = {s};
    }
    return stage_ != Stage::Ended;
}

RecordingWorkbookWriter::RecordingWorkbookWriter(const QString& recording, const QString& path,
                                                 const RecordingWorkbookOptions& options)
    : impl_(std::make_unique<RecordingWorkbook>(recording, path, options)) {}

RecordingWorkbookWriter::RecordingWorkbookWriter(const RecordingInfo& recording,
                                                 const QString& path,
                                                 const RecordingWorkbookOptions& options)
    : impl_(std::make_unique<RecordingWorkbook>(recording, path, options)) {}

RecordingWorkbookWriter::~RecordingWorkbookWriter() = default;

bool RecordingWorkbookWriter::step() {
    return impl_->step();
}

bool RecordingWorkbookWriter::completing() const {
    return impl_->completing();
}

qint64 RecordingWorkbookWriter::done() const {
    return impl_->done();
}

qint64 RecordingWorkbookWriter::total() const {
    return impl_->total();
}

const RecordingWorkbookOutcome& RecordingWorkbookWriter::outcome() const {
    return impl_->outcome();
}

RecordingWorkbookOutcome WriteRecordingWorkbook(const QString& recording, const QString& path,
                                                const RecordingWorkbookOptions& options) {
    RecordingWorkbookWriter writer(recording, path, options);
    while (writer.step())
        if (options.progress && !writer.completing() &&
            !options.progress(writer.done(), writer.total()))
            return {{}, true}; // the writer drops the unfinished workbook
    return writer.outcome();
}

} // namespace zr5
