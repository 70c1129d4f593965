#pragma once

#include <optional>

#include "model/types.h"

namespace zr5 {

// Percent unbalance of three magnitudes as NEMA MG-1 defines it: 100 × the largest deviation of
// one from the mean of the three, divided by that mean. None when the mean is not above 0.
std::optional<double> PercentUnbalance(double a, double b, double c);

// A row's voltage and current unbalance from the magnitudes of its three voltages and currents.
struct RowUnbalance {
    std::optional<double> voltage, current;
};
RowUnbalance RowUnbalanceOf(const SampleRowValues& row);

// Only with all three current transformers in use does a row carry three phases.
inline bool ThreePhasesWired(int red, int blue, int yellow) {
    return red == 1 && blue == 1 && yellow == 1;
}

// The factor a motor's rated output is derated by for a voltage unbalance in percent, by the
// curve NEMA MG-1 draws: 1 up to 1 %, 0.95 at 2 %, 0.88 at 3 %, 0.82 at 4 %, 0.75 at 5 %, linear
// between. None above 5 %: the motor should not run there at all.
std::optional<double> UnbalanceDerating(double voltageUnbalancePct);

} // namespace zr5
