#include "motor/efficiencyclass.h"

#include <cmath>
#include <iterator>

namespace zr5 {

namespace {

constexpr float kPowers[] = {0.75f, 1.1f, 1.5f, 2.2f, 3,  4,  5.5f, 7.5f, 11,  15,  18.5f,
                             22,    30,   37,   45,   55, 75, 90,   110,  132, 160, 200};
constexpr int kSteps = int(std::size(kPowers));

// Percent for 2 / 4 / 6 poles at each power step.
constexpr float kLimits[3][kSteps][3] = {
    {{72.1f, 72.1f, 70.0f}, {75.0f, 75.0f, 72.9f}, {77.2f, 77.2f, 75.2f}, {79.7f, 79.7f, 77.7f},
     {81.5f, 81.5f, 79.7f}, {83.1f, 83.1f, 81.4f}, {84.7f, 84.7f, 83.1f}, {86.0f, 86.0f, 84.7f},
     {87.6f, 87.6f, 86.4f}, {88.7f, 88.7f, 87.7f}, {89.3f, 89.3f, 88.6f}, {89.9f, 89.9f, 89.2f},
     {90.7f, 90.7f, 90.2f}, {91.2f, 91.2f, 90.8f}, {91.7f, 91.7f, 91.4f}, {92.1f, 92.1f, 91.9f},
     {92.7f, 92.7f, 92.6f}, {93.0f, 93.0f, 92.9f}, {93.3f, 93.3f, 93.3f}, {93.5f, 93.5f, 93.5f},
     {93.8f, 93.8f, 93.8f}, {94.0f, 94.0f, 94.0f}},
    {{77.4f, 79.6f, 75.9f}, {79.6f, 81.4f, 78.1f}, {81.3f, 82.8f, 79.8f}, {83.2f, 84.3f, 81.8f},
     {84.6f, 85.5f, 83.3f}, {85.8f, 86.6f, 84.6f}, {87.0f, 87.7f, 86.0f}, {88.1f, 88.7f, 87.2f},
     {89.4f, 89.8f, 88.7f}, {90.3f, 90.6f, 89.7f}, {90.9f, 91.2f, 90.4f}, {91.3f, 91.6f, 90.9f},
     {92.0f, 92.3f, 91.7f}, {92.5f, 92.7f, 92.2f}, {92.9f, 93.1f, 92.7f}, {93.2f, 93.5f, 93.1f},
     {93.8f, 94.0f, 93.7f}, {94.1f, 94.2f, 94.0f}, {94.3f, 94.5f, 94.3f}, {94.6f, 94.7f, 94.6f},
     {94.8f, 94.9f, 94.8f}, {95.0f, 95.1f, 95.0f}},
    {{80.7f, 82.5f, 78.9f}, {82.7f, 84.1f, 81.0f}, {84.2f, 85.3f, 82.5f}, {85.9f, 86.7f, 84.3f},
     {87.1f, 87.7f, 85.6f}, {88.1f, 88.6f, 86.8f}, {89.2f, 89.6f, 88.0f}, {90.1f, 90.4f, 89.1f},
     {91.2f, 91.4f, 90.3f}, {91.9f, 92.1f, 91.2f}, {92.4f, 92.6f, 91.7f}, {92.7f, 93.0f, 92.2f},
     {93.3f, 93.6f, 92.9f}, {93.7f, 93.9f, 93.3f}, {94.0f, 94.2f, 93.7f}, {94.3f, 94.6f, 94.1f},
     {94.7f, 95.0f, 94.6f}, {95.0f, 95.2f, 94.9f}, {95.2f, 95.4f, 95.1f}, {95.4f, 95.6f, 95.4f},
     {95.6f, 95.8f, 95.6f}, {95.8f, 96.0f, 95.8f}},
};

int PoleColumn(float poles) {
    if (poles == 2)
        return 0;
    if (poles == 4)
        return 1;
    if (poles == 6)
        return 2;
    return -1;
}

} // namespace

float EfficiencyClassLimit(EfficiencyClass cls, float poles, float kw) {
    const int column = PoleColumn(poles);
    int row = -1;
    switch (cls) {
    case EfficiencyClass::IE1:
        row = 0;
        break;
    case EfficiencyClass::IE2:
        row = 1;
        break;
    case EfficiencyClass::IE3:
        row = 2;
        break;
    default:
        return 0;
    }
    // A rated power is a tabled step or lies between two; allow for the catalogue's rounding.
    constexpr float slack = 1e-4f;
    if (column < 0 || !(kw >= kPowers[0] * (1 - slack)) || kw > 1000 * (1 + slack))
        return 0;
    if (kw >= kPowers[kSteps - 1] * (1 - slack))
        return kLimits[row][kSteps - 1][column];
    for (int i = 0; i + 1 < kSteps; ++i) {
        if (kw <= kPowers[i] * (1 + slack))
            return kLimits[row][i][column];
        if (kw < kPowers[i + 1] * (1 - slack)) {
            const double t = (std::log10(double(kw)) - std::log10(double(kPowers[i]))) /
                             (std::log10(double(kPowers[i + 1])) - std::log10(double(kPowers[i])));
            const double low = kLimits[row][i][column];
            const double high = kLimits[row][i + 1][column];
            return float(low + t * (high - low));
        }
    }
    return kLimits[row][kSteps - 1][column];
}

QString EfficiencyClassScopeReason(float poles, float kw, float volts) {
    if (volts > 1000.0f)
        return QStringLiteral("效率等级只适用于额定电压 1000 V 及以下的电动机");
    if (poles != 2.0f && poles != 4.0f && poles != 6.0f)
        return QStringLiteral("效率等级只适用于 2、4、6 极电动机");
    if (EfficiencyClassLimit(EfficiencyClass::IE1, poles, kw) == 0)
        return QStringLiteral("效率等级只适用于额定功率 0.75 kW 至 1000 kW 的电动机");
    return {};
}

EfficiencyClass ClassifyEfficiency(float poles, float kw, float eta, float volts) {
    // An efficiency no motor can have earns no class.
    if (poles == 0.0f || kw == 0.0f || !(eta > 0.0f && eta < 100.0f))
        return EfficiencyClass::NotRated;
    if (!EfficiencyClassScopeReason(poles, kw, volts).isEmpty())
        return EfficiencyClass::NotApplicable;
    // The limits have one decimal; a rated efficiency at the limit reaches the class.
    constexpr float tolerance = 1e-3f;
    for (EfficiencyClass cls : {EfficiencyClass::IE3, EfficiencyClass::IE2, EfficiencyClass::IE1})
        if (eta + tolerance >= EfficiencyClassLimit(cls, poles, kw))
            return cls;
    return EfficiencyClass::BelowIE1;
}

QString EfficiencyClassText(EfficiencyClass cls) {
    switch (cls) {
    case EfficiencyClass::IE1:
        return QStringLiteral("IE1");
    case EfficiencyClass::IE2:
        return QStringLiteral("IE2");
    case EfficiencyClass::IE3:
        return QStringLiteral("IE3");
    case EfficiencyClass::BelowIE1:
        return QStringLiteral("低于IE1");
    case EfficiencyClass::NotApplicable:
        return QStringLiteral("不适用");
    case EfficiencyClass::NotRated:
        break;
    }
    return {};
}

} // namespace zr5
