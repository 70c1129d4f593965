#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QProgressDialog>
#include <QTest>

#include "analysis/zoom.h"
#include "analysiswindow/analysisfixture.h"
#include "analysiswindow/curveexport.h"
#include "analysiswindow/zoomcontroller.h"
#include "model/numbertext.h"

using namespace zr5;
using namespace zr5::test;

namespace {

class ZoomTest : public AnalysisWindowTest {
protected:
    // 6,000 rows over 6,000 s: a row a second, more rows than the surface has columns; or more
    // rows over the same time.
    void openLong(qint64 rows = 6000) {
        record(rows, 6000);
        ASSERT_NE(open(), nullptr);
    }
    CurveSurface* surface() const { return shownCumulative(); }
    QPoint pixel(float xTwips) const { return surface()->pixelAt(xTwips, 900); }
    void drag(float x1, float x2) {
        QTest::mousePress(surface(), Qt::LeftButton, {}, pixel(x1));
        QTest::mouseMove(surface(), pixel((x1 + x2) / 2));
        QTest::mouseRelease(surface(), Qt::LeftButton, {}, pixel(x2));
    }
    void wheel(float x, int steps) {
        const QPoint at = pixel(x);
        QWheelEvent event(at, surface()->mapToGlobal(at), {}, QPoint(0, 120 * steps), Qt::NoButton,
                          {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(surface(), &event);
    }
    const CumulativeView& view() { return window->zoom().view(); }
    // The values kept from the pass draw what the recording's rows, read again, draw.
    void expectKeptValuesDraw() {
        const Result<RecordingInfo> info = ReadRecordingInfo(state.CurrentFileName());
        const int kind = window->ShownCurve();
        const auto curve = CumulativeViewCurve(*info, kind, state.analysis.axes, view(),
                                               surface()->twipsPerPixel());
        ASSERT_TRUE(curve.ok());
        QImage expected(surface()->image().size(), QImage::Format_RGB32);
        expected.fill(SurfaceBackground());
        QPainter p(&expected);
        CumulativeSurfacePicture(*curve, kind, state.model, state.analysis, view(),
                                 surface()->palette().color(QPalette::WindowText))
            .paint(p, 0, surface()->twipsPerPixel(), surface()->font(),
                   surface()->palette().color(QPalette::WindowText), QSizeF(expected.size()));
        p.end();
        EXPECT_EQ(surface()->image(), expected);
    }
    QStringList timeLabels() const {
        QStringList texts;
        for (QLabel* l : c().Label7)
            if (l->isVisible())
                texts << l->text();
        return texts;
    }
};

TEST_F(ZoomTest, DragWheelClickAndBackToTheWholeRecording) {
    openLong(20000); // more rows than one block of the pass

    const QImage whole = surface()->image();
    const QStringList wholeLabels = timeLabels();

    // A drag over the first tenth of the axis shows its ten minutes, with a grid a minute.
    drag(0, 600);
    ASSERT_FALSE(view().whole());
    const double span = view().span();
    EXPECT_NEAR(view().from(), 0, surface()->twipsPerPixel());
    EXPECT_NEAR(span, 600, surface()->twipsPerPixel());
    EXPECT_TRUE(c().Command5->isVisible());
    EXPECT_TRUE(
        c().cumulativeFrame->title().startsWith(CumulativeCurveCaption(window->ShownCurve())));
    EXPECT_TRUE(c().cumulativeFrame->title().contains(ViewRangeCaption(view())));
    EXPECT_NE(timeLabels(), wholeLabels);
    EXPECT_EQ(timeLabels().first(), PlainNumber(view().timeGrid().front().line.value));
    EXPECT_NE(surface()->image(), whole);
    expectKeptValuesDraw();

    // A click selects the row under the pointer in the range; the line marks it.
    QTest::mouseClick(surface(), Qt::LeftButton, {}, pixel(3000));
    const qint64 row = view().rowAtX(float(surface()->twipsAt(pixel(3000)).x()));
    EXPECT_EQ(c().Text1->text(), PlainNumber(double(row)));
    ASSERT_TRUE(surface()->cursorLine());
    EXPECT_FLOAT_EQ(*surface()->cursorLine(), view().x(row));

    // Wheel steps zoom around the pointer: in to 4/5 of the span, out again.
    wheel(3000, 1);
    EXPECT_NEAR(view().span(), span * 0.8, 1e-6);
    wheel(3000, -1);
    EXPECT_NEAR(view().span(), span, 1e-6);

    // Curve selection keeps the range: the next kind is drawn for it.
    c().Command4->click();
    EXPECT_TRUE(c().cumulativeFrame->title().contains(ViewRangeCaption(view())));
    EXPECT_FALSE(view().whole());

    // A double-click returns to the whole recording: the pass's own picture, every kind.
    QTest::mouseDClick(surface(), Qt::LeftButton, {}, pixel(3000));
    EXPECT_TRUE(view().whole());
    EXPECT_FALSE(c().Command5->isVisible());
    c().Command4->click(); // back to the first kind, zoomed before
    for (int i = 0; i < kCurveKinds - 2; ++i)
        c().Command4->click();
    EXPECT_EQ(surface()->image(), whole);
    EXPECT_EQ(timeLabels(), wholeLabels);
    EXPECT_EQ(c().cumulativeFrame->title(), CumulativeCurveCaption(window->ShownCurve()));

    // "全程" does the same; the rows of the range come from the pass's later blocks.
    drag(4000, 5000);
    ASSERT_FALSE(view().whole());
    expectKeptValuesDraw();
    c().Command5->click();
    EXPECT_TRUE(view().whole());
    EXPECT_EQ(surface()->image(), whole);
}

TEST_F(ZoomTest, ShiftDragPansAndTheSegmentedCurveShowsItsTimes) {
    openLong();
    drag(1200, 1800); // 1200 .. 1800 s
    const double from = view().from();
    QTest::mousePress(surface(), Qt::LeftButton, Qt::ShiftModifier, pixel(3000));
    QTest::mouseMove(surface(), pixel(1500));
    QTest::mouseRelease(surface(), Qt::LeftButton, Qt::ShiftModifier, pixel(1500));
    // The picture follows the pointer: dragged left by a quarter, later times come in.
    EXPECT_NEAR(view().from() - from, view().span() / 4, view().span() / 100);

    query(QStringLiteral("3000"));
    QStringList times;
    for (QLabel* l : c().Label8)
        if (l->isVisible())
            times << l->text();
    EXPECT_EQ(times, (QStringList{QStringLiteral("2990"), QStringLiteral("3000"),
                                  QStringLiteral("3010")}));
    // Row 3000 lies outside the range shown: no line marks it.
    EXPECT_FALSE(surface()->cursorLine());
    // A redraw shows the whole recording again, its segmented pane empty.
    redraw();
    EXPECT_TRUE(view().whole());
    EXPECT_FALSE(c().Command5->isVisible());
    for (QLabel* l : c().Label8)
        EXPECT_FALSE(l->isVisible());
}

TEST_F(ZoomTest, ExportsWriteThePictureTheTablesAndTheTenKinds) {
    openLong();
    query(QStringLiteral("2500"));
    const QDir out(dir.filePath(QStringLiteral("out")));
    ASSERT_TRUE(QDir().mkpath(out.path()));

    // The shown kind's picture: a PNG twice the frames' size, an SVG of vectors.
    files.answers = {out.filePath(QStringLiteral("a.png")), out.filePath(QStringLiteral("a.svg"))};
    c().mnuExportPicture->trigger();
    c().mnuExportPicture->trigger();
    const QImage png(out.filePath(QStringLiteral("a.png")));
    EXPECT_EQ(png.size(), CurvePictureSize(c()) * 2);
    QFile svg(out.filePath(QStringLiteral("a.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    EXPECT_TRUE(svgText.contains("<svg"));
    EXPECT_TRUE(svgText.contains(CumulativeCurveCaption(0).toUtf8())); // texts stay texts

    // All ten kinds, named after the recording and the kind; the window shows its kind again.
    files.answers = {out.path()};
    c().mnuExportAll->trigger();
    for (int k = 0; k < kCurveKinds; ++k)
        EXPECT_TRUE(
            QImage(out.filePath(KindPictureName(state.CurrentFileName(), k, PictureFormat::Png)))
                .size() == CurvePictureSize(c()) * 2)
            << k;
    EXPECT_EQ(window->ShownCurve(), 0);

    // The table is zr5-tool export's, for the whole recording or the range shown.
    QProcess tool;
    tool.start(QStringLiteral(ZR5_TOOL_PATH),
               {QStringLiteral("--data-dir"), dir.filePath(QStringLiteral("data")),
                QStringLiteral("export"), state.CurrentFileName()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QByteArray exported = tool.readAllStandardOutput();
    files.answers = {out.filePath(QStringLiteral("all.csv")),
                     out.filePath(QStringLiteral("range.csv"))};
    c().mnuExportCsv->trigger();
    drag(3000, 3600);
    c().mnuExportCsv->trigger();
    QFile all(out.filePath(QStringLiteral("all.csv")));
    QFile range(out.filePath(QStringLiteral("range.csv")));
    // The tables are written a block per turn of the event loop; each appears once complete.
    EXPECT_TRUE(waitUntil([&] { return all.exists() && range.exists(); }, 60000));
    ASSERT_TRUE(all.open(QIODevice::ReadOnly) && range.open(QIODevice::ReadOnly));
    EXPECT_EQ(all.readAll(), exported);
    const QList<QByteArray> lines = exported.split('\n');
    const QList<QByteArray> rangeLines = range.readAll().split('\n');
    ASSERT_GT(rangeLines.size(), 2);
    EXPECT_EQ(rangeLines.first(), lines.first());
    EXPECT_EQ(rangeLines[1], lines[int(view().firstRow())]);
    EXPECT_EQ(rangeLines[rangeLines.size() - 2], lines[int(view().lastRow())]);

    // A folder that cannot take the file: the reason, and nothing left behind.
    messages.expecting = true;
    files.answers = {dir.filePath(QStringLiteral("none/x.png"))};
    c().mnuExportPicture->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("x.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none/x.png"))));
}

// "Excel 工作簿…" writes the rows shown, a block per turn of the event loop; the test waits for the
// job to end, however long the machine takes. A cancel keeps the file that was there.
TEST_F(ZoomTest, WorkbookOfTheRangeShownAndACancelThatKeepsTheOldFile) {
    openLong();
    const QDir out(dir.filePath(QStringLiteral("out")));
    ASSERT_TRUE(QDir().mkpath(out.path()));
    auto job = [&] { return window->findChild<QObject*>(QStringLiteral("exportJob")); };

    drag(3000, 3600);
    const qint64 first = view().firstRow(), last = view().lastRow();
    ASSERT_GT(first, 1);
    files.answers = {out.filePath(QStringLiteral("range.xlsx"))};
    c().mnuExportXlsx->trigger();
    ASSERT_TRUE(waitUntil([&] { return job() == nullptr; }, 600000));
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(ZR5_WORKBOOK_READER), out.filePath(QStringLiteral("range.xlsx")),
                  QStringLiteral("sheets"), QStringLiteral("数据")});
    ASSERT_TRUE(reader.waitForFinished(600000));
    const QJsonObject wb = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    EXPECT_EQ(wb[QStringLiteral("sheets")].toArray(),
              (QJsonArray{QStringLiteral("概况"), QStringLiteral("数据"), QStringLiteral("曲线"),
                          QStringLiteral("曲线数据")}));
    const QJsonArray rows = wb[QStringLiteral("cells")][QStringLiteral("数据")].toArray();
    ASSERT_EQ(rows.size(), last - first + 2); // the header and the rows shown
    EXPECT_EQ(rows[1].toArray()[0].toDouble(), double(first));
    EXPECT_EQ(rows[rows.size() - 1].toArray()[0].toDouble(), double(last));

    // Cancelled before its first block: the old file stays, nothing else is left.
    const QString kept = out.filePath(QStringLiteral("kept.xlsx"));
    {
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's own");
    }
    files.answers = {kept};
    c().mnuExportXlsx->trigger();
    auto* progress = window->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    emit progress->canceled();
    ASSERT_TRUE(waitUntil([&] { return job() == nullptr; }, 600000));
    QFile f(kept);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("the user's own"));
    EXPECT_EQ(out.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("kept.xlsx"), QStringLiteral("range.xlsx")}));
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
