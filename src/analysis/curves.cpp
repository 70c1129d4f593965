#include "analysis/curves.h"

#include <cmath>

namespace zr5 {

namespace {
// In Curve order; efficiency and load rate come from the operating point, not from a slot.
const CurveKindInfo kKinds[kCurveKinds] = {
    {Slot::Current1, false, " A", 0, 0, false},
    {Slot::Current2, false, " A", 0, 0, false},
    {Slot::Current3, false, " A", 0, 0, false},
    {Slot::Voltage1, false, " V", 0, 0, false},
    {Slot::Voltage2, false, " V", 0, 0, false},
    {Slot::Voltage3, false, " V", 0, 0, false},
    {Slot::ActivePower, true, " kW", 0, 0, false},
    {Slot::PowerFactor, false, "", 0, 1, true},
    {-1, false, " %", 0, 100, true},
    {-1, false, " %", 0, 100, true},
};
} // namespace

const CurveKindInfo& CurveKind(int kind) {
    return kKinds[kind];
}

float CurveValue(int kind, const SampleRowValues& row, float loadRate, float efficiency) {
    if (kind == Curve::Efficiency)
        return efficiency;
    if (kind == Curve::LoadRate)
        return loadRate;
    const CurveKindInfo& info = kKinds[kind];
    const float v = row[info.sampleIndex];
    return info.signedValue ? v : std::fabs(v);
}

float CurveY(int kind, float value, float axisLow, float axisHigh) {
    if (kind == Curve::PowerFactor)
        return static_cast<float>(kPlotBottom - double(kPlotHeight) * std::fabs(value));
    if (kind >= Curve::Efficiency)
        return static_cast<float>(kPlotBottom - double(kPlotHeight) * value / 120.0);
    return AxisY(value, axisLow, axisHigh);
}

std::pair<float, float> CurveAxisInput(int kind, const ExtremaValues& minimum,
                                       const ExtremaValues& maximum) {
    const CurveKindInfo& info = kKinds[kind];
    if (info.fixedAxis)
        return {info.fixedLow, info.fixedHigh};
    return {minimum[info.sampleIndex], maximum[info.sampleIndex]};
}

CurveAxisTables ChooseCurveAxes(const ExtremaValues& minimum, const ExtremaValues& maximum,
                                float duration) {
    CurveAxisTables t;
    for (int k = 0; k < kCurveKinds; ++k) {
        const auto [lo, hi] = CurveAxisInput(k, minimum, maximum);
        const ValueAxis axis = ScreenValueAxis(lo, hi);
        t.CurveUnit[k] = QString::fromUtf8(kKinds[k].unit);
        t.CurveAxisLow[k] = axis.AxisLow;
        t.CurveAxisHigh[k] = axis.AxisHigh;
        t.CurveAxisStep[k] = axis.AxisStep;
    }
    t.CurveAxisHigh[Curve::PowerFactor] = 1.00001f;
    t.TimeGridStep = TimeGridStep(duration);
    return t;
}

} // namespace zr5
