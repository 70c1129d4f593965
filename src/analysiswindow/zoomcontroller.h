#pragma once

#include <QImage>
#include <QObject>
#include <array>
#include <optional>

#include "analysis/cumulative.h"
#include "analysis/curves.h"
#include "analysis/surfacepicture.h"
#include "analysis/zoom.h"
#include "recording/recordingfile.h"

namespace zr5 {

struct AnalysisControls;
struct AppState;
class CurveSurface;

// The time range the cumulative surfaces show after the pass: a drag selects a range, the wheel
// zooms around the pointer, a middle or shift drag pans, a double-click or "全程" returns to the
// whole recording (the pass's own picture, kept aside while zoomed). Only the shown kind is drawn
// for a range; another kind is drawn when it is shown.
class ZoomController : public QObject {
    Q_OBJECT
public:
    ZoomController(AnalysisControls& controls, AppState& state, QObject* parent = nullptr);

    // A new cumulative pass over this recording: the whole recording, nothing kept aside.
    void reset(const RecordingInfo& recording);
    const CumulativeView& view() const { return view_; }
    // Shows a view on the shown kind's surface (the whole recording puts the pass's pictures
    // back). Returns an error message when the recording cannot be read.
    QString show(const CumulativeView& view);
    // Makes the surface of a kind show the current view (before it is shown or exported).
    QString drawKind(int kind);
    // The kind whose surface is on screen.
    void setShownKind(int kind) { shownKind_ = kind; }
    // Draws over every cumulative surface that shows the current view (the time grid a query
    // draws again).
    void drawOnCurrentSurfaces(const SurfacePicture& picture);
    // The thin line at the selected row on every cumulative surface (none when 0 or outside).
    void markRow(qint64 row);
    // Where the cumulative pass keeps a kind's values as it goes, so that no zoom nor pointer
    // readout has to read the recording again (recordings of up to kPassKeptRows rows; none for
    // longer ones). The pass appends each block's values, and for efficiency and load rate
    // whether each row is joined.
    KindSeries* passSeries(int kind);
    // A row's value of a kind as the pointer readout shows it, from the kept values (read from the
    // recording only when it is too long to keep them); none where the row has no operating
    // point for efficiency and load rate.
    std::optional<float> rowValue(int kind, qint64 row) const;
    static constexpr qint64 kPassKeptRows = qint64(1) << 22;
    // Whether zooming is possible now (the pass has ended and none runs).
    void setEnabled(bool on) { enabled_ = on; }

    // Places the time labels, the time unit and the frame caption for the view.
    void placeTimeLabels();
    QString frameCaption(int kind) const;

signals:
    // A read error met while drawing a range.
    void failed(const QString& message);

private:
    void request(const CumulativeView& view);

    AnalysisControls& c_;
    AppState& state_;
    RecordingInfo recording_;
    CumulativeView view_;
    int shownKind_ = 0;
    bool enabled_ = false;
    qint64 markedRow_ = 0;
    struct Kept {
        SurfacePicture picture;
        QImage image;
        QColor background;
    };
    std::array<std::optional<Kept>, kCurveKinds> whole_;
    std::array<CumulativeView, kCurveKinds> drawn_;
    // Each kind's values over the whole recording, kept from the pass or read at the kind's first
    // zoom, so that every further zoom and pan only traces them.
    std::array<std::optional<KindSeries>, kCurveKinds> series_;
};

} // namespace zr5
