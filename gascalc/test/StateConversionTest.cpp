// The conversion from the measuring state to the base states: the measuring conditions with
// their defaults, the constant method, K and C with their status words, the measuring density
// and the properties at the second base state.
#include <cmath>
#include <limits>

#include "CalcFixture.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

class StateConversionTest : public CalcFixture {
  protected:
    void startGas1() {
        startCalc("Default");
        setAnalysis(ValidationGas1());
        setMeasuring(60.0, 16.85);
        setInput("Source.Rhob.rhob_imp", 0.75);
        setInput("Source.Rhob.d_imp", 0.58);
        setInput("Source.HVHM.HsV_imp", 40.0);
    }
    void bindOptionalBase(double tCelsius, double pBar) {
        tree().setSelectedChoice("OptionalBaseOutput", 1);
        tree().setDouble("OptionalBaseOutput.On.tb_set", tCelsius);
        tree().setDouble("OptionalBaseOutput.On.pb_set", pBar);
        tree().setDouble("OptionalBaseOutput.On.ZmZb_on_error", 0.8);
        tree().markChanged();
        tree().deliverChanges();
    }
};

// C = (p / pb) (Tb / T) / K.
double conversionFactor(double p, double T, double pb, double Tb, double K) {
    return (p / pb) * (Tb / T) / K;
}

TEST_F(StateConversionTest, ConstantMethodUsesTheConstantsOfBothStates) {
    const struct {
        int32_t calcMethod;
        int32_t measCalcMethod;
    } cases[] = {{17, 1}, {2, 16}, {17, 16}};
    startGas1();
    change("Base1.ZmZb_on_error", 0.85);
    bindOptionalBase(15.0, 1.01325);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calcMethod * 100 + c.measCalcMethod);
        setMethods(c.calcMethod, c.measCalcMethod);
        cycle();
        EXPECT_EQ(value("MeasCond.Zm"), 0.0);
        EXPECT_EQ(statusOf("MeasCond.Zm"), status::kNotInUse);
        EXPECT_EQ(value("Base1.Zb"), 0.0);
        EXPECT_EQ(statusOf("Base1.Zb"), status::kNotInUse);
        EXPECT_EQ(value("Base1.K"), 0.85);
        EXPECT_EQ(statusOf("Base1.K"), 0u);
        EXPECT_NEAR(value("Base1.C"), conversionFactor(60.0, 290.0, 1.01325, 273.15, 0.85), 1e-9);
        EXPECT_EQ(value("OptionalBaseOutput.On.K"), 0.8);
        EXPECT_NEAR(value("OptionalBaseOutput.On.C"),
                    conversionFactor(60.0, 290.0, 1.01325, 288.15, 0.8), 1e-9);
        EXPECT_FALSE(message("Mesg_C_failure"));
    }
}

TEST_F(StateConversionTest, ConstantRatioOutOfUseIsOne) {
    startGas1();
    bindOptionalBase(15.0, 1.01325);
    change("Base1.ZmZb_on_error", 0.85);
    setMethods(17, 16);
    cycle();
    EXPECT_EQ(value("Base1.K"), 0.85);
    EXPECT_EQ(value("OptionalBaseOutput.On.K"), 0.8);
    setInUse("Base1.ZmZb_on_error", false);
    setInUse("OptionalBaseOutput.On.ZmZb_on_error", false);
    cycle();
    EXPECT_EQ(value("Base1.K"), 1.0);
    EXPECT_EQ(value("OptionalBaseOutput.On.K"), 1.0);
}

