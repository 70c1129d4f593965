#pragma once

#include <QtGlobal>

namespace zr5 {

// The clock: wall-clock seconds since midnight (what a recording stores as its start time) and a
// monotonic reading for elapsed times, which neither midnight nor a clock change disturbs. The
// windows and the command-line recorder receive it, so that tests can drive time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() const = 0;
    virtual qint64 monotonicMilliseconds() const = 0;
};

// The computer's clocks.
class SystemClock final : public Clock {
public:
    double secondsSinceMidnight() const override;
    qint64 monotonicMilliseconds() const override;
};

} // namespace zr5
