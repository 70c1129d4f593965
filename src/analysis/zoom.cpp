#include "analysis/zoom.h"

#include <algorithm>
#include <cmath>

#include "analysis/completedrows.h"
#include "analysis/operatingpoint.h"
#include "model/numbertext.h"
#include "model/splitseconds.h"
#include "recording/recordingfile.h"

namespace zr5 {

CumulativeView CumulativeView::Whole(qint64 rowCount, float duration) {
    CumulativeView v;
    v.rowCount_ = rowCount;
    v.duration_ = duration;
    v.from_ = 0;
    v.to_ = duration;
    v.whole_ = true;
    return v;
}

CumulativeView CumulativeView::range(double from, double to) const {
    const double d = duration_;
    if (rowCount_ <= 0 || !(d > 0) || !std::isfinite(from) || !std::isfinite(to))
        return Whole(rowCount_, duration_);
    if (from > to)
        std::swap(from, to);
    const double shortest = std::min(d, double(kMinimumRows) * d / double(rowCount_));
    if (to - from < shortest) {
        const double middle = (from + to) / 2;
        from = middle - shortest / 2;
        to = middle + shortest / 2;
    }
    // Held inside the recording without changing the span.
    if (from < 0) {
        to -= from;
        from = 0;
    }
    if (to > d) {
        from -= to - d;
        to = d;
    }
    from = std::max(from, 0.0);
    // Zooming in and out again lands on the whole recording, give or take the last bit.
    if (to - from >= d * (1 - 1e-9))
        return Whole(rowCount_, duration_);
    CumulativeView v = *this;
    v.from_ = from;
    v.to_ = to;
    v.whole_ = false;
    v.scale_ = d / double(rowCount_) * double(kTimeAxisWidth) / (to - from);
    v.offset_ = from * double(kTimeAxisWidth) / (to - from);
    return v;
}

float CumulativeView::x(qint64 row) const {
    if (whole_)
        return CumulativePlotX(row, rowCount_);
    return static_cast<float>(double(row) * scale_ - offset_);
}

double CumulativeView::timeAtX(float x) const {
    return from_ + double(x) * span() / double(kTimeAxisWidth);
}

qint64 CumulativeView::rowAtX(float x) const {
    if (whole_)
        return CumulativeRowAtX(x, rowCount_);
    const double row = std::nearbyint(timeAtX(x) * double(rowCount_) / double(duration_));
    const qint64 first = std::min(firstRow(), lastRow());
    return std::clamp<qint64>(qint64(std::clamp(row, -1.0, double(rowCount_) + 1)), first,
                              lastRow());
}

qint64 CumulativeView::firstRow() const {
    if (whole_)
        return 1;
    const double row = std::ceil(from_ * double(rowCount_) / double(duration_));
    return std::clamp<qint64>(qint64(row), 1, rowCount_);
}

qint64 CumulativeView::lastRow() const {
    if (whole_)
        return rowCount_;
    const double row = std::floor(to_ * double(rowCount_) / double(duration_));
    return std::clamp<qint64>(qint64(row), 1, rowCount_);
}

float CumulativeView::gridStep() const {
    return TimeGridStep(static_cast<float>(span()));
}

std::vector<CumulativeView::TimeLine> CumulativeView::timeGrid() const {
    std::vector<TimeLine> lines;
    if (!(duration_ > 0.0f))
        return lines;
    const float step = gridStep();
    if (whole_) {
        for (const GridLine& line : TimeGrid(duration_, step))
            lines.push_back({TimeGridX(line.value, duration_), line});
        return lines;
    }
    constexpr int kMaxLines = 64;
    for (double k = std::ceil(from_ / step); k * step <= to_ && lines.size() < kMaxLines; ++k) {
        const double t = k * step;
        lines.push_back({static_cast<float>((t - from_) * double(kTimeAxisWidth) / span()),
                         {static_cast<float>(t), t == 0.0}});
    }
    return lines;
}

std::vector<TimeLabel> CumulativeView::timeLabels(int maxLabels) const {
    if (whole_)
        return TimeLabels(duration_, gridStep(), maxLabels);
    std::vector<GridLine> grid;
    std::vector<float> lefts;
    for (const TimeLine& line : timeGrid()) {
        grid.push_back(line.line);
        lefts.push_back(line.x + 400.0f);
    }
    return GridTimeLabels(grid, lefts, maxLabels);
}

CumulativeView ZoomToDrag(const CumulativeView& view, float x1, float x2) {
    const auto held = [](float x) { return std::clamp(x, 0.0f, kTimeAxisWidth); };
    return view.range(view.timeAtX(held(std::min(x1, x2))), view.timeAtX(held(std::max(x1, x2))));
}

CumulativeView ZoomAround(const CumulativeView& view, float x, int steps) {
    const double factor = std::pow(0.8, steps);
    const double t = view.timeAtX(std::clamp(x, 0.0f, kTimeAxisWidth));
    return view.range(t - (t - view.from()) * factor, t + (view.to() - t) * factor);
}

CumulativeView Pan(const CumulativeView& view, float dx) {
    if (view.whole())
        return view;
    double shift = double(dx) * view.span() / double(kTimeAxisWidth);
    shift = std::clamp(shift, -view.from(), double(view.duration()) - view.to());
    return view.range(view.from() + shift, view.to() + shift);
}

QString RecordingTimeText(double seconds, bool hundredths) {
    const double shown = hundredths ? seconds : std::nearbyint(seconds);
    const SplitTime t = SplitSeconds(static_cast<float>(shown));
    QString text = QStringLiteral("%1时%2分%3")
                       .arg(t.ElapsedHours)
                       .arg(t.ElapsedMinutes)
                       .arg(t.ElapsedSeconds);
    if (hundredths)
        text += QStringLiteral(".%1").arg(int(t.ElapsedHundredths), 2, 10, QLatin1Char('0'));
    return text + QStringLiteral("秒");
}

QString ViewRangeCaption(const CumulativeView& view) {
    if (view.whole())
        return {};
    const bool hundredths = view.span() < 10.0;
    return QStringLiteral("显示 ") + RecordingTimeText(view.from(), hundredths) +
           QStringLiteral(" 至 ") + RecordingTimeText(view.to(), hundredths);
}

QString CumulativeFrameCaption(int kind, const CumulativeView& view) {
    const QString range = ViewRangeCaption(view);
    return range.isEmpty() ? CumulativeCurveCaption(kind)
                           : CumulativeCurveCaption(kind) + QStringLiteral("    ") + range;
}

namespace {

// Rows read before a zoomed view's first row only to learn the values a generating row keeps.
constexpr qint64 kLeadRows = 256;
// Rows completed at once.
constexpr qint64 kBlockRows = 4096;

} // namespace

Result<KindSeries> ReadKindSeries(const RecordingInfo& recording, int kind,
                                  const CurveAxisTables& axes, qint64 firstRow, qint64 lastRow) {
    KindSeries series;
    series.firstRow = firstRow;
    if (kind < 0 || kind >= kCurveKinds)
        return series;
    series.kind = kind;
    series.axisLow = axes.CurveAxisLow[std::size_t(kind)];
    series.axisHigh = axes.CurveAxisHigh[std::size_t(kind)];
    if (firstRow > lastRow)
        return series;
    qint64 lead = kind >= Curve::Efficiency ? std::min(kLeadRows, firstRow - 1) : 0;
    const std::size_t rows = std::size_t(lastRow - firstRow + 1);
    // A generating stretch may be longer than the rows read ahead: then the look-back widens
    // until it reaches a row that set the values, or the first row.
    for (bool known = false; !known;) {
        series.value.clear();
        series.joined.clear();
        series.value.reserve(rows);
        if (kind >= Curve::Efficiency)
            series.joined.reserve(rows);
        auto reader = CompletedRowReader::open(recording, firstRow - lead);
        if (!reader)
            return Result<KindSeries>::failure(reader.error());
        std::vector<CompletedRow> block;
        bool settled = false; // a row before the first one set the values
        known = true;
        for (qint64 r = firstRow - lead; r <= lastRow && known;) {
            const qint64 wanted = std::min<qint64>(kBlockRows, lastRow - r + 1);
            if ((*reader)->read(block, wanted) < wanted)
                return Result<KindSeries>::failure((*reader)->error());
            for (const CompletedRow& row : block) {
                if (r == firstRow && lead > 0 && lead < firstRow - 1 && !settled) {
                    lead = std::min(lead * 8, firstRow - 1);
                    known = false;
                    break;
                }
                if (r++ < firstRow) {
                    settled = settled || row.state != MotorState::Generating;
                    continue;
                }
                // A generating row keeps the values of the row before it, as the pass's model does.
                series.value.push_back(
                    CurveValue(kind, row.sample, row.values.LoadRate, row.values.Efficiency));
                if (kind >= Curve::Efficiency)
                    series.joined.push_back(row.state == MotorState::Normal);
            }
        }
    }
    return series;
}

std::optional<float> KindSeries::rowValue(qint64 row) const {
    if (!holds(row))
        return std::nullopt;
    const std::size_t i = std::size_t(row - firstRow);
    if (!joined.empty() && !joined[i])
        return std::nullopt;
    return value[i];
}

std::vector<CurveLine> TraceKindSeries(const KindSeries& series, const CumulativeView& view,
                                       float columnWidth) {
    const qint64 first = std::max(view.firstRow(), series.firstRow);
    const qint64 last = std::min(view.lastRow(), series.firstRow + qint64(series.value.size()) - 1);
    if (first > last)
        return {};
    const bool reduce = columnWidth > 0 && double(last - first + 1) > kTimeAxisWidth / columnWidth;
    CurveTrace trace(reduce ? columnWidth : 0.0f);
    // In blocks: the x and pixel column of each row, then the points at once.
    constexpr qint64 kBlock = 4096;
    std::vector<float> x(kBlock), y(kBlock);
    std::vector<qint64> columns(kBlock);
    for (qint64 start = first; start <= last; start += kBlock) {
        const std::size_t n = std::size_t(std::min(kBlock, last - start + 1));
        for (std::size_t j = 0; j < n; ++j) {
            x[j] = view.x(start + qint64(j));
            columns[j] = reduce ? trace.columnOf(x[j]) : 0;
        }
        const std::size_t i = std::size_t(start - series.firstRow);
        for (std::size_t j = 0; j < n; ++j)
            y[j] = CurveY(series.kind, series.value[i + j], series.axisLow, series.axisHigh);
        trace.add(x.data(), columns.data(), y.data(),
                  series.joined.empty() ? nullptr : series.joined.data() + i, n);
    }
    trace.finish();
    return trace.takeLines();
}

Result<std::vector<CurveLine>> CumulativeViewCurve(const RecordingInfo& recording, int kind,
                                                   const CurveAxisTables& axes,
                                                   const CumulativeView& view, float columnWidth) {
    Result<KindSeries> series =
        ReadKindSeries(recording, kind, axes, view.firstRow(), view.lastRow());
    if (!series)
        return Result<std::vector<CurveLine>>::failure(series.error());
    return TraceKindSeries(*series, view, columnWidth);
}

} // namespace zr5
