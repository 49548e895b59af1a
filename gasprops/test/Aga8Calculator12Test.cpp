// Behaviour of the 12-component AGA8 calculator: loading and lumping, caching, failures, traces
// and the per-cycle update of its two output nodes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>

#include "Aga8Calculator12.h"
#include "HostTrace.h"
#include "HostTree.h"

namespace {

using Composition26 = std::array<double, Aga8Calculator12::kCompositionSize>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A natural gas with every one of the twelve components and the lumped ones (mol-%).
Composition26 NaturalGas() {
    Composition26 c{};
    c[0] = 90.0;   // methane
    c[1] = 2.0;    // nitrogen
    c[2] = 1.5;    // carbon dioxide
    c[3] = 4.0;    // ethane
    c[4] = 1.0;    // propane
    c[7] = 0.5;    // hydrogen
    c[9] = 0.2;    // oxygen
    c[10] = 0.2;   // isobutane
    c[11] = 0.2;   // n-butane
    c[12] = 0.05;  // isopentane
    c[13] = 0.05;  // n-pentane
    c[14] = 0.05;  // n-hexane
    c[15] = 0.02;  // n-heptane
    c[16] = 0.01;  // n-octane
    c[19] = 0.05;  // helium
    c[20] = 0.07;  // argon
    return c;
}

class Calculator12 : public ::testing::Test {
  protected:
    void TearDown() override { host::resetTraceSettings(); }
    std::unique_ptr<Aga8Calculator12> calc = std::make_unique<Aga8Calculator12>();
};

TEST_F(Calculator12, OxygenAndArgonCountAsNitrogenHeavyAlkanesAsHexane) {
    Composition26 lumped = NaturalGas();
    Composition26 plain = lumped;
    plain[1] += plain[9] + plain[20];
    plain[9] = plain[20] = 0.0;
    plain[14] += plain[15] + plain[16];
    plain[15] = plain[16] = 0.0;
    double Z1 = 0.0, Z2 = 0.0;
    calc->setComposition(lumped.data());
    ASSERT_EQ(calc->solveDensity(60.0, 280.0, Z1), 1);
    const double M1 = calc->molarMass();
    calc->setComposition(plain.data());
    ASSERT_EQ(calc->solveDensity(60.0, 280.0, Z2), 1);
    EXPECT_NEAR(Z1, Z2, 1e-15);
    EXPECT_NEAR(calc->molarMass(), M1, 1e-12);
}

TEST_F(Calculator12, UnusedComponentsAreIgnoredNotRenormalised) {
    Composition26 gas = NaturalGas();
    gas[0] -= 6.0;
    gas[5] = 6.0;  // water
    calc->setComposition(gas.data());
    const double M = calc->molarMass();
    gas[5] = 1.0;   // water
    gas[6] = 1.0;   // hydrogen sulfide
    gas[8] = 1.0;   // carbon monoxide
    gas[17] = 1.0;  // n-nonane
    gas[18] = 1.0;  // n-decane
    gas[22] = 1.0;  // benzene
    calc->setComposition(gas.data());
    EXPECT_EQ(calc->compositionChanged(), 0);
    EXPECT_EQ(calc->molarMass(), M);
}

TEST_F(Calculator12, ImpossibleCompositionFailsUntilAUsableOneIsLoaded) {
    const Composition26 gas = NaturalGas();
    calc->setComposition(gas.data());
    double Zgood = 0.0;
    ASSERT_EQ(calc->solveDensity(60.0, 280.0, Zgood), 1);
    double D = 0.0, derivative = 0.0;
    calc->getResults(D, derivative);
    Composition26 negative = gas;
    negative[0] += 8.0;
    negative[3] = -4.0;  // ethane
    Composition26 doubled = gas;
    for (double& v : doubled) {
        v *= 2.0;
    }
    Composition26 notANumber = gas;
    notANumber[5] = kNaN;  // even in a component the calculator does not use
    for (const Composition26& bad : {negative, doubled, notANumber}) {
        calc->setComposition(bad.data());
        double Z = 0.5;
        EXPECT_EQ(calc->solveDensity(60.0, 280.0, Z), 0);
        EXPECT_EQ(Z, 1.0);
        double kappa = 7.0, w = 7.0;
        EXPECT_EQ(calc->properties(280.0, Zgood, D, derivative, kappa, w), 0);
        EXPECT_EQ(kappa, 7.0);
        // The good gas again counts as a change and gives its result again.
        calc->setComposition(gas.data());
        EXPECT_EQ(calc->compositionChanged(), 1);
        double Z2 = 0.0;
        ASSERT_EQ(calc->solveDensity(60.0, 280.0, Z2), 1);
        EXPECT_EQ(Z2, Zgood);
    }
}

TEST(Calculator12Construct, BuildsInTheGivenStorageOrInItsOwn) {
    const Composition26 gas = NaturalGas();
    void* storage = ::operator new(sizeof(Aga8Calculator12));
    Aga8Calculator12* inGiven = Aga8Calculator12::Construct(storage);
    EXPECT_EQ(static_cast<void*>(inGiven), storage);
    Aga8Calculator12* inOwn = Aga8Calculator12::Construct(nullptr);
    ASSERT_NE(inOwn, nullptr);
    EXPECT_NE(inOwn, inGiven);
    double Z1 = 0.0, Z2 = 0.0;
    inGiven->setComposition(gas.data());
    inOwn->setComposition(gas.data());
    ASSERT_EQ(inGiven->solveDensity(60.0, 280.0, Z1), 1);
    ASSERT_EQ(inOwn->solveDensity(60.0, 280.0, Z2), 1);
    EXPECT_EQ(Z1, Z2);
    // The calculator is trivially destructible: freeing the storage ends it.
    static_assert(std::is_trivially_destructible<Aga8Calculator12>::value, "");
    ::operator delete(storage);
    ::operator delete(inOwn);
}

TEST_F(Calculator12, SameCompositionRecomputedOnlyOnce) {
    host::setTraceLevel(7);
    host::TraceCapture capture;
    const Composition26 gas = NaturalGas();
    calc->setComposition(gas.data());
    EXPECT_EQ(calc->compositionChanged(), 1);
    calc->setComposition(gas.data());
    EXPECT_EQ(calc->compositionChanged(), 0);
    EXPECT_EQ(capture.withId(0x40027).size(), 1u);
    EXPECT_EQ(capture.withId(0x40037).size(), 1u);
    EXPECT_EQ(capture.withId(0x40047).size(), 1u);
    EXPECT_DOUBLE_EQ(capture.withId(0x40027)[0].doubleArg(0), calc->sizeParameter());
    // Any single fraction makes a change, even one that keeps a weighted sum.
    Composition26 other = gas;
    other[0] += 0.01;
    other[3] -= 0.01;
    calc->setComposition(other.data());
    EXPECT_EQ(calc->compositionChanged(), 1);
}

TEST_F(Calculator12, SolveTraces) {
    host::setTraceLevel(7);
    host::TraceCapture capture;
    calc->setComposition(NaturalGas().data());
    double Z = 0.0;
    ASSERT_EQ(calc->solveDensity(60.0, 280.0, Z), 1);
    const auto solve = capture.withId(0x40007);
    ASSERT_EQ(solve.size(), 1u);
    EXPECT_DOUBLE_EQ(solve[0].doubleArg(0), 6.0);
    EXPECT_EQ(solve[0].doubleArg(1), 280.0);
    const auto converged = capture.withId(0x40067);
    ASSERT_EQ(converged.size(), 1u);
    double D = 0.0, derivative = 0.0;
    calc->getResults(D, derivative);
    EXPECT_EQ(converged[0].doubleArg(0), D);
    EXPECT_GE(converged[0].intArg(1), 1);
    EXPECT_LE(converged[0].intArg(1), 10);
    const auto solved = capture.withId(0x40017);
    ASSERT_EQ(solved.size(), 1u);
    EXPECT_EQ(solved[0].doubleArg(0), Z);
    EXPECT_DOUBLE_EQ(solved[0].doubleArg(1), Z - 1.0);
    EXPECT_EQ(solved[0].doubleArg(2), derivative);
    EXPECT_FALSE(capture.contains(0x40057));
}

TEST_F(Calculator12, FailedSolvesGiveOneAndTraceGivingUp) {
    host::setTraceLevel(7);
    Composition26 methane{};
    methane[0] = 100.0;
    struct Case {
        const Composition26 gas;
        double p, T;
    };
    for (const Case& c : {Case{methane, 0.0, 273.15}, Case{methane, -1.0, 273.15},
                          Case{methane, kNaN, 273.15}, Case{methane, 60.0, 0.0},
                          Case{methane, 60.0, 150.0}, Case{Composition26{}, 60.0, 273.15}}) {
        host::TraceCapture capture;
        calc->setComposition(c.gas.data());
        double Z = 0.5;
        EXPECT_EQ(calc->solveDensity(c.p, c.T, Z), 0) << c.p << " " << c.T;
        EXPECT_EQ(Z, 1.0);
        EXPECT_TRUE(capture.contains(0x40057));
        EXPECT_FALSE(capture.contains(0x40017));
    }
}

TEST_F(Calculator12, PropertiesRejectImpossibleInputs) {
    calc->setComposition(NaturalGas().data());
    double Z = 0.0;
    ASSERT_EQ(calc->solveDensity(60.0, 280.0, Z), 1);
    double D = 0.0, derivative = 0.0;
    calc->getResults(D, derivative);
    for (const double T : {0.0, -0.0, -5.0, kNaN}) {
        double kappa = 7.0, w = 7.0;
        EXPECT_EQ(calc->properties(T, Z, D, derivative, kappa, w), 0);
        EXPECT_EQ(kappa, 7.0);
        EXPECT_EQ(w, 7.0);
    }
    for (const double z : {0.0, -0.0, -1.0, kNaN}) {
        double kappa = 7.0, w = 7.0;
        EXPECT_EQ(calc->properties(280.0, z, D, derivative, kappa, w), 0);
        EXPECT_EQ(kappa, 7.0);
    }
    // No composition loaded: M is 0.
    Aga8Calculator12 fresh;
    double kappa = 7.0, w = 7.0;
    EXPECT_EQ(fresh.properties(280.0, 0.9, D, derivative, kappa, w), 0);
}

// ----- per-cycle update on a parameter tree -----

constexpr const char* kTreeModel = R"({
  "name": "Calc12",
  "root": { "children": [
    { "index": 4, "name": "Aga8Calc12", "children": [
      { "name": "Z", "kind": "double", "value": 7, "status": 2 },
      { "name": "Rho", "kind": "double", "value": 7, "status": 2 } ] } ] } })";

