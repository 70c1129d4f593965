#pragma once

#include <QString>
#include <array>

#include "analysis/operatingpoint.h"
#include "model/splitseconds.h"
#include "model/types.h"

namespace zr5 {

// The texts of the analysis window's value boxes for one row: boxes 0..11 the row (index 2 with
// its sign, every other index its magnitude), 12..14 and 19 the elapsed time, 15 the input
// power, 16..18 the motor values as the motor state decides, and the motor frame's caption.
struct RowDisplay {
    std::array<QString, 20> boxes;
    QString powerFactorLabel;                      // "L" for a negative power factor, else "C"
    MotorBoxes motorBoxes = MotorBoxes::Unchanged; // how boxes 16..18 change
    QString motorCaption;
    std::uint32_t motorColour = Colour::Red;
};

RowDisplay FormatRowDisplay(const SampleRowValues& row, const SplitTime& elapsed,
                            const MotorStateDecision& decision);

} // namespace zr5
