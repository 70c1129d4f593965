#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>

namespace zr5 {

// The header line of a recording's table.
extern const char kCsvTableHeader[];

// How writing a table ended.
struct CsvTableOutcome {
    enum Status { Written, ReadFailed, WriteFailed, Cancelled } status = Written;
    QString error; // ReadFailed: why the recording could not be read
};

// Writes a recording as comma-separated values: the header line, then one line per row with the
// row number, its elapsed time, the nine channel values, the totals, the energies so far, the
// motor state and the operating point (empty in a row without one), as the cumulative analysis
// computes them (numbers with
// nine significant digits, so every value reads back unchanged). Only rows firstRow..lastRow are
// written (held to the recording's rows), but the energies are those of the whole pass. `write`
// takes blocks of text and returns false when they cannot be written; `progress` gets the rows
// done of the rows to do after each block and returns false to cancel.
CsvTableOutcome WriteCsvTable(const QString& recording, qint64 firstRow, qint64 lastRow,
                              const std::function<bool(const std::string&)>& write,
                              const std::function<bool(qint64, qint64)>& progress = {});

} // namespace zr5
