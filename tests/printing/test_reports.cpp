// The data report and the curve page on the recording back end: what stands on which page and
// line, the grids and titles, and the refusals.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

#include "analysis/cumulative.h"
#include "analysiswindow/testrecording.h"
#include "model/numbertext.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/recordingprinter.h"
#include "support/succeeded.h"
#include "survey/surveyreport.h"

namespace zr5 {
namespace {

class ReportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingPrinterDevice device;
    Printer printer{device};

    RecordingInfo record(qint64 rows, float duration = 600,
                         const test::RowSource& source = test::SwingingRow,
                         std::array<float, 7> motor = test::TestMotor()) {
        const QString path = dir.filePath(QStringLiteral("run.MTR"));
        EXPECT_EQ(test::WriteTestRecording(path, rows, duration, source, motor), QString());
        Result<RecordingInfo> info = ReadRecordingInfo(path);
        EXPECT_TRUE(info.ok()) << info.error().toStdString();
        return *info;
    }
    // The row numbers printed in the first column, per page.
    std::map<int, std::vector<qint64>> rowsByPage() const {
        std::map<int, std::vector<qint64>> pages;
        for (const PrintedItem* t : device.texts())
            if (t->x1 == 300 && t->points == 10)
                pages[t->page].push_back(t->text.trimmed().toLongLong());
        return pages;
    }
    const PrintedItem* findText(const QString& text) const {
        for (const PrintedItem* t : device.texts())
            if (t->text == text)
                return t;
        return nullptr;
    }
};

QString Footer(int page) {
    return QString(54, QLatin1Char(' ')) + PrintedNumber(page);
}
const QString kEnd = QString(51, QLatin1Char(' ')) + QStringLiteral("-- END --");

struct RangeCase {
    qint64 first, last;
    std::vector<std::pair<qint64, qint64>> pages; // first and last row of each page (0, 0: none)
};

TEST_F(ReportTest, DataReportBreaksPagesAfterSixtyThenSixtyFiveRows) {
    const RangeCase cases[] = {
        {1, 60, {{1, 60}, {0, 0}}},
        {1, 61, {{1, 60}, {61, 61}}},
        {1, 125, {{1, 60}, {61, 125}, {0, 0}}},
        {100, 159, {{100, 159}, {0, 0}}},
        {5, 4, {{0, 0}}},
    };
    const RecordingInfo info = record(200);
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " to " << c.last);
        device = RecordingPrinterDevice();
        Printer p(device);
        DataReportInput in{info, info.header.motorParameters(), {c.first, c.last}, {}};
        in.heading.fileName = info.path;
        DataReportJob job(p, in);
        job.setStepRows(7);
        ASSERT_TRUE(test::Succeeded(RunToEnd(job)));
        EXPECT_EQ(job.done(), std::max<qint64>(0, c.last - c.first + 1));

        const int pages = int(c.pages.size());
        EXPECT_EQ(device.pages, pages);
        const auto rows = rowsByPage();
        for (int page = 1; page <= pages; ++page) {
            SCOPED_TRACE(page);
            const auto [first, last] = c.pages[std::size_t(page - 1)];
            std::vector<qint64> expected;
            for (qint64 r = first; first > 0 && r <= last; ++r)
                expected.push_back(r);
            EXPECT_EQ(rows.count(page) ? rows.at(page) : std::vector<qint64>{}, expected);
            // Every page ends in its footer; a full page has 74 lines.
            const QStringList lines = device.pageLines(page);
            const qsizetype footerAt = lines.indexOf(Footer(page));
            ASSERT_GE(footerAt, 0);
            const bool lastPage = page == pages;
            EXPECT_EQ(lines.last(), lastPage ? kEnd : Footer(page));
            const bool full = qint64(expected.size()) == (page == 1 ? 60 : 65);
            for (const PrintedItem* t : device.texts())
                if (t->page == page && t->text == Footer(page) && full) {
                    EXPECT_EQ(t->y1, page == 1 ? 4 * 200 + 4 * 240 + 3 * 200 + 62 * 200
                                               : (4 + 2 + 65 + 2) * 200);
                }
            EXPECT_EQ(lines.count(kEnd), lastPage ? 1 : 0);
        }
        // The heading block is on the first page only.
        const QStringList first = device.pageLines(1);
        EXPECT_TRUE(first.contains(QStringLiteral("    使 用 单 位 ： ×××公司")))
            << first.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(device.pageLines(pages).contains(
            QStringLiteral("              A          V       kVa                 kVar       kW "
                           "       kW        %         %   ")));
    }
}

