#include <gtest/gtest.h>

#include "analysis/analysisview.h"
#include "analysis/axes.h"

using namespace zr5;

TEST(AnalysisCaptions, EveryKindHasItsSegmentedAndCumulativeCaption) {
    EXPECT_EQ(SegmentedCurveCaption(0), QStringLiteral("一路电流分段曲线"));
    EXPECT_EQ(CumulativeCurveCaption(5), QStringLiteral("三路电压累计曲线"));
    EXPECT_EQ(SegmentedCurveCaption(8), QStringLiteral("效率分段曲线"));
    EXPECT_EQ(CumulativeCurveCaption(8), QStringLiteral("效率累计曲线"));
    EXPECT_EQ(CumulativeCurveCaption(9), QStringLiteral("负载率累计曲线"));
    EXPECT_EQ(SegmentedCurveCaption(6), QStringLiteral("有功功率分段曲线"));
}

TEST(AnalysisCaptions, TheWindowCaptionNamesTheFileInBrackets) {
    EXPECT_EQ(AnalysisWindowCaption(QStringLiteral("/data/a.MTR")),
              QStringLiteral("ZR-5 多功能电量测试仪_数据分析[/data/a.MTR]"));
    EXPECT_EQ(AnalysisWindowCaption(QString()), QStringLiteral("ZR-5 多功能电量测试仪_数据分析[]"));
}

TEST(ScrollBarsForRecordCount, OnePageUpTo32767RowsThenPages) {
    struct Case {
        qint64 rows;
        bool paged;
        int pageMaximum, rowMaximum, rowValue;
    };
    const Case cases[] = {
        {25, false, 1, 25, 25},     {32767, false, 1, 32767, 32767}, {32768, true, 2, 32767, 1},
        {40000, true, 2, 32767, 1}, {1000000, true, 31, 32767, 1},
    };
    for (const Case& c : cases) {
        const ScrollBarSetup s = ScrollBarsForRecordCount(c.rows);
        EXPECT_EQ(s.paged, c.paged) << c.rows;
        if (c.paged) {
            EXPECT_EQ(s.pageMaximum, c.pageMaximum) << c.rows;
        }
        EXPECT_EQ(s.rowMaximum, c.rowMaximum) << c.rows;
        EXPECT_EQ(s.rowValue, c.rowValue) << c.rows;
    }
}

TEST(RowBarPages, DataNumberIsRowPlusThePagesBefore) {
    EXPECT_EQ(DataNumber(1, 1), 1);
    EXPECT_EQ(DataNumber(7233, 2), 40000);
    EXPECT_EQ(RowBarMaximumForPage(1, 40000), 32767);
    EXPECT_EQ(RowBarMaximumForPage(2, 40000), 7233);
    EXPECT_EQ(RowBarMaximumForPage(2, 65534), 32767);
    for (qint64 d : {1LL, 32767LL, 32768LL, 40000LL, 65535LL, 999999LL}) {
        const RowBarPosition p = RowBarPositionFor(d);
        EXPECT_GE(p.row, 1);
        EXPECT_LE(p.row, 32767);
        EXPECT_EQ(DataNumber(p.row, p.page), d);
    }
}

TEST(QueryDataNumber, ClampsToTheRecordingAndTreatsTextAsBelowOne) {
    struct Case {
        const char* typed;
        qint64 row;
        const char* text;
    };
    const Case cases[] = {
        {"0", 1, "1"},       {"-7", 1, "1"},      {"abc", 1, "1"},    {"", 1, "1"},
        {"105", 100, "100"}, {"100", 100, "100"}, {" 42 ", 42, "42"}, {"2.6", 3, "3"},
        {"0.4", 1, "1"},     {"1e9", 100, "100"},
    };
    for (const Case& c : cases) {
        const QueryTarget t = QueryDataNumber(QString::fromUtf8(c.typed), 100);
        EXPECT_EQ(t.row, c.row) << c.typed;
        EXPECT_EQ(t.text, QString::fromUtf8(c.text)) << c.typed;
    }
}

