// Behaviour of the three SGERG-88 forms: input variants, range checks, failure paths, traces.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "HostTrace.h"
#include "Sgerg88Checked.h"
#include "Sgerg88SecondForm.h"
#include "Sgerg88Variant.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The natural gas of the worked examples: Hs 40.66 MJ/m3, d 0.581, 0.6 % CO2, 0.9 % N2.
struct VariantCall {
    int variant = 0;
    double Hs = 40.66;
    double d = 0.581;
    double CO2 = 0.6;
    double N2 = 0.9;
    double H2 = 0.0;
    double p = 60.0;
    double T = 273.15;
    uint8_t wide = 0;
    uint8_t check = 0;

    int run(double& Z) const {
        return SgergZVariant(variant, Hs, d, CO2, N2, H2, p, T, &Z, wide, check);
    }
};

class TraceScope : public ::testing::Test {
  protected:
    void SetUp() override { host::setTraceLevel(7); }
    void TearDown() override { host::resetTraceSettings(); }
    host::TraceCapture capture;
};

TEST(SgergVariant, Variant4IgnoresCalorificValue) {
    VariantCall call;
    call.variant = 4;
    double reference = 0.0;
    ASSERT_EQ(call.run(reference), 1);
    for (double Hs : {20.0, 35.0, 46.0, 60.0}) {
        call.Hs = Hs;
        double Z = 0.0;
        ASSERT_EQ(call.run(Z), 1) << Hs;
        EXPECT_EQ(Z, reference) << Hs;
    }
}

TEST(SgergVariant, UnusedContentsAreIgnored) {
    struct Case {
        int variant;
        double changedCO2, changedN2, changedH2;
    };
    // Variant 0 ignores H2 and N2, 1 ignores H2 and CO2, 2 ignores N2, 3 ignores CO2, 4 ignores H2.
    for (const Case c : {Case{0, 0.6, 7.0, 9.0}, Case{1, 5.0, 0.9, 9.0}, Case{2, 0.6, 7.0, 0.0},
                         Case{3, 5.0, 0.9, 0.0}, Case{4, 0.6, 0.9, 9.0}}) {
        VariantCall base;
        base.variant = c.variant;
        VariantCall changed = base;
        changed.CO2 = c.changedCO2;
        changed.N2 = c.changedN2;
        changed.H2 = c.changedH2;
        double Z1 = 0.0;
        double Z2 = 0.0;
        ASSERT_EQ(base.run(Z1), 1) << c.variant;
        ASSERT_EQ(changed.run(Z2), 1) << c.variant;
        EXPECT_EQ(Z1, Z2) << c.variant;
    }
}

TEST(SgergVariant, RangeCheckBoundsAreInclusive) {
    VariantCall call;
    call.variant = 2;
    call.check = 1;
    call.Hs = 20.0;
    call.d = 0.55;
    call.H2 = 30.0;
    double Z = 0.0;
    EXPECT_EQ(call.run(Z), 1);
    EXPECT_LT(Z, 1.0);

    call.H2 = 30.01;
    Z = 0.5;
    EXPECT_EQ(call.run(Z), 0);
    EXPECT_EQ(Z, 1.0);
}

TEST(SgergVariant, RangeCheckFailures) {
    struct Case {
        double Hs, d, H2;
        uint8_t wide;
        int expected;
    };
    // The hydrogen content is checked as passed, even in a variant that then zeroes it (0).
    for (const Case c : {Case{19.99, 0.581, 0.0, 0, 0}, Case{40.66, 0.549, 0.0, 0, 0},
                         Case{40.66, 0.581, 31.0, 0, 0}, Case{40.66, 0.581, -5.0, 0, 1},
                         Case{40.66, 0.581, 31.0, 1, 1}, Case{5.99, 0.581, 0.0, 1, 0},
                         Case{40.66, 0.059, 0.0, 1, 0}, Case{kNaN, 0.581, 0.0, 0, 0}}) {
        VariantCall call;
        call.Hs = c.Hs;
        call.d = c.d;
        call.H2 = c.H2;
        call.wide = c.wide;
        call.check = 1;
        double Z = 0.5;
        EXPECT_EQ(call.run(Z), c.expected) << c.Hs << " " << c.d << " " << c.H2;
        if (c.expected == 0) {
            EXPECT_EQ(Z, 1.0);
        }
    }
}

