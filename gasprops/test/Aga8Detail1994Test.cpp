// Behaviour of the 1994-structure AGA8 DETAIL method: caches, component list, status codes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "Aga8Detail1994.h"
#include "GasTestCompositions.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class Aga8Detail1994Test : public ::testing::Test {
  protected:
    void SetUp() override {
        data = std::make_unique<Aga8Detail1994Data>();
        ASSERT_EQ(Aga8Detail1994Init(*data), 0);
    }
    const Aga8Detail1994Result& run(double pf, double Tf, const Composition21& gas,
                                    double pb = 1.01325, double Tb = 288.15) {
        Aga8Detail1994Props(*data, pb, Tb, pf, Tf, gas.data());
        return data->result;
    }
    std::unique_ptr<Aga8Detail1994Data> data;
};

TEST_F(Aga8Detail1994Test, PureMethaneListsMethaneAndNitrogen) {
    run(50.0, 288.15, kMethane);
    EXPECT_EQ(data->listCount, 2);
    EXPECT_EQ(data->listIndex[0], 0);
    EXPECT_EQ(data->listIndex[1], 1);
    EXPECT_EQ(data->xList[0], 1.0);
    EXPECT_EQ(data->xList[1], 0.0);
    EXPECT_EQ(data->result.status, kAga8Detail1994Ok);
}

TEST_F(Aga8Detail1994Test, ListHoldsNonZeroComponentsInOrder) {
    Composition21 gas = kMethane;
    gas[0] = 95.0;
    gas[4] = 4.0;
    gas[20] = 1.0;
    run(50.0, 288.15, gas);
    ASSERT_EQ(data->listCount, 4);
    EXPECT_EQ(data->listIndex[2], 4);
    EXPECT_EQ(data->listIndex[3], 20);
    EXPECT_EQ(data->xList[3], 0.01);
}

TEST_F(Aga8Detail1994Test, ANegativeComponentFailsAndLeavesTheCharacterisation) {
    Composition21 gas = kMethane;
    gas[0] = 95.0;
    gas[4] = 4.0;
    gas[20] = 1.0;
    const double M = run(50.0, 288.15, gas).M;
    gas[0] = 97.0;
    gas[20] = -1.0;
    const auto& r = run(50.0, 288.15, gas);
    EXPECT_EQ(r.status, kAga8Detail1994BadComposition);
    EXPECT_EQ(r.Zf, 0.0);
    EXPECT_EQ(data->listCount, 4);
    EXPECT_EQ(data->xList[3], 0.01);
    EXPECT_EQ(r.M, M);
}

TEST_F(Aga8Detail1994Test, FractionsAreUsedAsTheyComeWithinOneMolePercentOfTheWhole) {
    const double full = run(50.0, 288.15, kExampleGas21).M;
    Composition21 scaled = kExampleGas21;
    for (double& v : scaled) {
        v *= 0.995;
    }
    EXPECT_DOUBLE_EQ(run(50.0, 288.15, scaled).M, full * 0.995);
    EXPECT_EQ(data->result.status, kAga8Detail1994Ok);
    for (const double factor : {0.5, 0.98, 1.02, 2.0}) {
        Composition21 off = kExampleGas21;
        for (double& v : off) {
            v *= factor;
        }
        EXPECT_EQ(run(50.0, 288.15, off).status, kAga8Detail1994BadComposition) << factor;
    }
}

TEST_F(Aga8Detail1994Test, RepeatedCompositionsAreCheckedAndConvertedOnce) {
    Composition21 bad = kExampleGas21;
    bad[0] *= 2.0;
    const double Zf = run(50.0, 288.15, kExampleGas21).Zf;
    // A refused composition is never taken as the stored one, however often it comes.
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(run(50.0, 288.15, bad).status, kAga8Detail1994BadComposition) << call;
        EXPECT_EQ(data->result.x[0], kExampleGas21[0] / 100.0) << call;
    }
    // The stored fractions are those of the repeated composition, not of the refused one.
    const auto& r = run(50.0, 288.15, kExampleGas21);
    EXPECT_EQ(r.status, kAga8Detail1994Ok);
    EXPECT_EQ(r.Zf, Zf);
    for (int i = 0; i < kAga8Components; ++i) {
        EXPECT_EQ(r.x[i], kExampleGas21[i] / 100.0) << i;
    }
    // Init forgets the stored composition; the same gas then gives the same result.
    Aga8Detail1994Init(*data);
    EXPECT_EQ(run(50.0, 288.15, kExampleGas21).Zf, Zf);
}

