#pragma once

#include <QString>
#include <optional>

#include "model/motorparameters.h"

namespace zr5 {

// The economic-operation method for three-phase induction motors: the loss model of the rated
// data, the active and the comprehensive economic load factors and the operating zones. Powers in
// kW, reactive powers in kvar, load factors as fractions (1 = rated load), efficiencies in %.
struct MotorEconomics {
    double PN = 0; // rated power
    double P0 = 0; // no-load power
    double K = 0;  // rated losses less the no-load power: the load-dependent losses at rated load
    double Q0 = 0; // no-load reactive power
    double QN = 0; // reactive power at rated load
    double KQ = 0.05;  // reactive economic equivalent, kW per kvar
    double betaJ = 0;  // active economic load factor, where the efficiency peaks
    double betaJJ = 0; // comprehensive economic load factor
    double ratedComprehensiveEfficiency = 0; // %, ηC(1)

    double losses(double beta) const { return P0 + beta * beta * K; }
    double reactivePower(double beta) const { return Q0 + beta * beta * (QN - Q0); }
    double comprehensiveLosses(double beta) const {
        return losses(beta) + KQ * reactivePower(beta);
    }
    double efficiency(double beta) const;              // %, 0 at no load
    double comprehensiveEfficiency(double beta) const; // %
    // The input for an output of beta x PN by this loss model.
    double input(double beta) const { return beta * PN + losses(beta); }
};

// The method for a motor, or why it cannot be applied ("空载功率不小于额定损耗", ...).
struct EconomicsResult {
    std::optional<MotorEconomics> economics;
    QString inapplicable;
};
EconomicsResult MotorEconomicsFor(const MotorParameters& motor, double kq);

// The no-load reactive power in kvar from the rated voltage, the no-load current and the no-load
// power: Q0 = √(S0² − P0²), S0 = √3 · UN · I0.
double NoLoadReactivePower(const MotorParameters& motor);

enum class OperatingZone { Economic, General, NonEconomic, Overload };
constexpr int kOperatingZones = 4;

// 经济运行区 between βJJ and 1, 一般运行区 from βJJ² up to βJJ, 非经济运行区 below βJJ², 过载
// above 1.
OperatingZone ZoneOf(double beta, const MotorEconomics& e);
QString ZoneName(OperatingZone zone);
// The load rates of a zone: "负载率 60–77.5%", "负载率低于 60%", "负载率高于 100%".
QString ZoneRange(OperatingZone zone, const MotorEconomics& e);
// The key of a zone in JSON: economic, general, non_economic, overload.
QString ZoneKey(OperatingZone zone);

} // namespace zr5
