#include "motor/efficiencyclass.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zr5 {

namespace {

// IE1: the standard's table, percent for 2 / 4 / 6 poles at each power step. IE1 has no
// interpolation coefficients, and the program holds no IE1 figures for 8 poles or below 0.75 kW.
constexpr float kPowers[] = {0.75f, 1.1f, 1.5f, 2.2f, 3,  4,  5.5f, 7.5f, 11,  15,  18.5f,
                             22,    30,   37,   45,   55, 75, 90,   110,  132, 160, 200};
constexpr int kSteps = int(std::size(kPowers));
constexpr float kIE1[kSteps][3] = {
    {72.1f, 72.1f, 70.0f}, {75.0f, 75.0f, 72.9f}, {77.2f, 77.2f, 75.2f}, {79.7f, 79.7f, 77.7f},
    {81.5f, 81.5f, 79.7f}, {83.1f, 83.1f, 81.4f}, {84.7f, 84.7f, 83.1f}, {86.0f, 86.0f, 84.7f},
    {87.6f, 87.6f, 86.4f}, {88.7f, 88.7f, 87.7f}, {89.3f, 89.3f, 88.6f}, {89.9f, 89.9f, 89.2f},
    {90.7f, 90.7f, 90.2f}, {91.2f, 91.2f, 90.8f}, {91.7f, 91.7f, 91.4f}, {92.1f, 92.1f, 91.9f},
    {92.7f, 92.7f, 92.6f}, {93.0f, 93.0f, 92.9f}, {93.3f, 93.3f, 93.3f}, {93.5f, 93.5f, 93.5f},
    {93.8f, 93.8f, 93.8f}, {94.0f, 94.0f, 94.0f}};

// The interpolation coefficients A, B, C, D of the EU ecodesign regulation 2019/1781 (Annex I),
// as UK SI 2021/745 Schedule 16 tables them: [class IE2..IE4][2, 4, 6, 8 poles].
struct Coefficients {
    double A, B, C, D;
};
// 0.12 kW up to (not including) 0.75 kW.
constexpr Coefficients kSmall[3][4] = {
    {{22.4864, 27.7603, 37.8091, 82.458},
     {17.2751, 23.978, 35.5822, 84.9935},
     {-15.9218, -30.258, 16.6861, 79.1838},
     {6.4855, 9.4748, 36.852, 70.762}},
    {{6.8532, 6.2006, 25.1317, 84.0392},
     {7.6356, 4.8236, 21.0903, 86.0998},
     {-17.361, -44.538, -3.0554, 79.1318},
     {-0.5896, -25.526, 4.2884, 75.831}},
    {{-8.8538, -20.3352, 8.9002, 85.0641},
     {8.432, 2.6888, 14.6236, 87.6153},
     {-13.0355, -36.9497, -4.3621, 82.0009},
     {-4.9735, -21.453, 2.6653, 79.055}},
};
// 0.75 kW to 200 kW.
constexpr Coefficients kLarge[3][4] = {
    {{0.2972, -3.3454, 13.0651, 79.077},
     {0.0278, -1.9247, 10.4395, 80.9761},
     {0.0148, -2.4978, 13.247, 77.5603},
     {2.1311, -12.029, 26.719, 69.735}},
    {{0.3569, -3.3076, 11.6108, 82.2503},
     {0.0773, -1.8951, 9.2984, 83.7025},
     {0.1252, -2.613, 11.9963, 80.4769},
     {0.7189, -5.1678, 15.705, 77.074}},
    {{0.34, -3.0479, 10.293, 84.8208},
     {0.2412, -2.3608, 8.446, 86.8321},
     {0.3598, -3.2107, 10.7933, 84.107},
     {0.6556, -4.7229, 13.977, 80.247}},
};

constexpr float kLowestPower = 0.12f, kFormulaBreak = 0.75f, kFlatFrom = 200, kHighestPower = 1000;
// A rated power is a tabled step or lies between two; allow for the catalogue's rounding.
constexpr float kSlack = 1e-4f;

int PoleColumn(float poles) {
    if (poles == 2)
        return 0;
    if (poles == 4)
        return 1;
    if (poles == 6)
        return 2;
    if (poles == 8)
        return 3;
    return -1;
}

bool InRange(float kw) {
    return kw >= kLowestPower * (1 - kSlack) && kw <= kHighestPower * (1 + kSlack);
}

float Ie1Limit(int column, float kw) {
    if (column > 2 || !(kw >= kPowers[0] * (1 - kSlack)))
        return 0;
    if (kw >= kPowers[kSteps - 1] * (1 - kSlack))
        return kIE1[kSteps - 1][column];
    for (int i = 0; i + 1 < kSteps; ++i) {
        if (kw <= kPowers[i] * (1 + kSlack))
            return kIE1[i][column];
        if (kw < kPowers[i + 1] * (1 - kSlack)) {
            const double t = (std::log10(double(kw)) - std::log10(double(kPowers[i]))) /
                             (std::log10(double(kPowers[i + 1])) - std::log10(double(kPowers[i])));
            const double low = kIE1[i][column];
            const double high = kIE1[i + 1][column];
            return float(low + t * (high - low));
        }
    }
    return kIE1[kSteps - 1][column];
}

float FormulaLimit(int row, int column, float kw) {
    // Catalogue powers carry single-precision noise: 0.75 must take the larger set, 200 the
    // formula's end.
    const bool small = kw < kFormulaBreak * (1 - kSlack);
    const double p = std::min(double(kw), double(kFlatFrom));
    const Coefficients& k = small ? kSmall[row][column] : kLarge[row][column];
    const double x = std::log10(p);
    const double eta = ((k.A * x + k.B) * x + k.C) * x + k.D;
    // The standard rounds the formula's result to a tenth of a percent.
    return float(std::round(eta * 10.0) / 10.0);
}

} // namespace

