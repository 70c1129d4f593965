#include "model/unbalance.h"

#include <algorithm>
#include <cmath>

namespace zr5 {

std::optional<double> PercentUnbalance(double a, double b, double c) {
    const double mean = (a + b + c) / 3.0;
    if (!(mean > 0))
        return std::nullopt;
    const double deviation =
        std::max({std::fabs(a - mean), std::fabs(b - mean), std::fabs(c - mean)});
    return 100.0 * deviation / mean;
}

RowUnbalance RowUnbalanceOf(const SampleRowValues& r) {
    auto at = [&](int slot) { return std::fabs(double(r[std::size_t(slot)])); };
    return {PercentUnbalance(at(Slot::Voltage1), at(Slot::Voltage2), at(Slot::Voltage3)),
            PercentUnbalance(at(Slot::Current1), at(Slot::Current2), at(Slot::Current3))};
}

std::optional<double> UnbalanceDerating(double pct) {
    constexpr double points[][2] = {{1, 1.0}, {2, 0.95}, {3, 0.88}, {4, 0.82}, {5, 0.75}};
    if (!(pct <= 5.0))
        return std::nullopt;
    if (pct <= 1.0)
        return 1.0;
    for (int i = 0; i + 1 < 5; ++i)
        if (pct <= points[i + 1][0]) {
            const double t = (pct - points[i][0]) / (points[i + 1][0] - points[i][0]);
            return points[i][1] + t * (points[i + 1][1] - points[i][1]);
        }
    return points[4][1];
}

} // namespace zr5
