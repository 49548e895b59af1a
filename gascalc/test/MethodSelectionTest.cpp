// The method codes and their methods: every "CalcMethod" and MeasCalcMethod code reaches its
// method with the inputs it needs, those inputs are marked and tested, and rejected codes,
// failing methods and unusable inputs give Z 1.0 with their status.
#include <cstring>

#include "CalcFixture.h"
#include "MethodSelection.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

// The validation gas 1 state of the AGA8-92 DETAIL data: 60 bar, 290 K, Z = 0.88006 (to 1e-5).
constexpr double kGas1Pressure = 60.0;
constexpr double kGas1Temperature = 290.0;
constexpr double kGas1Z = 0.88006;

TEST(IsValueUnusable, InitAlwaysFaultFlagsOnlyWithoutLevel) {
    const struct {
        uint32_t word;
        int32_t unusable;
    } cases[] = {
        {0x0, 0},   {0x2, 1},    {0x02000002, 1}, {0x1, 1},        {0x01000001, 0}, {0x4, 1},
        {0x8, 1},   {0x80, 1},   {0x1000, 1},     {0x07001000, 0}, {0x100, 0},      {0x200, 0},
        {0x400, 0}, {0x4000, 0}, {0x8000, 0},     {0x10, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValueUnusable(c.word), c.unusable) << std::hex << c.word;
    }
}

TEST(MethodCodes, BothTablesNumberTheSameMethods) {
    // "CalcMethod" 1 to 23 and MeasCalcMethod 1 to 22; the constant (17, 16) has no index.
    for (int32_t code = -1; code <= 25; ++code) {
        int32_t expected = -1;
        if (code >= 1 && code <= 16) {
            expected = code - 1;
        } else if (code >= 18 && code <= 23) {
            expected = code - 2;
        }
        EXPECT_EQ(MethodIndexOfCalcMethod(code), expected) << code;
        const int32_t meas = MethodIndexOfMeasCalcMethod(code - 1);
        // MeasCalcMethod numbers the same methods one lower; it has no code for index 0.
        EXPECT_EQ(meas, code == 1 ? -1 : expected) << code - 1;
    }
}

class MethodSelectionTest : public CalcFixture {
  protected:
    // Default layout with gas 1 at its validation state; the imported heating value and
    // densities are those the ISO 6976 step computes for the gas at set 5, the reference of
    // the methods, so that every method describes the same gas.
    void startGas1(const std::string& taste = "Default") {
        startCalc(taste, [](nlohmann::json& model) {
            calorant_test::modelNode(model, {7, 0})["value"] = 5;
        });
        setAnalysis(ValidationGas1());
        setMeasuring(kGas1Pressure, kGas1Temperature - 273.15);
        cycle();
        setInput("Source.HVHM.HsV_imp", value("Source.Iso6976.HsV"));
        setInput("Source.Rhob.rhob_imp", value("Source.Iso6976.rhob"));
        setInput("Source.Rhob.d_imp", value("Source.Iso6976.d"));
        cycle();
    }

    // Expects the measuring state's method to have failed: Zm and Zb 1.0, both marked invalid
    // where published, and K the configured `substitute`, marked invalid.
    void expectMethodFailed(double substitute) {
        EXPECT_EQ(value("MeasCond.Zm"), 1.0);
        EXPECT_EQ(calcBlock.conversion.meas.zResult.success, 0);
        EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
        EXPECT_EQ(value("Base1.Zb"), 1.0);
        EXPECT_EQ(value("Base1.K"), substitute);
        EXPECT_EQ(statusOf("Base1.K"), status::kInvalid);
    }
};

