#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Aga8Detail.h"
#include "ComponentPropertyTables.h"
#include "HostTrace.h"
#include "TestGases.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const uint8_t kModes[] = {kAga8SolveBracketed, kAga8SolveNewton};

class Aga8ZDensityTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitPropertyTablesForTest(); }
    void SetUp() override { host::setTraceLevel(7); }
    void TearDown() override { host::resetTraceSettings(); }

    uint8_t Solve(const Aga8Gas& gas, double p, double T, uint8_t mode, uint8_t rangeCheck = 0) {
        return Aga8ZDensity(state, p, T, gas.data(), &z, flags, rangeCheck, mode, &recalculated);
    }

    Aga8State state{};
    Aga8RangeFlags flags{};
    double z = -1.0;
    uint8_t recalculated = 0;
};

TEST_F(Aga8ZDensityTest, IdenticalCallsSolveOnce) {
    for (uint8_t mode : kModes) {
        state = Aga8State{};
        host::TraceCapture capture;
        ASSERT_EQ(Solve(PipelineGas(), 50.0, 280.0, mode), 0);
        EXPECT_EQ(recalculated, 1);
        const double first = z;
        recalculated = 0;
        z = 0.0;
        ASSERT_EQ(Solve(PipelineGas(), 50.0, 280.0, mode), 0);
        EXPECT_EQ(recalculated, 0);
        EXPECT_EQ(z, first);
        EXPECT_EQ(capture.withId(0x10057).size(), 1u);
        EXPECT_EQ(capture.withId(0x10007).size(), 1u);
        EXPECT_EQ(capture.withId(0x10017).size(), 1u);
    }
}

TEST_F(Aga8ZDensityTest, NewPressureOnlyKeepsTheTemperatureTerms) {
    ASSERT_EQ(Solve(PipelineGas(), 50.0, 280.0, kAga8SolveBracketed), 0);
    const double z50 = z;
    host::TraceCapture capture;
    recalculated = 0;
    ASSERT_EQ(Solve(PipelineGas(), 60.0, 280.0, kAga8SolveBracketed), 0);
    EXPECT_EQ(recalculated, 1);
    EXPECT_NE(z, z50);
    EXPECT_TRUE(capture.contains(0x10057));
    EXPECT_FALSE(capture.contains(0x10007));
    EXPECT_FALSE(capture.contains(0x10017));
    // A new temperature recomputes both temperature traces; a new composition only the second.
    capture.clear();
    ASSERT_EQ(Solve(PipelineGas(), 60.0, 290.0, kAga8SolveBracketed), 0);
    EXPECT_TRUE(capture.contains(0x10007));
    EXPECT_TRUE(capture.contains(0x10017));
    capture.clear();
    Aga8Gas other = PipelineGas();
    other[0] -= 1.0;
    other[1] += 1.0;
    ASSERT_EQ(Solve(other, 60.0, 290.0, kAga8SolveBracketed), 0);
    EXPECT_FALSE(capture.contains(0x10007));
    EXPECT_TRUE(capture.contains(0x10017));
    EXPECT_TRUE(capture.contains(0x10057));
}

TEST_F(Aga8ZDensityTest, StateKeepsMolarMassAndNormalisedFractions) {
    ASSERT_EQ(Solve(PipelineGas(), 10.0, 280.0, kAga8SolveNewton), 0);
    const Aga8Gas gas = PipelineGas();
    double sum = 0.0;
    for (double v : gas) {
        sum += v;
    }
    for (int i = 0; i < kAga8Components; ++i) {
        EXPECT_DOUBLE_EQ(state.x[i], gas[i] / sum);
    }
    EXPECT_EQ(state.p, 10.0);
    EXPECT_EQ(state.T, 280.0);
    EXPECT_EQ(state.Z, z);
    EXPECT_GT(state.D, 0.0);
}

TEST_F(Aga8ZDensityTest, CompositionOutsideEightyToOneHundredTwentyFails) {
    for (uint8_t mode : kModes) {
        state = Aga8State{};
        host::TraceCapture capture;
        Aga8Gas half = PureMethane();
        half[0] = 50.0;
        EXPECT_EQ(Solve(half, 50.0, 300.0, mode), 1);
        EXPECT_EQ(z, 1.0);
        EXPECT_EQ(capture.withId(0x10045).size(), 1u);
        EXPECT_EQ(recalculated, 0);
        // The failure stays without a new mixture evaluation while the composition is the same.
        EXPECT_EQ(Solve(half, 60.0, 310.0, mode), 1);
        EXPECT_EQ(capture.withId(0x10045).size(), 1u);
        EXPECT_EQ(z, 1.0);
    }
}

