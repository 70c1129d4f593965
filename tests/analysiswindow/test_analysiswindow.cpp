#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <cmath>
#include <memory>

#include "analysis/axes.h"
#include "analysis/cumulative.h"
#include "analysis/segmented.h"
#include "analysiswindow/analysisfixture.h"
#include "analysiswindow/analysisservices.h"
#include "analysiswindow/analysiswindow.h"
#include "analysiswindow/curvesurface.h"
#include "analysiswindow/testrecording.h"
#include "compare/comparisonwindow.h"
#include "model/numbertext.h"
#include "printing/printdialog.h"
#include "support/qtapplication.h"
#include "support/waituntil.h"
#include "ui/geometry.h"

using namespace zr5;
using namespace zr5::test;

TEST_F(AnalysisWindowTest, ARecordingThatCannotBeAnalysedIsRefusedBeforeTheWindowOpens) {
    messages.expecting = true;
    struct Case {
        const char* what;
        qint64 rows;
        float duration;
        bool file;
    };
    const Case cases[] = {
        {"no rows", 0, 600, true}, {"a duration of 0", 10, 0, true}, {"no file", 10, 600, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        messages.shown.clear();
        record(k.rows, k.duration);
        if (!k.file)
            state.recordingOpened(dir.filePath(QStringLiteral("missing.MTR")));
        EXPECT_EQ(open(), nullptr);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
        EXPECT_TRUE(mainWindow.isVisible());
    }
}

TEST_F(AnalysisWindowTest, OpeningPlacesTheWindowHidesTheMainWindowAndAnalysesAtOnce) {
    const QString path = record(25);
    ASSERT_NE(open(), nullptr);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), TwipsRect(500, 200, 11640, 7920, window));
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("ZR-5 多功能电量测试仪_数据分析[") + path + "]");
    EXPECT_EQ(state.RecordCount(), 25);
    EXPECT_EQ(c().Text1->text(), QStringLiteral("25"));
    EXPECT_EQ(c().Label1[13]->text(), QStringLiteral("共 25 组"));
    EXPECT_EQ(c().Label1[13]->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(c().HScroll1->minimum(), 1);
    EXPECT_EQ(c().HScroll1->maximum(), 25);
    EXPECT_EQ(c().HScroll1->value(), 25);
    EXPECT_TRUE(c().HScroll1->isVisible());
    EXPECT_FALSE(c().HScroll2->isVisible());
    EXPECT_TRUE(c().mnuPr->isEnabled());
    for (QPushButton* b : {c().Command1, c().Command2, c().Command3, c().Command4})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(state.analysis.complete);
}

// 对比分析… compares the open recording, as the before, with the one the user picks; it is
// offered once the pass has ended.
TEST_F(AnalysisWindowTest, CompareTakesTheOpenRecordingAsTheBefore) {
    const QString before = record(200);
    const QString after = dir.filePath(QStringLiteral("after.MTR"));
    ASSERT_EQ(WriteTestRecording(after, 300, 600), QString());
    open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(c().mnuCompare->isEnabled());
    EXPECT_EQ(c().mnuCompare->text(), QStringLiteral("对比分析…"));
    files.answers = {after};
    c().mnuCompare->trigger();
    auto* compared = window->findChild<ComparisonWindow*>();
    ASSERT_NE(compared, nullptr);
    EXPECT_EQ(compared->comparison().before.run.recording.path, before);
    EXPECT_EQ(compared->comparison().after.run.recording.path, after);
    EXPECT_EQ(compared->comparison().after.run.recording.RecordCount, 300);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AnalysisWindowTest, TheMenuCommandOnlyMovesTheWindow) {
    record(25);
    ASSERT_NE(open(AnalysisOpening::Menu), nullptr);
    EXPECT_EQ(window->pos(), QPoint(TwipsToPixels(60, window), TwipsToPixels(285, window)));
    EXPECT_EQ(window->size(), TwipsRect(0, 0, 11640, 7920, window).size());
}

TEST_F(AnalysisWindowTest, ExactlyOnePageOfRowsUsesTheSinglePageLayout) {
    record(32767, 3600);
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(c().HScroll1->maximum(), 32767);
    EXPECT_EQ(c().HScroll1->value(), 32767);
    EXPECT_FALSE(c().HScroll2->isVisible());
}