TEST_F(ReportTest, DataReportColumnsStandUnderTheirHeaderWords) {
    struct Case {
        ChannelRowValues row;
        QString current, powerFactor;
        bool operatingPoint;
    };
    // One transformer in use; the rated motor's no-load power is 0.35 kW.
    const Case cases[] = {
        {{10, 100, 0.85f, 0, 0, 0, 0, 0, 0},
         QStringLiteral(" 3.333"),
         QStringLiteral(" 0.850C"),
         true},
        {{-10, 100, 0.85f, 0, 0, 0, 0, 0, 0},
         QStringLiteral(" 3.333"),
         QStringLiteral(" 0.850L"),
         true},
        {{1, 100, 0.1f, 0, 0, 0, 0, 0, 0},
         QStringLiteral(" 0.333"),
         QStringLiteral(" 1.000C"),
         false},
        {{10, 380, 3, 10, 380, 3, 10, 380, 3},
         QStringLiteral(" 10.000"),
         QStringLiteral(" 0.789C"),
         true},
    };
    MotorParameters motor = MotorParameters::fromValues(test::TestMotor());
    motor.revalidate();
    for (const Case& c : cases) {
        const DataReportColumns line = DataReportLine(7, c.row, motor);
        EXPECT_EQ(line.text[0], QStringLiteral(" 7 "));
        EXPECT_EQ(line.text[1], c.current);
        EXPECT_EQ(line.text[4], c.powerFactor);
        EXPECT_EQ(!line.text[7].isEmpty() && !line.text[8].isEmpty() && !line.text[9].isEmpty(),
                  c.operatingPoint);
    }
    // Each column's text starts under the first character of its header word (fixed pitch, a
    // Chinese character two columns wide).
    const QString header = QStringLiteral("    序号　  电  流     电  压  视在功率  功率因数  "
                                          "无功功率  有功功率  输出功率   效  率    负载率");
    const QString words[] = {QStringLiteral("序号"),     QStringLiteral("电  流"),
                             QStringLiteral("电  压"),   QStringLiteral("视在功率"),
                             QStringLiteral("功率因数"), QStringLiteral("无功功率"),
                             QStringLiteral("有功功率"), QStringLiteral("输出功率"),
                             QStringLiteral("效  率"),   QStringLiteral("负载率")};
    for (int c = 0; c < 10; ++c) {
        const int column = TextColumns(header.left(header.indexOf(words[c]))) + 1;
        EXPECT_NEAR(column, kDataReportTabs[c], 3) << c;
    }
}

TEST_F(ReportTest, ThePrintAxisRuleMakesItsGrids) {
    struct Case {
        float min, max, low, high, step;
        std::vector<std::pair<float, bool>> lines;
    };
    const Case cases[] = {
        {0.5f, 12.3f, 0, 15, 5, {{0, true}, {5, false}, {10, false}, {15, false}}},
        {0,
         1,
         0,
         1.00001f,
         0.2f,
         {{0, true}, {0.2f, false}, {0.4f, false}, {0.6f, false}, {0.8f, false}, {1, true}}},
        {0,
         100,
         0,
         120,
         20,
         {{0, true},
          {20, false},
          {40, false},
          {60, false},
          {80, false},
          {100, true},
          {120, false}}},
        {-3.2f,
         4,
         -4,
         6,
         2,
         {{-4, false}, {-2, false}, {0, true}, {2, false}, {4, false}, {6, false}}},
    };
    for (const Case& c : cases) {
        const PrintedBandAxis band = PrintBandAxis(c.min, c.max);
        EXPECT_FLOAT_EQ(band.axis.AxisLow, c.low);
        EXPECT_FLOAT_EQ(band.axis.AxisHigh, c.high);
        EXPECT_FLOAT_EQ(band.axis.AxisStep, c.step);
        ASSERT_EQ(band.valueGrid.size(), c.lines.size()) << c.max;
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_NEAR(band.valueGrid[i].value, c.lines[i].first, 1e-5);
            EXPECT_EQ(band.valueGrid[i].solid, c.lines[i].second) << c.max << " " << i;
        }
    }
}

