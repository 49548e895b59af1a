// The conversion from the measuring state to the base states: the measuring conditions with
// their defaults, the constant method, K and C with their status words, the measuring density
// and the properties at the second base state.
#include <array>
#include <cmath>
#include <limits>

#include "CalcFixture.h"
#include "StateConversion.h"
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

// The eight properties of the second base state, in their record's order.
constexpr const char* kSecondBaseNames[kSecondBaseValues] = {"rhob", "d",   "HsV", "HiV",
                                                             "HsM",  "HiM", "Ws",  "Wi"};
// Base density, relative density, HsV, HiV, HsM and HiM of a base state.
using BaseProperties = std::array<double, 6>;
// The imported properties of the tests below, at set 1 as Source and Base1 (the Wobbe indices
// imported follow from them).
constexpr BaseProperties kImported = {0.75, 0.58, 40.0, 36.0, 55.4, 49.9};
constexpr uint32_t kAllGood[kSecondBaseValues] = {};
constexpr uint32_t kAllInvalid[kSecondBaseValues] = {
    status::kInvalid, status::kInvalid, status::kInvalid, status::kInvalid,
    status::kInvalid, status::kInvalid, status::kInvalid, status::kInvalid};
// Only the relative density and the Wobbe indices invalid, the values that rest on the second
// state's air density.
constexpr uint32_t kDAndWobbeInvalid[kSecondBaseValues] = {
    0, status::kInvalid, 0, 0, 0, 0, status::kInvalid, status::kInvalid};

// The first base state's properties taken to a state whose air density is `airDensity` by
// ratio = C1 / C2: per volume scaled, per mass unchanged, the relative density formed with that
// air density and the Wobbe indices with it; the three are 0.0 where that air density is not
// positive.
std::array<double, kSecondBaseValues> scaledProperties(const BaseProperties& first, double ratio,
                                                       double airDensity) {
    const double rhob = first[0] * ratio;
    const double hsV = first[2] * ratio;
    const double hiV = first[3] * ratio;
    if (!(airDensity > 0.0)) {
        return {rhob, 0.0, hsV, hiV, first[4], first[5], 0.0, 0.0};
    }
    const double d = rhob / airDensity;
    return {rhob, d, hsV, hiV, first[4], first[5], hsV / std::sqrt(d), hiV / std::sqrt(d)};
}

// The first base state's properties as published for it, with the Wobbe indices they give.
std::array<double, kSecondBaseValues> copiedProperties(const BaseProperties& first) {
    const double d = first[1];
    return {first[0],
            d,
            first[2],
            first[3],
            first[4],
            first[5],
            first[2] / std::sqrt(d),
            first[3] / std::sqrt(d)};
}

class SecondBaseStateTest : public StateConversionTest {
  protected:
    // Gas 1 with every property imported at set 1 and the second base state bound at
    // `tCelsius` and `pBar`.
    void startImported(double tCelsius, double pBar = 1.01325) {
        startGas1();
        const char* const paths[6] = {"Source.Rhob.rhob_imp", "Source.Rhob.d_imp",
                                      "Source.HVHM.HsV_imp",  "Source.HVHM.HiV_imp",
                                      "Source.HVHM.HsM_imp",  "Source.HVHM.HiM_imp"};
        for (int i = 0; i < 6; ++i) {
            setInput(paths[i], kImported[i]);
        }
        const std::array<double, kSecondBaseValues> copied = copiedProperties(kImported);
        setInput("Source.HVHM.Ws_imp", copied[6]);
        setInput("Source.HVHM.Wi_imp", copied[7]);
        bindOptionalBase(tCelsius, pBar);
    }
    // The eight published values within `tolerance` relative of `expected`, and their status
    // words exactly.
    void expectPublished(const std::array<double, kSecondBaseValues>& expected,
                         const uint32_t (&statuses)[kSecondBaseValues], double tolerance) {
        for (int i = 0; i < kSecondBaseValues; ++i) {
            const std::string path = std::string("OptionalBaseOutput.On.") + kSecondBaseNames[i];
            EXPECT_NEAR(value(path), expected[i], tolerance * expected[i]) << path;
            EXPECT_EQ(statusOf(path), statuses[i]) << path;
        }
    }
};

// How the second state's air came out of the reload.
enum class SecondAir {
    kEvaluated,           // at the node's own conditions
    kConditionsReplaced,  // at 273.15 K and 1.01325 bar, the node's being out of range
    kEvaluationFailed,    // not evaluated: the result conditions' air values stand in
};

