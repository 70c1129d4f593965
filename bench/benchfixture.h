#pragma once

// What the benchmarks share: the 1,000,000-row synthetic recording, the cumulative pass over it
// (the yardstick the other figures stand beside), and a main for benchmarks that need Qt's GUI.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "analysis/cumulative.h"
#include "recording/synthetic.h"

namespace zr5::bench {

constexpr qint64 kLongRows = 1000000;

// A folder that lives as long as the benchmark program.
inline QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

// Ten hours of rows from 10:00, written once on first use.
inline const QString& LongRecordingPath() {
    static const QString path = [] {
        const QString p = Folder().filePath(QStringLiteral("bench.MTR"));
        if (!WriteSyntheticRecording(p, kLongRows, 36000, 1))
            std::abort();
        return p;
    }();
    return path;
}

inline void CumulativePass(benchmark::State& s) {
    AppState state{DataDirectory(Folder().path())};
    state.recordingOpened(LongRecordingPath());
    for (auto _ : s) {
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (!pass.runAll())
            s.SkipWithError("pass failed");
        benchmark::DoNotOptimize(state.analysis.TotalActiveEnergy);
    }
    s.SetItemsProcessed(s.iterations() * kLongRows);
}

// Runs the registered benchmarks inside an application of type App on the offscreen platform.
template <class App> int RunWithApplication(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace zr5::bench