TEST_F(ReportTest, UnusedChannelsTakeTheExtremesOfAChannelInUse) {
    struct Case {
        int code;
        int source[3]; // the channel whose extremes each channel shows afterwards
    };
    const Case cases[] = {{1, {2, 2, 2}}, {2, {1, 1, 1}}, {3, {1, 1, 2}}, {4, {0, 0, 0}},
                          {5, {0, 0, 2}}, {6, {0, 1, 0}}, {7, {0, 1, 2}}, {0, {0, 1, 2}}};
    for (const Case& c : cases) {
        ExtremaValues mx{}, mn{};
        for (int i = 0; i < 12; ++i) {
            mx[i] = float(100 + i);
            mn[i] = float(-i);
        }
        CopyExtremaOfUnusedChannels(c.code, mx, mn);
        for (int ch = 0; ch < 3; ++ch) {
            const int from = c.source[ch];
            EXPECT_EQ(mx[Channel::current(ch)], float(100 + Channel::current(from))) << c.code;
            EXPECT_EQ(mn[Channel::voltage(ch)], float(-Channel::voltage(from))) << c.code;
            EXPECT_EQ(mx[Channel::activePower(ch)], float(100 + Channel::activePower(ch)));
        }
    }
}

TEST_F(ReportTest, CurvePageTimeGridFollowsTheDuration) {
    struct Case {
        float duration;
        float step;
        int lines;
        QString unit;
        QString lastLabel;
    };
    const Case cases[] = {
        {3000, 300, 11, QStringLiteral("分"), QStringLiteral("3000")},
        {10, 1, 11, QStringLiteral("秒"), QStringLiteral("10")},
        {40000, 3600, 12, QStringLiteral("时"), QStringLiteral("39600")},
        // fifteen intervals are one too many
        {15, 2, 8, QStringLiteral("秒"), QStringLiteral("14")},
        {900, 120, 8, QStringLiteral("分"), QStringLiteral("840")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.duration);
        const RecordingInfo info = record(50, c.duration);
        device = RecordingPrinterDevice();
        Printer p(device);
        CurvePageInput in;
        in.recording = info;
        in.motor = info.header.motorParameters();
        CurvePageJob job(p, in);
        ASSERT_TRUE(test::Succeeded(RunToEnd(job)));
        EXPECT_FLOAT_EQ(job.timeGridStep(), c.step);
        int vertical = 0;
        for (const PrintedItem* l : device.lines())
            if (l->x1 == l->x2 && l->y1 == 850 + 200 && l->y2 == 850 + 1600) {
                EXPECT_EQ(l->pen.style, PenStyle::Dotted);
                ++vertical;
            }
        EXPECT_EQ(vertical, c.lines);
        // Time labels under the last band, the last one at the last grid line.
        std::vector<const PrintedItem*> labels;
        for (const PrintedItem* t : device.texts())
            if (t->y1 == 12550)
                labels.push_back(t);
        ASSERT_EQ(int(labels.size()), c.lines);
        EXPECT_EQ(labels.front()->text, QStringLiteral("0"));
        EXPECT_EQ(labels.back()->text, c.lastLabel);
        EXPECT_NEAR(labels.back()->x1, 950 + labels.back()->text.toDouble() * 8900 / c.duration,
                    0.01);
        // The unit word at column 104 of the footer.
        const PrintedItem* unit = findText(c.unit);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->x1, 103 * 100);
    }
}

