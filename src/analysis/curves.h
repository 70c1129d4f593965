#pragma once

#include <QString>
#include <array>
#include <cmath>

#include "analysis/axes.h"
#include "model/types.h"

namespace zr5 {

constexpr int kCurveKinds = 10;

// The ten curve kinds: currents 0..2, voltages 3..5, total active power 6, power factor 7,
// efficiency 8, load rate 9.
struct CurveKindInfo {
    int sampleIndex;  // the SampleRow index plotted (-1 for efficiency and load rate)
    bool signedValue; // total active power keeps its sign; every other quantity is a magnitude
    const char* unit; // unit text, with its leading blank
    float fixedLow;   // axis input when the kind has no extrema of its own
    float fixedHigh;
    bool fixedAxis;
};

// In Curve order; efficiency and load rate come from the operating point, not from a slot.
inline constexpr CurveKindInfo kCurveKindTable[kCurveKinds] = {
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

inline const CurveKindInfo& CurveKind(int kind) {
    return kCurveKindTable[kind];
}

// The value a kind plots for a completed row and the operating point. (Inline, like CurveY: the
// cumulative pass plots ten of them per row.)
inline float CurveValue(int kind, const SampleRowValues& row, float loadRate, float efficiency) {
    if (kind == Curve::Efficiency)
        return efficiency;
    if (kind == Curve::LoadRate)
        return loadRate;
    const CurveKindInfo& info = kCurveKindTable[kind];
    const float v = row[std::size_t(info.sampleIndex)];
    return info.signedValue ? v : std::fabs(v);
}

// y of a kind's value: currents, voltages and power on their axis; the power factor on 0..1;
// efficiency and load rate on 0..120.
inline float CurveY(int kind, float value, float axisLow, float axisHigh) {
    if (kind == Curve::PowerFactor)
        return static_cast<float>(kPlotBottom - double(kPlotHeight) * std::fabs(value));
    if (kind >= Curve::Efficiency)
        return static_cast<float>(kPlotBottom - double(kPlotHeight) * value / 120.0);
    return AxisY(value, axisLow, axisHigh);
}

// The axis input (minimum, maximum) of a kind from the recording's extrema.
std::pair<float, float> CurveAxisInput(int kind, const ExtremaValues& minimum,
                                       const ExtremaValues& maximum);

// The per-kind axis tables the cumulative analysis fills.
struct CurveAxisTables {
    std::array<QString, kCurveKinds> CurveUnit;
    std::array<float, kCurveKinds> CurveAxisLow{};
    std::array<float, kCurveKinds> CurveAxisHigh{};
    std::array<float, kCurveKinds> CurveAxisStep{};
    float TimeGridStep = 1;

    ValueAxis axis(int kind) const {
        return {CurveAxisLow[kind], CurveAxisHigh[kind], CurveAxisStep[kind]};
    }
};

// Chooses every kind's axis from the extrema, as the cumulative analysis does before its pass; the
// power factor's high end becomes 1.00001.
CurveAxisTables ChooseCurveAxes(const ExtremaValues& minimum, const ExtremaValues& maximum,
                                float duration);

// The y of every curve kind for a completed row and its operating point, on the kinds' axes.
std::array<float, kCurveKinds> CurvePlotYs(const SampleRowValues& row, float loadRate,
                                           float efficiency, const CurveAxisTables& axes);

} // namespace zr5
