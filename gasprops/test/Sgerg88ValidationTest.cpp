// SGERG-88 compression factors against published and worked reference values.
#include <gtest/gtest.h>

#include <vector>

#include "Sgerg88Checked.h"
#include "Sgerg88SecondForm.h"
#include "Sgerg88Variant.h"
#include "SgergIsoGas1.h"

namespace {

// ISO 12213-3:2006, Annex C, gas 1 (the standard SGERG-88 input set Hs, d, x_CO2, x_H2); Z
// printed to five decimals, with the tolerance the data file states.
TEST(SgergValidation, CheckedFormReproducesIsoGas1) {
    std::vector<SgergIsoPoint> points;
    ASSERT_NO_FATAL_FAILURE(LoadSgergIsoGas1(points));
    for (const SgergIsoPoint& point : points) {
        for (uint8_t wide : {0, 1}) {
            double Z = 0.0;
            ASSERT_EQ(SgergZChecked(point.Hs, point.d, point.xCO2 * 100.0, point.xH2 * 100.0,
                                    point.p, point.T, &Z, wide, 1),
                      1);
            EXPECT_NEAR(Z, point.Z, point.tolerance) << point.p << " bar " << point.T << " K";
        }
    }
}

TEST(SgergValidation, VariantWithCO2AndH2ReproducesIsoGas1) {
    // Variant 2 takes exactly the standard input set (CO2 and H2 given, N2 solved).
    std::vector<SgergIsoPoint> points;
    ASSERT_NO_FATAL_FAILURE(LoadSgergIsoGas1(points));
    for (const SgergIsoPoint& point : points) {
        double Z = 0.0;
        ASSERT_EQ(SgergZVariant(2, point.Hs, point.d, point.xCO2 * 100.0, 0.0, point.xH2 * 100.0,
                                point.p, point.T, &Z, 0, 1),
                  1);
        EXPECT_NEAR(Z, point.Z, point.tolerance) << point.p << " bar " << point.T << " K";
    }
}

// Worked values of the form with input variants for the gas Hs 40.66, d 0.581, 0.6 % CO2,
// 0.9 % N2, given rounded to six decimals (tolerance 5e-7).
TEST(SgergValidation, VariantWorkedValues) {
    struct Row {
        int variant;
        double H2, p, T;
        uint8_t wide;
        double Z;
    };
    constexpr Row kRows[] = {
        {0, 0.0, 60.0, 273.15, 0, 0.847889}, {0, 0.0, 10.0, 290.0, 0, 0.979270},
        {0, 0.0, 80.0, 300.0, 0, 0.865807},  {4, 0.0, 60.0, 273.15, 0, 0.850992},
        {3, 5.0, 60.0, 273.15, 1, 0.852187},
    };
    for (const Row& row : kRows) {
        double Z = 0.0;
        ASSERT_EQ(SgergZVariant(row.variant, 40.66, 0.581, 0.6, 0.9, row.H2, row.p, row.T, &Z,
                                row.wide, 0),
                  1);
        EXPECT_NEAR(Z, row.Z, 5e-7) << "variant " << row.variant << " " << row.p << " bar";
    }
}

// Worked values of the form with range check, rounded to six decimals (tolerance 5e-7).
TEST(SgergValidation, CheckedWorkedValues) {
    double Z = 0.0;
    ASSERT_EQ(SgergZChecked(40.66, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 0, 0), 1);
    EXPECT_NEAR(Z, 0.847888, 5e-7);
    ASSERT_EQ(SgergZChecked(40.66, 0.581, 0.6, 0.0, 60.0, 273.15, &Z, 1, 0), 1);
    EXPECT_NEAR(Z, 0.847889, 5e-7);
}

// Worked values of the second form and its property correlations (six significant decimals,
// speed of sound to the printed 1e-3 m/s; tolerance half a unit of the last printed digit).
TEST(SgergValidation, SecondFormWorkedValues) {
    double rho = 0.79, CO2 = 0.6, N2 = 0.9;
    double p = 60.0, T = 273.15, Z = 0.0;
    ASSERT_EQ(SgergZ(&rho, &CO2, &N2, &p, &T, &Z), 1);
    EXPECT_NEAR(Z, 0.791947, 5e-7);

    p = 50.0;
    T = 288.15;
    double kappa = 0.0;
    ASSERT_EQ(SgergExtProperty1(&rho, &N2, &p, &T, &kappa), 1);
    EXPECT_NEAR(kappa, 1.326845, 5e-7);

    double Zgiven = 0.89, kappaGiven = 1.33, w = 0.0;
    ASSERT_EQ(SgergExtProperty2(&rho, &CO2, &N2, &T, &Zgiven, &kappaGiven, &w), 1);
    EXPECT_NEAR(w, 386.811, 5e-4);
}

// Property: the input variants that describe the same gas give the same Z. The nitrogen content
// that variant 0 solves for, passed to variants 1 and 4, and the CO2 that variant 1 solves for,
// must reproduce it; compared to 1e-5 (the tolerance of the normal-state density closure).
TEST(SgergValidation, VariantsOfTheSameGasAgree) {
    double Z0 = 0.0;
    ASSERT_EQ(SgergZVariant(0, 40.66, 0.581, 0.6, 0.0, 0.0, 60.0, 280.0, &Z0, 0, 0), 1);
    int16_t error = 0;
    double xN2 = 0.0;
    const double Zchecked = SgergCore(60.0, 280.0, 40.66, 0.581, 0.006, 0.0, xN2, 0, error);
    ASSERT_EQ(error, 0);
    EXPECT_NEAR(Zchecked, Z0, 1e-5);
    const double N2 = xN2 * 100.0;
    ASSERT_GT(N2, 0.0);
    for (int variant : {1, 2, 3, 4}) {
        double Z = 0.0;
        ASSERT_EQ(SgergZVariant(variant, 40.66, 0.581, 0.6, N2, 0.0, 60.0, 280.0, &Z, 0, 0), 1);
        EXPECT_NEAR(Z, Z0, 1e-5) << "variant " << variant;
    }
}

}  // namespace