TEST(ValueLabels, PowerFactorAxisHasSixLabelsFromZeroToOne) {
    const std::vector<ValueLabel> labels = ValueLabels({0, 1.00001f, 0.2f});
    ASSERT_EQ(labels.size(), 6u);
    const char* expected[] = {"0", "0.2", "0.4", "0.6", "0.8", "1"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(labels[std::size_t(i)].caption, QString::fromUtf8(expected[i]));
    EXPECT_FLOAT_EQ(labels[0].top, 1600 + 430);
    EXPECT_NEAR(labels[5].top, 200 + 430, 0.1);
}

TEST(ValueLabels, AValueThatComesOutNearZeroReadsZero) {
    // From -0.6 in steps of 0.2 the fourth value is not exactly 0 in single precision.
    const ValueAxis axis{-0.6f, 0.40001f, 0.2f};
    float v = axis.AxisLow;
    for (int i = 0; i < 3; ++i)
        v += axis.AxisStep;
    ASSERT_NE(v, 0.0f);
    const std::vector<ValueLabel> labels = ValueLabels(axis);
    ASSERT_GE(labels.size(), 4u);
    EXPECT_EQ(labels[3].caption, QStringLiteral("0"));
}

TEST(ValueLabels, AtMostEightLabels) {
    EXPECT_EQ(ValueLabels({0, 120, 20}).size(), 7u);
    EXPECT_EQ(ValueLabels({0, 100, 1}).size(), 8u);
}

TEST(TimeLabels, SixHundredSecondsInMinutes) {
    const std::vector<TimeLabel> labels = TimeLabels(600, TimeGridStep(600));
    ASSERT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels[1].caption, QStringLiteral("60"));
    EXPECT_EQ(labels[10].caption, QStringLiteral("600"));
    EXPECT_FLOAT_EQ(labels[0].left, 400);
    EXPECT_FLOAT_EQ(labels[10].left, 6400);
}

TEST(TimeLabels, TheLastGridLineIsAlwaysLabelled) {
    // duration, grid lines, the captions of the last two labels
    struct Case {
        float duration;
        std::size_t lines;
        const char* beforeLast;
        const char* last;
    };
    for (const Case c :
         {Case{12, 13, "11", "12"}, Case{13, 14, "11", "13"}, Case{14, 15, "11", "14"},
          Case{840, 15, "660", "840"}, Case{28, 15, "22", "28"}}) {
        SCOPED_TRACE(c.duration);
        ASSERT_EQ(TimeGrid(c.duration, TimeGridStep(c.duration)).size(), c.lines);
        const std::vector<TimeLabel> labels = TimeLabels(c.duration, TimeGridStep(c.duration));
        ASSERT_EQ(labels.size(), std::min<std::size_t>(c.lines, 13));
        EXPECT_EQ(labels[labels.size() - 2].caption, QString::fromUtf8(c.beforeLast));
        EXPECT_EQ(labels.back().caption, QString::fromUtf8(c.last));
        EXPECT_FLOAT_EQ(labels.back().left, 6400); // the right end of the time axis
    }
}

TEST(CumulativeExtremesLine, MaximumAndMinimumWithTheirUnits) {
    const ExtremesLine l = CumulativeExtremesLine(12.5f, -0.25f, QStringLiteral(" A"));
    EXPECT_EQ(l.maximumPart, QStringLiteral("    最大值 12.5  A"));
    EXPECT_EQ(l.minimumPart, QStringLiteral("最小值-.25  A"));
}

TEST(CumulativeRowAtX, TheNearestRowClampedToTheRecording) {
    EXPECT_EQ(CumulativeRowAtX(3000, 100), 50);
    EXPECT_EQ(CumulativeRowAtX(59, 100), 1);
    EXPECT_EQ(CumulativeRowAtX(0, 100), 1);
    EXPECT_EQ(CumulativeRowAtX(8000, 100), 100);
    EXPECT_EQ(CumulativeRowAtX(6000, 1000000), 1000000);
}
