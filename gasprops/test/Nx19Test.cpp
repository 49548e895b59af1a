// Behaviour of the three AGA NX-19 forms: limits, windows, flags and failure paths.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Nx19.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct ModCall {
    double Hs = 40.66;
    double d = 0.581;
    double CO2 = 0.6;
    double N2 = 0.9;
    double p = 60.0;
    double T = 273.15;
    uint8_t option = 1;
    uint8_t tWide = 9, pFlag = 9, tNarrow = 9;

    int run(double& Z) {
        return Nx19ModZ(Hs, d, CO2, N2, p, T, &Z, &tWide, &pFlag, &tNarrow, option);
    }
};

TEST(Nx19, FactorNeverAboveOne) {
    for (double p : {0.5, 1.01325, 5.0, 30.0, 60.0, 90.0}) {
        for (double T : {250.0, 273.15, 288.15, 320.0}) {
            const double Z = Nx19Factor(p, T - 273.15, 0.581, 0.6, 0.9);
            EXPECT_GT(Z, 0.0) << p << " " << T;
            EXPECT_LE(Z, 1.0) << p << " " << T;
        }
    }
    // Near the ideal-gas limit the low-temperature factor would lift Z above 1; the factor form
    // has none, so it stays below 1 and the limit does not apply.
    EXPECT_LT(Nx19Factor(1.01325, 15.0, 0.581, 0.6, 0.9), 1.0);
}

TEST(Nx19, RhoFactorStaysInsideItsBounds) {
    for (double p : {0.01, 1.0, 30.0, 60.0, 99.0, 300.0}) {
        for (double T : {263.15, 273.15, 300.0, 340.0}) {
            const double Z = Nx19ModRhoFactor(p, T - 273.15, 0.6, 0.9, 0.79);
            EXPECT_GE(Z, 0.1) << p << " " << T;
            EXPECT_LE(Z, 1.0) << p << " " << T;
        }
    }
}

TEST(Nx19, InRangeIsHalfOpen) {
    EXPECT_EQ(Nx19InRange(0.0, 0.0, 1.3), 1);
    EXPECT_EQ(Nx19InRange(1.2999, 0.0, 1.3), 1);
    EXPECT_EQ(Nx19InRange(1.3, 0.0, 1.3), 0);
    EXPECT_EQ(Nx19InRange(-0.1, 0.0, 1.3), 0);
    EXPECT_EQ(Nx19InRange(kNaN, 0.0, 1.3), 0);
}

TEST(Nx19, ReducedPressureOnePointThreeTakesTheUpperForms) {
    // pi = 1.3 exactly is outside [0, 1.3): the factor form takes E3 (tau >= 0.88), which is
    // continuous there with E2 only when its (pi - 1.3) term vanishes, so both sides meet.
    // Pressure that gives pi = 1.3 for G = 0.581, 0.6 % CO2, 0.9 % N2:
    const double Fp = 156.47 / (160.8 - 7.22 * 0.581 + 0.6 - 0.392 * 0.9);
    const double p = 1.3 * 68.9476 / Fp;
    const double below = Nx19Factor(p * (1 - 1e-9), 0.0, 0.581, 0.6, 0.9);
    const double at = Nx19Factor(p, 0.0, 0.581, 0.6, 0.9);
    EXPECT_GT(at, 0.0);
    EXPECT_NEAR(at, below, 1e-6);
}

TEST(Nx19, ZeroNegativeAndNonFinitePressureFail) {
    for (double p : {0.0, -1.0, kNaN}) {
        double Z = 0.5;
        EXPECT_EQ(Nx19Z(0.581, 0.6, 0.9, p, 273.15, &Z), 0) << p;
        EXPECT_EQ(Z, 1.0);
        Z = 0.5;
        EXPECT_EQ(Nx19VariantZ(0.79, 0.6, 0.9, p, 273.15, &Z), 0) << p;
        EXPECT_EQ(Z, 1.0);
    }
    EXPECT_EQ(Nx19Factor(0.0, 0.0, 0.581, 0.6, 0.9), 0.0);
    EXPECT_EQ(Nx19ModRhoFactor(0.0, 0.0, 0.6, 0.9, 0.79), 0.0);
}

TEST(Nx19, RhoFactorRejectsReducedTemperatureAtOrBelowItsDomain) {
    // A very dense gas at low temperature: tau <= 0.84, where the deviation has no real value.
    double Z = 0.5;
    EXPECT_EQ(Nx19VariantZ(1.4, 0.6, 0.9, 60.0, 200.0, &Z), 0);
    EXPECT_EQ(Z, 1.0);
    // Inputs that are not numbers.
    EXPECT_EQ(Nx19VariantZ(kNaN, 0.6, 0.9, 60.0, 273.15, &Z), 0);
    EXPECT_EQ(Nx19Z(kNaN, 0.6, 0.9, 60.0, 273.15, &Z), 0);
}

