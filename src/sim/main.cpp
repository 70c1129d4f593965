// zr5-sim: a simulated ZR-5 instrument on a pseudo-terminal. It prints the device to open as the
// serial port, then streams the frames of a running motor until it is stopped.

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <limits>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "model/commandline.h"
#include "sim/pseudoterminal.h"
#include "sim/simulatedinstrument.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
extern "C" void onStopSignal(int) {
    stopRequested = 1;
}

// With --exit-with-parent: the process that started the simulator. Should its end-of-parent
// signal be lost (it comes when the starting thread ends, not the process), a changed parent
// tells the same.
pid_t parentProcess = 0;

bool shouldStop() {
    if (parentProcess != 0 && ::getppid() != parentProcess)
        stopRequested = 1;
    return stopRequested != 0;
}

constexpr double kLineBytesPerSecond = 960.0; // 9600 baud, ten bits a byte

const char kUsage[] = "用法: zr5-sim [选项]\n";

QList<QCommandLineOption> Options() {
    auto option = [](const char* name, const char* description, const char* value = nullptr) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                                  value ? QString::fromLatin1(value) : QString());
    };
    return {option("rate", "每秒发送 F 帧（默认按 9600 波特的线路速率；0 = 尽快发送）", "F"),
            option("frames", "发送 N 帧后停止发送，保持线路（默认一直发送）", "N"),
            option("hangup-after", "发送 N 帧后断开线路并退出（模拟拔掉电缆）", "N"),
            option("garbage", "每帧之前加 N 个干扰字节", "N"),
            option("split", "每帧分成几段写出"),
            option("no-trailer", "帧尾不加三个字节"),
            option("ct", "仪表前的电流互感器倍率（默认 1）", "R"),
            option("pt", "仪表前的电压互感器倍率（默认 1）", "R"),
            option("load", "平均负载率，百分数（默认 75）", "P"),
            option("seed", "随机种子（默认 1）", "S"),
            option("exit-with-parent", "启动它的程序结束时随之退出"),
            zr5::HelpOption(),
            zr5::VersionOption()};
}

// How late the simulator may fall before it stops making up lost time.
constexpr double kCatchUpLimit = 0.05;

