// The print dialog: its defaults, the refusals, the PDF in place of a missing printer, cancel, and
// the analysis window left as it was.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "analysiswindow/analysiswindow.h"
#include "analysiswindow/curvesurface.h"
#include "analysiswindow/testrecording.h"
#include "printing/printdialog.h"
#include "support/fakeservices.h"
#include "support/qtapplication.h"
#include "support/waituntil.h"

using namespace zr5;

namespace {

class PrintDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};
    test::FakeMessages messages;
    test::FakeFileDialogs files;
    test::FakeClock clock;
    UiServices services{messages, files, clock};
    QWidget mainWindow;
    QPointer<PrintDialog> dialog;

    void TearDown() override {
        if (dialog)
            dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void record(qint64 rows, float duration = 600) {
        const QString path = dir.filePath(QStringLiteral("run.MTR"));
        ASSERT_EQ(test::WriteTestRecording(path, rows, duration), QString());
        state.recordingOpened(path);
        state.analysisBegun(rows, duration);
    }
    PrintDialog* open() {
        dialog = PrintDialog::open(state, services, &mainWindow);
        dialog->printerInstalled = [] { return false; };
        return dialog;
    }
    // Ticks the boxes, answers the PDF question and the file dialog, and presses OK.
    void printToPdf(const QString& pdf, bool curves, bool data) {
        dialog->Check1->setChecked(curves);
        dialog->Check2->click();
        if (!data)
            dialog->Check2->click();
        messages.answers.push_back(true);
        files.answers.push_back(pdf);
        dialog->Command2->click();
    }
    QStringList filesInDir() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

TEST_F(PrintDialogTest, OpensWithTheFilesDateAndTheWholeRange) {
    record(250);
    QFile file(state.CurrentFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2002, 8, 5), QTime(9, 7)),
                                 QFileDevice::FileModificationTime));
    file.close();
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("打印设置"));
    const char* date[] = {"2002", "8", "5", "9", "7"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dialog->Text5[i]->text(), QLatin1String(date[i]));
    EXPECT_EQ(dialog->Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog->Text2->text(), QStringLiteral("250"));
    for (bool ticked : {false, true, false}) {
        if (ticked != dialog->Check2->isChecked())
            dialog->Check2->click();
        for (QWidget* w :
             {static_cast<QWidget*>(dialog->Text1), static_cast<QWidget*>(dialog->Text2),
              static_cast<QWidget*>(dialog->Label1), static_cast<QWidget*>(dialog->Label2)})
            EXPECT_EQ(w->isEnabled(), ticked);
    }
    // OK with nothing ticked closes the window and prints nothing.
    dialog->Command2->click();
    EXPECT_TRUE(test::waitUntil([&] { return dialog.isNull(); }, 2000));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PrintDialogTest, BadRangesAndEmptyRecordingsAreRefusedAndTheDialogStays) {
    messages.expecting = true;
    record(250);
    open();
    struct Case {
        const char *from, *to;
        bool curves;
    };
    for (const Case& c :
         {Case{"0", "20", false}, Case{"1", "251", false}, Case{"x", "20", false}}) {
        messages.shown.clear();
        dialog->Text1->setText(QLatin1String(c.from));
        dialog->Text2->setText(QLatin1String(c.to));
        if (!dialog->Check2->isChecked())
            dialog->Check2->click();
        dialog->Command2->click();
        ASSERT_EQ(messages.shown.size(), 1u) << c.from;
        EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
        EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("1 到 250")));
        EXPECT_TRUE(dialog->isVisible());
    }
    // A recording of duration 0 has no curve page.
    ASSERT_EQ(test::WriteTestRecording(state.CurrentFileName(), 20, 0), QString());
    messages.shown.clear();
    dialog->Check2->click();
    dialog->Check1->setChecked(true);
    dialog->Command2->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("run.MTR")});
}