TEST_F(AnalysisWindowTest, LongerRecordingsAreReachedPageByPage) {
    record(40000, 3600);
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(c().HScroll2->maximum(), 2);
    // The page bar is shown after the analysis so that rows above 32767 can be reached.
    EXPECT_TRUE(c().HScroll2->isVisible());

    c().HScroll2->setValue(1);
    EXPECT_EQ(c().HScroll1->maximum(), 32767);
    c().HScroll1->setValue(1);
    c().HScroll2->setValue(2);
    EXPECT_EQ(c().HScroll1->maximum(), 7233);
    EXPECT_EQ(c().Text1->text(), QStringLiteral("32768"));
    c().HScroll1->setValue(7233);
    EXPECT_EQ(c().Text1->text(), QStringLiteral("40000"));
    EXPECT_EQ(c().Picture1[0]->text(), FormatValue(std::fabs(test::SwingingRow(40000)[0])));

    query(QStringLiteral("100"));
    EXPECT_EQ(c().HScroll2->value(), 1);
    EXPECT_EQ(c().HScroll1->value(), 100);
    query(QStringLiteral("39999"));
    EXPECT_EQ(c().HScroll2->value(), 2);
    EXPECT_EQ(c().HScroll1->value(), 7232);
    EXPECT_EQ(c().Text1->text(), QStringLiteral("39999"));
    EXPECT_EQ(c().Picture1[0]->text(), FormatValue(std::fabs(test::SwingingRow(39999)[0])));
}

TEST_F(AnalysisWindowTest, TheWindowOpensOnTheConfiguredCurve) {
    record(25);
    state.settings.CurrentCurve = 8;
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(window->ShownCurve(), 8);
    EXPECT_EQ(c().segmentedFrame->title(), QStringLiteral("效率分段曲线"));
    EXPECT_EQ(c().cumulativeFrame->title(), QStringLiteral("效率累计曲线"));
    for (int k = 0; k < kCurveKinds; ++k) {
        EXPECT_EQ(c().Picture2[std::size_t(k)]->isVisible(), k == 8);
        EXPECT_EQ(c().Picture3[std::size_t(k)]->isVisible(), k == 8);
    }
    EXPECT_EQ(c().Label4->text(), QStringLiteral(" %"));
}

TEST_F(AnalysisWindowTest, CurveSelectionCyclesThroughTheTenKinds) {
    record(25);
    state.settings.CurrentCurve = 3;
    ASSERT_NE(open(), nullptr);
    for (int press = 1; press <= 10; ++press) {
        c().Command4->click();
        EXPECT_EQ(window->ShownCurve(), (3 + press) % 10);
    }
    EXPECT_EQ(window->ShownCurve(), 3);
    while (window->ShownCurve() != 9)
        c().Command4->click();
    EXPECT_EQ(c().cumulativeFrame->title(), QStringLiteral("负载率累计曲线"));
    c().Command4->click();
    EXPECT_EQ(window->ShownCurve(), 0);
    EXPECT_EQ(c().cumulativeFrame->title(), QStringLiteral("一路电流累计曲线"));
    redraw();
    EXPECT_EQ(c().Label4->text(), QStringLiteral(" A"));
    const std::vector<ValueLabel> labels = ValueLabels(state.analysis.axes.axis(0));
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(c().Label5[i]->isVisible(), i < labels.size());
        if (i < labels.size()) {
            EXPECT_EQ(c().Label5[i]->text(), labels[i].caption);
            EXPECT_EQ(c().Label6[i]->text(), labels[i].caption);
        }
    }
}

TEST_F(AnalysisWindowTest, PowerFactorLabelsRunFromZeroToOne) {
    record(25);
    state.settings.CurrentCurve = 7;
    ASSERT_NE(open(), nullptr);
    QStringList shown;
    for (QLabel* l : c().Label5)
        if (l->isVisible())
            shown << l->text();
    EXPECT_EQ(shown, QStringList({"0", "0.2", "0.4", "0.6", "0.8", "1"}));
    EXPECT_EQ(c().Label3->text(), QStringLiteral("分"));
    EXPECT_EQ(c().Label7[1]->text(), QStringLiteral("60"));
    EXPECT_TRUE(c().Label7[10]->isVisible());
    EXPECT_FALSE(c().Label7[11]->isVisible());
}