TEST(Nx19Mod, WindowAndFlags) {
    struct Case {
        double Hs, CO2, p, T;
        int result;
        uint8_t tWide, pFlag, tNarrow;
    };
    for (const Case c : {
             Case{40.66, 0.6, 60.0, 250.0, 1, 0, 0, 1},  // narrow window only reported
             Case{40.66, 0.6, 60.0, 245.0, 0, 1, 0, 1},  // wide window fails
             Case{40.66, 0.6, 60.0, 340.0, 0, 1, 0, 1},
             Case{40.66, 0.6, 60.0, 335.0, 1, 0, 0, 1},
             Case{21.6, 0.6, 60.0, 273.15, 1, 0, 0, 0},  // bounds pass
             Case{46.8, 0.6, 60.0, 273.15, 1, 0, 0, 0},
             Case{40.66, 30.0, 60.0, 273.15, 1, 0, 0, 0},
             Case{40.66, 0.6, 99.0, 273.15, 1, 0, 0, 0},
             Case{21.59, 0.6, 60.0, 273.15, 0, 0, 0, 0},  // outside fails
             Case{46.81, 0.6, 60.0, 273.15, 0, 0, 0, 0},
             Case{40.66, 30.01, 60.0, 273.15, 0, 0, 0, 0},
             Case{40.66, 0.6, 99.01, 273.15, 0, 0, 1, 0},
             Case{40.66, 0.6, 0.0009, 273.15, 0, 0, 1, 0},
         }) {
        ModCall call;
        call.Hs = c.Hs;
        call.CO2 = c.CO2;
        call.p = c.p;
        call.T = c.T;
        double Z = 0.5;
        EXPECT_EQ(call.run(Z), c.result) << c.Hs << " " << c.CO2 << " " << c.p << " " << c.T;
        EXPECT_EQ(call.tWide, c.tWide);
        EXPECT_EQ(call.pFlag, c.pFlag);
        EXPECT_EQ(call.tNarrow, c.tNarrow);
        if (c.result == 0) {
            EXPECT_EQ(Z, 1.0);
        } else {
            // Inside the window the core's Z is used without a limit (30 % CO2 at this
            // relative density is far outside the correlation's data and gives Z above 1).
            EXPECT_GT(Z, 0.0);
            EXPECT_TRUE(std::isfinite(Z));
        }
    }
}

TEST(Nx19Mod, HighHsCorrectionAboveThreshold) {
    ModCall with;
    with.Hs = 39.8;
    ModCall without = with;
    without.option = 0;
    double Zwith = 0.0, Zwithout = 0.0;
    ASSERT_EQ(with.run(Zwith), 1);
    ASSERT_EQ(without.run(Zwithout), 1);
    EXPECT_EQ(Zwith, Zwithout);

    with.Hs = 39.81;
    without.Hs = 39.81;
    ASSERT_EQ(with.run(Zwith), 1);
    ASSERT_EQ(without.run(Zwithout), 1);
    EXPECT_NE(Zwith, Zwithout);
    const double t = 0.0;
    EXPECT_DOUBLE_EQ(Zwith, Nx19HighHsCorrection(60.0, t, 39.81, 0.581, 0.006, Zwithout));
}

TEST(Nx19Mod, NonFiniteInputsFail) {
    for (int field = 0; field < 6; ++field) {
        ModCall call;
        double* values[] = {&call.Hs, &call.d, &call.CO2, &call.N2, &call.p, &call.T};
        *values[field] = kNaN;
        double Z = 0.5;
        EXPECT_EQ(call.run(Z), 0) << field;
        EXPECT_EQ(Z, 1.0);
        // A pressure or temperature that is not a number lies outside the window: its flags are
        // set, the other ones stay clear.
        EXPECT_EQ(call.pFlag, field == 4 ? 1 : 0) << field;
        EXPECT_EQ(call.tWide, field == 5 ? 1 : 0) << field;
        EXPECT_EQ(call.tNarrow, field == 5 ? 1 : 0) << field;
    }
}

TEST(Nx19Mod, CoreResultThatIsNoNumberFails) {
    // A relative density whose reduced temperature is negative: the core cannot give a Z.
    ModCall call;
    call.d = -2.0;
    double Z = 0.5;
    EXPECT_EQ(call.run(Z), 0);
    EXPECT_EQ(Z, 1.0);
}

TEST(Nx19Mod, RelativeDensityThatIsNotPositiveFails) {
    for (double d : {0.0, -0.0, -1e-9}) {
        ModCall call;
        call.d = d;
        double Z = 0.5;
        EXPECT_EQ(call.run(Z), 0) << d;
        EXPECT_EQ(Z, 1.0) << d;
    }
}

TEST(Nx19Mod, NullFlagsAreAllowed) {
    double Z = 0.0;
    EXPECT_EQ(Nx19ModZ(40.66, 0.581, 0.6, 0.9, 60.0, 273.15, &Z, nullptr, nullptr, nullptr, 1), 1);
    EXPECT_GT(Z, 0.0);
}

}  // namespace
