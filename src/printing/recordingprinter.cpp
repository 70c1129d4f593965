#include "printing/recordingprinter.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace zr5 {

int TextColumns(const QString& text) {
    int columns = 0;
    for (const QChar c : text)
        columns += c.unicode() >= 0x2E80 ? 2 : 1;
    return columns;
}

double RecordingPrinterDevice::textWidth(const QString& text, float points) {
    return TextColumns(text) * columnWidth(points);
}

void RecordingPrinterDevice::drawText(double x, double top, const QString& text, float points) {
    PrintedItem item;
    item.page = pages;
    item.x1 = x;
    item.y1 = top;
    item.text = text;
    item.points = points;
    items.push_back(std::move(item));
}

void RecordingPrinterDevice::drawLine(double x1, double y1, double x2, double y2,
                                      const PrinterPen& pen) {
    items.push_back({PrintedItem::Kind::Line, pages, x1, y1, x2, y2, {}, 0, pen});
}

void RecordingPrinterDevice::drawBox(double x1, double y1, double x2, double y2,
                                     const PrinterPen& pen) {
    items.push_back({PrintedItem::Kind::Box, pages, x1, y1, x2, y2, {}, 0, pen});
}

void RecordingPrinterDevice::fillBox(double x1, double y1, double x2, double y2,
                                     std::uint32_t colour) {
    items.push_back(
        {PrintedItem::Kind::FilledBox, pages, x1, y1, x2, y2, {}, 0, {0, PenStyle::Solid, colour}});
}

bool RecordingPrinterDevice::newPage() {
    if (refuseAfter_ >= 0 && pages >= refuseAfter_)
        return false;
    ++pages;
    return true;
}

QStringList RecordingPrinterDevice::pageLines(int page) const {
    std::map<double, QString> byTop;
    for (const PrintedItem& item : items) {
        if (item.kind != PrintedItem::Kind::Text || item.page != page)
            continue;
        QString& line = byTop[item.y1];
        const int column = int(std::lround(item.x1 / (double(item.points) * 10.0)));
        int have = TextColumns(line);
        if (have < column)
            line += QString(column - have, QLatin1Char(' '));
        line += item.text;
    }
    QStringList result;
    for (auto& [top, text] : byTop)
        result << text;
    return result;
}

std::vector<const PrintedItem*> RecordingPrinterDevice::texts() const {
    std::vector<const PrintedItem*> result;
    for (const PrintedItem& item : items)
        if (item.kind == PrintedItem::Kind::Text)
            result.push_back(&item);
    return result;
}

std::vector<const PrintedItem*> RecordingPrinterDevice::lines(int page) const {
    std::vector<const PrintedItem*> result;
    for (const PrintedItem& item : items)
        if (item.kind != PrintedItem::Kind::Text && item.page == page)
            result.push_back(&item);
    return result;
}

} // namespace zr5
