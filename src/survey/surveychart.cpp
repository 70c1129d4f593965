#include "survey/surveychart.h"

#include <algorithm>
#include <cmath>

#include "model/numbertext.h"

namespace zr5 {

std::vector<ParetoBar> ParetoBars(const SurveyReport& report) {
    std::vector<ParetoBar> bars;
    double total = 0;
    for (const SurveyMotorLine& m : report.motors)
        if (m.annualSavingKwh > 0) {
            bars.push_back({m.tag, m.department, m.annualSavingKwh, 0});
            total += m.annualSavingKwh;
        }
    // The report is ranked already; a stable sort keeps its order among equal savings.
    std::stable_sort(bars.begin(), bars.end(), [](const ParetoBar& a, const ParetoBar& b) {
        return a.savingKwh > b.savingKwh;
    });
    double sum = 0;
    for (ParetoBar& b : bars) {
        sum += b.savingKwh;
        b.cumulativePct = 100 * sum / total;
    }
    return bars;
}

ComparisonChart ParetoChart(const SurveyReport& report) {
    ComparisonChart chart;
    chart.title = QStringLiteral("年节电量排列图");
    chart.xTitle = QStringLiteral("电机（按年节电量排序）");
    chart.yTitle = QStringLiteral("年节电量（kWh）");
    chart.y2Title = QStringLiteral("累计占比（%）");
    chart.curvesOverCells = true;
    const std::vector<ParetoBar> bars = ParetoBars(report);
    for (int pct = 0; pct <= 100; pct += 20)
        chart.y2Labels.push_back({pct / 100.0, QString::number(pct)});
    if (bars.empty()) {
        chart.yLabels.push_back({0, QStringLiteral("0")});
        return chart;
    }
    const NiceAxis axis = AxisOver(0, bars.front().savingKwh);
    for (double v = axis.low; v <= axis.high + axis.step / 2; v += axis.step)
        chart.yLabels.push_back({(v - axis.low) / (axis.high - axis.low), PlainNumber(v)});
    const double n = double(bars.size());
    // At most about a dozen rank numbers along the bottom.
    const int every = std::max(1, int(std::ceil(n / 12)));
    ChartCurve running{QStringLiteral("累计占比"), Colour::Red, {}};
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double left = double(i) / n, right = double(i + 1) / n, gap = 0.15 / n;
        chart.cells.push_back({left + gap, 0, right - gap,
                               (bars[i].savingKwh - axis.low) / (axis.high - axis.low),
                               Colour::Blue});
        running.points.emplace_back((left + right) / 2, bars[i].cumulativePct / 100);
        if (i % std::size_t(every) == 0)
            chart.xLabels.push_back({(left + right) / 2, QString::number(i + 1)});
    }
    chart.curves.push_back(std::move(running));
    chart.legend.push_back({QStringLiteral("年节电量"), Colour::Blue, true});
    chart.legend.push_back({QStringLiteral("累计占比"), Colour::Red, false});
    return chart;
}

} // namespace zr5