TEST_F(AnalysisWindowTest, AQueryIsClampedToTheRecording) {
    record(100);
    ASSERT_NE(open(), nullptr);
    struct Case {
        const char* typed;
        const char* shown;
        qint64 row;
    };
    const Case cases[] = {{"0", "1", 1},       {"-12", "1", 1},  {"abc", "1", 1},
                          {"105", "100", 100}, {"37", "37", 37}, {"2.6", "3", 3}};
    for (const Case& k : cases) {
        query(QString::fromUtf8(k.typed));
        EXPECT_EQ(c().Text1->text(), QString::fromUtf8(k.shown)) << k.typed;
        EXPECT_EQ(c().HScroll1->value(), k.row) << k.typed;
        EXPECT_EQ(c().Picture1[3]->text(), FormatValue(std::fabs(test::SwingingRow(k.row)[3])))
            << k.typed;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AnalysisWindowTest, TheRowBarShowsTheRowItPointsAt) {
    record(100);
    ASSERT_NE(open(), nullptr);
    c().HScroll1->setValue(42);
    EXPECT_EQ(c().Text1->text(), QStringLiteral("42"));
    EXPECT_EQ(c().Picture1[0]->text(), FormatValue(std::fabs(test::SwingingRow(42)[0])));
}

TEST_F(AnalysisWindowTest, TheSegmentSpanMenuChecksOneItemAndRedrawsInMemoryOnly) {
    record(100);
    state.settings.SegmentHalfSpan = 10;
    ASSERT_NE(open(), nullptr);
    EXPECT_TRUE(c().mnu10->isChecked());
    EXPECT_FALSE(c().mnu5->isChecked());
    query(QStringLiteral("50"));
    c().mnu20->trigger();
    EXPECT_EQ(state.settings.SegmentHalfSpan, 20);
    EXPECT_FALSE(c().mnu5->isChecked());
    EXPECT_FALSE(c().mnu10->isChecked());
    EXPECT_TRUE(c().mnu20->isChecked());
    EXPECT_FALSE(QFile::exists(state.dataDirectory.settingsFile()));
    // Twenty rows on each side: the marker is the 21st point, 150 twips apart.
    CurveSurface* s = shownSegmented();
    const float y = AxisY(std::fabs(test::SwingingRow(50)[0]), state.analysis.axes.CurveAxisLow[0],
                          state.analysis.axes.CurveAxisHigh[0]);
    EXPECT_EQ(at(s, 21 * 150, y), qRgb(255, 255, 255));
    EXPECT_EQ(at(s, 21 * 150 + 90, y), qRgb(255, 255, 255));
    c().mnu5->trigger();
    EXPECT_EQ(at(s, 6 * 600, y), qRgb(255, 255, 255));
    EXPECT_NE(at(s, 21 * 150 + 90, y), qRgb(255, 255, 255));
}

namespace {

// Where a label's text stands in its parent: its alignment within the label.
QRect TextRect(const QLabel* l) {
    const QSize text(l->fontMetrics().horizontalAdvance(l->text()), l->fontMetrics().height());
    return QStyle::alignedRect(l->layoutDirection(), l->alignment(), text, l->contentsRect())
        .translated(l->pos());
}

} // namespace

// The segmented curve's times stand clear of its value labels, a space at least between them,
// whatever the span and however long the times (a recording of 278 h, times of nine digits).
TEST_F(AnalysisWindowTest, TheSegmentedTimesStandClearOfTheValueLabels) {
    record(1000, 999999.9f);
    ASSERT_NE(open(), nullptr);
    QAction* const spans[] = {c().mnu5, c().mnu10, c().mnu20};
    for (const char* row : {"480", "1", "2", "1000"})
        for (QAction* span : spans) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", " << span->text().toStdString());
            span->trigger();
            query(QString::fromLatin1(row));
            std::vector<const QLabel*> values, times;
            for (const QLabel* l : c().Label6)
                if (l->isVisible())
                    values.push_back(l);
            for (const QLabel* l : c().Label8)
                if (l->isVisible())
                    times.push_back(l);
            ASSERT_FALSE(values.empty());
            ASSERT_FALSE(times.empty());
            for (const QLabel* t : times) {
                const int space = t->fontMetrics().horizontalAdvance(QLatin1Char(' '));
                const QRect time = TextRect(t);
                EXPECT_TRUE(c().segmentedFrame->rect().contains(time)) << t->text().toStdString();
                for (const QLabel* v : values)
                    EXPECT_FALSE(time.adjusted(-space, 0, space, 0).intersects(TextRect(v)))
                        << t->text().toStdString() << " / " << v->text().toStdString();
                for (const QLabel* other : times) {
                    if (other != t) {
                        EXPECT_FALSE(time.adjusted(-space, 0, space, 0).intersects(TextRect(other)))
                            << t->text().toStdString() << " / " << other->text().toStdString();
                    }
                }
            }
        }
}

