#pragma once

#include <QString>
#include <optional>

namespace zr5 {

// Minimum efficiency classes of 50 Hz mains-fed motors (IEC 60034-30-1), for 2, 4, 6 and 8 poles
// from 0.12 to 1000 kW, rated voltage up to 1000 V. There is no IE5 table for such motors, so the
// highest class is IE4.
// NotRated: the data are not there yet; NotApplicable: the motor lies outside the classes' range;
// BelowIE2: under IE2 where no IE1 limit is published (8 poles, or below 0.75 kW), so whether it
// reaches IE1 cannot be said.
enum class EfficiencyClass { NotRated, NotApplicable, BelowIE1, IE1, IE2, IE3, IE4, BelowIE2 };

// The class limit in percent for a class (IE1 to IE4), or 0 where no limit is published.
// IE2 to IE4: the regulation's interpolation A·x³ + B·x² + C·x + D, x = log10(P in kW), with its
// coefficients for 0.12 to 0.75 kW and for 0.75 to 200 kW, rounded to a tenth as the standard's
// table is; 200 to 1000 kW share the 200 kW limit. IE1 has no coefficients: the standard's table
// for 2, 4 and 6 poles from 0.75 kW, interpolated in log10 of the power between its steps; for
// 8 poles and below 0.75 kW the program holds no IE1 figures and returns 0.
float EfficiencyClassLimit(EfficiencyClass cls, float poles, float ratedPowerKw);

// Why a motor lies outside the classes' range (rated voltage above 1000 V, a pole count other than
// 2, 4, 6 or 8, a rated power outside 0.12 to 1000 kW), or empty when it lies inside. A rated
// voltage of 0 is not yet known and excludes nothing.
QString EfficiencyClassScopeReason(float poles, float ratedPowerKw, float ratedVoltage);

// The highest class whose limit the rated efficiency reaches; NotRated while the pole count, the
// rated power or the rated efficiency is 0 (and for an efficiency not between 0 and 100),
// NotApplicable outside the classes' range.
EfficiencyClass ClassifyEfficiency(float poles, float ratedPowerKw, float ratedEfficiency,
                                   float ratedVoltage = 0);

// "IE1" to "IE4", "低于IE1", "低于IE2", "不适用", or empty for NotRated.
QString EfficiencyClassText(EfficiencyClass cls);

// The grade of GB 18613-2020 a class earns: 3 for IE3 (the minimum, 能效限定值), 2 for IE4;
// grade 1 asks for IE5, which has no table, so it is never given. None below IE3 and outside the
// classes' range.
std::optional<int> Gb18613Grade(EfficiencyClass cls);
// "能效2级", "能效3级", "低于能效限定值" (a class below IE3), or empty where no class is known.
QString Gb18613GradeText(EfficiencyClass cls);

} // namespace zr5
