#include "analysis/rowdisplay.h"

#include <cmath>

#include "model/measurementmodel.h"
#include "model/numbertext.h"

namespace zr5 {

RowDisplay FormatRowDisplay(const SampleRowValues& row, const SplitTime& elapsed,
                            const MotorStateDecision& decision) {
    LiveTableRow shown;
    for (int k = 0; k < kSampleRowSize; ++k)
        shown.values[std::size_t(k)] = ShownValue(k, row[std::size_t(k)]);
    shown.inductive = row[Slot::PowerFactor] < 0.0f;
    shown.elapsed = elapsed;
    const LiveTableTexts live = FormatLiveTableRow(shown);

    RowDisplay d;
    for (int k = 0; k < 15; ++k)
        d.boxes[std::size_t(k)] = live.boxes[k];
    d.boxes[19] = PrintedNumber(elapsed.ElapsedHundredths);
    d.boxes[15] = FormatValue(row[2]);
    d.powerFactorLabel = live.powerFactorLabel;
    d.motorBoxes = decision.boxes;
    switch (decision.boxes) {
    case MotorBoxes::ShowValues:
        d.boxes[16] = FormatValue(decision.OutputPower);
        d.boxes[17] = FormatValue(decision.Efficiency);
        d.boxes[18] = FormatValue(decision.LoadRate);
        break;
    case MotorBoxes::ShowZeros:
        d.boxes[16] = d.boxes[17] = d.boxes[18] = FormatValue(0);
        break;
    case MotorBoxes::Clear:
    case MotorBoxes::Unchanged:
        break;
    }
    d.motorCaption = decision.caption;
    d.motorColour = decision.colour;
    return d;
}

} // namespace zr5
