#pragma once

#include <QString>

#include "model/splitseconds.h"
#include "model/types.h"

namespace zr5 {

// What the live table shows for a received row.
struct LiveTableRow {
    SampleRowValues values{}; // as ShownValue gives them: the total active power signed
    bool inductive = false;   // power factor label "L" (else "C")
    SplitTime elapsed;
};

// The fifteen box texts of the live table (0..11 values, 12..14 hours, minutes, seconds) and the
// power factor's unit label.
struct LiveTableTexts {
    QString boxes[15];
    QString powerFactorLabel;
};
LiveTableTexts FormatLiveTableRow(const LiveTableRow& row);

} // namespace zr5
