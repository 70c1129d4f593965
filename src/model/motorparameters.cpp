#include "model/motorparameters.h"

#include "model/numbertext.h"

namespace zr5 {

std::array<float, 7> MotorParameters::values() const {
    return {Poles,         RatedPower,  RatedCurrent, RatedEfficiency,
            NoLoadCurrent, NoLoadPower, RatedVoltage};
}

MotorParameters MotorParameters::fromValues(const std::array<float, 7>& v) {
    MotorParameters m;
    m.Poles = v[0];
    m.RatedPower = v[1];
    m.RatedCurrent = v[2];
    m.RatedEfficiency = v[3];
    m.NoLoadCurrent = v[4];
    m.NoLoadPower = v[5];
    m.RatedVoltage = v[6];
    return m;
}

bool MotorParameters::allNonZero() const {
    for (float v : values())
        if (v == 0.0f)
            return false;
    return true;
}

void MotorParameters::revalidate() {
    MotorParametersValid = allNonZero() && CheckMotorValues(*this).ok();
    if (MotorParametersValid)
        RatedLosses = ComputeRatedLosses(RatedPower, RatedEfficiency);
}

Status CheckMotorValues(const MotorParameters& m) {
    // A NaN fails every test, as it should.
    const auto refuse = [](const char* name, float value, const char* unit, const QString& why) {
        return Status::failure(QStringLiteral("%1 %2%3 不合理：%4")
                                   .arg(QString::fromUtf8(name), PlainNumber(double(value)),
                                        QString::fromUtf8(unit), why));
    };
    const QString positive = QStringLiteral("应大于 0");
    if (!(m.RatedPower > 0))
        return refuse("额定功率", m.RatedPower, " kW", positive);
    if (!(m.RatedCurrent > 0))
        return refuse("额定电流", m.RatedCurrent, " A", positive);
    if (!(m.RatedEfficiency > 0 && m.RatedEfficiency < 100))
        return refuse("额定效率", m.RatedEfficiency, "%", QStringLiteral("应大于 0 且小于 100"));
    if (!(m.NoLoadCurrent > 0))
        return refuse("空载电流", m.NoLoadCurrent, " A", positive);
    if (!(m.NoLoadCurrent < m.RatedCurrent))
        return refuse(
            "空载电流", m.NoLoadCurrent, " A",
            QStringLiteral("应小于额定电流 %1 A").arg(PlainNumber(double(m.RatedCurrent))));
    if (!(m.RatedVoltage > 0))
        return refuse("额定电压", m.RatedVoltage, " V", positive);
    return {};
}

float ComputeRatedLosses(float ratedPower, float ratedEfficiency) {
    return static_cast<float>(double(ratedPower) * (100.0 / double(ratedEfficiency) - 1.0));
}

} // namespace zr5
