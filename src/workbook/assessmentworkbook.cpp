#include "workbook/assessmentworkbook.h"

#include <xlsxwriter.h>

#include "assessment/assessmentfigures.h"
#include "assessment/assessmentpage.h"
#include "model/numbertext.h"
#include "workbook/figuresheet.h"
#include "workbook/summarysheet.h"
#include "workbook/workbookfile.h"

namespace zr5 {

namespace {

// The chart stands right of the figures; the load bands' table under them (the library's
// constant-memory mode writes a sheet's rows in order).
constexpr int kChartColumn = 7;
constexpr int kBands = int(std::tuple_size_v<decltype(RecordingAssessment::loadBandHours)>);

QString BandLabel(int band) {
    return band + 1 < kBands ? QStringLiteral("%1-%2").arg(band * 10).arg(band * 10 + 10)
                             : QStringLiteral(">%1").arg(band * 10);
}

// The program's colours keep red in the low byte, the library's in the high one.
lxw_color_t LibraryColour(std::uint32_t colour) {
    return ((colour & 0xff) << 16) | (colour & 0xff00) | ((colour >> 16) & 0xff);
}

class AssessmentSheet {
public:
    AssessmentSheet(WorkbookFile& file, lxw_worksheet* sheet) : file_(file), sheet_(sheet) {}

    Status text(unsigned row, int column, const QString& text, lxw_format* format = nullptr) {
        return file_.check(worksheet_write_string(sheet_, row, lxw_col_t(column),
                                                  text.toUtf8().constData(), format));
    }
    Status number(unsigned row, int column, double value, lxw_format* format = nullptr) {
        return file_.check(worksheet_write_number(sheet_, row, lxw_col_t(column), value, format));
    }
    Status bands(const RecordingAssessment& a, unsigned top);

private:
    WorkbookFile& file_;
    lxw_worksheet* sheet_;
};

Status AssessmentSheet::bands(const RecordingAssessment& a, unsigned top) {
    if (!a.economics)
        return {}; // without the method there are no load bands
    const MotorEconomics& e = *a.economics;
    const char* const heads[] = {"负载率（%）", "运行区", "时间（h）"};
    for (int c = 0; c < 3; ++c)
        if (Status s = text(top, c, QString::fromUtf8(heads[c]), file_.bold()); !s)
            return s;
    for (int z = 0; z < kOperatingZones; ++z)
        if (Status s = text(top, 3 + z, ZoneName(OperatingZone(z)) + QStringLiteral("（h）"),
                            file_.bold());
            !s)
            return s;
    for (int b = 0; b < kBands; ++b) {
        const unsigned row = top + unsigned(b + 1);
        const OperatingZone zone = LoadBandZone(std::size_t(b), e);
        const double hours = JsonDouble(a.loadBandHours[std::size_t(b)]).toDouble();
        // The band's hours once more in its zone's column: the chart's series, one per zone.
        Status s = text(row, 0, BandLabel(b));
        if (s)
            s = text(row, 1, ZoneName(zone));
        if (s)
            s = number(row, 2, hours);
        if (s)
            s = number(row, 3 + int(zone), hours);
        if (!s)
            return s;
    }
    lxw_chart* chart = workbook_add_chart(file_.workbook(), LXW_CHART_COLUMN);
    if (!chart)
        return file_.check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    chart_title_set_name(chart, "各负载率区间的运行时间");
    chart_axis_set_name(chart->x_axis, "负载率（%）");
    chart_axis_set_name(chart->y_axis, "时间（h）");
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    const char* sheet = "评估";
    for (int z = 0; z < kOperatingZones; ++z) {
        lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
        if (!series)
            return file_.check(LXW_ERROR_MEMORY_MALLOC_FAILED);
        const lxw_col_t column = lxw_col_t(3 + z);
        chart_series_set_categories(series, sheet, top + 1, 0, top + kBands, 0);
        chart_series_set_values(series, sheet, top + 1, column, top + kBands, column);
        chart_series_set_name_range(series, sheet, top, column);
        lxw_chart_fill fill{};
        fill.color = LibraryColour(ZoneColour(OperatingZone(z)));
        chart_series_set_fill(series, &fill);
    }
    // The zones' series share the band's place: each band has hours in one of them only.
    chart_set_series_overlap(chart, 100);
    chart_set_series_gap(chart, 30);
    lxw_chart_options placing{};
    placing.x_scale = 1.5;
    placing.y_scale = 1.25;
    return file_.check(worksheet_insert_chart_opt(sheet_, 1, kChartColumn, chart, &placing));
}

} // namespace

Status WriteAssessmentWorkbook(const AssessmentRun& run, const AssessmentSettings& settings,
                               const QString& path) {
    WorkbookFile file(path);
    if (Status s = file.open(); !s)
        return s;
    Result<lxw_worksheet*> summary = file.addSheet(QStringLiteral("概况"));
    if (!summary)
        return Status::of(summary);
    SummarySheet overview(file, *summary);
    if (Status s = overview.head(run.recording, std::nullopt); !s)
        return s;
    if (Status s = overview.totals(run.totals); !s)
        return s;

    Result<lxw_worksheet*> added = file.addSheet(QStringLiteral("评估"));
    if (!added)
        return Status::of(added);
    lxw_worksheet* sheet = *added;
    const std::pair<int, double> widths[] = {{0, 30}, {1, 14}, {2, 10}, {3, 16},
                                             {4, 30}, {5, 34}, {6, 12}};
    for (const auto& [column, width] : widths)
        if (Status s = file.check(
                worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr));
            !s)
            return s;
    AssessmentSheet w(file, sheet);
    const RecordingAssessment& a = run.assessment;
    const double hours = double(run.recording.header.Duration) / 3600.0;
    if (Status s = file.writeHeadings(sheet, 0, kFigureHeadings, kFigureColumns); !s)
        return s;
    const Result<unsigned> next = WriteFigureList(file, sheet, 1, AssessmentFigures(a, hours));
    if (!next)
        return Status::of(next);
    unsigned row = *next + 1;
    Status s = w.text(row, 0, QStringLiteral("结论"), file.bold());
    if (s)
        s = w.text(row++, 1, AssessmentVerdict(a, hours, run.recording.header.Motor[1]));
    const std::tuple<const char*, double, const char*> used[] = {
        {"无功经济当量 KQ", settings.KQ, "kW/kvar"},
        {"年运行时间", settings.hoursPerYear, "h"},
        {"电价", settings.price, "元/kWh"}};
    for (const auto& [label, value, unit] : used) {
        if (s)
            s = w.text(row, 0, QString::fromUtf8(label));
        if (s)
            s = w.number(row, 1, value);
        if (s)
            s = w.text(row++, 2, QString::fromUtf8(unit));
    }
    if (s)
        s = w.bands(a, row + 1);
    if (!s)
        return s;
    return file.commit();
}

} // namespace zr5
