#pragma once

#include <QString>
#include <QtGlobal>

#include "model/splitseconds.h"
#include "model/types.h"

namespace zr5 {

// What the live table shows for a received row.
struct LiveTableRow {
    SampleRowValues values{}; // as ShownValue gives them: the total active power signed
    bool inductive = false;   // power factor label "L" (else "C")
    SplitTime elapsed;
    qint64 droppedFrames = 0; // damaged frames of this reception so far, not recorded
};

// The fifteen box texts of the live table (0..11 values, 12..14 hours, minutes, seconds) and the
// power factor's unit label.
struct LiveTableTexts {
    QString boxes[15];
    QString powerFactorLabel;
    QString droppedFrames; // empty while no frame was dropped
};
LiveTableTexts FormatLiveTableRow(const LiveTableRow& row);

// "已丢弃 3 个损坏的数据帧": the live table and the recorder's summary say so.
QString DroppedFramesText(qint64 frames);

} // namespace zr5
