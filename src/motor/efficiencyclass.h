#pragma once

#include <QString>

namespace zr5 {

// Minimum efficiency classes of 50 Hz motors (IEC 60034-30-1), for 2, 4 and 6 poles from 0.75 to
// 1000 kW.
// NotRated: the data are not there yet; NotApplicable: the motor lies outside the classes' range.
enum class EfficiencyClass { NotRated, NotApplicable, BelowIE1, IE1, IE2, IE3 };

// The class limit in percent for a class (IE1 to IE3), or 0 where the table has none. Powers
// between the tabled steps are interpolated in log10 of the power, as the regulation's formula
// does; 200 to 1000 kW share one limit.
float EfficiencyClassLimit(EfficiencyClass cls, float poles, float ratedPowerKw);

// Why a motor lies outside the classes' range (rated voltage above 1000 V, a pole count other than
// 2, 4 or 6, a rated power outside 0.75 to 1000 kW), or empty when it lies inside. A rated voltage
// of 0 is not yet known and excludes nothing.
QString EfficiencyClassScopeReason(float poles, float ratedPowerKw, float ratedVoltage);

// The highest class whose limit the rated efficiency reaches; NotRated while the pole count, the
// rated power or the rated efficiency is 0 (and for an efficiency not between 0 and 100),
// NotApplicable outside the classes' range.
EfficiencyClass ClassifyEfficiency(float poles, float ratedPowerKw, float ratedEfficiency,
                                   float ratedVoltage = 0);

// "IE1", "IE2", "IE3", "低于IE1", "不适用", or empty for NotRated.
QString EfficiencyClassText(EfficiencyClass cls);

} // namespace zr5
