#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/operatingpoint.h"

namespace zr5 {

class CumulativeAnalysis;
struct AnalysisResults;
struct MeasurementModel;
struct RecordingInfo;

// The header line of a recording's table.
extern const char kCsvTableHeader[];

// How writing a table ended.
struct CsvTableOutcome {
    enum Status { Written, ReadFailed, WriteFailed, Cancelled } status = Written;
    QString error; // ReadFailed: why the recording could not be read
};

class CumulativeAnalysis;

// One line of the table as values: the row number, the numbers of the columns elapsed_s to
// reactive_energy_varh, load_rate_pct to efficiency_pct and the two unbalances in the header's
// order, and the state that stands between them.
struct CsvTableRow {
    static constexpr int kNumbers = 21;
    static constexpr int kStateColumn = 17; // of the table's 23 columns, counted from 0
    // numbers[16..18]: load rate, output power and efficiency, the operating point.
    static constexpr int kFirstOperatingPoint = 16;
    // numbers[19..20]: the voltage and the current unbalance in % (NEMA MG-1); NaN where the
    // wiring gives fewer than three phases or the three magnitudes are all 0.
    static constexpr int kFirstUnbalance = 19;
    qint64 row = 0;
    std::array<float, kNumbers> numbers{};
    MotorState state = MotorState::NoMotorData;

    // A row without an operating point (below no-load, generating, no motor data) leaves its three
    // fields empty, as the window and the printed table do: the figures it carries over from an
    // earlier row would spoil any average taken from the table. An unbalance that cannot be
    // measured is left empty too.
    bool hasNumber(int i) const {
        if (i >= kFirstUnbalance)
            return !std::isnan(numbers[std::size_t(i)]);
        return i < kFirstOperatingPoint || state == MotorState::Normal;
    }
};

// A number as the table writes it: nine significant digits (nan, inf, -inf when not finite).
void AppendCsvNumber(std::string& text, float v);

// Runs the next block of a pass that has begun, up to row lastRow, and gives its rows from row
// firstRow on (both held to the recording's rows by the caller). The rows before the first still
// run through the pass: their energies add up. False when nothing was left to pass (the end, or a
// read error: see the pass).
bool NextCsvTableRows(CumulativeAnalysis& pass, qint64 firstRow, qint64 lastRow,
                      std::vector<CsvTableRow>& rows);

// Runs a pass that has begun up to row lastRow and hands rows firstRow..lastRow to `perBlock` in
// blocks of the table's lines; `perBlock` returns false when they cannot be written (WriteFailed).
// `progress` as for WriteCsvTable.
CsvTableOutcome ReadCsvTable(CumulativeAnalysis& pass, qint64 firstRow, qint64 lastRow,
                             const std::function<bool(const std::vector<CsvTableRow>&)>& perBlock,
                             const std::function<bool(qint64, qint64)>& progress = {});

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

// The same a block of rows at a time, for a window that writes between its events.
class CsvTableWriter {
public:
    using Write = std::function<bool(const std::string&)>;
    CsvTableWriter(const QString& recording, qint64 firstRow, qint64 lastRow, Write write);
    // Over a recording a window has opened.
    CsvTableWriter(const RecordingInfo& recording, qint64 firstRow, qint64 lastRow, Write write);
    ~CsvTableWriter();
    // Writes the next block; false once the table is complete or has failed (outcome() says).
    bool step();
    // Rows passed of the rows to pass.
    qint64 done() const;
    qint64 total() const { return last_; }
    // Whether the last step passed rows (and wrote them, unless it failed).
    bool passedRows() const { return passed_; }
    const CsvTableOutcome& outcome() const { return outcome_; }

private:
    bool fail(CsvTableOutcome::Status status, const QString& error = {});

    std::unique_ptr<MeasurementModel> model_;
    std::unique_ptr<AnalysisResults> results_;
    std::unique_ptr<CumulativeAnalysis> pass_;
    qint64 first_ = 1, last_ = 0;
    Write write_;
    bool started_ = false, ended_ = false, passed_ = false;
    CsvTableOutcome outcome_;
};

// The table's file name offered beside the recording: "G.csv" for the whole recording,
// "G_行F-L.csv" for rows F to L of it (a zoomed range), so that a range is not taken for the whole;
// a workbook's ends in ".xlsx".
QString CsvTableFileName(const QString& recording, qint64 firstRow, qint64 lastRow, qint64 rowCount,
                         const QString& suffix = QStringLiteral(".csv"));

} // namespace zr5
