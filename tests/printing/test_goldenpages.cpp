// The printed pages against checked-in dumps of what the printer was given: every text with its
// position and size, every line and box with its pen, page by page. A change of layout shows as a
// diff of tests/data/golden-*.txt. After a deliberate change, regenerate them with
//
//     ZR5_REGENERATE_GOLDEN=1 ctest --test-dir build -R GoldenPages
//
// (or tools/regenerate-golden.sh) and review the diff before committing it.

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

#include "analysis/cumulative.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/recordingprinter.h"
#include "recording/outputfile.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

namespace zr5 {
namespace {

QString Number(double v) {
    QString text = QString::number(v, 'f', 2);
    return text == QLatin1String("-0.00") ? QStringLiteral("0.00") : text;
}

QString PenText(const PrinterPen& pen) {
    return QStringLiteral("w%1 %2 #%3")
        .arg(pen.width)
        .arg(pen.style == PenStyle::Solid ? QStringLiteral("solid") : QStringLiteral("dotted"))
        .arg(pen.colour, 6, 16, QLatin1Char('0'));
}

// One line per item in the order the printer received them.
QByteArray Dump(const RecordingPrinterDevice& device) {
    QString out;
    for (const PrintedItem& item : device.items) {
        QString line = QStringLiteral("p%1 ").arg(item.page);
        switch (item.kind) {
        case PrintedItem::Kind::Text:
            line += QStringLiteral("text %1 %2 %3pt \"%4\"")
                        .arg(Number(item.x1), Number(item.y1), Number(item.points), item.text);
            break;
        case PrintedItem::Kind::Line:
        case PrintedItem::Kind::Box:
        case PrintedItem::Kind::FilledBox: {
            const char* kind = item.kind == PrintedItem::Kind::Line  ? "line"
                               : item.kind == PrintedItem::Kind::Box ? "box"
                                                                     : "fill";
            line += QStringLiteral("%1 %2 %3 %4 %5 %6")
                        .arg(QLatin1String(kind), Number(item.x1), Number(item.y1), Number(item.x2),
                             Number(item.y2), PenText(item.pen));
            break;
        }
        }
        out += line + QLatin1Char('\n');
    }
    out += QStringLiteral("pages %1\n").arg(device.pages);
    return out.toUtf8();
}

ReportHeading Heading(const QString& fileName) {
    ReportHeading h;
    h.date = {QStringLiteral("2026"), QStringLiteral("12"), QStringLiteral("10"),
              QStringLiteral("9"), QStringLiteral("30")};
    h.fileName = fileName;
    return h;
}

// The dump of the data report of every row, or of the curve page after the cumulative analysis:
// reading the rows itself, or drawing the curves the pass reduced for it.
enum class Page { DataReport, CurvePage, CurvePageFromThePass };
QByteArray PrintedPage(const QString& path, Page page) {
    const Result<RecordingInfo> info = ReadRecordingInfo(path);
    EXPECT_TRUE(info.ok()) << info.error().toStdString();
    if (!info)
        return {};
    RecordingPrinterDevice device;
    device.setPixelTwips(2.4); // a printer of 600 dots an inch
    Printer printer(device);
    const QString name = QFileInfo(path).fileName();
    if (page == Page::DataReport) {
        DataReportJob job(
            printer,
            {*info, info->header.motorParameters(), {1, info->RecordCount}, Heading(name)});
        EXPECT_TRUE(test::Succeeded(RunToEnd(job)));
    } else {
        MeasurementModel model;
        AnalysisResults results;
        CurvePageInput in;
        in.recording = *info;
        in.motor = info->header.motorParameters();
        in.ctInUse = {info->header.red(), info->header.blue(), info->header.yellow()};
        CumulativeAnalysis pass(path, model, results);
        if (page == Page::CurvePage) {
            EXPECT_TRUE(test::Succeeded(pass.runAll()));
        } else {
            EXPECT_TRUE(test::Succeeded(RunPassWithCurvePage(pass, in, device.pixelTwips())));
            EXPECT_NE(in.curves, nullptr);
        }
        in.takeAnalysis(results);
        in.heading = Heading(name);
        CurvePageJob job(printer, in);
        EXPECT_TRUE(test::Succeeded(RunToEnd(job)));
    }
    return Dump(device);
}

bool Regenerating() {
    return !qEnvironmentVariableIsEmpty("ZR5_REGENERATE_GOLDEN");
}

// Compares with the golden file, or writes it when regenerating; on a difference names the first
// lines that differ.
void ExpectGolden(const QByteArray& printed, const QString& goldenName) {
    const QString golden = QStringLiteral(ZR5_TEST_DATA_DIR "/") + goldenName;
    if (Regenerating()) {
        ASSERT_TRUE(test::Succeeded(WriteWholeFile(golden, printed)));
        std::cout << "regenerated " << golden.toStdString() << "\n";
        return;
    }
    QFile file(golden);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << golden.toStdString();
    const QByteArray expected = file.readAll();
    if (printed == expected)
        return;
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = printed.split('\n');
    std::string diff;
    int shown = 0;
    for (qsizetype i = 0; i < std::max(want.size(), got.size()) && shown < 10; ++i) {
        const QByteArray w = i < want.size() ? want[i] : QByteArray("(none)");
        const QByteArray g = i < got.size() ? got[i] : QByteArray("(none)");
        if (w == g)
            continue;
        diff += "line " + std::to_string(i + 1) + "\n  golden:  " + w.toStdString() +
                "\n  printed: " + g.toStdString() + "\n";
        ++shown;
    }
    ADD_FAILURE() << goldenName.toStdString() << " differs from what was printed (" << got.size()
                  << " lines printed, " << want.size() << " in the file):\n"
                  << diff
                  << "After a deliberate change: ZR5_REGENERATE_GOLDEN=1 ctest --test-dir build "
                     "-R GoldenPages, then review the diff.";
}

// A longer recording: 200 rows over an hour of a synthetic motor, four pages of data report.
QString SyntheticRecording(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("synthetic-200.MTR"));
    EXPECT_TRUE(test::Succeeded(WriteSyntheticRecording(path, 200, 3600, 7)));
    return path;
}

TEST(GoldenPages, TheTwoRowRecordingsDataReport) {
    ExpectGolden(
        PrintedPage(QStringLiteral(ZR5_TEST_DATA_DIR "/golden-two-rows.MTR"), Page::DataReport),
        QStringLiteral("golden-two-rows-report.txt"));
}

TEST(GoldenPages, TheTwoRowRecordingsCurvePage) {
    for (Page page : {Page::CurvePage, Page::CurvePageFromThePass})
        ExpectGolden(PrintedPage(QStringLiteral(ZR5_TEST_DATA_DIR "/golden-two-rows.MTR"), page),
                     QStringLiteral("golden-two-rows-curves.txt"));
}

TEST(GoldenPages, ASyntheticRecordingsDataReport) {
    QTemporaryDir dir;
    ExpectGolden(PrintedPage(SyntheticRecording(dir), Page::DataReport),
                 QStringLiteral("golden-synthetic-200-report.txt"));
}

TEST(GoldenPages, ASyntheticRecordingsCurvePage) {
    QTemporaryDir dir;
    for (Page page : {Page::CurvePage, Page::CurvePageFromThePass})
        ExpectGolden(PrintedPage(SyntheticRecording(dir), page),
                     QStringLiteral("golden-synthetic-200-curves.txt"));
}

} // namespace
} // namespace zr5
