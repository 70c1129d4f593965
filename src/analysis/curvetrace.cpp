#include "analysis/curvetrace.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace zr5 {

float CumulativePlotX(qint64 row, qint64 rowCount) {
    if (rowCount <= 0)
        return 0;
    return static_cast<float>(double(row) * double(kTimeAxisWidth) / double(rowCount));
}

namespace {
// The arrowhead of an over-range mark, and how far apart marks stand along a stretch out of range.
constexpr float kMarkHalfWidth = 60;
constexpr float kMarkHeight = 110;
constexpr float kMarkSpacing = 600;
} // namespace

float ClampToPlot(float y) {
    return std::clamp(y, kPlotTop, kPlotBottom);
}

void CurveTrace::markOverRange(float x, float edge) {
    if (previousEdge_ == edge && x < lastMarkX_ + kMarkSpacing)
        return;
    lastMarkX_ = x;
    const float foot = edge == kPlotTop ? edge + kMarkHeight : edge - kMarkHeight;
    lines_.push_back({x - kMarkHalfWidth, foot, x, edge});
    lines_.push_back({x, edge, x + kMarkHalfWidth, foot});
}

qint64 CurveTrace::column(float x) const {
    return static_cast<qint64>(std::floor(double(x) / double(columnWidth_)));
}

void CurveTrace::add(float x, float rawY, bool draw) {
    const float y = clip_ == Clip::ToPlot ? ClampToPlot(rawY) : rawY;
    const float edge = y == rawY ? 0.0f : y;
    if (edge != 0.0f && draw)
        markOverRange(x, edge);
    previousEdge_ = draw ? edge : 0.0f;
    if (hasPrevious_ && draw) {
        if (columnWidth_ > 0 && column(previousX_) == column(x)) {
            const qint64 c = column(x);
            const float lo = std::min(previousY_, y);
            const float hi = std::max(previousY_, y);
            if (columnOpen_ && openColumn_ != c)
                flushColumn();
            if (!columnOpen_) {
                columnOpen_ = true;
                openColumn_ = c;
                columnLow_ = lo;
                columnHigh_ = hi;
            } else {
                columnLow_ = std::min(columnLow_, lo);
                columnHigh_ = std::max(columnHigh_, hi);
            }
        } else {
            flushColumn();
            lines_.push_back({previousX_, previousY_, x, y});
        }
    }
    if (!draw)
        flushColumn(); // a gap in the curve is a gap in its column too
    hasPrevious_ = true;
    previousX_ = x;
    previousY_ = y;
}

namespace {
// The points a run of the open column widens it by at a time.
constexpr std::size_t kChunk = 16;

// Widens low..high by kChunk points when every one lies in the plot and is drawn (draw null: all
// are); false, and nothing widened, otherwise. In the plot every y is positive, so its bits order
// as its value does: their integer minimum and maximum are the same floats, and they vectorise
// where the floating-point ones do not.
bool WidenByChunk(const float* y, const unsigned char* draw, float& low, float& high) {
    std::int32_t lo = std::bit_cast<std::int32_t>(low), hi = std::bit_cast<std::int32_t>(high);
    int inside = 1;
    for (std::size_t t = 0; t < kChunk; ++t) {
        const float v = y[t];
        inside &= int(v >= kPlotTop) & int(v <= kPlotBottom);
        const std::int32_t bits = std::bit_cast<std::int32_t>(v);
        lo = std::min(lo, bits);
        hi = std::max(hi, bits);
    }
    if (draw != nullptr)
        for (std::size_t t = 0; t < kChunk; ++t)
            inside &= int(draw[t] != 0);
    if (!inside)
        return false;
    low = std::bit_cast<float>(lo);
    high = std::bit_cast<float>(hi);
    return true;
}
} // namespace

