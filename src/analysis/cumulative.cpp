#include "analysis/cumulative.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zr5 {

namespace {

// A row is completed in three steps; the pass takes each step over a whole block of rows, where
// the rows' arithmetic overlaps instead of waiting on one row's square roots and divisions.
// First the power rules (PF stays signed) for count rows: SampleRow keeps the values as read,
// ChannelRow the active powers held to the apparent power. `in` is changed; `powers` is room for
// count totals.
void CompleteRowsPowers(ChannelRowValues* in, RowPowers* powers, CompletedRow* out,
                        std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        std::copy_n(in[i].begin(), kChannelRowSize, out[i].sample.begin());
    ComputeRowPowers(in, powers, count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i].channels = in[i];
        StoreRowPowers(out[i].sample, powers[i]);
    }
}

// Then the energies over spanSeconds since the start, stored in W·h and var·h.
inline void CompleteRowEnergies(float spanSeconds, EnergyAccumulator& energy, CompletedRow& out) {
    energy.add(out.sample[Slot::ActivePower], out.sample[Slot::ReactivePower], spanSeconds);
    out.sample[Slot::ActiveEnergy] = std::fabs(energy.ActiveEnergy) * 1000.0f;
    out.sample[Slot::ReactiveEnergy] = std::fabs(energy.ReactiveEnergy) * 1000.0f;
}

// Then the motor state; `values` carries the operating point from row to row.
inline void CompleteRowState(const MotorParameters& motor, OperatingPoint& values,
                             CompletedRow& out) {
    out.state = ClassifyMotorValues(out.sample[Slot::ActivePower], motor, values,
                                    ClassifyCaller::AnalyseRow);
    out.values = values;
}

OperatingPoint OperatingPointOf(const MeasurementModel& m) {
    return {m.LoadRate, m.OutputPower, m.Efficiency};
}

void SetOperatingPoint(MeasurementModel& m, const OperatingPoint& values) {
    m.LoadRate = values.LoadRate;
    m.OutputPower = values.OutputPower;
    m.Efficiency = values.Efficiency;
}

} // namespace

AnalysedRow AnalyseRow(MeasurementModel& m, float rowTime, float startTime, float elapsed) {
    ChannelRowValues in;
    std::copy_n(m.SampleRow.begin(), kChannelRowSize, in.begin());
    OperatingPoint values = OperatingPointOf(m);
    CompletedRow row;
    RowPowers powers;
    CompleteRowsPowers(&in, &powers, &row, 1);
    CompleteRowEnergies(rowTime - startTime, m.Energy, row);
    CompleteRowState(m.Motor, values, row);
    m.SampleRow = row.sample;
    m.ChannelRow = row.channels;
    SetOperatingPoint(m, values);
    AnalysedRow result;
    result.elapsed = SplitSeconds(elapsed);
    m.Elapsed = result.elapsed;
    result.decision = DescribeMotorState(row.state, m.Motor, values);
    return result;
}

float RowElapsedTime(qint64 row, float duration, qint64 rowCount) {
    if (rowCount <= 0)
        return 0;
    return static_cast<float>(double(row) * double(duration) / double(rowCount));
}

CumulativeAnalysis::CumulativeAnalysis(QString recording, MeasurementModel& model,
                                       AnalysisResults& results)
    : path_(std::move(recording)), model_(model), results_(results) {}