TEST_F(ReportTest, CurvePageLaysOutFramesTitlesLabelsAndFooter) {
    // Channel 3 only: the other channels read zero.
    const RecordingInfo info = record(400, 600, [](qint64 r) {
        ChannelRowValues v = test::SwingingRow(r);
        if (r % 10 == 0)
            v = {0, 0, 0, 0, 0, 0, v[6], v[7], 0.1f}; // below the no-load power
        v[0] = v[1] = v[2] = v[3] = v[4] = v[5] = 0;
        return v;
    });
    CurvePageInput in;
    in.recording = info;
    in.motor = info.header.motorParameters();
    in.ctInUse = {0, 0, 1};
    in.TotalActiveEnergy = 1234.5f;
    in.heading.fileName = QStringLiteral("run.MTR");
    in.heading.date = {QStringLiteral("2002"), QStringLiteral("8"), QStringLiteral("5"),
                       QStringLiteral("9"), QStringLiteral("7")};
    CurvePageJob job(printer, in);
    job.setStepRows(33);
    ASSERT_TRUE(test::Succeeded(RunToEnd(job)));
    EXPECT_EQ(device.pages, 1);

    // Six heavy frames, each with its title just above it.
    std::vector<const PrintedItem*> boxes;
    for (const PrintedItem* l : device.lines())
        if (l->kind == PrintedItem::Kind::Box)
            boxes.push_back(l);
    ASSERT_EQ(boxes.size(), 6u);
    const char* titles[] = {"电流曲线",     "电压曲线", "功率曲线",
                            "功率因数曲线", "效率曲线", "负载率曲线"};
    for (int b = 0; b < 6; ++b) {
        EXPECT_EQ(boxes[b]->x1, 1000);
        EXPECT_EQ(boxes[b]->y1, 1000 + 2000 * b);
        EXPECT_EQ(boxes[b]->y2, 2500 + 2000 * b);
        EXPECT_EQ(boxes[b]->pen.width, 3);
        const PrintedItem* title = nullptr;
        for (const PrintedItem* t : device.texts())
            if (t->text.contains(QString::fromUtf8(titles[b])) && t->text.startsWith(u'　'))
                title = t;
        ASSERT_NE(title, nullptr) << b;
        EXPECT_LT(title->y1 + 200, boxes[b]->y1 + 1);
        EXPECT_GT(title->y1, boxes[b]->y1 - 500);
    }
    // The current band shows channel 3's extremes and plots its current divided by one.
    const float max3 = info.RowMaximum[Slot::Current3];
    EXPECT_NE(findText(QStringLiteral("最大值 ") + FormatValue(max3) + QStringLiteral(" A")),
              nullptr);
    const ValueAxis axis0 = job.bandAxes()[0];
    bool found = false;
    const float x1 = float(1.0 * 8900 / 400 + 1050), x2 = float(2.0 * 8900 / 400 + 1050);
    const float i1 = std::fabs(test::SwingingRow(1)[6]);
    for (const PrintedItem* l : device.lines())
        if (l->kind == PrintedItem::Kind::Line && l->pen.style == PenStyle::Solid &&
            std::fabs(l->x1 - x1) < 0.01 && std::fabs(l->x2 - x2) < 0.01 && l->y1 < 2500)
            found = std::fabs(l->y1 - (850 + AxisY(i1, axis0.AxisLow, axis0.AxisHigh))) < 0.5;
    EXPECT_TRUE(found);
    // Rows below the no-load power draw their efficiency and load-rate segments in grey, in those
    // bands only.
    int grey = 0;
    for (const PrintedItem* l : device.lines())
        if (l->pen.colour == Colour::LightGrey) {
            ++grey;
            EXPECT_GT(l->y1, 8850);
        }
    EXPECT_GT(grey, 0);
    // Value labels: the power-factor band 0 .. 1 in fifths at the left.
    for (const char* v : {"0", "0.2", "0.4", "0.6", "0.8", "1"}) {
        bool labelled = false;
        for (const PrintedItem* t : device.texts())
            labelled |= t->x1 == 600 && t->text == QLatin1String(v) && t->y1 > 6850 && t->y1 < 8850;
        EXPECT_TRUE(labelled) << v;
    }
    const QStringList lines = device.pageLines(1);
    const QString text = lines.join(QLatin1Char('\n'));
    for (const QString& expected :
         {QStringLiteral("             累计时间： 0 时 10 分 0 秒"),
          QStringLiteral("             有功电量： 1234.5 W·h"),
          QStringLiteral("         数据文件名称： run.MTR"),
          QStringLiteral("         接线方式：     单瓦特计法测量(黄)"),
          QStringLiteral("         测 试 日 期 ： 2002年8月5日      9时7分")})
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const QString& l) { return l.startsWith(expected); }))
            << expected.toStdString() << "\n"
            << text.toStdString();
}

