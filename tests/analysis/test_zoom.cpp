#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "analysis/csvtable.h"
#include "analysis/cumulative.h"
#include "analysis/segmented.h"
#include "analysis/zoom.h"
#include "analysiswindow/testrecording.h"
#include "model/numbertext.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

// 36,000 rows over nine hours: a row every 0.9 s.
constexpr qint64 kRows = 36000;
constexpr float kDuration = 32400;
const CumulativeView kWhole = CumulativeView::Whole(kRows, kDuration);

struct ViewCase {
    const char* name;
    std::function<CumulativeView()> make;
    bool whole;
    double from, to;
};

TEST(CumulativeView, DragWheelAndPanChooseTheRangeHeldInsideTheRecording) {
    const CumulativeView zoomed = ZoomToDrag(kWhole, 800, 1600); // 4320 .. 8640 s
    const ViewCase cases[] = {
        {"a drag across the axis", [] { return ZoomToDrag(kWhole, 800, 1600); }, false, 4320, 8640},
        {"a drag to the left", [] { return ZoomToDrag(kWhole, 1600, 800); }, false, 4320, 8640},
        {"a drag beyond the axis is held to it", [] { return ZoomToDrag(kWhole, 4800, 9000); },
         false, 25920, 32400},
        {"a drag over the whole axis", [] { return ZoomToDrag(kWhole, -50, 6100); }, true, 0,
         32400},
        {"a tiny drag widens to ten rows", [] { return ZoomToDrag(kWhole, 3000, 3000.5f); }, false,
         16201.35 - 4.5, 16201.35 + 4.5},
        {"a wheel step in around the middle", [] { return ZoomAround(kWhole, 3000, 1); }, false,
         3240, 29160},
        {"a step in and out again",
         [&] { return ZoomAround(ZoomAround(kWhole, 1000, 1), 1000, -1); }, true, 0, 32400},
        {"stepping out of a range", [&] { return ZoomAround(zoomed, 0, -1); }, false, 4320,
         4320 + 4320 * 1.25},
        {"stepping out beyond the end", [] { return ZoomAround(kWhole, 3000, -3); }, true, 0,
         32400},
        {"a pan to later times", [&] { return Pan(zoomed, 1000); }, false, 5040, 9360},
        {"a pan before the start stops there", [&] { return Pan(zoomed, -6000); }, false, 0, 4320},
        {"the whole recording does not pan", [] { return Pan(kWhole, 500); }, true, 0, 32400},
    };
    for (const ViewCase& c : cases) {
        const CumulativeView v = c.make();
        EXPECT_EQ(v.whole(), c.whole) << c.name;
        EXPECT_NEAR(v.from(), c.from, 1e-6) << c.name;
        EXPECT_NEAR(v.to(), c.to, 1e-6) << c.name;
    }
}

TEST(CumulativeView, TheWholeViewDrawsAndPointsExactlyAsTheCumulativePass) {
    for (float x : {0.0f, 0.4f, 17.0f, 2999.9f, 3000.0f, 5999.0f, 6000.0f, 7000.0f})
        EXPECT_EQ(kWhole.rowAtX(x), CumulativeRowAtX(x, kRows)) << x;
    for (qint64 row : {qint64(1), qint64(7), kRows / 3, kRows})
        EXPECT_EQ(kWhole.x(row), CumulativePlotX(row, kRows)) << row;
    const float step = TimeGridStep(kDuration);
    ASSERT_EQ(kWhole.timeLabels().size(), TimeLabels(kDuration, step).size());
    for (std::size_t i = 0; i < kWhole.timeLabels().size(); ++i) {
        EXPECT_EQ(kWhole.timeLabels()[i].caption, TimeLabels(kDuration, step)[i].caption);
        EXPECT_EQ(kWhole.timeLabels()[i].left, TimeLabels(kDuration, step)[i].left);
    }
    EXPECT_EQ(ViewRangeCaption(kWhole), QString());
    EXPECT_EQ(CumulativeFrameCaption(0, kWhole), CumulativeCurveCaption(0));
}

