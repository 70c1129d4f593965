#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "analysis/completedrows.h"
#include "analysis/curvetrace.h"
#include "analysis/operatingpoint.h"
#include "model/appstate.h"
#include "recording/recordingfile.h"

namespace zr5 {

// One row as the cumulative analysis completes it.
struct AnalysedRow {
    MotorStateDecision decision;
    SplitTime elapsed;
};

// The per-row step of the cumulative analysis. On entry model.SampleRow[0..8] hold the row's nine
// values as read. Copies them to ChannelRow, applies the power rules (PF stays signed), adds the
// row to the energies over rowTime - startTime (stored in W·h and var·h), classifies the motor
// state and keeps the operating point in the model.
AnalysedRow AnalyseRow(MeasurementModel& model, float rowTime, float startTime, float elapsed);

// What a caller sees of each row of the pass (to draw it, export it, ...).
struct CumulativeRowView {
    qint64 row;                    // 1..RecordCount
    float elapsed;                 // seconds since the recording's start
    const MeasurementModel& model; // SampleRow, ChannelRow (clamped) and the operating point
    const MotorStateDecision& decision;
};

// Consecutive rows of the pass, from firstRow on.
struct CumulativeBlock {
    qint64 firstRow = 1;
    std::vector<CompletedRow> rows;
};

// The cumulative analysis over the current recording, without drawing: the motor data and extrema
// from the recording, the axes of every curve kind, every row's values and energies, the extremes
// of efficiency and load rate and the totals. Runs in slices so that a window can draw and stay
// responsive between them.
class CumulativeAnalysis {
public:
    // Reads the recording; changes the model (motor data, extrema, energies, the current row and
    // the operating point) and the results. The caller records the row count and duration the
    // pass found (recording()) in the shared state.
    CumulativeAnalysis(QString recording, MeasurementModel& model, AnalysisResults& results);
    // Over a recording a window has opened (OpenRecording): it is not read again for its header.
    CumulativeAnalysis(const RecordingInfo& recording, MeasurementModel& model,
                       AnalysisResults& results);

    // Opens the current recording, refuses one that cannot be analysed, takes over its motor
    // data, duration and extrema, chooses the axes and resets the accumulators and the energy
    // series.
    Status begin();
    // The energy after every row is kept for the segmented analysis; a pass that only wants the
    // totals leaves the series empty (before begin()).
    void setKeepEnergySeries(bool keep) { keepEnergySeries_ = keep; }
    // Processes up to maxRows further rows, calling perRow for each with the model as that row
    // leaves it (but for the energy sums, which are those after the row's block); returns how
    // many it did.
    template <class F> qint64 process(qint64 maxRows, F&& perRow);
    qint64 process(qint64 maxRows);
    // Processes up to maxRows further rows at once and returns them; the block stays valid until
    // the next call. The model is left as the block's last row leaves it.
    const CumulativeBlock& processBlock(qint64 maxRows);
    // The motor state decision of the last row processed.
    MotorStateDecision lastDecision() const;
    // Runs the whole pass at once.
    Status runAll();
    // The rows a block holds at most when process() asks for them.
    static constexpr qint64 kBlockRows = 2048;
    // The rows of a block when runAll() asks for them: nobody waits between its blocks, and
    // larger ones wake the threads that share the rows' arithmetic less often.
    static constexpr qint64 kPassBlockRows = 4 * kBlockRows;

    bool done() const { return nextRow_ > info_.RecordCount || !error_.isEmpty(); }
    // A read error met during the pass (empty when none).
    const QString& error() const { return error_; }
    qint64 rowsDone() const { return nextRow_ - 1; }
    const RecordingInfo& recording() const { return info_; }
    float startTime() const { return info_.header.StartTime; }

private:
    // Puts row i of the block into the model as the pass left it there; returns its elapsed time.
    float showRow(std::size_t i, MotorStateDecision& decision);
    void finish();

    QString path_;
    MeasurementModel& model_;
    AnalysisResults& results_;
    RecordingInfo info_;
    bool opened_ = false; // info_ was given
    std::unique_ptr<CompletedRowReader> reader_;
    qint64 nextRow_ = 1;
    QString error_;
    bool finished_ = false;
    bool keepEnergySeries_ = true;
    CumulativeBlock block_;
    MotorState lastState_ = MotorState::NoMotorData;
};

template <class F> qint64 CumulativeAnalysis::process(qint64 maxRows, F&& perRow) {
    qint64 count = 0;
    MotorStateDecision decision;
    while (count < maxRows && !done()) {
        const CumulativeBlock& block = processBlock(std::min(maxRows - count, kBlockRows));
        for (std::size_t i = 0; i < block.rows.size(); ++i) {
            const float elapsed = showRow(i, decision);
            perRow(CumulativeRowView{block.firstRow + qint64(i), elapsed, model_, decision});
        }
        count += qint64(block.rows.size());
    }
    return count;
}

// The points of a block's rows on the cumulative surfaces: x by CumulativePlotX, y by CurvePlotYs.
void CumulativePlotPoints(const CumulativeBlock& block, qint64 rowCount,
                          const CurveAxisTables& axes, CurvePoints& points);
// The same in parts: x and whether each row has an operating point (the points sized for the
// block), then one kind's y, and the values they come from into `values` when it is given. Each
// kind is independent of the others.
void CumulativePlotRows(const CumulativeBlock& block, qint64 rowCount, CurvePoints& points);
void CumulativePlotKind(int kind, const CumulativeBlock& block, const CurveAxisTables& axes,
                        float* y, float* values = nullptr);

// A kind's maximum and minimum as printed on its cumulative surface after the pass.
struct CurveExtremes {
    float maximum;
    float minimum;
};
CurveExtremes CumulativeCurveExtremes(int kind, const MeasurementModel& model,
                                      const AnalysisResults& results);

} // namespace zr5
