// AGA8-92 DETAIL against published values, and property checks of the equation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Aga8Detail.h"
#include "Aga8DetailInternal.h"
#include "ComponentPropertyTables.h"
#include "ReferenceCsv.h"
#include "TestGases.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"

namespace {

const uint8_t kModes[] = {kAga8SolveBracketed, kAga8SolveNewton};
constexpr double R = 8.31451;  // J/(mol K)

class Aga8ValidationTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitPropertyTablesForTest(); }

    // Z of a fresh state; fails the test when the solve fails.
    double SolveZ(const Aga8Gas& gas, double p, double T, uint8_t mode) {
        state = Aga8State{};
        double z = 0.0;
        EXPECT_EQ(Aga8ZDensity(state, p, T, gas.data(), &z, flags, 0, mode, nullptr), 0)
            << "p " << p << " T " << T << " mode " << int(mode);
        return z;
    }

    Aga8State state{};
    Aga8RangeFlags flags{};
};

// A published value with its stated tolerance (absolute, from the digits printed).
struct Published {
    double p;  // bar
    double T;  // K
    double Z;
    double tolerance;
};

// Pure methane. Source: the quoted acceptance values of the DETAIL method (AGA Report No. 8
// Part 1 (2017) equation), 7 digits printed: 0.9976187 at 1.01325 bar / 273.15 K, 0.8554406 at
// 100 bar / 300 K; 0.861252 at 60 bar / 273.15 K (6 digits).
TEST_F(Aga8ValidationTest, PureMethaneInBothModes) {
    const Published rows[] = {
        {1.01325, 273.15, 0.9976187, 5e-8},
        {100.0, 300.0, 0.8554406, 5e-8},
        {60.0, 273.15, 0.861252, 5e-7},
    };
    for (uint8_t mode : kModes) {
        for (const Published& row : rows) {
            EXPECT_NEAR(SolveZ(PureMethane(), row.p, row.T, mode), row.Z, row.tolerance)
                << row.p << " bar, mode " << int(mode);
        }
    }
}

// The 21-component example mixture of AGA Report No. 8 Part 1 (2017) at 500 bar and 400 K:
// Z = 1.173801364147, D = 12.807924036488 mol/dm3, M = 20.54333051 g/mol (13 and 14 digits
// printed: checked within 1e-9 relative), in both modes.
TEST_F(Aga8ValidationTest, ExampleMixtureAt500BarAnd400K) {
    for (uint8_t mode : kModes) {
        const double z = SolveZ(ExampleMixture(), 500.0, 400.0, mode);
        EXPECT_NEAR(z, 1.173801364147, 1e-9 * 1.173801364147) << int(mode);
        EXPECT_NEAR(state.M, 20.54333051, 5e-9);
    }
    EXPECT_NEAR(state.D, 12.807924036488, 1e-9 * 12.807924036488);
}

// The same gas at other states. Source: acceptance values of the same equation (AGA8 data
// README): 0.860305 at 50 bar / 288.15 K (6 digits), 0.997186073 at 1.01325 bar / 288.15 K
// (9 digits), 8.17194 at 5000 bar / 250 K (6 digits; mode 1 only, above 40 R T).
TEST_F(Aga8ValidationTest, ExampleMixtureAtOtherStates) {
    for (uint8_t mode : kModes) {
        EXPECT_NEAR(SolveZ(ExampleMixture(), 50.0, 288.15, mode), 0.860305, 5e-7);
        EXPECT_NEAR(SolveZ(ExampleMixture(), 1.01325, 288.15, mode), 0.997186073, 5e-10);
    }
    EXPECT_NEAR(SolveZ(ExampleMixture(), 5000.0, 250.0, kAga8SolveNewton), 8.17194, 5e-6);
}

// Speed of sound 712.6393684 m/s and isentropic exponent 2.672509225 of the example mixture at
// 400 K and 500 bar with the GERG-2008 ideal part (10 digits printed: 1e-9 relative).
TEST_F(Aga8ValidationTest, ExampleMixtureSpeedOfSoundAndIsentropicExponent) {
    SolveZ(ExampleMixture(), 500.0, 400.0, kAga8SolveNewton);
    const double T = 400.0;
    double w = 0.0, kappa = 0.0, ratio = 0.0;
    Aga8Properties(state, &T, &state.D, &w, &kappa, &ratio);
    EXPECT_NEAR(w, 712.6393684, 1e-9 * 712.6393684);
    EXPECT_NEAR(kappa, 2.672509225, 1e-9 * 2.672509225);
    EXPECT_GT(ratio, 1.0);
}