TEST_F(Aga8ZDensityTest, CompositionSummingTo110IsNormalisedUnlessRangeChecked) {
    Aga8Gas gas = PipelineGas();
    for (double& v : gas) {
        v *= 1.1;
    }
    ASSERT_EQ(Solve(gas, 50.0, 300.0, kAga8SolveNewton), 0);
    const double normalised = z;
    Aga8State reference{};
    double zReference = 0.0;
    Aga8ZDensity(reference, 50.0, 300.0, PipelineGas().data(), &zReference, flags, 0,
                 kAga8SolveNewton, nullptr);
    EXPECT_NEAR(normalised, zReference, 1e-14);

    host::TraceCapture capture;
    EXPECT_EQ(Solve(gas, 50.0, 300.0, kAga8SolveNewton, 1), 1);
    EXPECT_EQ(z, 1.0);
    EXPECT_EQ(flags.flags[kAga8SumFlag], 1);
    EXPECT_TRUE(capture.contains(0x10035));
}

TEST_F(Aga8ZDensityTest, RangeFlagsAreClearedOnNewCompositionAndLeftOnCacheHit) {
    Aga8Gas nitrogenRich = PipelineGas();
    nitrogenRich[0] -= 22.0;
    nitrogenRich[1] += 22.0;  // 25 mol-% nitrogen
    EXPECT_EQ(Solve(nitrogenRich, 50.0, 300.0, kAga8SolveBracketed, 1), 1);
    EXPECT_EQ(flags.flags[1], 1);
    EXPECT_EQ(flags.flags[kAga8SumFlag], 0);
    flags.flags[3] = 7;  // a cache hit leaves the array alone
    EXPECT_EQ(Solve(nitrogenRich, 50.0, 300.0, kAga8SolveBracketed, 1), 1);
    EXPECT_EQ(flags.flags[3], 7);
    // The option is part of the cache key: without the check the same gas is computed.
    EXPECT_EQ(Solve(nitrogenRich, 50.0, 300.0, kAga8SolveBracketed, 0), 0);
    for (uint8_t f : flags.flags) {
        EXPECT_EQ(f, 0);
    }
    EXPECT_LT(z, 1.0);
}

TEST_F(Aga8ZDensityTest, RangeCheckFlagsEachViolation) {
    struct Case {
        int component;
        double value;    // replaces methane's share
        int flagged[3];  // flags expected, -1 ends
    };
    const Case cases[] = {
        {2, 20.5, {2, -1, -1}},   {3, 10.5, {3, -1, -1}},   {4, 3.6, {4, -1, -1}},
        {10, 1.6, {10, 11, -1}},  {13, 0.6, {12, 13, -1}},  {14, 0.2, {14, -1, -1}},
        {15, 0.06, {15, -1, -1}}, {17, 0.06, {16, 17, 18}}, {7, 10.5, {7, -1, -1}},
        {8, 3.1, {8, -1, -1}},    {19, 0.6, {19, -1, -1}},  {5, 0.02, {5, -1, -1}},
        {0, -31.0, {0, -1, -1}},  // methane 69 mol-%
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.component);
        Aga8Gas gas{};
        gas[0] = 100.0;
        if (c.component == 0) {
            gas[0] += c.value;
            gas[20] = -c.value;  // argon has no upper limit
        } else {
            gas[0] -= c.value;
            gas[c.component] = c.value;
        }
        Aga8RangeFlags f{};
        EXPECT_NE(Aga8RangeCheck(gas.data(), f), 0);
        int expected = 0;
        for (int k : c.flagged) {
            if (k >= 0) {
                EXPECT_EQ(f.flags[k], 1) << k;
                ++expected;
            }
        }
        int set = 0;
        for (uint8_t flag : f.flags) {
            set += flag;
        }
        EXPECT_EQ(set, expected);
    }
    Aga8RangeFlags f{};
    Aga8Gas sulfurous = PipelineGas();
    sulfurous[0] -= 15.0;  // 75 mol-% methane
    sulfurous[6] = 5.0;    // hydrogen sulfide, oxygen and argon have no upper limit
    sulfurous[9] = 5.0;
    sulfurous[20] = 5.0;
    EXPECT_EQ(Aga8RangeCheck(sulfurous.data(), f), 0);
    Aga8Gas negative = PipelineGas();
    negative[20] = -0.001;
    negative[0] += 0.001;
    EXPECT_NE(Aga8RangeCheck(negative.data(), f), 0);
    EXPECT_EQ(f.flags[20], 1);
    Aga8Gas negativeZero = PipelineGas();
    negativeZero[20] = -0.0;
    Aga8RangeFlags g{};
    EXPECT_EQ(Aga8RangeCheck(negativeZero.data(), g), 0);
}

