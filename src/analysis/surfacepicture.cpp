#include "analysis/surfacepicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "analysis/cumulative.h"
#include "analysis/zoom.h"
#include "model/appstate.h"
#include "model/types.h"
#include "ui/chinesefont.h"
#include "ui/qtcolour.h"

namespace zr5 {

QColor SurfaceBackground() {
    return ColourOf(Colour::LightGrey);
}

QColor CumulativeCurveColour() {
    return ColourOf(Colour::Red);
}

void SurfacePicture::addLine(float x1, float y1, float x2, float y2, QColor colour,
                             Qt::PenStyle style) {
    Command c;
    c.colour = colour;
    c.style = style;
    c.lines.emplace_back(x1, y1, x2, y2);
    commands_.push_back(std::move(c));
}

void SurfacePicture::addLines(const std::vector<CurveLine>& lines, QColor colour) {
    if (lines.empty())
        return;
    Command c;
    c.colour = colour;
    c.lines.reserve(lines.size());
    for (const CurveLine& l : lines)
        c.lines.emplace_back(l.x1, l.y1, l.x2, l.y2);
    commands_.push_back(std::move(c));
}

void SurfacePicture::addText(const QString& first, const QString& second, int secondColumn) {
    Command c;
    c.kind = Command::Text;
    c.first = first;
    c.second = second;
    c.column = secondColumn;
    commands_.push_back(std::move(c));
}

void SurfacePicture::addHint(const QString& text) {
    Command c;
    c.kind = Command::Hint;
    c.first = text;
    commands_.push_back(std::move(c));
}

void SurfacePicture::append(const SurfacePicture& more) {
    commands_.insert(commands_.end(), more.commands_.begin(), more.commands_.end());
}

namespace {

// Draws a line of text from a point in runs that keep each number with its unit. Qt gives an SVG
// every run of one script as a text of its own, placed by Qt's metrics: "最大值 20.88971  A" went
// out as "    最大值 20.88971  " and "A", so a renderer with other metrics moved the unit away
// from its number. Cut where the ideographs end and begin, a number and its unit are one run.
void drawTextRuns(QPainter& p, QPointF at, const QString& text, const QFont& font) {
    const QFontMetricsF fm(font, p.device());
    qsizetype start = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        const bool han = text[i - 1].script() == QChar::Script_Han;
        if (i < text.size() && (text[i].script() == QChar::Script_Han) == han)
            continue;
        const QString run = text.mid(start, i - start);
        p.drawText(at, run);
        at.rx() += fm.horizontalAdvance(run);
        start = i;
    }
}

} // namespace

void SurfacePicture::paint(QPainter& p, std::size_t first, float twipsPerPixel, const QFont& font,
                           QColor textColour, QSizeF pixels) const {
    const QFontMetrics fm(font, p.device());
    for (std::size_t i = first; i < commands_.size(); ++i) {
        const Command& c = commands_[i];
        p.save();
        switch (c.kind) {
        case Command::Lines: {
            // Lines are one pixel wide whatever the scale. The twips become pixels here rather
            // than through the painter's scale, which an SVG applies to the pen too: the dotted
            // grid's dots came a fifteenth of a pixel apart (a solid line), and renderers that
            // ignore a non-scaling stroke drew the curves a fifteenth of a pixel wide.
            p.setPen(QPen(c.colour, 0, c.style));
            std::vector<QLineF> pixels(c.lines.size());
            for (std::size_t k = 0; k < c.lines.size(); ++k)
                pixels[k] =
                    QLineF(c.lines[k].p1() / twipsPerPixel, c.lines[k].p2() / twipsPerPixel);
            p.drawLines(pixels.data(), int(pixels.size()));
            break;
        }
        case Command::Text:
            p.setFont(font);
            p.setPen(textColour);
            drawTextRuns(p, QPointF(0, fm.ascent()), c.first, font);
            // Columns count in digit widths, as the surface's text columns do.
            drawTextRuns(p, QPointF(fm.horizontalAdvance(QLatin1Char('0')) * c.column, fm.ascent()),
                         c.second, font);
            break;
        case Command::Hint:
            p.setFont(font);
            p.setPen(textColour);
            p.drawText(QRectF(QPointF(0, 0), pixels), Qt::AlignCenter | Qt::TextWordWrap, c.first);
            break;
        }
        p.restore();
    }
}

void AddTimeGrid(SurfacePicture& picture, const CumulativeView& view, QColor colour) {
    for (const CumulativeView::TimeLine& t : view.timeGrid())
        picture.addLine(t.x, kPlotTop, t.x, kPlotBottom, colour,
                        t.line.solid ? Qt::SolidLine : Qt::DotLine);
}

ValueAxis AddValueGrid(SurfacePicture& picture, float minimum, float maximum, QColor colour) {
    const ValueAxis axis = ScreenValueAxis(minimum, maximum);
    for (const GridLine& line : ScreenValueGrid(axis)) {
        const float y = AxisY(line.value, axis.AxisLow, axis.AxisHigh);
        picture.addLine(0, y, kGridRight, y, colour, line.solid ? Qt::SolidLine : Qt::DotLine);
    }
    return axis;
}