TEST_F(StateConversionTest, ConstantMethodFactorThatCannotBeFormedIsMarked) {
    const double huge = std::numeric_limits<double>::max();
    const struct {
        const char* name;
        double p, t;
    } cases[] = {
        {"pressure at the largest number: C overflows", huge, 16.85},
        {"temperature at the largest number: p T K overflows", 60.0, huge},
    };
    startGas1();
    setMethods(17, 16);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setMeasuring(c.p, c.t);
        cycle();
        EXPECT_EQ(value("Base1.C"), 1.0);
        EXPECT_EQ(statusOf("Base1.C"), status::kInvalid);
        EXPECT_EQ(value("MeasCond.rhom"), 0.75);
        EXPECT_EQ(statusOf("MeasCond.rhom"), status::kInvalid);
    }
    // A measuring state that gives a factor keeps it unmarked.
    setMeasuring(60.0, 16.85);
    cycle();
    EXPECT_NEAR(value("Base1.C"), conversionFactor(60.0, 290.0, 1.01325, 273.15, 1.0), 1e-9);
    EXPECT_EQ(statusOf("Base1.C"), 0u);
    EXPECT_EQ(statusOf("MeasCond.rhom"), 0u);
}

TEST_F(StateConversionTest, MeasuringConditionsOutOfRangeTakeTheirDefaults) {
    const struct {
        const char* name;
        double p, t;
        uint32_t pStatus, tStatus;
        double pWritten, tWritten;
        uint32_t pExpected, tExpected;
    } cases[] = {
        {"valid", 60.0, 16.85, 0, 0, 60.0, 16.85, 0, 0},
        {"pressure 0 (missing)", 0.0, 16.85, 0, 0, 1.01325, 16.85, status::kInvalid, 0},
        {"pressure negative", -5.0, 16.85, 0, 0, 1.01325, 16.85, status::kInvalid, 0},
        {"pressure not a number", std::nan(""), 16.85, 0, 0, 1.01325, 16.85, status::kInvalid, 0},
        {"temperature below 1 K", 60.0, -273.0, 0, 0, 60.0, 0.0, 0, status::kInvalid},
        {"pressure below its limit", 60.0, 16.85, status::kBelowLimit, 0, 60.0, 16.85,
         status::kInvalid, 0},
        {"temperature above its warning limit", 60.0, 16.85, 0, status::kAboveWarning, 60.0, 16.85,
         0, 0},
    };
    startGas1();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setInput("MeasCond.p_imp", c.p, c.pStatus);
        setInput("MeasCond.t_imp", c.t, c.tStatus);
        cycle();
        EXPECT_NEAR(value("MeasCond.p"), c.pWritten, 1e-12);
        EXPECT_NEAR(value("MeasCond.t"), c.tWritten, 1e-12);
        EXPECT_EQ(statusOf("MeasCond.p"), c.pExpected);
        EXPECT_EQ(statusOf("MeasCond.t"), c.tExpected);
        // Zm is computed at the substituted state and marked with it.
        const bool invalid = (c.pExpected | c.tExpected) != 0;
        EXPECT_EQ(statusOf("MeasCond.Zm"), invalid ? status::kInvalid : 0u);
        EXPECT_EQ(statusOf("Base1.C"), invalid ? status::kInvalid : 0u);
        // Zb is computed at the base state alone; K follows Zm's status.
        EXPECT_EQ(statusOf("Base1.Zb"), 0u);
        EXPECT_EQ(statusOf("Base1.K"), invalid ? status::kInvalid : 0u);
        EXPECT_EQ(message("Mesg_C_failure"), invalid);
    }
}

TEST_F(StateConversionTest, DetailConversionFactorAndMeasuringDensity) {
    startGas1();
    setMethods(2, 1);
    cycle();
    // Gas 1 at 60 bar, 290 K: Zm = 0.88006 (validation data, 1e-5).
    const double zm = value("MeasCond.Zm");
    EXPECT_NEAR(zm, 0.88006, 2e-5);
    const double zb = value("Base1.Zb");
    EXPECT_NEAR(value("Base1.C"), conversionFactor(60.0, 290.0, 1.01325, 273.15, zm / zb), 1e-9);
    // The base density at the result set (the import is at set 1 too) times C.
    EXPECT_NEAR(value("MeasCond.rhom"), 0.75 * value("Base1.C"), 1e-12);
    EXPECT_EQ(statusOf("MeasCond.rhom"), 0u);
    // A base density above its limit: the measuring density is invalid, the factor is not.
    setInput("Source.Rhob.rhob_imp", 0.75, status::kAboveLimit);
    cycle();
    EXPECT_EQ(statusOf("MeasCond.rhom"), status::kInvalid);
    EXPECT_EQ(statusOf("Base1.C"), 0u);
    setInput("Source.Rhob.rhob_imp", 0.75);
    // A base density not in use: the measuring density is not in use either.
    setInUse("Source.Rhob.rhob_imp", false);
    cycle();
    EXPECT_NE(statusOf("MeasCond.rhom") & status::kNotInUse, 0u);
}

