#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "analysiswindow/testrecording.h"
#include "compare/comparisonpage.h"
#include "printing/recordingprinter.h"

using namespace zr5;

namespace {

// 10 kW, 80 % (rated losses 2.5 kW, P0 0.5 kW, K 2 kW) or 82 % (K 1.695122 kW).
std::array<float, 7> Motor(float efficiency) {
    return {4, 10, 20, efficiency, 6, 0.5f, 380};
}

// Rows of 1..10 kW in turn (before), and a steady 9 kW (after).
Comparison Compared(const QTemporaryDir& dir) {
    const QString before = dir.filePath("steps.MTR"), after = dir.filePath("steady.MTR");
    EXPECT_EQ(test::WriteTestRecording(
                  before, 100, 1000,
                  [](qint64 r) {
                      return ChannelRowValues{40,  400, float(1 + (r - 1) % 10), 1, 400, 0, 1,
                                              400, 0};
                  },
                  Motor(80)),
              "");
    EXPECT_EQ(test::WriteTestRecording(
                  after, 100, 1000,
                  [](qint64) { return ChannelRowValues{40, 400, 9, 1, 400, 0, 1, 400, 0}; },
                  Motor(82)),
              "");
    Result<Comparison> c = CompareRecordingFiles(before, after, DataDirectory(dir.path()), {});
    EXPECT_TRUE(c) << c.error().toStdString();
    return *c;
}

bool HasCell(const ComparisonChart& chart, double left, double bottom, std::uint32_t colour) {
    for (const ChartCell& c : chart.cells)
        if (std::fabs(c.left - left) < 1e-9 && std::fabs(c.bottom - bottom) < 1e-9)
            return c.colour == colour;
    return false;
}

} // namespace

// The pictures' models worked by hand.
// Load duration: 10 kW down to 1 kW on an axis 0..10 in steps of 2 (10 / 1 would be ten steps);
// the steady 9 kW a flat line at 0.9.
// Efficiency: at 10 kW the 80 % motor runs at β = (√(25 + 2 × 9.5) − 5) / 2 = 0.8166, η 81.66 %:
// the cell from 80 % load (of 150: 0.5333) and 81 % efficiency; at 1 kW at η 49.5 %, so the
// efficiency axis starts at 40 and the cell's bottom stands at (81 − 40) / 60. Ten rows of each
// power: a tenth of the rows, a medium shade of blue. The 82 % motor at 9 kW:
// 1.695122 β² + 10 β = 8.5, β = 0.7537, η = 7.537 / 9 = 83.74 %: one cell of all its rows (74 %
// load, 83 % efficiency), dark red. Mean load rates 44.8 % (the ten powers' β averaged) and
// 75.4 %: more than a fifth apart.
TEST(ComparisonPage, ChartsAreWhatTheRowsGive) {
    QTemporaryDir dir;
    const Comparison c = Compared(dir);

    const ComparisonChart duration = LoadDurationChart(c);
    ASSERT_EQ(duration.curves.size(), 2u);
    EXPECT_EQ(duration.yLabels.size(), 6u);
    EXPECT_EQ(duration.yLabels.back().text, QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(duration.curves[0].points.front().second, 1.0);
    EXPECT_DOUBLE_EQ(duration.curves[0].points.back().second, 0.1);
    EXPECT_DOUBLE_EQ(duration.curves[0].points.back().first, 1.0);
    for (const auto& [x, y] : duration.curves[1].points)
        EXPECT_NEAR(y, 0.9, 1e-7);
    EXPECT_EQ(duration.curves[0].colour, kBeforeColour);

    const ComparisonChart cloud = EfficiencyChart(c);
    EXPECT_EQ(cloud.yLabels.front().text, QStringLiteral("40"));
    EXPECT_TRUE(HasCell(cloud, 80.0 / 150, 41.0 / 60, 0xd6ae6b));
    EXPECT_TRUE(HasCell(cloud, 74.0 / 150, 43.0 / 60, 0x1d18cb));
    std::size_t afterCells = 0;
    for (const ChartCell& cell : cloud.cells) {
        afterCells += cell.colour == 0x1d18cb;
        EXPECT_GE(cell.left, 0);
        EXPECT_LE(cell.right, 1 + 1e-12);
        EXPECT_GE(cell.bottom, 0);
        EXPECT_LE(cell.top, 1 + 1e-12);
    }
    EXPECT_EQ(afterCells, 1u);
    // Each motor's rated curve peaks at βJ = √(P0 / K): 0.5 for the 80 % motor.
    ASSERT_EQ(cloud.curves.size(), 2u);
    const auto& eta = cloud.curves[0].points;
    const auto peak = std::max_element(
        eta.begin(), eta.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_NEAR(peak->first, 50.0 / 150, 0.01);
}

// One A4 page: the table's rows, both pictures (their cells as filled boxes, their curves in the
// recordings' colours), the verdict and the warning of the different loads.
TEST(ComparisonPage, PrintsTableChartsVerdictAndWarningsOnOnePage) {
    QTemporaryDir dir;
    const Comparison c = Compared(dir);
    ASSERT_EQ(c.warnings.size(), 1);
    EXPECT_TRUE(c.warnings[0].contains(QStringLiteral("改造前 44.8%，改造后 75.4%")));
    RecordingPrinterDevice device;
    Printer printer(device);
    ComparisonPageJob job(printer, c);
    EXPECT_FALSE(job.step());
    EXPECT_EQ(job.error(), QString());
    EXPECT_EQ(device.pages, 1);
    QStringList texts;
    for (const PrintedItem* t : device.texts())
        texts << t->text;
    const QString all = texts.join(QString());
    for (const ComparisonRow& r : ComparisonRows(c))
        EXPECT_TRUE(all.contains(r.label)) << r.label.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("结论：") + ComparisonVerdict(c)));
    EXPECT_TRUE(all.contains(QStringLiteral("提示：") + c.warnings[0]));
    std::size_t filled = 0, blue = 0, red = 0;
    for (const PrintedItem& item : device.items) {
        filled += item.kind == PrintedItem::Kind::FilledBox;
        blue += item.kind == PrintedItem::Kind::Line && item.pen.colour == kBeforeColour;
        red += item.kind == PrintedItem::Kind::Line && item.pen.colour == kAfterColour;
        // Within A4 less 10 mm margins: 190 x 277 mm in twips.
        EXPECT_GE(std::min(item.x1, item.x2), 0);
        EXPECT_LE(std::max(item.x1, item.x2), 190 / 25.4 * 1440);
        EXPECT_GE(std::min(item.y1, item.y2), 0);
        EXPECT_LE(std::max(item.y1, item.y2), 277 / 25.4 * 1440) << item.text.toStdString();
    }
    // The cells and the legend's three cell keys; in each recording's colour its load-duration
    // curve (400 segments), its rated η(β) (300 points, 299 segments) and a legend stroke in each
    // picture.
    EXPECT_EQ(filled, EfficiencyChart(c).cells.size() + 3);
    const std::size_t strokes = (ComparedRecording::kDurationPoints - 1) + 299 + 2;
    EXPECT_EQ(blue, strokes);
    EXPECT_EQ(red, strokes);
}
