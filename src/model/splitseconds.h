#pragma once

#include <cstdint>

namespace zr5 {

// An elapsed time split into hours, minutes, seconds and hundredths.
struct SplitTime {
    std::int64_t ElapsedHours = 0;
    int ElapsedMinutes = 0;
    int ElapsedSeconds = 0;
    float ElapsedHundredths = 0; // whole hundredths 0..99
    bool operator==(const SplitTime&) const = default;
};

// Splits seconds the way every time box and report shows them. The products of hours and minutes
// are formed in 64 bits, so recordings of ten hours and more split correctly.
SplitTime SplitSeconds(float seconds);

} // namespace zr5
