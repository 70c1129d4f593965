// The PDFs the program writes give back, through pdftotext, the text that was drawn: Noto CJK
// draws 文 and the radical ⽂ (and about 150 more pairs) with one glyph, and the PDF's map from
// glyphs to characters must name the one on the page.

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "analysiswindow/testrecording.h"
#include "assessment/assessmentpage.h"
#include "motor/samplecatalogue.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/painterprinter.h"
#include "printing/recordingprinter.h"
#include "support/succeeded.h"
#include "support/testnames.h"

namespace zr5 {
namespace {

using JobMaker = std::function<std::unique_ptr<PrintJob>(Printer&)>;

// Fonts need a GUI application; one for the whole program.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "zr5-pdftext-test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv); // lives to the end
    (void)app;
}

// The blanks between the texts of a line are the layout's, not the text's; U+3000 among them.
QString WithoutBlanks(const QString& text) {
    QString kept;
    for (QChar c : text)
        if (!c.isSpace())
            kept += c;
    return kept;
}

QString TextOfPdf(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000)) << "pdftotext (poppler-utils) must be installed";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

ReportHeading Heading() {
    ReportHeading h;
    h.fileName = QStringLiteral("run.MTR");
    h.date = {QStringLiteral("2026"), QStringLiteral("12"), QStringLiteral("10"),
              QStringLiteral("9"), QStringLiteral("30")};
    h.organisation = QStringLiteral("大华电机厂");
    return h;
}

struct PageCase {
    const char* name;
    // Words the page draws that Qt's map turned into radicals: 无 文 日 大 and others.
    QStringList words;
    std::function<JobMaker(const QTemporaryDir&)> job;
};

JobMaker CurvePage(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("run.MTR"));
    EXPECT_EQ(test::WriteTestRecording(path, 200, 600), QString());
    CurvePageInput in;
    in.recording = *ReadRecordingInfo(path);
    in.motor = in.recording.header.motorParameters();
    in.TotalReactiveEnergy = 321.5f;
    in.heading = Heading();
    return [in](Printer& p) { return std::make_unique<CurvePageJob>(p, in); };
}

JobMaker DataReport(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("run.MTR"));
    EXPECT_EQ(test::WriteTestRecording(path, 30, 600), QString());
    DataReportInput in;
    in.recording = *ReadRecordingInfo(path);
    in.motor = in.recording.header.motorParameters();
    in.range = {1, 30};
    in.heading = Heading();
    return [in](Printer& p) { return std::make_unique<DataReportJob>(p, in); };
}

JobMaker AssessmentPage(const QTemporaryDir& dir) {
    const DataDirectory data(dir.filePath(QStringLiteral("data")));
    EXPECT_TRUE(test::Succeeded(InstallSampleCatalogue(data)));
    const QString path = dir.filePath(QStringLiteral("run.MTR"));
    EXPECT_EQ(test::WriteTestRecording(path, 600, 3600), QString());
    const AssessmentSettings settings;
    AssessmentPageInput in{AssessRecording(path, data, settings), settings,
                           QStringLiteral("run.MTR")};
    EXPECT_EQ(in.run.error, QString());
    return [in](Printer& p) { return std::make_unique<AssessmentPageJob>(p, in); };
}

class PdfText : public ::testing::TestWithParam<PageCase> {};

// Every text the page draws comes back from the PDF, in order within itself, and no character
// comes back as a radical it was not.
TEST_P(PdfText, GivesBackExactlyTheTextDrawn) {
    EnsureApplication();
    const PageCase& c = GetParam();
    QTemporaryDir dir;
    const JobMaker make = c.job(dir);

    RecordingPrinterDevice recorded;
    Printer recordingPrinter(recorded);
    ASSERT_TRUE(test::Succeeded(RunToEnd(*make(recordingPrinter))));

    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    PdfOutput out(pdf);
    ASSERT_TRUE(test::Succeeded(out.open()));
    ASSERT_TRUE(test::Succeeded(RunToEnd(*make(out.printer()))));
    ASSERT_TRUE(test::Succeeded(out.commit()));

    const QString text = TextOfPdf(pdf);
    const QString flat = WithoutBlanks(text);
    int drawn = 0;
    for (const PrintedItem* item : recorded.texts()) {
        const QString expected = WithoutBlanks(item->text);
        if (expected.isEmpty())
            continue;
        ++drawn;
        EXPECT_TRUE(flat.contains(expected))
            << "drawn: " << item->text.toStdString() << "\nin: " << text.toStdString();
    }
    EXPECT_GT(drawn, 20);
    for (const QString& word : c.words)
        EXPECT_TRUE(text.contains(word)) << "missing: " << word.toStdString();
    for (QChar ch : text) {
        // Kangxi radicals and the CJK radicals supplement: none is ever drawn.
        EXPECT_FALSE(ch.unicode() >= 0x2E80 && ch.unicode() <= 0x2FDF)
            << "radical U+" << std::hex << int(ch.unicode());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PdfText,
    ::testing::Values(PageCase{"curve page",
                               {QStringLiteral("无功电量"), QStringLiteral("数据文件名称"),
                                QStringLiteral("最大值"), QStringLiteral("2026年12月10日"),
                                QStringLiteral("大华电机厂")},
                               CurvePage},
                      PageCase{"data report",
                               {QStringLiteral("无功功率"), QStringLiteral("数据文件名称"),
                                QStringLiteral("2026年12月10日"), QStringLiteral("大华电机厂")},
                               DataReport},
                      PageCase{"assessment page",
                               {QStringLiteral("无功电量"), QStringLiteral("数据文件名称")},
                               AssessmentPage}),
    test::ByName{});

} // namespace
} // namespace zr5