TEST_F(StateConversionTest, NonPositiveKGivesFactorOneAndDefaultDensity) {
    startGas1();
    change("Base1.ZmZb_on_error", -1.0);
    setMethods(17, 16);
    cycle();
    EXPECT_EQ(value("Base1.C"), 1.0);
    EXPECT_EQ(statusOf("Base1.K"), status::kInvalid);
    EXPECT_EQ(value("MeasCond.rhom"), 0.71746);
    EXPECT_EQ(statusOf("MeasCond.rhom"), status::kInvalid);
}

TEST_F(StateConversionTest, SecondBaseStateConvertsTheBaseProperties) {
    startGas1();
    setInput("Source.HVHM.HsM_imp", 55.4);
    setInput("Source.HVHM.HiM_imp", 49.9);
    setMethods(2, 1);
    // The second state at the result state's own conditions: C1 equals C2 and the properties
    // are copied unchanged.
    bindOptionalBase(0.0, 1.01325);
    traces.clear();
    cycle();
    EXPECT_TRUE(traces.contains(0xd00a7));
    EXPECT_EQ(value("OptionalBaseOutput.On.C"), value("Base1.C"));
    EXPECT_EQ(value("OptionalBaseOutput.On.rhob"), value("Base1.rhob"));
    EXPECT_EQ(value("OptionalBaseOutput.On.HsV"), value("Base1.HsV"));
    EXPECT_EQ(value("OptionalBaseOutput.On.tb"), 0.0);
    // At 15 degC the properties scale with C1 / C2; the relative density follows from the air
    // density of the second state and the Wobbe index from both.
    bindOptionalBase(15.0, 1.01325);
    cycle();
    const double ratio = value("Base1.C") / value("OptionalBaseOutput.On.C");
    EXPECT_NEAR(ratio, 273.15 / 288.15, 2e-3);  // ideal gas, within the real-gas correction
    EXPECT_NEAR(value("OptionalBaseOutput.On.rhob"), value("Base1.rhob") * ratio, 1e-12);
    // The measuring density stays that of the result state.
    EXPECT_NEAR(value("MeasCond.rhom"), value("Base1.rhob") * value("Base1.C"), 1e-12);
    const double d =
        value("OptionalBaseOutput.On.rhob") / calcBlock.baseConditions.optionalBase.airDensity;
    EXPECT_NEAR(value("OptionalBaseOutput.On.d"), d, 1e-12);
    EXPECT_NEAR(value("OptionalBaseOutput.On.HsV"), value("Base1.HsV") * ratio, 1e-12);
    EXPECT_NEAR(value("OptionalBaseOutput.On.Ws"),
                value("OptionalBaseOutput.On.HsV") / std::sqrt(d), 1e-12);
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.HsV"), 0u);
    // Per-kilogram values do not depend on the metering state: carried over unchanged.
    EXPECT_EQ(value("OptionalBaseOutput.On.HsM"), value("Base1.HsM"));
    EXPECT_NEAR(value("Base1.HsM"), 55.4, 1e-12);
    EXPECT_EQ(value("OptionalBaseOutput.On.HiM"), value("Base1.HiM"));
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.HsM"), 0u);
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.HiM"), 0u);
    // Inferior values are not imported in this gas: 0.0 marked.
    EXPECT_EQ(value("OptionalBaseOutput.On.Wi"), 0.0);
    EXPECT_NE(statusOf("OptionalBaseOutput.On.Wi") & status::kInvalid, 0u);
    EXPECT_EQ(value("OptionalBaseOutput.On.pb"), 1.01325);
    EXPECT_EQ(value("OptionalBaseOutput.On.tb"), 15.0);
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.Zb"), 0u);
}

}  // namespace
