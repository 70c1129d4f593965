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

// What a repaint of the live table shows: the shared row (index 2 signed, the others as
// magnitudes) and the split elapsed time. The row keeps only the power factor's magnitude, so the
// repaint carries no "L"/"C" of its own; the label stays as the last received row set it.
LiveTableRow RepaintedLiveTableRow(const SampleRowValues& sampleRow, float elapsedTime);

} // namespace zr5
