#pragma once

#include <memory>

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

// Row k's elapsed time: k x duration / row count, in double precision. Adding the interval once per
// row in single precision drifts by minutes over a million rows.
float RowElapsedTime(qint64 row, float duration, qint64 rowCount);

// What a caller sees of each row of the pass (to draw it, export it, ...).
struct CumulativeRowView {
    qint64 row;                    // 1..RecordCount
    float elapsed;                 // seconds since the recording's start
    const MeasurementModel& model; // SampleRow, ChannelRow (clamped) and the operating point
    const MotorStateDecision& decision;
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

    // Opens the current recording, refuses one that cannot be analysed (empty string on success),
    // takes over its motor data, duration and extrema, chooses the axes and resets the
    // accumulators and the energy series.
    QString begin();
    // Processes up to maxRows further rows, calling perRow for each; returns how many it did.
    template <class F> qint64 process(qint64 maxRows, F&& perRow);
    qint64 process(qint64 maxRows) {
        return process(maxRows, [](const CumulativeRowView&) {});
    }
    // Runs the whole pass at once.
    QString runAll();

    bool done() const { return nextRow_ > info_.RecordCount || !error_.isEmpty(); }
    // A read error met during the pass (empty when none).
    const QString& error() const { return error_; }
    qint64 rowsDone() const { return nextRow_ - 1; }
    const RecordingInfo& recording() const { return info_; }
    float startTime() const { return info_.header.StartTime; }

private:
    bool step(MotorStateDecision& decision, float& elapsed);
    void finish();

    QString path_;
    MeasurementModel& model_;
    AnalysisResults& results_;
    RecordingInfo info_;
    std::unique_ptr<RecordingRowReader> reader_;
    qint64 nextRow_ = 1;
    QString error_;
    bool finished_ = false;
};

template <class F> qint64 CumulativeAnalysis::process(qint64 maxRows, F&& perRow) {
    qint64 count = 0;
    MotorStateDecision decision;
    float elapsed = 0;
    while (count < maxRows && !done()) {
        const qint64 row = nextRow_;
        if (!step(decision, elapsed))
            break;
        perRow(CumulativeRowView{row, elapsed, model_, decision});
        ++count;
    }
    if (done())
        finish();
    return count;
}

// A kind's maximum and minimum as printed on its cumulative surface after the pass.
struct CurveExtremes {
    float maximum;
    float minimum;
};
CurveExtremes CumulativeCurveExtremes(int kind, const MeasurementModel& model,
                                      const AnalysisResults& results);

} // namespace zr5
