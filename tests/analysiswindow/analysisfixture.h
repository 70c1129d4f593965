#pragma once

// The analysis window's test fixture: a recording in a temporary folder, the window opened on it
// with fake seams, and ways to wait for its pass and read its surfaces.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include "analysis/cumulative.h"
#include "analysiswindow/analysisservices.h"
#include "analysiswindow/analysiswindow.h"
#include "analysiswindow/curvesurface.h"
#include "analysiswindow/testrecording.h"
#include "support/succeeded.h"
#include "support/waituntil.h"

namespace zr5::test {

class AnalysisWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};
    AnalysisServices seams;
    FakeMessages& messages = seams.messages;
    FakeFileDialogs files; // no answers: every dialog is cancelled
    UiServices services{seams.messages, files, seams.clock};
    QWidget mainWindow;
    QPointer<AnalysisWindow> window;

    void SetUp() override { mainWindow.show(); }
    void TearDown() override {
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString record(qint64 rows, float duration = 600, const RowSource& source = SwingingRow,
                   std::array<float, 7> motor = TestMotor()) {
        const QString path = dir.filePath(QStringLiteral("run.MTR"));
        EXPECT_EQ(WriteTestRecording(path, rows, duration, source, motor), QString());
        state.recordingOpened(path);
        return path;
    }
    AnalysisWindow* open(AnalysisOpening how = AnalysisOpening::Button) {
        window = AnalysisWindow::open(state, services, &mainWindow, how);
        waitForPass();
        return window;
    }
    // The pass runs a slice per turn of the event loop; let it end (or the window go).
    void waitForPass() {
        EXPECT_TRUE(waitUntil([&] { return !window || !window->analysing(); }, 60000));
    }
    void redraw() {
        c().Command2->click();
        waitForPass();
    }
    const AnalysisControls& c() const { return window->controls(); }
    void query(const QString& text) {
        c().Text1->setText(text);
        c().Command3->click();
    }
    CurveSurface* shownSegmented() const { return c().Picture3[std::size_t(window->ShownCurve())]; }
    CurveSurface* shownCumulative() const {
        return c().Picture2[std::size_t(window->ShownCurve())];
    }
    static QRgb at(CurveSurface* s, float x, float y) {
        const QPoint p = s->pixelAt(x, y);
        return s->image().pixel(p);
    }
    // The results of the pass over the current recording with no window around it.
    AnalysisResults analysedAlone() {
        AppState alone{DataDirectory(dir.path())};
        alone.recordingOpened(state.CurrentFileName());
        EXPECT_TRUE(test::Succeeded(
            CumulativeAnalysis(alone.CurrentFileName(), alone.model, alone.analysis).runAll()));
        return alone.analysis;
    }
    bool destroyed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }
};

const QRgb kGrey = qRgb(192, 192, 192);
const QRgb kBlack = qRgb(0, 0, 0);

} // namespace zr5::test