QString CumulativeAnalysis::begin() {
    nextRow_ = 1;
    finished_ = false;
    lastState_ = MotorState::NoMotorData;
    error_.clear();
    Result<RecordingInfo> info = ReadRecordingInfo(path_);
    if (!info)
        return error_ = info.error();
    if (QString refusal = AnalysisRefusal(*info); !refusal.isEmpty())
        return error_ = refusal;
    info_ = *info;
    auto reader = RecordingRowReader::open(info_);
    if (!reader)
        return error_ = reader.error();
    reader_ = std::move(*reader);

    MeasurementModel& m = model_;
    AnalysisResults& a = results_;
    m.Motor = info_.header.motorParameters();
    m.RowMaximum = info_.RowMaximum;
    m.RowMinimum = info_.RowMinimum;

    a = AnalysisResults{};
    a.analysedFile = info_.path;
    a.axes = ChooseCurveAxes(m.RowMinimum, m.RowMaximum, info_.header.Duration);
    a.ActiveEnergySeries.assign(std::size_t(info_.RecordCount) + 1, 0.0f);
    a.ReactiveEnergySeries.assign(std::size_t(info_.RecordCount) + 1, 0.0f);
    m.Energy.reset();
    m.ElapsedTime = 0;
    return {};
}

const CumulativeBlock& CumulativeAnalysis::processBlock(qint64 maxRows) {
    CumulativeBlock& block = block_;
    block.firstRow = nextRow_;
    if (done() || maxRows <= 0) {
        block.rows.clear();
        if (done())
            finish();
        return block;
    }
    const qint64 wanted = std::min(maxRows, info_.RecordCount - nextRow_ + 1);
    read_.resize(std::size_t(wanted));
    const qint64 got = reader_->read(read_.data(), wanted);
    block.rows.resize(std::size_t(got));

    MeasurementModel& m = model_;
    AnalysisResults& a = results_;
    const float start = info_.header.StartTime;
    const float duration = info_.header.Duration;
    const qint64 count = info_.RecordCount;
    const MotorParameters motor = m.Motor;
    OperatingPoint values = OperatingPointOf(m);
    EnergyAccumulator energy = m.Energy;
    float efficiencyMaximum = a.EfficiencyMaximum, efficiencyMinimum = a.EfficiencyMinimum;
    float loadRateMaximum = a.LoadRateMaximum, loadRateMinimum = a.LoadRateMinimum;
    float* activeSeries = a.ActiveEnergySeries.data() + nextRow_;
    float* reactiveSeries = a.ReactiveEnergySeries.data() + nextRow_;
    CompletedRow* rows = block.rows.data();
    powers_.resize(std::size_t(got));
    CompleteRowsPowers(read_.data(), powers_.data(), rows, std::size_t(got));
    float elapsed = m.ElapsedTime;
    for (qint64 i = 0; i < got; ++i) {
        elapsed = RowElapsedTime(nextRow_ + i, duration, count);
        const float rowTime = start + elapsed;
        CompleteRowEnergies(rowTime - start, energy, rows[i]);
        activeSeries[i] = rows[i].sample[Slot::ActiveEnergy];
        reactiveSeries[i] = rows[i].sample[Slot::ReactiveEnergy];
    }
    for (qint64 i = 0; i < got; ++i) {
        CompleteRowState(motor, values, rows[i]);
        if (nextRow_ + i == 1) {
            // The extremes start from the first row: a start value that no row reaches (a load
            // rate minimum of 150 when every row runs above it) is no row's value.
            efficiencyMaximum = efficiencyMinimum = values.Efficiency;
            loadRateMaximum = loadRateMinimum = values.LoadRate;
        }
        if (!(efficiencyMaximum >= values.Efficiency))
            efficiencyMaximum = values.Efficiency;
        if (efficiencyMinimum > values.Efficiency)
            efficiencyMinimum = values.Efficiency;
        if (!(loadRateMaximum >= values.LoadRate))
            loadRateMaximum = values.LoadRate;
        if (loadRateMinimum > values.LoadRate)
            loadRateMinimum = values.LoadRate;
    }
    nextRow_ += got;
    m.Energy = energy;
    a.EfficiencyMaximum = efficiencyMaximum;
    a.EfficiencyMinimum = efficiencyMinimum;
    a.LoadRateMaximum = loadRateMaximum;
    a.LoadRateMinimum = loadRateMinimum;
    if (got > 0) {
        const CompletedRow& last = block.rows.back();
        m.SampleRow = last.sample;
        m.ChannelRow = last.channels;
        SetOperatingPoint(m, values);
        lastState_ = last.state;
        // Only the last row's elapsed time is shown, so only it is split.
        m.ElapsedTime = elapsed;
        m.Elapsed = SplitSeconds(elapsed);
    }
    if (got < wanted)
        error_ = reader_->error().isEmpty() ? QStringLiteral("读取数据文件出错") : reader_->error();
    if (done())
        finish();
    return block;
}

