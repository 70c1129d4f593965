#include "analysis/completedrows.h"

#include <algorithm>
#include <cmath>

#include "analysis/blockpool.h"

namespace zr5 {

RowCompleter::RowCompleter(const MotorParameters& motor, OperatingPoint values,
                           ClassifyCaller caller)
    : motor_(motor), values_(values), caller_(caller) {}

void RowCompleter::complete(ChannelRowValues* in, const float* spanSeconds, CompletedRow* out,
                            std::size_t count) {
    // First what each row gives on its own, on every core, a piece of the block at a time: the
    // power rules (the sample keeps the values as read, the channels the active powers held to the
    // apparent power) and the operating point of the row's input power.
    powers_.resize(count);
    operating_.resize(count);
    const MotorParameters motor = motor_;
    // The pointers by value: through references every store into a row would reload them.
    RowPowers* const powers = powers_.data();
    std::optional<OperatingPoint>* const operating = operating_.data();
    const auto ownRows = [in, out, powers, operating, &motor](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            std::copy_n(in[i].begin(), kChannelRowSize, out[i].sample.begin());
        ComputeRowPowers(in + begin, powers + begin, end - begin);
        for (std::size_t i = begin; i < end; ++i) {
            out[i].channels = in[i];
            StoreRowPowers(out[i].sample, powers[i]);
            operating[i] = ComputeMotorOperatingPoint(powers[i].P, motor);
        }
    };
    BlockPool::shared().run(count, kPieceRows, ownRows);
    // Then, in order, what goes from row to row: the energies (stored in W·h and var·h) and the
    // motor state with the operating point a row finds.
    EnergyAccumulator energy = energy_;
    OperatingPoint values = values_;
    for (std::size_t i = 0; i < count; ++i) {
        SampleRowValues& s = out[i].sample;
        energy.add(s[Slot::ActivePower], s[Slot::ReactivePower], spanSeconds[i]);
        s[Slot::ActiveEnergy] = std::fabs(energy.ActiveEnergy) * 1000.0f;
        s[Slot::ReactiveEnergy] = std::fabs(energy.ReactiveEnergy) * 1000.0f;
        out[i].state =
            ClassifyMotorValues(s[Slot::ActivePower], operating_[i], motor, values, caller_);
        out[i].values = values;
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
