// The printed reports as PDF: the curve page of a 1,000,000-row recording (reduced per device
// pixel column) and the data report of 100,000 rows, beside the cumulative pass over the same
// file. The PDF sizes are reported as counters.

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "analysis/cumulative.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/painterprinter.h"
#include "recording/synthetic.h"

using namespace zr5;

namespace {

constexpr qint64 kRows = 1000000;
constexpr qint64 kReportRows = 100000;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

const RecordingInfo& recording() {
    static const RecordingInfo info = [] {
        const QString p = folder().filePath(QStringLiteral("bench.MTR"));
        if (!WriteSyntheticRecording(p, kRows, 36000, 1).isEmpty())
            std::abort();
        return *ReadRecordingInfo(p);
    }();
    return info;
}

template <class Job, class Input> double writePdf(benchmark::State& s, const Input& input) {
    const QString pdf = folder().filePath(QStringLiteral("bench.pdf"));
    PdfOutput out(pdf);
    if (!out.open().isEmpty())
        s.SkipWithError("no PDF");
    Job job(out.printer(), input);
    if (!RunToEnd(job).isEmpty() || !out.commit().isEmpty())
        s.SkipWithError("job failed");
    return double(QFileInfo(pdf).size());
}

void BM_CumulativePass(benchmark::State& s) {
    AppState state{DataDirectory(folder().path())};
    state.CurrentFileName = recording().path;
    for (auto _ : s) {
        CumulativeAnalysis pass(state);
        if (!pass.runAll().isEmpty())
            s.SkipWithError("pass failed");
        benchmark::DoNotOptimize(state.analysis.TotalActiveEnergy);
    }
    s.SetItemsProcessed(s.iterations() * kRows);
}
BENCHMARK(BM_CumulativePass)->Unit(benchmark::kMillisecond);

void BM_CurvePagePdf(benchmark::State& s) {
    CurvePageInput in;
    in.recording = recording();
    in.motor = recording().header.motorParameters();
    double size = 0;
    for (auto _ : s)
        size = writePdf<CurvePageJob>(s, in);
    s.counters["pdf_bytes"] = size;
    s.SetItemsProcessed(s.iterations() * kRows);
}
BENCHMARK(BM_CurvePagePdf)->Unit(benchmark::kMillisecond);

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
