#pragma once

#include <cstdint>

namespace zr5 {

// An elapsed time split into hours, minutes, seconds and hundredths.
struct SplitTime {
    std::int64_t ElapsedHours = 0;
    int ElapsedMinutes = 0;
    int ElapsedSeconds = 0;
    float ElapsedHundredths = 0; // whole hundredths 0..99
    bool InRange = true;         // false for a time no clock shows (all parts are 0 then)
    bool operator==(const SplitTime&) const = default;
};

// Splits seconds the way every time box and report shows them. The products of hours and minutes
// are formed in 64 bits, so recordings of ten hours and more split correctly. A time beyond
// kLongestSplitSeconds (or not a number) is not split: all parts are 0 and InRange is false.
constexpr double kLongestSplitSeconds = 3.6e15; // a thousand billion hours
SplitTime SplitSeconds(float seconds);

} // namespace zr5
