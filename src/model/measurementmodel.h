#pragma once

#include <QString>

#include "model/livetablerow.h"
#include "model/motorparameters.h"
#include "model/result.h"
#include "model/rowpowers.h"
#include "model/splitseconds.h"
#include "model/types.h"

namespace zr5 {

// The measurement model: the current row, the running extrema and energies, the time fields, the
// motor's rated data and its operating point. One instance lives in the program's state.
struct MeasurementModel {
    SampleRowValues SampleRow{};
    ChannelRowValues ChannelRow{};
    ExtremaValues RowMaximum{};
    ExtremaValues RowMinimum{};
    EnergyAccumulator Energy;

    float StartTime = 0;   // seconds since midnight at the start of the last reception
    float ElapsedTime = 0; // seconds from StartTime to the current row
    SplitTime Elapsed;     // the last SplitSeconds result

    MotorParameters Motor;
    float LoadRate = 0;    // %
    float Efficiency = 0;  // %
    float OutputPower = 0; // kW

    // Every maximum to -100000 and every minimum to 100000, as at the start of a reception.
    void resetExtrema();
    // Index 2 compares its signed value, every other index its magnitude.
    void updateExtrema(const SampleRowValues& row);
};

constexpr float kExtremumStartMaximum = -100000.0f;
constexpr float kExtremumStartMinimum = 100000.0f;

// Completes a received row: on entry row[0..8] hold the nine scaled channel values. Copies them to
// channels, applies the power rules, stores P, Q, |PF|, S and the energies (kWh, kVarh, as
// magnitudes) into row, updates the extrema and splits the elapsed time. A row whose arithmetic
// overflows fails with the message of error 6, which aborts the reception, and leaves the extrema
// and energies untouched. On success, the row as the live table shows it.
Result<LiveTableRow> ProcessSampleRow(MeasurementModel& model, float now, float start,
                                      float elapsed, SampleRowValues& row,
                                      ChannelRowValues& channels);

} // namespace zr5
