// The base conditions: the records of the reload, the air properties written every cycle, the
// optional second base state with its replaced conditions, and the molar masses.
#include <cmath>

#include "CalcFixture.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

class BaseConditionsTest : public CalcFixture {
  protected:
    void bindOptionalBase(double tCelsius, double pBar) {
        tree().setSelectedChoice("OptionalBaseOutput", 1);
        tree().setDouble("OptionalBaseOutput.On.tb_set", tCelsius);
        tree().setDouble("OptionalBaseOutput.On.pb_set", pBar);
        tree().markChanged();
        tree().deliverChanges();
    }
};

// Air density 0.1 M p / (T R Z) from the constants of a reference-condition set.
double airDensity(double M, double p, double T, double R, double Z) {
    return 0.1 * M * p / (T * R * Z);
}

TEST_F(BaseConditionsTest, ResultConditionsFollowTheSetOfEachLayout) {
    const struct {
        const char* taste;
        uint32_t set;
        double T, p, R, Z, M;
    } cases[] = {
        {"Default", 1, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626},
        {"ZM1", 3, 288.15, 1.01325, 0.00831451, 0.99958, 28.9626},
        {"BM1", 9, 288.15, 1.01325, 0.0083144621, 0.999595, 28.96546},
        // Imperial: 60 degF and 14.696 psia.
        {"Default", 14, 288.7055555555555, 14.696 / 14.50377377302168, 0.008314472, 0.999576,
         28.9625},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.taste) + " set " + std::to_string(c.set));
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startCalc(c.taste);
        changeCode("Base1.RefCond", c.set);
        setAnalysis(ValidationGas1());
        cycle();
        EXPECT_NEAR(value("Base1.pb"), c.p, 1e-12);
        EXPECT_NEAR(value("Base1.tb"), c.T - 273.15, 1e-12);
        EXPECT_NEAR(value("Base1.AirZ"), c.Z, 1e-12);
        EXPECT_NEAR(value("Base1.AirDensity"), airDensity(c.M, c.p, c.T, c.R, c.Z), 1e-12);
        EXPECT_EQ(statusOf("Base1.AirDensity"), 0u);
    }
}

TEST_F(BaseConditionsTest, UnknownSetKeepsTheFallbackAndMarksWhatUsesIt) {
    const uint32_t unknownSets[] = {0, 18, 255, 0xffffffffu};
    for (const bool resultSet : {true, false}) {
        for (const uint32_t set : unknownSets) {
            SCOPED_TRACE(std::string(resultSet ? "Base1" : "Source") + " set " +
                         std::to_string(set));
            ForgetCalorantRun();
            host::dropAddressSpaceTree();
            startCalc("Default");
            setMethods(2, 1);
            setAnalysis(ValidationGas1());
            setMeasuring(60.0, 16.85);
            setInput("Source.Rhob.rhob_imp", 0.75);
            setInput("Source.HVHM.HsV_imp", 40.0);
            traces.clear();
            changeCode(resultSet ? "Base1.RefCond" : "Source.RefCond", set);
            cycle();
            const std::vector<host::TraceRecord> traced =
                traces.withId(resultSet ? 0x70073 : 0x70083);
            ASSERT_EQ(traced.size(), 1u);
            EXPECT_EQ(static_cast<uint32_t>(traced[0].intArg(0)), set);
            cycle();
            // The fallback conditions of the set functions stay: 0 degC and 1.01325 bar.
            const BaseConditionRecord& record =
                resultSet ? calcBlock.baseConditions.result : calcBlock.baseConditions.source;
            EXPECT_EQ(record.baseTemperature, 273.15);
            EXPECT_EQ(record.basePressure, 1.01325);
            // What stems from the unknown set is marked, what does not is left alone.
            const char* fromResult[] = {"Base1.C",    "Base1.Zb",         "Base1.K",
                                        "Base1.AirZ", "Base1.AirDensity", "PropertiesOutput.M_air"};
            for (const char* path : fromResult) {
                EXPECT_EQ(statusOf(path), resultSet ? status::kInvalid : 0u) << path;
            }
            for (const char* path : {"Base1.HsV", "Base1.rhob", "MeasCond.rhom"}) {
                EXPECT_EQ(statusOf(path), status::kInvalid) << path;
            }
            EXPECT_EQ(statusOf("Source.Iso6976.HsV"), resultSet ? 0u : status::kInvalid);
            EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
        }
    }
}

