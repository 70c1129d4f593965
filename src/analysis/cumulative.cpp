#include "analysis/cumulative.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zr5 {

namespace {

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
    RowCompleter completer(m.Motor, OperatingPointOf(m));
    completer.setEnergy(m.Energy);
    const CompletedRow row = completer.complete(in, rowTime - startTime);
    m.Energy = completer.energy();
    m.SampleRow = row.sample;
    m.ChannelRow = row.channels;
    SetOperatingPoint(m, row.values);
    AnalysedRow result;
    result.elapsed = SplitSeconds(elapsed);
    m.Elapsed = result.elapsed;
    result.decision = DescribeMotorState(row.state, m.Motor, row.values);
    return result;
}

CumulativeAnalysis::CumulativeAnalysis(QString recording, MeasurementModel& model,
                                       AnalysisResults& results)
    : path_(std::move(recording)), model_(model), results_(results) {}

CumulativeAnalysis::CumulativeAnalysis(const RecordingInfo& recording, MeasurementModel& model,
                                       AnalysisResults& results)
    : path_(recording.path), model_(model), results_(results), info_(recording), opened_(true) {}

Status CumulativeAnalysis::begin() {
    nextRow_ = 1;
    finished_ = false;
    lastState_ = MotorState::NoMotorData;
    error_.clear();
    if (!opened_) {
        Result<RecordingInfo> info = ReadRecordingInfo(path_);
        if (!info)
            return Status::failure(error_ = info.error());
        info_ = *info;
    }
    if (Status analysable = AnalysisRefusal(info_); !analysable)
        return Status::failure(error_ = analysable.error());
    MeasurementModel& m = model_;
    m.Motor = info_.header.motorParameters();
    auto reader = CompletedRowReader::open(info_, m.Motor);
    if (!reader)
        return Status::failure(error_ = reader.error());
    reader_ = std::move(*reader);

    AnalysisResults& a = results_;
    m.RowMaximum = info_.RowMaximum;
    m.RowMinimum = info_.RowMinimum;

    // The energy series keep their memory from an earlier pass: a new million rows' worth costs
    // more in fresh pages than the pass's arithmetic.
    std::vector<float> active = std::move(a.ActiveEnergySeries);
    std::vector<float> reactive = std::move(a.ReactiveEnergySeries);
    a = AnalysisResults{};
    a.analysedFile = info_.path;
    a.axes = ChooseCurveAxes(m.RowMinimum, m.RowMaximum, info_.header.Duration);
    if (keepEnergySeries_) {
        active.assign(std::size_t(info_.RecordCount) + 1, 0.0f);
        reactive.assign(std::size_t(info_.RecordCount) + 1, 0.0f);
        a.ActiveEnergySeries = std::move(active);
        a.ReactiveEnergySeries = std::move(reactive);
    }
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
    MeasurementModel& m = model_;
    AnalysisResults& a = results_;
    // The rows go on from what the model holds.
    reader_->completer().setValues(OperatingPointOf(m));
    reader_->completer().setEnergy(m.Energy);
    const qint64 wanted = std::min(maxRows, info_.RecordCount - nextRow_ + 1);
    const qint64 got = reader_->read(block.rows, wanted);

    float efficiencyMaximum = a.EfficiencyMaximum, efficiencyMinimum = a.EfficiencyMinimum;
    float loadRateMaximum = a.LoadRateMaximum, loadRateMinimum = a.LoadRateMinimum;
    const CompletedRow* rows = block.rows.data();
    if (keepEnergySeries_) {
        float* activeSeries = a.ActiveEnergySeries.data() + nextRow_;
        float* reactiveSeries = a.ReactiveEnergySeries.data() + nextRow_;
        for (qint64 i = 0; i < got; ++i) {
            activeSeries[i] = rows[i].sample[Slot::ActiveEnergy];
            reactiveSeries[i] = rows[i].sample[Slot::ReactiveEnergy];
        }
    }
    for (qint64 i = 0; i < got; ++i) {
        const OperatingPoint& values = rows[i].values;
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
    m.Energy = reader_->completer().energy();
    a.EfficiencyMaximum = efficiencyMaximum;
    a.EfficiencyMinimum = efficiencyMinimum;
    a.LoadRateMaximum = loadRateMaximum;
    a.LoadRateMinimum = loadRateMinimum;
    if (got > 0) {
        const CompletedRow& last = block.rows.back();
        m.SampleRow = last.sample;
        m.ChannelRow = last.channels;
        SetOperatingPoint(m, last.values);
        lastState_ = last.state;
        // Only the last row's elapsed time is shown, so only it is split.
        m.ElapsedTime = RowElapsedTime(nextRow_ - 1, info_.header.Duration, info_.RecordCount);
        m.Elapsed = SplitSeconds(m.ElapsedTime);
    }
    if (got < wanted)
        error_ = reader_->error();
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

Status CumulativeAnalysis::runAll() {
    if (Status begun = begin(); !begun)
        return begun;
    while (!done())
        processBlock(kPassBlockRows);
    return error_.isEmpty() ? Status() : Status::failure(error_);
}

namespace {
template <int K>
void PlotKind(const CumulativeBlock& block, const CurveAxisTables& axes, float* y, float* values) {
    const float low = axes.CurveAxisLow[std::size_t(K)];
    const float high = axes.CurveAxisHigh[std::size_t(K)];
    if (values == nullptr) {
        for (const CompletedRow& row : block.rows)
            *y++ = CurveY(K, CurveValue(K, row.sample, row.values.LoadRate, row.values.Efficiency),
                          low, high);
        return;
    }
    for (const CompletedRow& row : block.rows) {
        const float v = CurveValue(K, row.sample, row.values.LoadRate, row.values.Efficiency);
        *values++ = v;
        *y++ = CurveY(K, v, low, high);
    }
}
using PlotKindFunction = void (*)(const CumulativeBlock&, const CurveAxisTables&, float*, float*);
// Each kind's loop with its kind fixed: what CurvePlotYs gives every row.
constexpr std::array<PlotKindFunction, kCurveKinds> kPlotKinds =
    []<int... K>(std::integer_sequence<int, K...>) {
    return std::array<PlotKindFunction, kCurveKinds>{&PlotKind<K>...};
}
(std::make_integer_sequence<int, kCurveKinds>{});
} // namespace

void CumulativePlotRows(const CumulativeBlock& block, qint64 rowCount, CurvePoints& points) {
    const std::size_t n = block.rows.size();
    points.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        points.x[i] = CumulativePlotX(block.firstRow + qint64(i), rowCount);
        points.operatingPoint[i] = block.rows[i].state == MotorState::Normal ? 1 : 0;
    }
}

void CumulativePlotKind(int kind, const CumulativeBlock& block, const CurveAxisTables& axes,
                        float* y, float* values) {
    kPlotKinds[std::size_t(kind)](block, axes, y, values);
}

void CumulativePlotPoints(const CumulativeBlock& block, qint64 rowCount,
                          const CurveAxisTables& axes, CurvePoints& points) {
    CumulativePlotRows(block, rowCount, points);
    for (int k = 0; k < kCurveKinds; ++k)
        CumulativePlotKind(k, block, axes, points.y[std::size_t(k)].data());
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