TEST_F(MethodSelectionTest, EveryCodeReachesItsMethodForTheValidationGas) {
    // Method families and how close each comes to the DETAIL value of the validation gas.
    constexpr double kAga8 = 2e-5;     // the validation tolerance of the data, and rounding
    constexpr double kSgerg = 1.5e-3;  // SGERG-88 against DETAIL for pipeline gas (0.15 %)
    constexpr double kNx19 = 1.5e-2;   // AGA NX-19 (1.5 %)
    const struct {
        int32_t calcMethod;
        double tolerance;
    } cases[] = {{2, kAga8},   {3, kAga8},   {4, kSgerg},  {5, kSgerg},  {6, kSgerg},  {7, kSgerg},
                 {8, kSgerg},  {9, kSgerg},  {10, kSgerg}, {11, kSgerg}, {12, kSgerg}, {13, kSgerg},
                 {14, kNx19},  {15, kNx19},  {16, kNx19},  {18, kSgerg}, {19, kAga8},  {20, kSgerg},
                 {21, kSgerg}, {22, kSgerg}, {23, kSgerg}};
    startGas1();
    // DETAIL's Zb at the result set 1 (0 degC).
    changeCode("Base1.RefCond", 1);
    setMethods(2, 1);
    cycle();
    const double zbDetail = value("Base1.Zb");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calcMethod);
        traces.clear();
        setMethods(c.calcMethod, c.calcMethod - 1);
        cycle();
        EXPECT_FALSE(traces.contains(0xd0003));
        EXPECT_NEAR(value("MeasCond.Zm"), kGas1Z, c.tolerance);
        EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
        EXPECT_NEAR(value("Base1.Zb"), zbDetail, c.tolerance / 10);
        EXPECT_EQ(statusOf("Base1.Zb"), 0u);
        EXPECT_NEAR(value("Base1.K"), value("MeasCond.Zm") / value("Base1.Zb"), 1e-12);
        EXPECT_EQ(statusOf("Base1.C"), 0u);
        EXPECT_FALSE(message("Mesg_CL_failure"));
        EXPECT_FALSE(message("Mesg_C_failure"));
    }
    // "CalcMethod" 1: the summation-factor Z at the base state (no measuring-state code).
    setMethods(1, 1);
    cycle();
    EXPECT_NEAR(value("Base1.Zb"), zbDetail, 2e-4);
    EXPECT_EQ(statusOf("Base1.Zb"), 0u);
}

TEST_F(MethodSelectionTest, EachCodeFailsExactlyOnTheInputsItsMethodUses) {
    // The inputs of each method (HsV, base density, relative density, CO2, H2, N2, and the
    // analysis as a whole, here through C2H6): one marked INIT where it was read fails the
    // method at every state when the method uses it, and leaves Z in place when it does not.
    enum : unsigned { HsV = 1, Rhob = 2, D = 4, CO2 = 8, H2 = 16, N2 = 32, Gas = 64 };
    const struct {
        const char* path;
        double good;
        unsigned input;
    } inputs[] = {{"Source.HVHM.HsV_imp", 0.0, HsV}, {"Source.Rhob.rhob_imp", 0.0, Rhob},
                  {"Source.Rhob.d_imp", 0.0, D},     {"Comp.CO2.Imp", 0.6, CO2},
                  {"Comp.H2.Imp", 0.0, H2},          {"Comp.N2.Imp", 0.3, N2},
                  {"Comp.C2H6.Imp", 1.8, Gas}};
    constexpr unsigned kAnalysis = CO2 | H2 | N2 | Gas;
    // Variant 4 of SGERG-88 (codes 8 and 13) takes HsV for its range check only: its value does
    // not reach Z.
    constexpr unsigned kHsVRangeOnly = 128;
    const struct {
        int32_t calcMethod;
        unsigned uses;
    } cases[] = {{2, kAnalysis},
                 {3, kAnalysis},
                 {4, HsV | Rhob | CO2},
                 {5, HsV | Rhob | N2},
                 {6, HsV | Rhob | CO2 | H2},
                 {7, HsV | Rhob | H2 | N2},
                 {8, HsV | Rhob | CO2 | N2 | kHsVRangeOnly},
                 {9, HsV | D | CO2},
                 {10, HsV | D | N2},
                 {11, HsV | D | CO2 | H2},
                 {12, HsV | D | H2 | N2},
                 {13, HsV | D | CO2 | N2 | kHsVRangeOnly},
                 {14, D | CO2 | N2},
                 {15, Rhob | CO2 | N2},
                 {16, HsV | D | CO2 | N2},
                 {18, Rhob | CO2 | N2},
                 {19, kAnalysis},
                 {20, HsV | Rhob | CO2 | H2},
                 {21, HsV | Rhob | H2 | N2},
                 {22, HsV | D | CO2 | H2},
                 {23, HsV | D | H2 | N2}};
    startGas1();
    double good[sizeof(inputs) / sizeof(inputs[0])];
    for (size_t i = 0; i < sizeof(inputs) / sizeof(inputs[0]); ++i) {
        good[i] = inputs[i].good != 0.0 ? inputs[i].good : value(inputs[i].path);
    }
    for (const auto& c : cases) {
        setMethods(c.calcMethod, c.calcMethod - 1);
        cycle();
        const double zm = value("MeasCond.Zm");
        for (size_t i = 0; i < sizeof(inputs) / sizeof(inputs[0]); ++i) {
            if ((inputs[i].input & (HsV | Rhob | D)) != 0) {
                // The value reaches Z only when the method takes it.
                SCOPED_TRACE(testing::Message() << "CalcMethod " << c.calcMethod << ", "
                                                << inputs[i].path << " 5 % higher");
                setInput(inputs[i].path, good[i] * 1.05);
                cycle();
                const bool reachesZ = (c.uses & inputs[i].input) != 0 &&
                                      !(inputs[i].input == HsV && (c.uses & kHsVRangeOnly) != 0);
                EXPECT_EQ(value("MeasCond.Zm") != zm, reachesZ);
                setInput(inputs[i].path, good[i]);
            }
            SCOPED_TRACE(testing::Message()
                         << "CalcMethod " << c.calcMethod << ", " << inputs[i].path << " INIT");
            setInput(inputs[i].path, good[i], status::kInit);
            cycle();
            const bool used = (c.uses & inputs[i].input) != 0;
            EXPECT_EQ(calcBlock.conversion.meas.zResult.success, used ? 0 : 1);
            EXPECT_EQ(calcBlock.conversion.state[0].zResult.success, used ? 0 : 1);
            if (used) {
                EXPECT_EQ(value("MeasCond.Zm"), 1.0);
                EXPECT_EQ(value("Base1.Zb"), 1.0);
            } else {
                EXPECT_NE(value("MeasCond.Zm"), 1.0);
            }
            setInput(inputs[i].path, good[i]);
        }
    }
}

