// zr5-tool receive: a reception without windows, for long unattended logging on a field laptop.
// It records exactly as the program's timed (--seconds) or manual (--until-stopped) reception
// does, into the output file directly, and ends cleanly on SIGINT, SIGTERM or SIGHUP.

#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "link/receptioncontroller.h"
#include "model/appstate.h"
#include "model/clock.h"
#include "model/livetablerow.h"
#include "tool/commands.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zr5::tool {

namespace {

#ifdef SIGHUP
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
const int kStopSignals[] = {SIGINT, SIGTERM};
#endif
volatile std::sig_atomic_t stopSignal = 0;
extern "C" void onStopSignal(int signal) {
    stopSignal = signal;
}

const char kReceiveUsage[] =
    "用法: zr5-tool receive --port DEVICE (--seconds T | --until-stopped) [--ct R] [--pt R] "
    "[--motor P,kW,A,%,A,kW,V] [--overwrite] OUT.MTR";

bool isTerminal(std::FILE* stream) {
#ifdef Q_OS_UNIX
    return ::isatty(::fileno(stream)) == 1;
#else
    Q_UNUSED(stream);
    return false;
#endif
}

bool parseRatio(const QString& text, const char* name, float& value, QString& error) {
    if (text.isEmpty())
        return true;
    bool ok = false;
    const float v = text.toFloat(&ok);
    if (!ok || !(v > 0.0f) || v > 1.0e30f) {
        error = QStringLiteral("%1 须为正数：“%2”").arg(QLatin1String(name), text);
        return false;
    }
    value = v;
    return true;
}

} // namespace

int RunReceive(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    QString port, seconds, ct, pt, motor, error;
    if (!TakeOption(args, QStringLiteral("--port"), port, error) ||
        !TakeOption(args, QStringLiteral("--seconds"), seconds, error) ||
        !TakeOption(args, QStringLiteral("--ct"), ct, error) ||
        !TakeOption(args, QStringLiteral("--pt"), pt, error) ||
        !TakeOption(args, QStringLiteral("--motor"), motor, error))
        return Fail(context, error);
    const bool untilStopped = TakeFlag(args, QStringLiteral("--until-stopped"));
    const bool overwrite = TakeFlag(args, QStringLiteral("--overwrite"));
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")) || port.isEmpty() ||
        seconds.isEmpty() == !untilStopped)
        return Fail(context, QString::fromUtf8(kReceiveUsage));
    const QString output = args.first();
    if (QString e = ExistingOutputRefusal(output, overwrite); !e.isEmpty())
        return Fail(context, e);

    AppState state(context.dataDirectory);
    // A missing or incomplete settings file leaves the initial values; say so, then go on.
    for (const QString& problem : state.ReadSettings())
        Print(context.err, QStringLiteral("zr5-tool: 注意：%1\n").arg(OneLine(problem)));
    Settings& settings = state.settings;
    if (!parseRatio(ct, "--ct", settings.CTRatio, error) ||
        !parseRatio(pt, "--pt", settings.PTRatio, error))
        return Fail(context, error);
    if (!untilStopped) {
        bool ok = false;
        const float t = seconds.toFloat(&ok);
        if (!ok || !(t >= 0.0f) || t > 3.0e38f)
            return Fail(context,
                        QStringLiteral("--seconds 须为不小于 0 的秒数：“%1”").arg(seconds));
        settings.ReceiveDuration = settings.ConfiguredDuration = t;
    }
    if (!motor.isEmpty()) {
        const QStringList parts = motor.split(QLatin1Char(','));
        std::array<float, 7> values{};
        bool ok = parts.size() == 7;
        for (int i = 0; ok && i < 7; ++i)
            values[i] = parts[i].trimmed().toFloat(&ok);
        if (!ok)
            return Fail(context,
                        QStringLiteral("--motor 须为七个以逗号分开的数：极数,额定功率,额定电流,"
                                       "额定效率,空载电流,空载功率,额定电压：“%1”")
                            .arg(motor));
        state.model.Motor = MotorParameters::fromValues(values);
        state.model.Motor.revalidate();
    }

    SystemClock clock;
    QSerialPort serial;
    ReceptionController reception(state, clock, serial);
    reception.setTargetFile(output);
    const ReceptionMode mode = untilStopped ? ReceptionMode::Manual : ReceptionMode::Timed;
    if (QString e = reception.start(mode, port); !e.isEmpty())
        return Fail(context, OneLine(e));

    stopSignal = 0;
    // A closed terminal (SIGHUP) ends the logging as cleanly as Ctrl-C and SIGTERM do.
    for (int s : kStopSignals)
        std::signal(s, onStopSignal);

    const bool live = isTerminal(context.err);
    auto progress = [&](bool last) {
        const QString line = QStringLiteral("已接收 %1 行，%2 秒")
                                 .arg(reception.isActive() || last ? reception.rowsReceived() : 0)
                                 .arg(reception.elapsedSeconds(), 0, 'f', 1);
        Print(context.err, live ? QStringLiteral("\r%1 ").arg(line) : line + QLatin1Char('\n'));
        std::fflush(context.err);
    };

    QEventLoop loop;
    ReceptionOutcome outcome;
    QObject::connect(&reception, &ReceptionController::finished, &loop,
                     [&](const ReceptionOutcome& o) {
                         outcome = o;
                         loop.quit();
                     });
    // The signal handler only sets a flag; the stop runs here, in the event loop.
    QTimer signalPoll;
    QObject::connect(&signalPoll, &QTimer::timeout, &reception, [&] {
        if (stopSignal != 0)
            reception.stop();
    });
    signalPoll.start(100);
    QTimer progressTimer;
    QObject::connect(&progressTimer, &QTimer::timeout, &reception, [&] { progress(false); });
    progressTimer.start(live ? 1000 : 60000);
    if (reception.isActive())
        loop.exec();
    signalPoll.stop();
    progressTimer.stop();
    for (int s : kStopSignals)
        std::signal(s, SIG_DFL);

    progress(true);
    if (live)
        Print(context.err, QStringLiteral("\n"));
    if (outcome.end != ReceptionEnd::Completed) {
        // One line: the port and disk messages already say how many rows were kept.
        QString message = outcome.message;
        if (outcome.end == ReceptionEnd::RowError && outcome.complete)
            message += QStringLiteral(" 已接收的 %1 行已保存在 %2").arg(outcome.rows).arg(output);
        if (outcome.droppedFrames > 0)
            message += QStringLiteral(" ") + DroppedFramesText(outcome.droppedFrames);
        return Fail(context, message);
    }
    QString summary = QStringLiteral("%1 行已保存在 %2").arg(outcome.rows).arg(output);
    if (outcome.droppedFrames > 0)
        summary += QStringLiteral("，") + DroppedFramesText(outcome.droppedFrames);
    return PrintResult(context, summary + QLatin1Char('\n'));
}

} // namespace zr5::tool
