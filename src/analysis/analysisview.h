#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "analysis/curves.h"

namespace zr5 {

// The largest value of the row scroll bar: rows beyond it are reached page by page.
constexpr qint64 kPageRows = 32767;

// The quantity a curve kind shows ("一路电流").
QString CurveQuantity(int kind);
// Frame captions of a curve kind's surfaces.
QString SegmentedCurveCaption(int kind);
QString CumulativeCurveCaption(int kind);
// "ZR-5 多功能电量测试仪_数据分析[<file>]".
QString AnalysisWindowCaption(const QString& currentFileName);

// How the two scroll bars are set up when the window opens.
struct ScrollBarSetup {
    bool paged = false; // more rows than the row bar can take: the page bar is used
    int pageMaximum = 1;
    int rowMaximum = 1;
    int rowValue = 1;
};
ScrollBarSetup ScrollBarsForRecordCount(qint64 recordCount);

// The data number a row bar value stands for on a page: row + (page - 1) x 32767.
qint64 DataNumber(int row, int page);
// The row bar's maximum on a page: the rows from that page on, at most 32767.
int RowBarMaximumForPage(int page, qint64 recordCount);
// The row bar position (page and row on it) that shows a data number.
struct RowBarPosition {
    int page = 1;
    int row = 1;
};
RowBarPosition RowBarPositionFor(qint64 dataNumber);

// The data number a query shows for the text typed into the box: a number below 1, or text that
// is not a number, shows row 1; one above the row count the last row; others are rounded.
struct QueryTarget {
    qint64 row = 1;
    QString text; // what the box then holds
};
QueryTarget QueryDataNumber(const QString& typed, qint64 recordCount);

// A value label beside a curve surface: its caption and the top of the label in twips.
struct ValueLabel {
    QString caption;
    float top;
};
// The value labels of an axis (at most `maxLabels`; grid values near zero read "0").
std::vector<ValueLabel> ValueLabels(const ValueAxis& axis, int maxLabels = 8);

// A time label below a curve surface: its caption (seconds) and left edge in twips; the caption
// starts there, or is centred in a box of the label's width from there.
struct TimeLabel {
    QString caption;
    float left;
    bool centred = false;
};
// The time labels of the time grid. When the grid has more lines than there are labels, the last
// label goes to the last line and the lines before it stay unlabelled.
std::vector<TimeLabel> TimeLabels(float duration, float timeGridStep, int maxLabels = 13);
// The same rule for any grid: the labels of the lines with their left edges.
std::vector<TimeLabel> GridTimeLabels(const std::vector<GridLine>& grid,
                                      const std::vector<float>& lefts, int maxLabels = 13);

// The max/min line printed on a cumulative surface after the pass: "    最大值", the maximum and
// the unit, then from column 40 "最小值", the minimum and the unit.
struct ExtremesLine {
    QString maximumPart;
    QString minimumPart;
    static constexpr int kMinimumColumn = 40;
};
ExtremesLine CumulativeExtremesLine(float maximum, float minimum, const QString& unit);

// The row of a cumulative surface nearest to an x in twips.
qint64 CumulativeRowAtX(float x, qint64 recordCount);

// The pointer's readout over a curve: "第 50 组  时间 300 秒  12.345 A", or "无运行数据" in place
// of the value where the row has none.
QString PointerReadoutText(qint64 row, float elapsed, std::optional<float> value,
                           const QString& unit);

} // namespace zr5
