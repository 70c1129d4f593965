#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "assessment/assessmentfigures.h"
#include "assessment/assessmentpage.h"
#include "motor/samplecatalogue.h"
#include "printing/recordingprinter.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

// An hour of a synthesised 11 kW load behind the given rated data, assessed with the defaults.
AssessmentPageInput Assessed(const QTemporaryDir& dir, const std::array<float, 7>& motor) {
    const DataDirectory data(dir.filePath(QStringLiteral("data")));
    EXPECT_TRUE(test::Succeeded(InstallSampleCatalogue(data)));
    const QString path = dir.filePath(QStringLiteral("a.MTR"));
    EXPECT_TRUE(test::Succeeded(WriteSyntheticRecording(path, 3000, 3600, 3)));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(8); // the motor's seven values follow the start time and the duration
    f.write(reinterpret_cast<const char*>(motor.data()), qint64(sizeof(motor)));
    f.close();
    const AssessmentSettings settings;
    const AssessmentRun run = AssessRecording(path, data, settings);
    EXPECT_EQ(run.error, QString());
    return {run, settings, QStringLiteral("a.MTR")};
}

} // namespace

// The page prints what the assessment returns: every figure, the verdict, a bar per load band
// as tall as its hours and coloured by its zone, the marks where βJ, βJJ and the mean load rate
// stand, all on the first A4 page and the measures on a second; a motor the method does not apply
// to gets neither bars nor curves.
TEST(AssessmentPage, PrintsTheFiguresChartAndVerdictOnTwoPages) {
    struct Case {
        const char* name;
        std::array<float, 7> motor;
        bool applies;
    };
    const Case cases[] = {
        {"Y160M-4", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}, true},
        {"no-load power above the rated losses", {4, 11, 22.6f, 88, 8.05f, 2.0f, 380}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const AssessmentPageInput in = Assessed(dir, c.motor);
        const RecordingAssessment& a = in.run.assessment;
        ASSERT_EQ(a.economics.has_value(), c.applies) << a.inapplicable.toStdString();
        RecordingPrinterDevice device;
        Printer printer(device);
        AssessmentPageJob job(printer, in);
        EXPECT_FALSE(job.step());
        EXPECT_EQ(job.error(), QString());
        // The measures (classes, IE4, capacitor, supply) on a second page, the rest on the first.
        EXPECT_EQ(device.pages, 2);
        // Every figure on its page, the IE3 motor's payback on the second under its title again.
        for (int page = 0; page < 2; ++page)
            for (const FigureRow& f : FigureRows(FiguresOfPage(AssessmentFigures(a, 1.0), page))) {
                bool found = false;
                for (const PrintedItem* t : device.texts())
                    found = found || (t->text == f.name && t->page == page + 1);
                EXPECT_TRUE(found) << f.name.toStdString() << " on page " << page + 1;
            }
        auto printedOn = [&](int page, const char* text) {
            return std::any_of(device.items.begin(), device.items.end(), [&](const auto& i) {
                return i.page == page && i.text == QString::fromUtf8(text);
            });
        };
        EXPECT_EQ(printedOn(2, "  静态回收期"), c.applies);
        EXPECT_FALSE(printedOn(1, "  静态回收期"));
        EXPECT_EQ(printedOn(1, "  年节约电费"), c.applies);

        QStringList texts;
        for (const PrintedItem* t : device.texts())
            texts << t->text;
        for (const FigureRow& f : FigureRows(AssessmentFigures(a, 1.0))) {
            EXPECT_TRUE(texts.contains(f.name)) << f.name.toStdString();
            if (!f.isGroup() && f.value.size() < 20) {
                EXPECT_TRUE(texts.contains(f.value)) << f.value.toStdString();
            }
        }
        const QString verdict = QStringLiteral("结论：") + AssessmentVerdict(a, 1.0, 11);
        EXPECT_TRUE(texts.join(QString()).contains(verdict)) << verdict.toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("数据文件名称：a.MTR")));

        // Everything within A4 less 10 mm margins: 190 x 277 mm in twips.
        for (const PrintedItem& item : device.items) {
            EXPECT_GE(std::min(item.x1, item.x2), 0);
            EXPECT_LE(std::max(item.x1, item.x2), 190 / 25.4 * 1440);
            EXPECT_GE(std::min(item.y1, item.y2), 0);
            EXPECT_LE(std::max(item.y1, item.y2), 277 / 25.4 * 1440);
        }

        std::vector<const PrintedItem*> bars;
        for (const PrintedItem& item : device.items)
            if (item.kind == PrintedItem::Kind::FilledBox && item.y2 - item.y1 > 300)
                bars.push_back(&item);
        const double most = *std::max_element(a.loadBandHours.begin(), a.loadBandHours.end());
        const std::size_t nonEmpty = std::size_t(std::count_if(
            a.loadBandHours.begin(), a.loadBandHours.end(), [](double h) { return h > 0; }));
        ASSERT_EQ(bars.size(), nonEmpty);
        std::sort(bars.begin(), bars.end(),
                  [](const PrintedItem* l, const PrintedItem* r) { return l->x1 < r->x1; });
        // The dotted verticals are the marks; the blue segments the efficiency curve.
        std::vector<double> marks;
        for (const PrintedItem* l : device.lines())
            if (l->kind == PrintedItem::Kind::Line && l->pen.style == PenStyle::Dotted &&
                l->x1 == l->x2)
                marks.push_back(l->x1);
        std::size_t curveSegments = 0;
        for (const PrintedItem* l : device.lines())
            curveSegments += l->pen.colour == Colour::Blue && l->x1 != l->x2;
        ASSERT_EQ(bars.empty(), !c.applies);
        if (!c.applies) {
            EXPECT_TRUE(texts.join(QString()).contains(a.inapplicable));
            EXPECT_TRUE(marks.empty());
            EXPECT_EQ(curveSegments, 0u);
            continue;
        }
        double tallest = 0;
        for (const PrintedItem* bar : bars)
            tallest = std::max(tallest, bar->y2 - bar->y1);
        std::size_t k = 0;
        for (std::size_t b = 0; b < a.loadBandHours.size(); ++b) {
            if (a.loadBandHours[b] <= 0)
                continue;
            const PrintedItem& bar = *bars[k++];
            EXPECT_NEAR((bar.y2 - bar.y1) / tallest, a.loadBandHours[b] / most, 1e-9) << b;
            EXPECT_EQ(bar.pen.colour, ZoneColour(ZoneOf((b + 0.5) / 10, *a.economics))) << b;
        }

        EXPECT_GT(curveSegments, 100u);
        const MotorEconomics& e = *a.economics;
        const double expected[] = {e.betaJ * 100, e.betaJJ * 100, a.meanLoadRate};
        ASSERT_EQ(marks.size(), 3u);
        // Equal steps of load rate are equal steps across: the marks stand in proportion.
        EXPECT_NEAR((marks[1] - marks[0]) / (marks[2] - marks[0]),
                    (expected[1] - expected[0]) / (expected[2] - expected[0]), 1e-9);
    }
}
