#include "motor/motorconfirm.h"

#include <cmath>
#include <limits>

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

const char* const kBoxNames[7] = {"电机极数", "额定功率", "额定电流", "额定效率",
                                  "空载电流", "空载功率", "额定电压"};

QString BoxName(int index) {
    return QStringLiteral("“%1”").arg(QString::fromUtf8(kBoxNames[index]));
}

const QString kNotConfirmed = QStringLiteral("，电机参数未确认！");

} // namespace

Status MotorValueProblem(int index, const QString& text) {
    const QString name = BoxName(index);
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return Status::failure(name + QStringLiteral("未填写"));
    bool ok = false;
    const double value = typed.toDouble(&ok);
    if (!ok) {
        if (typed.contains(QLatin1Char(',')) || typed.contains(QChar(0xFF0C)))
            return Status::failure(
                QStringLiteral("%1的“%2”不是数字：小数点请用“.”").arg(name, typed));
        return Status::failure(QStringLiteral("%1的“%2”不是数字").arg(name, typed));
    }
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return Status::failure(QStringLiteral("%1的“%2”超出范围").arg(name, typed));
    if (float(value) == 0.0f)
        return Status::failure(name + QStringLiteral("为 0"));
    return {};
}

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
    QString model = QStringLiteral("自定义数据");
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
        model = DesignationOfCode(dir, *code).value_or(QStringLiteral("编码 %1").arg(*code));
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i] == 0.0f) {
                motor.MotorParametersValid = false;
                result.message = QStringLiteral("编码 %1 的技术数据不全：%2为 0%3")
                                     .arg(*code)
                                     .arg(BoxName(int(i)), kNotConfirmed);
                return result;
            }
        }
    } else {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (Status usable = MotorValueProblem(int(i), boxes[i]); !usable) {
                motor.MotorParametersValid = false;
                result.message = usable.error() + kNotConfirmed;
                return result;
            }
            values[i] = ParseMotorValue(boxes[i]);
        }
    }
    MotorParameters stored = MotorParameters::fromValues(values);
    if (const Status plausible = CheckMotorValues(stored); !plausible) {
        motor.MotorParametersValid = false;
        result.message = plausible.error() + kNotConfirmed;
        return result;
    }
    stored.MotorParametersValid = true;
    stored.RatedLosses = ComputeRatedLosses(stored.RatedPower, stored.RatedEfficiency);
    motor = stored;
    result.outcome = MotorConfirmation::Outcome::Accepted;
    result.confirmed =
        QStringLiteral("已确认：%1，%2 kW").arg(model, PlainNumber(double(stored.RatedPower)));
    return result;
}

void ClearMotorData(MotorParameters& motor) {
    motor = MotorParameters{};
}

} // namespace zr5
