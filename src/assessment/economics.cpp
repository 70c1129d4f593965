#include "assessment/economics.h"

#include <algorithm>
#include <cmath>

#include "model/numbertext.h"

namespace zr5 {

double MotorEconomics::efficiency(double beta) const {
    const double out = beta * PN;
    return out > 0 ? 100.0 * out / (out + losses(beta)) : 0.0;
}

double MotorEconomics::comprehensiveEfficiency(double beta) const {
    const double out = beta * PN;
    return out > 0 ? 100.0 * out / (out + comprehensiveLosses(beta)) : 0.0;
}

double NoLoadReactivePower(const MotorParameters& m) {
    const double S0 = std::sqrt(3.0) * m.RatedVoltage * m.NoLoadCurrent / 1000.0;
    const double P0 = m.NoLoadPower;
    return std::sqrt(std::max(S0 * S0 - P0 * P0, 0.0));
}

EconomicsResult MotorEconomicsFor(const MotorParameters& m, double kq) {
    EconomicsResult r;
    if (!m.allNonZero()) {
        r.inapplicable = QStringLiteral("电机参数不全");
        return r;
    }
    if (const Status plausible = CheckMotorValues(m); !plausible) {
        r.inapplicable = plausible.error();
        return r;
    }
    MotorEconomics e;
    e.PN = m.RatedPower;
    e.P0 = m.NoLoadPower;
    e.KQ = kq;
    const double ratedLosses = e.PN * (100.0 / double(m.RatedEfficiency) - 1.0);
    e.K = ratedLosses - e.P0;
    if (!(e.P0 > 0)) {
        r.inapplicable = QStringLiteral("空载功率必须大于 0");
        return r;
    }
    // Rated data in single precision: a K within rounding of zero is zero.
    if (!(e.K > 1e-6 * ratedLosses)) {
        r.inapplicable =
            QStringLiteral("空载功率不小于额定损耗（额定效率 %1%）").arg(double(m.RatedEfficiency));
        return r;
    }
    const double root3 = std::sqrt(3.0);
    e.Q0 = NoLoadReactivePower(m);
    const double SN = root3 * m.RatedVoltage * m.RatedCurrent / 1000.0;
    const double P1N = 100.0 * e.PN / m.RatedEfficiency;
    e.QN = std::sqrt(std::max(SN * SN - P1N * P1N, 0.0));
    e.betaJ = std::sqrt(e.P0 / e.K);
    e.betaJJ = std::sqrt((e.P0 + kq * e.Q0) / (e.K + kq * (e.QN - e.Q0)));
    if (!std::isfinite(e.betaJJ) || !(e.betaJJ > 0)) {
        r.inapplicable = QStringLiteral("额定电流与空载电流不合理，无法求综合经济负载率");
        return r;
    }
    e.ratedComprehensiveEfficiency = e.comprehensiveEfficiency(1.0);
    r.economics = e;
    return r;
}

OperatingZone ZoneOf(double beta, const MotorEconomics& e) {
    if (beta > 1.0)
        return OperatingZone::Overload;
    if (beta >= e.betaJJ)
        return OperatingZone::Economic;
    if (beta >= e.betaJJ * e.betaJJ)
        return OperatingZone::General;
    return OperatingZone::NonEconomic;
}

QString ZoneName(OperatingZone zone) {
    switch (zone) {
    case OperatingZone::Economic:
        return QStringLiteral("经济运行区");
    case OperatingZone::General:
        return QStringLiteral("一般运行区");
    case OperatingZone::NonEconomic:
        return QStringLiteral("非经济运行区");
    case OperatingZone::Overload:
        return QStringLiteral("过载");
    }
    return {};
}

QString ZoneRange(OperatingZone zone, const MotorEconomics& e) {
    // To a tenth of a per cent, as the figures' boxes give βJJ and βJJ² to a thousandth.
    auto pct = [](double beta) { return PlainNumber(std::round(beta * 1000.0) / 10.0); };
    switch (zone) {
    case OperatingZone::Economic:
        return QStringLiteral("负载率 %1–100%").arg(pct(e.betaJJ));
    case OperatingZone::General:
        return QStringLiteral("负载率 %1–%2%").arg(pct(e.betaJJ * e.betaJJ), pct(e.betaJJ));
    case OperatingZone::NonEconomic:
        return QStringLiteral("负载率低于 %1%").arg(pct(e.betaJJ * e.betaJJ));
    case OperatingZone::Overload:
        break;
    }
    return QStringLiteral("负载率高于 100%");
}

QString ZoneKey(OperatingZone zone) {
    switch (zone) {
    case OperatingZone::Economic:
        return QStringLiteral("economic");
    case OperatingZone::General:
        return QStringLiteral("general");
    case OperatingZone::NonEconomic:
        return QStringLiteral("non_economic");
    case OperatingZone::Overload:
        break;
    }
    return QStringLiteral("overload");
}

} // namespace zr5
