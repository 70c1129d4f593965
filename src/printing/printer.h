#pragma once

#include <QString>
#include <cstdint>

#include "model/types.h"

namespace zr5 {

enum class PenStyle { Solid, Dotted };

struct PrinterPen {
    int width = 1; // device pixels; back ends in physical units choose a width that looks the same
    PenStyle style = PenStyle::Solid;
    std::uint32_t colour = Colour::Black;
    bool operator==(const PrinterPen&) const = default;
};

// What a back end draws. Coordinates are twips from the top-left corner of the printable area;
// text is placed by the top of its line.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    // One tab column: the average character width of the printer's face at this size.
    virtual double columnWidth(float points) = 0;
    virtual double textWidth(const QString& text, float points) = 0;
    virtual void drawText(double x, double top, const QString& text, float points) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, const PrinterPen& pen) = 0;
    virtual void drawBox(double x1, double y1, double x2, double y2, const PrinterPen& pen) = 0;
    // A box filled with a colour, without an outline.
    virtual void fillBox(double x1, double y1, double x2, double y2, std::uint32_t colour) = 0;
    // Twips of one device pixel column: curves on long recordings are reduced to this.
    virtual double pixelTwips() const = 0;
    // False when the device refused the page.
    virtual bool newPage() = 0;
    // The device's reason for the last failure.
    virtual QString error() const = 0;
};

// The printer model of the reports: text in lines from the top margin, Tab(n) in average
// character widths of the current font, font size, print position, lines and boxes with pen width
// and style, new page and the page number. The back end only draws.
class Printer {
public:
    explicit Printer(PrinterDevice& device) : device_(device) {}

    void setFontSize(float points) { size_ = points; }
    float fontSize() const { return size_; }
    // One line of the current font: single spacing, the font's size.
    double lineHeight() const { return double(size_) * 20.0; }

    // Prints text at the print position; the line continues after it.
    void print(const QString& text);
    // Moves to column n (1 = the left margin); a line already past it continues on the next line.
    void tab(int column);
    // Ends the line: the left margin of the next line, one line height further down.
    void endLine();
    void printLine(const QString& text) {
        print(text);
        endLine();
    }
    void emptyLines(int count) {
        for (int i = 0; i < count; ++i)
            endLine();
    }

    void setPosition(double x, double y) {
        x_ = x;
        y_ = y;
    }
    double x() const { return x_; }
    double y() const { return y_; }

    void setPenWidth(int pixels) { pen_.width = pixels; }
    void setPenStyle(PenStyle style) { pen_.style = style; }
    void setPenColour(std::uint32_t colour) { pen_.colour = colour; }
    const PrinterPen& pen() const { return pen_; }
    // Both leave the print position at their second point.
    void line(double x1, double y1, double x2, double y2);
    void box(double x1, double y1, double x2, double y2);
    // A box filled with the pen's colour.
    void fillBox(double x1, double y1, double x2, double y2);

    // A new page: the page number grows, the print position returns to the top left.
    void newPage();
    int page() const { return page_; }
    bool failed() const { return failed_; }
    PrinterDevice& device() { return device_; }

private:
    PrinterDevice& device_;
    float size_ = 10;
    double x_ = 0, y_ = 0;
    PrinterPen pen_;
    int page_ = 1;
    bool failed_ = false;
};

// Prints text from (0, y) in the current font, broken into lines no wider than `width`; returns
// the y below its last line.
double PrintWrapped(Printer& printer, double y, double width, const QString& text);

} // namespace zr5
