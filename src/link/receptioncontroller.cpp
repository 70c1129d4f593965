#include "link/receptioncontroller.h"

#include <QDir>
#include <QSerialPort>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

#include "link/portlist.h"
#include "link/serialerror.h"
#include "model/appstate.h"
#include "model/clock.h"
#include "model/instrumentnumber.h"

namespace zr5 {

namespace {

constexpr qint64 kLongestTimerMs = 3600 * 1000; // the end timer is re-armed at least hourly

} // namespace

ReceptionController::ReceptionController(AppState& state, const Clock& clock, QSerialPort& port,
                                         QObject* parent)
    : QObject(parent), state_(state), clock_(clock), port_(port) {
    qRegisterMetaType<zr5::LiveTableRow>();
    qRegisterMetaType<zr5::ReceptionOutcome>();
    endTimer_.setSingleShot(true);
    endTimer_.setTimerType(Qt::PreciseTimer);
    liveTimer_.setSingleShot(true);
    syncTimer_.setInterval(kSyncIntervalMs);

    connect(&port_, &QSerialPort::readyRead, this, &ReceptionController::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError || !active_)
            return;
        portErrorReason_ = SerialErrorReason(e, errno);
        // Close the port only after the port's own notification has returned.
        QMetaObject::invokeMethod(this, &ReceptionController::onPortError, Qt::QueuedConnection);
    });
    connect(&endTimer_, &QTimer::timeout, this, &ReceptionController::onEndTimer);
    connect(&syncTimer_, &QTimer::timeout, this, &ReceptionController::onSync);
    connect(&liveTimer_, &QTimer::timeout, this, &ReceptionController::onLiveTimer);
}

ReceptionController::~ReceptionController() {
    // Whoever listened may be gone already: complete the file quietly.
    blockSignals(true);
    if (active_)
        finish(ReceptionEnd::Completed, {}, true);
}

double ReceptionController::elapsedSeconds() const {
    const qint64 until = active_ ? clock_.monotonicMilliseconds() : endedMs_;
    return double(until - startMs_) / 1000.0;
}

Status ReceptionController::start(ReceptionMode mode, const QString& device,
                                  const QString& portLabel) {
    if (active_)
        return Status::failure(QStringLiteral("数据接收正在进行，请先终止当前的接收！"));
    const QString label = portLabel.isEmpty() ? QDir::toNativeSeparators(device) : portLabel;
    if (device.isEmpty())
        return Status::failure(
            QStringLiteral("串行口 %1 没有对应的设备，请检查串行口设置！").arg(label));

    if (Status opened = OpenInstrumentPort(port_, device, label); !opened)
        return opened;
    // Whatever waited before the start belongs to no reception.
    port_.clear(QSerialPort::Input);
    port_.readAll();

    MeasurementModel& model = state_.model;
    Settings& settings = state_.settings;
    RecordingHeader header;
    header.StartTime = float(clock_.secondsSinceMidnight());
    // The configured time: an analysis may have left another recording's duration in
    // ReceiveDuration meanwhile.
    header.Duration = settings.ConfiguredDuration;
    header.Motor = model.Motor.values();
    header.CTFlags = {float(settings.RedCTInUse), float(settings.BlueCTInUse),
                      float(settings.YellowCTInUse)};
    const qint64 startMs = clock_.monotonicMilliseconds();

    // The temporary recording unless told otherwise: never over a saved one, never an empty name.
    const QString path =
        targetFile_.isEmpty() ? state_.dataDirectory.temporaryRecording() : targetFile_;
    QString error = targetFile_.isEmpty() ? state_.dataDirectory.ensureExists().error() : QString();
    // A valid recording from the start: no rows yet, the initial extrema, a duration of 0.
    model.resetExtrema();
    // Another reception into the same file would interleave its rows with ours.
    if (error.isEmpty())
        if (const Status locked = lock_.acquire(path); !locked)
            error = QStringLiteral("无法接收到数据文件 %1：%2！")
                        .arg(QDir::toNativeSeparators(path), locked.error());
    if (error.isEmpty())
        error = writer_.create(path, header, OutputFile::Mode::InPlace).error();
    if (error.isEmpty())
        error = writer_.checkpoint(model.RowMaximum, model.RowMinimum, 0.0f).error();
    if (!error.isEmpty()) {
        port_.close();
        lock_.release();
        return Status::failure(error);
    }

    state_.receptionStarted(path);
    model.StartTime = header.StartTime;
    model.ElapsedTime = 0;
    model.Energy.reset();
    scanner_.clear();
    rows_ = 0;
    lastRowElapsed_ = 0;
    configuredDuration_ = header.Duration;
    rowPending_ = false;
    latest_ = LiveTableRow{}; // zeros until the first row, as at start-up
    // The ratios hold for the whole recording, whatever the settings dialog changes meanwhile.
    ctRatio_ = settings.CTRatio;
    ptRatio_ = settings.PTRatio;
    mode_ = mode;
    portLabel_ = label;
    startMs_ = endedMs_ = startMs;
    active_ = true;
    finishing_ = false;
    syncTimer_.start();
    if (mode == ReceptionMode::Timed) {
        const double duration = std::isfinite(header.Duration) ? header.Duration : 0.0;
        const double endMs = double(startMs) + std::max(0.0, duration) * 1000.0;
        endMs_ =
            endMs >= 9.0e18 ? std::numeric_limits<qint64>::max() / 2 : qint64(std::ceil(endMs));
        armEndTimer();
    }
    return {};
}

