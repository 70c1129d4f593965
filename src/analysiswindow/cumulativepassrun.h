#pragma once

#include <QObject>
#include <memory>

#include "analysis/cumulative.h"
#include "analysis/curvetrace.h"
#include "model/result.h"
#include "ui/slicerunner.h"

namespace zr5 {

struct AnalysisControls;
struct AppState;
class ZoomController;

// The analysis window's cumulative pass on the screen: a slice of rows per turn of the event loop
// through the slice runner, each turn's curves drawn on the cumulative surfaces, the progress bar
// moved and the kinds' values kept for the zoom.
class CumulativePassRun : public QObject {
    Q_OBJECT
public:
    CumulativePassRun(AnalysisControls& controls, AppState& state, ZoomController& zoom,
                      QObject* parent = nullptr);
    ~CumulativePassRun() override;

    // Begins a pass over the recording (refused with the message when it cannot be analysed).
    Status begin(const RecordingInfo& recording);
    const RecordingInfo& recording() const { return pass_->recording(); }
    // Starts the slices once the window has drawn the grids; the first runs at once.
    void start();
    // Ends the pass at once, without finished (the program is ending).
    void stop();
    void setTurnTime(qint64 milliseconds) { runner_.setTurnTime(milliseconds); }

    qint64 rowsDone() const { return pass_ ? pass_->rowsDone() : 0; }
    // The motor state of the last row shown.
    const MotorStateDecision& lastDecision() const { return lastDecision_; }

signals:
    // After each turn, the curves so far drawn: the window shows the row reached.
    void progressed();
    // The pass has ended; error is empty when it read every row.
    void finished(const QString& error);

private:
    bool slice();
    void drawSoFar();

    AnalysisControls& c_;
    AppState& state_;
    ZoomController& zoom_;
    SliceRunner runner_;
    std::unique_ptr<CumulativeAnalysis> pass_;
    std::unique_ptr<CurveSetTrace> traces_;
    CurvePoints points_;
    MotorStateDecision lastDecision_;
};

} // namespace zr5
