// The printed reports as PDF: the curve page of a 1,000,000-row recording (reduced per device
// pixel column, by the pass or by the page itself) and the data report of 100,000 rows, beside the
// cumulative pass over the same file. The PDF sizes are reported as counters.

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>

#include "benchfixture.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/painterprinter.h"

using namespace zr5;
using namespace zr5::bench;

namespace {

constexpr qint64 kRows = kLongRows;
constexpr qint64 kReportRows = 100000;

const RecordingInfo& recording() {
    static const RecordingInfo info = *ReadRecordingInfo(LongRecordingPath());
    return info;
}

template <class Job, class Input> double writePdf(benchmark::State& s, const Input& input) {
    const QString pdf = Folder().filePath(QStringLiteral("bench.pdf"));
    PdfOutput out(pdf);
    if (!out.open())
        s.SkipWithError("no PDF");
    Job job(out.printer(), input);
    if (!RunToEnd(job) || !out.commit())
        s.SkipWithError("job failed");
    return double(QFileInfo(pdf).size());
}

void BM_CumulativePass(benchmark::State& s) {
    CumulativePass(s);
}
BENCHMARK(BM_CumulativePass)->Unit(benchmark::kMillisecond);

CurvePageInput curvePageInput() {
    CurvePageInput in;
    in.recording = recording();
    in.motor = recording().header.motorParameters();
    return in;
}

void writeCurvePages(benchmark::State& s, const CurvePageInput& in) {
    double size = 0;
    for (auto _ : s)
        size = writePdf<CurvePageJob>(s, in);
    s.counters["pdf_bytes"] = size;
    s.SetItemsProcessed(s.iterations() * kRows);
}

// The pass with the curve page's curves reduced in its block loop, as `zr5-tool report` runs it.
void BM_PassWithCurvePage(benchmark::State& s) {
    AppState state{DataDirectory(Folder().path())};
    state.recordingOpened(LongRecordingPath());
    for (auto _ : s) {
        CurvePageInput in = curvePageInput();
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (!RunPassWithCurvePage(pass, in, PdfColumnTwips()))
            s.SkipWithError("pass failed");
        benchmark::DoNotOptimize(in.curves.get());
    }
    s.SetItemsProcessed(s.iterations() * kRows);
}
BENCHMARK(BM_PassWithCurvePage)->Unit(benchmark::kMillisecond);

// The page drawn from the pass's curves.
void BM_CurvePagePdf(benchmark::State& s) {
    AppState state{DataDirectory(Folder().path())};
    state.recordingOpened(LongRecordingPath());
    CurvePageInput in = curvePageInput();
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    if (!RunPassWithCurvePage(pass, in, PdfColumnTwips()))
        s.SkipWithError("pass failed");
    in.takeAnalysis(state.analysis);
    writeCurvePages(s, in);
}
BENCHMARK(BM_CurvePagePdf)->Unit(benchmark::kMillisecond);

// The page reading and reducing the rows itself (no pass before it, or curves of another page).
void BM_CurvePagePdfReadingRows(benchmark::State& s) {
    writeCurvePages(s, curvePageInput());
}
BENCHMARK(BM_CurvePagePdfReadingRows)->Unit(benchmark::kMillisecond);

void BM_DataReportPdf(benchmark::State& s) {
    DataReportInput in{recording(), recording().header.motorParameters(), {1, kReportRows}, {}};
    double size = 0;
    for (auto _ : s)
        size = writePdf<DataReportJob>(s, in);
    s.counters["pdf_bytes"] = size;
    s.SetItemsProcessed(s.iterations() * kReportRows);
}
BENCHMARK(BM_DataReportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    return RunWithApplication<QGuiApplication>(argc, argv);
}
