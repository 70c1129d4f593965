#include "model/splitseconds.h"

#include <cmath>

namespace zr5 {

SplitTime SplitSeconds(float t) {
    SplitTime s;
    if (!(std::fabs(double(t)) <= kLongestSplitSeconds)) {
        s.InRange = false;
        return s;
    }
    const float u = t / 3600.0f;
    s.ElapsedHours = static_cast<std::int64_t>(std::floor(u));
    const float v = (u - static_cast<float>(s.ElapsedHours)) * 60.0f;
    s.ElapsedMinutes = static_cast<int>(std::trunc(v));
    s.ElapsedSeconds =
        static_cast<int>(std::trunc((v - static_cast<float>(s.ElapsedMinutes)) * 60.0f));
    const double f = double(t) - 3600.0 * double(s.ElapsedHours) - 60.0 * double(s.ElapsedMinutes) -
                     double(s.ElapsedSeconds);
    s.ElapsedHundredths = static_cast<float>(std::trunc(f * 100.0 + 0.5));
    if (s.ElapsedHundredths == 100.0f) {
        s.ElapsedHundredths = 0;
        s.ElapsedSeconds += 1;
    }
    if (s.ElapsedSeconds >= 60) {
        s.ElapsedSeconds = 0;
        s.ElapsedMinutes += 1;
    }
    if (s.ElapsedMinutes > 59) {
        s.ElapsedMinutes = 0;
        s.ElapsedHours += 1;
    }
    return s;
}

} // namespace zr5
