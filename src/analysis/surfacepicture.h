#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/analysisview.h"
#include "analysis/axes.h"
#include "analysis/curvetrace.h"
#include "model/result.h"

class QPainter;

namespace zr5 {

class CumulativeView;
struct MeasurementModel;
struct AnalysisResults;
struct RecordingInfo;

// What a curve surface shows, kept as its drawing commands in twips, so that the same picture can
// be painted again at any resolution: the screen's image, a picture twice as fine, an SVG.
class SurfacePicture {
public:
    void addLine(float x1, float y1, float x2, float y2, QColor colour,
                 Qt::PenStyle style = Qt::SolidLine);
    void addLines(const std::vector<CurveLine>& lines, QColor colour);
    // A line of text at the surface's top left, the second part from a column of digit widths.
    void addText(const QString& first, const QString& second, int secondColumn);
    // A hint in the middle of the surface.
    void addHint(const QString& text);
    // Appends another picture's commands.
    void append(const SurfacePicture& more);
    void clear() { commands_.clear(); }

    std::size_t size() const { return commands_.size(); }
    // Paints the commands from `first` on. Lines are in twips (one pixel wide whatever the
    // scale); texts use the font and colour given, the hint centred in `pixels`.
    void paint(QPainter& painter, std::size_t first, float twipsPerPixel, const QFont& font,
               QColor textColour, QSizeF pixels) const;

private:
    struct Command {
        enum Kind { Lines, Text, Hint } kind = Lines;
        QColor colour;
        Qt::PenStyle style = Qt::SolidLine;
        std::vector<QLineF> lines;
        QString first, second;
        int column = 0;
    };
    std::vector<Command> commands_;
};

// The time grid of a cumulative view, from the plot's top to its bottom, dotted but at time 0.
void AddTimeGrid(SurfacePicture& picture, const CumulativeView& view, QColor colour);
// The value grid of an axis chosen for minimum..maximum, across the surface; returns the axis.
ValueAxis AddValueGrid(SurfacePicture& picture, float minimum, float maximum, QColor colour);
// The max/min line of a kind after the cumulative pass.
void AddExtremesLine(SurfacePicture& picture, int kind, const MeasurementModel& model,
                     const AnalysisResults& results);

// The cumulative surface of one kind for a view after the cumulative pass, in the order the pass
// draws it: the time grid, the value grid, the red curve and the max/min line.
SurfacePicture CumulativeSurfacePicture(const std::vector<CurveLine>& curve, int kind,
                                        const MeasurementModel& model,
                                        const AnalysisResults& results, const CumulativeView& view,
                                        QColor foreground);

// The formats a curve picture is saved in, from the file name's suffix (case ignored).
enum class PictureFormat { Png, Svg };
std::optional<PictureFormat> PictureFormatOf(const QString& path);
// A picture of `size` pixels painted by `paint`: a PNG at twice that size (the painter scaled by
// two), or an SVG whose lines and texts stay vectors. Empty when it cannot be encoded.
QByteArray EncodePicture(PictureFormat format, QSize size, const QString& title,
                         const std::function<void(QPainter&)>& paint);

// The cumulative curve of one kind as a picture of its own, laid out as the analysis window's
// cumulative frame: its caption, the value unit and labels on the left, the surface, the time
// labels and unit below.
struct CumulativePlot {
    QString caption;
    QString valueUnit;
    QString timeUnit;
    std::vector<ValueLabel> values;
    std::vector<TimeLabel> times;
    SurfacePicture surface;
};
CumulativePlot MakeCumulativePlot(int kind, const CumulativeView& view,
                                  const AnalysisResults& results, SurfacePicture surface);
// Its size in pixels at the screen's 15 twips per pixel.
QSize CumulativePlotSize();
void PaintCumulativePlot(QPainter& painter, const CumulativePlot& plot);

// The colours of the curve surfaces.
QColor SurfaceBackground();
QColor CumulativeCurveColour();

} // namespace zr5
