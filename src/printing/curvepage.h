#pragma once

#include <array>
#include <memory>
#include <vector>

#include "analysis/axes.h"
#include "analysis/completedrows.h"
#include "analysis/curvetrace.h"
#include "model/appstate.h"
#include "printing/printjob.h"
#include "recording/recordingfile.h"

namespace zr5 {

// What the curve page needs, copied from the recording and from the last cumulative analysis; the
// page works on these copies only.
struct CurvePageInput {
    RecordingInfo recording;
    MotorParameters motor;
    std::array<int, 3> ctInUse{1, 1, 1}; // red, blue, yellow
    float EfficiencyMaximum = 0;
    float EfficiencyMinimum = 0;
    float LoadRateMaximum = 0;
    float LoadRateMinimum = 0;
    float TotalActiveEnergy = 0; // W·h
    float TotalReactiveEnergy = 0;
    ReportHeading heading;

    void takeAnalysis(const AnalysisResults& results);
};

constexpr int kCurveBands = 6;
// Top of a band's area on the page: 850 + 2000 x band.
constexpr double BandOffset(int band) {
    return 850.0 + 2000.0 * band;
}

// The code 4 x red + 2 x blue + yellow of the transformers in use.
int CTInUseCode(const std::array<int, 3>& inUse);
// The wattmeter connection of a transformer code.
QString WiringMethodName(int ctInUseCode);
// Copies the current and voltage extremes of a channel in use over those of the channels not in
// use, in both tables.
void CopyExtremaOfUnusedChannels(int ctInUseCode, ExtremaValues& maximum, ExtremaValues& minimum);

// One band's axis and grid as the page draws them.
struct PrintedBandAxis {
    ValueAxis axis;
    std::vector<GridLine> valueGrid;
};
// The value axis of a band's (MIN, MAX) with its grid lines (the printer's rule).
PrintedBandAxis PrintBandAxis(float minimum, float maximum);

// Fails with why a recording has no curve page (no rows, a duration of 0).
Status CurvePageRefusal(const CurvePageInput& input);

// The working-condition curve page: six bands with frames, dotted grids, value labels and titles,
// the time axis, each band's curve over the whole recording (reduced per device pixel column),
// and the footer.
class CurvePageJob final : public PrintJob {
public:
    CurvePageJob(Printer& printer, CurvePageInput input);
    bool step() override;
    qint64 done() const override { return row_; }
    qint64 total() const override { return in_.recording.RecordCount; }
    QString error() const override;

    void setStepRows(qint64 rows) { stepRows_ = rows; }
    float timeGridStep() const { return timeStep_; }
    const std::array<ValueAxis, kCurveBands>& bandAxes() const { return axes_; }

private:
    void start();
    void drawGrids();
    void drawLabels();
    void drawTitlesAndFrames();
    void drawTraces(bool all);
    void footer();

    Printer& p_;
    CurvePageInput in_;
    ExtremaValues maximum_{}, minimum_{};
    std::array<ValueAxis, kCurveBands> axes_{};
    float timeStep_ = 1;
    float divisor_ = 3;
    std::unique_ptr<CompletedRowReader> reader_;
    std::vector<CompletedRow> rows_;
    std::vector<CurveTrace> traces_; // one per band, then the grey ones of bands 4 and 5
    float loadRate_ = 0, efficiency_ = 0;
    qint64 row_ = 0;
    qint64 stepRows_ = 50000;
    bool started_ = false, finished_ = false;
    QString error_;
};

} // namespace zr5