// Methane at 1200 bar and 300 K: 2.15338 in mode 1 (6 digits); mode 0 has no bracket there.
TEST_F(Aga8ValidationTest, MethaneAt1200Bar) {
    EXPECT_NEAR(SolveZ(PureMethane(), 1200.0, 300.0, kAga8SolveNewton), 2.15338, 5e-6);
    Aga8State s{};
    double z = 0.0;
    EXPECT_EQ(Aga8ZDensity(s, 1200.0, 300.0, PureMethane().data(), &z, flags, 0,
                           kAga8SolveBracketed, nullptr),
              1);
    EXPECT_EQ(z, 1.0);
}

// At 1e-6 bar both modes are valid with Z within 1e-8 of 1, also when the solve converges in its
// first iteration.
TEST_F(Aga8ValidationTest, VeryLowPressures) {
    for (uint8_t mode : kModes) {
        for (const Aga8Gas& gas : {PureMethane(), ExampleMixture(), PipelineGas()}) {
            for (double p : {1e-6, 1e-4}) {
                EXPECT_NEAR(SolveZ(gas, p, 300.0, mode), 1.0, 1e-8 * (p / 1e-6));
            }
        }
    }
}

// Gas 1 of ISO 12213-2 Annex C at 60 and 120 bar, 270 to 330 K: Z printed to 5 decimals, each row
// within its stated absolute tolerance 1e-5.
TEST_F(Aga8ValidationTest, Iso12213Part2Gas1) {
    const char* names[kAga8Components] = {
        "methane",   "nitrogen",         "carbon_dioxide", "ethane",          "propane",
        "water",     "hydrogen_sulfide", "hydrogen",       "carbon_monoxide", "oxygen",
        "isobutane", "n_butane",         "isopentane",     "n_pentane",       "n_hexane",
        "n_heptane", "n_octane",         "n_nonane",       "n_decane",        "helium",
        "argon"};
    const auto composition = ReadReferenceCsv("aga8-detail-iso12213-2-gas1-composition.csv");
    ASSERT_EQ(composition.size(), 21u);
    Aga8Gas gas{};
    for (const CsvRow& row : composition) {
        int index = -1;
        for (int i = 0; i < kAga8Components; ++i) {
            if (row.at("component") == names[i]) {
                index = i;
            }
        }
        ASSERT_GE(index, 0) << row.at("component");
        gas[index] = CsvNumber(row, "mole_fraction") * 100.0;
    }
    const auto values = ReadReferenceCsv("aga8-detail-iso12213-2-gas1.csv");
    ASSERT_EQ(values.size(), 10u);
    for (uint8_t mode : kModes) {
        for (const CsvRow& row : values) {
            const double p = CsvNumber(row, "p_bar");
            const double T = CsvNumber(row, "T_K");
            EXPECT_NEAR(SolveZ(gas, p, T, mode), CsvNumber(row, "Z"),
                        CsvNumber(row, "abs_tolerance"))
                << p << " bar " << T << " K mode " << int(mode);
        }
    }
}

// Property checks over a grid of gases and states.
struct State {
    double p;
    double T;
};
const State kGrid[] = {{1.01325, 273.15}, {10.0, 250.0},  {50.0, 288.15}, {70.0, 320.0},
                       {150.0, 300.0},    {300.0, 350.0}, {500.0, 400.0}};

TEST_F(Aga8ValidationTest, BothModesAgreeAndTheDensityGivesThePressureBack) {
    for (const Aga8Gas& gas : {PureMethane(), ExampleMixture(), PipelineGas()}) {
        for (const State& s : kGrid) {
            const double z0 = SolveZ(gas, s.p, s.T, kAga8SolveBracketed);
            const double z1 = SolveZ(gas, s.p, s.T, kAga8SolveNewton);
            EXPECT_GT(z0, 0.0);
            EXPECT_NEAR(z0, z1, 1e-9 * z1) << s.p << " bar " << s.T << " K";
            double P = 0.0, dPdD = 0.0, Z = 0.0;
            Aga8Pressure(state, s.T, state.D, P, dPdD, Z);
            EXPECT_NEAR(P, s.p * 100.0, 1e-10 * s.p * 100.0);
            EXPECT_NEAR(state.D * R * s.T * z1, s.p * 100.0, 1e-9 * s.p * 100.0);
        }
    }
}

// Molar mass of the normalised mixture = sum x_i M_i (AGA8 Table 5 molar masses).
TEST_F(Aga8ValidationTest, MolarMassIsTheMoleFractionWeightedSum) {
    for (const Aga8Gas& gas : {PureMethane(), ExampleMixture(), PipelineGas()}) {
        SolveZ(gas, 20.0, 290.0, kAga8SolveBracketed);
        double sum = 0.0;
        double expected = 0.0;
        for (double v : gas) {
            sum += v;
        }
        for (int i = 0; i < kAga8Components; ++i) {
            expected += gas[i] / sum * kAga8DetailComponents[i].M;
        }
        EXPECT_NEAR(state.M, expected, 1e-13 * expected);
    }
}

