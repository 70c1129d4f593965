#include "analysiswindow/curvesurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "ui/geometry.h"

namespace zr5 {

namespace {
// A press and release closer than this (pixels) is a click, not a drag.
constexpr int kDragThreshold = 4;
} // namespace

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
    picture_.clear();
    if (image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(background);
    update();
}

void CurveSurface::paintNewCommands(std::size_t first) {
    fitImage();
    QPainter p(&image_);
    picture_.paint(p, first, twipsPerPixel_, font(), palette().color(QPalette::WindowText),
                   QSizeF(image_.size()));
    update();
}

void CurveSurface::draw(const SurfacePicture& more) {
    const std::size_t first = picture_.size();
    picture_.append(more);
    paintNewCommands(first);
}

void CurveSurface::drawLine(float x1, float y1, float x2, float y2, QColor colour,
                            Qt::PenStyle style) {
    const std::size_t first = picture_.size();
    picture_.addLine(x1, y1, x2, y2, colour, style);
    paintNewCommands(first);
}

void CurveSurface::drawLines(const std::vector<CurveLine>& lines, QColor colour) {
    if (lines.empty())
        return;
    const std::size_t first = picture_.size();
    picture_.addLines(lines, colour);
    paintNewCommands(first);
}

void CurveSurface::printLine(const QString& first, const QString& second, int secondColumn) {
    const std::size_t from = picture_.size();
    picture_.addText(first, second, secondColumn);
    paintNewCommands(from);
}

void CurveSurface::printHint(const QString& text) {
    hint_ = text;
    const std::size_t from = picture_.size();
    picture_.addHint(text);
    paintNewCommands(from);
}

void CurveSurface::paintPicture(QPainter& p) const {
    p.fillRect(rect(), background_);
    picture_.paint(p, 0, twipsPerPixel_, font(), palette().color(QPalette::WindowText),
                   QSizeF(size()));
}

void CurveSurface::restore(const SurfacePicture& picture, const QImage& image, QColor background) {
    background_ = background;
    picture_ = picture;
    image_ = image;
    hint_.clear();
    fitImage();
    update();
}

QPoint CurveSurface::pixelAt(float x, float y) const {
    return {int(std::floor(x / twipsPerPixel_)), int(std::floor(y / twipsPerPixel_))};
}

QPointF CurveSurface::twipsAt(QPoint pixel) const {
    return {(pixel.x() + 0.5) * twipsPerPixel_, (pixel.y() + 0.5) * twipsPerPixel_};
}

void CurveSurface::setCursorLine(std::optional<float> x, QColor colour) {
    if (cursorX_ == x && cursorColour_ == colour)
        return;
    cursorX_ = x;
    cursorColour_ = colour;
    update();
}

void CurveSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (exporting_)
        paintPicture(p);
    else
        p.drawImage(event->rect(), image_, event->rect());
    if (cursorX_) {
        // On the pixel column the row's x falls on, as the curve's own lines.
        const float x = (std::floor(*cursorX_ / twipsPerPixel_) + 0.5f) * twipsPerPixel_;
        p.save();
        p.scale(1.0 / twipsPerPixel_, 1.0 / twipsPerPixel_);
        p.setPen(QPen(cursorColour_, 0));
        p.drawLine(QPointF(x, kPlotTop), QPointF(x, kPlotBottom));
        p.restore();
    }
    if (drag_ == Drag::Select && !exporting_) {
        // The range the drag selects, shown until the button is released.
        QColor band = palette().color(QPalette::Highlight);
        band.setAlpha(70);
        const int left = std::min(pressAt_.x(), dragAt_.x());
        p.fillRect(QRect(left, 0, std::abs(dragAt_.x() - pressAt_.x()) + 1, height()), band);
    }
}

void CurveSurface::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!zoomable_) {
        if (event->button() == Qt::LeftButton)
            emit clicked(twipsAt(at));
        else
            QWidget::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)))
        drag_ = Drag::Pan;
    else if (event->button() == Qt::LeftButton)
        drag_ = Drag::Select;
    else
        return QWidget::mousePressEvent(event);
    pressAt_ = dragAt_ = at;
}

void CurveSurface::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_ == Drag::Pan) {
        // The picture follows the pointer: dragging it right brings earlier times in.
        const float dx = float(dragAt_.x() - at.x()) * twipsPerPixel_;
        dragAt_ = at;
        if (dx != 0)
            emit panned(dx);
        return;
    }
    if (drag_ == Drag::Select) {
        dragAt_ = at;
        update();
        return;
    }
    if (hover_) {
        const QString text = hover_(twipsAt(at));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
    QWidget::mouseMoveEvent(event);
}

void CurveSurface::mouseReleaseEvent(QMouseEvent* event) {
    const Drag drag = drag_;
    drag_ = Drag::None;
    if (drag != Drag::Select) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    update();
    const QPoint at = event->position().toPoint();
    if (std::abs(at.x() - pressAt_.x()) < kDragThreshold)
        emit clicked(twipsAt(pressAt_));
    else
        emit rangeDragged(float(twipsAt(pressAt_).x()), float(twipsAt(at).x()));
}

void CurveSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    if (zoomable_ && event->button() == Qt::LeftButton)
        emit doubleClicked();
    else
        QWidget::mouseDoubleClickEvent(event);
}

void CurveSurface::wheelEvent(QWheelEvent* event) {
    if (!zoomable_)
        return QWidget::wheelEvent(event);
    // A wheel turns in steps of 120; touch pads send parts of a step.
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    if (steps != 0)
        emit wheelZoom(float(twipsAt(event->position().toPoint()).x()), steps);
    event->accept();
}

} // namespace zr5
