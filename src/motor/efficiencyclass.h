#pragma once

#include <QString>

namespace zr5 {

// Minimum efficiency classes of 50 Hz motors (IEC 60034-30-1), for 2, 4 and 6 poles from 0.75 to
// 1000 kW.
enum class EfficiencyClass { NotRated, BelowIE1, IE1, IE2, IE3 };

// The class limit in percent for a class (IE1 to IE3), or 0 where the table has none. Powers
// between the tabled steps are interpolated in log10 of the power, as the regulation's formula
// does; 200 to 1000 kW share one limit.
float EfficiencyClassLimit(EfficiencyClass cls, float poles, float ratedPowerKw);

// The highest class whose limit the rated efficiency reaches; NotRated outside the table.
EfficiencyClass ClassifyEfficiency(float poles, float ratedPowerKw, float ratedEfficiency);

// "IE1", "IE2", "IE3", "低于IE1", or empty for NotRated.
QString EfficiencyClassText(EfficiencyClass cls);

} // namespace zr5
