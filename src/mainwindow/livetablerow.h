#pragma once

#include "model/measurementmodel.h"

namespace zr5 {

// What a repaint of the live table shows: the shared row (index 2 signed, the others as
// magnitudes) and the split elapsed time. The row keeps only the power factor's magnitude, so the
// repaint carries no "L"/"C" of its own; the label stays as the last received row set it.
LiveTableRow RepaintedLiveTableRow(const SampleRowValues& sampleRow, float elapsedTime);

} // namespace zr5
