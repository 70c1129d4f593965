#include "model/rowpowers.h"

#include <cmath>

namespace zr5 {

namespace {

[[gnu::always_inline]] inline RowPowers PowersOf(ChannelRowValues& ch) {
    float sumP = 0.0f;
    float sumQ = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const float current = ch[3 * c];
        const float voltage = ch[3 * c + 1];
        float& active = ch[3 * c + 2];
        const float apparent = voltage * current / 1000.0f;
        // Held to the apparent power with its own sign (a select, not a branch, in a long pass).
        active = std::fabs(active) > std::fabs(apparent)
                     ? std::copysign(std::fabs(apparent), active)
                     : active;
        const double s = apparent;
        const double p = active;
        // The clamp keeps s*s - p*p from going negative but for rounding; never take a root of less
        // than zero.
        const double d = s * s - p * p;
        const float reactive = static_cast<float>(Sgn(current) * std::sqrt(d > 0.0 ? d : 0.0));
        sumP += active;
        sumQ += reactive;
    }
    RowPowers r;
    r.P = sumP;
    r.Q = sumQ;
    r.S = static_cast<float>(std::sqrt(double(sumQ) * double(sumQ) + double(sumP) * double(sumP)));
    r.PF = sumQ == 0.0f ? 1.0f : static_cast<float>(double(sumP) * Sgn(sumQ) / double(r.S));
    return r;
}

} // namespace

RowPowers ComputeRowPowers(ChannelRowValues& ch) {
    return PowersOf(ch);
}

void ComputeRowPowers(ChannelRowValues* rows, RowPowers* powers, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        powers[i] = PowersOf(rows[i]);
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
    ActiveEnergy = static_cast<float>(ActivePowerSum / RowsAccumulated * spanSeconds / 3600.0);
    ReactiveEnergy = static_cast<float>(ReactivePowerSum / RowsAccumulated * spanSeconds / 3600.0);
}

} // namespace zr5
