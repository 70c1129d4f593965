#pragma once

#include <QString>
#include <vector>

#include "compare/comparisonpage.h"
#include "survey/surveyreport.h"

namespace zr5 {

// One bar of the Pareto chart: a motor's annual saving and the share of the plant's saving that
// it and the motors before it make together.
struct ParetoBar {
    QString tag;
    QString department;
    double savingKwh = 0;
    double cumulativePct = 0;
};

// The motors that save anything, the largest saving first, with their running share.
std::vector<ParetoBar> ParetoBars(const SurveyReport& report);

// The bars on the left scale (kWh a year) and the running share as a line on the right (0 to
// 100 %), drawn by DrawComparisonChart like the comparison's charts.
ComparisonChart ParetoChart(const SurveyReport& report);

} // namespace zr5
