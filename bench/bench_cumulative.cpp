// The cumulative analysis over a 1,000,000-row recording, beside plain sequential reads of the same
// file: the pass should cost little more than reading the rows.

#include <benchmark/benchmark.h>

#include <QFile>

#include "benchfixture.h"

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

} // namespace

BENCHMARK_MAIN();
