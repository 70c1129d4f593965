#pragma once

#include <QFont>
#include <map>

#include "printing/printer.h"

class QPainter;

namespace zr5 {

// The printer model on any QPainter (a widget, a picture, an SVG): one page, twips become pixels
// at a fixed scale, texts in the program's Chinese face. What a page job draws can then be shown
// on the screen and saved as a picture by the same routine.
class PicturePrinterDevice final : public PrinterDevice {
public:
    PicturePrinterDevice(QPainter& painter, double twipsPerPixel);

    double columnWidth(float points) override;
    double textWidth(const QString& text, float points) override;
    void drawText(double x, double top, const QString& text, float points) override;
    void drawLine(double x1, double y1, double x2, double y2, const PrinterPen& pen) override;
    void drawBox(double x1, double y1, double x2, double y2, const PrinterPen& pen) override;
    void fillBox(double x1, double y1, double x2, double y2, std::uint32_t colour) override;
    double pixelTwips() const override { return twipsPerPixel_; }
    bool newPage() override { return false; }
    QString error() const override { return QStringLiteral("图片只有一页"); }

private:
    const QFont& font(float points);
    void usePen(const PrinterPen& pen);

    QPainter& painter_;
    double twipsPerPixel_;
    std::map<float, QFont> fonts_;
};

} // namespace zr5
