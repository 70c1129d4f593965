// The cumulative analysis and drawing of a 1,000,000-row recording, column-reduced against every
// segment drawn, and the segmented analysis of one row.

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "analysis/cumulative.h"
#include "analysis/curvetrace.h"
#include "analysis/segmented.h"
#include "analysis/zoom.h"
#include "analysiswindow/analysisservices.h"
#include "analysiswindow/analysiswindow.h"
#include "analysiswindow/zoomcontroller.h"
#include "benchfixture.h"
#include "recording/synthetic.h"

using namespace zr5;

namespace {

constexpr qint64 kRows = 1000000;

struct LongRecording {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("LONG.MTR"));
    LongRecording() {
        if (!WriteSyntheticRecording(path, kRows, 86400, 1))
            std::abort();
    }
};

const QString& LongRecordingPath() {
    static LongRecording recording;
    return recording.path;
}

// The pass without a window, drawing on ten surface-sized images.
void PassAndDraw(benchmark::State& st, float columnWidth) {
    QTemporaryDir dataDir;
    AppState state{DataDirectory(dataDir.path())};
    state.recordingOpened(LongRecordingPath());
    std::vector<QImage> images(kCurveKinds, QImage(567, 113, QImage::Format_RGB32));
    std::size_t lines = 0;
    for (auto _ : st) {
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (!pass.begin())
            st.SkipWithError("recording refused");
        CurveSetTrace traces(columnWidth);
        const CurveAxisTables& axes = state.analysis.axes;
        std::vector<QLineF> buffer;
        auto draw = [&] {
            for (int k = 0; k < kCurveKinds; ++k) {
                const std::vector<CurveLine> l = traces.kind(k).takeLines();
                lines += l.size();
                buffer.clear();
                for (const CurveLine& c : l)
                    buffer.emplace_back(c.x1, c.y1, c.x2, c.y2);
                QPainter p(&images[std::size_t(k)]);
                p.scale(1.0 / 15, 1.0 / 15);
                p.setPen(QPen(Qt::red, 0));
                p.drawLines(buffer.data(), int(buffer.size()));
            }
        };
        CurvePoints points;
        while (!pass.done()) {
            for (qint64 rows = 0; rows < 65536 && !pass.done();) {
                const CumulativeBlock& block = pass.processBlock(CumulativeAnalysis::kBlockRows);
                CumulativePlotPoints(block, kRows, axes, points);
                traces.add(points);
                rows += qint64(block.rows.size());
            }
            if (pass.done())
                traces.finish();
            draw();
        }
    }
    st.counters["lines"] = double(lines) / double(st.iterations());
}

void BM_PassDrawEverySegment(benchmark::State& st) {
    PassAndDraw(st, 0);
}
void BM_PassDrawColumnReduced(benchmark::State& st) {
    PassAndDraw(st, 15);
}

void BM_PassWithoutDrawing(benchmark::State& st) {
    QTemporaryDir dataDir;
    AppState state{DataDirectory(dataDir.path())};
    state.recordingOpened(LongRecordingPath());
    for (auto _ : st)
        benchmark::DoNotOptimize(
            CumulativeAnalysis(state.CurrentFileName(), state.model, state.analysis).runAll().ok());
}

struct WindowFixture {
    QTemporaryDir dataDir;
    AppState state{DataDirectory(dataDir.path())};
    test::AnalysisServices seams;
    UiServices& services = seams.services;
    QWidget mainWindow;
    AnalysisWindow* window = nullptr;
    WindowFixture() {
        state.recordingOpened(LongRecordingPath());
        state.settings.SegmentHalfSpan = 20;
        window = AnalysisWindow::open(state, services, &mainWindow, AnalysisOpening::Button);
        finishPass();
    }
    // The pass runs a slice per turn of the event loop.
    void finishPass() {
        while (window->analysing())
            QCoreApplication::processEvents();
    }
};

// What the user waits for: the window's whole pass with its drawing, labels and event processing.
void BM_WindowCumulativeAnalysis(benchmark::State& st) {
    WindowFixture f;
    for (auto _ : st) {
        f.window->Command2_Click();
        f.finishPass();
    }
}

// The segmented analysis of one row (reading 41 rows, boxes and ten surfaces), for rows across
// the recording.
void BM_WindowFENG(benchmark::State& st) {
    WindowFixture f;
    qint64 row = 1;
    for (auto _ : st) {
        f.window->controls().Text1->setText(QString::number(row));
        f.window->FENG();
        row = (row + 123457) % kRows + 1;
    }
}

// A zoom of the cumulative curve after the pass: the kind's curve over a range (a span of
// range(1) per mille of the recording), read from the file and drawn, as the window shows it.
// Every iteration moves the range a little, so each is a real redraw.
void BM_WindowZoom(benchmark::State& st) {
    WindowFixture f;
    const int kind = int(st.range(0));
    while (f.window->ShownCurve() != kind)
        f.window->Command4_Click();
    ZoomController& zoom = f.window->zoom();
    const CumulativeView whole = zoom.view();
    const double span = whole.span() * double(st.range(1)) / 1000.0;
    // The kind's first zoom reads its values over the whole recording (BM_ReadKindSeries).
    if (!zoom.show(whole.range(0, whole.span() / 2)).isEmpty())
        st.SkipWithError("zoom failed");
    int i = 0;
    for (auto _ : st) {
        const double from = (whole.span() - span) * double(i++ % 7) / 7.0;
        if (!zoom.show(whole.range(from, from + span)).isEmpty())
            st.SkipWithError("zoom failed");
    }
    st.counters["rows"] = double(zoom.view().lastRow() - zoom.view().firstRow() + 1);
}

// What a kind's first zoom costs besides the drawing: its values over the whole recording.
void BM_ReadKindSeries(benchmark::State& st) {
    QTemporaryDir dataDir;
    AppState state{DataDirectory(dataDir.path())};
    state.recordingOpened(LongRecordingPath());
    if (!CumulativeAnalysis(state.CurrentFileName(), state.model, state.analysis).runAll()) {
        st.SkipWithError("the recording cannot be analysed");
        return;
    }
    const Result<RecordingInfo> info = ReadRecordingInfo(LongRecordingPath());
    for (auto _ : st)
        benchmark::DoNotOptimize(
            ReadKindSeries(*info, int(st.range(0)), state.analysis.axes, 1, kRows));
}

} // namespace

BENCHMARK(BM_ReadKindSeries)
    ->Arg(Curve::Voltage1)
    ->Arg(Curve::LoadRate)
    ->Unit(benchmark::kMillisecond);
// Ten minutes of a nine-hour recording, half of it, and a wheel step out of the whole.
BENCHMARK(BM_WindowZoom)
    ->Args({Curve::Voltage1, 18})
    ->Args({Curve::Voltage1, 500})
    ->Args({Curve::Voltage1, 800})
    ->Args({Curve::LoadRate, 18})
    ->Args({Curve::LoadRate, 800})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassWithoutDrawing)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PassDrawEverySegment)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PassDrawColumnReduced)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowCumulativeAnalysis)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowFENG)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return zr5::bench::RunWithApplication<QApplication>(argc, argv);
}