TEST_F(MethodSelectionTest, Nx19CodesGiveThePublishedValuesOfTheirForms) {
    // AGA NX-19 and its variants at 60 bar and 0 degC with 0.6 mol-% CO2 and 0.9 mol-% N2, as
    // the method's description gives them (rounded to six decimals): on G = 0.581 0.852999; on
    // the base density 0.79 kg/m3 (20 degC) 0.805917; NX-19 mod on Hs = 45.0 MJ/m3 and d = 0.62
    // 0.817082 with the high-Hs correction (0.829631 without).
    const struct {
        int32_t calcMethod;
        uint32_t set;  // of the imports and the results
        double hs, d, rhob;
        double z;
    } cases[] = {{14, 5, 40.0, 0.581, 0.75, 0.852999},
                 {15, 4, 40.0, 0.62, 0.79, 0.805917},
                 {16, 5, 45.0, 0.62, 0.75, 0.817082}};
    startCalc("Default");
    setAnalysis({{"CH4", 98.5}, {"CO2", 0.6}, {"N2", 0.9}});
    setMeasuring(60.0, 0.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calcMethod);
        changeCode("Source.RefCond", c.set);
        changeCode("Base1.RefCond", c.set);
        setInput("Source.HVHM.HsV_imp", c.hs);
        setInput("Source.Rhob.d_imp", c.d);
        setInput("Source.Rhob.rhob_imp", c.rhob);
        setMethods(c.calcMethod, c.calcMethod - 1);
        cycle();
        EXPECT_NEAR(value("MeasCond.Zm"), c.z, 1e-6);
        EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
    }
}

TEST_F(MethodSelectionTest, BaseDensityMethodsDoNotDependOnTheResultSet) {
    // NX-19 mod and SGERG-88 on the base density describe the gas by its density at 20 degC and
    // 1.01325 bar; the result set only states where the imported density is published. At 0, 15
    // and 20 degC the gas 1 Zm stays within the method's tolerance of DETAIL and the same.
    const struct {
        int32_t calcMethod;
        double tolerance;  // against DETAIL, as in the test above
    } cases[] = {{15, 1.5e-2}, {18, 1.5e-3}};
    startGas1();
    for (const auto& c : cases) {
        double zmAtSet4 = 0.0;
        for (uint32_t set : {4u, 1u, 3u}) {
            SCOPED_TRACE(testing::Message() << c.calcMethod << " at set " << set);
            changeCode("Base1.RefCond", set);
            setMethods(2, 1);
            cycle();
            const double zbDetail = value("Base1.Zb");
            setMethods(c.calcMethod, c.calcMethod - 1);
            cycle();
            EXPECT_NEAR(value("MeasCond.Zm"), kGas1Z, c.tolerance);
            EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
            EXPECT_NEAR(value("Base1.Zb"), zbDetail, c.tolerance / 10);
            if (set == 4u) {
                zmAtSet4 = value("MeasCond.Zm");
            }
            // Only the fixed factors of the density conversion lie between the sets.
            EXPECT_NEAR(value("MeasCond.Zm"), zmAtSet4, 2e-4);
        }
    }
}

