#include "motor/motorconfirm.h"

#include <cmath>

#include "model/numbertext.h"
#include "motor/motorcatalogue.h"

namespace zr5 {

namespace {

std::optional<double> ParseNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> ParseMotorCode(const QString& text) {
    const auto value = ParseNumber(text);
    if (!value || std::fabs(*value) > 1e9)
        return std::nullopt;
    return int(std::nearbyint(*value)); // the default rounding mode: ties to even
}

bool IsCustomCodeText(const QString& text) {
    if (text.isEmpty())
        return false;
    const auto value = ParseNumber(text);
    return value && *value == 0.0;
}

float ParseMotorValue(const QString& text) {
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    return ok && std::isfinite(value) ? value : 0.0f;
}

std::array<QString, 7> PlainMotorTexts(const MotorParameters& motor) {
    std::array<QString, 7> texts;
    const auto values = motor.values();
    for (std::size_t i = 0; i < values.size(); ++i)
        texts[i] = PlainNumber(values[i]);
    return texts;
}

std::array<QString, 7> CatalogueMotorTexts(const std::array<float, 7>& values) {
    std::array<QString, 7> texts;
    for (std::size_t i = 0; i < values.size(); ++i)
        texts[i] = FormatValue(values[i]);
    return texts;
}

MotorConfirmation ConfirmMotorData(MotorParameters& motor, const DataDirectory& dir,
                                   const QString& codeText, const std::array<QString, 7>& boxes) {
    MotorConfirmation result;
    const auto code = ParseMotorCode(codeText);
    if (!code || *code < 0 || *code > kCatalogueCodes) {
        result.outcome = MotorConfirmation::Outcome::CodeOutOfRange;
        result.message = kMotorCodeErrorMessage;
        return result;
    }
    std::array<float, 7> values{};
    if (*code > 0) {
        const auto record = ReadCatalogueRecord(dir, *code);
        if (!record) {
            motor.MotorParametersValid = false;
            result.outcome = MotorConfirmation::Outcome::CatalogueFailed;
            result.message = record.error();
            return result;
        }
        motor.Poles = record->Poles;
        motor.RatedVoltage = record->RatedVoltage;
        values = record->values();
        result.boxTexts = CatalogueMotorTexts(values);
    } else {
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = ParseMotorValue(boxes[i]);
    }
    for (float v : values) {
        if (v == 0.0f) {
            motor.MotorParametersValid = false;
            result.outcome = MotorConfirmation::Outcome::Incomplete;
            return result;
        }
    }
    MotorParameters stored = MotorParameters::fromValues(values);
    stored.MotorParametersValid = true;
    stored.RatedLosses = ComputeRatedLosses(stored.RatedPower, stored.RatedEfficiency);
    motor = stored;
    result.outcome = MotorConfirmation::Outcome::Accepted;
    return result;
}

void ClearMotorData(MotorParameters& motor) {
    motor = MotorParameters{};
}

} // namespace zr5