TEST(CumulativeView, AZoomedRangeHasItsOwnTimeGridLabelledInSecondsFromTheStart) {
    const CumulativeView v = kWhole.range(4320, 4920); // ten minutes: a line a minute
    EXPECT_EQ(v.gridStep(), 60.0f);
    const auto grid = v.timeGrid();
    ASSERT_EQ(grid.size(), 11u);
    EXPECT_FLOAT_EQ(grid.front().x, 0);
    EXPECT_FLOAT_EQ(grid.back().x, kTimeAxisWidth);
    EXPECT_FALSE(grid.front().line.solid);
    const auto labels = v.timeLabels();
    ASSERT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels[1].caption, QStringLiteral("4380"));
    EXPECT_FLOAT_EQ(labels[1].left, 600 + 400);
    EXPECT_EQ(ViewRangeCaption(v), QStringLiteral("显示 1时12分0秒 至 1时22分0秒"));
    EXPECT_EQ(ViewRangeCaption(kWhole.range(100.5, 110.25)),
              QStringLiteral("显示 0时1分40.50秒 至 0时1分50.25秒"));
    // Shorter than ten rows: widened around its middle.
    EXPECT_DOUBLE_EQ(kWhole.range(100.5, 105.25).span(), 9);
    // Its rows: 4320 s is row 4800 exactly, 4920 s row 5466.67 (the last inside is 5466).
    EXPECT_EQ(v.firstRow(), 4800);
    EXPECT_EQ(v.lastRow(), 5466);
    EXPECT_EQ(v.rowAtX(0), 4800);
    EXPECT_EQ(v.rowAtX(3000), 5133); // 4620 s
    EXPECT_EQ(v.rowAtX(kTimeAxisWidth + 500), 5466);
    EXPECT_FLOAT_EQ(v.x(5133), float((5133 * 0.9 - 4320) * 10));
}

// Normal running, then a stretch below the no-load power, then a generating stretch: the
// efficiency and load-rate curves have gaps, and a generating row keeps the values before it.
ChannelRowValues MixedRow(qint64 r) {
    ChannelRowValues row = test::SwingingRow(r);
    const qint64 phase = r % 300;
    for (int c = 0; c < 3; ++c) {
        float& p = row[std::size_t(3 * c + 2)];
        if (phase >= 200 && phase < 240)
            p = 0.05f;
        else if (phase >= 240)
            p = -0.5f;
    }
    return row;
}

struct Recorded {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("mixed.MTR"));
    RecordingInfo info;
    MeasurementModel model;
    AnalysisResults results;
    std::vector<std::array<float, kCurveKinds>> ys{1}; // the pass's plotted values, from row 1
    std::vector<bool> operating{false};
    explicit Recorded(qint64 rows) {
        EXPECT_EQ(test::WriteTestRecording(path, rows, 600, MixedRow), QString());
        CumulativeAnalysis pass(path, model, results);
        EXPECT_TRUE(test::Succeeded(pass.begin()));
        while (!pass.done())
            pass.process(1000, [&](const CumulativeRowView& v) {
                ys.push_back(CurvePlotYs(v.model.SampleRow, v.model.LoadRate, v.model.Efficiency,
                                         results.axes));
                operating.push_back(v.decision.operatingPointComputed());
            });
        info = pass.recording();
    }
    // The pass's own values traced over a view's rows: what a view's curve must be.
    std::vector<CurveLine> expected(int kind, const CumulativeView& v, float column) const {
        const bool reduce = double(v.lastRow() - v.firstRow() + 1) > kTimeAxisWidth / column;
        CurveTrace t(reduce ? column : 0.0f);
        for (qint64 r = v.firstRow(); r <= v.lastRow(); ++r)
            t.add(v.x(r), ys[std::size_t(r)][std::size_t(kind)],
                  kind < Curve::Efficiency || operating[std::size_t(r)]);
        t.finish();
        return t.takeLines();
    }
};

TEST(CumulativeViewCurve, EveryKindIsTheCurveOfThePassOverTheViewsRows) {
    const Recorded rec(3000);
    const CumulativeView whole = CumulativeView::Whole(3000, 600);
    const struct {
        const char* name;
        CumulativeView view;
        float column;
    } cases[] = {
        {"the whole recording, column-reduced", whole, 15},
        {"the whole recording, every segment", whole, 0.5f},
        {"a range starting in a generating stretch", whole.range(50.2, 130), 15},
        {"a range of a few rows", whole.range(49.1, 51.3), 15},
    };
    for (const auto& c : cases)
        for (int k = 0; k < kCurveKinds; ++k) {
            const auto lines = CumulativeViewCurve(rec.info, k, rec.results.axes, c.view, c.column);
            ASSERT_TRUE(lines.ok()) << c.name;
            EXPECT_EQ(*lines, rec.expected(k, c.view, c.column)) << c.name << " kind " << k;
        }
    // The whole view is the picture the pass draws, column by column.
    CurveSetTrace pass(15);
    for (qint64 r = 1; r <= 3000; ++r)
        pass.add(CumulativePlotX(r, 3000), rec.ys[std::size_t(r)], rec.operating[std::size_t(r)]);
    pass.finish();
    EXPECT_EQ(*CumulativeViewCurve(rec.info, Curve::LoadRate, rec.results.axes, whole, 15),
              pass.kind(Curve::LoadRate).takeLines());
}