TEST_F(Aga8ZDensityTest, NegativeComponentFailsTheMixtureTerms) {
    Aga8Gas gas = PipelineGas();
    gas[5] = -0.01;
    gas[0] += 0.01;
    host::TraceCapture capture;
    EXPECT_EQ(Solve(gas, 50.0, 300.0, kAga8SolveNewton), 1);
    EXPECT_TRUE(capture.contains(0x10045));
    // Negative zero is not negative.
    Aga8Gas negativeZero = PipelineGas();
    negativeZero[5] = -0.0;
    EXPECT_EQ(Solve(negativeZero, 50.0, 300.0, kAga8SolveNewton), 0);
}

TEST_F(Aga8ZDensityTest, NonFiniteCompositionFailsCleanly) {
    for (double bad : {kNaN, kInf, -kInf}) {
        for (uint8_t rangeCheck : {0, 1}) {
            state = Aga8State{};
            Aga8Gas gas = PipelineGas();
            gas[3] = bad;
            EXPECT_EQ(Solve(gas, 50.0, 300.0, kAga8SolveNewton, rangeCheck), 1);
            EXPECT_EQ(z, 1.0);
            if (rangeCheck != 0) {
                EXPECT_EQ(flags.flags[3], 1);
            }
        }
    }
}

TEST_F(Aga8ZDensityTest, NonFiniteConditionsFailAndTheNextValidCallSolves) {
    for (uint8_t mode : kModes) {
        state = Aga8State{};
        ASSERT_EQ(Solve(PipelineGas(), 50.0, 300.0, mode), 0);
        const double valid = z;
        const double conditions[][2] = {{kNaN, 300.0}, {50.0, kNaN}, {kInf, 300.0},
                                        {50.0, kInf},  {50.0, 0.0},  {50.0, -10.0}};
        for (const auto& c : conditions) {
            EXPECT_EQ(Solve(PipelineGas(), c[0], c[1], mode), 1);
            EXPECT_EQ(z, 1.0);
            EXPECT_EQ(state.failed, 1);
            // The same valid conditions as before solve again and give the same result.
            recalculated = 0;
            EXPECT_EQ(Solve(PipelineGas(), 50.0, 300.0, mode), 0);
            EXPECT_EQ(recalculated, 1);
            EXPECT_EQ(z, valid);
        }
    }
}

TEST_F(Aga8ZDensityTest, PressureNotPositiveFailsInBothModes) {
    for (uint8_t mode : kModes) {
        for (double p : {0.0, -0.0, -5.0}) {
            state = Aga8State{};
            EXPECT_EQ(Solve(PipelineGas(), p, 300.0, mode), 1) << p;
            EXPECT_EQ(z, 1.0);
        }
    }
}

// Methane at 1200 bar and 300 K lies above 40 R T: no bracket in mode 0.
TEST_F(Aga8ZDensityTest, BracketModeFailsAboveTheIdealPressureAt40MolPerLitre) {
    EXPECT_EQ(Solve(PureMethane(), 1200.0, 300.0, kAga8SolveBracketed), 1);
    EXPECT_EQ(z, 1.0);
    EXPECT_EQ(recalculated, 1);
    // The failed result is cached like a valid one.
    recalculated = 0;
    EXPECT_EQ(Solve(PureMethane(), 1200.0, 300.0, kAga8SolveBracketed), 1);
    EXPECT_EQ(recalculated, 0);
    EXPECT_EQ(z, 1.0);
}

TEST_F(Aga8ZDensityTest, NullOutputsAreAllowed) {
    EXPECT_EQ(Aga8ZDensity(state, 50.0, 300.0, PipelineGas().data(), nullptr, flags, 0,
                           kAga8SolveNewton, nullptr),
              0);
    EXPECT_GT(state.Z, 0.5);
}

TEST_F(Aga8ZDensityTest, NewtonModeTracesEachIteration) {
    host::TraceCapture capture;
    ASSERT_EQ(Solve(PipelineGas(), 50.0, 300.0, kAga8SolveNewton), 0);
    const auto iterations = capture.withId(0x10027);
    ASSERT_GE(iterations.size(), 2u);
    EXPECT_LE(iterations.size(), 20u);
    EXPECT_NEAR(iterations[0].doubleArg(1), std::log(5000.0), 1e-12);  // ln P, P in kPa
    EXPECT_DOUBLE_EQ(iterations.back().doubleArg(2), std::exp(-iterations.back().doubleArg(0)));
}

TEST_F(Aga8ZDensityTest, PropertiesEmitTheirTracePoint) {
    ASSERT_EQ(Solve(PipelineGas(), 50.0, 300.0, kAga8SolveNewton), 0);
    host::TraceCapture capture;
    const double T = 300.0;
    double w = 0.0, kappa = 0.0, ratio = 0.0;
    Aga8Properties(state, &T, &state.D, &w, &kappa, &ratio);
    EXPECT_TRUE(capture.contains(0x10067));
    EXPECT_GT(w, 0.0);
}

}  // namespace
