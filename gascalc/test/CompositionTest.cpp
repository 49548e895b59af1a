// The gas analysis of every cycle: reading, total, substitution by methane, normalisation with
// fixed components, the C6+ split, the output statuses and what each layout writes.
#include <cstring>
#include <limits>

#include "CalcFixture.h"
#include "CompositionInput.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;

constexpr double kTight = 1e-12;  // sums and scalings of a few numbers of order 100

class CompositionTest : public CalcFixture {
  protected:
    const NormalisedComposition& normalised() const { return calcBlock.composition.normalised; }
};

TEST(NormaliseComposition, ScalesFlaggedComponentsAroundFixedOnes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        double in[4];  // CH4, N2, CO2, C2H6 (the rest 0)
        uint8_t normalise[4];
        double out[4];
    } cases[] = {
        {"all flagged", {90, 5, 2, 3}, {1, 1, 1, 1}, {90, 5, 2, 3}},
        {"all flagged, sum 50", {45, 2.5, 1, 1.5}, {1, 1, 1, 1}, {90, 5, 2, 3}},
        {"none flagged: all scaled", {45, 2.5, 1, 1.5}, {0, 0, 0, 0}, {90, 5, 2, 3}},
        {"N2 fixed", {80, 10, 0, 0}, {1, 0, 1, 1}, {90, 10, 0, 0}},
        {"fixed reach 120: scaled to 100, flagged 0",
         {50, 60, 60, 0},
         {1, 0, 0, 1},
         {0, 50, 50, 0}},
        {"negative value becomes 0", {95, -1, 5, 0}, {1, 1, 1, 1}, {95, 0, 5, 0}},
        {"negative zero is not positive", {100, -0.0, 0, 0}, {1, 1, 1, 1}, {100, 0, 0, 0}},
        {"not a number is dropped", {50, nan, 0, 0}, {1, 1, 1, 1}, {100, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&calcBlock.composition, 0, sizeof(calcBlock.composition));
        const int index[4] = {kCH4, kN2, kCO2, 3};
        for (int i = 0; i < 4; ++i) {
            calcBlock.composition.normalised.value[index[i]] = c.in[i];
            calcBlock.composition.settings.normalise[index[i]] = c.normalise[i];
        }
        NormaliseComposition();
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(calcBlock.composition.normalised.value[index[i]], c.out[i], kTight) << i;
            EXPECT_FALSE(std::signbit(calcBlock.composition.normalised.value[index[i]]));
        }
    }
}

TEST_F(CompositionTest, ReadsNormalisesAndWritesTheAnalysisOfEachLayout) {
    const struct {
        const char* taste;
        const char* totalPath;
        const char* methanePath;
        const char* nitrogenPath;
    } cases[] = {{"Default", "Comp.Total", "Comp.ExpCH4", "Comp.ExpN2"},
                 {"ZM1", "Comp.Total", "Comp.ExpCH4", "Comp.ExpN2"},
                 {"BM1", "Comp.Total", "Comp.ExpCH4", "Comp.ExpN2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startCalc(c.taste);
        setAnalysis({{"CH4", 45.0}, {"N2", 3.0}, {"CO2", 2.0}});
        cycle();
        EXPECT_NEAR(value(c.totalPath), 50.0, kTight);
        EXPECT_EQ(statusOf(c.totalPath), 0u);
        EXPECT_NEAR(value(c.methanePath), 90.0, kTight);
        EXPECT_NEAR(value(c.nitrogenPath), 6.0, kTight);
        EXPECT_EQ(statusOf(c.methanePath), 0u);
        EXPECT_EQ(normalised().status, 0u);
        // Components the layout lacks are never read and stay 0.
        if (std::string(c.taste) != "Default") {
            EXPECT_EQ(calcBlock.composition.gas.value[kC7H16], 0.0);
            EXPECT_EQ(normalised().value[5], 0.0);  // water
        }
    }
}

TEST_F(CompositionTest, AnalysisBelowOneMolPercentIsReplacedByMethane) {
    const struct {
        double methane;
        bool replaced;
    } cases[] = {{0.0, true}, {0.5, true}, {0.9999, true}, {1.0, false}};
    startCalc("Default");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.methane);
        setAnalysis({{"CH4", c.methane * 0.5}, {"N2", c.methane * 0.5}});
        cycle();
        EXPECT_NEAR(value("Comp.Total"), c.methane, kTight);
        EXPECT_EQ(statusOf("Comp.Total"), 0u);
        EXPECT_NEAR(value("Comp.ExpCH4"), c.replaced ? 100.0 : 50.0, kTight);
        EXPECT_NEAR(value("Comp.ExpN2"), c.replaced ? 0.0 : 50.0, kTight);
        const uint32_t expected = c.replaced ? status::kInvalid : 0u;
        EXPECT_EQ(statusOf("Comp.ExpCH4"), expected);
        EXPECT_EQ(statusOf("Comp.ExpN2"), expected);
        EXPECT_EQ(normalised().status, expected);
    }
}

