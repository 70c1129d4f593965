#pragma once

#include <array>

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
    // Takes the flag from the seven values and, when valid, derives the rated losses; what the
    // analysis does with the data it reads from a recording header.
    void revalidate();
};

// RatedPower * (100 / RatedEfficiency - 1), the quotient in double precision.
float ComputeRatedLosses(float ratedPower, float ratedEfficiency);

} // namespace zr5