TEST(SgergVariant, InvalidVariantAndInputsFailWithOne) {
    for (int variant : {-1, 5}) {
        VariantCall call;
        call.variant = variant;
        double Z = 0.5;
        EXPECT_EQ(call.run(Z), 0);
        EXPECT_EQ(Z, 1.0);
    }
    // Inputs that are not numbers, or zero at which the form would divide by zero.
    const auto withHs = [](double v) {
        VariantCall c;
        c.Hs = v;
        return c;
    };
    const auto withD = [](double v) {
        VariantCall c;
        c.d = v;
        return c;
    };
    const auto withP = [](double v) {
        VariantCall c;
        c.p = v;
        return c;
    };
    const auto withT = [](double v) {
        VariantCall c;
        c.T = v;
        return c;
    };
    for (const VariantCall& call : {withHs(kNaN), withHs(0.0), withD(0.0), withD(kInf), withP(kNaN),
                                    withT(0.0), withT(-10.0), withT(kNaN)}) {
        double Z = 0.5;
        EXPECT_EQ(call.run(Z), 0);
        EXPECT_EQ(Z, 1.0);
    }
}

TEST(SgergVariant, PressureNotAboveZeroFailsWhileALowOneGivesTheIdealGas) {
    for (const double p : {0.0, -0.0, -10.0, kNaN, kInf}) {
        for (const int variant : {0, 2, 4}) {
            VariantCall call;
            call.variant = variant;
            call.H2 = variant == 2 ? 5.0 : 0.0;
            call.p = p;
            double Z = 0.5;
            EXPECT_EQ(call.run(Z), 0) << p << " variant " << variant;
            EXPECT_EQ(Z, 1.0) << p << " variant " << variant;
        }
    }
    VariantCall call;
    call.p = 1e-9;
    double Z = 0.0;
    EXPECT_EQ(call.run(Z), 1);
    EXPECT_NEAR(Z, 1.0, 1e-9);
}

TEST(SgergVariant, WideRangeLeavesOutCarbonMonoxide) {
    // With hydrogen present, normal mode ties CO to it; wide-range mode does not, so the two
    // modes give different results for the same gas, while without hydrogen both agree closely.
    VariantCall normal;
    normal.variant = 3;
    normal.H2 = 5.0;
    VariantCall wide = normal;
    wide.wide = 1;
    double Zn = 0.0;
    double Zw = 0.0;
    ASSERT_EQ(normal.run(Zn), 1);
    ASSERT_EQ(wide.run(Zw), 1);
    EXPECT_GT(std::fabs(Zn - Zw), 1e-5);

    normal.H2 = 0.0;
    wide.H2 = 0.0;
    ASSERT_EQ(normal.run(Zn), 1);
    ASSERT_EQ(wide.run(Zw), 1);
    EXPECT_NEAR(Zn, Zw, 2e-6);
}

TEST(SgergVariant, ModeZeroUsesStoredComposition) {
    double B = 0.0;
    double C = 1.0;
    ASSERT_EQ(SgergVirial(0, 273.15, 40.66, 0.581, 0.6, 0.9, 0.0, B, C, 1, 0, 0), 1);
    EXPECT_EQ(C, 0.0);
    EXPECT_LT(B, 0.0);
    double B0 = 0.0;
    double C0 = 0.0;
    ASSERT_EQ(SgergVirial(0, 273.15, 40.66, 0.581, 0.6, 0.9, 0.0, B0, C0, 0, 0, 0), 1);
    EXPECT_NEAR(B0, B, 1e-6);
    EXPECT_GT(C0, 0.0);
}

