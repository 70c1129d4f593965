#include "ui/slicerunner.h"

#include <QElapsedTimer>
#include <QPointer>

namespace zr5 {

SliceRunner::SliceRunner(QObject* parent) : QObject(parent) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &SliceRunner::turn);
}

void SliceRunner::start(Slice slice, bool firstTurnNow) {
    slice_ = std::move(slice);
    running_ = true;
    timer_.start();
    if (firstTurnNow)
        turn();
}

void SliceRunner::cancel() {
    if (!running_)
        return;
    stop();
    emit finished(true);
}

void SliceRunner::stop() {
    running_ = false;
    timer_.stop();
}

void SliceRunner::turn() {
    if (!running_)
        return;
    // The owner may end the job (or itself) from inside a slice or a signal.
    const QPointer<SliceRunner> alive(this);
    QElapsedTimer clock;
    clock.start();
    bool more;
    do {
        more = slice_();
        if (!alive || !running_)
            return;
    } while (more && clock.elapsed() < turnMs_);
    if (more) {
        emit progressed();
        return;
    }
    stop();
    emit finished(false);
}

} // namespace zr5
