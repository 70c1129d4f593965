#include "mainwindow/livetablerow.h"

#include <cmath>

namespace zr5 {

LiveTableRow RepaintedLiveTableRow(const SampleRowValues& sampleRow, float elapsedTime) {
    LiveTableRow row;
    for (int k = 0; k < kSampleRowSize; ++k)
        row.values[k] = ShownValue(k, sampleRow[k]);
    row.elapsed = SplitSeconds(elapsedTime);
    return row;
}

} // namespace zr5
