#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace zr5 {

// Long work on the GUI thread: a job that does one slice per turn of the event loop, so that the
// windows stay alive and no handler runs in the middle of another (no nested event loop). A turn
// repeats the slice until it says it is done or the turn's time is up; after each turn the owner
// hears of the progress, and the job can be cancelled between any two turns.
class SliceRunner : public QObject {
    Q_OBJECT
public:
    // Does a piece of the work; false once nothing remains.
    using Slice = std::function<bool()>;

    explicit SliceRunner(QObject* parent = nullptr);
    // The longest a turn keeps the events waiting (0: one slice per turn).
    void setTurnTime(qint64 milliseconds) { turnMs_ = milliseconds; }
    // Starts the job; with firstTurnNow the first turn runs before start returns (a short job is
    // then done at once).
    void start(Slice slice, bool firstTurnNow = false);
    // Stops the job before its next turn: finished(true) follows at once.
    void cancel();
    // Stops the job without a word (the program is ending).
    void stop();
    bool running() const { return running_; }

signals:
    // After every turn but the last.
    void progressed();
    // The job ended: all done, or cancelled.
    void finished(bool cancelled);

private:
    void turn();

    Slice slice_;
    QTimer timer_;
    qint64 turnMs_ = 30;
    bool running_ = false;
};

} // namespace zr5
