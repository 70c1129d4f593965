#pragma once

#include <vector>

namespace zr5 {

// A value axis: low and high end and the step between grid lines.
struct ValueAxis {
    float AxisLow = 0;
    float AxisHigh = 1.00001f;
    float AxisStep = 0.2f;
};

// One grid line: the value (or time) it stands for and whether it is drawn solid.
struct GridLine {
    float value = 0;
    bool solid = false;
};

// The screen's value axis for a quantity's minimum and maximum: the first of the steps 1, 2, 5, 10
// (times a power of ten) that gives fewer than six intervals, the high end one step above the
// maximum's multiple; ranges of one or less take 0.2 steps from the minimum's floor.
ValueAxis ScreenValueAxis(float minimum, float maximum);
// The printed page's value axis: the same rule with the maximum raised by 0.99 instead of 0.999.
ValueAxis PrintValueAxis(float minimum, float maximum);

// Seconds between time grid lines: the first of 1, 2, 5, 10, 30 seconds, minutes or hours (or
// 60-fold larger) that gives fewer than fifteen intervals over the duration.
float TimeGridStep(float duration);

// The grid values from the axis's low end in steps, added up in single precision, while they do
// not pass the high end. On screen only the zero line is solid.
std::vector<GridLine> ScreenValueGrid(const ValueAxis& axis);
// On paper the lines at 0 and 1, and those above 1 at multiples of 50, are solid.
std::vector<GridLine> PrintValueGrid(const ValueAxis& axis);
// Times 0, step, 2 step, ... up to the duration; the line at 0 is solid.
std::vector<GridLine> TimeGrid(float duration, float step);

// The value of each axis label: the grid values with values within 1E-06 of zero taken as 0.
std::vector<float> AxisLabelValues(const ValueAxis& axis);

// Surface geometry in twips: the plot spans y 200 (axis top) to 1600 (axis bottom), grid lines
// run to x 8900, the time axis covers x 0 to 6000.
constexpr float kPlotTop = 200;
constexpr float kPlotBottom = 1600;
constexpr float kPlotHeight = 1400;
constexpr float kGridRight = 8900;
constexpr float kTimeAxisWidth = 6000;

// y of a value on a surface whose axis runs from low to high (not clipped).
inline float AxisY(float value, float low, float high) {
    return static_cast<float>(kPlotBottom -
                              double(kPlotHeight) * (double(value) - low) / (double(high) - low));
}
// Top of a value label beside the surfaces (the surfaces stand 430 twips below the labels' origin).
float ValueLabelTop(float value, float low, float high);
// Left edge of a time label, and x of a time grid line on a cumulative surface.
float TimeLabelLeft(float t, float duration);
float TimeGridX(float t, float duration);

// The time unit word: "时" for steps of an hour or more, "分" for a minute or more, else "秒".
const char* TimeUnitWord(float timeGridStep);

} // namespace zr5
