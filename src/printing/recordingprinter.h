#pragma once

#include <QStringList>
#include <vector>

#include "printing/printer.h"

namespace zr5 {

// One thing a job printed, as the recording back end keeps it.
struct PrintedItem {
    enum class Kind { Text, Line, Box, FilledBox };
    Kind kind = Kind::Text;
    int page = 1;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // text: x1, y1 its position
    QString text;
    float points = 0;
    PrinterPen pen;
};

// A back end that keeps what was printed, for tests: the face is taken as fixed pitch, a column
// half the font size wide and Chinese characters two columns wide, as on the printer's face.
class RecordingPrinterDevice final : public PrinterDevice {
public:
    double columnWidth(float points) override { return double(points) * 10.0; }
    double textWidth(const QString& text, float points) override;
    void drawText(double x, double top, const QString& text, float points) override;
    void drawLine(double x1, double y1, double x2, double y2, const PrinterPen& pen) override;
    void drawBox(double x1, double y1, double x2, double y2, const PrinterPen& pen) override;
    void fillBox(double x1, double y1, double x2, double y2, std::uint32_t colour) override;
    double pixelTwips() const override { return pixelTwips_; }
    bool newPage() override;
    QString error() const override { return refusal_; }

    void setPixelTwips(double twips) { pixelTwips_ = twips; }
    // The device refuses the page after `pages` pages, with this reason.
    void refuseAfter(int pages, const QString& reason) {
        refuseAfter_ = pages;
        refusal_ = reason;
    }

    std::vector<PrintedItem> items;
    int pages = 1;

    // The text lines of a page, top to bottom: each item at its tab column, blanks between.
    QStringList pageLines(int page) const;
    std::vector<const PrintedItem*> texts() const;
    std::vector<const PrintedItem*> lines(int page = 1) const;

private:
    double pixelTwips_ = 0;
    int refuseAfter_ = -1;
    QString refusal_;
};

// Columns a text takes on a fixed-pitch CJK face: two for wide characters, one for the others.
int TextColumns(const QString& text);

} // namespace zr5
