#pragma once

#include <QtGlobal>
#include <array>
#include <vector>

#include "analysis/curves.h"

namespace zr5 {

// One straight line on a curve surface, in twips.
struct CurveLine {
    float x1, y1, x2, y2;
    bool operator==(const CurveLine&) const = default;
};

// x of row k (1-based) on a cumulative surface: k x 6000 / row count. Computed in double
// precision: adding the step once per row in single precision ends a long curve short of the axis.
float CumulativePlotX(qint64 row, qint64 rowCount);

// A y held inside the plot area (kPlotTop..kPlotBottom): a value beyond its axis stands at the
// plot's edge.
float ClampToPlot(float y);

// A polyline reduced to what a surface can show. Points beyond the plot area are drawn at its edge,
// and where a curve runs out of the plot a small arrowhead at the edge, in the curve's own lines,
// points the way it went (again every 600 twips while it stays out). With a column width (twips per
// pixel column) the segments that start and end in the same column become one vertical line from
// that column's lowest to its highest point; segments that cross a column boundary are kept as they
// are. The picture stays the same while the number of lines follows the columns, not the points. A
// column width of 0 keeps every segment.
// Each on its own cache lines: the kinds of a set may be traced on different threads.
class alignas(64) CurveTrace {
public:
    // The screen's surfaces and the printed page hold their curves in the plot; Clip::None
    // leaves values beyond an axis where they fall.
    enum class Clip { ToPlot, None };
    explicit CurveTrace(float columnWidth = 0, Clip clip = Clip::ToPlot)
        : columnWidth_(columnWidth), clip_(clip) {}

    // The next point; the segment from the previous point is drawn when `draw` is true (and there
    // is a previous point). A point without its segment still becomes the next segment's start.
    void add(float x, float y, bool draw);
    // Consecutive points at once, as many add() calls would give them: x[i], its pixel column
    // (columnOf(x[i])), y[i], and whether the segment to the point is drawn (null: all are).
    // Points inside the plot that stay in the open column only widen it.
    void add(const float* x, const qint64* columns, const float* y, const unsigned char* draw,
             std::size_t count);
    qint64 columnOf(float x) const { return column(x); }
    // Ends the curve: the open column's line is emitted.
    void finish();
    // The lines emitted since the last call; the caller takes them.
    std::vector<CurveLine> takeLines();
    // The lines emitted and not taken.
    const std::vector<CurveLine>& lines() const { return lines_; }

private:
    qint64 column(float x) const;
    void flushColumn();
    void markOverRange(float x, float edge);

    float columnWidth_;
    Clip clip_;
    bool hasPrevious_ = false;
    float previousX_ = 0, previousY_ = 0;
    bool columnOpen_ = false;
    qint64 openColumn_ = 0;
    float columnLow_ = 0, columnHigh_ = 0;
    float previousEdge_ = 0; // the edge the previous point was held at, 0 inside the plot
    float lastMarkX_ = 0;
    std::vector<CurveLine> lines_;
};

// The points of consecutive rows on the ten curves: x, every kind's y and whether the row has a
// computed operating point (1) or not (0).
struct CurvePoints {
    std::vector<float> x;
    std::array<std::vector<float>, kCurveKinds> y;
    std::vector<unsigned char> operatingPoint;
    void resize(std::size_t n);
};

// The ten curves of one surface set (cumulative or segmented), extended row by row: kinds 0..7
// always, efficiency and load rate only for rows with a computed operating point.
class CurveSetTrace {
public:
    explicit CurveSetTrace(float columnWidth = 0);
    void add(float x, const std::array<float, kCurveKinds>& ys, bool operatingPoint);
    // The rows of a block at once.
    void add(const CurvePoints& points);
    // The same in parts: the rows' pixel columns, then each kind once (kinds are independent of
    // each other, so different threads may add different kinds).
    void placeColumns(const CurvePoints& points);
    void addKind(int kind, const CurvePoints& points);
    void finish();
    CurveTrace& kind(int k) { return traces_[std::size_t(k)]; }

private:
    float columnWidth_;
    std::array<CurveTrace, kCurveKinds> traces_;
    std::vector<qint64> columns_;
};

} // namespace zr5
