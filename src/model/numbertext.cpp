#include "model/numbertext.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zr5 {

QString FormatValue(float value) {
    if (!std::isfinite(value))
        return QStringLiteral(" ") + PlainNumber(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", double(value));
    QString text = QString::fromLatin1(buf);
    if (text == QLatin1String("-0.000"))
        text = QStringLiteral("0.000");
    return QLatin1Char(' ') + text;
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