// Every printed curve stays in its band's plot, as on the screen: a value beyond the axis stands
// at the band's edge under the screen's over-range marks (an arrowhead 60 twips to each side and
// 110 high). A motor of 2 kW behind the swinging rows of 3.3 to 8 kW runs at 136 to 289 %, above
// the load-rate axis of 0 to 120; the test motor of 7.5 kW stays within every axis.
TEST_F(ReportTest, PrintedCurvesStayInTheirBandsAndMarkWhatLiesBeyond) {
    struct Case {
        const char* name;
        std::array<float, 7> motor;
        bool overloaded;
    };
    const Case cases[] = {{"7.5 kW within every axis", test::TestMotor(), false},
                          {"2 kW above the load-rate axis", {4, 2, 5, 85, 1.5f, 0.1f, 380}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device = RecordingPrinterDevice();
        const RecordingInfo info = record(300, 600, test::SwingingRow, c.motor);
        CurvePageInput in;
        in.recording = info;
        in.motor = info.header.motorParameters();
        CurvePageJob job(printer, in);
        ASSERT_TRUE(test::Succeeded(RunToEnd(job)));
        // The curves are drawn after the last frame.
        std::size_t first = 0;
        for (std::size_t i = 0; i < device.items.size(); ++i)
            if (device.items[i].kind == PrintedItem::Kind::Box)
                first = i + 1;
        std::array<int, 6> lines{}, marks{};
        for (std::size_t i = first; i < device.items.size(); ++i) {
            const PrintedItem& l = device.items[i];
            if (l.kind != PrintedItem::Kind::Line)
                continue;
            const int band = int((std::min(l.y1, l.y2) - 850) / 2000);
            ASSERT_TRUE(band >= 0 && band < 6) << l.y1;
            const double top = BandOffset(band) + 200, bottom = BandOffset(band) + 1600;
            EXPECT_TRUE(l.y1 >= top && l.y1 <= bottom && l.y2 >= top && l.y2 <= bottom)
                << "band " << band << ": " << l.y1 << " to " << l.y2;
            ++lines[std::size_t(band)];
            marks[std::size_t(band)] += std::fabs(l.x2 - l.x1) == 60 &&
                                        std::fabs(l.y2 - l.y1) == 110 &&
                                        (l.y1 == top || l.y2 == top);
        }
        for (int b = 0; b < 6; ++b) {
            EXPECT_GT(lines[std::size_t(b)], 0) << "band " << b;
            EXPECT_EQ(marks[std::size_t(b)] > 0, c.overloaded && b == 5) << "band " << b;
        }
    }
}

TEST_F(ReportTest, LongRecordingsAreReducedPerDeviceColumn) {
    const RecordingInfo info = record(100000, 36000);
    device.setPixelTwips(2.4);
    CurvePageInput in;
    in.recording = info;
    in.motor = info.header.motorParameters();
    CurvePageJob job(printer, in);
    ASSERT_TRUE(test::Succeeded(RunToEnd(job)));
    std::size_t curves = 0;
    for (const PrintedItem* l : device.lines())
        curves += l->kind == PrintedItem::Kind::Line && l->pen.style == PenStyle::Solid;
    // At most a vertical and a joining line per column and band.
    EXPECT_LT(curves, std::size_t(6 * 2 * 8900 / 2.4 + 200));
    EXPECT_GT(curves, std::size_t(6 * 8900 / 2.4 / 2));
}

// The curves the pass reduces for the page draw what the page draws when it reads the rows itself
// (in one step, so that the lines come in the same order), and the page reads no row for them:
// the recording is gone when it prints. Curves reduced for another device or other transformers
// are not used: the page reads the rows. 100,000 rows put about 37 rows in a column of 2.4 twips;
// every tenth row has no operating point (a grey gap), and the 2 kW motor runs beyond the
// load-rate axis (over-range marks).
TEST_F(ReportTest, ThePassReducesTheCurvesThePageDraws) {
    struct Case {
        const char* name;
        qint64 rows;
        std::array<int, 3> passTransformers, pageTransformers;
        double passColumn, pageColumn;
        bool reused;
        bool equalChannels = false; // the same axes for any transformers in use
    };
    const Case cases[] = {
        {"100,000 rows", 100000, {1, 1, 1}, {1, 1, 1}, 2.4, 2.4, true},
        {"two transformers", 100000, {1, 0, 1}, {1, 0, 1}, 4.8, 4.8, true},
        {"300 rows", 300, {1, 1, 1}, {1, 1, 1}, 2.4, 2.4, true},
        {"another device", 100000, {1, 1, 1}, {1, 1, 1}, 2.4, 4.8, false},
        {"other transformers", 100000, {1, 1, 1}, {0, 0, 1}, 2.4, 2.4, false},
        {"fewer transformers, same axes", 3000, {1, 1, 1}, {1, 1, 0}, 2.4, 2.4, false, true},
    };
    const auto printed = [](const RecordingPrinterDevice& d) {
        QStringList items;
        for (const PrintedItem& i : d.items)
            items << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                         .arg(int(i.kind))
                         .arg(i.x1, 0, 'g', 9)
                         .arg(i.y1, 0, 'g', 9)
                         .arg(i.x2, 0, 'g', 9)
                         .arg(i.y2, 0, 'g', 9)
                         .arg(i.pen.colour)
                         .arg(int(i.pen.style))
                         .arg(i.text);
        return items;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = [&c](qint64 r) {
            ChannelRowValues v = test::SwingingRow(r);
            if (c.equalChannels)
                v = {v[0], v[1], v[2], v[0], v[1], v[2], v[0], v[1], v[2]};
            if (r % 10 == 0)
                v = {0, 0, 0, 0, 0, 0, v[6], v[7], 0.1f}; // below the no-load power
            return v;
        };
        const RecordingInfo info = record(c.rows, 36000, rows, {4, 2, 5, 85, 1.5f, 0.1f, 380});
        CurvePageInput in;
        in.recording = info;
        in.motor = info.header.motorParameters();
        in.ctInUse = c.pageTransformers;

        // The page in one step on a device of the page's column width: what it printed, and
        // how many rows it says it did.
        const auto print = [&c, &printed](const CurvePageInput& page) {
            RecordingPrinterDevice d;
            d.setPixelTwips(c.pageColumn);
            Printer p(d);
            CurvePageJob job(p, page);
            job.setStepRows(c.rows);
            EXPECT_TRUE(test::Succeeded(RunToEnd(job)));
            return std::pair(printed(d), job.done());
        };
        const auto [want, readRows] = print(in);
        EXPECT_EQ(readRows, c.rows);

        MeasurementModel model;
        AnalysisResults results;
        CumulativeAnalysis pass(info.path, model, results);
        CurvePageInput reduced = in;
        reduced.ctInUse = c.passTransformers;
        ASSERT_TRUE(test::Succeeded(RunPassWithCurvePage(pass, reduced, c.passColumn)));
        ASSERT_NE(reduced.curves, nullptr);
        in.curves = reduced.curves;
        if (c.reused) {
            ASSERT_TRUE(QFile::remove(info.path));
        }
        const auto [got, drawnRows] = print(in);
        EXPECT_EQ(drawnRows, c.rows);
        ASSERT_EQ(got.size(), want.size());
        for (qsizetype i = 0; i < want.size(); ++i)
            ASSERT_EQ(got[i].toStdString(), want[i].toStdString()) << "item " << i;
    }
}

TEST_F(ReportTest, RefusalsAndFailuresAreReportedWithTheirReason) {
    // No rows, or a duration of 0: no curve page, nothing printed.
    for (auto [rows, duration] : {std::pair<qint64, float>{0, 600}, {20, 0}}) {
        const RecordingInfo info = record(rows, duration);
        device = RecordingPrinterDevice();
        Printer p(device);
        CurvePageInput in;
        in.recording = info;
        CurvePageJob job(p, in);
        EXPECT_FALSE(RunToEnd(job));
        EXPECT_TRUE(device.items.empty());
    }
    // The range texts.
    struct Range {
        const char *from, *to;
        bool ok;
    };
    for (const Range& r :
         {Range{"1", "250", true}, Range{"300", "250", true}, Range{"0", "10", false},
          Range{"1", "251", false}, Range{"a", "10", false}, Range{"1.5", "10", false},
          Range{"", "10", false}}) {
        const Result<RowRange> range = ParsePrintRange(r.from, r.to, 250);
        EXPECT_EQ(range.ok(), r.ok) << r.from << " " << r.to;
        if (!range) {
            EXPECT_TRUE(range.error().contains(QStringLiteral("1 到 250")));
        }
    }
    // A printer that refuses the second page.
    const RecordingInfo info = record(200);
    device = RecordingPrinterDevice();
    device.refuseAfter(1, QStringLiteral("缺纸"));
    Printer p(device);
    DataReportJob job(p, {info, info.header.motorParameters(), {1, 125}, {}});
    EXPECT_EQ(RunToEnd(job).error(), QStringLiteral("缺纸"));
    // One that refuses it without a reason: the job still fails, with the printer's words.
    device = RecordingPrinterDevice();
    device.refuseAfter(1, QString());
    Printer silent(device);
    DataReportJob unexplained(silent, {info, info.header.motorParameters(), {1, 125}, {}});
    EXPECT_EQ(RunToEnd(unexplained).error(), QStringLiteral("打印出错，打印作业没有完成。"));
}

TEST_F(ReportTest, DateFieldsComeFromTheRecordingsModificationTime) {
    const RecordingInfo info = record(3);
    QFile file(info.path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2002, 8, 5), QTime(9, 7)),
                                 QFileDevice::FileModificationTime));
    file.close();
    const QDateTime now(QDate(2024, 12, 31), QTime(23, 5));
    const std::array<QString, 5> expected{QStringLiteral("2002"), QStringLiteral("8"),
                                          QStringLiteral("5"), QStringLiteral("9"),
                                          QStringLiteral("7")};
    EXPECT_EQ(RecordingDateTexts(info.path, now), expected);
    const std::array<QString, 5> today{QStringLiteral("2024"), QStringLiteral("12"),
                                       QStringLiteral("31"), QStringLiteral("23"),
                                       QStringLiteral("5")};
    EXPECT_EQ(RecordingDateTexts(dir.filePath(QStringLiteral("none.MTR")), now), today);
    EXPECT_EQ(RecordingDateTexts(QString(), now), today);
}