class Calculator12Update : public Calculator12 {
  protected:
    std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(kTreeModel);
    FbDoNode node() const { return tree->find("Aga8Calc12"); }
};

TEST_F(Calculator12Update, WritesZAndDensity) {
    const Composition26 gas = NaturalGas();
    calc->update(gas.data(), 1.01325, 273.15, node(), 0);
    const double Z = tree->doubleValue("Aga8Calc12.Z");
    const double rho = tree->doubleValue("Aga8Calc12.Rho");
    EXPECT_EQ(tree->status("Aga8Calc12.Z"), 0u);
    EXPECT_EQ(tree->status("Aga8Calc12.Rho"), 0u);
    // rho = p M / (Z R T) in kg/m3, to the solve's pressure tolerance of 1e-6 (relative).
    const double expected = 101325.0 * calc->molarMass() / (Z * 8.31451 * 273.15) / 1000.0;
    EXPECT_NEAR(rho, expected, 1e-6 * expected);
    EXPECT_GT(Z, 0.99);
    EXPECT_LT(Z, 1.0);
}

TEST_F(Calculator12Update, BadInputMarksBothResults) {
    const Composition26 gas = NaturalGas();
    calc->update(gas.data(), 1.01325, 273.15, node(), 1);
    EXPECT_EQ(tree->status("Aga8Calc12.Z"), 0x400u);
    EXPECT_EQ(tree->status("Aga8Calc12.Rho"), 0x400u);
    EXPECT_LT(tree->doubleValue("Aga8Calc12.Z"), 1.0);
}

