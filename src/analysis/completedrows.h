#pragma once

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/operatingpoint.h"
#include "model/result.h"
#include "model/rowpowers.h"
#include "recording/recordingfile.h"

namespace zr5 {

// One row of a recording as the analysis completes it.
struct CompletedRow {
    // The nine values as read, then [2] P, [5] Q, [8] signed PF, [9] S and the energies so far in
    // W·h and var·h ([10], [11]).
    SampleRowValues sample;
    ChannelRowValues channels; // the nine values with the active powers held to the apparent power
    OperatingPoint values;     // load rate, output power and efficiency after the row
    MotorState state;
};

// The mean of a row's three currents or voltages as the reports print it: the sum of their
// magnitudes over `divisor` (3, or the transformers in use).
inline float PrintedChannelMean(const SampleRowValues& row, int first, int second, int third,
                                float divisor = 3.0f) {
    return (std::fabs(row[first]) + std::fabs(row[second]) + std::fabs(row[third])) / divisor;
}

// Completes rows one after the other: the power rules (PF stays signed), the energies since the
// first row completed, the motor state. What a row finds of the one before (the energy sums, the
// operating point a generating row keeps) is carried here.
class RowCompleter {
public:
    // `values` are what the first row finds; `caller` chooses whether rows without motor data
    // reset them (the pass) or leave them (the single row of a query).
    explicit RowCompleter(const MotorParameters& motor, OperatingPoint values = {},
                          ClassifyCaller caller = ClassifyCaller::AnalyseRow);

    // Completes count rows, whose energies run over spanSeconds[i] since the start, from the rows
    // as read in `in`. What each row gives on its own is worked out on all cores (BlockPool), in
    // arrays of one quantity each; what goes from row to row after it, in order.
    void complete(const ChannelRowValues* in, const float* spanSeconds, CompletedRow* out,
                  std::size_t count);
    CompletedRow complete(ChannelRowValues in, float spanSeconds = 0);
    // The same for rows firstRow, firstRow + 1, ... of a recording of rowCount rows over
    // `duration` seconds from `start`: each row's span is its time of day (start plus
    // RowElapsedTime) less the start, as the instrument's clock gives it.
    struct RecordingSpans {
        qint64 firstRow;
        qint64 rowCount;
        float start;
        float duration;
    };
    void complete(const ChannelRowValues* in, const RecordingSpans& spans, CompletedRow* out,
                  std::size_t count);

    const MotorParameters& motor() const { return motor_; }
    const EnergyAccumulator& energy() const { return energy_; }
    void setEnergy(const EnergyAccumulator& energy) { energy_ = energy; }
    const OperatingPoint& values() const { return values_; }
    void setValues(const OperatingPoint& values) { values_ = values; }

private:
    // The values a piece of a block passes on: those of its last row that sets them, if any.
    struct PieceValues {
        bool sets = false;
        OperatingPoint last;  // of the piece's last row that sets them
        OperatingPoint found; // what the piece's first row finds
    };
    template <class Spans>
    void completeRows(const ChannelRowValues* in, const Spans& spans, CompletedRow* out,
                      std::size_t count);

    MotorParameters motor_;
    OperatingPoint values_;
    ClassifyCaller caller_;
    EnergyAccumulator energy_;
    std::vector<float> powers_; // a block's active, then reactive powers
    std::vector<double> sums_;  // a block's active, then reactive power sums after each row
    std::vector<PieceValues> pieces_;
    // The rows of a block a core takes at a time.
    static constexpr std::size_t kPieceRows = 1024;
};

// Row k's elapsed time: k x duration / row count, in double precision. Adding the interval once per
// row in single precision drifts by minutes over a million rows.
float RowElapsedTime(qint64 row, float duration, qint64 rowCount);
// The same from the row number (a whole number, so exact), the duration and a row count above 0
// in double precision, for loops over many rows.
inline float ElapsedTimeOfRow(double row, double duration, double rowCount) {
    return static_cast<float>(row * duration / rowCount);
}

// A recording's rows, completed, in order, per row or per block. The energies are those since the
// reader's first row: the recording's own for a reader opened at row 1.
class CompletedRowReader {
public:
    static Result<std::unique_ptr<CompletedRowReader>>
    open(const RecordingInfo& info, const MotorParameters& motor, qint64 firstRow = 1,
         OperatingPoint values = {}, ClassifyCaller caller = ClassifyCaller::AnalyseRow);
    // With the motor data of the recording's header.
    static Result<std::unique_ptr<CompletedRowReader>> open(const RecordingInfo& info,
                                                            qint64 firstRow = 1);

    // Completes up to maxRows next rows into `rows` (resized to them) and returns how many: fewer
    // at the last row's end or on a read error (then error() says why).
    qint64 read(std::vector<CompletedRow>& rows, qint64 maxRows);
    // The next row, or nullptr at the last row's end or on a read error.
    const CompletedRow* next();

    // The number of the row the next read starts with.
    qint64 nextRow() const { return nextRow_; }
    bool atEnd() const { return nextRow_ > info_.RecordCount; }
    // Why a read stopped short ("读取数据文件出错" when the file gave no reason); empty otherwise.
    const QString& error() const { return error_; }
    const RowCompleter& completer() const { return completer_; }
    RowCompleter& completer() { return completer_; }

private:
    CompletedRowReader(const RecordingInfo& info, const MotorParameters& motor, qint64 firstRow,
                       OperatingPoint values, ClassifyCaller caller);

    RecordingInfo info_;
    RowCompleter completer_;
    std::unique_ptr<RecordingRowReader> rows_;
    qint64 nextRow_ = 1;
    QString error_;
    std::vector<ChannelRowValues> read_;
    std::vector<CompletedRow> one_;
};

} // namespace zr5
