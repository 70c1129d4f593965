#pragma once

#include <QString>

namespace zr5 {

// Values in boxes, tables and report columns: " ####0.000", a leading blank, at least one integer
// digit, no grouping, three decimals. A negative value keeps its minus sign after the blank
// (" -1.500"); a value that rounds to zero is shown without a sign.
QString FormatValue(float value);

// A figure computed in double with a fixed count of decimals, without grouping; a value that
// rounds to zero is shown without a sign.
QString FixedNumber(double value, int digits);

// Captions, axis labels and text boxes: decimal, at most 7 significant digits, no leading blank, a
// zero before the point of a fraction; exponent form ("1E+07") only where the plain form would
// need more digits.
QString PlainNumber(double value);

// The printed form of a number (settings file, time boxes): a blank in the sign position (or the
// minus sign), the digits without a zero before the point of a fraction, and one trailing blank.
QString PrintedNumber(double value);

// The shortest decimal text that reads back as the same single-precision value.
QString ShortestNumber(float value);

// Nine significant digits: enough for every single-precision value to read back unchanged.
QString RoundTripNumber(float value);

} // namespace zr5