TEST_F(SecondBaseStateTest, EachPropertyCarriesTheFailureOfEitherFactor) {
    // The conversion alone, on factors and inputs set for each case: a factor fails by its
    // status bit (a positive number that could not be made valid), by its fallback 1.0 (one that
    // could not be formed, marked too) or by not being positive; C1, C2 or both. Beside them,
    // what the second state's air leaves on the values formed with it.
    constexpr double kAirDensity = 1.45;  // kg/m3, about that of air at -30 degC
    const double nan = std::nan("");
    const uint32_t densityBad[kSecondBaseValues] = {status::kAboveLimit | status::kInvalid,
                                                    status::kAboveLimit | status::kInvalid,
                                                    status::kInvalid,
                                                    status::kInvalid,
                                                    status::kInvalid,
                                                    status::kInvalid,
                                                    status::kAboveLimit | status::kInvalid,
                                                    status::kAboveLimit | status::kInvalid};
    const uint32_t densityAboveLimit[kSecondBaseValues] = {
        status::kAboveLimit, status::kAboveLimit, 0, 0, 0, 0,
        status::kAboveLimit, status::kAboveLimit};
    const struct {
        const char* name;
        double c1;
        uint32_t statusC1;
        double c2;
        uint32_t statusC2;
        SecondAir air;
        double airDensity;       // of the second state
        uint32_t densityStatus;  // of the base density at the result conditions
        bool scaled;             // else copied
        const uint32_t (&expected)[kSecondBaseValues];
    } cases[] = {
        {"both factors good", 36.0, 0, 40.0, 0, SecondAir::kEvaluated, kAirDensity, 0, true,
         kAllGood},
        {"C1 marked", 36.0, status::kInvalid, 40.0, 0, SecondAir::kEvaluated, kAirDensity, 0, true,
         kAllInvalid},
        {"C2 marked", 36.0, 0, 40.0, status::kInvalid, SecondAir::kEvaluated, kAirDensity, 0, true,
         kAllInvalid},
        {"both marked", 36.0, status::kInvalid, 40.0, status::kInvalid, SecondAir::kEvaluated,
         kAirDensity, 0, true, kAllInvalid},
        {"C1 fell back to 1.0", 1.0, status::kInvalid, 40.0, 0, SecondAir::kEvaluated, kAirDensity,
         0, true, kAllInvalid},
        {"C2 fell back to 1.0", 36.0, 0, 1.0, status::kInvalid, SecondAir::kEvaluated, kAirDensity,
         0, true, kAllInvalid},
        {"both fell back to 1.0: equal, copied", 1.0, status::kInvalid, 1.0, status::kInvalid,
         SecondAir::kEvaluated, kAirDensity, 0, false, kAllInvalid},
        {"equal good factors: copied", 40.0, 0, 40.0, 0, SecondAir::kEvaluated, kAirDensity, 0,
         false, kAllGood},
        {"C1 zero", 0.0, 0, 40.0, 0, SecondAir::kEvaluated, kAirDensity, 0, false, kAllInvalid},
        {"C2 negative", 36.0, 0, -40.0, 0, SecondAir::kEvaluated, kAirDensity, 0, false,
         kAllInvalid},
        {"second state's conditions replaced: its values at the replacement, unmarked", 36.0, 0,
         40.0, 0, SecondAir::kConditionsReplaced, kAirDensity, 0, true, kAllGood},
        {"conditions replaced, equal factors: copied, unmarked", 40.0, 0, 40.0, 0,
         SecondAir::kConditionsReplaced, kAirDensity, 0, false, kAllGood},
        {"conditions replaced and C2 marked", 36.0, 0, 40.0, status::kInvalid,
         SecondAir::kConditionsReplaced, kAirDensity, 0, true, kAllInvalid},
        {"second state's air not evaluated: d and the Wobbe indices marked", 36.0, 0, 40.0, 0,
         SecondAir::kEvaluationFailed, kAirDensity, 0, true, kDAndWobbeInvalid},
        {"air not evaluated, equal factors: copied, d and the Wobbe indices marked", 40.0, 0, 40.0,
         0, SecondAir::kEvaluationFailed, kAirDensity, 0, false, kDAndWobbeInvalid},
        {"air density zero: d and the Wobbe indices cannot be formed", 36.0, 0, 40.0, 0,
         SecondAir::kEvaluated, 0.0, 0, true, kDAndWobbeInvalid},
        {"air density not a number", 36.0, 0, 40.0, 0, SecondAir::kEvaluated, nan, 0, true,
         kDAndWobbeInvalid},
        {"base density above its limit: carried to d and the Wobbe indices", 36.0, 0, 40.0, 0,
         SecondAir::kEvaluated, kAirDensity, status::kAboveLimit, true, densityAboveLimit},
        {"base density above its limit and C2 marked", 36.0, 0, 40.0, status::kInvalid,
         SecondAir::kEvaluated, kAirDensity, status::kAboveLimit, true, densityBad},
    };
    startImported(-30.0);
    cycle();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StateConversionRecords& records = calcBlock.conversion;
        records.state[0].C = c.c1;
        records.state[0].statusC = c.statusC1;
        records.state[1].C = c.c2;
        records.state[1].statusC = c.statusC2;
        BaseConditionRecords& base = calcBlock.baseConditions;
        base.optionalBase.airDensity = c.airDensity;
        base.optionalBaseInvalid = c.air != SecondAir::kEvaluated ? 1 : 0;
        base.optionalAirFailed = c.air == SecondAir::kEvaluationFailed ? 1 : 0;
        calcBlock.imported.densityOutputs.status[kOutBaseDensity] = c.densityStatus;
        calcBlock.imported.densityOutputs.status[kOutRelativeDensity] = c.densityStatus;
        ConvertSecondBaseProperties();
        expectPublished(c.scaled ? scaledProperties(kImported, c.c1 / c.c2, c.airDensity)
                                 : copiedProperties(kImported),
                        c.expected, 1e-12);
    }
}

