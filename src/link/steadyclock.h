#pragma once

#include "ui/services.h"

namespace zr5 {

// The clock for programs without windows (the command-line recorder): the wall clock's seconds
// since midnight for the recording header, a steady clock for every elapsed time.
class SteadyClock final : public Clock {
public:
    double secondsSinceMidnight() const override;
    qint64 monotonicMilliseconds() const override;
};

} // namespace zr5
