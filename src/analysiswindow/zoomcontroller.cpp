#include "analysiswindow/zoomcontroller.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "analysis/analysisview.h"
#include "analysis/segmented.h"
#include "analysiswindow/analysiscontrols.h"
#include "analysiswindow/curvesurface.h"
#include "model/appstate.h"
#include "model/types.h"
#include "ui/geometry.h"
#include "ui/qtcolour.h"

namespace zr5 {

namespace {
// Recordings up to this many rows keep a zoomed kind's values in memory (4 bytes a row); up to
// ZoomController::kPassKeptRows rows every kind's values are kept from the pass.
constexpr qint64 kKeptSeriesRows = qint64(1) << 25;
} // namespace

ZoomController::ZoomController(AnalysisControls& controls, AppState& state, QObject* parent)
    : QObject(parent), c_(controls), state_(state) {
    for (CurveSurface* s : c_.Picture2) {
        s->setZoomable(true);
        connect(s, &CurveSurface::rangeDragged, this,
                [this](float x1, float x2) { request(ZoomToDrag(view_, x1, x2)); });
        connect(s, &CurveSurface::wheelZoom, this,
                [this](float x, int steps) { request(ZoomAround(view_, x, steps)); });
        connect(s, &CurveSurface::panned, this, [this](float dx) { request(Pan(view_, dx)); });
        connect(s, &CurveSurface::doubleClicked, this,
                [this] { request(CumulativeView::Whole(view_.rowCount(), view_.duration())); });
    }
    connect(c_.Command5, &QPushButton::clicked, this,
            [this] { request(CumulativeView::Whole(view_.rowCount(), view_.duration())); });
}

void ZoomController::reset(const RecordingInfo& recording) {
    recording_ = recording;
    view_ = CumulativeView::Whole(recording.RecordCount, recording.header.Duration);
    for (auto& kept : whole_)
        kept.reset();
    for (int k = 0; k < kCurveKinds; ++k) {
        std::optional<KindSeries>& series = series_[std::size_t(k)];
        if (recording.RecordCount > kPassKeptRows) {
            series.reset();
            continue;
        }
        // The memory of the previous pass's values is kept for this one.
        if (!series)
            series.emplace();
        series->firstRow = 1;
        series->kind = k;
        series->axisLow = state_.analysis.axes.CurveAxisLow[std::size_t(k)];
        series->axisHigh = state_.analysis.axes.CurveAxisHigh[std::size_t(k)];
        series->value.clear();
        series->joined.clear();
        series->value.reserve(std::size_t(recording.RecordCount));
        if (k >= Curve::Efficiency)
            series->joined.reserve(std::size_t(recording.RecordCount));
    }
    drawn_.fill(view_);
    markedRow_ = 0;
    c_.Command5->hide();
    markRow(0);
}

KindSeries* ZoomController::passSeries(int kind) {
    std::optional<KindSeries>& series = series_[std::size_t(kind)];
    return series ? &*series : nullptr;
}

std::optional<float> ZoomController::rowValue(int kind, qint64 row) const {
    const std::optional<KindSeries>& series = series_[std::size_t(kind)];
    if (series && qint64(series->value.size()) == recording_.RecordCount)
        return series->rowValue(row);
    return RowCurveValue(recording_, row, kind);
}

void ZoomController::request(const CumulativeView& view) {
    if (!enabled_ || view == view_)
        return;
    if (QString error = show(view); !error.isEmpty())
        emit failed(error);
}

QString ZoomController::show(const CumulativeView& view) {
    view_ = view;
    QString error = drawKind(shownKind_);
    c_.Command5->setVisible(!view_.whole());
    markRow(markedRow_);
    placeTimeLabels();
    return error;
}

QString ZoomController::drawKind(int kind) {
    const std::size_t k = std::size_t(kind);
    if (drawn_[k] == view_)
        return {};
    CurveSurface* s = c_.Picture2[k];
    if (view_.whole()) {
        if (whole_[k])
            s->restore(whole_[k]->picture, whole_[k]->image, whole_[k]->background);
        drawn_[k] = view_;
        return {};
    }
    std::vector<CurveLine> curve;
    if (recording_.RecordCount <= kKeptSeriesRows) {
        // Kept from the pass, or read now when the pass could not keep it whole.
        if (!series_[k] || qint64(series_[k]->value.size()) != recording_.RecordCount) {
            Result<KindSeries> series =
                ReadKindSeries(recording_, kind, state_.analysis.axes, 1, recording_.RecordCount);
            if (!series)
                return series.error();
            series_[k] = std::move(*series);
        }
        curve = TraceKindSeries(*series_[k], view_, s->twipsPerPixel());
    } else {
        // Too long to keep in memory: the rows of the range are read again.
        Result<std::vector<CurveLine>> read =
            CumulativeViewCurve(recording_, kind, state_.analysis.axes, view_, s->twipsPerPixel());
        if (!read)
            return read.error();
        curve = std::move(*read);
    }
    if (!whole_[k])
        whole_[k] = Kept{s->picture(), s->image(), s->background()};
    s->clear(SurfaceBackground());
    s->draw(CumulativeSurfacePicture(curve, kind, state_.model, state_.analysis, view_,
                                     s->palette().color(QPalette::WindowText)));
    drawn_[k] = view_;
    return {};
}

void ZoomController::drawOnCurrentSurfaces(const SurfacePicture& picture) {
    for (int k = 0; k < kCurveKinds; ++k)
        if (drawn_[std::size_t(k)] == view_)
            c_.Picture2[std::size_t(k)]->draw(picture);
}

void ZoomController::markRow(qint64 row) {
    markedRow_ = row;
    const bool inside = row >= 1 && row >= view_.firstRow() && row <= view_.lastRow();
    for (CurveSurface* s : c_.Picture2)
        s->setCursorLine(inside ? std::optional<float>(view_.x(row)) : std::nullopt,
                         ColourOf(Colour::White));
}

void ZoomController::placeTimeLabels() {
    for (QLabel* l : c_.Label7)
        l->hide();
    const std::vector<TimeLabel> times = view_.timeLabels();
    for (std::size_t i = 0; i < times.size() && i < c_.Label7.size(); ++i) {
        QLabel* l = c_.Label7[i];
        l->setText(times[i].caption);
        l->move(TwipsToPixels(times[i].left, l), l->y());
        l->show();
    }
    c_.Label3->setText(QString::fromUtf8(TimeUnitWord(view_.gridStep())));
    c_.cumulativeFrame->setTitle(frameCaption(shownKind_));
}

QString ZoomController::frameCaption(int kind) const {
    return CumulativeFrameCaption(kind, view_);
}

} // namespace zr5