TEST_F(MethodSelectionTest, EachMethodMarksExactlyTheInputsItUses) {
    enum { H = 1, B = 2, R = 4, C = 8, Y = 16, N = 32, X = 64 };  // HsV, rhob, d, CO2, H2, N2, comp
    const uint32_t expected[kMethodIndexCount] = {X,
                                                  X,
                                                  X,
                                                  H | B | C,
                                                  H | B | N,
                                                  H | B | C | Y,
                                                  H | B | Y | N,
                                                  H | B | C | N,
                                                  H | R | C,
                                                  H | R | N,
                                                  H | R | C | Y,
                                                  H | R | Y | N,
                                                  H | R | C | N,
                                                  R | C | N,
                                                  B | C | N,
                                                  H | R | C | N,
                                                  B | C | N,
                                                  X,
                                                  H | B | C | Y,
                                                  H | B | Y | N,
                                                  H | R | C | Y,
                                                  H | R | Y | N};
    startGas1();
    for (int32_t index = 0; index < kMethodIndexCount; ++index) {
        SCOPED_TRACE(index);
        std::memset(&calcBlock.useMarks, 0, sizeof(calcBlock.useMarks));
        ZResult zResult = {};
        const int32_t ok = CalcZByMethodIndex(index, kGas1Pressure, kGas1Temperature, zResult, 0,
                                              &calcBlock.baseConditions.result);
        const InputUseMarks& marks = calcBlock.useMarks;
        const uint32_t got = (marks.heatingValue ? H : 0) | (marks.baseDensity ? B : 0) |
                             (marks.relativeDensity ? R : 0) | (marks.component[kCO2] ? C : 0) |
                             (marks.component[kH2] ? Y : 0) | (marks.component[kN2] ? N : 0) |
                             (marks.composition ? X : 0);
        EXPECT_EQ(got, expected[index]);
        EXPECT_EQ(marks.calculationFailed, 0u);
        // Gas 1 carries no hydrogen: H2 is in use with 0 mol-%, so every method succeeds.
        EXPECT_EQ(ok, 1);
        EXPECT_EQ(zResult.notFullyValid, 0);
    }
    // Index 0 without a base record, and an index beyond the table, fail.
    ZResult zResult = {};
    EXPECT_EQ(CalcZByMethodIndex(0, 60.0, 290.0, zResult, 0, nullptr), 0);
    EXPECT_EQ(zResult.Z, 1.0);
    EXPECT_EQ(CalcZByMethodIndex(kMethodIndexCount, 60.0, 290.0, zResult, 0, nullptr), 0);
    EXPECT_EQ(zResult.notFullyValid, 1);
    EXPECT_TRUE(traces.contains(0xd0003));
}

TEST_F(MethodSelectionTest, RejectedCodesGiveZOneAndFallBackToTheConstant) {
    const struct {
        int32_t calcMethod;
        int32_t measCalcMethod;
        bool zbRejected;
        bool zmRejected;
    } cases[] = {{0, 1, true, false},
                 {24, 1, true, false},
                 {-3, 1, true, false},
                 {2, 0, false, true},
                 {2, 23, false, true}};
    startGas1();
    change("Base1.ZmZb_on_error", 0.9);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calcMethod * 100 + c.measCalcMethod);
        traces.clear();
        setMethods(c.calcMethod, c.measCalcMethod);
        cycle();
        EXPECT_EQ(traces.contains(0xd0083), c.zbRejected);
        EXPECT_EQ(traces.contains(0xd0093), c.zmRejected);
        if (c.zbRejected) {
            EXPECT_EQ(value("Base1.Zb"), 1.0);
            EXPECT_EQ(statusOf("Base1.Zb"), status::kInvalid);
        }
        if (c.zmRejected) {
            EXPECT_EQ(value("MeasCond.Zm"), 1.0);
            EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
        }
        // K falls back to the constant; C is still computed with it.
        EXPECT_EQ(value("Base1.K"), 0.9);
        EXPECT_EQ(statusOf("Base1.K"), status::kInvalid);
        EXPECT_EQ(statusOf("Base1.C"), status::kInvalid);
        EXPECT_NEAR(value("Base1.C"), (kGas1Pressure / 1.01325) * (273.15 / kGas1Temperature) / 0.9,
                    1e-9);
        EXPECT_TRUE(message("Mesg_C_failure"));
    }
}