TEST_F(PrintDialogTest, WithoutAPrinterBothReportsGoToOnePdfAndTheAnalysisWindowStaysAsItWas) {
    messages.expecting = true;
    record(400);
    mainWindow.show();
    QPointer<AnalysisWindow> analysis =
        AnalysisWindow::open(state, services, &mainWindow, AnalysisOpening::Button);
    ASSERT_TRUE(analysis);
    ASSERT_TRUE(test::waitUntil([&] { return !analysis->analysing(); }, 10000));
    // What the curve surfaces draw (the focus moving to the dialog changes nothing there).
    const auto surfaces = [&] {
        std::vector<QImage> images;
        for (int k = 0; k < kCurveKinds; ++k)
            for (CurveSurface* s : {analysis->controls().Picture2[std::size_t(k)],
                                    analysis->controls().Picture3[std::size_t(k)]})
                images.push_back(s->grab().toImage());
        return images;
    };
    const std::vector<QImage> before = surfaces();
    const CurveAxisTables axesBefore = state.analysis.axes;
    const ExtremaValues maxBefore = state.model.RowMaximum;
    const SampleRowValues rowBefore = state.model.SampleRow;

    analysis->controls().mnuPr->trigger();
    dialog = analysis->findChild<PrintDialog*>();
    ASSERT_TRUE(dialog);
    dialog->printerInstalled = [] { return false; };
    const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
    printToPdf(pdf, true, true);
    ASSERT_TRUE(test::waitUntil([&] { return dialog.isNull(); }, 20000));
    ASSERT_EQ(messages.shown.size(), 1u); // the question only
    EXPECT_TRUE(messages.shown[0].isQuestion);
    EXPECT_EQ(files.calls.at(0).filter, QStringLiteral("PDF 文件 (*.pdf)"));
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.read(5) == "%PDF-");
    EXPECT_GT(out.size(), 10000);

    EXPECT_EQ(state.analysis.axes.CurveAxisLow, axesBefore.CurveAxisLow);
    EXPECT_EQ(state.analysis.axes.CurveAxisHigh, axesBefore.CurveAxisHigh);
    EXPECT_EQ(state.model.RowMaximum, maxBefore);
    EXPECT_EQ(state.model.SampleRow, rowBefore);
    EXPECT_TRUE(surfaces() == before);
    analysis->close();
}

TEST_F(PrintDialogTest, CancelOrAFailedPdfLeavesNoFileAndTheDialogOpen) {
    messages.expecting = true;
    record(20000, 3600);
    open();
    // A folder that does not exist.
    printToPdf(dir.filePath(QStringLiteral("missing/run.pdf")), false, true);
    ASSERT_TRUE(test::waitUntil([&] { return !dialog->printing(); }, 5000));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(messages.shown[1].text.contains(QStringLiteral("run.pdf")));
    EXPECT_TRUE(dialog->isVisible());

    // Cancelled while it prints.
    messages.shown.clear();
    dialog->Check2->click(); // untick, printToPdf ticks it again
    printToPdf(dir.filePath(QStringLiteral("run.pdf")), false, true);
    ASSERT_TRUE(dialog->printing());
    PrintRun* run = dialog->findChild<PrintRun*>();
    ASSERT_NE(run, nullptr);
    QTest::qWait(50);
    run->cancel();
    ASSERT_TRUE(test::waitUntil([&] { return !dialog->printing(); }, 5000));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("run.MTR")});
}

// The preview lays out the pages OK prints: both reports, as many pages, the same breaks.
TEST_F(PrintDialogTest, ThePreviewShowsThePagesOkPrints) {
    messages.expecting = true;
    record(130);
    open();
    dialog->Check1->setChecked(true);
    dialog->Check2->click();
    int previewPages = -1;
    QTimer::singleShot(0, dialog, [&] {
        auto* preview = dialog->findChild<QPrintPreviewDialog*>();
        auto* pages = preview ? preview->findChild<QPrintPreviewWidget*>() : nullptr;
        if (pages)
            previewPages = pages->pageCount();
        if (preview)
            preview->reject();
    });
    dialog->Command3->click();
    EXPECT_TRUE(messages.shown.empty());

    const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
    dialog->Check2->click(); // printToPdf ticks it again
    printToPdf(pdf, true, true);
    ASSERT_TRUE(test::waitUntil([&] { return dialog.isNull(); }, 20000));
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const qsizetype printedPages =
        QString::fromLatin1(out.readAll())
            .count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]")));
    // The curve page and the data report's three pages (125 rows on the first two).
    EXPECT_EQ(printedPages, 4);
    EXPECT_EQ(previewPages, printedPages);
}

} // namespace
