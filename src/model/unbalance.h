#pragma once

#include <cmath>
#include <optional>

#include "model/types.h"

namespace zr5 {

// Percent unbalance of three magnitudes as NEMA MG-1 defines it: 100 × the largest deviation of
// one from the mean of the three, divided by that mean. None when the mean is not above 0.
std::optional<double> PercentUnbalance(double a, double b, double c);

// The same without branches, for loops over many rows: writes the unbalance to `pct` whatever the
// mean, and returns whether there is one (the mean is above 0).
inline bool PercentUnbalanceTo(double a, double b, double c, double& pct) {
    const double mean = (a + b + c) / 3.0;
    // The largest deviation, the first of equal ones (as std::max of the three picks it).
    double deviation = std::fabs(a - mean);
    const double second = std::fabs(b - mean), third = std::fabs(c - mean);
    deviation = deviation < second ? second : deviation;
    deviation = deviation < third ? third : deviation;
    pct = 100.0 * deviation / mean;
    return mean > 0;
}

// A row's voltage and current unbalance from the magnitudes of its three voltages and currents.
struct RowUnbalance {
    std::optional<double> voltage, current;
};
RowUnbalance RowUnbalanceOf(const SampleRowValues& row);

// The same for loops over many rows: the has-flags say what the optionals would hold.
struct RowUnbalanceValues {
    double voltage = 0, current = 0;
    bool hasVoltage = false, hasCurrent = false;
};
inline void RowUnbalanceTo(const SampleRowValues& r, RowUnbalanceValues& u) {
    auto at = [&](int slot) { return std::fabs(double(r[std::size_t(slot)])); };
    u.hasVoltage =
        PercentUnbalanceTo(at(Slot::Voltage1), at(Slot::Voltage2), at(Slot::Voltage3), u.voltage);
    u.hasCurrent =
        PercentUnbalanceTo(at(Slot::Current1), at(Slot::Current2), at(Slot::Current3), u.current);
}

// Only with all three current transformers in use does a row carry three phases.
inline bool ThreePhasesWired(int red, int blue, int yellow) {
    return red == 1 && blue == 1 && yellow == 1;
}

// The factor a motor's rated output is derated by for a voltage unbalance in percent, by the
// curve NEMA MG-1 draws: 1 up to 1 %, 0.95 at 2 %, 0.88 at 3 %, 0.82 at 4 %, 0.75 at 5 %, linear
// between. None above 5 %: the motor should not run there at all.
std::optional<double> UnbalanceDerating(double voltageUnbalancePct);

} // namespace zr5
