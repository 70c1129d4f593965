#include "analysis/curvetrace.h"

#include <algorithm>
#include <cmath>

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

void CurveTrace::add(const float* x, const qint64* columns, const float* y,
                     const unsigned char* draw, std::size_t count) {
    const bool clip = clip_ == Clip::ToPlot;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = y[i];
        const bool drawn = draw == nullptr || draw[i] != 0;
        // An open column holds the previous point, so a further point in it that needs neither
        // a clamp nor a mark only widens it. A point not a number never does: it stays for add().
        const bool plain = clip ? v >= kPlotTop && v <= kPlotBottom : v == v;
        if (columnOpen_ && drawn && plain && columns[i] == openColumn_ &&
            previousY_ == previousY_) {
            columnLow_ = std::min(columnLow_, v);
            columnHigh_ = std::max(columnHigh_, v);
            previousX_ = x[i];
            previousY_ = v;
            previousEdge_ = 0;
        } else {
            add(x[i], v, drawn);
        }
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
    const std::size_t n = points.x.size();
    columns_.resize(n);
    if (columnWidth_ > 0)
        for (std::size_t i = 0; i < n; ++i)
            columns_[i] = traces_[0].columnOf(points.x[i]);
    for (int k = 0; k < kCurveKinds; ++k)
        traces_[std::size_t(k)].add(
            points.x.data(), columns_.data(), points.y[std::size_t(k)].data(),
            k < Curve::Efficiency ? nullptr : points.operatingPoint.data(), n);
}

void CurveSetTrace::finish() {
    for (CurveTrace& t : traces_)
        t.finish();
}

} // namespace zr5
