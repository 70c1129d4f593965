#include "model/motorparameters.h"

namespace zr5 {

std::array<float, 7> MotorParameters::values() const {
    return {Poles,         RatedPower,  RatedCurrent, RatedEfficiency,
            NoLoadCurrent, NoLoadPower, RatedVoltage};
}

MotorParameters MotorParameters::fromValues(const std::array<float, 7>& v) {
    MotorParameters m;
    m.Poles = v[0];
    m.RatedPower = v[1];
    m.RatedCurrent = v[2];
    m.RatedEfficiency = v[3];
    m.NoLoadCurrent = v[4];
    m.NoLoadPower = v[5];
    m.RatedVoltage = v[6];
    return m;
}

bool MotorParameters::allNonZero() const {
    for (float v : values())
        if (v == 0.0f)
            return false;
    return true;
}

void MotorParameters::revalidate() {
    MotorParametersValid = allNonZero();
    if (MotorParametersValid)
        RatedLosses = ComputeRatedLosses(RatedPower, RatedEfficiency);
}

float ComputeRatedLosses(float ratedPower, float ratedEfficiency) {
    return static_cast<float>(double(ratedPower) * (100.0 / double(ratedEfficiency) - 1.0));
}

} // namespace zr5
