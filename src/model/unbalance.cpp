#include "model/unbalance.h"

#include <algorithm>
#include <cmath>

namespace zr5 {

std::optional<double> PercentUnbalance(double a, double b, double c) {
    double pct;
    if (!PercentUnbalanceTo(a, b, c, pct))
        return std::nullopt;
    return pct;
}

RowUnbalance RowUnbalanceOf(const SampleRowValues& r) {
    RowUnbalanceValues u;
    RowUnbalanceTo(r, u);
    RowUnbalance out;
    if (u.hasVoltage)
        out.voltage = u.voltage;
    if (u.hasCurrent)
        out.current = u.current;
    return out;
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
