#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/curvetrace.h"
#include "analysis/surfacepicture.h"

namespace zr5 {

// A drawing surface that keeps what was drawn on it until it is cleared, like a picture box with
// its image retained. Drawing is in twips; the image has one pixel per screen pixel. The drawing
// commands are kept too, so the surface can be painted again at any resolution (exports).
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
    // Draws a picture's commands over what the surface shows.
    void draw(const SurfacePicture& picture);
    // Prints a hint in the middle of the surface, in its text colour; the next clear removes it.
    void printHint(const QString& text);
    const QString& hint() const { return hint_; }
    // Prints a line of text at the text position (twips), the second part from a character column.
    void printLine(const QString& first, const QString& second, int secondColumn);

    const QImage& image() const { return image_; }
    const SurfacePicture& picture() const { return picture_; }
    QColor background() const { return background_; }
    // Paints what the surface shows from its drawing commands (an export at any scale).
    void paintPicture(QPainter& painter) const;
    // While one lives, every surface paints its drawing commands instead of its image, so that a
    // widget rendered into a finer picture or an SVG gets sharp lines and texts.
    class ExportPainting {
    public:
        ExportPainting() { exporting_ = true; }
        ~ExportPainting() { exporting_ = false; }
        ExportPainting(const ExportPainting&) = delete;
        ExportPainting& operator=(const ExportPainting&) = delete;
    };
    // Puts back a picture and image taken from the surface before (the whole recording after a
    // zoom).
    void restore(const SurfacePicture& picture, const QImage& image, QColor background);
    // The pixel that a point in twips falls on.
    QPoint pixelAt(float xTwips, float yTwips) const;
    QPointF twipsAt(QPoint pixel) const;

    // What the pointer shows over the surface (a tool tip text for a point in twips).
    void setHoverText(std::function<QString(QPointF)> hover) { hover_ = std::move(hover); }
    // A thin vertical line at x (twips) over the picture, or none. It is no part of the picture.
    void setCursorLine(std::optional<float> xTwips, QColor colour);
    std::optional<float> cursorLine() const { return cursorX_; }
    // Whether a drag selects a time range, the wheel zooms and a middle or shift drag pans.
    void setZoomable(bool on) { zoomable_ = on; }

signals:
    // A click (press and release in one place) at a point.
    void clicked(QPointF twips);
    // A drag across the surface from x1 to x2 (twips).
    void rangeDragged(float x1, float x2);
    // Wheel steps at x (positive: away from the user, zoom in).
    void wheelZoom(float x, int steps);
    // A pan by dx twips of the time axis (the picture follows the pointer).
    void panned(float dx);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void fitImage();
    void paintNewCommands(std::size_t first);

    enum class Drag { None, Select, Pan };
    static inline bool exporting_ = false;
    QImage image_;
    SurfacePicture picture_;
    QColor background_;
    float twipsPerPixel_ = 15;
    std::function<QString(QPointF)> hover_;
    QString hint_;
    std::optional<float> cursorX_;
    QColor cursorColour_;
    bool zoomable_ = false;
    Drag drag_ = Drag::None;
    QPoint pressAt_, dragAt_;
    int wheelRemainder_ = 0;
};

} // namespace zr5