void ReceptionController::stop() {
    if (active_)
        finish(ReceptionEnd::Completed, {}, true);
}

void ReceptionController::armEndTimer() {
    const qint64 remaining = endMs_ - clock_.monotonicMilliseconds();
    endTimer_.start(int(std::clamp<qint64>(remaining, 0, kLongestTimerMs)));
}

void ReceptionController::onEndTimer() {
    if (!active_ || mode_ != ReceptionMode::Timed)
        return;
    if (clock_.monotonicMilliseconds() >= endMs_)
        finish(ReceptionEnd::Completed, {});
    else
        armEndTimer();
}

void ReceptionController::onReadyRead() {
    if (!active_ || finishing_)
        return;
    const qint64 arrived = clock_.monotonicMilliseconds();
    if (mode_ == ReceptionMode::Timed && arrived >= endMs_) {
        finish(ReceptionEnd::Completed, {});
        return;
    }
    const QByteArray data = port_.readAll();
    scanner_.feed(data.constData(), std::size_t(data.size()));
    ChannelRowValues numbers;
    while (active_ && !finishing_ && scanner_.next(numbers))
        if (!processFrame(numbers, arrived))
            return;
}

bool ReceptionController::processFrame(ChannelRowValues& numbers, qint64 arrivedMs) {
    ApplyTransformerRatios(numbers, ctRatio_, ptRatio_);
    if (!IsPossibleReading(numbers)) {
        // A frame cut short, whose numbers ran into the next frame: not a row. The scan goes on
        // inside it, so the next frame is still found.
        scanner_.dropLast();
        latest_.droppedFrames = framesDropped();
        offerRow(latest_);
        return true;
    }
    if (Status written = writer_.appendRow(numbers); !written) {
        finish(ReceptionEnd::WriteFailed, written.error());
        return false;
    }
    ++rows_;

    MeasurementModel& model = state_.model;
    SampleRowValues row{};
    std::copy(numbers.begin(), numbers.end(), row.begin());
    // Elapsed time from the monotonic clock: a reception across midnight keeps counting up.
    const float elapsed = float(double(arrivedMs - startMs_) / 1000.0);
    model.ElapsedTime = elapsed;
    // The row is in the file now, even if it fails below: the duration must cover it, or the
    // row times of the recording would be squeezed.
    lastRowElapsed_ = elapsed;
    const Result<LiveTableRow> done =
        ProcessSampleRow(model, elapsed, 0.0f, elapsed, row, model.ChannelRow);
    model.SampleRow = row;
    if (!done) {
        finish(ReceptionEnd::RowError, done.error());
        return false;
    }
    LiveTableRow shown = *done;
    shown.droppedFrames = framesDropped();
    offerRow(shown);
    if (rows_ % kSyncRows == 0) {
        onSync();
        return active_ && !finishing_;
    }
    return true;
}

