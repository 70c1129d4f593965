#include "printing/printer.h"

namespace zr5 {

void Printer::print(const QString& text) {
    if (text.isEmpty())
        return;
    device_.drawText(x_, y_, text, size_);
    x_ += device_.textWidth(text, size_);
}

void Printer::tab(int column) {
    const double target = double(column - 1) * device_.columnWidth(size_);
    // A little slack: a text that ends exactly on the column does not push it to the next line.
    if (x_ > target + 0.5)
        endLine();
    x_ = target;
}

void Printer::endLine() {
    x_ = 0;
    y_ += lineHeight();
}

void Printer::line(double x1, double y1, double x2, double y2) {
    device_.drawLine(x1, y1, x2, y2, pen_);
    setPosition(x2, y2);
}

void Printer::box(double x1, double y1, double x2, double y2) {
    device_.drawBox(x1, y1, x2, y2, pen_);
    setPosition(x2, y2);
}

void Printer::fillBox(double x1, double y1, double x2, double y2) {
    device_.fillBox(x1, y1, x2, y2, pen_.colour);
    setPosition(x2, y2);
}

void Printer::newPage() {
    if (!device_.newPage())
        failed_ = true;
    ++page_;
    setPosition(0, 0);
}

double PrintWrapped(Printer& p, double y, double width, const QString& text) {
    QString line;
    p.setPosition(0, y);
    for (QChar c : text) {
        if (!line.isEmpty() && p.device().textWidth(line + c, p.fontSize()) > width) {
            p.printLine(line);
            line.clear();
        }
        line += c;
    }
    if (!line.isEmpty())
        p.printLine(line);
    return p.y();
}

} // namespace zr5