void AddExtremesLine(SurfacePicture& picture, int kind, const MeasurementModel& m,
                     const AnalysisResults& a) {
    const CurveExtremes e = CumulativeCurveExtremes(kind, m, a);
    const ExtremesLine line =
        CumulativeExtremesLine(e.maximum, e.minimum, a.axes.CurveUnit[std::size_t(kind)]);
    picture.addText(line.maximumPart, line.minimumPart, ExtremesLine::kMinimumColumn);
}

SurfacePicture CumulativeSurfacePicture(const std::vector<CurveLine>& curve, int kind,
                                        const MeasurementModel& m, const AnalysisResults& a,
                                        const CumulativeView& view, QColor foreground) {
    SurfacePicture picture;
    AddTimeGrid(picture, view, foreground);
    const auto [lo, hi] = CurveAxisInput(kind, m.RowMinimum, m.RowMaximum);
    AddValueGrid(picture, lo, hi, foreground);
    picture.addLines(curve, CumulativeCurveColour());
    AddExtremesLine(picture, kind, m, a);
    return picture;
}

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PictureFormat::Svg;
    return std::nullopt;
}

QByteArray EncodePicture(PictureFormat format, QSize size, const QString& title,
                         const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == PictureFormat::Png) {
        QImage image(size * 2, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.scale(2, 2);
            paint(p);
        }
        if (!image.save(&buffer, "PNG"))
            return {};
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        // Points become pixels as on an image (96 to the inch), so that the texts stand to the
        // lines as in the PNG and on the screen rather than at three quarters of their size.
        svg.setResolution(QImage(1, 1, QImage::Format_RGB32).logicalDpiX());
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title);
        QPainter p(&svg);
        paint(p);
    }
    return bytes;
}

namespace {
// The cumulative frame's layout in twips, as the analysis window places its controls.
constexpr double kPlotTwipsPerPixel = 15;
constexpr double kFrameWidth = 9000, kFrameHeight = 2480;
constexpr double kSurfaceLeft = 400, kSurfaceTop = 430, kSurfaceWidth = 8500, kSurfaceHeight = 1700;

QRectF twips(double left, double top, double width, double height) {
    return QRectF(left / kPlotTwipsPerPixel, top / kPlotTwipsPerPixel, width / kPlotTwipsPerPixel,
                  height / kPlotTwipsPerPixel);
}
} // namespace

CumulativePlot MakeCumulativePlot(int kind, const CumulativeView& view, const AnalysisResults& a,
                                  SurfacePicture surface) {
    CumulativePlot plot;
    plot.caption = CumulativeFrameCaption(kind, view);
    plot.valueUnit = a.axes.CurveUnit[std::size_t(kind)];
    plot.timeUnit = QString::fromUtf8(TimeUnitWord(view.gridStep()));
    plot.values = ValueLabels(a.axes.axis(kind));
    plot.times = view.timeLabels();
    plot.surface = std::move(surface);
    return plot;
}

QSize CumulativePlotSize() {
    return twips(0, 0, kFrameWidth, kFrameHeight).size().toSize();
}

void PaintCumulativePlot(QPainter& p, const CumulativePlot& plot) {
    const QColor text(Qt::black);
    p.fillRect(twips(0, 0, kFrameWidth, kFrameHeight), QColor(239, 239, 239));
    const QFont font = ChineseFont(9), small = ChineseFont(7);
    p.setPen(text);
    p.setFont(font);
    p.drawText(twips(120, 0, kFrameWidth - 240, 300), Qt::AlignLeft | Qt::AlignVCenter,
               plot.caption);
    p.drawText(twips(0, 180, kSurfaceLeft + 200, 240), Qt::AlignLeft | Qt::AlignVCenter,
               plot.valueUnit);
    p.drawText(twips(kSurfaceLeft + 6700, kSurfaceTop + kSurfaceHeight, 500, 240),
               Qt::AlignLeft | Qt::AlignVCenter, plot.timeUnit);
    p.setFont(small);
    for (const ValueLabel& v : plot.values)
        p.drawText(twips(0, v.top, kSurfaceLeft - 20, 200), Qt::AlignRight | Qt::AlignTop,
                   v.caption);
    for (const TimeLabel& t : plot.times)
        p.drawText(twips(t.left, kSurfaceTop + kSurfaceHeight + 20, 600, 200),
                   Qt::AlignLeft | Qt::AlignTop, t.caption);
    const QRectF surface = twips(kSurfaceLeft, kSurfaceTop, kSurfaceWidth, kSurfaceHeight);
    p.save();
    p.translate(surface.topLeft());
    p.setClipRect(QRectF(QPointF(0, 0), surface.size()));
    p.fillRect(QRectF(QPointF(0, 0), surface.size()), SurfaceBackground());
    plot.surface.paint(p, 0, float(kPlotTwipsPerPixel), font, text, surface.size());
    p.restore();
}

} // namespace zr5
