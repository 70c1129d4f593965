#pragma once

#include <QDateTime>
#include <QString>
#include <array>

#include "model/result.h"
#include "model/types.h"
#include "printing/printer.h"

namespace zr5 {

// The heading texts of both reports, printed exactly as typed.
struct ReportHeading {
    QString organisation = QStringLiteral("×××公司");
    QString DeviceNumber = QStringLiteral("设001-001");
    std::array<QString, 5> date; // year, month, day, hour, minute
    QString fileName;            // the recording's name as the reports show it
};

// Year, month, day, hour and minute as plain numbers without leading zeros.
std::array<QString, 5> DateTexts(const QDateTime& time);
// The date texts of a recording: its last modification, or now when there is no such file.
std::array<QString, 5> RecordingDateTexts(const QString& path, const QDateTime& now);

// The date as both reports print it: year年month月day日, the time at its own column.
void PrintHeadingDate(Printer& printer, const ReportHeading& heading, int dateColumn,
                      int timeColumn);

struct RowRange {
    qint64 first = 1;
    qint64 last = 0;
};

// The data report's range from the dialog's texts: whole numbers, the start at least 1, the end at
// most the row count. A start after the end is accepted (the report then holds no table line).
Result<RowRange> ParsePrintRange(const QString& from, const QString& to, qint64 recordCount);

// A print job that runs in steps, so that a window stays responsive and can offer a cancel button
// and the command-line tool can run it in a plain loop.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    // Prints the next part; false once the job has printed everything (or failed).
    virtual bool step() = 0;
    // Progress in rows.
    virtual qint64 done() const = 0;
    virtual qint64 total() const = 0;
    // Why the job failed; empty while it goes well.
    virtual QString error() const = 0;
};

// A job's own error, else the printer's failure (a general one when the device gave no reason),
// else empty.
QString JobError(const QString& ownError, Printer& printer);

// Runs a job to its end; fails with its error.
Status RunToEnd(PrintJob& job);

} // namespace zr5
