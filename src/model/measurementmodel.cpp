#include "model/measurementmodel.h"

#include <cmath>

namespace zr5 {

void MeasurementModel::resetExtrema() {
    RowMaximum.fill(kExtremumStartMaximum);
    RowMinimum.fill(kExtremumStartMinimum);
}

void MeasurementModel::updateExtrema(const SampleRowValues& row) {
    for (int k = 0; k < kSampleRowSize; ++k) {
        const float v = ShownValue(k, row[k]);
        // The first row after a reset starts both extremes, whatever the start values: a value
        // beyond them would otherwise leave a start value that no row has.
        const bool first =
            RowMaximum[k] == kExtremumStartMaximum && RowMinimum[k] == kExtremumStartMinimum;
        if (first || v > RowMaximum[k])
            RowMaximum[k] = v;
        if (first || v < RowMinimum[k])
            RowMinimum[k] = v;
    }
}

Result<LiveTableRow> ProcessSampleRow(MeasurementModel& m, float now, float start, float elapsed,
                                      SampleRowValues& row, ChannelRowValues& channels) {
    for (int k = 0; k < kChannelRowSize; ++k)
        channels[k] = row[k];
    ChannelRowValues clamped = channels;
    const RowPowers p = ComputeRowPowers(clamped);
    for (int c = 0; c < 3; ++c)
        row[3 * c + 2] = clamped[3 * c + 2];

    const float e = now - start;
    EnergyAccumulator energy = m.Energy;
    energy.add(p.P, p.Q, e);

    SampleRowValues completed = row;
    completed[Slot::ActivePower] = p.P;
    completed[Slot::ReactivePower] = p.Q;
    completed[Slot::PowerFactor] = std::fabs(p.PF);
    completed[Slot::ApparentPower] = p.S;
    completed[Slot::ActiveEnergy] = std::fabs(energy.ActiveEnergy);
    completed[Slot::ReactiveEnergy] = std::fabs(energy.ReactiveEnergy);
    for (float v : completed) {
        if (!std::isfinite(v)) {
            // The instrument's numbers reach 2^63; with large ratios their products overflow.
            row = completed;
            return Result<LiveTableRow>::failure(QStringLiteral("其它错误，错误号： 6！"));
        }
    }
    row = completed;
    m.Energy = energy;
    m.updateExtrema(row);

    LiveTableRow display;
    display.values = row;
    for (int k = 0; k < kSampleRowSize; ++k)
        display.values[k] = ShownValue(k, row[k]);
    display.inductive = p.PF < 0.0f;
    m.Elapsed = SplitSeconds(elapsed);
    display.elapsed = m.Elapsed;
    return display;
}

} // namespace zr5
