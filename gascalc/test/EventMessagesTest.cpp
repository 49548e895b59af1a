// The layout's messages: limit, warning and failure messages of the variables, component
// messages of the inputs a method uses, the conversion-factor and calculation failures.
#include "CalcFixture.h"
#include "EventMessages.h"
#include "StatusBits.h"

namespace {

using calorant_test::CalcFixture;
using calorant_test::ValidationGas1;

class EventMessagesTest : public CalcFixture {
  protected:
    void startGas1(const std::string& taste) {
        startCalc(taste);
        setAnalysis(ValidationGas1());
        setMeasuring(60.0, 16.85);
        setInput("Source.Rhob.rhob_imp", 0.75);
        setInput("Source.Rhob.d_imp", 0.58);
        setInput("Source.HVHM.HsV_imp", 40.0);
    }
    // The five messages of a variable: min, max, failure, min_warn, max_warn.
    std::vector<bool> variable(const std::string& name) {
        return {message("Mesg_" + name + "_min"), message("Mesg_" + name + "_max"),
                message("Mesg_" + name + "_failure"), message("Mesg_" + name + "_min_warn"),
                message("Mesg_" + name + "_max_warn")};
    }
};

TEST_F(EventMessagesTest, VariableMessagesOfEachLayout) {
    const struct {
        uint32_t status;
        std::vector<bool> messages;
    } cases[] = {
        {0x0, {false, false, false, false, false}},
        {status::kBelowLimit, {true, false, false, false, false}},
        {status::kBelowLimit | status::kInit, {false, false, true, false, false}},
        {status::kBelowLimit | status::kBelowWarning, {true, false, false, true, false}},
        {status::kAboveLimit | status::kAboveWarning, {false, true, false, false, true}},
        {status::kAboveWarning, {false, false, false, false, true}},
        {0x1000, {false, false, true, false, false}},
        // An input marked invalid by its producer has failed.
        {status::kInvalid | status::kAboveLimit, {false, false, true, false, false}},
    };
    for (const char* taste : {"Default", "ZM1", "BM1"}) {
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startGas1(taste);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(taste) + " status " + std::to_string(c.status));
            setInput("MeasCond.p_imp", 60.0, c.status);
            setInput("MeasCond.t_imp", 16.85, c.status);
            cycle();
            EXPECT_EQ(variable("p"), c.messages);
            EXPECT_EQ(variable("t"), c.messages);
        }
    }
}

TEST_F(EventMessagesTest, ImportedValueMessagesOnlyForInputsInUse) {
    startGas1("Default");
    setMethods(2, 1);  // DETAIL: uses none of the imported values
    // The heating value and base density are preset as used in this layout.
    setInput("Source.HVHM.HsV_imp", 40.0, 0x4);  // OOS
    setInput("Source.Rhob.rhob_imp", 0.75, status::kAboveLimit);
    setInput("Source.Rhob.d_imp", 0.58, status::kAboveLimit | status::kInit);
    cycle();
    EXPECT_TRUE(message("Mesg_HsV_failure"));
    EXPECT_TRUE(message("Mesg_rhob_max"));
    EXPECT_EQ(variable("d"), std::vector<bool>(5, false));
    // SGERG-88 on the relative-density input uses d: its failure is raised.
    setMethods(9, 8);
    cycle();
    EXPECT_TRUE(message("Mesg_d_failure"));
    EXPECT_FALSE(message("Mesg_d_max"));
    // The condition gone: the messages return to 0 in the same cycle.
    setInput("Source.HVHM.HsV_imp", 40.0);
    setInput("Source.Rhob.rhob_imp", 0.75);
    setInput("Source.Rhob.d_imp", 0.58);
    cycle();
    EXPECT_FALSE(message("Mesg_HsV_failure"));
    EXPECT_FALSE(message("Mesg_rhob_max"));
    EXPECT_FALSE(message("Mesg_d_failure"));
}

