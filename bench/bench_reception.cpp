// Reception from the simulated instrument over a pseudo-terminal: the frame rate the reception
// keeps up with when the instrument sends as fast as the line takes (no frame may be lost), and
// the reception's CPU time per frame at the real line rate (9600 baud, about 29 frames a second).
// The frame scanner alone is measured beside them.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <ctime>
#include <thread>

#include "link/framescanner.h"
#include "link/receptioncontroller.h"
#include "model/appstate.h"
#include "model/clock.h"
#include "sim/pseudoterminal.h"
#include "sim/simulatedinstrument.h"

using namespace zr5;

namespace {

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_FrameScanner(benchmark::State& s) {
    sim::SimulatedInstrument instrument(1, sim::FrameFormat{true, 4, false});
    QByteArray stream;
    for (int k = 0; k < 10000; ++k)
        stream += instrument.frameBytes(k);
    ChannelRowValues v;
    for (auto _ : s) {
        FrameScanner scanner;
        for (qsizetype at = 0; at < stream.size(); at += 512) {
            scanner.feed(stream.constData() + at,
                         std::size_t(std::min<qsizetype>(512, stream.size() - at)));
            while (scanner.next(v))
                benchmark::DoNotOptimize(v);
        }
    }
    s.SetItemsProcessed(s.iterations() * 10000);
    s.SetBytesProcessed(s.iterations() * stream.size());
}
BENCHMARK(BM_FrameScanner);

// One reception of `frames` frames written by a second thread, `gapSeconds` apart (0: as fast as
// the line takes them). Returns the rows received; cpuSeconds gets the reception thread's time.
qint64 receive(int frames, double gapSeconds, double& cpuSeconds, double& wallSeconds) {
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};
    state.settings.ConfiguredDuration = state.settings.ReceiveDuration = 1e6f;
    SystemClock clock;
    QSerialPort port;
    ReceptionController reception(state, clock, port);
    sim::PseudoTerminal line;
    if (!line.open() || !reception.start(ReceptionMode::Manual, line.devicePath()))
        return -1;
    sim::SimulatedInstrument instrument(2);
    std::vector<QByteArray> bytes;
    for (int k = 0; k < frames; ++k)
        bytes.push_back(instrument.frameBytes(k));

    const qint64 startMs = clock.monotonicMilliseconds();
    const double cpuStart = threadCpuSeconds();
    std::thread instrumentThread([&] {
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        for (const QByteArray& b : bytes) {
            line.write(b.constData(), std::size_t(b.size()));
            if (gapSeconds > 0) {
                const long long ns = next.tv_nsec + (long long)(gapSeconds * 1e9);
                next.tv_sec += time_t(ns / 1000000000LL);
                next.tv_nsec = long(ns % 1000000000LL);
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            }
        }
    });
    // Until every frame is in, or nothing has come for two seconds.
    QEventLoop loop;
    QTimer watch;
    qint64 lastRows = -1, lastChangeMs = startMs;
    QObject::connect(&reception, &ReceptionController::rowShown, &loop, [&] {
        if (reception.rowsReceived() >= frames)
            loop.quit();
    });
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.monotonicMilliseconds();
        if (reception.rowsReceived() >= frames)
            loop.quit();
        else if (reception.rowsReceived() != lastRows) {
            lastRows = reception.rowsReceived();
            lastChangeMs = now;
        } else if (now - lastChangeMs > 2000)
            loop.quit();
    });
    watch.start(100);
    loop.exec();
    cpuSeconds = threadCpuSeconds() - cpuStart;
    wallSeconds = double(clock.monotonicMilliseconds() - startMs) / 1000.0;
    instrumentThread.join();
    const qint64 rows = reception.rowsReceived();
    reception.stop();
    return rows;
}

void BM_ReceptionFastestLine(benchmark::State& s) {
    const int frames = int(s.range(0));
    qint64 lost = 0;
    double wall = 0;
    for (auto _ : s) {
        double cpu = 0, w = 0;
        const qint64 rows = receive(frames, 0, cpu, w);
        lost += frames - rows;
        wall += w;
        s.SetIterationTime(w);
    }
    s.counters["frames_per_second"] =
        benchmark::Counter(double(frames) * double(s.iterations()) / wall);
    s.counters["frames_lost"] = double(lost);
}
BENCHMARK(BM_ReceptionFastestLine)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ReceptionCpuAtLineRate(benchmark::State& s) {
    const int frames = int(s.range(0));
    constexpr double kFrameSeconds = 33.0 / 960.0; // 33 bytes at 960 bytes a second
    double cpu = 0;
    qint64 lost = 0;
    for (auto _ : s) {
        double c = 0, w = 0;
        lost += frames - receive(frames, kFrameSeconds, c, w);
        cpu += c;
        s.SetIterationTime(w);
    }
    s.counters["cpu_us_per_frame"] = 1e6 * cpu / (double(frames) * double(s.iterations()));
    s.counters["cpu_share_percent"] =
        100.0 * cpu / (double(frames) * kFrameSeconds * double(s.iterations()));
    s.counters["frames_lost"] = double(lost);
}
BENCHMARK(BM_ReceptionCpuAtLineRate)
    ->Arg(150)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
