#include "analysis/cumulative.h"

#include <cmath>
#include <utility>

namespace zr5 {

AnalysedRow AnalyseRow(MeasurementModel& m, float rowTime, float startTime, float elapsed) {
    for (int j = 0; j < kChannelRowSize; ++j)
        m.ChannelRow[j] = m.SampleRow[j];
    const RowPowers p = ComputeRowPowers(m.ChannelRow);
    StoreRowPowers(m.SampleRow, p);
    m.Energy.add(p.P, p.Q, rowTime - startTime);
    m.SampleRow[Slot::ActiveEnergy] = std::fabs(m.Energy.ActiveEnergy) * 1000.0f;
    m.SampleRow[Slot::ReactiveEnergy] = std::fabs(m.Energy.ReactiveEnergy) * 1000.0f;

    AnalysedRow result;
    result.elapsed = SplitSeconds(elapsed);
    m.Elapsed = result.elapsed;
    result.decision = ClassifyMotorState(p.P, m.Motor, {m.LoadRate, m.OutputPower, m.Efficiency},
                                         ClassifyCaller::AnalyseRow);
    m.LoadRate = result.decision.LoadRate;
    m.Efficiency = result.decision.Efficiency;
    m.OutputPower = result.decision.OutputPower;
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

bool CumulativeAnalysis::step(MotorStateDecision& decision, float& elapsed) {
    MeasurementModel& m = model_;
    ChannelRowValues values;
    if (!reader_->next(values)) {
        error_ = reader_->error().isEmpty() ? QStringLiteral("读取数据文件出错") : reader_->error();
        return false;
    }
    for (int j = 0; j < kChannelRowSize; ++j)
        m.SampleRow[j] = values[j];
    const qint64 r = nextRow_;
    const float start = info_.header.StartTime;
    elapsed = RowElapsedTime(r, info_.header.Duration, info_.RecordCount);
    m.ElapsedTime = elapsed;
    const AnalysedRow row = AnalyseRow(m, start + elapsed, start, elapsed);
    decision = row.decision;

    AnalysisResults& a = results_;
    a.ActiveEnergySeries[std::size_t(r)] = m.SampleRow[Slot::ActiveEnergy];
    a.ReactiveEnergySeries[std::size_t(r)] = m.SampleRow[Slot::ReactiveEnergy];
    if (!(a.EfficiencyMaximum >= m.Efficiency))
        a.EfficiencyMaximum = m.Efficiency;
    if (a.EfficiencyMinimum > m.Efficiency)
        a.EfficiencyMinimum = m.Efficiency;
    if (!(a.LoadRateMaximum >= m.LoadRate))
        a.LoadRateMaximum = m.LoadRate;
    if (a.LoadRateMinimum > m.LoadRate)
        a.LoadRateMinimum = m.LoadRate;
    ++nextRow_;
    return true;
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
