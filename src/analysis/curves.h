#pragma once

#include <QString>
#include <array>

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

const CurveKindInfo& CurveKind(int kind);

// The value a kind plots for a completed row and the operating point.
float CurveValue(int kind, const SampleRowValues& row, float loadRate, float efficiency);

// y of a kind's value: currents, voltages and power on their axis; the power factor on 0..1;
// efficiency and load rate on 0..120.
float CurveY(int kind, float value, float axisLow, float axisHigh);

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

} // namespace zr5
