#include "printing/picturedevice.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/chinesefont.h"
#include "ui/qtcolour.h"

namespace zr5 {

PicturePrinterDevice::PicturePrinterDevice(QPainter& painter, double twipsPerPixel)
    : painter_(painter), twipsPerPixel_(twipsPerPixel) {}

// A point is 20 twips: the face is sized in pixels, so that a picture device's own resolution
// (an SVG's 72 dpi) does not change it.
const QFont& PicturePrinterDevice::font(float points) {
    auto it = fonts_.find(points);
    if (it == fonts_.end()) {
        QFont f = ChineseFont(points);
        f.setPixelSize(std::max(1, int(std::lround(points * 20 / twipsPerPixel_))));
        it = fonts_.emplace(points, f).first;
    }
    return it->second;
}

double PicturePrinterDevice::columnWidth(float points) {
    return textWidth(QStringLiteral("0"), points);
}

double PicturePrinterDevice::textWidth(const QString& text, float points) {
    return QFontMetricsF(font(points)).horizontalAdvance(text) * twipsPerPixel_;
}

void PicturePrinterDevice::drawText(double x, double top, const QString& text, float points) {
    const QFont& f = font(points);
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    painter_.drawText(QPointF(x / twipsPerPixel_, top / twipsPerPixel_ + QFontMetricsF(f).ascent()),
                      text);
}

void PicturePrinterDevice::usePen(const PrinterPen& pen) {
    // As on paper: a pen pixel is 1/300 inch, never thinner than a pixel of the picture.
    QPen q(ColourOf(pen.colour));
    q.setWidthF(std::max(1.0, pen.width * 1440.0 / twipsPerPixel_ / 300.0));
    if (pen.style == PenStyle::Dotted)
        q.setDashPattern({1.5, 3});
    q.setCapStyle(Qt::FlatCap);
    painter_.setPen(q);
    painter_.setBrush(Qt::NoBrush);
}

void PicturePrinterDevice::drawLine(double x1, double y1, double x2, double y2,
                                    const PrinterPen& pen) {
    usePen(pen);
    const double s = twipsPerPixel_;
    painter_.drawLine(QPointF(x1 / s, y1 / s), QPointF(x2 / s, y2 / s));
}

void PicturePrinterDevice::drawBox(double x1, double y1, double x2, double y2,
                                   const PrinterPen& pen) {
    usePen(pen);
    const double s = twipsPerPixel_;
    painter_.drawRect(QRectF(QPointF(x1 / s, y1 / s), QPointF(x2 / s, y2 / s)));
}

void PicturePrinterDevice::fillBox(double x1, double y1, double x2, double y2,
                                   std::uint32_t colour) {
    const double s = twipsPerPixel_;
    painter_.fillRect(QRectF(QPointF(x1 / s, y1 / s), QPointF(x2 / s, y2 / s)), ColourOf(colour));
}

} // namespace zr5
