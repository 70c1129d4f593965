#pragma once

#include <array>

#include "model/result.h"

namespace zr5 {

// Rated data of the motor under test, in the dialog's (and the recording header's) order.
struct MotorParameters {
    float Poles = 0;
    float RatedPower = 0;      // kW
    float RatedCurrent = 0;    // A
    float RatedEfficiency = 0; // %
    float NoLoadCurrent = 0;   // A
    float NoLoadPower = 0;     // kW
    float RatedVoltage = 0;    // V
    bool MotorParametersValid = false;
    float RatedLosses = 0; // kW, derived

    std::array<float, 7> values() const;
    static MotorParameters fromValues(const std::array<float, 7>& v);
    // True exactly when all seven values are non-zero.
    bool allNonZero() const;
    // Takes the flag from the seven values (all non-zero and plausible, CheckMotorValues) and,
    // when valid, derives the rated losses; what the analysis does with the data it reads from a
    // recording header.
    void revalidate();
};

// Whether rated data can describe a motor: the rated power, both currents and the voltage above
// 0, the efficiency between 0 and 100 (both excluded) and the no-load current below the rated
// current. A failure names the first value that cannot be and why ("额定效率 150% 不合理：应大于
// 0 且小于 100"). The dialog, the tool's options and the recordings' data all go through here.
Status CheckMotorValues(const MotorParameters& m);

// RatedPower * (100 / RatedEfficiency - 1), the quotient in double precision.
float ComputeRatedLosses(float ratedPower, float ratedEfficiency);

} // namespace zr5
