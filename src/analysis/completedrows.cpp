#include "analysis/completedrows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "analysis/blockpool.h"

namespace zr5 {

RowCompleter::RowCompleter(const MotorParameters& motor, OperatingPoint values,
                           ClassifyCaller caller)
    : motor_(motor), values_(values), caller_(caller) {}

namespace {

// A piece's rows as the arrays of one quantity each that the power rules, the operating point and
// the energies take (each thread has its own).
struct PieceColumns {
    PowerColumns powers;
    OperatingColumns operating;
    std::array<float, kPowerColumnRows> spans, active, reactive;
};
static_assert(kPowerColumnRows == kOperatingColumnRows);

PieceColumns& ThreadColumns() {
    static thread_local std::unique_ptr<PieceColumns> columns;
    if (!columns)
        columns = std::make_unique<PieceColumns>();
    return *columns;
}

// The spans of a block's rows, given one by one.
struct GivenSpans {
    const float* spans;
    void fill(std::size_t first, std::size_t count, float* out) const {
        std::copy_n(spans + first, count, out);
    }
};

// The spans of a recording's rows from their numbers: what RowElapsedTime gives row by row, with
// the row number counted in double precision from the piece's first (exact: whole numbers).
struct SpansOfRows {
    RowCompleter::RecordingSpans rows;
    void fill(std::size_t first, std::size_t count, float* out) const {
        const float start = rows.start;
        const int n = int(count);
        if (rows.rowCount <= 0) {
            for (int i = 0; i < n; ++i)
                out[i] = (start + 0.0f) - start;
            return;
        }
        const double firstRow = double(rows.firstRow + qint64(first));
        const double duration = rows.duration;
        const double rowCount = double(rows.rowCount);
        for (int i = 0; i < n; ++i) {
            const float elapsed = ElapsedTimeOfRow(firstRow + double(i), duration, rowCount);
            const float rowTime = start + elapsed;
            out[i] = rowTime - start;
        }
    }
};

} // namespace

template <class Spans>
void RowCompleter::completeRows(const ChannelRowValues* in, const Spans& spans, CompletedRow* out,
                                std::size_t count) {
    if (count == 0)
        return;
    // First what each row gives on its own, on every core, a piece of the block at a time: the
    // power rules (the sample keeps the values as read, the channels the active powers held to the
    // apparent power), the operating point of the row's input power and the motor state, which
    // needs nothing of the rows before. Each piece notes the values its last row that sets them
    // leaves.
    powers_.resize(2 * count);
    sums_.resize(2 * count);
    pieces_.resize((count + kPieceRows - 1) / kPieceRows);
    const MotorParameters motor = motor_;
    const ClassifyCaller caller = caller_;
    // The pointers by value: through references every store into a row would reload them.
    float* const activePowers = powers_.data();
    float* const reactivePowers = activePowers + count;
    PieceValues* const pieces = pieces_.data();
    const auto ownRows = [=, &motor](std::size_t begin, std::size_t end) {
        PieceColumns& columns = ThreadColumns();
        PowerColumns& pc = columns.powers;
        OperatingColumns& oc = columns.operating;
        for (std::size_t first = begin; first < end; first += kPieceRows) {
            const std::size_t n = std::min(kPieceRows, end - first);
            const ChannelRowValues* rows = in + first;
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t c = 0; c < 3; ++c) {
                    pc.current[c][i] = rows[i][3 * c];
                    pc.voltage[c][i] = rows[i][3 * c + 1];
                    pc.active[c][i] = rows[i][3 * c + 2];
                }
            ComputeRowPowers(pc, n);
            ComputeMotorOperatingPoints(pc.P.data(), n, motor, oc);
            std::copy_n(pc.P.begin(), n, activePowers + first);
            std::copy_n(pc.Q.begin(), n, reactivePowers + first);
            CompletedRow* to = out + first;
            std::size_t lastSetting = n;
            for (std::size_t i = 0; i < n; ++i) {
                SampleRowValues& s = to[i].sample;
                ChannelRowValues& ch = to[i].channels;
                // Of a size known here, so copied in place rather than through a call.
                std::memcpy(s.data(), rows[i].data(), sizeof(ChannelRowValues));
                ch = rows[i];
                for (std::size_t c = 0; c < 3; ++c)
                    ch[3 * c + 2] = pc.active[c][i];
                s[Slot::ActivePower] = pc.P[i];
                s[Slot::ReactivePower] = pc.Q[i];
                s[Slot::PowerFactor] = pc.PF[i];
                s[Slot::ApparentPower] = pc.S[i];
                const bool has = oc.has[i] != 0;
                const MotorState state = MotorStateOf(pc.P[i], has, motor);
                to[i].state = state;
                // A row that keeps the values it finds has them put in once they are known.
                to[i].values =
                    has ? OperatingPoint{oc.LoadRate[i], oc.OutputPower[i], oc.Efficiency[i]}
                        : OperatingPoint{};
                lastSetting = KeepsValues(state, caller) ? lastSetting : i;
            }
            PieceValues& piece = pieces[first / kPieceRows];
            piece.sets = lastSetting < n;
            if (piece.sets)
                piece.last = to[lastSetting].values;
        }
    };
    BlockPool& pool = BlockPool::shared();
    pool.run(count, kPieceRows, ownRows);