float CumulativeAnalysis::showRow(std::size_t i, MotorStateDecision& decision) {
    const CompletedRow& row = block_.rows[i];
    MeasurementModel& m = model_;
    m.SampleRow = row.sample;
    m.ChannelRow = row.channels;
    SetOperatingPoint(m, row.values);
    const float elapsed =
        RowElapsedTime(block_.firstRow + qint64(i), info_.header.Duration, info_.RecordCount);
    m.ElapsedTime = elapsed;
    m.Elapsed = SplitSeconds(elapsed);
    decision = DescribeMotorState(row.state, m.Motor, row.values);
    return elapsed;
}

qint64 CumulativeAnalysis::process(qint64 maxRows) {
    qint64 count = 0;
    while (count < maxRows && !done())
        count += qint64(processBlock(std::min(maxRows - count, kBlockRows)).rows.size());
    return count;
}

MotorStateDecision CumulativeAnalysis::lastDecision() const {
    return DescribeMotorState(lastState_, model_.Motor, OperatingPointOf(model_));
}

void CumulativeAnalysis::finish() {
    if (finished_)
        return;
    finished_ = true;
    reader_.reset();
    if (!error_.isEmpty())
        return;
    results_.TotalActiveEnergy = model_.SampleRow[Slot::ActiveEnergy];
    results_.TotalReactiveEnergy = model_.SampleRow[Slot::ReactiveEnergy];
    results_.complete = true;
}

QString CumulativeAnalysis::runAll() {
    if (QString error = begin(); !error.isEmpty())
        return error;
    while (!done())
        process(1 << 20);
    return error_;
}

namespace {
template <int K>
void PlotKind(const CumulativeBlock& block, const CurveAxisTables& axes, float* y) {
    const float low = axes.CurveAxisLow[std::size_t(K)];
    const float high = axes.CurveAxisHigh[std::size_t(K)];
    for (const CompletedRow& row : block.rows)
        *y++ = CurveY(K, CurveValue(K, row.sample, row.values.LoadRate, row.values.Efficiency), low,
                      high);
}
} // namespace

void CumulativePlotPoints(const CumulativeBlock& block, qint64 rowCount,
                          const CurveAxisTables& axes, CurvePoints& points) {
    const std::size_t n = block.rows.size();
    points.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        points.x[i] = CumulativePlotX(block.firstRow + qint64(i), rowCount);
        points.operatingPoint[i] = block.rows[i].state == MotorState::Normal ? 1 : 0;
    }
    // Kind by kind, each a short loop with its kind fixed: what CurvePlotYs gives every row.
    [&]<int... K>(std::integer_sequence<int, K...>) {
        (PlotKind<K>(block, axes, points.y[std::size_t(K)].data()), ...);
    }
    (std::make_integer_sequence<int, kCurveKinds>{});
}

CurveExtremes CumulativeCurveExtremes(int kind, const MeasurementModel& m,
                                      const AnalysisResults& a) {
    if (kind == Curve::Efficiency)
        return {a.EfficiencyMaximum, a.EfficiencyMinimum};
    if (kind == Curve::LoadRate)
        return {a.LoadRateMaximum, a.LoadRateMinimum};
    const int index = CurveKind(kind).sampleIndex;
    return {m.RowMaximum[index], m.RowMinimum[index]};
}

} // namespace zr5