TEST(SgergVariant, UnreachableNormalStateFails) {
    // A relative density no composition of this calorific value can have.
    VariantCall call;
    call.d = 3.0;
    double Z = 0.5;
    EXPECT_EQ(call.run(Z), 0);
    EXPECT_EQ(Z, 1.0);
}

TEST(CubeRootNewton, KnownValues) {
    struct Case {
        double x, root;
    };
    for (const Case c :
         {Case{-8.0, -2.0}, Case{0.0, 0.0}, Case{1.0, 1.0}, Case{-1.0, -1.0}, Case{27.0, 3.0},
          Case{0.001, 0.1}, Case{1e-300, 1e-100}, Case{1e300, 1e100}, Case{0.125, 0.5}}) {
        EXPECT_NEAR(CubeRootNewton(c.x), c.root, 1e-14 * std::fabs(c.root)) << c.x;
    }
    EXPECT_FALSE(std::signbit(CubeRootNewton(-0.0)));
    EXPECT_TRUE(std::isnan(CubeRootNewton(kInf)));
    EXPECT_TRUE(std::isnan(CubeRootNewton(-kInf)));
    EXPECT_TRUE(std::isnan(CubeRootNewton(kNaN)));
}

using SgergVariantTrace = TraceScope;

TEST_F(SgergVariantTrace, RecordsResultAfterNormalState) {
    VariantCall call;
    double Z = 0.0;
    ASSERT_EQ(call.run(Z), 1);
    const auto records = capture.withId(5);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), 1);
    EXPECT_EQ(records[0].doubleArg(1), Z);
    EXPECT_EQ(records[0].doubleArg(2), 60.0);
    EXPECT_EQ(records[0].doubleArg(3), 273.15);
    EXPECT_EQ(records[0].doubleArg(4), 40.66);
    EXPECT_DOUBLE_EQ(records[0].doubleArg(5), 1.292923 * 0.581);
    EXPECT_EQ(records[0].doubleArg(6), 0.6);
    EXPECT_EQ(records[0].doubleArg(7), 0.0);
    EXPECT_EQ(records[0].doubleArg(8), 0.9);

    capture.clear();
    call.variant = 5;
    EXPECT_EQ(call.run(Z), 0);
    EXPECT_FALSE(capture.contains(5));
}

// ----- second form -----

int CallSgergZ(double rho, double CO2, double N2, double p, double T, double& Z) {
    return SgergZ(&rho, &CO2, &N2, &p, &T, &Z);
}

TEST(SgergSecondForm, FailuresLeaveResult) {
    struct Case {
        double rho, CO2, N2, p, T;
    };
    // No hydrocarbon; T zero or below; inputs that are not numbers.
    for (const Case c : {Case{0.79, 40.0, 60.0, 60.0, 273.15}, Case{0.79, 0.6, 0.9, 60.0, 0.0},
                         Case{0.79, 0.6, 0.9, 60.0, -5.0}, Case{kNaN, 0.6, 0.9, 60.0, 273.15},
                         Case{0.79, 0.6, 0.9, kNaN, 273.15}}) {
        double Z = 0.25;
        EXPECT_EQ(CallSgergZ(c.rho, c.CO2, c.N2, c.p, c.T, Z), 0);
        EXPECT_EQ(Z, 0.25);
    }
}

TEST(SgergSecondForm, NegativeContentsFailZAndSpeedOfSound) {
    double Z = 0.25;
    EXPECT_EQ(CallSgergZ(0.79, -0.1, 0.9, 60.0, 273.15, Z), 0);
    EXPECT_EQ(CallSgergZ(0.79, 0.6, -0.1, 60.0, 273.15, Z), 0);
    EXPECT_EQ(Z, 0.25);
    Z = 0.89;
    double rho = 0.79;
    double CO2 = -0.1;
    double N2 = 0.9;
    double T = 288.15;
    double kappa = 1.33;
    double w = 7.0;
    EXPECT_EQ(SgergExtProperty2(&rho, &CO2, &N2, &T, &Z, &kappa, &w), 0);
    EXPECT_EQ(w, 7.0);
}