// The state with its temperature terms at another temperature (for finite differences).
Aga8State AtTemperature(const Aga8State& solved, double T) {
    Aga8State s = solved;
    Aga8TemperatureTerms(T, s, true, true);
    return s;
}

double PressureAt(const Aga8State& s, double T, double D) {
    double P = 0.0, dPdD = 0.0, Z = 0.0;
    Aga8Pressure(s, T, D, P, dPdD, Z);
    return P;
}

double ResidualAt(const Aga8State& s, double T, double D) {
    double ar[4][4];
    Aga8ResidualHelmholtz(s, T, D, nullptr, 0, ar);
    return ar[0][0];
}

// The derivatives of the Helmholtz form agree with central differences of the pressure (and of
// the residual Helmholtz energy for the second temperature derivative); relative 1e-6.
TEST_F(Aga8ValidationTest, DerivativesAgreeWithFiniteDifferences) {
    for (const Aga8Gas& gas : {PureMethane(), ExampleMixture()}) {
        for (const State& st : kGrid) {
            SolveZ(gas, st.p, st.T, kAga8SolveNewton);
            const double T = st.T;
            const double D = state.D;
            double tPowNegU[kAga8Terms];
            for (int n = 0; n < kAga8Terms; ++n) {
                tPowNegU[n] = std::pow(T, -kAga8DetailTerms[n].u);
            }
            double ar[4][4];
            Aga8ResidualHelmholtz(state, T, D, tPowNegU, 2, ar);
            double ar0[4][4];
            Aga8ResidualHelmholtz(state, T, D, nullptr, 0, ar0);
            EXPECT_NEAR(ar[0][1], ar0[0][1], 1e-10 * std::fabs(ar0[0][1]) + 1e-12);

            double P = 0.0, dPdD = 0.0, Z = 0.0;
            Aga8Pressure(state, T, D, P, dPdD, Z);
            const double hD = D * 1e-5;
            const double dPdDNumeric =
                (PressureAt(state, T, D + hD) - PressureAt(state, T, D - hD)) / (2.0 * hD);
            EXPECT_NEAR(dPdD, dPdDNumeric, 1e-6 * std::fabs(dPdD));

            const double hT = T * 1e-5;
            const double dPdT = D * R + D * ar[1][1];
            const double dPdTNumeric = (PressureAt(AtTemperature(state, T + hT), T + hT, D) -
                                        PressureAt(AtTemperature(state, T - hT), T - hT, D)) /
                                       (2.0 * hT);
            EXPECT_NEAR(dPdT, dPdTNumeric, 1e-6 * std::fabs(dPdT));

            const double hT2 = T * 1e-4;
            const double second = (ResidualAt(AtTemperature(state, T + hT2), T + hT2, D) -
                                   2.0 * ResidualAt(state, T, D) +
                                   ResidualAt(AtTemperature(state, T - hT2), T - hT2, D)) /
                                  (hT2 * hT2);
            EXPECT_NEAR(ar[2][0], T * second, 1e-5 * std::fabs(ar[2][0]) + 1e-9);
            const double first = (ResidualAt(AtTemperature(state, T + hT), T + hT, D) -
                                  ResidualAt(AtTemperature(state, T - hT), T - hT, D)) /
                                 (2.0 * hT);
            EXPECT_NEAR(ar[1][0], T * first, 1e-6 * std::fabs(ar[1][0]) + 1e-9);
        }
    }
}

// Pure helium has no hyperbolic terms: its ideal-gas cv is 1.5 R, so at D = 0 (ideal branch,
// cp = cv + R) the heat-capacity ratio is exactly 5/3.
TEST_F(Aga8ValidationTest, HeliumIdealGasHeatCapacity) {
    Aga8Gas helium{};
    helium[19] = 100.0;
    SolveZ(helium, 1.0, 300.0, kAga8SolveNewton);
    const double T = 300.0;
    const double D = 0.0;
    double w = 0.0, kappa = 0.0, ratio = 0.0;
    Aga8Properties(state, &T, &D, &w, &kappa, &ratio);
    EXPECT_NEAR(ratio, 5.0 / 3.0, 1e-14);
    // Ideal gas: w^2 = (cp/cv) R T / M, kappa = cp/cv.
    EXPECT_NEAR(w, std::sqrt(5.0 / 3.0 * R * T * 1000.0 / 4.0026), 1e-9);
    EXPECT_NEAR(kappa, 5.0 / 3.0, 1e-14);
}

TEST_F(Aga8ValidationTest, PropertiesOfAnUnsolvedStateAreZero) {
    const Aga8State empty{};
    const double T = 300.0;
    const double D = 5.0;
    double w = 1.0, kappa = 1.0, ratio = 1.0;
    Aga8Properties(empty, &T, &D, &w, &kappa, &ratio);
    EXPECT_EQ(w, 0.0);
    EXPECT_EQ(kappa, 0.0);
    EXPECT_EQ(ratio, 0.0);
}

}  // namespace