TEST_F(MethodSelectionTest, InputUnusableAsReadMakesTheMethodFail) {
    // Each input the method uses, marked where it was read: INIT always, a fault flag without a
    // LOP level. SGERG-88 with the relative density (22/21) and with the derived one (20/19).
    const struct {
        const char* name;
        const char* path;
        double value;
        uint32_t status;
        int32_t calcMethod;
    } cases[] = {
        {"HsV INIT", "Source.HVHM.HsV_imp", 0.0, status::kInit, 22},
        {"HsV out of service", "Source.HVHM.HsV_imp", 0.0, 0x8, 22},
        {"HsV not available", "Source.HVHM.HsV_imp", 0.0, 0x4, 22},
        {"d INIT", "Source.Rhob.d_imp", 0.0, status::kInit, 22},
        {"d out of order", "Source.Rhob.d_imp", 0.0, 0x80, 22},
        {"CO2 INIT", "Comp.CO2.Imp", 0.6, status::kInit, 22},
        {"H2 INIT", "Comp.H2.Imp", 0.0, status::kInit, 22},
        {"N2 bit 12", "Comp.N2.Imp", 0.3, 0x1000, 23},
        {"rhob INIT", "Source.Rhob.rhob_imp", 0.0, status::kInit, 20},
        {"rhob out of service", "Source.Rhob.rhob_imp", 0.0, 0x8, 20},
    };
    startGas1();
    change("Base1.ZmZb_on_error", 0.9);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const double good = c.value != 0.0 ? c.value : value(c.path);
        setMethods(c.calcMethod, c.calcMethod - 1);
        setInput(c.path, good);
        cycle();
        // The good input: the method's own result.
        EXPECT_NEAR(value("MeasCond.Zm"), kGas1Z, 1.5e-3);
        EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
        EXPECT_NE(value("Base1.K"), 0.9);
        setInput(c.path, good, c.status);
        cycle();
        expectMethodFailed(0.9);
        EXPECT_EQ(statusOf("Base1.C"), status::kInvalid);
        setInput(c.path, good);
    }
}

TEST_F(MethodSelectionTest, UnusableInputsDiscardTheResultAndBadOnesMarkIt) {
    startGas1();
    change("Base1.ZmZb_on_error", 0.9);
    // A component marked INIT where it was read makes every composition method fail: Z 1.0,
    // K the configured substitute, and the component's failure raises the calculation failure.
    setComponent("C2H6", 1.8, status::kInit);
    for (int32_t code : {2, 3, 19}) {
        SCOPED_TRACE(code);
        setMethods(code, code - 1);
        cycle();
        expectMethodFailed(0.9);
        EXPECT_TRUE(message("Mesg_CL_failure"));
    }
    // The same fault flag vouched for by a LOP level leaves the result in place, marked.
    setComponent("C2H6", 1.8, status::kNotInUse | 0x02000000);
    setMethods(2, 1);
    cycle();
    EXPECT_NEAR(value("MeasCond.Zm"), kGas1Z, 1e-4);
    EXPECT_EQ(calcBlock.conversion.meas.zResult.success, 1);
    EXPECT_EQ(calcBlock.conversion.meas.zResult.notFullyValid, 1);
    EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
    // CO2 with a fault flag vouched for by a LOP level: SGERG-88 variant 0 keeps its Z, marked.
    setComponent("C2H6", 1.8);
    change("Base1.ZmZb_on_error", 1.0);
    setComponent("CO2", 0.6, status::kNotInUse | 0x01000000);
    setMethods(4, 3);
    cycle();
    EXPECT_NEAR(value("MeasCond.Zm"), kGas1Z, 1.5e-3);
    EXPECT_EQ(calcBlock.conversion.meas.zResult.success, 1);
    EXPECT_EQ(calcBlock.conversion.meas.zResult.notFullyValid, 1);
    EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
    // An input the method needs that is not in use discards the result: Z 1.0.
    setComponent("CO2", 0.6);
    setInUse("Source.HVHM.HsV_imp", false);
    cycle();
    EXPECT_EQ(value("MeasCond.Zm"), 1.0);
    EXPECT_EQ(calcBlock.conversion.meas.zResult.success, 0);
    EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
    // DETAIL does not need it.
    setMethods(2, 1);
    cycle();
    EXPECT_NEAR(value("MeasCond.Zm"), kGas1Z, 2e-5);
    EXPECT_EQ(statusOf("MeasCond.Zm"), 0u);
}

TEST_F(MethodSelectionTest, CalculatorResultsAreAskedForOnlyAtTheMeasuringState) {
    startGas1();
    setMethods(2, 18);
    cycle();
    EXPECT_NE(calcBlock.aga8x12.reducedDensity, 0.0);
    calcBlock.aga8x12 = Aga8x12Results{0.0, 0.0};
    setMethods(19, 1);
    cycle();
    EXPECT_EQ(calcBlock.aga8x12.reducedDensity, 0.0);
    EXPECT_NEAR(value("Base1.Zb"), calcBlock.conversion.state[0].zResult.Z, 0.0);
}

}  // namespace
