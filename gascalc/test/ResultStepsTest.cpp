// The properties of the analysis at the source conditions: ISO 6976 against the example of the
// standard, AGA8-92 DETAIL by both solve modes, and their failure and not-in-use paths.
#include "CalcCycle.h"
#include "CalcFixture.h"
#include "ResultSteps.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;

// Example 1 of ISO 6976:2016 (15 degC combustion and metering, 101.325 kPa; set 9).
const std::map<std::string, double> kIsoExample1 = {
    {"CH4", 93.3212}, {"C2H6", 2.5656}, {"C3H8", 1.5368}, {"N2", 1.035}, {"CO2", 1.5414}};
constexpr double kExampleM = 17.3884301;  // g/mol
constexpr double kExampleZ = 0.99776224;
constexpr double kExampleHm = 52.113961;    // MJ/kg
constexpr double kExampleHv = 38.410611;    // MJ/m3
constexpr double kExampleR = 0.0083144621;  // kJ/(mol K), set 9
constexpr double kExampleT = 288.15;

class ResultStepsTest : public CalcFixture {};

TEST_F(ResultStepsTest, Iso6976ResultsOfTheStandardsExample) {
    for (const char* taste : {"Default", "BM1"}) {
        SCOPED_TRACE(taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startCalc(taste, [](nlohmann::json& model) {
            calorant_test::modelNode(model, {7, 0})["value"] = 9;
            calorant_test::modelNode(model, {10, 0})["value"] = 9;
        });
        setMethods(1, 1);
        setAnalysis(kIsoExample1);
        cycle();
        // The example's values are given to 1e-6 (MJ) and 1e-8 (Z).
        EXPECT_NEAR(value("Source.Iso6976.HsV"), kExampleHv, 2e-6);
        EXPECT_NEAR(value("Source.Iso6976.HsM"), kExampleHm, 2e-6);
        const double density = kExampleM * 1.01325 * 0.1 / (kExampleT * kExampleR * kExampleZ);
        EXPECT_NEAR(value("Source.Iso6976.rhob"), density, 1e-7);
        EXPECT_NEAR(value("Source.Iso6976.Ws"),
                    value("Source.Iso6976.HsV") / std::sqrt(value("Source.Iso6976.d")), 1e-9);
        EXPECT_EQ(statusOf("Source.Iso6976.HsV"), 0u);
        // "CalcMethod" 1 at the result set 9: the summation-factor Z of the example.
        EXPECT_NEAR(value("Base1.Zb"), kExampleZ, 1e-8);
    }
}

TEST_F(ResultStepsTest, Aga8ByBothSolveModesForMethane) {
    startCalc("Default");
    setAnalysis({{"CH4", 100.0}});
    cycle();
    const Aga8ResultRecords& aga8 = calcBlock.aga8Results;
    for (int mode = 0; mode < 2; ++mode) {
        SCOPED_TRACE(mode);
        const Aga8Result& result = aga8.mode[mode];
        // Methane at 273.15 K and 1.01325 bar: Z = 0.9976 (ISO 6976 table, to 1e-4).
        EXPECT_NEAR(result.z, 0.9976, 1e-4);
        EXPECT_NEAR(result.molarMass, 16.043, 1e-3);
        EXPECT_NEAR(result.density,
                    result.molarMass * 1.01325 * 0.1 / (273.15 * 0.00831451 * result.z), 1e-12);
        EXPECT_EQ(result.status, 0u);
    }
    EXPECT_NEAR(aga8.mode[0].z, aga8.mode[1].z, 1e-9);
    EXPECT_EQ(value("Source.Aga8Mode0.Z"), aga8.mode[0].z);
    EXPECT_EQ(value("Source.Aga8Mode1.rho"), aga8.mode[1].density);
    EXPECT_NEAR(value("Source.Aga8Mode0.d"),
                aga8.mode[0].density / calcBlock.baseConditions.source.airDensity, 1e-15);
    EXPECT_EQ(value("PropertiesOutput.M_aga8"), aga8.mode[0].molarMass);
}

TEST_F(ResultStepsTest, ComponentsAga8LacksAreLumped) {
    double composition[kComponentCount] = {};
    for (int k = 0; k < kComponentCount; ++k) {
        composition[k] = k + 1;
    }
    LumpForAga8(composition);
    EXPECT_EQ(composition[13], 14.0 + 22.0 + 23.0);  // n-pentane + neopentane + benzene
    EXPECT_EQ(composition[14], 15.0 + 24.0 + 25.0);  // n-hexane + cyclohexane + toluene
    EXPECT_EQ(composition[15], 16.0 + 26.0);         // n-heptane + methylcyclohexane
    for (int k = 21; k < kComponentCount; ++k) {
        EXPECT_EQ(composition[k], 0.0) << k;
    }
}

TEST_F(ResultStepsTest, AnalysisOutOfUseOrFailedIsNotPublishedAsGood) {
    startCalc("Default");
    setAnalysis(kIsoExample1);
    cycle();
    // An analysis the ISO 6976 evaluation refuses (here one summing to 50 mol-%) gives zero
    // results marked invalid.
    for (double& value : calcBlock.composition.normalised.value) {
        value *= 0.5;
    }
    Iso6976Step();
    EXPECT_EQ(value("Source.Iso6976.HsV"), 0.0);
    EXPECT_EQ(statusOf("Source.Iso6976.HsV"), status::kInvalid);
    // Methane out of use: everything 0.0 with "not in use".
    setInUse("Comp.CH4.Imp", false);
    cycle();
    for (const char* path : {"Source.Iso6976.rhob", "Source.Iso6976.Wi", "Source.Aga8Mode0.Z",
                             "Source.Aga8Mode1.rho"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(value(path), 0.0);
        EXPECT_EQ(statusOf(path), status::kNotInUse);
    }
}

TEST_F(ResultStepsTest, CalculatorResultsCarryTheAnalysisFault) {
    // The 12-component calculator publishes its Z and density at the source conditions; an
    // analysis with a bad input marks both, a good one leaves them unmarked.
    startCalc("Default");
    const struct {
        const char* name;
        uint32_t co2Status;
        uint32_t expected;
    } cases[] = {{"good", 0u, 0u},
                 {"CO2 above its limit", status::kAboveLimit, status::kInvalid},
                 {"CO2 INIT", status::kInit, status::kInvalid},
                 {"CO2 warning only", status::kAboveWarning, 0u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setAnalysis(kIsoExample1);
        setComponent("CO2", 1.5414, c.co2Status);
        cycle();
        EXPECT_NEAR(value("Source.Aga8Calc12.Z"), value("Source.Aga8Mode0.Z"), 1e-4);
        EXPECT_EQ(statusOf("Source.Aga8Calc12.Z"), c.expected);
        EXPECT_EQ(statusOf("Source.Aga8Calc12.rho"), c.expected);
    }
}

TEST_F(ResultStepsTest, ZM1HasNoResultNodesButKeepsTheRangeFlagsCurrent) {
    startCalc("ZM1");
    setMethods(2, 1);
    change("7.CalcMethodOption", 1);
    setAnalysis({{"CH4", 75.0}, {"N2", 25.0}});
    cycle();
    EXPECT_EQ(calcBlock.aga8RangeFlags.flags[kN2], 1);
    EXPECT_EQ(calcBlock.aga8Results.mode[0].status, status::kInvalid);
    EXPECT_EQ(calcBlock.iso6976.evaluated, 0u);
}

}  // namespace
