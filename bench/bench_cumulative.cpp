// The cumulative analysis over a 1,000,000-row recording, beside plain sequential reads of the same
// file: the pass should cost little more than reading the rows.

#include <benchmark/benchmark.h>

#include <QFile>

#include "assessment/assessment.h"
#include "benchfixture.h"
#include "motor/samplecatalogue.h"

using namespace zr5;
using namespace zr5::bench;

namespace {

constexpr qint64 kRows = kLongRows;

const QString& recording() {
    return LongRecordingPath();
}

void BM_RawRead(benchmark::State& s) {
    std::vector<char> buffer(1 << 20);
    for (auto _ : s) {
        QFile f(recording());
        f.open(QIODevice::ReadOnly);
        qint64 total = 0;
        for (qint64 n; (n = f.read(buffer.data(), qint64(buffer.size()))) > 0;)
            total += n;
        benchmark::DoNotOptimize(total);
    }
    s.SetItemsProcessed(s.iterations() * kRows);
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

void BM_SequentialRowRead(benchmark::State& s) {
    const auto info = ReadRecordingInfo(recording());
    for (auto _ : s) {
        auto reader = RecordingRowReader::open(*info);
        ChannelRowValues row;
        float sum = 0;
        while ((*reader)->next(row))
            sum += row[2];
        benchmark::DoNotOptimize(sum);
    }
    s.SetItemsProcessed(s.iterations() * kRows);
}
BENCHMARK(BM_SequentialRowRead)->Unit(benchmark::kMillisecond);

void BM_CumulativePass(benchmark::State& s) {
    CumulativePass(s);
}
BENCHMARK(BM_CumulativePass)->Unit(benchmark::kMillisecond);

// The economic-operation assessment: the same pass with the figures collected row by row, and
// the catalogue searched for the right size (the sample catalogue in the bench's data folder).
void BM_Assessment(benchmark::State& s) {
    const DataDirectory data(Folder().path());
    if (const Status installed = InstallSampleCatalogue(data); !installed) {
        s.SkipWithError(installed.error().toStdString().c_str());
        return;
    }
    for (auto _ : s) {
        const AssessmentRun run = AssessRecording(recording(), data, AssessmentSettings{});
        if (!run.error.isEmpty())
            s.SkipWithError("assessment failed");
        benchmark::DoNotOptimize(run.assessment.inputEnergy);
    }
    s.SetItemsProcessed(s.iterations() * kRows);
}
BENCHMARK(BM_Assessment)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