TEST_F(CompositionTest, AnalysisWhoseSumOverflowsIsReplacedByMethane) {
    const double huge = std::numeric_limits<double>::max();
    startCalc("Default");
    const struct {
        const char* name;
        std::map<std::string, double> gas;
    } cases[] = {
        {"two components of 1e308", {{"CH4", 1e308}, {"N2", 1e308}}},
        {"every component at the largest number", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setAnalysis(c.gas);
        if (c.gas.empty()) {
            for (const char* name : kInputNames) {
                setComponent(name, huge);
            }
        }
        cycle();
        EXPECT_EQ(value("Comp.Total"), 0.0);
        EXPECT_EQ(statusOf("Comp.Total"), status::kInvalid);
        EXPECT_EQ(value("Comp.ExpCH4"), 100.0);
        EXPECT_EQ(statusOf("Comp.ExpCH4"), status::kInvalid);
        for (double fraction : normalised().value) {
            EXPECT_TRUE(fraction == 0.0 || fraction == 100.0) << fraction;
        }
        for (uint32_t word : normalised().outStatus) {
            EXPECT_EQ(word, status::kInvalid);
        }
    }
}

TEST_F(CompositionTest, BadOrImpossibleComponentMarksTheWholeAnalysis) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        double n2;
        uint32_t status;
        uint32_t totalStatus;
    } cases[] = {
        {"INIT", 2.0, status::kInit, status::kInvalid},
        {"above limit (bad input)", 2.0, status::kAboveLimit | 0x03000000, status::kInvalid},
        {"warning only", 2.0, status::kAboveWarning, 0u},
        {"not a number", nan, 0u, status::kInvalid},
    };
    startCalc("Default");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setAnalysis({{"CH4", 98.0}});
        setComponent("N2", c.n2, c.status);
        cycle();
        const bool bad = c.totalStatus != 0;
        EXPECT_EQ(statusOf("Comp.Total"), c.totalStatus);
        EXPECT_EQ(normalised().status & status::kInvalid, c.totalStatus);
        EXPECT_EQ(statusOf("Comp.ExpCH4"), bad ? status::kInvalid : 0u);
        EXPECT_EQ(statusOf("Comp.ExpN2"), bad ? status::kInvalid : 0u);
        // The values are still normalised and written.
        EXPECT_NEAR(value("Comp.ExpCH4"), std::isnan(c.n2) ? 100.0 : 98.0, kTight);
    }
    // The lowest LOP level of the bad inputs travels with the analysis status.
    setComponent("N2", 2.0, status::kAboveLimit | 0x03000000);
    setComponent("CO2", 0.0, status::kInit | 0x05000000);
    cycle();
    EXPECT_EQ(normalised().status, status::kInvalid | 0x03000000);
}

TEST_F(CompositionTest, NegativeTotalIsPublishedAsZeroAndInvalid) {
    startCalc("Default");
    setAnalysis({{"CH4", 5.0}, {"N2", -10.0}});
    cycle();
    EXPECT_EQ(value("Comp.Total"), 0.0);
    EXPECT_EQ(statusOf("Comp.Total"), status::kInvalid);
    // Methane alone remains after the negative value is dropped.
    EXPECT_NEAR(value("Comp.ExpCH4"), 100.0, kTight);
}