TEST_F(BaseConditionsTest, MolarMassesOfAirAndGas) {
    startCalc("Default");
    changeCode("Base1.RefCond", 9);
    // The analysis of example 1 of ISO 6976:2016: M = 17.3884301 g/mol.
    setAnalysis(
        {{"CH4", 93.3212}, {"C2H6", 2.5656}, {"C3H8", 1.5368}, {"N2", 1.035}, {"CO2", 1.5414}});
    cycle();
    // Before any composition was computed the gas molar mass is not valid.
    EXPECT_EQ(statusOf("PropertiesOutput.M"), status::kInvalid);
    EXPECT_NEAR(value("PropertiesOutput.M_air"), 28.96546, 1e-12);
    cycle();
    EXPECT_NEAR(value("PropertiesOutput.M"), 17.3884301, 1e-7);
    EXPECT_EQ(statusOf("PropertiesOutput.M"), 0u);
}

TEST_F(BaseConditionsTest, OptionalBaseConditionsAreReplacedWhenOutOfRange) {
    const double nan = std::nan("");
    const struct {
        const char* name;
        double tCelsius;
        double pBar;
        bool replaced;
    } cases[] = {{"valid 15 degC", 15.0, 1.01325, false},
                 {"-80 degC", -80.0, 1.01325, true},
                 {"0.05 bar", 15.0, 0.05, true},
                 {"temperature not a number", nan, 1.01325, true},
                 {"pressure not a number", 15.0, nan, true}};
    startCalc("Default");
    setAnalysis(ValidationGas1());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bindOptionalBase(c.tCelsius, c.pBar);
        cycle();
        const BaseConditionRecord& optional = calcBlock.baseConditions.optionalBase;
        EXPECT_EQ(optional.useIso6976Z, 0u);
        EXPECT_EQ(calcBlock.baseConditions.optionalBaseInvalid, c.replaced ? 1u : 0u);
        EXPECT_EQ(optional.baseTemperature, c.replaced ? 273.15 : 288.15);
        EXPECT_EQ(optional.basePressure, 1.01325);
        const uint32_t expected = c.replaced ? status::kInvalid : 0u;
        EXPECT_EQ(statusOf("OptionalBaseOutput.On.AirZ"), expected);
        EXPECT_EQ(statusOf("OptionalBaseOutput.On.AirDensity"), expected);
        // DETAIL's Z of air agrees with the tabulated Z of dry air at the same conditions.
        EXPECT_NEAR(value("OptionalBaseOutput.On.AirZ"), c.replaced ? 0.99941 : 0.99958, 5e-5);
        EXPECT_NEAR(value("OptionalBaseOutput.On.AirDensity"),
                    airDensity(28.9626, 1.01325, optional.baseTemperature, 0.00831451,
                               value("OptionalBaseOutput.On.AirZ")),
                    1e-12);
    }
}

TEST_F(BaseConditionsTest, OptionalTemperatureNotInUseKeepsTheResultTemperature) {
    startCalc("Default");
    changeCode("Base1.RefCond", 3);
    tree().setInUse("OptionalBaseOutput.On.tb_set", false);
    bindOptionalBase(40.0, 1.5);
    cycle();
    EXPECT_EQ(calcBlock.baseConditions.optionalBase.baseTemperature, 288.15);
    EXPECT_EQ(calcBlock.baseConditions.optionalBase.basePressure, 1.5);
    // Without the node, the second state is the result state.
    tree().setSelectedChoice("OptionalBaseOutput", 0);
    tree().markChanged();
    tree().deliverChanges();
    cycle();
    EXPECT_EQ(calcBlock.optionalOutputs.optionalBaseOutput, nullptr);
    EXPECT_EQ(calcBlock.baseConditions.optionalBase.useIso6976Z, 1u);
    EXPECT_EQ(calcBlock.baseConditions.optionalBase.basePressure, 1.01325);
}

TEST_F(BaseConditionsTest, AirEvaluationLeavesTheGasRangeFlagsAlone) {
    startCalc("Default");
    setMethods(2, 1);
    change("8.CalcMethodOption", 1);
    setAnalysis({{"CH4", 75.0}, {"N2", 25.0}});
    cycle();
    ASSERT_EQ(calcBlock.aga8RangeFlags.flags[kN2], 1);
    // A reload evaluates air at the optional base conditions; the gas's marks stay.
    bindOptionalBase(15.0, 1.01325);
    cycle();
    EXPECT_EQ(statusOf("Comp.ExpN2"), status::kInvalid);
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.AirZ"), 0u);
}

}  // namespace
