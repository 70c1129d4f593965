#include "analysiswindow/curvesurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cmath>

#include "ui/geometry.h"

namespace zr5 {

CurveSurface::CurveSurface(QWidget* parent) : QWidget(parent), background_(192, 192, 192) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    twipsPerPixel_ = float(1440.0 / logicalDpiX());
}

void CurveSurface::resizeEvent(QResizeEvent*) {
    fitImage();
}

// A hidden surface gets no resize event, so every drawing call makes sure the image fits first.
void CurveSurface::fitImage() {
    if (image_.size() == size())
        return;
    QImage grown(size(), QImage::Format_RGB32);
    grown.fill(background_);
    QPainter p(&grown);
    p.drawImage(0, 0, image_);
    image_ = std::move(grown);
}

void CurveSurface::clear(QColor background) {
    background_ = background;
    hint_.clear();
    if (image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(background);
    update();
}

void CurveSurface::preparePainter(QPainter& p) const {
    // Twips to pixels; lines are one pixel wide whatever the scale.
    p.scale(1.0 / twipsPerPixel_, 1.0 / twipsPerPixel_);
}

void CurveSurface::drawLine(float x1, float y1, float x2, float y2, QColor colour,
                            Qt::PenStyle style) {
    fitImage();
    QPainter p(&image_);
    preparePainter(p);
    QPen pen(colour, 0, style);
    p.setPen(pen);
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    update();
}

void CurveSurface::drawLines(const std::vector<CurveLine>& lines, QColor colour) {
    if (lines.empty())
        return;
    fitImage();
    QPainter p(&image_);
    preparePainter(p);
    p.setPen(QPen(colour, 0));
    std::vector<QLineF> qlines;
    qlines.reserve(lines.size());
    for (const CurveLine& l : lines)
        qlines.emplace_back(l.x1, l.y1, l.x2, l.y2);
    p.drawLines(qlines.data(), int(qlines.size()));
    update();
}

void CurveSurface::printLine(const QString& first, const QString& second, int secondColumn) {
    fitImage();
    QPainter p(&image_);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(font());
    p.drawText(0, fm.ascent(), first);
    // Columns count in digit widths, as the surface's text columns do.
    p.drawText(fm.horizontalAdvance(QLatin1Char('0')) * secondColumn, fm.ascent(), second);
    update();
}

void CurveSurface::printHint(const QString& text) {
    fitImage();
    hint_ = text;
    QPainter p(&image_);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(image_.rect(), Qt::AlignCenter | Qt::TextWordWrap, text);
    update();
}

QPoint CurveSurface::pixelAt(float x, float y) const {
    return {int(std::floor(x / twipsPerPixel_)), int(std::floor(y / twipsPerPixel_))};
}

QPointF CurveSurface::twipsAt(QPoint pixel) const {
    return {(pixel.x() + 0.5) * twipsPerPixel_, (pixel.y() + 0.5) * twipsPerPixel_};
}

void CurveSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect(), image_, event->rect());
}

void CurveSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked(twipsAt(event->position().toPoint()));
    else
        QWidget::mousePressEvent(event);
}

void CurveSurface::mouseMoveEvent(QMouseEvent* event) {
    if (hover_) {
        const QString text = hover_(twipsAt(event->position().toPoint()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
    QWidget::mouseMoveEvent(event);
}

} // namespace zr5