TEST_F(AnalysisWindowTest, TheMarkerCrossStandsOnTheSelectedRowNearTheStart) {
    record(100);
    state.settings.SegmentHalfSpan = 5;
    ASSERT_NE(open(), nullptr);
    query(QStringLiteral("3"));
    CurveSurface* s = shownSegmented();
    const float y = AxisY(std::fabs(test::SwingingRow(3)[0]), state.analysis.axes.CurveAxisLow[0],
                          state.analysis.axes.CurveAxisHigh[0]);
    for (QPointF p : {QPointF(1800, y), QPointF(1710, y), QPointF(1890, y), QPointF(1800, y - 90),
                      QPointF(1800, y + 90)})
        EXPECT_EQ(at(s, float(p.x()), float(p.y())), qRgb(255, 255, 255)) << p.x() << "," << p.y();
    // The green curve starts at the first row of the window, 600 twips in.
    bool green = false;
    const int column = s->pixelAt(600, 0).x();
    for (int row = 0; row < s->image().height(); ++row)
        green = green || s->image().pixel(column, row) == qRgb(0, 255, 0);
    EXPECT_TRUE(green);
    EXPECT_EQ(at(s, 300, y), kGrey);
}

TEST_F(AnalysisWindowTest, GridLinesStandWhereTheAxisPutsThem) {
    record(100);
    state.settings.CurrentCurve = 8;
    ASSERT_NE(open(), nullptr);
    CurveSurface* s = shownCumulative();
    const ValueAxis axis = state.analysis.axes.axis(8);
    ASSERT_FLOAT_EQ(axis.AxisHigh, 120);
    auto blackShare = [&](float y) {
        int black = 0, all = 0;
        for (float x = 6600; x < 8400; x += 15, ++all)
            black += at(s, x, y) == kBlack;
        return double(black) / all;
    };
    for (const GridLine& line : ScreenValueGrid(axis)) {
        if (line.value == 120)
            continue; // under the maxima line
        const float y = AxisY(line.value, axis.AxisLow, axis.AxisHigh);
        if (line.solid) {
            EXPECT_EQ(blackShare(y), 1.0) << line.value;
        } else {
            EXPECT_GT(blackShare(y), 0.2) << line.value;
        }
        if (line.value > axis.AxisLow) {
            EXPECT_LT(blackShare(y + 100), 0.01) << "between lines below " << line.value;
        }
    }
    // The time grid: solid at 0, dotted at every 60 s.
    int solid = 0, dotted = 0;
    for (float y = 300; y < 1500; y += 15) {
        solid += at(s, 0, y) == kBlack;
        dotted += at(s, TimeGridX(60, 600), y) == kBlack;
    }
    EXPECT_EQ(solid, 80);
    EXPECT_GT(dotted, 10);
    EXPECT_LT(dotted, 80);
}

TEST_F(AnalysisWindowTest, TheCumulativeCurveEndsAtTheEndOfTheTimeAxis) {
    record(5000, 600);
    ASSERT_NE(open(), nullptr);
    CurveSurface* s = shownCumulative();
    auto redInColumn = [&](int column) {
        for (int row = 0; row < s->image().height(); ++row)
            if (s->image().pixel(column, row) == qRgb(255, 0, 0))
                return true;
        return false;
    };
    const int end = s->pixelAt(6000, 0).x();
    EXPECT_TRUE(redInColumn(end - 1) || redInColumn(end));
    EXPECT_FALSE(redInColumn(end + 2));
    EXPECT_TRUE(redInColumn(s->pixelAt(3000, 0).x()));
}

