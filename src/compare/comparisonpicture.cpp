#include "compare/comparisonpicture.h"

#include <QPainter>

#include "analysis/surfacepicture.h"
#include "printing/picturedevice.h"
#include "recording/outputfile.h"

namespace zr5 {

void PaintComparisonChart(QPainter& painter, QSize pixels, double twipsPerPixel,
                          const ComparisonChart& chart) {
    painter.fillRect(QRect(QPoint(0, 0), pixels), Qt::white);
    PicturePrinterDevice device(painter, twipsPerPixel);
    Printer printer(device);
    // A margin of six pixels round the chart.
    const double margin = 6 * twipsPerPixel;
    DrawComparisonChart(printer, margin, margin, pixels.width() * twipsPerPixel - 2 * margin,
                        pixels.height() * twipsPerPixel - 2 * margin, chart);
}

QSize ComparisonChartSize() {
    return {640, 440};
}

Status SaveComparisonChart(const ComparisonChart& chart, const QString& path) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format)
        return Status::failure(QStringLiteral("图片只能保存为 PNG 或 SVG 文件：%1").arg(path));
    const QByteArray bytes =
        EncodePicture(*format, ComparisonChartSize(), chart.title, [&](QPainter& p) {
            PaintComparisonChart(p, ComparisonChartSize(), 15, chart);
        });
    if (bytes.isEmpty())
        return Status::failure(QStringLiteral("无法生成图片：%1").arg(path));
    if (Status written = WriteWholeFile(path, bytes); !written)
        return Status::failure(QStringLiteral("无法保存图片 %1：%2").arg(path, written.error()));
    return {};
}

} // namespace zr5