// Row k of a window stands at 400 + k x 6000 / 2n twips; a label centred there is a box of 1000
// twips from 500 to its left, unless that box would begin left of the surface (400).
TEST(SegmentTimeLabels, FirstSelectedAndLastRowsUnlessTheyCrowdTheSelectedOne) {
    struct Expected {
        const char* caption;
        float left;
        bool centred;
    };
    const struct {
        qint64 selected;
        int halfSpan;
        std::vector<Expected> labels;
    } cases[] = {
        // rows 40, 50, 60 of 0.9 s, 300 twips apart: row 40 at 700 starts there
        {50, 10, {{"36", 700, false}, {"45", 3200, true}, {"54", 6200, true}}},
        // cut short at the start: no first label; row 1 at 700, row 11 at 3700
        {1, 10, {{"0.9", 700, false}, {"9.9", 3200, true}}},
        // row 1 at 550 stands 150 twips from row 2 at 700: left out
        {2, 20, {{"1.8", 700, false}, {"19.8", 3200, true}}},
        // 600 twips apart: row 495 at 1000 is centred
        {500, 5, {{"445.5", 500, true}, {"450", 3500, true}, {"454.5", 6500, true}}},
        {1000000, 5, {{"899995.5", 500, true}, {"900000", 3500, true}}}, // the last row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        const qint64 rows = c.selected > 1000 ? 1000000 : 1000;
        const float duration = float(rows) * 0.9f;
        const SegmentWindow w = SegmentWindowRows(c.selected, c.halfSpan, rows);
        const auto labels = SegmentTimeLabels(w, c.selected, c.halfSpan, duration, rows);
        ASSERT_EQ(labels.size(), c.labels.size());
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i].caption, QString::fromUtf8(c.labels[i].caption));
            EXPECT_FLOAT_EQ(labels[i].left, c.labels[i].left) << c.labels[i].caption;
            EXPECT_EQ(labels[i].centred, c.labels[i].centred) << c.labels[i].caption;
        }
    }
}

TEST(CsvTable, ARangeIsTheWholeTablesLinesWithTheirEnergiesAndAStopLeavesTheRest) {
    const Recorded rec(3000);
    std::string whole, part;
    const auto into = [](std::string& s) {
        return [&s](const std::string& block) {
            s += block;
            return true;
        };
    };
    ASSERT_EQ(WriteCsvTable(rec.path, 1, 1 << 30, into(whole)).status, CsvTableOutcome::Written);
    ASSERT_EQ(WriteCsvTable(rec.path, 1201, 1400, into(part)).status, CsvTableOutcome::Written);
    const QStringList wholeLines = QString::fromStdString(whole).split('\n', Qt::SkipEmptyParts);
    const QStringList partLines = QString::fromStdString(part).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(wholeLines.size(), 3001);
    ASSERT_EQ(partLines.size(), 201);
    EXPECT_EQ(partLines.first(), wholeLines.first());
    EXPECT_EQ(partLines.mid(1), wholeLines.mid(1201, 200));

    qint64 lastDone = 0;
    const CsvTableOutcome cancelled = WriteCsvTable(
        rec.path, 1, 3000, [](const std::string&) { return true; },
        [&](qint64 done, qint64 total) {
            EXPECT_EQ(total, 3000);
            lastDone = done;
            return done < 2000;
        });
    EXPECT_EQ(cancelled.status, CsvTableOutcome::Cancelled);
    EXPECT_LT(lastDone, 3000);
    EXPECT_EQ(WriteCsvTable(rec.path, 1, 3000, [](const std::string&) { return false; }).status,
              CsvTableOutcome::WriteFailed);
    const CsvTableOutcome missing =
        WriteCsvTable(rec.dir.filePath("none.MTR"), 1, 10, [](const std::string&) { return true; });
    EXPECT_EQ(missing.status, CsvTableOutcome::ReadFailed);
    EXPECT_FALSE(missing.error.isEmpty());
}

