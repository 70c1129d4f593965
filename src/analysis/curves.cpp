#include "analysis/curves.h"

#include <cmath>

namespace zr5 {

std::array<float, kCurveKinds> CurvePlotYs(const SampleRowValues& row, float loadRate,
                                           float efficiency, const CurveAxisTables& axes) {
    std::array<float, kCurveKinds> ys{};
    for (int k = 0; k < kCurveKinds; ++k)
        ys[std::size_t(k)] =
            CurveY(k, CurveValue(k, row, loadRate, efficiency), axes.CurveAxisLow[std::size_t(k)],
                   axes.CurveAxisHigh[std::size_t(k)]);
    return ys;
}

std::pair<float, float> CurveAxisInput(int kind, const ExtremaValues& minimum,
                                       const ExtremaValues& maximum) {
    const CurveKindInfo& info = kCurveKindTable[kind];
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
        t.CurveUnit[k] = QString::fromUtf8(kCurveKindTable[k].unit);
        t.CurveAxisLow[k] = axis.AxisLow;
        t.CurveAxisHigh[k] = axis.AxisHigh;
        t.CurveAxisStep[k] = axis.AxisStep;
    }
    t.CurveAxisHigh[Curve::PowerFactor] = 1.00001f;
    t.TimeGridStep = TimeGridStep(duration);
    return t;
}

} // namespace zr5
