#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "analysis/analysisview.h"
#include "analysis/axes.h"
#include "analysis/curvetrace.h"
#include "model/result.h"

namespace zr5 {

struct RecordingInfo;

// The stretch of a recording a cumulative surface shows: the whole recording, or a time range of
// it (seconds from the recording's start) that the user zoomed to. The surface's time axis (x 0
// to 6000 twips) covers the range.
class CumulativeView {
public:
    CumulativeView() = default;
    static CumulativeView Whole(qint64 rowCount, float duration);
    // The range from..to, held inside the recording and at least kMinimumRows rows long; a range
    // that covers the whole recording is the whole view.
    CumulativeView range(double from, double to) const;

    bool whole() const { return whole_; }
    double from() const { return from_; }
    double to() const { return to_; }
    double span() const { return to_ - from_; }
    qint64 rowCount() const { return rowCount_; }
    float duration() const { return duration_; }

    // x of a row (1-based) in twips; for the whole view exactly where the cumulative pass puts it.
    float x(qint64 row) const;
    // The time an x stands for.
    double timeAtX(float x) const;
    // The row nearest to an x, within the view's rows.
    qint64 rowAtX(float x) const;
    // The rows whose times lie in the view (first > last when none does).
    qint64 firstRow() const;
    qint64 lastRow() const;

    // The time grid: the step is chosen for the view's span by the rule of the whole recording;
    // the lines stand at the step's multiples inside the view.
    float gridStep() const;
    struct TimeLine {
        float x;
        GridLine line;
    };
    std::vector<TimeLine> timeGrid() const;
    // The labels of the time grid, in seconds from the recording's start.
    std::vector<TimeLabel> timeLabels(int maxLabels = 13) const;

    // A zoomed view never gets shorter than this many rows.
    static constexpr qint64 kMinimumRows = 10;

    bool operator==(const CumulativeView&) const = default;

private:
    qint64 rowCount_ = 0;
    float duration_ = 0;
    double from_ = 0, to_ = 0;
    bool whole_ = true;
    // x of a row in a zoomed view: row x scale - offset.
    double scale_ = 0, offset_ = 0;
};

// The view a drag from x1 to x2 (twips, either order) selects.
CumulativeView ZoomToDrag(const CumulativeView& view, float x1, float x2);
// One wheel step in (steps > 0) or out (steps < 0) around the time under x: each step in shows
// 4/5 of the span, each step out 5/4.
CumulativeView ZoomAround(const CumulativeView& view, float x, int steps);
// The view moved by dx twips of its time axis (positive moves to later times), held inside the
// recording.
CumulativeView Pan(const CumulativeView& view, float dx);

// "显示 1时12分0秒 至 1时22分0秒": the range a zoomed view shows (empty for the whole view).
QString ViewRangeCaption(const CumulativeView& view);
// The cumulative frame's caption: the kind's, and the range while zoomed.
QString CumulativeFrameCaption(int kind, const CumulativeView& view);
// "1时12分0秒": a time of the recording as the range caption writes it (whole seconds; spans of
// less than ten seconds with hundredths).
QString RecordingTimeText(double seconds, bool hundredths);

// One kind's plotted values row by row, as the cumulative pass finds them, with the kind's axis,
// and whether each row's point is joined to the one before (efficiency and load rate have no
// point where the motor has no operating point).
struct KindSeries {
    qint64 firstRow = 1;
    int kind = 0;
    float axisLow = 0, axisHigh = 0;
    std::vector<float> value;          // as CurveValue gives it
    std::vector<unsigned char> joined; // 1 or 0; empty: every point is joined

    bool holds(qint64 row) const {
        return row >= firstRow && row - firstRow < qint64(value.size());
    }
    // A row's value as the pointer readout shows it: none for a row it does not hold, nor for
    // efficiency and load rate where the row has no operating point.
    std::optional<float> rowValue(qint64 row) const;
};
// Reads rows firstRow..lastRow of a recording for one kind (a few rows before them too, for the
// values a generating row keeps from the rows before it).
Result<KindSeries> ReadKindSeries(const RecordingInfo& recording, int kind,
                                  const CurveAxisTables& axes, qint64 firstRow, qint64 lastRow);
// The curve of a view's rows from a series that holds them, column-reduced at columnWidth twips
// per pixel column when the view holds more rows than the surface has columns.
std::vector<CurveLine> TraceKindSeries(const KindSeries& series, const CumulativeView& view,
                                       float columnWidth);

// The cumulative curve of one kind over the rows of a view, as the cumulative pass draws it:
// the same values and axes, column-reduced at columnWidth twips per pixel column when the view
// holds more rows than the surface has columns. Reads only the rows of the view.
Result<std::vector<CurveLine>> CumulativeViewCurve(const RecordingInfo& recording, int kind,
                                                   const CurveAxisTables& axes,
                                                   const CumulativeView& view, float columnWidth);

} // namespace zr5
