#include "motor/catalogueformat.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/instrumentnumber.h"
#include "motor/gbktext.h"

namespace zr5 {

float RatedVoltageForCode(int code) {
    struct Range {
        int last;
        float volts;
    };
    static constexpr Range ranges[] = {
        {4874, 380},    {5151, 3000},   {5154, 3300}, {6894, 6000}, {6896, 6600},
        {6915, 10000},  {6922, 110},    {6924, 115},  {6931, 220},  {6932, 230},
        {6933, 283.5f}, {6934, 253.5f}, {6935, 100},
    };
    if (code < 1)
        return 0;
    for (const Range& r : ranges)
        if (code <= r.last)
            return r.volts;
    return 0;
}

CatalogueRecord DecodeCatalogueRecord(const std::uint8_t* b, int code) {
    CatalogueRecord r;
    r.Poles = float(b[0]);
    r.RatedPower = DecodeInstrumentBytes(b + 1);
    r.RatedCurrent = DecodeInstrumentBytes(b + 4);
    r.RatedEfficiency = DecodeInstrumentBytes(b + 7);
    r.NoLoadCurrent = DecodeInstrumentBytes(b + 10);
    r.NoLoadPower = DecodeInstrumentBytes(b + 13);
    r.RatedVoltage = RatedVoltageForCode(code);
    return r;
}

std::array<std::uint8_t, kCatalogueRecordSize> EncodeCatalogueRecord(const CatalogueRecord& r) {
    std::array<std::uint8_t, kCatalogueRecordSize> bytes{};
    const double poles = std::isfinite(r.Poles) ? std::nearbyint(double(r.Poles)) : 0.0;
    bytes[0] = static_cast<std::uint8_t>(std::clamp(poles, 0.0, 255.0));
    EncodeInstrumentNumber(r.RatedPower, bytes.data() + 1);
    EncodeInstrumentNumber(r.RatedCurrent, bytes.data() + 4);
    EncodeInstrumentNumber(r.RatedEfficiency, bytes.data() + 7);
    EncodeInstrumentNumber(r.NoLoadCurrent, bytes.data() + 10);
    EncodeInstrumentNumber(r.NoLoadPower, bytes.data() + 13);
    return bytes;
}

namespace {

std::optional<int> ParseShort(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<CatalogueLine> ParseCatalogueLine(const QString& line) {
    const qsizetype c1 = line.indexOf(QLatin1Char(','));
    if (c1 < 0)
        return std::nullopt;
    const qsizetype c2 = line.indexOf(QLatin1Char(','), c1 + 1);
    if (c2 < 0)
        return std::nullopt;
    const auto a = ParseShort(QStringView(line).left(c1));
    const auto b = ParseShort(QStringView(line).mid(c1 + 1, c2 - c1 - 1));
    if (!a || !b)
        return std::nullopt;
    return CatalogueLine{*a, *b, line.mid(c2 + 1)};
}

Result<QByteArray> CatalogueLineBytes(int first, int second, const QString& name) {
    const Result<QByteArray> encoded = EncodeGbk(name);
    if (!encoded)
        return encoded;
    return QByteArray::number(first) + ',' + QByteArray::number(second) + ',' + *encoded + "\r\n";
}

QString ModelListText(int position, const QString& designation) {
    const QString number = QStringLiteral("(%1)").arg(position);
    return number.rightJustified(5, QLatin1Char(' ')) + QLatin1Char('.') + designation;
}

} // namespace zr5
