#pragma once

#include <array>
#include <cstddef>

#include "model/types.h"

namespace zr5 {

// Totals of one row from its three channels.
struct RowPowers {
    float P = 0;  // total active power, kW, signed
    float Q = 0;  // total reactive power, kVar, signed by the currents
    float S = 0;  // total apparent power, kVA
    float PF = 1; // signed power factor; 1 when Q is 0
};

// The power rules shared by reception, analysis and printing. Clamps each channel's active power
// (indices 2, 5, 8) in place to the magnitude of its apparent power U*I/1000, keeping its sign;
// each channel's reactive power takes the sign of its current.
RowPowers ComputeRowPowers(ChannelRowValues& channels);

// A piece of rows as arrays of one quantity each, row i of the piece at [i] of every array, so
// that the loops over them vectorise.
constexpr std::size_t kPowerColumnRows = 1024;
struct PowerColumns {
    // A little longer than the rows: arrays a whole number of pages apart would make the stores
    // of one row and the loads of the next look dependent to the processor.
    using Column = std::array<float, kPowerColumnRows + 16>;
    std::array<Column, 3> current, voltage; // by channel
    std::array<Column, 3> active;           // by channel: as read, then held
    Column P, Q, S, PF;                     // the totals, as in RowPowers
};
// The same rules over the first count (at most kPowerColumnRows) rows of `c`: one row's square
// roots and divisions need not wait for the row before.
void ComputeRowPowers(PowerColumns& c, std::size_t count);

// Writes the totals into a row as the analysis keeps them: [2] P, [5] Q, [8] signed PF, [9] S.
void StoreRowPowers(SampleRowValues& row, const RowPowers& powers);

// The running mean-power energy: the mean of the rows' powers so far times the elapsed hours.
// The sums are kept in double precision: single-precision sums stop growing once they are large
// against each row's power, which over a long recording drops a large share of the energy.
struct EnergyAccumulator {
    double ActivePowerSum = 0;
    double ReactivePowerSum = 0;
    double RowsAccumulated = 0;
    float ActiveEnergy = 0;   // kWh, signed
    float ReactiveEnergy = 0; // kVarh, signed

    void reset() { *this = EnergyAccumulator{}; }
    // Adds one row and recomputes both energies for a span of spanSeconds since the start.
    void add(float activePower, float reactivePower, float spanSeconds);
};

// The energy of `rows` rows whose powers sum to powerSum, over spanSeconds: what
// EnergyAccumulator::add keeps, for a block whose sums are known row by row.
inline float MeanPowerEnergy(double powerSum, double rows, float spanSeconds) {
    return static_cast<float>(powerSum / rows * spanSeconds / 3600.0);
}

} // namespace zr5
