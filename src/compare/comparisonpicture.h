#pragma once

#include <QSize>
#include <QString>

#include "compare/comparisonpage.h"
#include "model/result.h"

class QPainter;

namespace zr5 {

// A chart on a white ground of `pixels`, drawn by DrawComparisonChart at `twipsPerPixel`.
void PaintComparisonChart(QPainter& painter, QSize pixels, double twipsPerPixel,
                          const ComparisonChart& chart);
// The size of a saved chart in pixels at 15 twips per pixel (a PNG has twice as many).
QSize ComparisonChartSize();
// Saves a chart as PNG or SVG, as the name ends; the file is replaced only once it is complete.
Status SaveComparisonChart(const ComparisonChart& chart, const QString& path);

} // namespace zr5
