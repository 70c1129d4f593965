#include "analysis/segmented.h"

#include <algorithm>
#include <cmath>

#include "analysis/completedrows.h"
#include "analysis/cumulative.h"
#include "model/numbertext.h"
#include "recording/recordingfile.h"

namespace zr5 {

SegmentWindow SegmentWindowRows(qint64 selectedRow, int halfSpan, qint64 rowCount) {
    SegmentWindow w;
    w.WindowFirstRow = selectedRow - halfSpan;
    w.WindowLastRow = selectedRow + halfSpan;
    if (w.WindowFirstRow <= 0)
        w.WindowFirstRow = 1;
    if (w.WindowLastRow > rowCount)
        w.WindowLastRow = rowCount;
    return w;
}

int EffectiveHalfSpan(float segmentHalfSpan) {
    if (!std::isfinite(segmentHalfSpan) || segmentHalfSpan < 1.0f)
        return 1;
    return static_cast<int>(std::min(std::lround(segmentHalfSpan), 100000L));
}

float SegmentPlotX(qint64 position, int halfSpan) {
    return static_cast<float>(double(position) * double(kTimeAxisWidth) / (2.0 * halfSpan));
}

qint64 SegmentRowAtX(float x, const SegmentWindow& window, int halfSpan) {
    const double step = kTimeAxisWidth / (2.0 * halfSpan);
    const qint64 row = window.WindowFirstRow + qint64(std::nearbyint(x / step)) - 1;
    return row < window.WindowFirstRow || row > window.WindowLastRow ? 0 : row;
}

std::vector<TimeLabel> SegmentTimeLabels(const SegmentWindow& w, qint64 selected, int halfSpan,
                                         float duration, qint64 rowCount) {
    const auto label = [&](qint64 row) {
        const double t = RowElapsedTime(row, duration, rowCount);
        // Surfaces stand 400 twips right of the labels' origin.
        constexpr float surfaceLeft = 400;
        const float x = SegmentPlotX(row - w.WindowFirstRow + 1, halfSpan) + surfaceLeft;
        const bool centred = x - kSegmentTimeLabelWidth / 2 >= surfaceLeft;
        return TimeLabel{PlainNumber(std::round(t * 100.0) / 100.0),
                         centred ? x - kSegmentTimeLabelWidth / 2 : x, centred};
    };
    std::vector<TimeLabel> labels;
    const TimeLabel middle = label(selected);
    if (w.WindowFirstRow < selected) {
        const TimeLabel first = label(w.WindowFirstRow);
        if (middle.left - first.left >= kSegmentTimeLabelWidth)
            labels.push_back(first);
    }
    labels.push_back(middle);
    if (w.WindowLastRow > selected) {
        const TimeLabel last = label(w.WindowLastRow);
        if (last.left - middle.left >= kSegmentTimeLabelWidth)
            labels.push_back(last);
    }
    return labels;
}

std::optional<float> RowCurveValue(const RecordingInfo& info, qint64 row, int kind) {
    if (row < 1 || row > info.RecordCount)
        return std::nullopt;
    auto reader = CompletedRowReader::open(info, row);
    const CompletedRow* r = reader ? (*reader)->next() : nullptr;
    if (!r)
        return std::nullopt;
    const bool op = r->state == MotorState::Normal;
    if (kind >= Curve::Efficiency && !op)
        return std::nullopt;
    return CurveValue(kind, r->sample, op ? r->values.LoadRate : 0.0f,
                      op ? r->values.Efficiency : 0.0f);
}

SegmentedAnalysisResult RunSegmentedAnalysis(const QString& recording, const AnalysisResults& a,
                                             float segmentHalfSpan, MeasurementModel& m,
                                             qint64 selectedRow) {
    Result<RecordingInfo> info = ReadRecordingInfo(recording);
    if (!info) {
        SegmentedAnalysisResult result;
        result.error = info.error();
        return result;
    }
    return RunSegmentedAnalysis(*info, a, segmentHalfSpan, m, selectedRow);
}

SegmentedAnalysisResult RunSegmentedAnalysis(const RecordingInfo& recording,
                                             const AnalysisResults& a, float segmentHalfSpan,
                                             MeasurementModel& m, qint64 selectedRow) {
    SegmentedAnalysisResult result;
    const RecordingInfo* info = &recording;
    if (Status analysable = AnalysisRefusal(*info); !analysable)
        return result.error = analysable.error(), result;
    const qint64 count = info->RecordCount;
    if (std::ssize(a.ActiveEnergySeries) != count + 1 ||
        std::ssize(a.ReactiveEnergySeries) != count + 1)
        return result.error = QStringLiteral("请先重绘曲线，再查询数据。"), result;

    const float duration = info->header.Duration;
    const qint64 s = std::clamp<qint64>(selectedRow, 1, count);
    result.selectedRow = s;

    // The selected row as the boxes show it; a row without motor data leaves the values shown.
    {
        auto reader =
            CompletedRowReader::open(*info, m.Motor, s, {m.LoadRate, m.OutputPower, m.Efficiency},
                                     ClassifyCaller::SingleRowDisplay);
        if (!reader)
            return result.error = reader.error(), result;
        const CompletedRow* row = (*reader)->next();
        if (!row)
            return result.error = (*reader)->error(), result;
        m.SampleRow = row->sample;
        m.ChannelRow = row->channels;
        m.SampleRow[Slot::ActiveEnergy] = a.ActiveEnergySeries[std::size_t(s)];
        m.SampleRow[Slot::ReactiveEnergy] = a.ReactiveEnergySeries[std::size_t(s)];
        const MotorStateDecision decision = DescribeMotorState(row->state, m.Motor, row->values);
        m.LoadRate = decision.LoadRate;
        m.Efficiency = decision.Efficiency;
        m.OutputPower = decision.OutputPower;
        m.ElapsedTime = RowElapsedTime(s, duration, count);
        m.Elapsed = SplitSeconds(m.ElapsedTime);
        result.display = FormatRowDisplay(m.SampleRow, m.Elapsed, decision);
    }

    // The curves of the rows around it, scaled on the cumulative analysis's axes.
    const int n = EffectiveHalfSpan(segmentHalfSpan);
    result.window = SegmentWindowRows(s, n, count);
    auto reader = CompletedRowReader::open(*info, m.Motor, result.window.WindowFirstRow);
    if (!reader)
        return result.error = reader.error(), result;
    std::vector<CompletedRow> rows;
    const qint64 wanted = result.window.WindowLastRow - result.window.WindowFirstRow + 1;
    if ((*reader)->read(rows, wanted) < wanted)
        return result.error = (*reader)->error(), result;
    CurveSetTrace traces;
    qint64 r = result.window.WindowFirstRow;
    for (const CompletedRow& row : rows) {
        // The energies stay those of the selected row.
        std::copy_n(row.sample.begin(), Slot::ApparentPower + 1, m.SampleRow.begin());
        m.ChannelRow = row.channels;
        // A row without an operating point keeps the one before it on the curves.
        const bool op = row.state == MotorState::Normal;
        if (op) {
            m.LoadRate = row.values.LoadRate;
            m.Efficiency = row.values.Efficiency;
            m.OutputPower = row.values.OutputPower;
        }
        const float x = SegmentPlotX(r - result.window.WindowFirstRow + 1, n);
        const auto ys = CurvePlotYs(m.SampleRow, m.LoadRate, m.Efficiency, a.axes);
        traces.add(x, ys, op);
        if (r == s) {
            result.MarkerX = x;
            // The selected row's marker stays on the plot, however far its values run out.
            for (int k = 0; k < kCurveKinds; ++k)
                result.MarkerY[std::size_t(k)] = ClampToPlot(ys[std::size_t(k)]);
        }
        ++r;
    }
    traces.finish();
    for (int k = 0; k < kCurveKinds; ++k)
        result.curves[std::size_t(k)] = traces.kind(k).takeLines();
    return result;
}

} // namespace zr5