TEST_F(SecondBaseStateTest, FailedFactorsOfTheCycleMarkTheSecondBaseState) {
    // Gas 1 at 40 bar and 10 degC, the second state at -30 degC with K2 = 0.8 when its Zb
    // fails. Factors of the constant method: C = (p / pb) (Tb / T) / K. Values within 1e-12
    // relative of those formed from the imported ones (the scaling is a few operations).
    const double huge = std::numeric_limits<double>::max();
    const double c1Constant = conversionFactor(40.0, 283.15, 1.01325, 273.15, 0.85);
    const double c2Constant = conversionFactor(40.0, 283.15, 1.01325, 243.15, 0.8);
    const struct {
        const char* name;
        int32_t calcMethod, measCalcMethod;
        double pressure;
        double k1, k2;  // the constants of the two states
        double c1;      // expected C1; 0: from the published Zm and Zb
        uint32_t statusC1;
        double c2;
        uint32_t statusC2;
        bool scaled;
        const uint32_t (&expected)[kSecondBaseValues];
    } cases[] = {
        {"constant method, both factors good", 17, 16, 40.0, 0.85, 0.8, c1Constant, 0, c2Constant,
         0, true, kAllGood},
        {"NX-19: Zb at -30 degC outside its window, C2 from K2 marked", 16, 15, 40.0, 0.85, 0.8,
         0.0, 0, c2Constant, status::kInvalid, true, kAllInvalid},
        {"constant K1 1e-307: C1 cannot be formed and falls back", 17, 16, 40.0, 1e-307, 0.8, 1.0,
         status::kInvalid, c2Constant, 0, true, kAllInvalid},
        {"constant K2 1e-307: C2 cannot be formed and falls back", 17, 16, 40.0, 0.85, 1e-307,
         c1Constant, 0, 1.0, status::kInvalid, true, kAllInvalid},
        {"pressure at the largest number: both fall back, copied", 17, 16, huge, 0.85, 0.8, 1.0,
         status::kInvalid, 1.0, status::kInvalid, false, kAllInvalid},
    };
    startImported(-30.0);
    setMeasuring(40.0, 10.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        change("Base1.ZmZb_on_error", c.k1);
        change("OptionalBaseOutput.On.ZmZb_on_error", c.k2);
        setMethods(c.calcMethod, c.measCalcMethod);
        setInput("MeasCond.p_imp", c.pressure);
        cycle();
        const double c1 = value("Base1.C");
        const double c2 = value("OptionalBaseOutput.On.C");
        const double expectedC1 = c.c1 != 0.0
                                      ? c.c1
                                      : conversionFactor(40.0, 283.15, 1.01325, 273.15,
                                                         value("MeasCond.Zm") / value("Base1.Zb"));
        EXPECT_NEAR(c1, expectedC1, 1e-12 * expectedC1);
        EXPECT_EQ(statusOf("Base1.C"), c.statusC1);
        EXPECT_NEAR(c2, c.c2, 1e-12 * c.c2);
        EXPECT_EQ(statusOf("OptionalBaseOutput.On.C"), c.statusC2);
        // The air density of the second state: that of an ideal gas of molar mass 28.96 g/mol
        // within the real-gas correction of air at -30 degC.
        const double airDensity = value("OptionalBaseOutput.On.AirDensity");
        EXPECT_NEAR(airDensity, 28.9626 * 0.101325 / (0.0083144621 * 243.15), 2e-3);
        expectPublished(c.scaled ? scaledProperties(kImported, c1 / c2, airDensity)
                                 : copiedProperties(kImported),
                        c.expected, 1e-12);
    }
}

