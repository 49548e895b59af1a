#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "BestValue.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "InputParts.h"
#include "MeasurementHost.h"
#include "TreeFixture.h"

namespace {

// Stands in for the revision screen: records every state it is told.
struct RevisionDisplay {
    void setRevisionState(bool on) { told.push_back(on); }
    std::vector<bool> told;
};

using SingleHost = MeasurementHost<InputWithUpperWarning, BestValue>;
using TwofoldHost = MeasurementHost<TwofoldInputWithUpperWarning, BestValue>;

class BestValueTest : public TreeFixture {
  protected:
    BestValueTest() {
        addressSpace();
        host::setAccessRights(0xFFFFFFFF);
        changeRecord = MemberSlot<void(bool)>(&display, &RevisionDisplay::setRevisionState);
        tree->setDouble("Oxygen.SNo1.UWL_O2", 10.0);
        tree->setDouble("Oxygen.SNo2.UWL_O2", 10.0);
    }
    ~BestValueTest() override { host::setAccessRights(0xFFFFFFFF); }

    BestValue bestValue(const char* alternative) const {
        const std::string path = std::string("Oxygen.") + alternative + ".";
        return BestValue(node(path + "CV_O2BV"), node(path + "Rev_O2"), &revisionSignal,
                         &changeRecord);
    }
    std::unique_ptr<SingleHost> single() {
        InputWithUpperWarning input(node("Oxygen.SNo1.Imp_O2"), node("Oxygen.SNo1.CV_O2"),
                                    doubleParameter("Oxygen.SNo1.UWL_O2"),
                                    node("Oxygen.SNo1.UW_O2"), node("General.Imp_zeroQn"),
                                    unsignedParameter("General.PowerOn_Delay"));
        return std::make_unique<SingleHost>(input, bestValue("SNo1"));
    }
    std::unique_ptr<TwofoldHost> twofold() {
        TwofoldInputWithUpperWarning input(
            node("Oxygen.SNo2.Imp_O2M"), node("Oxygen.SNo2.Imp_O2S"), node("Oxygen.SNo2.CV_O2M"),
            node("Oxygen.SNo2.CV_O2S"), doubleParameter("Oxygen.SNo2.UWL_O2"),
            node("Oxygen.SNo2.UW_O2"), node("General.Imp_zeroQn"), &sensorQuery,
            unsignedParameter("General.PowerOn_Delay"));
        return std::make_unique<TwofoldHost>(input, bestValue("SNo2"));
    }