float EfficiencyClassLimit(EfficiencyClass cls, float poles, float kw) {
    const int column = PoleColumn(poles);
    if (column < 0 || !InRange(kw))
        return 0;
    switch (cls) {
    case EfficiencyClass::IE1:
        return Ie1Limit(column, kw);
    case EfficiencyClass::IE2:
        return FormulaLimit(0, column, kw);
    case EfficiencyClass::IE3:
        return FormulaLimit(1, column, kw);
    case EfficiencyClass::IE4:
        return FormulaLimit(2, column, kw);
    default:
        return 0;
    }
}

QString EfficiencyClassScopeReason(float poles, float kw, float volts) {
    if (volts > 1000.0f)
        return QStringLiteral("效率等级只适用于额定电压 1000 V 及以下的电动机");
    if (PoleColumn(poles) < 0)
        return QStringLiteral("效率等级只适用于 2、4、6、8 极电动机");
    if (!InRange(kw))
        return QStringLiteral("效率等级只适用于额定功率 0.12 kW 至 1000 kW 的电动机");
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
    for (EfficiencyClass cls : {EfficiencyClass::IE4, EfficiencyClass::IE3, EfficiencyClass::IE2})
        if (eta + tolerance >= EfficiencyClassLimit(cls, poles, kw))
            return cls;
    const float ie1 = EfficiencyClassLimit(EfficiencyClass::IE1, poles, kw);
    if (ie1 == 0)
        return EfficiencyClass::BelowIE2;
    return eta + tolerance >= ie1 ? EfficiencyClass::IE1 : EfficiencyClass::BelowIE1;
}

QString EfficiencyClassText(EfficiencyClass cls) {
    switch (cls) {
    case EfficiencyClass::IE1:
        return QStringLiteral("IE1");
    case EfficiencyClass::IE2:
        return QStringLiteral("IE2");
    case EfficiencyClass::IE3:
        return QStringLiteral("IE3");
    case EfficiencyClass::IE4:
        return QStringLiteral("IE4");
    case EfficiencyClass::BelowIE1:
        return QStringLiteral("低于IE1");
    case EfficiencyClass::BelowIE2:
        return QStringLiteral("低于IE2");
    case EfficiencyClass::NotApplicable:
        return QStringLiteral("不适用");
    case EfficiencyClass::NotRated:
        break;
    }
    return {};
}

std::optional<int> Gb18613Grade(EfficiencyClass cls) {
    if (cls == EfficiencyClass::IE4)
        return 2;
    if (cls == EfficiencyClass::IE3)
        return 3;
    return std::nullopt;
}

QString Gb18613GradeText(EfficiencyClass cls) {
    if (const std::optional<int> grade = Gb18613Grade(cls))
        return QStringLiteral("能效%1级").arg(*grade);
    switch (cls) {
    case EfficiencyClass::IE1:
    case EfficiencyClass::IE2:
    case EfficiencyClass::BelowIE1:
    case EfficiencyClass::BelowIE2:
        return QStringLiteral("低于能效限定值");
    default:
        return {};
    }
}

} // namespace zr5