void CurveTrace::add(const float* x, const qint64* columns, const float* y,
                     const unsigned char* draw, std::size_t count) {
    const bool clip = clip_ == Clip::ToPlot;
    // columns[i..runEnd) are all runColumn.
    std::size_t runEnd = 0;
    qint64 runColumn = 0;
    std::size_t i = 0;
    while (i < count) {
        // An open column holds the previous point, so the points after it in the same column
        // that need neither a clamp nor a mark only widen it. A previous point or a point that
        // is not a number never starts or joins such a run: it is left to add().
        if (columnOpen_ && previousY_ == previousY_) {
            const qint64 open = openColumn_;
            if (i >= runEnd || runColumn != open) {
                runColumn = open;
                runEnd = std::size_t(std::find_if(columns + i, columns + count,
                                                  [open](qint64 c) { return c != open; }) -
                                     columns);
            }
            float low = columnLow_, high = columnHigh_;
            std::size_t j = i;
            // The open column's ends lie in the plot too when the points are held in it.
            if (clip)
                while (j + kChunk <= runEnd &&
                       WidenByChunk(y + j, draw == nullptr ? nullptr : draw + j, low, high))
                    j += kChunk;
            for (; j < runEnd; ++j) {
                const float v = y[j];
                const bool plain = clip ? v >= kPlotTop && v <= kPlotBottom : v == v;
                if (!plain || (draw != nullptr && draw[j] == 0))
                    break;
                low = std::min(low, v);
                high = std::max(high, v);
            }
            if (j > i) {
                columnLow_ = low;
                columnHigh_ = high;
                previousX_ = x[j - 1];
                previousY_ = y[j - 1];
                previousEdge_ = 0;
                i = j;
                continue;
            }
        }
        // Points without their segment only end the open column and leave the last of them as
        // the next segment's start: a run of them is its last point.
        if (draw != nullptr && draw[i] == 0) {
            std::size_t last = i;
            while (last + 1 < count && draw[last + 1] == 0)
                ++last;
            add(x[last], y[last], false);
            i = last + 1;
            continue;
        }
        add(x[i], y[i], true);
        ++i;
    }
}

void CurveTrace::flushColumn() {
    if (!columnOpen_)
        return;
    columnOpen_ = false;
    // The middle of the pixel column, so the line lands on exactly that column.
    const float x = static_cast<float>((double(openColumn_) + 0.5) * double(columnWidth_));
    lines_.push_back({x, columnLow_, x, columnHigh_});
}

void CurveTrace::finish() {
    flushColumn();
}

std::vector<CurveLine> CurveTrace::takeLines() {
    std::vector<CurveLine> out;
    out.swap(lines_);
    return out;
}

void CurvePoints::resize(std::size_t n) {
    x.resize(n);
    for (std::vector<float>& ys : y)
        ys.resize(n);
    operatingPoint.resize(n);
}

CurveSetTrace::CurveSetTrace(float columnWidth) : columnWidth_(columnWidth) {
    for (CurveTrace& t : traces_)
        t = CurveTrace(columnWidth);
}

void CurveSetTrace::add(float x, const std::array<float, kCurveKinds>& ys, bool operatingPoint) {
    for (int k = 0; k < kCurveKinds; ++k)
        traces_[std::size_t(k)].add(x, ys[std::size_t(k)], k < Curve::Efficiency || operatingPoint);
}

void CurveSetTrace::add(const CurvePoints& points) {
    placeColumns(points);
    for (int k = 0; k < kCurveKinds; ++k)
        addKind(k, points);
}

void CurveSetTrace::placeColumns(const CurvePoints& points) {
    const std::size_t n = points.x.size();
    columns_.resize(n);
    if (columnWidth_ > 0)
        for (std::size_t i = 0; i < n; ++i)
            columns_[i] = traces_[0].columnOf(points.x[i]);
}

void CurveSetTrace::addKind(int k, const CurvePoints& points) {
    traces_[std::size_t(k)].add(points.x.data(), columns_.data(), points.y[std::size_t(k)].data(),
                                k < Curve::Efficiency ? nullptr : points.operatingPoint.data(),
                                points.x.size());
}

void CurveSetTrace::finish() {
    for (CurveTrace& t : traces_)
        t.finish();
}

} // namespace zr5
