#include <cmath>
#include <optional>

#include "model/numbertext.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

std::optional<double> SecondsOf(const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

} // namespace

Result<CumulativeView> TimeRangeView(const QString& fromText, const QString& toText,
                                     qint64 rowCount, float duration) {
    CumulativeView view = CumulativeView::Whole(rowCount, duration);
    if (fromText.isEmpty() != toText.isEmpty())
        return Result<CumulativeView>::failure(QStringLiteral("--from 与 --to 须同时给出"));
    if (fromText.isEmpty())
        return view;
    const std::optional<double> from = SecondsOf(fromText), to = SecondsOf(toText);
    if (!from || !to)
        return Result<CumulativeView>::failure(
            QStringLiteral("--from 与 --to 须为秒数：%1、%2").arg(fromText, toText));
    if (!(*from >= 0 && *from < *to && *to <= duration))
        return Result<CumulativeView>::failure(
            QStringLiteral("时间范围 %1 至 %2 秒不在记录的 0 至 %3 秒之内")
                .arg(fromText, toText, PlainNumber(duration)));
    return view.range(*from, *to);
}

} // namespace zr5::tool