TEST_F(Aga8Detail1994Test, FailureStatuses) {
    // Pure propane at 20 bar and 300 K is liquid: the pressure stops rising.
    Composition21 propane{};
    propane[4] = 100.0;
    EXPECT_EQ(run(20.0, 300.0, propane).status, kAga8Detail1994NoPressureRise);
    // Zero and negative flowing pressure.
    EXPECT_EQ(run(0.0, 288.15, kExampleGas21).status, kAga8Detail1994NoPressureRise);
    EXPECT_EQ(run(-1.0, 288.15, kExampleGas21).status, kAga8Detail1994NoPressureRise);
    // Not a state at all.
    EXPECT_EQ(run(kNaN, 288.15, kExampleGas21).status, kAga8Detail1994NoPositiveZ);
    EXPECT_EQ(run(50.0, 0.0, kExampleGas21).status, kAga8Detail1994NoPositiveZ);
    EXPECT_EQ(run(50.0, -kNaN, kExampleGas21).status, kAga8Detail1994NoPositiveZ);
    // A gas without any component: no mixture.
    const auto& r = run(50.0, 288.15, Composition21{});
    EXPECT_EQ(r.status, kAga8Detail1994BadComposition);
    EXPECT_EQ(r.Zb, 0.0);
    EXPECT_EQ(r.Zf, 0.0);
}

TEST_F(Aga8Detail1994Test, TwoPhaseStateFails) {
    // At 50 bar and 150 K the pressure of this gas falls below zero before it reaches 50 bar:
    // the bracketing stops at the last density where it still rose (here the start, 0).
    const auto& r = run(50.0, 150.0, kExampleGas21);
    EXPECT_EQ(r.status, kAga8Detail1994NoPressureRise);
    EXPECT_EQ(r.Df, 0.0);
}

TEST_F(Aga8Detail1994Test, FailedFlowingStateDoesNotSpoilTheCachedBaseState) {
    const double Zb = run(50.0, 288.15, kExampleGas21).Zb;
    EXPECT_EQ(run(50.0, 150.0, kExampleGas21).status, kAga8Detail1994NoPressureRise);
    EXPECT_EQ(run(50.0, 288.15, Composition21{}).status, kAga8Detail1994BadComposition);
    const auto& r = run(50.0, 288.15, kExampleGas21);
    EXPECT_EQ(r.status, kAga8Detail1994Ok);
    EXPECT_EQ(r.Zb, Zb);
}

TEST_F(Aga8Detail1994Test, FailedBaseStateIsReported) {
    // A base pressure of zero cannot be solved; the good flowing state does not hide it.
    EXPECT_EQ(run(50.0, 288.15, kExampleGas21, 0.0, 288.15).status, kAga8Detail1994NoPressureRise);
    EXPECT_EQ(run(60.0, 288.15, kExampleGas21, 0.0, 288.15).status, kAga8Detail1994NoPressureRise);
    EXPECT_EQ(run(60.0, 288.15, kExampleGas21).status, kAga8Detail1994Ok);
}

TEST_F(Aga8Detail1994Test, BaseStateSolvedOnlyWhenItsInputsChange) {
    const double Zb = run(50.0, 288.15, kExampleGas21).Zb;
    // Poison the cached result: a call with unchanged base inputs must keep it.
    data->cachedZb = 0.5;
    EXPECT_EQ(run(60.0, 300.0, kExampleGas21).Zb, 0.5);
    EXPECT_EQ(run(60.0, 300.0, kExampleGas21, 1.01325, 273.15).Zb == 0.5, false);
    EXPECT_NE(run(60.0, 300.0, kExampleGas21).Zb, 0.5);
    EXPECT_EQ(run(60.0, 300.0, kExampleGas21).Zb, Zb);
}