    // Then, in order, what goes from row to row: the power sums, and the values each piece finds.
    double* const activeSums = sums_.data();
    double* const reactiveSums = activeSums + count;
    EnergyAccumulator energy = energy_;
    double activeSum = energy.ActivePowerSum;
    double reactiveSum = energy.ReactivePowerSum;
    for (std::size_t i = 0; i < count; ++i) {
        activeSum += activePowers[i];
        reactiveSum += reactivePowers[i];
        activeSums[i] = activeSum;
        reactiveSums[i] = reactiveSum;
    }
    energy.ActivePowerSum = activeSum;
    energy.ReactivePowerSum = reactiveSum;
    OperatingPoint values = values_;
    for (PieceValues& piece : pieces_) {
        piece.found = values;
        if (piece.sets)
            values = piece.last;
    }

    // Last, on every core again, each row's energies from the sums (stored in W·h and var·h) and
    // the values of the rows that keep what they find.
    // The rows so far, counted one by one as EnergyAccumulator::add counts them (whole numbers, so
    // exact); a block's rows fit an int, whose conversion vectorises.
    const double rowsBefore = energy.RowsAccumulated;
    const auto energies = [=, &spans](std::size_t begin, std::size_t end) {
        PieceColumns& columns = ThreadColumns();
        float* const span = columns.spans.data();
        float* const active = columns.active.data();
        float* const reactive = columns.reactive.data();
        for (std::size_t first = begin; first < end; first += kPieceRows) {
            const std::size_t n = std::min(kPieceRows, end - first);
            spans.fill(first, n, span);
            const int firstIndex = int(first);
            const int rowCount = int(n);
            for (int i = 0; i < rowCount; ++i) {
                const double rows = rowsBefore + double(firstIndex + i + 1);
                active[i] = MeanPowerEnergy(activeSums[firstIndex + i], rows, span[i]);
                reactive[i] = MeanPowerEnergy(reactiveSums[firstIndex + i], rows, span[i]);
            }
            CompletedRow* to = out + first;
            OperatingPoint found = pieces[first / kPieceRows].found;
            for (std::size_t i = 0; i < n; ++i) {
                to[i].sample[Slot::ActiveEnergy] = std::fabs(active[i]) * 1000.0f;
                to[i].sample[Slot::ReactiveEnergy] = std::fabs(reactive[i]) * 1000.0f;
                if (KeepsValues(to[i].state, caller))
                    to[i].values = found;
                else
                    found = to[i].values;
            }
        }
    };
    pool.run(count, kPieceRows, energies);

    float lastSpan;
    spans.fill(count - 1, 1, &lastSpan);
    energy.RowsAccumulated = rowsBefore + double(count);
    energy.ActiveEnergy = MeanPowerEnergy(activeSum, energy.RowsAccumulated, lastSpan);
    energy.ReactiveEnergy = MeanPowerEnergy(reactiveSum, energy.RowsAccumulated, lastSpan);
    energy_ = energy;
    values_ = values;
}

void RowCompleter::complete(const ChannelRowValues* in, const float* spanSeconds, CompletedRow* out,
                            std::size_t count) {
    completeRows(in, GivenSpans{spanSeconds}, out, count);
}

void RowCompleter::complete(const ChannelRowValues* in, const RecordingSpans& spans,
                            CompletedRow* out, std::size_t count) {
    completeRows(in, SpansOfRows{spans}, out, count);
}

CompletedRow RowCompleter::complete(ChannelRowValues in, float spanSeconds) {
    CompletedRow row;
    complete(&in, &spanSeconds, &row, 1);
    return row;
}

float RowElapsedTime(qint64 row, float duration, qint64 rowCount) {
    if (rowCount <= 0)
        return 0;
    return ElapsedTimeOfRow(double(row), double(duration), double(rowCount));
}

CompletedRowReader::CompletedRowReader(const RecordingInfo& info, const MotorParameters& motor,
                                       qint64 firstRow, OperatingPoint values,
                                       ClassifyCaller caller)
    : info_(info), completer_(motor, values, caller), nextRow_(firstRow) {}

Result<std::unique_ptr<CompletedRowReader>>
CompletedRowReader::open(const RecordingInfo& info, const MotorParameters& motor, qint64 firstRow,
                         OperatingPoint values, ClassifyCaller caller) {
    using R = Result<std::unique_ptr<CompletedRowReader>>;
    auto rows = RecordingRowReader::open(info, firstRow);
    if (!rows)
        return R::failure(rows.error());
    std::unique_ptr<CompletedRowReader> reader(
        new CompletedRowReader(info, motor, firstRow, values, caller));
    reader->rows_ = std::move(*rows);
    return reader;
}

Result<std::unique_ptr<CompletedRowReader>> CompletedRowReader::open(const RecordingInfo& info,
                                                                     qint64 firstRow) {
    return open(info, info.header.motorParameters(), firstRow);
}

qint64 CompletedRowReader::read(std::vector<CompletedRow>& rows, qint64 maxRows) {
    const qint64 wanted = std::clamp<qint64>(info_.RecordCount - nextRow_ + 1, 0, maxRows);
    read_.resize(std::size_t(wanted));
    const qint64 got = wanted > 0 ? rows_->read(read_.data(), wanted) : 0;
    rows.resize(std::size_t(got));
    const RowCompleter::RecordingSpans spans{nextRow_, info_.RecordCount, info_.header.StartTime,
                                             info_.header.Duration};
    completer_.complete(read_.data(), spans, rows.data(), std::size_t(got));
    nextRow_ += got;
    if (got < wanted)
        error_ = rows_->error().isEmpty() ? QStringLiteral("读取数据文件出错") : rows_->error();
    return got;
}

const CompletedRow* CompletedRowReader::next() {
    return read(one_, 1) == 1 ? &one_.front() : nullptr;
}

} // namespace zr5
