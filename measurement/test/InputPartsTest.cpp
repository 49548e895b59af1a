#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "HostTrace.h"
#include "InputParts.h"
#include "TreeFixture.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class InputPartsTest : public TreeFixture {
  protected:
    // A dew-point quantity read by a SimpleInput.
    SimpleInput simpleInput() const {
        return SimpleInput(node("DPs.Imp_tdps"), node("DPs.CV_tdps"),
                           unsignedParameter("General.PowerOn_Delay"));
    }
    // A sulfur quantity with its upper warning.
    InputWithUpperWarning warningInput() const {
        return InputWithUpperWarning(node("Sulfur.Imp_H2S"), node("Sulfur.CV_H2S"),
                                     doubleParameter("Sulfur.UWL_H2S"), node("Sulfur.UW_H2S"),
                                     node("General.Imp_zeroQn"),
                                     unsignedParameter("General.PowerOn_Delay"));
    }
    template <typename Part>
    static Flags run(Part& part) {
        Flags f;
        part.process(&f.alarm, &f.warning, &f.inputFailure, &f.sensorFailure);
        return f;
    }
};

TEST_F(InputPartsTest, FailuresAreHiddenForPowerOnDelayCycles) {
    host::enableTrace(0x40007);
    for (uint32_t delay : {0u, 3u}) {
        tree->setUnsigned("General.PowerOn_Delay", delay);
        SimpleInput input = simpleInput();
        setInput("DPs.Imp_tdps", 1.0, 0x4);
        host::TraceCapture traces;
        for (uint32_t cycleNo = 1; cycleNo <= delay + 2; ++cycleNo) {
            Flags f = run(input);
            const bool reported = cycleNo > delay;
            EXPECT_EQ(f.alarm, reported) << "delay " << delay << " cycle " << cycleNo;
            EXPECT_EQ(f.inputFailure, reported) << "delay " << delay << " cycle " << cycleNo;
        }
        EXPECT_EQ(traces.withId(0x40007).size(), delay) << "delay " << delay;
    }
    host::resetTraceSettings();
}

TEST_F(InputPartsTest, LoweringTheDelayMidPhaseEndsThePhase) {
    tree->setUnsigned("General.PowerOn_Delay", 10);
    SimpleInput input = simpleInput();
    setInput("DPs.Imp_tdps", 1.0, 0x4);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(run(input).inputFailure);
    }
    tree->setUnsigned("General.PowerOn_Delay", 2);  // already passed by the counter
    UpdatableRegistry::instance().markChanged();
    ASSERT_TRUE(UpdatableRegistry::instance().updateAllIfChanged());
    EXPECT_TRUE(run(input).inputFailure);
}

TEST_F(InputPartsTest, StatusDecidesFlagsAndPublishedStatus) {
    struct Case {
        uint32_t status;
        bool inUse;
        bool failure;
        uint32_t published;
    };
    const std::vector<Case> cases = {
        {0x0, true, false, 0x0},      {0x70, true, false, 0x70},   {0x800, true, false, 0x800},
        {0x1, true, false, 0x1},      {0x201, true, false, 0x201}, {0x4, true, true, 0x4},
        {0x1000, true, true, 0x1000}, {0x80, true, true, 0x80},    {0x0, false, false, 0x1},
    };
    SimpleInput input = simpleInput();  // PowerOn_Delay 0: reporting from the first cycle
    for (const Case& c : cases) {
        setInput("DPs.Imp_tdps", 12.5, c.status);
        tree->setInUse("DPs.Imp_tdps", c.inUse);
        Flags f = run(input);
        EXPECT_EQ(f.alarm, c.failure) << std::hex << c.status << " in use " << c.inUse;
        EXPECT_EQ(f.inputFailure, c.failure) << std::hex << c.status;
        EXPECT_FALSE(f.warning);
        EXPECT_EQ(tree->status("DPs.CV_tdps"), c.published) << std::hex << c.status;
        if (c.inUse) {
            EXPECT_EQ(input.getValue(), 12.5);
            EXPECT_EQ(tree->doubleValue("DPs.CV_tdps"), 12.5);
        }
    }
}