TEST_F(CompositionTest, ComponentOutOfUseIsZeroWithNotInUse) {
    // Whatever status the input of a component out of use reads, it does not take part: the
    // analysis and its total stay good.
    const struct {
        const char* name;
        uint32_t status;
    } cases[] = {
        {"good", 0u},
        {"INIT", status::kInit},
        {"above limit", status::kAboveLimit | 0x03000000},
        {"invalid", status::kInvalid},
    };
    startCalc("Default");
    setInUse("Comp.CO2.Imp", false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setAnalysis({{"CH4", 90.0}, {"N2", 5.0}});
        setComponent("CO2", 5.0, c.status);
        cycle();
        EXPECT_EQ(calcBlock.composition.settings.active[kCO2], 0);
        EXPECT_EQ(value("Comp.ExpCO2"), 0.0);
        EXPECT_EQ(statusOf("Comp.ExpCO2"), status::kNotInUse);
        EXPECT_NEAR(value("Comp.ExpCH4"), 90.0 / 0.95, 1e-9);
        EXPECT_EQ(statusOf("Comp.ExpCH4"), 0u);
        EXPECT_EQ(statusOf("Comp.ExpN2"), 0u);
        EXPECT_EQ(normalised().status, 0u);
        EXPECT_NEAR(value("Comp.Total"), 95.0, kTight);
        EXPECT_EQ(statusOf("Comp.Total"), 0u);
    }
}

TEST_F(CompositionTest, MethaneOutOfUsePassesTheAnalysisThrough) {
    startCalc("Default");
    setInUse("Comp.CH4.Imp", false);
    setInUse("Comp.CO2.Imp", false);
    setAnalysis({{"N2", 30.0}});
    setComponent("C2H6", 5.0, status::kInit);
    // Inputs out of use that read INIT: not in use, not invalid.
    setComponent("CH4", 60.0, status::kInit);
    setComponent("CO2", 10.0, status::kInit);
    cycle();
    EXPECT_EQ(calcBlock.composition.settings.compositionActive, 0u);
    EXPECT_EQ(value("Comp.ExpN2"), 30.0);  // not normalised
    EXPECT_EQ(statusOf("Comp.ExpN2"), 0u);
    EXPECT_EQ(statusOf("Comp.ExpC2H6"), status::kInvalid);
    EXPECT_EQ(statusOf("Comp.ExpCH4"), status::kNotInUse);
    EXPECT_EQ(statusOf("Comp.ExpCO2"), status::kNotInUse);
}

TEST_F(CompositionTest, C6PlusSplitOverC6ToC10) {
    startCalc("Default", [](nlohmann::json& model) {
        nlohmann::json& c6 = calorant_test::modelNode(model, {6, 10});
        c6["children"][2]["value"] = 2;  // split
        c6["children"][3]["value"] = 50.0;
        c6["children"][4]["value"] = 25.0;
        c6["children"][5]["value"] = 25.0;
    });
    setAnalysis({{"CH4", 99.8}, {"C6H14", 0.2}});
    cycle();
    EXPECT_NEAR(value("Comp.ExpC6H14"), 0.1, kTight);
    EXPECT_NEAR(value("Comp.ExpC7H16"), 0.05, kTight);
    EXPECT_NEAR(value("Comp.ExpC8H18"), 0.05, kTight);
    EXPECT_EQ(value("Comp.ExpC9H20"), 0.0);
    EXPECT_NEAR(value("Comp.ExpCH4"), 99.8, kTight);
    // C7 and C8 take the in-use flag of C6+ (C9 and C10 have no share).
    EXPECT_EQ(calcBlock.composition.settings.active[kC7H16], 1);
    // A bad C6+ status reaches the components it was split into.
    setComponent("C6H14", 0.2, status::kInit);
    cycle();
    EXPECT_NE(calcBlock.composition.gas.status[kC7H16] & status::kInit, 0u);
}