// Every column of the data report worked by hand. The motor: 10 kW at 80 %, no-load 0.5 kW, so
// the rated losses are 2.5 kW and the load model P1 = 10 b + 0.5 + 2 b^2: 6 kW in gives b = 0.5,
// 5 kW out, 83.333 %.
TEST_F(ReportTest, DataReportPrintsAllTenColumnsAsWorkedByHand) {
    struct Case {
        const char* what;
        ChannelRowValues row;
        std::array<const char*, 10> columns; // in tab order; the last three empty: no point
    };
    const Case cases[] = {
        // 10 A, 250 V, 2 kW a channel: 2.5 kVA and 1.5 kVar each.
        {"balanced running",
         {10, 250, 2, 10, 250, 2, 10, 250, 2},
         {" 1 ", " 10.000", " 250.000", " 7.500", " 0.800C", " 4.500", " 6.000", " 5.000",
          " 83.333", " 50.000"}},
        // Negative currents turn the reactive power negative: an inductive power factor, the
        // reactive column its magnitude.
        {"negative currents",
         {-10, 250, 2, -10, 250, 2, -10, 250, 2},
         {" 2 ", " 10.000", " 250.000", " 7.500", " 0.800L", " 4.500", " 6.000", " 5.000",
          " 83.333", " 50.000"}},
        // Full load: 12.5 kW on channel 1 alone (50 A, 250 V), the others zero; the means still
        // divide by three; no reactive power gives the power factor 1.
        {"full load on one channel",
         {50, 250, 12.5f, 0, 0, 0, 0, 0, 0},
         {" 3 ", " 16.667", " 83.333", " 12.500", " 1.000C", " 0.000", " 12.500", " 10.000",
          " 80.000", " 100.000"}},
        // More active power than U*I: held to the apparent power, 2.5 kW a channel; 7.5 kW in
        // gives b = (sqrt(39) - 5) / 2 = 0.6225.
        {"active power held to the apparent power",
         {10, 250, 3, 10, 250, 3, 10, 250, 3},
         {" 4 ", " 10.000", " 250.000", " 7.500", " 1.000C", " 0.000", " 7.500", " 6.225",
          " 83.000", " 62.250"}},
        // Generating: -6 kW; no operating point.
        {"generating",
         {10, 250, -2, 10, 250, -2, 10, 250, -2},
         {" 5 ", " 10.000", " 250.000", " 7.500", " 0.800L", " 4.500", " -6.000", "", "", ""}},
        // Below the no-load power: 0.24 kW on one channel of 3 A at 100 V.
        {"below no-load",
         {3, 100, 0.24f, 0, 0, 0, 0, 0, 0},
         {" 6 ", " 1.000", " 33.333", " 0.300", " 0.800C", " 0.180", " 0.240", "", "", ""}},
    };
    const qint64 rows = qint64(std::size(cases));
    const RecordingInfo info =
        record(rows, 60, [&](qint64 r) { return cases[r - 1].row; }, {4, 10, 20, 80, 6, 0.5f, 380});
    DataReportJob job(printer, {info, info.header.motorParameters(), {1, rows}, {}});
    ASSERT_TRUE(test::Succeeded(RunToEnd(job)));

    // Each table line: the items at the row's height, left to right.
    std::map<double, std::vector<const PrintedItem*>> byTop;
    for (const PrintedItem* t : device.texts())
        byTop[t->y1].push_back(t);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PrintedItem* number = findText(QString::fromLatin1(c.columns[0]));
        ASSERT_NE(number, nullptr);
        std::vector<const PrintedItem*> line = byTop[number->y1];
        std::sort(line.begin(), line.end(),
                  [](const PrintedItem* a, const PrintedItem* b) { return a->x1 < b->x1; });
        QStringList printed, expected;
        for (const PrintedItem* t : line)
            if (!t->text.isEmpty())
                printed << t->text;
        for (const char* text : c.columns)
            if (*text)
                expected << QString::fromLatin1(text);
        EXPECT_EQ(printed.join(u'|').toStdString(), expected.join(u'|').toStdString());
        // Each at its tab column of ten points (100 twips a column, column 1 at the margin).
        for (std::size_t k = 0; k < line.size() && k < 10; ++k)
            EXPECT_EQ(line[k]->x1, (kDataReportTabs[k] - 1) * 100.0) << k;
    }
}

