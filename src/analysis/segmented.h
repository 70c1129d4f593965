#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "analysis/analysisview.h"
#include "analysis/curvetrace.h"
#include "analysis/rowdisplay.h"
#include "model/appstate.h"
#include "recording/recordingfile.h"

namespace zr5 {

// The rows of a segmented window: n before and n after the selected row, cut short (not shifted)
// at either end of the recording.
struct SegmentWindow {
    qint64 WindowFirstRow = 1;
    qint64 WindowLastRow = 1;
};
SegmentWindow SegmentWindowRows(qint64 selectedRow, int halfSpan, qint64 rowCount);

// The half span n the segmented curves use: SegmentHalfSpan rounded to a whole number of rows and
// at least 1, so a settings file with 0 or a fraction cannot make the step width infinite.
int EffectiveHalfSpan(float segmentHalfSpan);

// x of the i-th row (from 1) of a segmented window: the rows stand 6000 / (2n) apart.
float SegmentPlotX(qint64 position, int halfSpan);
// The row of a segmented window nearest to x, or 0 when x lies beside the window's rows.
qint64 SegmentRowAtX(float x, const SegmentWindow& window, int halfSpan);

// The time labels under a segmented curve: the times (seconds from the recording's start, to the
// hundredth) of the window's first, selected and last rows, centred under their points; a label
// that would then reach left of the surface, into its value labels, starts at its point instead.
// A first or last label that would run into the selected row's is left out.
std::vector<TimeLabel> SegmentTimeLabels(const SegmentWindow& window, qint64 selectedRow,
                                         int halfSpan, float duration, qint64 rowCount);
// The width of such a label in twips.
constexpr float kSegmentTimeLabelWidth = 1000;

// What the segmented analysis shows: the selected row's boxes and the ten green curves with the
// marker point.
struct SegmentedAnalysisResult {
    QString error; // empty on success; nothing else is valid otherwise
    qint64 selectedRow = 1;
    SegmentWindow window;
    RowDisplay display;
    std::array<std::vector<CurveLine>, kCurveKinds> curves;
    float MarkerX = 0;
    std::array<float, kCurveKinds> MarkerY{};
};

// The value a kind's curve shows for one row of a recording, from that row alone and the motor
// data of its header. Empty when the row cannot be read, and for efficiency and load rate when the
// row has no operating point.
std::optional<float> RowCurveValue(const RecordingInfo& recording, qint64 row, int kind);

// The segmented analysis of a recording around `selectedRow` (clamped to 1..RecordCount) with the
// axes and energies of the last cumulative analysis and `segmentHalfSpan` rows on either side.
// Changes the model as the pass does: SampleRow, ChannelRow and the operating point hold the
// window's last row, the elapsed time that of the selected row.
SegmentedAnalysisResult RunSegmentedAnalysis(const RecordingInfo& recording,
                                             const AnalysisResults& results, float segmentHalfSpan,
                                             MeasurementModel& model, qint64 selectedRow);
// The same for a recording not yet read.
SegmentedAnalysisResult RunSegmentedAnalysis(const QString& recording,
                                             const AnalysisResults& results, float segmentHalfSpan,
                                             MeasurementModel& model, qint64 selectedRow);

} // namespace zr5