TEST_F(AnalysisWindowTest, AClickOnTheCumulativeCurveSelectsTheNearestRow) {
    record(100);
    ASSERT_NE(open(), nullptr);
    CurveSurface* s = shownCumulative();
    QTest::mouseClick(s, Qt::LeftButton, {}, s->pixelAt(3000, 900));
    EXPECT_EQ(c().Text1->text(), QStringLiteral("50"));
    EXPECT_EQ(c().HScroll1->value(), 50);
    EXPECT_EQ(c().Picture1[0]->text(), FormatValue(std::fabs(test::SwingingRow(50)[0])));
}

TEST_F(AnalysisWindowTest, WithoutMotorDataTheMotorFrameSaysSoInRed) {
    record(20, 60, test::SwingingRow, {4, 7.5f, 15.4f, 87, 0, 0.35f, 380});
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(c().motorFrame->title(), QStringLiteral("无电机参数或参数不全"));
    EXPECT_EQ(c().motorFrame->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    query(QStringLiteral("5"));
    EXPECT_EQ(c().motorFrame->title(), QStringLiteral("无电机参数或参数不全"));
}

TEST_F(AnalysisWindowTest, WithMotorDataTheRunningMotorIsShownInBlack) {
    record(20, 60);
    ASSERT_NE(open(), nullptr);
    query(QStringLiteral("5"));
    EXPECT_EQ(c().motorFrame->title(), QStringLiteral("电动机运行数据"));
    EXPECT_EQ(c().motorFrame->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_FALSE(c().Picture1[17]->text().isEmpty());
}

TEST_F(AnalysisWindowTest, ThePopupMenuIsRefusedWhileThePassRunsAndOfferedAfterwards) {
    record(20000); // more rows than one slice
    ASSERT_NE(open(), nullptr);
    window->setEventInterval(0);
    bool wasAnalysing = false, popupDuringPass = true;
    QTimer::singleShot(0, window, [&] {
        wasAnalysing = window->analysing();
        QTest::mousePress(window, Qt::RightButton, {}, QPoint(5, 5));
        popupDuringPass = c().mnuF3->isVisible();
    });
    redraw();
    EXPECT_TRUE(wasAnalysing);
    EXPECT_FALSE(popupDuringPass);
    QTest::mousePress(window, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(c().mnuF3->isVisible());
    c().mnuF3->hide();
}

TEST_F(AnalysisWindowTest, EveryWayOfClosingShowsTheMainWindowAgain) {
    record(25);
    ASSERT_NE(open(), nullptr);
    c().Command1->click();
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(destroyed());

    mainWindow.show();
    ASSERT_NE(open(), nullptr);
    c().mnuCl->trigger();
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(destroyed());

    ASSERT_NE(open(), nullptr);
    window->close(); // as the platform's close command does
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(destroyed());
}

TEST_F(AnalysisWindowTest, AClosingAskedForDuringThePassWaitsForItsEnd) {
    record(20000); // more rows than one slice
    ASSERT_NE(open(), nullptr);
    window->setEventInterval(0);
    bool stillOpen = false;
    QTimer::singleShot(0, window, [&] {
        window->close();
        stillOpen = window->isVisible();
    });
    redraw();
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(state.analysis.complete);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(destroyed());
}

TEST_F(AnalysisWindowTest, F12AloneEndsTheProgram) {
    record(25);
    ASSERT_NE(open(), nullptr);
    QSignalSpy end(window.data(), &AnalysisWindow::programEndRequested);
    QTest::keyRelease(window, Qt::Key_F12, Qt::ShiftModifier);
    QTest::keyRelease(window, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(end.count(), 0);
    QTest::keyRelease(window, Qt::Key_F12);
    EXPECT_EQ(end.count(), 1);
    // Also while the data-number box has the focus.
    QTest::keyRelease(c().Text1, Qt::Key_F12);
    EXPECT_EQ(end.count(), 2);
}

TEST_F(AnalysisWindowTest, ARecordingThatVanishesBeforeARedrawIsReportedNotAnalysed) {
    messages.expecting = true;
    const QString path = record(25);
    ASSERT_NE(open(), nullptr);
    ASSERT_TRUE(QFile::remove(path));
    redraw();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(c().Command1->isEnabled());
    query(QStringLiteral("3"));
    EXPECT_EQ(messages.shown.size(), 2u);
    c().Command1->click();
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(AnalysisWindowTest, PrintIsOfferedAfterTheAnalysisAndOpensThePrintDialogOnTheRecording) {
    record(25);
    ASSERT_NE(open(), nullptr);
    ASSERT_TRUE(c().mnuPr->isEnabled());
    EXPECT_EQ(window->findChild<PrintDialog*>(), nullptr);
    c().mnuPr->trigger();
    // The dialog over the analysis window, its range the whole recording, nothing ticked yet.
    const QList<PrintDialog*> dialogs = window->findChildren<PrintDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    PrintDialog* dialog = dialogs.front();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("打印设置"));
    EXPECT_EQ(dialog->Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog->Text2->text(), QStringLiteral("25"));
    EXPECT_FALSE(dialog->Check1->isChecked());
    EXPECT_FALSE(dialog->Check2->isChecked());
    dialog->Command1->click(); // 关  闭
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window->findChildren<PrintDialog*>().isEmpty());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(AnalysisWindowTest, ThePointerShowsTheNearestRowsOwnValueWhateverItsHeight) {
    record(100, 600);
    ASSERT_NE(open(), nullptr);
    query(QStringLiteral("50")); // the segmented curve shows rows 40..60, row 50 the 11th
    const double loadRate = c().Picture1[18]->text().toDouble();
    ASSERT_GT(loadRate, 1.0);
    struct Case {
        bool cumulative;
        int kind;
        float x;
        double value;
    };
    const double current = std::round(std::fabs(test::SwingingRow(50)[0]) * 1000.0) / 1000.0;
    for (const Case k :
         {Case{true, 0, 3000, current}, Case{false, 0, SegmentPlotX(11, 10), current},
          Case{true, 9, 3000, loadRate}, Case{false, 9, SegmentPlotX(11, 10), loadRate}}) {
        while (window->ShownCurve() != k.kind)
            c().Command4->click();
        CurveSurface* s = k.cumulative ? shownCumulative() : shownSegmented();
        // The pointer far below the curve: its height must not matter.
        for (float y : {kPlotBottom - 20, kPlotTop + 20}) {
            QTest::mouseMove(s, s->pixelAt(k.x, y));
            ASSERT_TRUE(test::waitUntil(
                [&] {
                    return QToolTip::isVisible() &&
                           QToolTip::text().contains(QStringLiteral("第 50 组"));
                },
                5000));
            const QString text = QToolTip::text();
            SCOPED_TRACE(text.toStdString());
            EXPECT_TRUE(text.contains(QStringLiteral("时间 300 秒")));
            const QString unit = state.analysis.axes.CurveUnit[std::size_t(k.kind)];
            ASSERT_TRUE(text.endsWith(unit));
            const QString number = text.section(QStringLiteral("  "), -1).chopped(unit.size());
            EXPECT_NEAR(number.toDouble(), k.value, 0.0015);
            QTest::mouseMove(s, s->pixelAt(k.x + 1500, y)); // another row, so the tip changes
        }
    }
}

TEST_F(AnalysisWindowTest, TheSegmentedPaneSaysHowToFillItUntilTheFirstQuery) {
    record(100, 600);
    ASSERT_NE(open(), nullptr);
    const QString hint = QStringLiteral("输入组号并按[查 询]，或点击上方曲线");
    auto textPixels = [&] {
        const QImage& image = shownSegmented()->image();
        const QRgb text = shownSegmented()->palette().color(QPalette::WindowText).rgb();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == text;
        return n;
    };
    for (int k = 0; k < kCurveKinds; ++k)
        EXPECT_EQ(c().Picture3[std::size_t(k)]->hint(), hint) << k;
    EXPECT_GT(textPixels(), 50); // written in the pane's own text colour
    query(QStringLiteral("50"));
    EXPECT_TRUE(shownSegmented()->hint().isEmpty());
    // A redraw clears the segmented pane again, and the hint comes back.
    redraw();
    EXPECT_EQ(shownSegmented()->hint(), hint);
}

TEST_F(AnalysisWindowTest, LargeEnergiesShowEveryDigit) {
    // 300 kW for an hour: 300000 W·h in the energy box, wider than the box at its own font.
    record(50, 3600,
           [](qint64) { return ChannelRowValues{400, 250, 100, 400, 250, 100, 400, 250, 100}; });
    ASSERT_NE(open(), nullptr);
    for (int k : {9, 10, 11, 15}) {
        const FittedLabel* box = c().Picture1[std::size_t(k)];
        SCOPED_TRACE(box->text().toStdString());
        EXPECT_LE(QFontMetrics(box->textFont()).horizontalAdvance(box->text()),
                  box->contentsRect().width() - 2);
    }
    EXPECT_TRUE(c().Picture1[10]->text().startsWith(QStringLiteral(" 3000")));
    EXPECT_LT(c().Picture1[10]->textFont().pixelSize(), QFontMetrics(window->font()).height());
}

TEST_F(AnalysisWindowTest, TheBarsAlwaysStandOnTheDataNumber) {
    auto barNumber = [&] {
        const int page = c().HScroll2->isVisible() ? c().HScroll2->value() : 1;
        return DataNumber(c().HScroll1->value(), page);
    };
    for (const qint64 rows : {qint64(25), qint64(70000)}) {
        SCOPED_TRACE(rows);
        record(rows, 3600);
        ASSERT_NE(open(), nullptr);
        EXPECT_EQ(c().Text1->text().toLongLong(), rows);
        EXPECT_EQ(barNumber(), rows);
        query(QStringLiteral("20"));
        EXPECT_EQ(barNumber(), 20);
        // The redraw ends on the last row, and the bars go with it.
        redraw();
        EXPECT_EQ(c().Text1->text().toLongLong(), rows);
        EXPECT_EQ(barNumber(), rows);
        // One arrow click from there is the row before the last.
        c().HScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(c().Text1->text().toLongLong(), rows - 1);
        EXPECT_EQ(barNumber(), rows - 1);
        window->close();
        EXPECT_TRUE(destroyed());
    }
}

TEST_F(AnalysisWindowTest, WhileThePassRunsItsCommandsAreDisabledAndItShowsHowFarItIs) {
    record(20000, 3600, [](qint64 r) {
        ChannelRowValues v = test::SwingingRow(r);
        if (r % 700 < 50) // generating stretches keep the previous operating point
            for (int ch = 0; ch < 3; ++ch)
                v[std::size_t(3 * ch + 2)] = -v[std::size_t(3 * ch + 2)];
        return v;
    });
    ASSERT_NE(open(), nullptr);
    window->setEventInterval(0); // events after every slice: the first comes mid-pass
    bool disabled = false, progressShown = false;
    qint64 reached = -1;
    QTimer::singleShot(0, window, [&] {
        disabled = !c().Command1->isEnabled() && !c().Command2->isEnabled() &&
                   !c().Command3->isEnabled() && !c().mnuF3->isEnabled() &&
                   c().Command4->isEnabled();
        progressShown = c().progress->isVisible();
        reached = c().Text1->text().toLongLong();
        // Enter in the data-number box is a query, and queries wait for the pass.
        QTest::keyClick(c().Text1, Qt::Key_Return);
    });
    redraw();
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(progressShown);
    EXPECT_GE(reached, 1);
    EXPECT_LT(reached, 20000);
    EXPECT_FALSE(c().progress->isVisible());
    EXPECT_EQ(c().Text1->text(), QStringLiteral("20000"));
    EXPECT_TRUE(messages.shown.empty());
    // No segmented analysis ran meanwhile: the pane still shows the hint the pass left there.
    EXPECT_FALSE(shownSegmented()->hint().isEmpty());
    const QImage& segmented = shownSegmented()->image();
    int drawn = 0;
    for (int y = 0; y < segmented.height(); ++y)
        for (int x = 0; x < segmented.width(); ++x)
            drawn += segmented.pixel(x, y) == qRgb(0, 255, 0);
    EXPECT_EQ(drawn, 0);
    EXPECT_DOUBLE_EQ(state.analysis.EfficiencyMaximum, analysedAlone().EfficiencyMaximum);
    EXPECT_EQ(state.analysis.ActiveEnergySeries, analysedAlone().ActiveEnergySeries);
}