    mutable ItemSignal<int> revisionSignal;
    mutable MemberSlot<void(bool)> changeRecord;
    MemberSlot<bool()> sensorQuery;
    RevisionDisplay display;
};

TEST_F(BestValueTest, RevisionHoldsTheBestValue) {
    auto best = single();
    EXPECT_EQ(revisionSignal.receiverCount(), 1u);  // the host's copy only
    struct Step {
        const char* name;
        int revision;  // -1: no command this cycle
        double input;
        uint32_t status;
        double bestValue;
        uint32_t bestStatus;
        bool revisionOutput;
        bool warning;
    };
    const std::vector<Step> steps = {
        {"follows the input", -1, 4.0, 0x0, 4.0, 0x0, false, false},
        {"with its status", -1, 5.0, 0x40, 5.0, 0x40, false, false},
        {"revision on: held", 1, 6.0, 0x0, 5.0, 0x40, true, true},
        {"still held", -1, 7.0, 0x4, 5.0, 0x40, true, true},
        {"revision off: follows again", 0, 8.0, 0x0, 8.0, 0x0, false, false},
    };
    for (const Step& s : steps) {
        if (s.revision >= 0) {
            revisionSignal.emit(s.revision);
        }
        setInput("Oxygen.SNo1.Imp_O2", s.input, s.status);
        Flags f = cycle(*best);
        EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.CV_O2BV"), s.bestValue) << s.name;
        EXPECT_EQ(tree->status("Oxygen.SNo1.CV_O2BV"), s.bestStatus) << s.name;
        EXPECT_EQ(tree->boolValue("Oxygen.SNo1.Rev_O2"), s.revisionOutput) << s.name;
        EXPECT_EQ(f.warning, s.warning) << s.name;
    }
    EXPECT_EQ(display.told, (std::vector<bool>{true, false}));
    best.reset();
    EXPECT_EQ(revisionSignal.receiverCount(), 0u);
}

TEST_F(BestValueTest, SettingTheCurrentStateOnlyTraces) {
    BestValue best = bestValue("SNo1");
    host::setTraceLevel(7);
    host::TraceCapture traces;
    best.setRevision(false);
    ASSERT_EQ(traces.withId(0x60027).size(), 1u);
    EXPECT_EQ(traces.withId(0x60027)[0].textArg(0), "OFF");
    EXPECT_TRUE(display.told.empty());
    best.setRevision(true);
    auto switched = traces.withId(0x60017);
    ASSERT_EQ(switched.size(), 1u);
    EXPECT_EQ(switched[0].textArg(0), "OFF");
    EXPECT_EQ(switched[0].textArg(1), "ON");
    EXPECT_TRUE(best.isRevisionOn());
    EXPECT_FALSE(best.isRevisionOff());
    EXPECT_EQ(display.told, (std::vector<bool>{true}));
    host::resetTraceSettings();
}

TEST_F(BestValueTest, WithdrawnAccessRightSwitchesRevisionOff) {
    auto best = single();
    revisionSignal.emit(1);
    setInput("Oxygen.SNo1.Imp_O2", 3.0);
    cycle(*best);
    EXPECT_TRUE(tree->boolValue("Oxygen.SNo1.Rev_O2"));
    host::setAccessRights(~(1u << 12));
    setInput("Oxygen.SNo1.Imp_O2", 4.0);
    Flags f = cycle(*best);
    EXPECT_FALSE(tree->boolValue("Oxygen.SNo1.Rev_O2"));
    EXPECT_EQ(tree->doubleValue("Oxygen.SNo1.CV_O2BV"), 4.0);
    EXPECT_FALSE(f.warning);
    EXPECT_EQ(display.told, (std::vector<bool>{true, false}));
}

TEST_F(BestValueTest, TwoSensorsWithRevisionHold) {
    auto best = twofold();
    struct Step {
        const char* name;
        int revision;
        double sensor1;
        double sensor2;
        uint32_t status2;
        double bestValue;
        bool firstInUse;
    };
    const std::vector<Step> steps = {
        {"sensor 1 good and below the limit", -1, 5.0, 6.0, 0x0, 5.0, true},
        {"sensor 1 above: sensor 2", -1, 12.0, 6.0, 0x0, 6.0, false},
        {"revision on: held", 1, 4.0, 7.0, 0x0, 6.0, true},
        {"both above, sensor 2 bad: sensor 1", 0, 12.0, 11.0, 0x4, 12.0, true},
    };
    for (const Step& s : steps) {
        if (s.revision >= 0) {
            revisionSignal.emit(s.revision);
        }
        setInput("Oxygen.SNo2.Imp_O2M", s.sensor1);
        setInput("Oxygen.SNo2.Imp_O2S", s.sensor2, s.status2);
        cycle(*best);
        EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.CV_O2BV"), s.bestValue) << s.name;
        EXPECT_EQ(sensorQuery(), s.firstInUse) << s.name;
    }
}

TEST_F(BestValueTest, RevisionFromTheDisplayTaskDuringCycles) {
    auto best = single();
    setInput("Oxygen.SNo1.Imp_O2", 2.0);
    host::spawnTask("display", [this] {
        for (int i = 0; i < 100; ++i) {
            revisionSignal.emit(i % 2);
        }
        revisionSignal.emit(0);
    });
    for (int i = 0; i < 100; ++i) {
        Flags f = cycle(*best);
        EXPECT_EQ(f.warning, tree->boolValue("Oxygen.SNo1.Rev_O2"));
    }
    host::waitForQuiescence();
    cycle(*best);
    EXPECT_FALSE(tree->boolValue("Oxygen.SNo1.Rev_O2"));
    EXPECT_EQ(display.told.back(), false);
}

}  // namespace
