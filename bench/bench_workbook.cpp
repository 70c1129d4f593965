// The workbook of a 1,000,000-row recording beside the CSV export of the same rows, both written
// to a file in the same folder through the checked writer: the workbook should take at most three
// times as long as the CSV.

#include <benchmark/benchmark.h>

#include <QFile>
#include <limits>

#include "analysis/csvtable.h"
#include "benchfixture.h"
#include "recording/outputfile.h"
#include "workbook/recordingworkbook.h"

using namespace zr5;
using namespace zr5::bench;

namespace {

void BM_CsvExport(benchmark::State& s) {
    const QString target = Folder().filePath(QStringLiteral("bench.csv"));
    for (auto _ : s) {
        OutputFile out(target);
        if (!out.open())
            s.SkipWithError(out.error().toStdString().c_str());
        const CsvTableOutcome o =
            WriteCsvTable(LongRecordingPath(), 1, std::numeric_limits<qint64>::max(),
                          [&](const std::string& block) {
                              return out.write(block.data(), qint64(block.size()));
                          });
        if (o.status != CsvTableOutcome::Written || !out.commit())
            s.SkipWithError("the CSV export failed");
    }
    s.counters["bytes"] = double(QFile(target).size());
    s.SetItemsProcessed(s.iterations() * kLongRows);
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Workbook(benchmark::State& s) {
    const QString target = Folder().filePath(QStringLiteral("bench.xlsx"));
    for (auto _ : s) {
        const RecordingWorkbookOutcome o = WriteRecordingWorkbook(LongRecordingPath(), target);
        if (!o.status)
            s.SkipWithError(o.status.error().toStdString().c_str());
    }
    s.counters["bytes"] = double(QFile(target).size());
    s.SetItemsProcessed(s.iterations() * kLongRows);
}
BENCHMARK(BM_Workbook)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
