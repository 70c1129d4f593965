// zr5-tool receive: a reception without windows, for long unattended logging on a field laptop.
// It records exactly as the program's timed (--seconds) or manual (--until-stopped) reception
// does, into the output file directly, and ends cleanly on SIGINT, SIGTERM or SIGHUP.

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
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

QList<QCommandLineOption> ReceiveOptions() {
    return {Option("port", "串行口设备（如 /dev/ttyUSB0）", "DEVICE"),
            Option("seconds", "定时接收 T 秒", "T"),
            Option("until-stopped", "一直接收，到 Ctrl-C、SIGTERM 或 SIGHUP 为止"),
            Option("ct", "电流互感器倍率（默认取设置文件）", "R"),
            Option("pt", "电压互感器倍率（默认取设置文件）", "R"),
            Option("motor",
                   "电机额定数据：极数,额定功率,额定电流,额定效率,空载电流,空载功率,额定电压\n"
                   "（按电机参数对话框的规则确认；默认为 0）",
                   "P,kW,A,%,A,kW,V"),
            OverwriteOption()};
}

int RunReceive(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const QString port = line.value(QStringLiteral("port"));
    const QString seconds = line.value(QStringLiteral("seconds"));
    const QString ct = line.value(QStringLiteral("ct"));
    const QString pt = line.value(QStringLiteral("pt"));
    const QString motor = line.value(QStringLiteral("motor"));
    const bool untilStopped = line.isSet(QStringLiteral("until-stopped"));
    const bool overwrite = line.isSet(QStringLiteral("overwrite"));
    QString error;
    if (args.size() != 1 || port.isEmpty() || seconds.isEmpty() == !untilStopped)
        return UsageFail(context);
    const QString output = args.first();
    // The port is read, the recording written: a port that is a file is no serial port.
    if (const QFileInfo portFile(port); portFile.isDir() || portFile.isFile())
        return Fail(context, QStringLiteral("--port %1 是%2，不是串行口设备")
                                 .arg(port, portFile.isDir() ? QStringLiteral("文件夹")
                                                             : QStringLiteral("普通文件")));
    if (Status e = FilesRefusal({}, {output}, overwrite); !e)
        return Fail(context, e.error());
    const bool existed = QFileInfo::exists(output);
    const qint64 sizeBefore = QFileInfo(output).size();
    // Refused before anything is recorded, by the motor dialog's rule: data it would not take
    // would make the analyses of the recording refuse it.
    MotorParameters motorData;
    if (!motor.isEmpty())
        if (Status e = ConfirmMotorOption(motorData, context.dataDirectory, motor, {}); !e)
            return Fail(context, e.error());

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
    if (!motor.isEmpty())
        state.model.Motor = motorData;

    SystemClock clock;
    QSerialPort serial;
    ReceptionController reception(state, clock, serial);
    reception.setTargetFile(output);
    const ReceptionMode mode = untilStopped ? ReceptionMode::Manual : ReceptionMode::Timed;
    // A reception that failed before its file became a recording (a full disk at the start)
    // leaves no empty or partial file behind.
    auto dropUnfinishedOutput = [&] {
        if (const QFileInfo after(output); after.exists() && after.size() < kEmptyRecordingBytes &&
                                           (!existed || after.size() != sizeBefore))
            QFile::remove(output);
    };
    if (Status started = reception.start(mode, port); !started) {
        dropUnfinishedOutput();
        return Fail(context, OneLine(started.error()));
    }

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
        dropUnfinishedOutput();
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