TEST_F(CompositionTest, C6ModeWithoutUsableSharesOrUnknownDoesNotSplit) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int mode;
        double c6Share;
        double c7Share;
        bool traced;
    } cases[] = {{2, 0.0, 0.0, false},
                 {1, 50.0, 50.0, false},
                 {7, 50.0, 50.0, true},
                 // A share that is not a number counts as 0: C6 keeps the whole C6+ value.
                 {2, 50.0, nan, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        traces.clear();
        startCalc("Default", [&c](nlohmann::json& model) {
            calorant_test::modelNode(model, {6, 10})["children"][2]["value"] = c.mode;
        });
        tree().setDouble("Comp.C6H14.C6Share", c.c6Share);
        tree().setDouble("Comp.C6H14.C7Share", c.c7Share);
        tree().markChanged();
        tree().deliverChanges();
        setAnalysis({{"CH4", 99.8}, {"C6H14", 0.2}});
        cycle();
        EXPECT_NEAR(value("Comp.ExpC6H14"), 0.2, kTight);
        EXPECT_EQ(value("Comp.ExpC7H16"), 0.0);
        EXPECT_NEAR(value("Comp.ExpCH4"), 99.8, kTight);
        EXPECT_EQ(traces.contains(0x80031), c.traced);
    }
}

TEST_F(CompositionTest, Aga8RangeFlagsMarkComponentsACycleLater) {
    startCalc("Default");
    setMethods(2, 1);
    change("8.CalcMethodOption", 1);
    // 25 mol-% nitrogen lies outside the pipeline-quality range.
    setAnalysis({{"CH4", 75.0}, {"N2", 25.0}});
    cycle();
    EXPECT_EQ(calcBlock.aga8RangeFlags.flags[kN2], 1);
    EXPECT_EQ(statusOf("Source.Aga8Mode0.Z"), status::kInvalid);
    EXPECT_EQ(value("Source.Aga8Mode0.Z"), 1.0);
    EXPECT_EQ(value("Source.Aga8Mode0.rho"), 0.0);
    cycle();
    EXPECT_EQ(statusOf("Comp.ExpN2"), status::kInvalid);
    EXPECT_EQ(statusOf("Comp.ExpCH4"), 0u);
}

TEST_F(CompositionTest, LumpedComponentsTakeTheRangeFlagOfTheirAga8Component) {
    // Components outside the AGA8 order count as the component they are lumped into:
    // neo-pentane and benzene as n-pentane (pentanes, at most 0.5 mol-%), cyclohexane and
    // toluene as n-hexane (0.1 mol-%), methylcyclohexane as n-heptane (0.05 mol-%). One of
    // them at 1 mol-% marks exactly the components of its group, a cycle later, and only while
    // an AGA8 method is in use.
    const char* const lumped[] = {"neoC5H12", "Benzene", "Cyclohexane", "Toluene",
                                  "Methylcyclohexane"};
    const int group[] = {13, 13, 14, 14, 15};
    startCalc("Default");
    change("8.CalcMethodOption", 1);
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(lumped[i]);
        setMethods(2, 1);
        setAnalysis({{"CH4", 99.0}, {lumped[i], 1.0}});
        cycle();
        cycle();
        for (size_t j = 0; j < 5; ++j) {
            EXPECT_EQ(statusOf(std::string("Comp.Exp") + lumped[j]),
                      group[j] == group[i] ? status::kInvalid : 0u)
                << lumped[j];
        }
        EXPECT_EQ(statusOf("Comp.ExpCH4"), 0u);
        setMethods(4, 3);
        cycle();
        EXPECT_EQ(statusOf(std::string("Comp.Exp") + lumped[i]), 0u);
    }
}

TEST_F(CompositionTest, TotalTakesTheSumFlagOnlyWhileAnAga8MethodIsInUse) {
    startCalc("Default");
    setAnalysis(calorant_test::ValidationGas1());
    const struct {
        int32_t calcMethod;
        bool flagged;
    } cases[] = {{2, true}, {3, true}, {4, false}, {19, false}, {22, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calcMethod);
        setMethods(c.calcMethod, c.calcMethod - 1);
        cycle();
        // The sum flag of the last AGA8 evaluation, read by the next cycle's total.
        calcBlock.aga8RangeFlags.flags[kAga8SumFlag] = 1;
        cycle();
        EXPECT_EQ(statusOf("Comp.Total"), c.flagged ? status::kInvalid : 0u);
        calcBlock.aga8RangeFlags.flags[kAga8SumFlag] = 0;
    }
}

}  // namespace
