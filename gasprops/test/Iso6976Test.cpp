#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ComponentPropertyTables.h"
#include "HostTrace.h"
#include "Iso6976.h"
#include "TestGases.h"

namespace {

constexpr double kPsiPerBar = 14.50377377302168;

class Iso6976Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitPropertyTablesForTest(); }
    void TearDown() override { host::resetTraceSettings(); }

    static FullGas Methane() {
        FullGas gas{};
        gas[0] = 100.0;
        return gas;
    }
    // A natural gas with all component groups, mol-%.
    static FullGas NaturalGas() {
        FullGas gas{};
        gas[0] = 88.0;
        gas[1] = 2.0;
        gas[2] = 1.5;
        gas[3] = 5.0;
        gas[4] = 2.0;
        gas[7] = 0.5;
        gas[10] = 0.3;
        gas[11] = 0.3;
        gas[21] = 0.1;
        gas[22] = 0.1;
        gas[25] = 0.2;
        return gas;
    }
    static Iso6976Result Properties(const FullGas& gas, RefConditionSet set,
                                    double airDensity = 1.2, double airZ = 0.9996) {
        Iso6976Result r{};
        Iso6976Properties(r, gas.data(), RefBasePressure(set), RefBaseTemperature(set), airDensity,
                          airZ, set);
        return r;
    }
};

TEST_F(Iso6976Test, GpaPathEmitsItsNineValueTraces) {
    host::setTraceLevel(7);
    host::TraceCapture capture;
    Properties(Methane(), 15);
    const uint32_t ids[9] = {0x20067, 0x20077, 0x20087, 0x20097, 0x200A7,
                             0x200B7, 0x200C7, 0x200D7, 0x200E7};
    const size_t argumentCounts[9] = {0, 3, 2, 3, 2, 2, 2, 2, 2};
    for (int k = 0; k < 9; ++k) {
        const auto records = capture.withId(ids[k]);
        ASSERT_EQ(records.size(), 1u) << std::hex << ids[k];
        EXPECT_EQ(records[0].arguments.size(), argumentCounts[k]);
    }
    EXPECT_NEAR(capture.withId(0x20077)[0].doubleArg(0), 14.65, 1e-12);
}

TEST_F(Iso6976Test, EmptyAnalysisGivesZeroResultsAndThePathsTrace) {
    host::setTraceLevel(5);
    for (RefConditionSet set : {1u, 9u, 14u}) {
        host::TraceCapture capture;
        Iso6976Result r;
        for (double& v : r.value) {
            v = 7.0;
        }
        const FullGas zeros{};
        Iso6976Properties(r, zeros.data(), 1.01325, 273.15, 1.29, 0.9994, set);
        for (double v : r.value) {
            EXPECT_EQ(v, 0.0);
        }
        const uint32_t id = set == 14 ? 0x200F5 : 0x20055;
        ASSERT_EQ(capture.withId(id).size(), 1u);
        EXPECT_EQ(capture.withId(id)[0].doubleArg(0), 0.0);
        EXPECT_EQ(capture.withId(id)[0].doubleArg(1), 0.0);
    }
}

TEST_F(Iso6976Test, NegativeDominatedAnalysisFails) {
    FullGas gas{};
    gas[0] = 10.0;
    gas[1] = -50.0;
    const Iso6976Result r = Properties(gas, 3);
    for (double v : r.value) {
        EXPECT_EQ(v, 0.0);
    }
}

