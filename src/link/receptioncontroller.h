#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "link/framescanner.h"
#include "model/measurementmodel.h"
#include "recording/receptionlock.h"
#include "recording/recordingfile.h"

class QSerialPort;

namespace zr5 {

class AppState;
class Clock;

enum class ReceptionMode { Timed, Manual };

enum class ReceptionEnd {
    Completed,   // the end time was reached, or the reception was stopped
    PortFailed,  // the port failed while receiving; the rows so far are kept
    RowError,    // a row could not be completed; the reception was aborted
    WriteFailed, // the recording could not be written
};

struct ReceptionOutcome {
    ReceptionMode mode = ReceptionMode::Timed;
    ReceptionEnd end = ReceptionEnd::Completed;
    QString message;          // what to show the user; empty for a plain completion
    qint64 rows = 0;          // rows written to the recording
    qint64 droppedFrames = 0; // damaged frames that were not recorded
    QString recording;        // the file written
    bool complete = true;     // the file got its extrema and is a valid recording
};

// One reception from the instrument, timed or manual, driven by the port's readyRead: bytes are
// time-stamped on arrival with the monotonic clock, scanned for frames, and every frame is scaled,
// written to the recording and completed into the shared row at once. The latest row is offered
// to the live table at most 25 times a second. Every half second the rows so far, their extrema
// and the duration so far reach the disk as a valid recording.
//
// The recording is always the data directory's temporary recording, which becomes current, so
// that a saved recording is never overwritten. However a reception ends, even by a crash, the
// file is a valid recording.
class ReceptionController : public QObject {
    Q_OBJECT
public:
    ReceptionController(AppState& state, const Clock& clock, QSerialPort& port,
                        QObject* parent = nullptr);
    ~ReceptionController() override;

    // Opens the device and starts. Fails with the message to show when the reception cannot start
    // (the port cannot be opened, the recording cannot be created, or a reception is already
    // running); nothing is changed then. portLabel names the port in messages
    // ("COM1 (/dev/ttyS0)"); the device itself when empty.
    Status start(ReceptionMode mode, const QString& device, const QString& portLabel = {});
    // The file the next receptions write; empty (the default) for the temporary recording. The
    // command-line recorder writes its output file directly, so that a crash leaves the rows there.
    void setTargetFile(const QString& path) { targetFile_ = path; }

    // Ends the reception with what it has: a manual one as its stop button does, a timed one
    // early (then the recording's duration is the time received).
    void stop();

    bool isActive() const { return active_; }
    ReceptionMode mode() const { return mode_; }
    qint64 rowsReceived() const { return rows_; }
    // Damaged frames dropped by this reception.
    qint64 framesDropped() const { return qint64(scanner_.framesDropped()); }
    // Seconds since the start, from the monotonic clock; after the end, the time the reception
    // ran.
    double elapsedSeconds() const;
    const FrameScanner& scanner() const { return scanner_; }

    static constexpr int kLiveTableIntervalMs = 40; // at most 25 repaints a second
    // Rows, extrema and duration on disk: a crash loses at most the last half second.
    static constexpr int kSyncIntervalMs = 500;
    // ... and after so many rows, so that a fast line or a full disk costs no more than these.
    static constexpr qint64 kSyncRows = 1024;

signals:
    // The latest completed row for the live table.
    void rowShown(const zr5::LiveTableRow& row);
    // The reception has ended; the port is closed and the recording is closed.
    void finished(const zr5::ReceptionOutcome& outcome);

private:
    void onReadyRead();
    void onPortError();
    void onEndTimer();
    void onSync();
    void onLiveTimer();
    void armEndTimer();
    bool processFrame(ChannelRowValues& numbers, qint64 arrivedMs);
    void offerRow(const LiveTableRow& row);
    void finish(ReceptionEnd end, const QString& message, bool stoppedEarly = false);

    AppState& state_;
    const Clock& clock_;
    QSerialPort& port_;
    QString portLabel_;
    QString portErrorReason_; // the port's latest error, in the user's words
    QString targetFile_;
    FrameScanner scanner_;
    RecordingWriter writer_;
    ReceptionLock lock_; // held from the recording's first byte to the reception's end
    QTimer endTimer_;
    QTimer syncTimer_;
    QTimer liveTimer_;
    LiveTableRow latest_;
    bool rowPending_ = false;
    bool active_ = false;
    bool finishing_ = false;
    ReceptionMode mode_ = ReceptionMode::Timed;
    qint64 startMs_ = 0;
    qint64 endMs_ = 0;
    qint64 endedMs_ = 0;
    qint64 rows_ = 0;
    float lastRowElapsed_ = 0;
    float configuredDuration_ = 0;
    float ctRatio_ = 1;
    float ptRatio_ = 1;
};

} // namespace zr5

Q_DECLARE_METATYPE(zr5::LiveTableRow)
Q_DECLARE_METATYPE(zr5::ReceptionOutcome)
