// Layouts that lack nodes the steps read or write: each step traces what it misses, skips it and
// the rest of the cycle goes on.
#include <memory>

#include "CalcFixture.h"
#include "CalorantTrace.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

class MissingNodesTest : public CalcFixture {};

TEST_F(MissingNodesTest, MissingCompNodeIsTracedAndTheCycleGoesOn) {
    const struct {
        const char* taste;
        int compChild;
        uint32_t traces[3];  // settings, values, writing
    } cases[] = {{"Default", 6, {0x80003, 0x80043, 0x80073}},
                 {"ZM1", 5, {0x80013, 0x80053, 0x80083}},
                 {"BM1", 6, {0x80023, 0x80063, 0x80093}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        traces.clear();
        startCalc(c.taste, [&c](nlohmann::json& model) {
            calorant_test::removeModelNode(model, {}, c.compChild);
        });
        setMeasuring(60.0, 16.85);
        cycle();
        for (uint32_t id : c.traces) {
            EXPECT_TRUE(traces.contains(id)) << std::hex << id;
        }
        // Without an analysis in use, the composition methods fail and say so.
        EXPECT_EQ(value("MeasCond.Zm"), 1.0);
        EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
        EXPECT_EQ(value("MeasCond.p"), 60.0);
    }
}

TEST_F(MissingNodesTest, MissingRhobNodeStillWritesTheBaseOutputs) {
    startCalc("Default",
              [](nlohmann::json& model) { calorant_test::removeModelNode(model, {7}, 5); });
    setAnalysis(ValidationGas1());
    cycle();
    for (uint32_t id : {0xb0003u, 0xb0033u, 0xb0063u}) {
        EXPECT_TRUE(traces.contains(id)) << std::hex << id;
    }
    // Neither density input counts as in use: the Base1 outputs say so.
    EXPECT_EQ(value("Base1.rhob"), 0.0);
    EXPECT_EQ(statusOf("Base1.rhob"), status::kNotInUse);
    EXPECT_EQ(statusOf("Base1.d"), status::kNotInUse);
}

TEST_F(MissingNodesTest, MessagesTheLayoutLacksAreSkipped) {
    startCalc("Default", [](nlohmann::json& model) {
        for (int child : {6, 16, 70}) {
            calorant_test::removeModelNode(model, {14}, child);
        }
    });
    setAnalysis(ValidationGas1());
    setInput("MeasCond.p_imp", 60.0, status::kBelowLimit | status::kBelowWarning);
    setInput("MeasCond.t_imp", 16.85);
    cycle();
    EXPECT_TRUE(message("Mesg_p_min"));
    EXPECT_TRUE(message("Mesg_p_min_warn"));
    EXPECT_EQ(tree().find("Events.Mesg_p_max_warn"), nullptr);
    EXPECT_EQ(tree().find("Events.Mesg_C_failure"), nullptr);
    EXPECT_EQ(tree().find("Events.Mesg_CL_failure"), nullptr);
}

TEST_F(MissingNodesTest, CycleWithoutTheCalculatorSkipsItsUpdateAndItsMethodFails) {
    startCalc("Default");
    setAnalysis(ValidationGas1());
    setMeasuring(60.0, 16.85);
    setMethods(19, 18);
    // As when the Run hook got no storage for it.
    std::unique_ptr<Aga8Calculator12> calculator(calcBlock.aga8Calculator12);
    calcBlock.aga8Calculator12 = nullptr;
    cycle();
    EXPECT_TRUE(traces.contains(calorant::kTraceNoCalculator));
    EXPECT_EQ(value("MeasCond.Zm"), 1.0);
    EXPECT_EQ(statusOf("MeasCond.Zm"), status::kInvalid);
    EXPECT_EQ(value("Base1.Zb"), 1.0);
    // The other methods are not affected.
    setMethods(2, 1);
    cycle();
    EXPECT_NEAR(value("MeasCond.Zm"), 0.88006, 2e-5);
}

}  // namespace