TEST(SgergSecondForm, StartZn) {
    double rho = 0.79;
    double xN2 = 0.009;
    double xCO2 = 0.006;
    double Zn = 0.0;
    EXPECT_EQ(SgergStartZn(&rho, &xN2, &xCO2, &Zn), 1);
    const double term = 0.0741 * 0.79 - 0.006 - 0.063 * 0.009 - 0.0575 * 0.006;
    EXPECT_DOUBLE_EQ(Zn, 1.0 - term * term);
}

TEST(SgergSecondForm, IsentropicExponentAtZeroAndNegativePressure) {
    double rho = 0.79;
    double N2 = 0.9;
    double p = 0.0;
    double T = 288.15;
    double kappa = 0.0;
    ASSERT_EQ(SgergExtProperty1(&rho, &N2, &p, &T, &kappa), 1);
    const double x = 0.009;
    EXPECT_DOUBLE_EQ(kappa, 1.556 * (1 + 0.074 * x) - 0.00039 * T * (1 - 0.68 * x) - 0.208 * rho);

    p = -0.1;
    kappa = 3.0;
    EXPECT_EQ(SgergExtProperty1(&rho, &N2, &p, &T, &kappa), 0);
    EXPECT_EQ(kappa, 3.0);
    p = 50.0;
    T = 0.0;
    EXPECT_EQ(SgergExtProperty1(&rho, &N2, &p, &T, &kappa), 0);
    // An exponent that is not positive is no result.
    rho = 20.0;
    T = 288.15;
    EXPECT_EQ(SgergExtProperty1(&rho, &N2, &p, &T, &kappa), 0);
    EXPECT_EQ(kappa, 3.0);
}

TEST(SgergSecondForm, SpeedOfSoundPreconditions) {
    struct Case {
        double rho, CO2, N2, T, Z, kappa;
    };
    for (const Case c :
         {Case{0.0, 0.6, 0.9, 288.15, 0.89, 1.33}, Case{0.79, 0.6, -0.1, 288.15, 0.89, 1.33},
          Case{0.79, 0.6, 0.9, 0.0, 0.89, 1.33}, Case{0.79, 0.6, 0.9, 288.15, 0.0, 1.33},
          Case{0.79, 0.6, 0.9, 288.15, 0.89, 0.0}, Case{kNaN, 0.6, 0.9, 288.15, 0.89, 1.33}}) {
        Case v = c;
        double w = 7.0;
        EXPECT_EQ(SgergExtProperty2(&v.rho, &v.CO2, &v.N2, &v.T, &v.Z, &v.kappa, &w), 0);
        EXPECT_EQ(w, 7.0);
    }
}

using SgergSecondFormTrace = TraceScope;

TEST_F(SgergSecondFormTrace, EntryAndResultPoints) {
    double Z = 0.0;
    ASSERT_EQ(CallSgergZ(0.79, 0.6, 0.9, 60.0, 273.15, Z), 1);
    const auto entry = capture.withId(0x30007);
    ASSERT_EQ(entry.size(), 1u);
    EXPECT_EQ(entry[0].doubleArg(0), 0.79);
    EXPECT_EQ(entry[0].doubleArg(1), 0.6);
    EXPECT_EQ(entry[0].doubleArg(2), 0.9);
    const auto result = capture.withId(0x30017);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].doubleArg(0), Z);

    capture.clear();
    EXPECT_EQ(CallSgergZ(0.79, 0.6, 0.9, 60.0, 0.0, Z), 0);
    EXPECT_TRUE(capture.contains(0x30007));
    EXPECT_FALSE(capture.contains(0x30017));

    double rho = 0.79, CO2 = 0.6, N2 = 0.9, p = 50.0, T = 288.15, kappa = 0.0, w = 0.0;
    ASSERT_EQ(SgergExtProperty1(&rho, &N2, &p, &T, &kappa), 1);
    ASSERT_EQ(SgergExtProperty2(&rho, &CO2, &N2, &T, &Z, &kappa, &w), 1);
    ASSERT_EQ(capture.withId(0x30027).size(), 1u);
    EXPECT_EQ(capture.withId(0x30027)[0].doubleArg(0), kappa);
    ASSERT_EQ(capture.withId(0x30037).size(), 1u);
    EXPECT_EQ(capture.withId(0x30037)[0].doubleArg(0), w);
}