TEST_F(Calculator12Update, FailedSolveWritesOneAndZeroWithInvalidBitOnce) {
    const Composition26 gas = NaturalGas();
    for (uint8_t bad : {0, 1}) {
        calc->update(gas.data(), 0.0, 273.15, node(), bad);
        EXPECT_EQ(tree->doubleValue("Aga8Calc12.Z"), 1.0);
        EXPECT_EQ(tree->doubleValue("Aga8Calc12.Rho"), 0.0);
        // Bits are combined, never added: 0x400 | 0x400 stays 0x400.
        EXPECT_EQ(tree->status("Aga8Calc12.Z"), 0x400u);
        EXPECT_EQ(tree->status("Aga8Calc12.Rho"), 0x400u);
    }
}

TEST_F(Calculator12Update, WithoutNodeOnlyLoadsTheComposition) {
    const Composition26 gas = NaturalGas();
    calc->update(gas.data(), 60.0, 273.15, nullptr, 0);
    EXPECT_EQ(calc->compositionChanged(), 1);
    EXPECT_GT(calc->molarMass(), 16.0);
    EXPECT_EQ(tree->doubleValue("Aga8Calc12.Z"), 7.0);
    EXPECT_EQ(tree->status("Aga8Calc12.Z"), 2u);
    // Without a composition nothing happens at all.
    calc->update(nullptr, 60.0, 273.15, node(), 0);
    EXPECT_EQ(tree->doubleValue("Aga8Calc12.Z"), 7.0);
}

}  // namespace
