#include <gtest/gtest.h>

#include "assessment/economics.h"

using namespace zr5;

namespace {

MotorParameters Motor(float pn, float in, float eta, float i0, float p0, float un) {
    MotorParameters m = MotorParameters::fromValues({4, pn, in, eta, i0, p0, un});
    m.revalidate();
    return m;
}

} // namespace

// Two catalogue motors worked by hand (K = PN (100/ηN - 1) - P0, Q from √3 U I and the input
// power, KQ = 0.05): Y160M-4 (11 kW, 22.6 A, 88 %, 8.05 A, 0.45 kW, 380 V) and Y132M-4 (7.5 kW,
// 15.4 A, 87 %, 5.89 A, 0.336 kW, 380 V).
TEST(MotorEconomics, MatchesTheFiguresWorkedByHandForTwoCatalogueMotors) {
    struct Case {
        const char* model;
        MotorParameters motor;
        double K, betaJ, Q0, QN, betaJJ, etaCN;
    };
    const Case cases[] = {
        {"Y160M-4", Motor(11, 22.6f, 88, 8.05f, 0.45f, 380), 1.05, 0.654654, 5.2792, 8.06295,
         0.774839, 85.25052},
        {"Y132M-4", Motor(7.5f, 15.4f, 87, 5.89f, 0.336f, 380), 0.78469, 0.654366, 3.86209, 5.33117,
         0.785219, 84.39057},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const EconomicsResult r = MotorEconomicsFor(c.motor, 0.05);
        ASSERT_TRUE(r.economics) << r.inapplicable.toStdString();
        const MotorEconomics& e = *r.economics;
        // The rated values are single-precision figures; the method works in double.
        EXPECT_NEAR(e.K, c.K, 1e-5);
        EXPECT_NEAR(e.betaJ, c.betaJ, 1e-5);
        EXPECT_NEAR(e.Q0, c.Q0, 1e-4);
        EXPECT_NEAR(e.QN, c.QN, 1e-4);
        EXPECT_NEAR(e.betaJJ, c.betaJJ, 1e-5);
        EXPECT_NEAR(e.ratedComprehensiveEfficiency, c.etaCN, 1e-4);
        // The efficiency peaks at βJ and the comprehensive efficiency at βJJ, where it exceeds its
        // rated value; at βJJ² it is back at the rated value.
        for (double d : {-0.02, 0.02}) {
            EXPECT_LT(e.efficiency(e.betaJ + d), e.efficiency(e.betaJ));
            EXPECT_LT(e.comprehensiveEfficiency(e.betaJJ + d), e.comprehensiveEfficiency(e.betaJJ));
        }
        EXPECT_NEAR(e.comprehensiveEfficiency(e.betaJJ * e.betaJJ), e.ratedComprehensiveEfficiency,
                    1e-9);
        EXPECT_NEAR(e.input(1.0), 100.0 * e.PN / c.motor.RatedEfficiency, 1e-4);
    }
}

TEST(MotorEconomics, ZonesMeetAtTheirBoundaries) {
    const MotorEconomics e =
        *MotorEconomicsFor(Motor(11, 22.6f, 88, 8.05f, 0.45f, 380), 0.05).economics;
    const double jj = e.betaJJ, jj2 = e.betaJJ * e.betaJJ;
    const std::pair<double, OperatingZone> cases[] = {
        {0.0, OperatingZone::NonEconomic},     {jj2 - 1e-9, OperatingZone::NonEconomic},
        {jj2, OperatingZone::General},         {jj - 1e-9, OperatingZone::General},
        {jj, OperatingZone::Economic},         {1.0, OperatingZone::Economic},
        {1.0 + 1e-9, OperatingZone::Overload}, {1.99, OperatingZone::Overload},
    };
    for (const auto& [beta, zone] : cases)
        EXPECT_EQ(ZoneOf(beta, e), zone) << beta;
    EXPECT_EQ(ZoneName(OperatingZone::NonEconomic), QStringLiteral("非经济运行区"));
}

TEST(MotorEconomics, MotorDataOutsideTheMethodSayWhy) {
    struct Case {
        const char* what;
        MotorParameters motor;
        const char* reason;
    };
    // 11 kW at 88 % has rated losses of 1.5 kW.
    const Case cases[] = {
        {"K = 0", Motor(11, 22.6f, 88, 8.05f, 1.5f, 380), "空载功率不小于额定损耗"},
        {"no-load power above the losses", Motor(11, 22.6f, 88, 8.05f, 2, 380),
         "空载功率不小于额定损耗"},
        {"zero currents", Motor(11, 0, 88, 0, 0.45f, 380), "电机参数不全"},
    };
    for (const Case& c : cases) {
        const EconomicsResult r = MotorEconomicsFor(c.motor, 0.05);
        EXPECT_FALSE(r.economics) << c.what;
        EXPECT_TRUE(r.inapplicable.startsWith(QString::fromUtf8(c.reason)))
            << c.what << ": " << r.inapplicable.toStdString();
    }
}
