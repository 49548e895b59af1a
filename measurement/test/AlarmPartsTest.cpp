#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "AlarmParts.h"
#include "HostTrace.h"
#include "TreeFixture.h"
#include "ValueStatus.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The dew-point sensor temperature (upper and lower) and water dew point (upper) alarms.
class AlarmPartsTest : public TreeFixture {
  protected:
    AlarmPartsTest() {
        tree->setDouble("DPs.UAL_tdps", 40.0);
        tree->setDouble("DPs.LAL_tdps", -10.0);
        tree->setDouble("DPs.UAL_twdp", 5.0);
    }

    UpperAlarm upperAlarm() const {
        return UpperAlarm(doubleParameter("DPs.UAL_twdp"), node("DPs.UA_twdp"),
                          unsignedParameter("General.StartUp_Delay"), node("General.Imp_zeroQn"));
    }
    UpperAndLowerAlarm upperAndLowerAlarm() const {
        return UpperAndLowerAlarm(doubleParameter("DPs.UAL_tdps"), node("DPs.UA_tdps"),
                                  doubleParameter("DPs.LAL_tdps"), node("DPs.LA_tdps"),
                                  unsignedParameter("General.StartUp_Delay"),
                                  node("General.Imp_zeroQn"));
    }
};

TEST_F(AlarmPartsTest, MarkStatusSetsAndClearsTheLimitBits) {
    struct Case {
        double mean;
        bool upperInUse;
        bool lowerInUse;
        uint32_t before;
        uint32_t after;
    };
    const std::vector<Case> cases = {
        {40.0, true, true, 0x80, 0x280},              // at the upper limit
        {39.9, true, true, 0x380, 0x80},              // between: both bits cleared
        {-10.0, true, true, 0x0, kStatusLowerLimit},  // at the lower limit
        {-20.0, true, true, 0x200, 0x100},
        {50.0, false, true, 0x0, 0x0},  // upper limit not in use: bit untouched
        {20.0, false, true, 0x200, 0x200},
        {-20.0, true, false, 0x0, 0x0},  // lower limit not in use
        {kNaN, true, true, 0x300, 0x0},  // a NaN mean reaches no limit
    };
    for (const Case& c : cases) {
        tree->setInUse("DPs.UAL_tdps", c.upperInUse);
        tree->setInUse("DPs.LAL_tdps", c.lowerInUse);
        UpperAndLowerAlarm alarm = upperAndLowerAlarm();
        uint32_t status = c.before;
        alarm.markStatus(c.mean, &status);
        EXPECT_EQ(status, c.after) << c.mean << " upper " << c.upperInUse;
    }
}

TEST_F(AlarmPartsTest, EvaluateDecidesEachHalf) {
    struct Case {
        double mean;
        bool upperInUse;
        bool alarm;
        bool upperOutput;
        bool lowerOutput;
    };
    const std::vector<Case> cases = {
        {40.0, true, true, true, false},   {-10.0, true, true, false, true},
        {0.0, true, false, false, false},  {60.0, false, false, false, false},
        {kNaN, true, false, false, false},
    };
    for (const Case& c : cases) {
        tree->setInUse("DPs.UAL_tdps", c.upperInUse);
        tree->setBool("DPs.UA_tdps", true);  // every half writes its output
        tree->setBool("DPs.LA_tdps", true);
        UpperAndLowerAlarm alarm = upperAndLowerAlarm();
        bool raised = false;
        alarm.evaluate(c.mean, &raised);
        EXPECT_EQ(raised, c.alarm) << c.mean;
        // The outputs take the decision when it is published, not before.
        EXPECT_TRUE(tree->boolValue("DPs.UA_tdps")) << c.mean;
        EXPECT_TRUE(tree->boolValue("DPs.LA_tdps")) << c.mean;
        alarm.publishDecision();
        EXPECT_EQ(tree->boolValue("DPs.UA_tdps"), c.upperOutput) << c.mean;
        EXPECT_EQ(tree->boolValue("DPs.LA_tdps"), c.lowerOutput) << c.mean;
        // Published once: outputs written since keep their values at a later publication.
        tree->setBool("DPs.UA_tdps", !c.upperOutput);
        alarm.publishDecision();
        EXPECT_EQ(tree->boolValue("DPs.UA_tdps"), !c.upperOutput) << c.mean;
        bool reported = false;
        alarm.reportState(&reported);
        EXPECT_EQ(reported, c.alarm) << c.mean;
    }
}

