// Transcription of the AGA8 DETAIL, GERG-2008 ideal-gas and AGA Report No. 10 coefficient tables:
// the rows and values the method descriptions quote, and the structure the algorithms rely on.
// Values are compared exactly: each is a literal of the published table.
#include <gtest/gtest.h>

#include <cmath>

#include "tables/aga10_ideal_gas_cp.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"
#include "tables/aga8_detail_table6_binary.h"
#include "tables/gerg2008_ideal_gas_aga8.h"

namespace {

enum Aga8Index {
    kMethane = 0,
    kNitrogen = 1,
    kCarbonDioxide = 2,
    kEthane = 3,
    kPropane = 4,
    kWater = 5,
    kHydrogenSulfide = 6,
    kHydrogen = 7,
    kIsobutane = 10,
    kNButane = 11,
    kIsopentane = 12,
    kNPentane = 13,
    kNHexane = 14,
    kHelium = 19,
    kArgon = 20,
};

const Aga8DetailBinaryPair* FindPair(int i, int j) {
    for (const Aga8DetailBinaryPair& pair : kAga8DetailBinaryPairs) {
        if (pair.i == i && pair.j == j) {
            return &pair;
        }
    }
    return nullptr;
}

TEST(CoefficientTables, MolarMassesOfTable5) {
    const struct {
        int index;
        double M;
    } rows[] = {
        {kMethane, 16.043},   {kEthane, 30.07},        {kPropane, 44.097}, {kIsobutane, 58.123},
        {kNButane, 58.123},   {kIsopentane, 72.15},    {kNPentane, 72.15}, {kNHexane, 86.177},
        {kNitrogen, 28.0135}, {kCarbonDioxide, 44.01}, {kHelium, 4.0026},  {kHydrogen, 2.0159},
        {kWater, 18.0153},    {kArgon, 39.948},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(kAga8DetailComponents[row.index].M, row.M) << row.index;
    }
}

TEST(CoefficientTables, PolarAndQuantumParametersOfTable5) {
    // Q, F, S and W are zero except for these components.
    for (int i = 0; i < kAga8ComponentCount; ++i) {
        const Aga8DetailComponent& c = kAga8DetailComponents[i];
        const double Q = i == kCarbonDioxide     ? 0.69
                         : i == kWater           ? 1.06775
                         : i == kHydrogenSulfide ? 0.633276
                                                 : 0.0;
        const double F = i == kHydrogen ? 1.0 : 0.0;
        const double S = i == kWater ? 1.5822 : i == kHydrogenSulfide ? 0.39 : 0.0;
        const double W = i == kWater ? 1.0 : 0.0;
        EXPECT_EQ(c.Q, Q) << i;
        EXPECT_EQ(c.F, F) << i;
        EXPECT_EQ(c.S, S) << i;
        EXPECT_EQ(c.W, W) << i;
    }
}

TEST(CoefficientTables, BinaryPairsOfTable6) {
    const struct {
        int j;
        double Estar;
    } methanePairs[] = {{kNitrogen, 0.97164}, {kCarbonDioxide, 0.960644}, {kHydrogen, 1.17052}};
    for (const auto& row : methanePairs) {
        const Aga8DetailBinaryPair* pair = FindPair(kMethane, row.j);
        ASSERT_NE(pair, nullptr) << row.j;
        EXPECT_EQ(pair->Estar, row.Estar) << row.j;
    }
    // Every listed pair is stored once, upper triangle (i < j), inside the component range; the
    // binary sums of the DETAIL method visit i from 0 to 7 and j up to 18 only.
    for (const Aga8DetailBinaryPair& pair : kAga8DetailBinaryPairs) {
        EXPECT_LT(pair.i, pair.j);
        EXPECT_LE(pair.i, 7);
        EXPECT_LE(pair.j, 18);
        EXPECT_EQ(FindPair(pair.i, pair.j), &pair) << pair.i << "-" << pair.j;
    }
}

TEST(CoefficientTables, TermStructureOfTable4) {
    for (const Aga8DetailTerm& t : kAga8DetailTerms) {
        // The exponential switch is on exactly for the terms with a density exponent in it.
        EXPECT_EQ(t.c != 0, t.k != 0) << t.n;
        // u_n is a multiple of 0.5 within the tables of half powers (index 2 u_n, 0 to 46).
        const double twoU = 2.0 * t.u;
        EXPECT_EQ(twoU, std::round(twoU)) << t.n;
        EXPECT_LT(std::fabs(twoU), 47.0) << t.n;
        EXPECT_LE(t.k, 4) << t.n;
        EXPECT_LE(t.b, 9) << t.n;
        if (t.n <= 18) {
            EXPECT_EQ(t.b, 1) << t.n;
        }
        if (t.n >= 13) {
            // No term from 13 on carries more than one of the G, Q and F switches.
            EXPECT_LE(t.g + t.q + t.f, 1) << t.n;
        }
    }
}

TEST(CoefficientTables, Gerg2008IdealGasRows) {
    const Gerg2008IdealGasComponent& methane = kGerg2008IdealGas[kMethane];
    const double methaneN0[7] = {29.83843397, -15999.69151, 4.00088, 0.76315,
                                 0.0046,      8.74432,      -4.46921};
    const double methaneTheta[4] = {820.659, 178.41, 1062.82, 1090.53};
    const Gerg2008IdealGasComponent& nitrogen = kGerg2008IdealGas[kNitrogen];
    const double nitrogenN0[7] = {17.56770785, -2801.729072, 3.50031, 0.13732,
                                  -0.1466,     0.90066,      0.0};
    const double nitrogenTheta[4] = {662.738, 680.562, 1740.06, 0.0};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(methane.n0[k], methaneN0[k]) << k;
        EXPECT_EQ(nitrogen.n0[k], nitrogenN0[k]) << k;
    }
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(methane.theta[k], methaneTheta[k]) << k;
        EXPECT_EQ(nitrogen.theta[k], nitrogenTheta[k]) << k;
    }
    // Helium and argon: constant heat capacity, no hyperbolic terms.
    for (int i : {kHelium, kArgon}) {
        const Gerg2008IdealGasComponent& c = kGerg2008IdealGas[i];
        EXPECT_EQ(c.n0[0], 10.04639507) << i;
        EXPECT_EQ(c.n0[1], -745.375) << i;
        EXPECT_EQ(c.n0[2], 2.5) << i;
        for (int k = 3; k < 7; ++k) {
            EXPECT_EQ(c.n0[k], 0.0) << i;
        }
        for (double theta : c.theta) {
            EXPECT_EQ(theta, 0.0) << i;
        }
    }
}

TEST(CoefficientTables, Aga10IdealHeatCapacityRows) {
    const double methane[kAga10IdealCpColumns] = {-29776.4, 7.95454, 43.9417,  1037.09,
                                                  1.56373,  813.205, -24.9027, 1019.98,
                                                  -10.1601, 1070.14, -20.0615};
    for (int column = 0; column < kAga10IdealCpColumns; ++column) {
        EXPECT_EQ(kAga10IdealGasCp[kMethane][column], methane[column]) << column;
    }
    // Helium and argon have only the constant 4.968 cal/(mol K); absent terms carry
    // coefficient 0 and temperature 100.
    for (int i : {kHelium, kArgon}) {
        EXPECT_EQ(kAga10IdealGasCp[i][1], 4.968) << i;
        for (int column : {2, 4, 6, 8}) {
            EXPECT_EQ(kAga10IdealGasCp[i][column], 0.0) << i << " " << column;
            EXPECT_EQ(kAga10IdealGasCp[i][column + 1], 100.0) << i << " " << column;
        }
    }
}

}  // namespace
