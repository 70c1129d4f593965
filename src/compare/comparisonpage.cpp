#include "compare/comparisonpage.h"

#include <QDir>
#include <algorithm>
#include <cmath>

#include "model/numbertext.h"
#include "model/programversion.h"

namespace zr5 {

namespace {

// Page geometry, twips from the top left of the printable area.
constexpr double kPageWidth = 10000;
constexpr double kChartHeight = 4000, kChartGap = 300;
// The table's columns: the name from the left, the four values ending at these.
constexpr double kValueEnds[] = {5500, 7000, 8500, 9900};
constexpr float kTablePoints = 8;

// The cell colours, light to dark by the share of the rows in a cell: the before-recording's
// alone, the after-recording's alone, and both.
constexpr std::uint32_t kCellColours[3][3] = {
    {0xefdbc6, 0xd6ae6b, 0xb57121}, {0xa1bbfc, 0x4a6afb, 0x1d18cb}, {0xebdada, 0xc89a9e, 0xa3516a}};

QString RoleName(int side) {
    return side == 0 ? QStringLiteral("改造前") : QStringLiteral("改造后");
}

} // namespace

NiceAxis AxisOver(double low, double high) {
    NiceAxis a;
    low = std::min(low, 0.0);
    const double span = std::max(high - low, 1e-6);
    const double magnitude = std::pow(10.0, std::floor(std::log10(span / 5)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        a.step = m * magnitude;
        if (span / a.step <= 5)
            break;
    }
    a.low = std::floor(low / a.step) * a.step;
    a.high = std::max(a.low + a.step, std::ceil(high / a.step) * a.step);
    return a;
}

ComparisonChart LoadDurationChart(const Comparison& c) {
    ComparisonChart chart;
    chart.title = QStringLiteral("负荷持续曲线");
    chart.xTitle = QStringLiteral("时间占比 %");
    chart.yTitle = QStringLiteral("输入功率 kW");
    const ComparedRecording* sides[] = {&c.before, &c.after};
    double low = 0, high = 0;
    for (const ComparedRecording* r : sides)
        if (!r->loadDuration.empty()) {
            high = std::max(high, double(r->loadDuration.front()));
            low = std::min(low, double(r->loadDuration.back()));
        }
    const NiceAxis axis = AxisOver(low, high);
    for (double v = axis.low; v <= axis.high + axis.step / 2; v += axis.step)
        chart.yLabels.push_back({(v - axis.low) / (axis.high - axis.low), PlainNumber(v)});
    for (int pct = 0; pct <= 100; pct += 20)
        chart.xLabels.push_back({pct / 100.0, QString::number(pct)});
    for (int side = 0; side < 2; ++side) {
        const std::vector<float>& d = sides[side]->loadDuration;
        ChartCurve curve{RoleName(side), side == 0 ? kBeforeColour : kAfterColour, {}};
        for (std::size_t i = 0; i < d.size(); ++i)
            curve.points.emplace_back(double(i) / double(d.size() - 1),
                                      (double(d[i]) - axis.low) / (axis.high - axis.low));
        chart.legend.push_back({curve.name, curve.colour, false});
        chart.curves.push_back(std::move(curve));
    }
    return chart;
}

ComparisonChart EfficiencyChart(const Comparison& c) {
    using Cloud = EfficiencyCloud;
    ComparisonChart chart;
    chart.title = QStringLiteral("效率与负载率");
    chart.xTitle = QStringLiteral("负载率 %");
    chart.yTitle = QStringLiteral("效率 %");
    const ComparedRecording* sides[] = {&c.before, &c.after};
    // The efficiency axis starts at the ten below the efficiency that all but a fiftieth of both
    // recordings' rows reach (a few rows at no load would squeeze the rest); rows below it stand
    // on the axis.
    std::vector<qint64> rowsAt(std::size_t(Cloud::kEfficiencyCells), 0);
    for (const ComparedRecording* r : sides)
        for (int l = 0; l < Cloud::kLoadCells; ++l)
            for (int e = 0; e < Cloud::kEfficiencyCells; ++e)
                rowsAt[std::size_t(e)] += r->cloud.count(l, e);
    const double fiftieth = double(c.before.cloud.rows + c.after.cloud.rows) / 50;
    int lowest = 0;
    for (qint64 below = 0; lowest < Cloud::kEfficiencyCells - 1; ++lowest)
        if (double(below += rowsAt[std::size_t(lowest)]) >= fiftieth)
            break;
    const double low =
        std::clamp(std::floor(lowest * Cloud::kEfficiencyCellHeight / 10) * 10, 0.0, 80.0);
    const double loadSpan = Cloud::kLoadCells * Cloud::kLoadCellWidth;
    auto y = [&](double efficiency) {
        return std::clamp((efficiency - low) / (100 - low), 0.0, 1.0);
    };
    for (double v = low; v <= 100; v += low >= 50 ? 10 : 20)
        chart.yLabels.push_back({y(v), PlainNumber(v)});
    for (int pct = 0; pct <= int(loadSpan); pct += 25)
        chart.xLabels.push_back({pct / loadSpan, QString::number(pct)});

    // A cell's shade: a fifth of a recording's rows or more is dark, a fiftieth medium.
    auto level = [](qint64 count, qint64 rows) {
        if (count == 0)
            return -1;
        const double share = double(count) / double(rows);
        return share >= 0.2 ? 2 : share >= 0.02 ? 1 : 0;
    };
    for (int l = 0; l < Cloud::kLoadCells; ++l)
        for (int e = 0; e < Cloud::kEfficiencyCells; ++e) {
            const int b = level(c.before.cloud.count(l, e), c.before.cloud.rows);
            const int a = level(c.after.cloud.count(l, e), c.after.cloud.rows);
            if (b < 0 && a < 0)
                continue;
            const int who = a < 0 ? 0 : b < 0 ? 1 : 2;
            chart.cells.push_back(
                {l * Cloud::kLoadCellWidth / loadSpan, y(e * Cloud::kEfficiencyCellHeight),
                 (l + 1) * Cloud::kLoadCellWidth / loadSpan,
                 y((e + 1) * Cloud::kEfficiencyCellHeight), kCellColours[who][std::max(a, b)]});
        }
    for (int side = 0; side < 2; ++side) {
        const ComparedRecording& r = *sides[side];
        const std::uint32_t colour = side == 0 ? kBeforeColour : kAfterColour;
        chart.legend.push_back(
            {RoleName(side) + QStringLiteral("运行点"), kCellColours[side][1], true});
        if (!r.run.assessment.economics)
            continue;
        const MotorEconomics& m = *r.run.assessment.economics;
        ChartCurve curve{RoleName(side) + QStringLiteral("额定 η(β)"), colour, {}};
        for (int i = 1; i <= 300; ++i) {
            const double beta = i * loadSpan / 100 / 300;
            curve.points.emplace_back(beta * 100 / loadSpan, y(m.efficiency(beta)));
        }
        chart.curves.push_back(curve);
    }
    chart.legend.push_back({QStringLiteral("两者都有"), kCellColours[2][1], true});
    for (const ChartCurve& curve : chart.curves)
        chart.legend.push_back({curve.name, curve.colour, false});
    return chart;
}

void DrawComparisonChart(Printer& p, double left, double top, double width, double height,
                         const ComparisonChart& c) {
    const float points = 8;
    p.setFontSize(points);
    const double line = p.lineHeight();
    const double plotLeft = left + 600, plotRight = left + width - (c.y2Labels.empty() ? 150 : 600);
    const double plotTop = top + 2 * line + 100;
    const double plotBottom = top + height - 3 * line - 100;
    auto X = [&](double f) { return plotLeft + f * (plotRight - plotLeft); };
    auto Y = [&](double f) { return plotBottom - f * (plotBottom - plotTop); };

    p.setPenColour(Colour::Black);
    p.setPenStyle(PenStyle::Solid);
    p.setPenWidth(1);
    p.setFontSize(9);
    p.setPosition(left, top);
    p.print(c.title);
    p.setFontSize(points);
    p.setPosition(left, top + line + 20);
    p.print(c.yTitle);
    if (!c.y2Title.isEmpty()) {
        p.setPosition(left + width - p.device().textWidth(c.y2Title, points), top + line + 20);
        p.print(c.y2Title);
    }
    p.setPenColour(Colour::Black);
    p.setPenStyle(PenStyle::Dotted);
    for (const ChartLabel& l : c.yLabels)
        p.line(plotLeft, Y(l.at), plotRight, Y(l.at));
    for (const ChartLabel& l : c.xLabels)
        p.line(X(l.at), plotTop, X(l.at), plotBottom);
    p.setPenStyle(PenStyle::Solid);
    for (const ChartLabel& l : c.yLabels) {
        p.setPosition(plotLeft - 80 - p.device().textWidth(l.text, points), Y(l.at) - line / 2);
        p.print(l.text);
    }
    for (const ChartLabel& l : c.y2Labels) {
        p.setPosition(plotRight + 80, Y(l.at) - line / 2);
        p.print(l.text);
    }
    for (const ChartLabel& l : c.xLabels) {
        p.setPosition(X(l.at) - p.device().textWidth(l.text, points) / 2, plotBottom + 40);
        p.print(l.text);
    }
    p.setPosition(plotRight - p.device().textWidth(c.xTitle, points), plotBottom + 40 + line);
    p.print(c.xTitle);
    auto curves = [&] {
        p.setPenWidth(2);
        for (const ChartCurve& curve : c.curves) {
            p.setPenColour(curve.colour);
            for (std::size_t i = 1; i < curve.points.size(); ++i)
                p.line(X(curve.points[i - 1].first), Y(curve.points[i - 1].second),
                       X(curve.points[i].first), Y(curve.points[i].second));
        }
    };
    auto cells = [&] {
        for (const ChartCell& cell : c.cells) {
            p.setPenColour(cell.colour);
            p.fillBox(X(cell.left), Y(cell.top), X(cell.right), Y(cell.bottom));
        }
    };
    // Usually the cells over the curves: where a recording ran lies on its motor's curve.
    if (c.curvesOverCells) {
        cells();
        curves();
    } else {
        curves();
        cells();
    }
    p.setPenColour(Colour::Black);
    p.setPenWidth(3);
    p.box(plotLeft, plotTop, plotRight, plotBottom);
    p.setPenWidth(1);

    // The legend under the plot, on as many lines as it needs.
    const double size = line * 0.7;
    double x = left, y = plotBottom + 60 + 2 * line;
    for (const ChartKey& k : c.legend) {
        const double w = size + 60 + p.device().textWidth(k.name, points) + 200;
        if (x > left && x + w > left + width) {
            x = left;
            y += line;
        }
        p.setPenColour(k.colour);
        if (k.filled) {
            p.fillBox(x, y + line * 0.15, x + size, y + line * 0.15 + size);
        } else {
            p.setPenWidth(2);
            p.line(x, y + line / 2, x + size, y + line / 2);
            p.setPenWidth(1);
        }
        p.setPenColour(Colour::Black);
        p.setPosition(x + size + 60, y);
        p.print(k.name);
        x += w;
    }
}

ComparisonPageJob::ComparisonPageJob(Printer& printer, Comparison comparison)
    : p_(printer), c_(std::move(comparison)) {}

bool ComparisonPageJob::step() {
    if (done_)
        return false;
    done_ = true;
    double y = heading(0);
    y = table(y + 150);
    const double chartWidth = (kPageWidth - kChartGap) / 2;
    DrawComparisonChart(p_, 0, y + 200, chartWidth, kChartHeight, LoadDurationChart(c_));
    DrawComparisonChart(p_, chartWidth + kChartGap, y + 200, chartWidth, kChartHeight,
                        EfficiencyChart(c_));
    y = wrapped(y + 200 + kChartHeight + 100, QStringLiteral("结论：") + ComparisonVerdict(c_), 10);
    for (const QString& w : c_.warnings)
        y = wrapped(y, QStringLiteral("提示：") + w, 9);
    p_.setFontSize(9);
    p_.setPosition(0, y + 150);
    p_.printLine(QStringLiteral("无功经济当量 KQ = %1 kW/kvar，年运行时间 %2 h，电价 %3 元/kWh")
                     .arg(PlainNumber(c_.settings.KQ), PlainNumber(c_.settings.hoursPerYear),
                          PlainNumber(c_.settings.price)));
    p_.print(QStringLiteral("ZR－5  Ver ") + QString::fromLatin1(ProgramVersion()));
    return false;
}

double ComparisonPageJob::heading(double y) {
    const QString title = QStringLiteral("电动机改造前后对比");
    p_.setFontSize(16);
    p_.setPosition((kPageWidth - p_.device().textWidth(title, 16)) / 2, y);
    p_.printLine(title);
    p_.setFontSize(9);
    p_.setPosition(0, p_.y() + 150);
    const ComparedRecording* sides[] = {&c_.before, &c_.after};
    for (int side = 0; side < 2; ++side) {
        const RecordingInfo& r = sides[side]->run.recording;
        const MotorParameters m = r.header.motorParameters();
        p_.printLine(QStringLiteral("%1：%2（%3 行）")
                         .arg(RoleName(side), QDir::toNativeSeparators(r.path))
                         .arg(r.RecordCount));
        p_.printLine(QStringLiteral("　　电动机：额定功率 %1 kW，额定效率 %2%，额定电压 %3 V，"
                                    "%4 极，空载功率 %5 kW")
                         .arg(PlainNumber(m.RatedPower), PlainNumber(m.RatedEfficiency),
                              PlainNumber(m.RatedVoltage), PlainNumber(m.Poles),
                              PlainNumber(m.NoLoadPower)));
    }
    return p_.y();
}

double ComparisonPageJob::table(double top) {
    const std::vector<ComparisonRow> rows = ComparisonRows(c_);
    p_.setFontSize(kTablePoints);
    const double line = double(kTablePoints) * 20 * 1.15;
    const QString heads[] = {QStringLiteral("改造前"), QStringLiteral("改造后"),
                             QStringLiteral("差值"), QStringLiteral("变化")};
    double y = top + 40;
    p_.setPosition(100, y);
    p_.print(QStringLiteral("项目"));
    for (int k = 0; k < 4; ++k) {
        p_.setPosition(kValueEnds[k] - p_.device().textWidth(heads[k], kTablePoints), y);
        p_.print(heads[k]);
    }
    y += line;
    p_.setPenWidth(1);
    p_.line(0, y, kPageWidth, y);
    for (const ComparisonRow& r : rows) {
        if (r.isGroup()) {
            p_.setPosition(100, y);
            p_.print(r.label);
            y += line;
            continue;
        }
        p_.setPosition(300, y);
        p_.print(r.label + (r.unit.isEmpty() ? QString() : QStringLiteral("（%1）").arg(r.unit)));
        QStringList values = ComparisonRowTexts(r);
        for (int k = 0; k < 4; ++k) {
            // The reason a value is missing stays in the window; the page says "—".
            QString v = values[k];
            if (v.startsWith(QStringLiteral("—")))
                v = QStringLiteral("—");
            p_.setPosition(kValueEnds[k] - p_.device().textWidth(v, kTablePoints), y);
            p_.print(v);
        }
        y += line;
    }
    p_.setPenWidth(3);
    p_.box(0, top, kPageWidth, y + 40);
    p_.setPenWidth(1);
    return y + 40;
}

double ComparisonPageJob::wrapped(double y, const QString& text, float points) {
    p_.setFontSize(points);
    return PrintWrapped(p_, y, kPageWidth, text);
}

} // namespace zr5