TEST_F(InputPartsTest, UpperWarningIsDebouncedOverFiveSamples) {
    tree->setDouble("Sulfur.UWL_H2S", 5.0);
    InputWithUpperWarning input = warningInput();
    struct Step {
        double value;
        bool zeroFlow;
        bool warning;
    };
    const std::vector<Step> steps = {
        // five cycles at or above the limit (the limit itself counts), one below: still off
        {5.0, false, false},
        {6.0, false, false},
        {7.0, false, false},
        {8.0, false, false},
        {9.0, false, false},
        {4.0, false, false},
        // six above: on in the sixth
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, true},
        // a NaN is never at or above the limit: a differing sample, the warning holds
        {kNaN, false, true},
        {6.0, false, true},
        // zero flow holds the warning off; afterwards the debounce starts from zero
        {6.0, true, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, false},
        {6.0, false, true},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        tree->setBool("General.Imp_zeroQn", steps[i].zeroFlow);
        setInput("Sulfur.Imp_H2S", steps[i].value);
        Flags f = run(input);
        EXPECT_EQ(tree->boolValue("Sulfur.UW_H2S"), steps[i].warning) << "step " << i;
        // zero flow leaves the flag alone: it is set only by a warning
        EXPECT_EQ(f.warning, steps[i].warning) << "step " << i;
    }
}

TEST_F(InputPartsTest, WarningLimitNotInUseWritesFalse) {
    tree->setDouble("Sulfur.UWL_H2S", 1.0);
    tree->setInUse("Sulfur.UWL_H2S", false);
    tree->setBool("Sulfur.UW_H2S", true);
    InputWithUpperWarning input = warningInput();
    setInput("Sulfur.Imp_H2S", 50.0);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(run(input).warning);
        EXPECT_FALSE(tree->boolValue("Sulfur.UW_H2S"));
    }
}

TEST_F(InputPartsTest, LiveValueInputReadsValueAndStatus) {
    SimpleInputBasedOnLiveValue input(node("Oxygen.SNo1.CV_O2BV"));
    tree->setDouble("Oxygen.SNo1.CV_O2BV", 3.25);
    tree->setStatus("Oxygen.SNo1.CV_O2BV", 0x204);
    Flags f = run(input);
    EXPECT_EQ(input.getValue(), 3.25);
    EXPECT_EQ(input.getStatus(), 0x204u);
    EXPECT_FALSE(f.alarm || f.warning || f.inputFailure || f.sensorFailure);
}

class TwofoldInputTest : public InputPartsTest {
  protected:
    TwofoldInputTest() { tree->setDouble("Oxygen.SNo2.UWL_O2", 10.0); }

    TwofoldInputWithUpperWarning twofold() {
        return TwofoldInputWithUpperWarning(
            node("Oxygen.SNo2.Imp_O2M"), node("Oxygen.SNo2.Imp_O2S"), node("Oxygen.SNo2.CV_O2M"),
            node("Oxygen.SNo2.CV_O2S"), doubleParameter("Oxygen.SNo2.UWL_O2"),
            node("Oxygen.SNo2.UW_O2"), node("General.Imp_zeroQn"), &query,
            unsignedParameter("General.PowerOn_Delay"));
    }

    MemberSlot<bool()> query;
};