// A zoomed range in which a generating stretch follows normal running, worked by hand. The
// motor: 10 kW at 80 %, no-load 0.5 kW (rated losses 2.5 kW): 6 kW in is a load rate of 50 %
// (83.333 %), 12.5 kW in full load (80 %). A row a second, all on channel 1 at 250 V: normal
// running at 6 kW, generating at -6 kW, then full load. A generating row keeps the values of
// the last normal row, however long ago it was; its efficiency and load rate are not joined.
TEST(CumulativeViewCurve, AGeneratingStretchKeepsTheValuesOfTheNormalRunningBeforeIt) {
    const struct {
        const char* what;
        qint64 rows, lastGenerating;
    } cases[] = {
        {"ten generating rows", 30, 20},
        {"a generating stretch longer than the rows read ahead of a view", 420, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("g.MTR"));
        ASSERT_EQ(test::WriteTestRecording(path, c.rows, float(c.rows),
                                           [&](qint64 r) -> ChannelRowValues {
                                               if (r <= 10)
                                                   return {30, 250, 6, 0, 0, 0, 0, 0, 0};
                                               if (r <= c.lastGenerating)
                                                   return {30, 250, -6, 0, 0, 0, 0, 0, 0};
                                               return {50, 250, 12.5f, 0, 0, 0, 0, 0, 0};
                                           },
                                           {4, 10, 20, 80, 6, 0.5f, 380}),
                  QString());
        MeasurementModel model;
        AnalysisResults results;
        CumulativeAnalysis pass(path, model, results);
        ASSERT_TRUE(test::Succeeded(pass.runAll()));
        // The active power's axis for -6 .. 12.5 kW: -10 .. 15 in steps of 5.
        ASSERT_FLOAT_EQ(results.axes.CurveAxisLow[Curve::ActivePower], -10);
        ASSERT_FLOAT_EQ(results.axes.CurveAxisHigh[Curve::ActivePower], 15);

        // Five generating rows, then five at full load: x = 600 twips a row from the view's start.
        const double from = double(c.lastGenerating - 5);
        const CumulativeView view =
            CumulativeView::Whole(c.rows, float(c.rows)).range(from, from + 10);
        ASSERT_EQ(view.firstRow(), c.lastGenerating - 5);
        ASSERT_EQ(view.lastRow(), c.lastGenerating + 5);
        const float kept = 1600 - 1400 * 50 / 120.0f; // y of 50 % on 0 .. 120
        const float full = 1600 - 1400 * 100 / 120.0f;
        const float keptEfficiency = 1600 - 1400 * (500 / 6.0f) / 120;
        const float fullEfficiency = 1600 - 1400 * 80 / 120.0f;
        const float generating = 1600 - 1400 * 4 / 25.0f; // -6 kW on -10 .. 15
        const float fullPower = 1600 - 1400 * 22.5f / 25;
        const auto joinedFrom = [](float y0, float y1) {
            // the segment into the first full-load row, then four level ones
            std::vector<CurveLine> lines{{3000, y0, 3600, y1}};
            for (float x = 3600; x < 6000; x += 600)
                lines.push_back({x, y1, x + 600, y1});
            return lines;
        };
        std::vector<CurveLine> power;
        for (float x = 0; x < 3000; x += 600)
            power.push_back({x, generating, x + 600, generating});
        for (const CurveLine& l : joinedFrom(generating, fullPower))
            power.push_back(l);
        const struct {
            int kind;
            std::vector<CurveLine> lines;
        } kinds[] = {
            {Curve::LoadRate, joinedFrom(kept, full)},
            {Curve::Efficiency, joinedFrom(keptEfficiency, fullEfficiency)},
            {Curve::ActivePower, power},
        };
        for (const auto& k : kinds) {
            SCOPED_TRACE(k.kind);
            const auto lines =
                CumulativeViewCurve(pass.recording(), k.kind, results.axes, view, 15);
            ASSERT_TRUE(lines.ok()) << lines.error().toStdString();
            ASSERT_EQ(lines->size(), k.lines.size());
            for (std::size_t i = 0; i < k.lines.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_NEAR((*lines)[i].x1, k.lines[i].x1, 0.01);
                EXPECT_NEAR((*lines)[i].y1, k.lines[i].y1, 0.01);
                EXPECT_NEAR((*lines)[i].x2, k.lines[i].x2, 0.01);
                EXPECT_NEAR((*lines)[i].y2, k.lines[i].y2, 0.01);
            }
        }
    }
}

} // namespace