TEST_F(Aga8Detail1994Test, CompositionChangeFoundByEveryFraction) {
    // Two gases with the same weighted sum of (index + 2) * fraction: methane 1 % more and
    // ethane 0.4 % less, propane 0.1 % less (2*1 = 5*0.4 minus... chosen to balance exactly).
    Composition21 a = kExampleGas21;
    Composition21 b = kExampleGas21;
    b[0] += 1.5;  // weight 2: +3.0
    b[3] -= 0.6;  // weight 5: -3.0
    double idA = 0.0, idB = 0.0;
    for (int i = 0; i < 21; ++i) {
        idA += (i + 2) * a[i];
        idB += (i + 2) * b[i];
    }
    ASSERT_NEAR(idA, idB, 1e-9);
    const double Ma = run(50.0, 288.15, a).M;
    const double Mb = run(50.0, 288.15, b).M;
    EXPECT_NE(Ma, Mb);
    EXPECT_EQ(data->xList[0], b[0] / 100.0);
}

TEST_F(Aga8Detail1994Test, SameCompositionIsNotCharacterisedAgain) {
    run(50.0, 288.15, kExampleGas21);
    data->result.M = 0.0;  // only a characterisation writes M
    run(60.0, 300.0, kExampleGas21);
    EXPECT_EQ(data->result.M, 0.0);
}

TEST_F(Aga8Detail1994Test, KeptTemperatureTermsAndIdealCpFollowTheGasAndTheTemperature) {
    // The same flowing state after another gas, and the same gas after another temperature,
    // give exactly what a fresh object gives.
    struct Step {
        const Composition21* gas;
        double p, T;
    };
    const Step steps[] = {{&kExampleGas21, 50.0, 288.15}, {&kIsoGas1, 50.0, 288.15},
                          {&kIsoGas1, 60.0, 288.15},      {&kIsoGas1, 60.0, 300.0},
                          {&kExampleGas21, 60.0, 300.0},  {&kExampleGas21, 60.0, 288.15}};
    for (const Step& step : steps) {
        const Aga8Detail1994Result r = run(step.p, step.T, *step.gas);
        auto fresh = std::make_unique<Aga8Detail1994Data>();
        Aga8Detail1994Props(*fresh, 1.01325, 288.15, step.p, step.T, step.gas->data());
        ASSERT_EQ(r.status, kAga8Detail1994Ok);
        EXPECT_EQ(r.Zf, fresh->result.Zf) << step.p << " " << step.T;
        EXPECT_EQ(r.cp, fresh->result.cp) << step.p << " " << step.T;
        EXPECT_EQ(r.w, fresh->result.w) << step.p << " " << step.T;
    }
}

TEST_F(Aga8Detail1994Test, PropertiesOnlyAfterSuccess) {
    const auto& r = run(50.0, 288.15, kExampleGas21);
    ASSERT_EQ(r.status, kAga8Detail1994Ok);
    EXPECT_GT(r.k, 1.0);
    EXPECT_GT(r.w, 0.0);
    EXPECT_GT(r.kappa, 0.0);
}

TEST(Aga8Detail1994Helpers, PowersAndInversePowers) {
    using namespace aga8detail1994;
    EXPECT_EQ(FifthPower(2.0), 32.0);
    double halfPowers[kAga8HalfPowers];
    FillHalfPowers(std::sqrt(4.0), halfPowers);
    EXPECT_EQ(halfPowers[0], 1.0);
    EXPECT_EQ(halfPowers[3], 8.0);
    EXPECT_EQ(halfPowers[46], std::ldexp(1.0, 46));
    double inverseHalfPowers[kAga8HalfPowers];
    FillHalfPowers(1.0 / std::sqrt(4.0), inverseHalfPowers);
    EXPECT_DOUBLE_EQ(InversePower(halfPowers, inverseHalfPowers, 1.5), 1.0 / 8.0);
    EXPECT_DOUBLE_EQ(InversePower(halfPowers, inverseHalfPowers, 23.0), std::ldexp(1.0, -46));
    EXPECT_DOUBLE_EQ(InversePower(halfPowers, inverseHalfPowers, -2.0), 16.0);
    EXPECT_DOUBLE_EQ(InversePower(halfPowers, inverseHalfPowers, 0.0), 1.0);
}

}  // namespace
