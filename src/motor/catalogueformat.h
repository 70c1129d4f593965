#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "model/result.h"

namespace zr5 {

// The motor catalogue: three read-only files in the data directory. "MTALL.OBJ" holds one 16-byte
// record per code, "MT_fe.txt" the categories and "bmindex.txt" the model index, both GBK text
// with CR LF line ends.
inline const QString kCatalogueRecordFile = QStringLiteral("MTALL.OBJ");
inline const QString kCategoryFile = QStringLiteral("MT_fe.txt");
inline const QString kModelIndexFile = QStringLiteral("bmindex.txt");

constexpr int kCatalogueCodes = 6935;
constexpr int kCatalogueRecordSize = 16;
constexpr qint64 kCatalogueFileSize = qint64(kCatalogueCodes) * kCatalogueRecordSize; // 110,960
constexpr int kMaxCategories = 178;

// The rated data of one catalogue code. The voltage is not stored; it follows from the code.
struct CatalogueRecord {
    float Poles = 0;
    float RatedPower = 0;      // kW
    float RatedCurrent = 0;    // A
    float RatedEfficiency = 0; // %
    float NoLoadCurrent = 0;   // A
    float NoLoadPower = 0;     // kW
    float RatedVoltage = 0;    // V

    // In the dialog's order: poles, power, current, efficiency, no-load current and power, voltage.
    std::array<float, 7> values() const {
        return {Poles,         RatedPower,  RatedCurrent, RatedEfficiency,
                NoLoadCurrent, NoLoadPower, RatedVoltage};
    }
};

// The rated voltage of a code's range: 380 V for the low-voltage series, then the high-voltage
// series, then the small motors. 0 for a code outside 1 to 6935.
float RatedVoltageForCode(int code);

// Byte offset of a code's record in "MTALL.OBJ".
constexpr qint64 CatalogueRecordOffset(int code) {
    return qint64(code - 1) * kCatalogueRecordSize;
}

// Decodes a 16-byte record: the pole count as one unsigned byte, then five three-byte instrument
// numbers (power, current, efficiency, no-load current, no-load power).
CatalogueRecord DecodeCatalogueRecord(const std::uint8_t* bytes, int code);
// The record's bytes; the pole count is rounded and held to 0..255.
std::array<std::uint8_t, kCatalogueRecordSize> EncodeCatalogueRecord(const CatalogueRecord& r);

// One line of either text file: two 16-bit integers and the rest of the line as a name, blanks and
// commas included.
struct CatalogueLine {
    int first = 0;
    int second = 0;
    QString name;
};

// Parses one line (without its line end, already decoded). Blanks around the numbers are ignored;
// nothing around the name is. Empty when the line does not start with two 16-bit integers.
std::optional<CatalogueLine> ParseCatalogueLine(const QString& line);

// "first,second,name" in GBK with CR LF; fails when the name has no GBK form.
Result<QByteArray> CatalogueLineBytes(int first, int second, const QString& name);

// The model list text: the position in parentheses, padded on the left to five characters, a point
// and the designation: "  (7).Y132M-4", " (12).", "(123).".
QString ModelListText(int position, const QString& designation);

} // namespace zr5