// Non-finite conditions or analysis values give the failure result, never NaN.
TEST_F(Iso6976Test, NonFiniteInputsGiveTheFailureResult) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    FullGas nanGas = NaturalGas();
    nanGas[3] = nan;
    for (RefConditionSet set : {4u, 16u}) {
        SCOPED_TRACE(set);
        Iso6976Result r{};
        const FullGas gas = NaturalGas();
        Iso6976Properties(r, nanGas.data(), 1.01325, 293.15, 1.2, 0.9996, set);
        EXPECT_EQ(r.value[kIsoSuperiorVolume], 0.0);
        Iso6976Properties(r, gas.data(), nan, 293.15, 1.2, 0.9996, set);
        EXPECT_EQ(r.value[kIsoDensity], 0.0);
        Iso6976Properties(r, gas.data(), inf, 293.15, 1.2, 0.9996, set);
        EXPECT_EQ(r.value[kIsoSuperiorWobbe], 0.0);
        Iso6976Properties(r, gas.data(), 1.01325, 293.15, nan, 0.9996, set);
        EXPECT_EQ(r.value[kIsoRelativeDensity], 0.0);
    }
    Iso6976Result r{};
    const FullGas gas = NaturalGas();
    Iso6976Properties(r, gas.data(), 1.01325, 0.0, 1.2, 0.9996, 4);
    EXPECT_EQ(r.value[kIsoSuperiorVolume], 0.0);
}

// Z of zero or below, or a negative relative density, gives zero results instead of a division
// by zero or the root of a negative number.
TEST_F(Iso6976Test, NonPositiveZGivesTheFailureResult) {
    const FullGas gas = NaturalGas();
    Iso6976Result r{};
    // Imperial Z = 1 - p_psia S^2 becomes negative at a huge pressure.
    Iso6976Properties(r, gas.data(), 1e6, 288.7, 1.2, 0.9996, 14);
    for (double v : r.value) {
        EXPECT_EQ(v, 0.0);
    }
}

TEST_F(Iso6976Test, SummationZIgnoresTemperature) {
    const FullGas gas = NaturalGas();
    for (RefConditionSet set : {3u, 10u, 17u}) {
        EXPECT_EQ(Iso6976Z(gas.data(), 1.5, 250.0, set), Iso6976Z(gas.data(), 1.5, 350.0, set));
    }
}

TEST_F(Iso6976Test, ZeroAndNegativeZeroComponentsAreSkipped) {
    FullGas gas = Methane();
    FullGas withNegativeZero = gas;
    withNegativeZero[5] = -0.0;
    EXPECT_EQ(Iso6976Z(gas.data(), 1.01325, 273.15, 1),
              Iso6976Z(withNegativeZero.data(), 1.01325, 273.15, 1));
    EXPECT_EQ(MolarMassOfMixture(gas.data(), 7), 16.04246);
}

TEST_F(Iso6976Test, HydrogenLowersTheSummationSum) {
    FullGas hydrocarbons{};
    hydrocarbons[0] = 80.0;
    hydrocarbons[3] = 10.0;
    FullGas withHydrogen = hydrocarbons;
    withHydrogen[7] = 10.0;
    for (RefConditionSet set : {1u, 7u}) {
        // 1 - Z = S^2: a smaller S gives a Z closer to 1.
        EXPECT_GT(Iso6976Z(withHydrogen.data(), 1.01325, 273.15, set),
                  Iso6976Z(hydrocarbons.data(), 1.01325, 273.15, set));
    }
    // Hydrogen's summation factor alone: S = 0.1 x (-0.01) at set 7.
    FullGas hydrogen{};
    hydrogen[7] = 10.0;
    EXPECT_NEAR(Iso6976Z(hydrogen.data(), 1.01325, 273.15, 7), 1.0 - 0.001 * 0.001, 1e-16);
}

// M = sum x_i M_i over the set's table, for every edition.
TEST_F(Iso6976Test, MolarMassIsTheMoleFractionWeightedSum) {
    const FullGas gas = NaturalGas();
    const ComponentPropertyTables& t = PropertyTables();
    struct Case {
        RefConditionSet set;
        const double* table;
    };
    for (const Case& c :
         {Case{2, t.iso1995MolarMass}, Case{13, t.iso2016MolarMass}, Case{17, t.gpaMolarMass}}) {
        double expected = 0.0;
        for (int i = 0; i < kGasComponents; ++i) {
            expected += gas[i] / 100.0 * c.table[i];
        }
        EXPECT_NEAR(MolarMassOfMixture(gas.data(), c.set), expected, 1e-13);
        EXPECT_NEAR(Properties(gas, c.set).value[kIsoMolarMass], expected, 1e-13);
    }
}

