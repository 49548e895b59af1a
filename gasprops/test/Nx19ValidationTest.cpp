// AGA NX-19 compression factors against worked reference values (rounded to six decimals,
// tolerance 5e-7, and the four-decimal value with 5e-5).
#include <gtest/gtest.h>

#include "Nx19.h"

namespace {

// Gas: 0.6 mol-% CO2, 0.9 mol-% N2, G = d = 0.581, base density 0.79 kg/m3, Hs 40.66 MJ/m3.
TEST(Nx19Validation, WorkedValues) {
    double Z = 0.0;
    ASSERT_EQ(Nx19Z(0.581, 0.6, 0.9, 60.0, 273.15, &Z), 1);
    EXPECT_NEAR(Z, 0.852999, 5e-7);
    ASSERT_EQ(Nx19Z(0.581, 0.6, 0.9, 1.01325, 288.15, &Z), 1);
    EXPECT_NEAR(Z, 0.9979, 5e-5);
    ASSERT_EQ(Nx19VariantZ(0.79, 0.6, 0.9, 60.0, 273.15, &Z), 1);
    EXPECT_NEAR(Z, 0.805917, 5e-7);

    uint8_t tWide = 0, pFlag = 0, tNarrow = 0;
    ASSERT_EQ(Nx19ModZ(40.66, 0.581, 0.6, 0.9, 60.0, 273.15, &Z, &tWide, &pFlag, &tNarrow, 1), 1);
    EXPECT_NEAR(Z, 0.848615, 5e-7);
    ASSERT_EQ(Nx19ModZ(45.0, 0.62, 0.6, 0.9, 60.0, 273.15, &Z, &tWide, &pFlag, &tNarrow, 0), 1);
    EXPECT_NEAR(Z, 0.829631, 5e-7);
    ASSERT_EQ(Nx19ModZ(45.0, 0.62, 0.6, 0.9, 60.0, 273.15, &Z, &tWide, &pFlag, &tNarrow, 1), 1);
    EXPECT_NEAR(Z, 0.817082, 5e-7);
}

// With the low-temperature factor the near-ambient value would exceed 1 and be limited to 1.
TEST(Nx19Validation, LowTemperatureFactorWouldExceedOne) {
    const double Fp = 156.47 / (160.8 - 7.22 * 0.581 + 0.6 - 0.392 * 0.9);
    const double FT = 226.29 / (99.15 + 211.9 * 0.581 - 0.6 - 1.681 * 0.9);
    const double pi = 1.01325 * Fp / 68.9476;
    const double tau = ((15.0 + 273.333) * FT - 273.333 + 273.333) / 277.777;
    EXPECT_GT(Nx19Core(pi, tau), 1.0);
}

}  // namespace
