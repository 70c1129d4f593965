#include "analysis/completedrows.h"

#include <algorithm>
#include <cmath>

#include "analysis/blockpool.h"

namespace zr5 {

RowCompleter::RowCompleter(const MotorParameters& motor, OperatingPoint values,
                           ClassifyCaller caller)
    : motor_(motor), values_(values), caller_(caller) {}

namespace {

// A piece's rows as the arrays of one quantity each that the power rules and the operating point
// take (each thread has its own).
struct PieceColumns {
    PowerColumns powers;
    OperatingColumns operating;
};
static_assert(kPowerColumnRows == kOperatingColumnRows);

} // namespace

void RowCompleter::complete(const ChannelRowValues* in, const float* spanSeconds, CompletedRow* out,
                            std::size_t count) {
    // First what each row gives on its own, on every core, a piece of the block at a time: the
    // power rules (the sample keeps the values as read, the channels the active powers held to the
    // apparent power) and the operating point of the row's input power.
    operating_.resize(count);
    const MotorParameters motor = motor_;
    // The pointers by value: through references every store into a row would reload them.
    std::optional<OperatingPoint>* const operating = operating_.data();
    const auto ownRows = [in, out, operating, &motor](std::size_t begin, std::size_t end) {
        static thread_local std::unique_ptr<PieceColumns> columns;
        if (!columns)
            columns = std::make_unique<PieceColumns>();
        PowerColumns& pc = columns->powers;
        OperatingColumns& oc = columns->operating;
        for (std::size_t first = begin; first < end; first += kPowerColumnRows) {
            const std::size_t n = std::min(kPowerColumnRows, end - first);
            const ChannelRowValues* rows = in + first;
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t c = 0; c < 3; ++c) {
                    pc.current[c][i] = rows[i][3 * c];
                    pc.voltage[c][i] = rows[i][3 * c + 1];
                    pc.active[c][i] = rows[i][3 * c + 2];
                }
            ComputeRowPowers(pc, n);
            ComputeMotorOperatingPoints(pc.P.data(), n, motor, oc);
            CompletedRow* to = out + first;
            std::optional<OperatingPoint>* op = operating + first;
            for (std::size_t i = 0; i < n; ++i) {
                SampleRowValues& s = to[i].sample;
                ChannelRowValues& ch = to[i].channels;
                std::copy_n(rows[i].begin(), kChannelRowSize, s.begin());
                ch = rows[i];
                for (std::size_t c = 0; c < 3; ++c)
                    ch[3 * c + 2] = pc.active[c][i];
                s[Slot::ActivePower] = pc.P[i];
                s[Slot::ReactivePower] = pc.Q[i];
                s[Slot::PowerFactor] = pc.PF[i];
                s[Slot::ApparentPower] = pc.S[i];
                op[i] = oc.has[i] ? std::optional(OperatingPoint{oc.LoadRate[i], oc.OutputPower[i],
                                                                 oc.Efficiency[i]})
                                  : std::nullopt;
            }
        }
    };
    BlockPool::shared().run(count, kPieceRows, ownRows);
    // Then, in order, what goes from row to row: the power sums, and the motor state with the
    // operating point a row finds.
    sums_.resize(2 * count);
    double* const activeSums = sums_.data();
    double* const reactiveSums = activeSums + count;
    EnergyAccumulator energy = energy_;
    OperatingPoint values = values_;
    for (std::size_t i = 0; i < count; ++i) {
        SampleRowValues& s = out[i].sample;
        energy.ActivePowerSum += s[Slot::ActivePower];
        energy.ReactivePowerSum += s[Slot::ReactivePower];
        activeSums[i] = energy.ActivePowerSum;
        reactiveSums[i] = energy.ReactivePowerSum;
        out[i].state =
            ClassifyMotorValues(s[Slot::ActivePower], operating_[i], motor, values, caller_);
        out[i].values = values;
    }
    // The energies from the sums (stored in W·h and var·h): each row's apart from the others'.
    energies_.resize(2 * count);
    float* const active = energies_.data();
    float* const reactive = active + count;
    // The rows so far, counted one by one as EnergyAccumulator::add counts them (whole numbers, so
    // exact); a block's rows fit an int, whose conversion vectorises.
    const double rowsBefore = energy.RowsAccumulated;
    const int rowCount = int(count);
    for (int i = 0; i < rowCount; ++i) {
        const double rows = rowsBefore + double(i + 1);
        active[i] = MeanPowerEnergy(activeSums[i], rows, spanSeconds[i]);
        reactive[i] = MeanPowerEnergy(reactiveSums[i], rows, spanSeconds[i]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i].sample[Slot::ActiveEnergy] = std::fabs(active[i]) * 1000.0f;
        out[i].sample[Slot::ReactiveEnergy] = std::fabs(reactive[i]) * 1000.0f;
    }
    if (count > 0) {
        energy.RowsAccumulated = rowsBefore + double(count);
        energy.ActiveEnergy = active[count - 1];
        energy.ReactiveEnergy = reactive[count - 1];
    }
    energy_ = energy;
    values_ = values;
}

CompletedRow RowCompleter::complete(ChannelRowValues in, float spanSeconds) {
    CompletedRow row;
    complete(&in, &spanSeconds, &row, 1);
    return row;
}

float RowElapsedTime(qint64 row, float duration, qint64 rowCount) {
    if (rowCount <= 0)
        return 0;
    return static_cast<float>(double(row) * double(duration) / double(rowCount));
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
    spans_.resize(std::size_t(got));
    const float start = info_.header.StartTime;
    for (qint64 i = 0; i < got; ++i) {
        // The energies run over the row's time of day less the start, as the instrument's clock
        // gives them.
        const float rowTime =
            start + RowElapsedTime(nextRow_ + i, info_.header.Duration, info_.RecordCount);
        spans_[std::size_t(i)] = rowTime - start;
    }
    completer_.complete(read_.data(), spans_.data(), rows.data(), std::size_t(got));
    nextRow_ += got;
    if (got < wanted)
        error_ = rows_->error().isEmpty() ? QStringLiteral("读取数据文件出错") : rows_->error();
    return got;
}

const CompletedRow* CompletedRowReader::next() {
    return read(one_, 1) == 1 ? &one_.front() : nullptr;
}

} // namespace zr5