TEST_F(Iso6976Test, TableSelectionBySet) {
    const ComponentPropertyTables& t = PropertyTables();
    EXPECT_EQ(SummationFactorTable(2), t.iso1995Summation[kTable0C]);
    EXPECT_EQ(SummationFactorTable(6), t.iso1995Summation[kTable20C]);
    EXPECT_EQ(SummationFactorTable(10), t.iso2016Summation[kTable15_55C]);
    EXPECT_EQ(SummationFactorTable(12), t.iso2016Summation[kTable0C]);
    EXPECT_EQ(SummationFactorTable(15), t.gpaSummation);
    EXPECT_EQ(SuperiorCalorificTable(5), t.iso1995Superior[kTable25C]);
    EXPECT_EQ(InferiorCalorificTable(8), t.iso2016Inferior[kTable15C]);
    EXPECT_EQ(SuperiorCalorificTable(10), t.iso2016Superior[kTable15_55C]);
    EXPECT_EQ(SuperiorCalorificTable(16), t.gpaSuperiorVolume);
    EXPECT_EQ(InferiorCalorificTable(17), t.gpaInferiorVolume);
    EXPECT_EQ(MolarMassTable(1), t.iso1995MolarMass);
    EXPECT_EQ(MolarMassTable(11), t.iso2016MolarMass);
    EXPECT_EQ(MolarMassTable(14), t.gpaMolarMass);
    EXPECT_EQ(SuperiorMassCalorificTable(14), t.gpaSuperiorMass);
    EXPECT_EQ(InferiorMassCalorificTable(17), t.gpaInferiorMass);
}

// An out-of-range set falls back with each selector's trace and behaves as set 6 apart from the
// conditions the caller supplies.
TEST_F(Iso6976Test, OutOfRangeSetBehavesAsSet6WithItsTraces) {
    const ComponentPropertyTables& t = PropertyTables();
    host::TraceCapture capture;
    EXPECT_EQ(SummationFactorTable(0), t.iso1995Summation[kTable20C]);
    EXPECT_EQ(SuperiorCalorificTable(18), t.iso1995Superior[kTable25C]);
    EXPECT_EQ(InferiorCalorificTable(18), t.iso1995Inferior[kTable25C]);
    EXPECT_EQ(SuperiorMassCalorificTable(0), t.gpaSuperiorMass);
    EXPECT_EQ(InferiorMassCalorificTable(0), t.gpaInferiorMass);
    EXPECT_EQ(MolarMassTable(0), t.iso1995MolarMass);
    for (uint32_t id : {0x20043u, 0x20003u, 0x20013u, 0x20023u, 0x20033u, 0xE0013u, 0xE0023u}) {
        EXPECT_TRUE(capture.contains(id)) << std::hex << id;
    }
    const FullGas gas = NaturalGas();
    Iso6976Result outOfRange{};
    Iso6976Result set6{};
    Iso6976Properties(outOfRange, gas.data(), 1.01325, 293.15, 1.2, 0.9996, 99);
    Iso6976Properties(set6, gas.data(), 1.01325, 293.15, 1.2, 0.9996, 6);
    for (int k = 0; k < kIsoFieldCount; ++k) {
        EXPECT_EQ(outOfRange.value[k], set6.value[k]) << k;
    }
}

TEST_F(Iso6976Test, GasDensityFormulaAndGuard) {
    EXPECT_NEAR(GasDensity(28.9626, 1.01325, 273.15, 0.99941, 0.00831451),
                28.9626 * 1.01325 * 0.1 / (273.15 * 0.00831451 * 0.99941), 1e-15);
    EXPECT_EQ(GasDensity(16.0, 1.0, 273.15, 0.0, 0.00831451), 0.0);
    EXPECT_EQ(GasDensity(16.0, 1.0, -273.15, 1.0, 0.00831451), 0.0);
    EXPECT_EQ(GasDensity(16.0, 1.0, std::numeric_limits<double>::quiet_NaN(), 1.0, 0.0083), 0.0);
}

}  // namespace
