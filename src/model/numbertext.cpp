#include "model/numbertext.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zr5 {

QString FormatValue(float value) {
    if (!std::isfinite(value))
        return QStringLiteral(" ") + PlainNumber(value);
    // As "%.3f" writes it (correctly rounded, ties to even), without the C library's formatting:
    // the data report writes ten of these a row. The largest float has 39 digits.
    char buf[64];
    buf[0] = ' ';
    const std::to_chars_result end =
        std::to_chars(buf + 1, buf + sizeof buf, double(value), std::chars_format::fixed, 3);
    const std::size_t length = std::size_t(end.ptr - buf);
    if (length == 7 && std::memcmp(buf, " -0.000", 7) == 0)
        return QStringLiteral(" 0.000");
    return QString::fromLatin1(buf, qsizetype(length));
}

QString FixedNumber(double value, int digits) {
    if (!std::isfinite(value))
        return PlainNumber(value);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", digits, value);
    const bool negativeZero = buf[0] == '-' && std::strtod(buf, nullptr) == 0.0;
    return QString::fromLatin1(negativeZero ? buf + 1 : buf);
}

QString PlainNumber(double value) {
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (value == 0.0)
        return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7G", value);
    return QString::fromLatin1(buf);
}

QString PrintedNumber(double value) {
    QString text = PlainNumber(value);
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + text + QLatin1Char(' ');
}

QString ShortestNumber(float value) {
    if (!std::isfinite(value))
        return PlainNumber(value);
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return QString::fromLatin1(buf, int(end - buf));
}

QString RoundTripNumber(float value) {
    if (!std::isfinite(value))
        return PlainNumber(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", double(value));
    return QString::fromLatin1(buf);
}

} // namespace zr5
