#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <limits>
#include <memory>

#include "model/result.h"

namespace zr5 {

// The rows a sheet holds below its header: a spreadsheet has at most 1,048,576 rows.
constexpr qint64 kWorkbookSheetRows = 1048575;
// The time columns the curves' series are reduced to (each gives its minimum and maximum).
constexpr qint64 kWorkbookCurveColumns = 2000;

struct RecordingWorkbookOptions {
    qint64 firstRow = 1; // the rows of the table written, held to the recording's rows
    qint64 lastRow = std::numeric_limits<qint64>::max();
    qint64 sheetRows = kWorkbookSheetRows; // rows per data sheet before the next one starts
    // Gets the rows done of the rows to do after each block; returns false to cancel.
    std::function<bool(qint64, qint64)> progress;
};

// How writing a workbook ended: written, failed (with the user's message), or cancelled.
struct RecordingWorkbookOutcome {
    Status status;
    bool cancelled = false;
};

// Writes a recording as an .xlsx workbook: sheet "概况" with the recording, the motor's rated
// data, the transformer flags and the cumulative analysis's summary as label / value / unit rows;
// sheet "数据" with the export table's rows and values (continued on "数据 2", "数据 3" … when
// they exceed a sheet), numbers as numbers; sheet "曲线" with line charts of the currents,
// voltages, active power, power factor, efficiency and load rate against the elapsed time, drawn
// from the per-column minimum and maximum kept on sheet "曲线数据". The workbook appears at
// `path` only when complete; a failure or a cancel leaves the old file or none.
RecordingWorkbookOutcome WriteRecordingWorkbook(const QString& recording, const QString& path,
                                                const RecordingWorkbookOptions& options = {});

struct RecordingInfo;
class RecordingWorkbook;

// The same a step at a time, for a window that writes between its events (options.progress is
// not called): each step passes a block of rows; the last one completes the workbook (the
// library compresses every sheet then, the longest step of all). Dropping the writer before it
// is done leaves the old file or none.
class RecordingWorkbookWriter {
public:
    RecordingWorkbookWriter(const QString& recording, const QString& path,
                            const RecordingWorkbookOptions& options = {});
    // Over a recording a window has opened.
    RecordingWorkbookWriter(const RecordingInfo& recording, const QString& path,
                            const RecordingWorkbookOptions& options = {});
    ~RecordingWorkbookWriter();
    RecordingWorkbookWriter(const RecordingWorkbookWriter&) = delete;
    RecordingWorkbookWriter& operator=(const RecordingWorkbookWriter&) = delete;

    // Does the next step; false once the workbook is written or has failed (outcome() says).
    bool step();
    // Whether the next step is the one that completes the workbook.
    bool completing() const;
    // Rows passed of the rows to pass.
    qint64 done() const;
    qint64 total() const;
    const RecordingWorkbookOutcome& outcome() const;

private:
    std::unique_ptr<RecordingWorkbook> impl_;
};

} // namespace zr5
