#include "analysis/axes.h"

#include <cmath>

namespace zr5 {

namespace {

// Enough for any finite single-precision range; bad input never loops for ever.
constexpr int kMaxDecades = 80;
constexpr std::size_t kMaxGridLines = 64;

ValueAxis valueAxis(float minimum, float maximum, double raise) {
    ValueAxis axis;
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return axis;
    const double hi = std::floor(double(maximum) + raise);
    const double lo = std::floor(double(minimum));
    const double range = hi - lo;
    if (range > 1.0) {
        static const double units[] = {1, 2, 5, 10};
        double r = range;
        for (int j = 0; j < kMaxDecades; ++j) {
            for (double u : units) {
                if (r / u < 6.0) {
                    const float step = static_cast<float>(std::pow(10.0, j) * u);
                    axis.AxisStep = step;
                    // The quotients are single precision, as every stored value is.
                    axis.AxisHigh = step + std::floor(maximum / step) * step;
                    axis.AxisLow = std::floor(minimum / step) * step;
                    return axis;
                }
            }
            r /= 10.0;
        }
        return axis;
    }
    axis.AxisLow = static_cast<float>(lo);
    axis.AxisHigh = static_cast<float>(lo + 1.00001);
    axis.AxisStep = 0.2f;
    return axis;
}

template <class SolidRule> std::vector<GridLine> valueGrid(const ValueAxis& axis, SolidRule solid) {
    std::vector<GridLine> lines;
    if (!(axis.AxisStep > 0.0f) || !std::isfinite(axis.AxisLow) || !std::isfinite(axis.AxisHigh))
        return lines;
    for (float v = axis.AxisLow; v <= axis.AxisHigh && lines.size() < kMaxGridLines;
         v += axis.AxisStep)
        lines.push_back({v, solid(v)});
    return lines;
}

} // namespace

ValueAxis ScreenValueAxis(float minimum, float maximum) {
    return valueAxis(minimum, maximum, 0.999);
}

ValueAxis PrintValueAxis(float minimum, float maximum) {
    return valueAxis(minimum, maximum, 0.99);
}

float TimeGridStep(float duration) {
    static const float units[] = {1, 2, 5, 10, 30};
    if (!(duration > 0.0f) || !std::isfinite(duration))
        return 1.0f;
    float d = duration;
    double scale = 1.0;
    for (int k = 0; k < kMaxDecades; ++k) {
        for (float u : units)
            if (d / u < 15.0f)
                return static_cast<float>(scale * u);
        d /= 60.0f;
        scale *= 60.0;
    }
    return duration;
}

std::vector<GridLine> ScreenValueGrid(const ValueAxis& axis) {
    return valueGrid(axis, [](float v) { return v == 0.0f; });
}

std::vector<GridLine> PrintValueGrid(const ValueAxis& axis) {
    return valueGrid(axis, [](float v) {
        if (v == 0.0f || v == 1.0f)
            return true;
        return v > 1.0f && std::fmod(std::nearbyint(double(v)), 50.0) == 0.0;
    });
}

std::vector<GridLine> TimeGrid(float duration, float step) {
    std::vector<GridLine> lines;
    if (!(step > 0.0f) || !(duration >= 0.0f) || !std::isfinite(duration))
        return lines;
    for (float t = 0; t <= duration && lines.size() < kMaxGridLines; t += step)
        lines.push_back({t, t == 0.0f});
    return lines;
}

std::vector<float> AxisLabelValues(const ValueAxis& axis) {
    std::vector<float> values;
    for (const GridLine& line : ScreenValueGrid(axis))
        values.push_back(line.value > -0.000001f && line.value < 0.000001f ? 0.0f : line.value);
    return values;
}

float ValueLabelTop(float value, float low, float high) {
    return static_cast<float>(kPlotBottom -
                              (double(value) - low) * kPlotHeight / (double(high) - low) + 430.0);
}

float TimeLabelLeft(float t, float duration) {
    return static_cast<float>(double(kTimeAxisWidth) / duration * t + 400.0);
}

float TimeGridX(float t, float duration) {
    return static_cast<float>(double(kTimeAxisWidth) / duration * t);
}

const char* TimeUnitWord(float step) {
    if (step >= 3600.0f)
        return "时";
    if (step >= 60.0f)
        return "分";
    return "秒";
}

} // namespace zr5
