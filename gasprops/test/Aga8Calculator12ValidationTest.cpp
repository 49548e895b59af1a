// The 12-component AGA8 calculator against published values and against the 21-component
// DETAIL method.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "Aga8Calculator12.h"
#include "Aga8Detail.h"
#include "GasTestCompositions.h"

namespace {

using Composition26 = std::array<double, Aga8Calculator12::kCompositionSize>;

Composition26 Widen(const Composition21& gas) {
    Composition26 c{};
    for (int i = 0; i < 21; ++i) {
        c[i] = gas[i];
    }
    return c;
}

// Pure methane (AGA Report No. 8 / No. 10 acceptance values, rounded as printed: Z to six
// decimals, isentropic exponent to five, speed of sound to 0.01 m/s).
TEST(Calculator12Validation, Methane) {
    auto calc = std::make_unique<Aga8Calculator12>();
    const Composition26 methane = Widen(kMethane);
    calc->setComposition(methane.data());
    double Z = 0.0;
    ASSERT_EQ(calc->solveDensity(1.01325, 273.15, Z), 1);
    EXPECT_NEAR(Z, 0.997619, 5e-7);
    double D = 0.0, derivative = 0.0, kappa = 0.0, w = 0.0;
    calc->getResults(D, derivative);
    ASSERT_EQ(calc->properties(273.15, Z, D, derivative, kappa, w), 1);
    EXPECT_NEAR(kappa, 1.31327, 5e-6);
    EXPECT_NEAR(w, 430.66, 5e-3);

    ASSERT_EQ(calc->solveDensity(60.0, 273.15, Z), 1);
    EXPECT_NEAR(Z, 0.861252, 5e-7);
}

// ISO 12213-2 Annex C gas 1 has only components of the twelve: Z to five decimals (1e-5).
TEST(Calculator12Validation, IsoGas1) {
    auto calc = std::make_unique<Aga8Calculator12>();
    const Composition26 gas = Widen(kIsoGas1);
    calc->setComposition(gas.data());
    for (const IsoGas1Row& row : kIsoGas1DetailZ) {
        double Z = 0.0;
        ASSERT_EQ(calc->solveDensity(row.p, row.T, Z), 1);
        EXPECT_NEAR(Z, row.Z, kIsoGas1Tolerance) << row.p << " bar " << row.T << " K";
    }
}

// Property: for a gas of only the twelve components the calculator and the 21-component DETAIL
// method agree (Newton tolerance 1e-6 on the pressure: Z to 2e-6 relative).
TEST(Calculator12Validation, AgreesWithDetailForTwelveComponents) {
    Aga8Setup();
    Composition21 gas{};
    gas[0] = 88.0;   // methane
    gas[1] = 3.0;    // nitrogen
    gas[2] = 2.0;    // carbon dioxide
    gas[3] = 4.5;    // ethane
    gas[4] = 1.2;    // propane
    gas[7] = 0.5;    // hydrogen
    gas[10] = 0.25;  // isobutane
    gas[11] = 0.25;  // n-butane
    gas[12] = 0.06;  // isopentane
    gas[13] = 0.06;  // n-pentane
    gas[14] = 0.08;  // n-hexane
    gas[19] = 0.1;   // helium
    auto calc = std::make_unique<Aga8Calculator12>();
    const Composition26 wide = Widen(gas);
    calc->setComposition(wide.data());
    struct State {
        double p, T;
    };
    for (const State s : {State{1.01325, 273.15}, State{10.0, 250.0}, State{60.0, 290.0},
                          State{120.0, 330.0}, State{200.0, 300.0}}) {
        auto state = std::make_unique<Aga8State>();
        Aga8RangeFlags flags{};
        double Zdetail = 0.0;
        ASSERT_EQ(Aga8ZDensity(*state, s.p, s.T, gas.data(), &Zdetail, flags, 0, 0, nullptr), 0);
        double Z = 0.0;
        ASSERT_EQ(calc->solveDensity(s.p, s.T, Z), 1);
        EXPECT_NEAR(Z, Zdetail, 2e-6 * Zdetail) << s.p << " bar " << s.T << " K";
    }
}

}  // namespace