// The survey's printed report: a summary page, then 80 motors a page under the repeated header;
// the page number stands at one place on every page, inside an A4 page's 15,704 printable twips.
TEST_F(ReportTest, SurveyReportPutsEightyMotorsAPageAndThePageNumberAtTheFoot) {
    const struct {
        int motors;
        std::vector<int> perPage; // motor lines on each table page
    } cases[] = {{1, {1}}, {80, {80}}, {81, {80, 1}}, {170, {80, 80, 10}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.motors);
        SurveyReport report;
        report.survey = QStringLiteral("plant.zr5survey");
        report.plant.name = QStringLiteral("一厂");
        for (int i = 0; i < c.motors; ++i) {
            SurveyMotorLine m;
            m.tag = QStringLiteral("M%1").arg(i, 3, 10, QLatin1Char('0'));
            m.department = QStringLiteral("水泵房");
            // the widest texts of their columns
            m.efficiencyClass = QStringLiteral("低于IE1");
            m.measureText = QStringLiteral("换用合适容量 Y160M-4 B3");
            m.annualEnergyKwh = 1234567;
            m.annualSavingMoney = 123456.78;
            report.motors.push_back(m);
        }
        report.departments.push_back({QStringLiteral("水泵房"), c.motors, 0, 0, 0, 0});
        device = RecordingPrinterDevice();
        Printer p(device);
        SurveyReportJob job(p, report);
        ASSERT_TRUE(test::Succeeded(RunToEnd(job)));

        const int pages = 1 + int(c.perPage.size());
        EXPECT_EQ(device.pages, pages);
        std::map<int, int> motorLines, headers;
        std::map<int, std::vector<double>> numberTops;
        std::map<int, std::set<double>> lineTops;
        for (const PrintedItem* t : device.texts()) {
            lineTops[t->page].insert(t->y1);
            if (t->text.startsWith(QLatin1Char('M')))
                ++motorLines[t->page];
            if (t->text == QStringLiteral("电机"))
                ++headers[t->page];
            if (t->text == QStringLiteral("第 %1 页").arg(t->page))
                numberTops[t->page].push_back(t->y1);
        }
        for (int page = 1; page <= pages; ++page) {
            SCOPED_TRACE(page);
            EXPECT_EQ(motorLines[page], page == 1 ? 0 : c.perPage[std::size_t(page - 2)]);
            EXPECT_EQ(headers[page], page == 1 ? 0 : 1);
            // each motor on one line: the header, the motors and the page number
            if (page > 1) {
                EXPECT_EQ(lineTops[page].size(), 2 + std::size_t(c.perPage[std::size_t(page - 2)]));
            }
            // 2 header lines, 80 motor lines and one blank of 9-point type (180 twips) above it
            EXPECT_EQ(numberTops[page], std::vector<double>{83 * 180.0});
        }
    }
}

} // namespace
} // namespace zr5
