#include "analysis/analysisview.h"

#include <algorithm>
#include <cmath>

#include "analysis/axes.h"
#include "model/numbertext.h"

namespace zr5 {

namespace {
const char* const kQuantities[kCurveKinds] = {"一路电流", "二路电流", "三路电流", "一路电压",
                                              "二路电压", "三路电压", "有功功率", "功率因数",
                                              "效率",     "负载率"};
} // namespace

QString CurveQuantity(int kind) {
    return QString::fromUtf8(kQuantities[kind]);
}

QString SegmentedCurveCaption(int kind) {
    return QString::fromUtf8(kQuantities[kind]) + QStringLiteral("分段曲线");
}

QString CumulativeCurveCaption(int kind) {
    return QString::fromUtf8(kQuantities[kind]) + QStringLiteral("累计曲线");
}

QString AnalysisWindowCaption(const QString& currentFileName) {
    return QStringLiteral("ZR-5 多功能电量测试仪_数据分析[") + currentFileName +
           QStringLiteral("]");
}

ScrollBarSetup ScrollBarsForRecordCount(qint64 n) {
    ScrollBarSetup s;
    if (n > kPageRows) {
        s.paged = true;
        s.pageMaximum = int(n / kPageRows) + 1;
        s.rowMaximum = int(kPageRows);
        s.rowValue = 1;
    } else {
        s.rowMaximum = int(std::max<qint64>(n, 1));
        s.rowValue = s.rowMaximum;
    }
    return s;
}

qint64 DataNumber(int row, int page) {
    return qint64(row) + qint64(page - 1) * kPageRows;
}

int RowBarMaximumForPage(int page, qint64 n) {
    const qint64 rows = n - qint64(page - 1) * kPageRows;
    return int(std::clamp<qint64>(rows, 1, kPageRows));
}

RowBarPosition RowBarPositionFor(qint64 dataNumber) {
    const qint64 d = std::max<qint64>(dataNumber, 1);
    RowBarPosition p;
    p.page = int((d - 1) / kPageRows) + 1;
    p.row = int(d - qint64(p.page - 1) * kPageRows);
    return p;
}

QueryTarget QueryDataNumber(const QString& typed, qint64 n) {
    bool ok = false;
    double v = typed.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        v = 0;
    QueryTarget t;
    if (!(v > 0))
        t.row = 1;
    else if (v > double(n))
        t.row = n;
    else
        t.row = std::clamp<qint64>(qint64(std::nearbyint(v)), 1, std::max<qint64>(n, 1));
    t.text = PlainNumber(double(t.row));
    return t;
}

std::vector<ValueLabel> ValueLabels(const ValueAxis& axis, int maxLabels) {
    std::vector<ValueLabel> labels;
    for (float v : AxisLabelValues(axis)) {
        if (int(labels.size()) >= maxLabels)
            break;
        labels.push_back({PlainNumber(v), ValueLabelTop(v, axis.AxisLow, axis.AxisHigh)});
    }
    return labels;
}

std::vector<TimeLabel> TimeLabels(float duration, float step, int maxLabels) {
    if (!(duration > 0.0f))
        return {};
    const std::vector<GridLine> grid = TimeGrid(duration, step);
    std::vector<float> lefts;
    for (const GridLine& line : grid)
        lefts.push_back(TimeLabelLeft(line.value, duration));
    return GridTimeLabels(grid, lefts, maxLabels);
}

std::vector<TimeLabel> GridTimeLabels(const std::vector<GridLine>& grid,
                                      const std::vector<float>& lefts, int maxLabels) {
    std::vector<TimeLabel> labels;
    for (std::size_t i = 0; i < grid.size() && int(labels.size()) < maxLabels; ++i)
        labels.push_back({PlainNumber(grid[i].value), lefts[i]});
    // More lines than labels: the lines before the last stay unlabelled, never the last one, which
    // ends the recording.
    if (std::ssize(grid) > maxLabels && !labels.empty())
        labels.back() = {PlainNumber(grid.back().value), lefts.back()};
    return labels;
}

ExtremesLine CumulativeExtremesLine(float maximum, float minimum, const QString& unit) {
    return {QStringLiteral("    最大值") + PrintedNumber(maximum) + unit,
            QStringLiteral("最小值") + PrintedNumber(minimum) + unit};
}

qint64 CumulativeRowAtX(float x, qint64 n) {
    if (n <= 0)
        return 1;
    const double r = std::nearbyint(double(x) * double(n) / double(kTimeAxisWidth));
    return std::clamp<qint64>(qint64(r), 1, n);
}
QString PointerReadoutText(qint64 row, float elapsed, std::optional<float> value,
                           const QString& unit) {
    const QString where = QStringLiteral("第 %1 组  时间 %2 秒").arg(row).arg(PlainNumber(elapsed));
    if (!value)
        return where + QStringLiteral("  无运行数据");
    return where + QStringLiteral("  ") + PlainNumber(std::round(*value * 1000.0) / 1000.0) + unit;
}

} // namespace zr5
