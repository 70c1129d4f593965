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

class CumulativeAnalysis;
class CurvePageCurves;

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
    // The page's curves as the cumulative pass reduced them, if it did; the page draws them
    // instead of reading the rows again when they were reduced for this page (CurvePageCurves::
    // fits), and reads the rows itself otherwise.
    std::shared_ptr<const CurvePageCurves> curves;

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

// The axes the page's six bands are drawn on, from the recording's extrema with the channels not
// in use taking those of a channel in use.
std::array<ValueAxis, kCurveBands> CurvePageAxes(const CurvePageInput& input);

// The curve page's eight curves, one per band and then the grey efficiency and load rate of the
// rows without an operating point, reduced per pixel column of a page whose columns are
// columnTwips wide. Fed the completed rows in order: by the cumulative pass from its blocks, so
// that the page is drawn without reading the rows again, or by the page itself.
class CurvePageCurves {
public:
    static constexpr int kTraces = kCurveBands + 2;

    // For the page of `input` (its recording, transformers in use and motor data: the rows are
    // completed with input.motor).
    CurvePageCurves(const CurvePageInput& input, double columnTwips);
    // The rows from firstRow on; each block follows the one before.
    void add(qint64 firstRow, const std::vector<CompletedRow>& rows);
    // Ends the curves once every row was added.
    void finish();
    // Every row added and the curves ended.
    bool complete() const { return finished_ && rows_ == rowCount_; }
    // Whether these are the curves of the page of `input` on a device of that column width.
    bool fits(const CurvePageInput& input, double columnTwips) const;
    // A curve's lines (y within its band) since the last take.
    std::vector<CurveLine> takeLines(int trace) { return traces_[std::size_t(trace)].takeLines(); }
    // A curve's lines not taken.
    const std::vector<CurveLine>& lines(int trace) const {
        return traces_[std::size_t(trace)].lines();
    }

private:
    QString path_;
    qint64 rowCount_;
    float columnWidth_;
    float divisor_;
    std::array<ValueAxis, kCurveBands> axes_;
    std::array<CurveTrace, kTraces> traces_;
    qint64 rows_ = 0;
    bool finished_ = false;
    float loadRate_ = 0, efficiency_ = 0; // of the last row with an operating point
    // The points of a block: x, its pixel column, each band's y, and whether efficiency and load
    // rate are drawn black (a row with an operating point) or grey.
    std::vector<float> x_;
    std::vector<qint64> columns_;
    std::array<std::vector<float>, kCurveBands> y_;
    std::vector<unsigned char> black_, grey_;
};

// Runs the cumulative pass (begun here) and reduces the curve page's curves in its block loop, for
// a page on a device whose pixel columns are columnTwips wide, into input.curves. (The caller's
// input takes the analysis from the pass's results as before.)
Status RunPassWithCurvePage(CumulativeAnalysis& pass, CurvePageInput& input, double columnTwips);

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
    void drawLines(int trace, const std::vector<CurveLine>& lines);
    void footer();

    Printer& p_;
    CurvePageInput in_;
    ExtremaValues maximum_{}, minimum_{};
    std::array<ValueAxis, kCurveBands> axes_{};
    float timeStep_ = 1;
    std::unique_ptr<CompletedRowReader> reader_;
    std::vector<CompletedRow> rows_;
    // The curves the page reduces itself (null when it draws the pass's).
    std::unique_ptr<CurvePageCurves> curves_;
    qint64 row_ = 0;
    qint64 stepRows_ = 50000;
    bool started_ = false, finished_ = false;
    QString error_;
};

} // namespace zr5
