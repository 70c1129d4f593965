#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "assessment/assessmentpage.h"
#include "compare/comparison.h"
#include "printing/printjob.h"

namespace zr5 {

// A picture of the comparison in fractions of its plot (x to the right, y up, both 0..1): cells
// filled in a colour, curves over them, the axis labels and a legend. The window, the exported
// pictures and the printed page all draw it through DrawComparisonChart.
struct ChartCell {
    double left = 0, bottom = 0, right = 0, top = 0;
    std::uint32_t colour = 0;
};
struct ChartKey {
    QString name;
    std::uint32_t colour = 0;
    bool filled = false; // a cell's colour, else a curve's
};
struct ComparisonChart {
    QString title;
    QString xTitle, yTitle;
    std::vector<ChartLabel> xLabels, yLabels;
    // A second scale on the right (none for most charts), for curves of another unit.
    QString y2Title;
    std::vector<ChartLabel> y2Labels;
    bool curvesOverCells = false; // bars with a line over them
    std::vector<ChartCell> cells;
    std::vector<ChartCurve> curves;
    std::vector<ChartKey> legend;
};

// An axis from 0 (or below, for negative values) over `high` in steps of 1, 2 or 5 × 10^n, at
// most five of them.
struct NiceAxis {
    double low = 0, high = 1, step = 1;
};
NiceAxis AxisOver(double low, double high);

// The two load-duration curves: input power sorted from the highest against the share of time.
ComparisonChart LoadDurationChart(const Comparison& c);
// Both recordings' normal rows as cells of efficiency against load rate (coloured by which
// recording ran there and how often), under each motor's rated efficiency η(β).
ComparisonChart EfficiencyChart(const Comparison& c);

// The colours of the two recordings' curves.
constexpr std::uint32_t kBeforeColour = Colour::Blue;
constexpr std::uint32_t kAfterColour = Colour::Red;

// Draws a chart into the box (twips) through the printer model: on paper, in a PDF, on the
// screen and in a PNG or SVG alike.
void DrawComparisonChart(Printer& p, double left, double top, double width, double height,
                         const ComparisonChart& chart);

// The comparison on one A4 page: the title, both recordings and motors, the side-by-side table,
// both pictures side by side, the verdict, the warnings and the settings.
class ComparisonPageJob final : public PrintJob {
public:
    ComparisonPageJob(Printer& printer, Comparison comparison);
    bool step() override;
    qint64 done() const override { return done_ ? 1 : 0; }
    qint64 total() const override { return 1; }
    QString error() const override { return JobError({}, p_); }

private:
    double heading(double y);
    double table(double y);
    double wrapped(double y, const QString& text, float points);

    Printer& p_;
    Comparison c_;
    bool done_ = false;
};

} // namespace zr5