TEST_F(AlarmPartsTest, SwitchOnDelayCountsSixtyCyclesAUnit) {
    tree->setUnsigned("General.StartUp_Delay", 2);
    host::TraceCapture traces;
    host::enableTrace(0x50005);
    UpperAlarm alarm = upperAlarm();
    bool raised = false;
    for (int i = 0; i < 118; ++i) {
        alarm.reportState(&raised);
    }
    alarm.evaluate(10.0, &raised);  // counter 119: not yet
    alarm.publishDecision();
    EXPECT_FALSE(raised);
    EXPECT_FALSE(tree->boolValue("DPs.UA_twdp"));
    EXPECT_EQ(traces.withId(0x50005).size(), 1u);
    alarm.reportState(&raised);  // not latched
    EXPECT_FALSE(raised);
    alarm.evaluate(10.0, &raised);  // counter 121
    alarm.publishDecision();
    EXPECT_TRUE(raised);
    EXPECT_TRUE(tree->boolValue("DPs.UA_twdp"));
    host::resetTraceSettings();
}

// A day end while the switch-on delay runs decides nothing: each reached half keeps the value
// its output held, and nothing is latched for the following cycles.
TEST_F(AlarmPartsTest, DayEndDuringTheDelayLeavesTheOutputsAlone) {
    tree->setUnsigned("General.StartUp_Delay", 1);
    host::TraceCapture traces;
    host::enableTrace(0x50015);
    host::enableTrace(0x50025);
    struct Case {
        double mean;
        bool upperBefore;
        bool lowerBefore;
        uint32_t tracedId;
    };
    const std::vector<Case> cases = {
        {45.0, true, true, 0x50015},   // upper reached: upper kept, lower written false
        {45.0, false, true, 0x50015},  // the kept value is whatever the output held
        {-15.0, true, true, 0x50025},  // lower reached: lower kept, upper written false
        {-15.0, true, false, 0x50025},
    };
    for (const Case& c : cases) {
        tree->setBool("DPs.UA_tdps", c.upperBefore);
        tree->setBool("DPs.LA_tdps", c.lowerBefore);
        UpperAndLowerAlarm alarm = upperAndLowerAlarm();
        const size_t tracedBefore = traces.withId(c.tracedId).size();
        bool raised = false;
        alarm.evaluate(c.mean, &raised);
        alarm.publishDecision();
        EXPECT_FALSE(raised) << c.mean;
        const bool upperReached = c.mean >= 40.0;
        EXPECT_EQ(tree->boolValue("DPs.UA_tdps"), upperReached && c.upperBefore) << c.mean;
        EXPECT_EQ(tree->boolValue("DPs.LA_tdps"), !upperReached && c.lowerBefore) << c.mean;
        EXPECT_EQ(traces.withId(c.tracedId).size(), tracedBefore + 1) << c.mean;
        alarm.reportState(&raised);
        EXPECT_FALSE(raised) << c.mean;
    }
    host::resetTraceSettings();
}

// A delay whose cycle count exceeds 32 bits stays long: 71582789 x 60 would wrap to 44 cycles.
TEST_F(AlarmPartsTest, HugeSwitchOnDelayDoesNotWrapToAShortOne) {
    tree->setUnsigned("General.StartUp_Delay", 71582789u);
    UpperAlarm alarm = upperAlarm();
    bool raised = false;
    for (int i = 0; i < 60; ++i) {
        alarm.reportState(&raised);
    }
    alarm.evaluate(10.0, &raised);
    alarm.publishDecision();
    EXPECT_FALSE(raised);
    EXPECT_FALSE(tree->boolValue("DPs.UA_twdp"));
}

TEST_F(AlarmPartsTest, ZeroFlowRestartsTheDelay) {
    tree->setUnsigned("General.StartUp_Delay", 1);
    UpperAlarm alarm = upperAlarm();
    bool raised = false;
    for (int i = 0; i < 100; ++i) {
        alarm.reportState(&raised);
    }
    tree->setBool("General.Imp_zeroQn", true);
    alarm.reportState(&raised);  // counter back to 0
    tree->setBool("General.Imp_zeroQn", false);
    for (int i = 0; i < 58; ++i) {
        alarm.reportState(&raised);
    }
    alarm.evaluate(10.0, &raised);  // 59 cycles since zero flow
    EXPECT_FALSE(raised);
    alarm.evaluate(10.0, &raised);  // 60
    EXPECT_TRUE(raised);

    // A zero-flow input with a bad status does not hold the counter.
    tree->setBool("General.Imp_zeroQn", true);
    tree->setStatus("General.Imp_zeroQn", 0x4);
    raised = false;
    alarm.evaluate(10.0, &raised);
    EXPECT_TRUE(raised);
}

TEST_F(AlarmPartsTest, RestoreStateLatchesTheOutputsOfTheTree) {
    struct Case {
        bool upper;
        bool lower;
        bool latched;
    };
    for (const Case& c :
         {Case{false, false, false}, Case{true, false, true}, Case{false, true, true}}) {
        tree->setBool("DPs.UA_tdps", c.upper);
        tree->setBool("DPs.LA_tdps", c.lower);
        UpperAndLowerAlarm alarm = upperAndLowerAlarm();
        alarm.restoreState();
        bool raised = false;
        alarm.reportState(&raised);
        EXPECT_EQ(raised, c.latched) << c.upper << c.lower;
    }
}

}  // namespace
