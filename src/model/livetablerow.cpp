#include "model/livetablerow.h"

#include "model/numbertext.h"

namespace zr5 {

LiveTableTexts FormatLiveTableRow(const LiveTableRow& row) {
    LiveTableTexts t;
    for (int k = 0; k < kSampleRowSize; ++k)
        t.boxes[k] = FormatValue(row.values[k]);
    t.boxes[12] = PrintedNumber(double(row.elapsed.ElapsedHours));
    t.boxes[13] = PrintedNumber(row.elapsed.ElapsedMinutes);
    t.boxes[14] = PrintedNumber(row.elapsed.ElapsedSeconds);
    t.powerFactorLabel = row.inductive ? QStringLiteral("L") : QStringLiteral("C");
    if (row.droppedFrames > 0)
        t.droppedFrames = DroppedFramesText(row.droppedFrames);
    return t;
}

QString DroppedFramesText(qint64 frames) {
    return QStringLiteral("已丢弃 %1 个损坏的数据帧").arg(frames);
}

} // namespace zr5
