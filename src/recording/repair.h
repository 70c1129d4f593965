#pragma once

#include <QString>

#include "model/measurementmodel.h"
#include "model/result.h"

namespace zr5 {

// Completes a row read back from a recording as the reception completed it when it arrived:
// totals, power factor, energies and the running extrema, at `elapsed` seconds after the start.
void ReplayRow(MeasurementModel& model, const ChannelRowValues& channels, float startTime,
               float elapsed);

// The whole rows of a recording that was cut before its extrema were written (by a crash, a
// full disk or an older version), or of a complete one with a few bytes too many or too few, or
// a message saying why the file cannot be recovered (it is complete, or not even its header is
// whole). A tail that is not a whole row is dropped, and extrema are never taken for rows.
Result<qint64> RecoverableRows(const QString& path);

struct RepairReport {
    qint64 rows = 0;
    float duration = 0;                // the duration written into the repaired file
    bool durationFromHeader = false;   // the header's own, which the rows fit into
    bool durationFromFileTime = false; // taken from the file's last modification time
};

// Writes a valid recording to `target` (never onto `source`): the header and every whole row of
// `source`, the extrema recomputed over evenly spaced row times. The duration is the header's
// when it is positive and not shorter than the rows need at the line's fastest rate; otherwise,
// when the file's last modification time lies after its start time on the same day, the rows
// cover the time between (a manual reception that never wrote its duration).
Result<RepairReport> RepairRecording(const QString& source, const QString& target);

// "已恢复 N 行数据 ..." with the duration and where it came from, for the user.
QString RepairSummary(const RepairReport& report, const QString& target);

} // namespace zr5
