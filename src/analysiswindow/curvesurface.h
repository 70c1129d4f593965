#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <vector>

#include "analysis/curvetrace.h"

namespace zr5 {

// A drawing surface that keeps what was drawn on it until it is cleared, like a picture box with
// its image retained. Drawing is in twips; the image has one pixel per screen pixel.
class CurveSurface : public QWidget {
    Q_OBJECT
public:
    explicit CurveSurface(QWidget* parent = nullptr);

    // Twips per pixel column of the image.
    float twipsPerPixel() const { return twipsPerPixel_; }
    // Empties the surface in its background colour and moves the text position to (0, 0).
    void clear(QColor background);
    void drawLine(float x1, float y1, float x2, float y2, QColor colour,
                  Qt::PenStyle style = Qt::SolidLine);
    void drawLines(const std::vector<CurveLine>& lines, QColor colour);
    // Prints a hint in the middle of the surface, in its text colour; the next clear removes it.
    void printHint(const QString& text);
    const QString& hint() const { return hint_; }
    // Prints a line of text at the text position (twips), the second part from a character column.
    void printLine(const QString& first, const QString& second, int secondColumn);

    const QImage& image() const { return image_; }
    // The pixel that a point in twips falls on.
    QPoint pixelAt(float xTwips, float yTwips) const;
    QPointF twipsAt(QPoint pixel) const;

    // What the pointer shows over the surface (a tool tip text for a point in twips).
    void setHoverText(std::function<QString(QPointF)> hover) { hover_ = std::move(hover); }

signals:
    void clicked(QPointF twips);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fitImage();
    void preparePainter(class QPainter& p) const;

    QImage image_;
    QColor background_;
    float twipsPerPixel_ = 15;
    std::function<QString(QPointF)> hover_;
    QString hint_;
};

} // namespace zr5