void ReceptionController::offerRow(const LiveTableRow& row) {
    latest_ = row;
    rowPending_ = true;
    if (!liveTimer_.isActive())
        onLiveTimer();
}

void ReceptionController::onLiveTimer() {
    if (!rowPending_)
        return;
    rowPending_ = false;
    liveTimer_.start(kLiveTableIntervalMs);
    emit rowShown(latest_);
}

void ReceptionController::onSync() {
    if (!active_)
        return;
    const MeasurementModel& model = state_.model;
    if (Status synced = writer_.checkpoint(model.RowMaximum, model.RowMinimum, lastRowElapsed_);
        !synced)
        finish(ReceptionEnd::WriteFailed, synced.error());
}

void ReceptionController::onPortError() {
    if (!active_ || finishing_)
        return;
    const QString reason = portErrorReason_;
    // Bytes the port had already taken in still count.
    if (port_.bytesAvailable() > 0)
        onReadyRead();
    if (!active_ || finishing_)
        return;
    finish(ReceptionEnd::PortFailed,
           QStringLiteral("串行口 %1 在接收过程中出错：%2！\r\n已接收的 %3 行数据已保留。")
               .arg(portLabel_.isEmpty() ? QDir::toNativeSeparators(port_.portName()) : portLabel_,
                    reason)
               .arg(rows_));
}

void ReceptionController::finish(ReceptionEnd end, const QString& message, bool stoppedEarly) {
    if (!active_ || finishing_)
        return;
    finishing_ = true;
    endedMs_ = clock_.monotonicMilliseconds();
    endTimer_.stop();
    syncTimer_.stop();
    liveTimer_.stop();
    if (rowPending_) {
        rowPending_ = false;
        emit rowShown(latest_);
    }
    port_.close();

    // A manual reception, and a timed one ended early, cover the time up to their last row; a
    // completed timed one the time it was set to run.
    const bool coversLastRow =
        mode_ == ReceptionMode::Manual || stoppedEarly || end != ReceptionEnd::Completed;
    const float duration = coversLastRow ? lastRowElapsed_ : configuredDuration_;
    ReceptionOutcome outcome;
    outcome.mode = mode_;
    outcome.end = end;
    outcome.message = message;
    outcome.recording = writer_.path();
    const MeasurementModel& model = state_.model;
    // The rows, the extrema and the duration on the disk at once, so a power cut now loses
    // nothing; after a failed write the file keeps the rows of the last good checkpoint.
    const QString error = writer_.finish(model.RowMaximum, model.RowMinimum, &duration).error();
    lock_.release();
    outcome.rows = writer_.rowsWritten();
    outcome.droppedFrames = framesDropped();
    outcome.complete = writer_.fileValid();
    if (!error.isEmpty() && outcome.end == ReceptionEnd::Completed)
        outcome.end = ReceptionEnd::WriteFailed;
    if (!error.isEmpty())
        outcome.message = outcome.message.isEmpty()
                              ? error
                              : QStringLiteral("%1\r\n%2").arg(outcome.message, error);
    if (outcome.end == ReceptionEnd::WriteFailed)
        outcome.message +=
            outcome.complete ? QStringLiteral("\r\n数据文件中保留了 %1 行数据。").arg(outcome.rows)
                             : QStringLiteral("\r\n数据文件已不完整。");
    active_ = false;
    finishing_ = false;
    emit finished(outcome);
}

} // namespace zr5
