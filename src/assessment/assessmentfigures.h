#pragma once

#include "assessment/assessment.h"
#include "model/figurelist.h"

namespace zr5 {

// The figures of an assessment as one keyed list, grouped and unit-labelled: the window's table,
// the printed page, the tool's text and its JSON all show this list.
FigureList AssessmentFigures(const RecordingAssessment& a, double recordingHours);
// The figures of a whole run over its recording's time: the object `zr5-tool assess --json`
// prints and a survey stores.
FigureList AssessmentRunFigures(const AssessmentRun& run);
QJsonObject AssessmentJson(const AssessmentRun& run);

} // namespace zr5