TEST_F(EventMessagesTest, ComponentMessagesAndTheCalculationFailure) {
    for (const char* taste : {"Default", "BM1"}) {
        SCOPED_TRACE(taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startGas1(taste);
        // N2 above its limit while no method uses it: no message.
        setMethods(4, 3);  // SGERG-88 variant 0 takes CO2
        setComponent("N2", 0.3, status::kAboveLimit);
        cycle();
        EXPECT_FALSE(message("Mesg_N2_max"));
        // Used through the composition (DETAIL): raised.
        setMethods(2, 1);
        cycle();
        EXPECT_TRUE(message("Mesg_N2_max"));
        EXPECT_FALSE(message("Mesg_CL_failure"));
        // Warning bits of CO2 and H2 while the composition is used.
        setComponent("N2", 0.3);
        setComponent("CO2", 0.6, status::kBelowWarning);
        setComponent("H2", 0.0, status::kAboveWarning);
        cycle();
        EXPECT_TRUE(message("Mesg_CO2_min_warn"));
        EXPECT_TRUE(message("Mesg_H2_max_warn"));
        EXPECT_FALSE(message("Mesg_CO2_min"));
        // Methane with INIT while the composition is used: calculation failure, no limit message.
        setComponent("CO2", 0.6);
        setComponent("H2", 0.0);
        setComponent("CH4", 96.5, status::kInit | status::kBelowLimit);
        cycle();
        EXPECT_TRUE(message("Mesg_CL_failure"));
        const FbDoNode methaneMin = FbDo_GetChild(node("Events"), 21);
        ASSERT_NE(methaneMin, nullptr);
        EXPECT_EQ(FbDo_ReadBool(methaneMin, 1, nullptr, nullptr, nullptr, 0), 0u);
        setComponent("CH4", 96.5);
        cycle();
        EXPECT_FALSE(message("Mesg_CL_failure"));
    }
}

TEST_F(EventMessagesTest, EveryLimitAndWarningMessageOfTheNamedComponents) {
    // The four messages of N2, CO2 and H2 (min, max, min_warn, max_warn), each raised by its own
    // status bit alone while the composition is used.
    const struct {
        uint32_t status;
        std::vector<bool> messages;
    } cases[] = {{status::kBelowLimit, {true, false, false, false}},
                 {status::kAboveLimit, {false, true, false, false}},
                 {status::kBelowWarning, {false, false, true, false}},
                 {status::kAboveWarning, {false, false, false, true}}};
    const std::map<std::string, double> gas = ValidationGas1();
    for (const char* taste : {"Default", "BM1"}) {
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startGas1(taste);
        setMethods(2, 1);
        for (const char* component : {"N2", "CO2", "H2"}) {
            const auto found = gas.find(component);
            const double amount = found == gas.end() ? 0.0 : found->second;
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(taste) + " " + component + " status " +
                             std::to_string(c.status));
                setComponent(component, amount, c.status);
                cycle();
                for (const char* other : {"N2", "CO2", "H2"}) {
                    const std::string stem = std::string("Mesg_") + other;
                    const std::vector<bool> raised = {
                        message(stem + "_min"), message(stem + "_max"), message(stem + "_min_warn"),
                        message(stem + "_max_warn")};
                    EXPECT_EQ(raised, other == std::string(component) ? c.messages
                                                                      : std::vector<bool>(4, false))
                        << other;
                }
                setComponent(component, amount);
            }
        }
    }
}

TEST_F(EventMessagesTest, MethodNeedingAComponentOutOfUseFails) {
    startGas1("Default");
    setInUse("Comp.N2.Imp", false);
    setMethods(5, 4);  // SGERG-88 variant 1 takes N2
    setComponent("N2", 0.3, status::kAboveLimit);
    cycle();
    EXPECT_TRUE(message("Mesg_CL_failure"));
    EXPECT_FALSE(message("Mesg_N2_max"));
}

TEST_F(EventMessagesTest, CompositionUsedWhileOutOfUseFailsInEveryLayout) {
    for (const char* taste : {"Default", "ZM1", "BM1"}) {
        SCOPED_TRACE(taste);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        startGas1(taste);
        setInUse("Comp.CH4.Imp", false);
        setMethods(2, 1);
        cycle();
        EXPECT_TRUE(std::string(taste) == "ZM1" ? tree().boolValue("Events.Mesg_CL_failure")
                                                : message("Mesg_CL_failure"));
    }
}

TEST_F(EventMessagesTest, ConversionFailureOfTheSecondStateOnlyWhenBound) {
    startGas1("Default");
    setMethods(2, 1);
    // A failed conversion factor of the second state counts only while its node is bound.
    cycle();
    EXPECT_FALSE(message("Mesg_C_failure"));
    calcBlock.conversion.state[1].statusC = status::kInvalid;
    WriteEventsStep();
    EXPECT_FALSE(message("Mesg_C_failure"));
    tree().setSelectedChoice("OptionalBaseOutput", 1);
    tree().markChanged();
    tree().deliverChanges();
    cycle();
    calcBlock.conversion.state[1].statusC = status::kInvalid;
    WriteEventsStep();
    EXPECT_TRUE(message("Mesg_C_failure"));
}

TEST_F(EventMessagesTest, MissingEventsNodeIsTracedAndNothingWritten) {
    startCalc("BM1", [](nlohmann::json& model) { calorant_test::removeModelNode(model, {}, 12); });
    cycle();
    EXPECT_TRUE(traces.contains(0x60023));
}

}  // namespace
