#pragma once

#include <QString>

#include "assessment/assessment.h"
#include "model/result.h"

namespace zr5 {

// Writes an assessment as an .xlsx workbook: sheet "概况" as the recording's workbooks have it,
// and sheet "评估" with every figure of the assessment's keyed list (AssessmentFigures), the
// verdict and the settings, the hours per load band of 10 % with their zones, and a column chart
// of those hours, one series per zone in the zone's colour. The workbook appears at `path` only
// when complete; a failure leaves the old file or none.
Status WriteAssessmentWorkbook(const AssessmentRun& run, const AssessmentSettings& settings,
                               const QString& path);

} // namespace zr5