void sleepUntil(timespec& deadline) {
    while (!stopRequested &&
           clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

void advance(timespec& t, double seconds) {
    const long long ns = t.tv_nsec + (long long)(seconds * 1e9);
    t.tv_sec += time_t(ns / 1000000000LL);
    t.tv_nsec = long(ns % 1000000000LL);
}

double secondsBetween(const timespec& from, const timespec& to) {
    return double(to.tv_sec - from.tv_sec) + double(to.tv_nsec - from.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zr5::CommandLine options(Options());
    auto refuse = [](const QString& what) {
        std::fprintf(stderr, "zr5-sim: %s；zr5-sim --help 列出所有选项\n", qPrintable(what));
        return 2;
    };
    if (const zr5::Status parsed = options.parse(app.arguments()); !parsed)
        return refuse(options.unknownOption()
                          ? parsed.error()
                          : QStringLiteral("无法识别的选项或数值：") + parsed.error());
    if (options.isSet(QStringLiteral("version")))
        return zr5::PrintVersion("zr5-sim");
    if (options.isSet(QStringLiteral("help")))
        return zr5::PrintOnStandardOutput("zr5-sim",
                                          QString::fromUtf8(kUsage) + options.optionsHelp());
    if (!options.positional().isEmpty())
        return refuse(QStringLiteral("无法识别的参数 %1").arg(options.positional().first()));

    zr5::sim::FrameFormat format;
    double rate = -1; // frames a second; below 0 the line rate
    long long frames = -1;
    long long hangupAfter = -1;
    float ct = 1, pt = 1, load = 75;
    unsigned seed = 1;
    // Each value given: a number within its bounds, or the option is refused.
    QString badValue;
    auto given = [&](const char* name, auto read) {
        const QString key = QString::fromLatin1(name);
        if (!options.isSet(key) || !badValue.isEmpty())
            return;
        if (!read(options.value(key)))
            badValue = QStringLiteral("--%1 %2").arg(key, options.value(key));
    };
    // Counts are never negative; a frame's noise stays within a few seconds of options.
    auto count = [](long long& to, long long most) {
        return [&to, most](const QString& text) {
            bool ok = false;
            to = text.toLongLong(&ok);
            return ok && to >= 0 && to <= most;
        };
    };
    auto positive = [](float& to, bool zeroAllowed) {
        return [&to, zeroAllowed](const QString& text) {
            bool ok = false;
            to = text.toFloat(&ok);
            return ok && (to > 0 || (zeroAllowed && to >= 0));
        };
    };
    long long garbage = 0;
    given("rate", [&](const QString& text) {
        bool ok = false;
        rate = text.toDouble(&ok);
        return ok && rate >= 0;
    });
    given("frames", count(frames, std::numeric_limits<long long>::max()));
    given("hangup-after", count(hangupAfter, std::numeric_limits<long long>::max()));
    given("garbage", count(garbage, 4096));
    given("ct", positive(ct, false));
    given("pt", positive(pt, false));
    given("load", positive(load, true));
    given("seed", [&](const QString& text) {
        bool ok = false;
        seed = text.toUInt(&ok);
        return ok;
    });
    if (!badValue.isEmpty())
        return refuse(QStringLiteral("无法识别的数值：") + badValue);
    format.garbageBytes = int(garbage);
    format.splitFrames = options.isSet(QStringLiteral("split"));
    format.trailer = !options.isSet(QStringLiteral("no-trailer"));
    if (options.isSet(QStringLiteral("exit-with-parent"))) {
#ifdef __linux__
        prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
        parentProcess = ::getppid();
    }

    struct sigaction action {};
    action.sa_handler = onStopSignal; // no SA_RESTART: a blocked write returns at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    zr5::sim::PseudoTerminal line;
    if (const zr5::Status opened = line.open(); !opened) {
        std::fprintf(stderr, "zr5-sim: %s\n", qPrintable(opened.error()));
        return 1;
    }
    // The caller learns the line's name from this one line: without it nobody can connect.
    if (std::printf("%s\n", qPrintable(line.devicePath())) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "zr5-sim: 无法写出线路名称 %s\n", qPrintable(line.devicePath()));
        return 1;
    }

    zr5::sim::SimulatedInstrument instrument(seed, format);
    instrument.setTransformerRatios(ct, pt);
    instrument.setLoadPercent(load);

    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    long long sent = 0;
    bool lineGone = false;
    while (!shouldStop() && (frames < 0 || sent < frames) &&
           (hangupAfter < 0 || sent < hangupAfter)) {
        const QByteArray bytes = instrument.frameBytes(std::uint64_t(sent));
        std::vector<int> cuts = instrument.splitPoints(std::uint64_t(sent));
        cuts.push_back(int(bytes.size()));
        int from = 0;
        for (int cut : cuts) {
            if (!line.write(bytes.constData() + from, std::size_t(cut - from), nullptr,
                            shouldStop)) {
                lineGone = !stopRequested;
                break;
            }
            from = cut;
            if (cut < bytes.size()) {
                // Let the reader take the first piece alone.
                timespec pause = next;
                clock_gettime(CLOCK_MONOTONIC, &pause);
                advance(pause, 0.002);
                sleepUntil(pause);
            }
        }
        if (lineGone || stopRequested)
            break;
        ++sent;
        const double seconds =
            rate < 0 ? double(bytes.size()) / kLineBytesPerSecond : (rate > 0 ? 1.0 / rate : 0.0);
        if (seconds > 0) {
            // A write that waited because nobody read the line owes nothing: like the real
            // instrument, the pace starts again from now instead of sending the missed frames at
            // full speed. A little lateness (waking up, writing) is made up as usual.
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (secondsBetween(next, now) > std::max(seconds, kCatchUpLimit))
                next = now;
            advance(next, seconds);
            sleepUntil(next);
        }
    }
    if (lineGone) {
        std::fprintf(stderr, "zr5-sim: 线路写入失败，已发送 %lld 帧\n", sent);
        return 1;
    }
    if (hangupAfter >= 0 && sent >= hangupAfter) {
        line.hangUp();
        std::fprintf(stderr, "zr5-sim: 已发送 %lld 帧，线路已断开\n", sent);
        return 0;
    }
    // With --frames the line stays open and silent until the simulator is stopped.
    while (!shouldStop()) {
        timespec idle{};
        clock_gettime(CLOCK_MONOTONIC, &idle);
        advance(idle, 0.1);
        sleepUntil(idle);
    }
    std::fprintf(stderr, "zr5-sim: 已发送 %lld 帧\n", sent);
    return 0;
}