TEST_F(SecondBaseStateTest, ReplacedConditionsMarkOnlyTheAirValues) {
    // Gas 1 of ISO 12213-2 at 60 bar and 16.85 degC with DETAIL. The second state's conditions,
    // out of range, are replaced by 0 degC and 1.01325 bar, the state of the imports: with Base1
    // at set 1 as well the two factors are equal and the properties copied, with Base1 at set 3
    // (15 degC) they are scaled back from 15 degC. Either way only the air values are marked.
    const struct {
        const char* name;
        double tCelsius, pBar;
        uint32_t base1Set;
        bool scaled;
    } cases[] = {
        {"-80 degC, factors differ", -80.0, 1.01325, 3, true},
        {"0.05 bar, factors differ", 15.0, 0.05, 3, true},
        {"-80 degC, factors equal", -80.0, 1.01325, 1, false},
        {"0.05 bar, factors equal", 0.0, 0.05, 1, false},
    };
    startImported(15.0);
    setMethods(2, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        changeCode("Base1.RefCond", c.base1Set);
        bindOptionalBase(c.tCelsius, c.pBar);
        traces.clear();
        cycle();
        EXPECT_TRUE(traces.contains(c.scaled ? 0xd00b7 : 0xd00a7));
        EXPECT_EQ(value("OptionalBaseOutput.On.tb"), 0.0);
        EXPECT_EQ(value("OptionalBaseOutput.On.pb"), 1.01325);
        for (const char* name : {"C", "K", "Zb"}) {
            EXPECT_EQ(statusOf(std::string("OptionalBaseOutput.On.") + name), 0u) << name;
        }
        EXPECT_EQ(statusOf("OptionalBaseOutput.On.AirZ"), status::kInvalid);
        EXPECT_EQ(statusOf("OptionalBaseOutput.On.AirDensity"), status::kInvalid);
        // Dry air at 0 degC and 101.325 kPa (ISO 6976): 1.29292 kg/m3, within 1e-4 relative.
        const double airDensity = value("OptionalBaseOutput.On.AirDensity");
        EXPECT_NEAR(airDensity, 1.29292, 1e-4 * 1.29292);
        const BaseProperties first = {value("Base1.rhob"), value("Base1.d"),   value("Base1.HsV"),
                                      value("Base1.HiV"),  value("Base1.HsM"), value("Base1.HiM")};
        const double ratio = value("Base1.C") / value("OptionalBaseOutput.On.C");
        expectPublished(
            c.scaled ? scaledProperties(first, ratio, airDensity) : copiedProperties(first),
            kAllGood, 1e-12);
        // Back at the imports' state: their base density, and the relative density it gives
        // with that air, within 2e-4 relative (the two states' compression factors come from
        // different methods).
        EXPECT_NEAR(value("OptionalBaseOutput.On.rhob"), kImported[0], 2e-4 * kImported[0]);
        EXPECT_NEAR(value("OptionalBaseOutput.On.d"), kImported[0] / 1.29292,
                    2e-4 * kImported[0] / 1.29292);
    }
}

TEST_F(SecondBaseStateTest, SecondStateAirNotEvaluatedMarksWhatRestsOnIt) {
    // At 50000 degC and 200 bar (far beyond any range; not checked with CalcMethodOption 0) the
    // solve for air fails where the gas's succeeds: the result conditions' air density stands
    // in, so the relative density formed with it, and the Wobbe indices formed with that, are no
    // values of the second state.
    startImported(50000.0, 200.0);
    setMethods(2, 1);
    cycle();
    ASSERT_EQ(calcBlock.baseConditions.optionalAirFailed, 1u);
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.AirDensity"), status::kInvalid);
    const double airDensity = value("OptionalBaseOutput.On.AirDensity");
    EXPECT_EQ(airDensity, value("Base1.AirDensity"));
    EXPECT_EQ(statusOf("OptionalBaseOutput.On.C"), 0u);
    expectPublished(scaledProperties(kImported, value("Base1.C") / value("OptionalBaseOutput.On.C"),
                                     airDensity),
                    kDAndWobbeInvalid, 1e-12);
}

}  // namespace
