#include "model/rowpowers.h"

#include <cmath>

namespace zr5 {

namespace {

// One channel: holds its active power to the magnitude of its apparent power U*I/1000 with its own
// sign (a select, not a branch) and gives its reactive power, signed by the current.
[[gnu::always_inline]] inline float HoldChannel(float current, float voltage, float& active) {
    const float apparent = voltage * current / 1000.0f;
    active = std::fabs(active) > std::fabs(apparent) ? std::copysign(std::fabs(apparent), active)
                                                     : active;
    const double s = apparent;
    const double p = active;
    // The clamp keeps s*s - p*p from going negative but for rounding; never take a root of less
    // than zero.
    const double d = s * s - p * p;
    return static_cast<float>(Sgn(current) * std::sqrt(d > 0.0 ? d : 0.0));
}

// The apparent power and the signed power factor of a row's total active and reactive power.
[[gnu::always_inline]] inline void Totals(float sumP, float sumQ, float& S, float& PF) {
    S = static_cast<float>(std::sqrt(double(sumQ) * double(sumQ) + double(sumP) * double(sumP)));
    // The quotient is worked out for every row and then chosen, so that a loop over rows has no
    // branch.
    const float pf = static_cast<float>(double(sumP) * Sgn(sumQ) / double(S));
    PF = sumQ == 0.0f ? 1.0f : pf;
}

} // namespace

RowPowers ComputeRowPowers(ChannelRowValues& ch) {
    RowPowers r;
    float sumP = 0.0f;
    float sumQ = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const float reactive = HoldChannel(ch[3 * c], ch[3 * c + 1], ch[3 * c + 2]);
        sumP += ch[3 * c + 2];
        sumQ += reactive;
    }
    r.P = sumP;
    r.Q = sumQ;
    Totals(sumP, sumQ, r.S, r.PF);
    return r;
}

void ComputeRowPowers(PowerColumns& col, std::size_t count) {
    // The totals start at 0 and take the channels in order, as a single row's do.
    for (std::size_t i = 0; i < count; ++i)
        col.P[i] = col.Q[i] = 0.0f;
    for (std::size_t c = 0; c < 3; ++c) {
        const float* current = col.current[c].data();
        const float* voltage = col.voltage[c].data();
        float* active = col.active[c].data();
        for (std::size_t i = 0; i < count; ++i) {
            float held = active[i];
            const float reactive = HoldChannel(current[i], voltage[i], held);
            active[i] = held;
            col.P[i] += held;
            col.Q[i] += reactive;
        }
    }
    for (std::size_t i = 0; i < count; ++i)
        Totals(col.P[i], col.Q[i], col.S[i], col.PF[i]);
}

void StoreRowPowers(SampleRowValues& row, const RowPowers& p) {
    row[Slot::ActivePower] = p.P;
    row[Slot::ReactivePower] = p.Q;
    row[Slot::PowerFactor] = p.PF;
    row[Slot::ApparentPower] = p.S;
}

void EnergyAccumulator::add(float activePower, float reactivePower, float spanSeconds) {
    ActivePowerSum += activePower;
    ReactivePowerSum += reactivePower;
    RowsAccumulated += 1.0;
    ActiveEnergy = MeanPowerEnergy(ActivePowerSum, RowsAccumulated, spanSeconds);
    ReactiveEnergy = MeanPowerEnergy(ReactivePowerSum, RowsAccumulated, spanSeconds);
}

} // namespace zr5