// ----- form with range check -----

TEST(SgergChecked, FailedRangeCheckLeavesResult) {
    double Z = 0.25;
    EXPECT_EQ(SgergZChecked(19.9, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 0, 1), 0);
    EXPECT_EQ(Z, 0.25);
    EXPECT_EQ(SgergZChecked(5.9, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 1, 1), 0);
    EXPECT_EQ(Z, 0.25);
}

TEST(SgergChecked, WithoutCheckLowCalorificValueIsCalculated) {
    // Hs 10 MJ/m3 goes into the normal-state loop; at d 0.581 it is implausible in normal mode.
    double Z = 0.25;
    int16_t error = 0;
    double xN2 = 0.0;
    SgergCore(60.0, 273.15, 10.0, 0.581, 0.006, 0.0, xN2, 0, error);
    EXPECT_NE(error, kSgergErrorNone);
    EXPECT_EQ(SgergZChecked(10.0, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 0, 0), 0);
    EXPECT_EQ(Z, 1.0);
}

TEST(SgergChecked, PlausibilityOnlyOutsideWideRange) {
    // Hs 25 MJ/m3 at d 0.581 implies far more nitrogen than the normal density allows.
    int16_t error = 0;
    double xN2 = 0.0;
    EXPECT_EQ(SgergCore(60.0, 273.15, 25.0, 0.581, 0.006, 0.0, xN2, 0, error), 1.0);
    EXPECT_EQ(error, kSgergErrorPlausibility);
    error = 0;
    const double Z = SgergCore(60.0, 273.15, 25.0, 0.581, 0.006, 0.0, xN2, 1, error);
    EXPECT_NE(error, kSgergErrorPlausibility);
    if (error == kSgergErrorNone) {
        EXPECT_LT(Z, 1.0);
    }
}

TEST(SgergChecked, MolarVolumeIteration) {
    int16_t error = 0;
    // B = C = 0 is the ideal gas.
    EXPECT_DOUBLE_EQ(SgergMolarVolumeZ(60.0, 273.15, 0.0, 0.0, error), 1.0);
    EXPECT_EQ(error, 0);
    // A B so negative that no gas volume exists does not converge.
    EXPECT_EQ(SgergMolarVolumeZ(60.0, 273.15, -5.0, 0.0, error), 1.0);
    EXPECT_EQ(error, kSgergErrorMolarVolume);
    for (double p : {0.0, -1.0, kNaN}) {
        error = 0;
        EXPECT_EQ(SgergMolarVolumeZ(p, 273.15, -0.05, 0.003, error), 1.0);
        EXPECT_EQ(error, kSgergErrorMolarVolume) << p;
    }
    error = 0;
    EXPECT_EQ(SgergMolarVolumeZ(60.0, 273.15, kNaN, 0.003, error), 1.0);
    EXPECT_EQ(error, kSgergErrorMolarVolume);
}