TEST_F(TwofoldInputTest, ChoiceRulesAndPairFlags) {
    struct Case {
        const char* name;
        double x1;
        uint32_t s1;
        double x2;
        uint32_t s2;
        uint32_t rule;
        bool first;
        uint32_t chosenStatus;
        bool alarm;
        bool warning;
        bool inputFailure;
        bool sensorFailure;
    };
    const std::vector<Case> cases = {
        {"both good, below", 5.0, 0, 6.0, 0, 1, true, 0, false, false, false, false},
        {"sensor 1 high", 12.0, 0, 6.0, 0, 2, false, 0, false, true, false, false},
        {"both high", 12.0, 0, 11.0, 0, 3, true, 0, true, false, false, false},
        {"sensor 2 bad, 1 below", 5.0, 0, 6.0, 0x4, 1, true, 0, false, true, false, true},
        {"sensor 2 bad, 1 high", 12.0, 0, 6.0, 0x4, 3, true, 0, true, false, false, true},
        {"sensor 1 bad, 2 high", 5.0, 0x8, 12.0, 0, 4, false, 0, true, false, false, true},
        {"both bad", 5.0, 0x4, 6.0, 0x2, 5, true, 0x84, true, false, true, false},
        {"sensor 1 NaN", kNaN, 0, 6.0, 0, 1, true, 0, false, false, false, false},
    };
    host::setTraceLevel(7);
    for (const Case& c : cases) {
        TwofoldInputWithUpperWarning input = twofold();
        setInput("Oxygen.SNo2.Imp_O2M", c.x1, c.s1);
        setInput("Oxygen.SNo2.Imp_O2S", c.x2, c.s2);
        host::TraceCapture traces;
        // every flag starts at the opposite of its expectation: the part assigns all four
        Flags f{!c.alarm, !c.warning, false, !c.inputFailure, !c.sensorFailure, false};
        input.process(&f.alarm, &f.warning, &f.inputFailure, &f.sensorFailure);
        EXPECT_TRUE(traces.contains(0x40007 + (c.rule << 4) + 0x10)) << c.name;
        EXPECT_EQ(input.isFirstSensorInUse(), c.first) << c.name;
        EXPECT_EQ(std::isnan(input.getValue()), std::isnan(c.first ? c.x1 : c.x2)) << c.name;
        if (!std::isnan(c.first ? c.x1 : c.x2)) {
            EXPECT_EQ(input.getValue(), c.first ? c.x1 : c.x2) << c.name;
        }
        EXPECT_EQ(input.getStatus(), c.chosenStatus | (c.first ? c.s1 : c.s2)) << c.name;
        EXPECT_EQ(f.alarm, c.alarm) << c.name;
        EXPECT_EQ(f.warning, c.warning) << c.name;
        EXPECT_EQ(f.inputFailure, c.inputFailure) << c.name;
        EXPECT_EQ(f.sensorFailure, c.sensorFailure) << c.name;
        EXPECT_EQ(tree->status("Oxygen.SNo2.CV_O2M"), c.s1) << c.name;
        EXPECT_EQ(tree->status("Oxygen.SNo2.CV_O2S"), c.s2) << c.name;
    }
    host::resetTraceSettings();
}

TEST_F(TwofoldInputTest, FailuresDuringStartUpOnlyChoose) {
    tree->setUnsigned("General.PowerOn_Delay", 2);
    TwofoldInputWithUpperWarning input = twofold();
    setInput("Oxygen.SNo2.Imp_O2M", 5.0, 0x4);
    setInput("Oxygen.SNo2.Imp_O2S", 6.0, 0x4);
    for (int cycleNo = 1; cycleNo <= 3; ++cycleNo) {
        Flags f = run(input);
        EXPECT_EQ(f.inputFailure, cycleNo == 3) << cycleNo;
        EXPECT_EQ(f.alarm, cycleNo == 3) << cycleNo;
        EXPECT_FALSE(f.sensorFailure);
        EXPECT_EQ(input.getStatus(), 0x84u);
    }
}

TEST_F(TwofoldInputTest, WarningOnTheChosenValueIsDebounced) {
    TwofoldInputWithUpperWarning input = twofold();
    setInput("Oxygen.SNo2.Imp_O2M", 12.0);
    setInput("Oxygen.SNo2.Imp_O2S", 13.0);
    for (int cycleNo = 1; cycleNo <= 6; ++cycleNo) {
        Flags f = run(input);
        EXPECT_TRUE(f.alarm);  // both at or above the limit
        EXPECT_EQ(f.warning, cycleNo == 6) << cycleNo;
        EXPECT_EQ(tree->boolValue("Oxygen.SNo2.UW_O2"), cycleNo == 6) << cycleNo;
    }
}

TEST_F(TwofoldInputTest, SensorQueryNamesTheLastCopy) {
    std::unique_ptr<TwofoldInputWithUpperWarning> copy;
    {
        TwofoldInputWithUpperWarning temporary = twofold();
        copy = std::make_unique<TwofoldInputWithUpperWarning>(temporary);
    }
    setInput("Oxygen.SNo2.Imp_O2M", 5.0, 0x4);
    run(*copy);
    ASSERT_FALSE(query.empty());
    EXPECT_FALSE(query());  // the copy chose sensor 2; the temporary is gone
    setInput("Oxygen.SNo2.Imp_O2M", 5.0, 0);
    run(*copy);
    EXPECT_TRUE(query());
}

}  // namespace
