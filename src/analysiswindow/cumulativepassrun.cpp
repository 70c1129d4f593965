#include "analysiswindow/cumulativepassrun.h"

#include <QProgressBar>

#include "analysis/blockpool.h"
#include "analysiswindow/analysiscontrols.h"
#include "analysiswindow/curvesurface.h"
#include "analysiswindow/zoomcontroller.h"
#include "model/appstate.h"

namespace zr5 {

namespace {
// Rows between two looks at the clock while the pass runs.
constexpr qint64 kRowsPerSlice = CumulativeAnalysis::kPassBlockRows;
} // namespace

CumulativePassRun::CumulativePassRun(AnalysisControls& controls, AppState& state,
                                     ZoomController& zoom, QObject* parent)
    : QObject(parent), c_(controls), state_(state), zoom_(zoom) {
    connect(&runner_, &SliceRunner::progressed, this, [this] {
        drawSoFar();
        emit progressed();
    });
    connect(&runner_, &SliceRunner::finished, this, [this](bool) {
        traces_->finish();
        drawSoFar();
        emit progressed();
        const QString error = pass_->error();
        pass_.reset();
        traces_.reset();
        emit finished(error);
    });
}

CumulativePassRun::~CumulativePassRun() = default;

Status CumulativePassRun::begin(const RecordingInfo& recording) {
    // A recording the window could not open again is read by the pass, which says why it fails.
    pass_ = recording.file
                ? std::make_unique<CumulativeAnalysis>(recording, state_.model, state_.analysis)
                : std::make_unique<CumulativeAnalysis>(state_.CurrentFileName(), state_.model,
                                                       state_.analysis);
    if (Status begun = pass_->begin(); !begun) {
        pass_.reset();
        return begun;
    }
    return {};
}

void CumulativePassRun::start() {
    // Curves longer than the surface is wide are drawn column by column.
    const float column = c_.Picture2[0]->twipsPerPixel();
    const bool reduce = double(pass_->recording().RecordCount) > double(kTimeAxisWidth) / column;
    traces_ = std::make_unique<CurveSetTrace>(reduce ? column : 0.0f);
    c_.progress->setRange(0, 1000);
    c_.progress->setValue(0);
    lastDecision_ = {};
    runner_.start([this] { return slice(); }, true);
}

void CumulativePassRun::stop() {
    runner_.stop();
}

bool CumulativePassRun::slice() {
    const CumulativeBlock& block = pass_->processBlock(kRowsPerSlice);
    const std::size_t n = block.rows.size();
    CumulativePlotRows(block, pass_->recording().RecordCount, points_);
    traces_->placeColumns(points_);
    // The kinds on all cores: each kind's values once, kept for the zoom and traced.
    BlockPool::shared().run(kCurveKinds, 1, [&](std::size_t first, std::size_t end) {
        for (std::size_t k = first; k < end; ++k) {
            float* values = nullptr;
            if (KindSeries* series = zoom_.passSeries(int(k))) {
                const std::size_t kept = series->value.size();
                series->value.resize(kept + n);
                values = series->value.data() + kept;
                if (int(k) >= Curve::Efficiency)
                    series->joined.insert(series->joined.end(), points_.operatingPoint.begin(),
                                          points_.operatingPoint.end());
            }
            CumulativePlotKind(int(k), block, state_.analysis.axes, points_.y[k].data(), values);
            traces_->addKind(int(k), points_);
        }
    });
    if (pass_->rowsDone() > 0)
        lastDecision_ = pass_->lastDecision();
    return !pass_->done();
}

void CumulativePassRun::drawSoFar() {
    for (int k = 0; k < kCurveKinds; ++k)
        c_.Picture2[std::size_t(k)]->drawLines(traces_->kind(k).takeLines(),
                                               CumulativeCurveColour());
    c_.progress->setValue(int(1000.0 * double(pass_->rowsDone()) /
                              double(std::max<qint64>(1, pass_->recording().RecordCount))));
}

} // namespace zr5