TEST(SgergChecked, DensityForH) {
    double MCH = 0.0, xCH = 0.0, xN2 = 0.0;
    const double rhoM = 1.0 / (22.414097 - 0.065);
    const double rho = SgergDensityForH(900.0, 40.0, rhoM, 0.01, 0.000964, 0.006, MCH, xCH, xN2);
    EXPECT_DOUBLE_EQ(MCH, 0.021062199 * 900.0 - 2.709328);
    EXPECT_DOUBLE_EQ(xCH, 40.0 / (900.0 * rhoM) - (285.83 * 0.01 + 282.98 * 0.000964) / 900.0);
    EXPECT_DOUBLE_EQ(xN2, 1.0 - xCH - 0.006 - 0.01 - 0.000964);
    EXPECT_DOUBLE_EQ(
        rho, rhoM * (xCH * MCH + 28.0135 * xN2 + 44.01 * 0.006 + 2.0159 * 0.01 + 28.01 * 0.000964));
}

TEST(SgergChecked, UnusableInputsFailWithOne) {
    for (double Hs : {kNaN, kInf, 0.0}) {
        double Z = 0.25;
        EXPECT_EQ(SgergZChecked(Hs, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 1, 0), 0) << Hs;
        EXPECT_EQ(Z, 1.0);
    }
    double Z = 0.25;
    EXPECT_EQ(SgergZChecked(40.66, 0.581, 0.6, 0.0, 60.0, -1.0, &Z, 1, 0), 0);
    EXPECT_EQ(Z, 1.0);
}

using SgergCheckedTrace = TraceScope;

TEST_F(SgergCheckedTrace, RecordsErrorCode) {
    double Z = 0.0;
    ASSERT_EQ(SgergZChecked(40.66, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 0, 1), 1);
    auto records = capture.withId(0x50005);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), 0);
    EXPECT_EQ(records[0].doubleArg(1), Z);
    EXPECT_EQ(records[0].doubleArg(2), 60.0);
    EXPECT_EQ(records[0].doubleArg(3), 273.15);
    EXPECT_EQ(records[0].doubleArg(4), 40.66);
    EXPECT_DOUBLE_EQ(records[0].doubleArg(5), 1.292923 * 0.581);
    EXPECT_EQ(records[0].doubleArg(6), 0.6);
    EXPECT_EQ(records[0].doubleArg(7), 0.0);

    capture.clear();
    EXPECT_EQ(SgergZChecked(25.0, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 0, 0), 0);
    records = capture.withId(0x50005);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].intArg(0), kSgergErrorPlausibility);

    capture.clear();
    EXPECT_EQ(SgergZChecked(19.9, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 0, 1), 0);
    EXPECT_FALSE(capture.contains(0x50005));
}

TEST_F(SgergCheckedTrace, EachCalculationFailureRecordsItsCode) {
    struct Case {
        double Hs, d, p;
        int16_t error;
    };
    for (const Case c : {
             // Far above the equation's pressures the molar-volume iteration does not settle.
             Case{40.66, 0.581, 500.0, kSgergErrorMolarVolume},
             // A calorific value below any natural gas: the normal state is not reached.
             Case{10.0, 0.581, 60.0, kSgergErrorNormalState},
             Case{25.0, 0.581, 60.0, kSgergErrorPlausibility},
             // Outside the physical domain, checked even without the range check.
             Case{40.66, 0.581, 0.0, kSgergErrorInput},
             Case{kNaN, 0.581, 60.0, kSgergErrorInput},
             Case{40.66, kNaN, 60.0, kSgergErrorInput},
             Case{-40.66, 0.581, 60.0, kSgergErrorInput},
         }) {
        capture.clear();
        double Z = 0.25;
        EXPECT_EQ(SgergZChecked(c.Hs, c.d, 0.6, 0.0, c.p, 273.15, &Z, 0, 0), 0) << c.error;
        EXPECT_EQ(Z, 1.0) << c.error;
        const auto records = capture.withId(0x50005);
        ASSERT_EQ(records.size(), 1u) << c.error;
        EXPECT_EQ(records[0].intArg(0), c.error);
        EXPECT_EQ(records[0].doubleArg(1), 1.0) << c.error;
    }
}

}  // namespace
