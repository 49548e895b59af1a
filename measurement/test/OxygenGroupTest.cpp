#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "GroupFixture.h"
#include "HostFramework.h"
#include "HostTrace.h"
#include "OxygenGroup.h"
#include "util/Buffer.h"

namespace {

// Stands in for the revision screen's combo box.
struct RevisionDisplay {
    void setRevisionState(bool on) { told.push_back(on); }
    std::vector<bool> told;
};

class OxygenGroupTest : public GroupFixture {
  protected:
    OxygenGroupTest() {
        addressSpace();
        host::setAccessRights(0xFFFFFFFF);
        resetTree();
    }
    ~OxygenGroupTest() override { host::setAccessRights(0xFFFFFFFF); }

    // A fresh tree with limits above the values, a life-time preset of 365 days and life
    // times of 200.
    void resetTree() {
        tree = host::HostTree::fromFile(VESK_MODEL_FILE);
        for (const char* alternative : {"Oxygen.SNo1.", "Oxygen.SNo2."}) {
            tree->setDouble(std::string(alternative) + "UWL_O2", 10.0);
            tree->setDouble(std::string(alternative) + "UAL_O2", 100.0);
            tree->setDouble(std::string(alternative) + "LTP_O2", 365.0);
            tree->setDouble(std::string(alternative) + "LWL_LT", 30.0);
        }
        tree->setDouble("Oxygen.SNo1.LT_O2d", 200.0);
        tree->setDouble("Oxygen.SNo2.LT_O2dM", 200.0);
        tree->setDouble("Oxygen.SNo2.LT_O2dS", 200.0);
    }

    std::unique_ptr<OxygenGroup> make(uint32_t choice) {
        tree->setSelectedChoice("Oxygen", choice);
        Vesk_Root root(tree->root());
        auto group = std::make_unique<OxygenGroup>(root.getGeneral(), root.getOxygen());
        group->revisionDisplaySlot =
            MemberSlot<void(bool)>(&display, &RevisionDisplay::setRevisionState);
        group->restore(nullptr);
        return group;
    }
    bool flag(const std::string& path) const { return tree->boolValue(path); }

    RevisionDisplay display;
};

TEST_F(OxygenGroupTest, ChoiceSelectsTheSensorLayout) {
    struct Case {
        uint32_t choice;
        bool single;
        const char* valueOutput;  // the current value the input part writes
    };
    for (const Case& c :
         {Case{0, true, "Oxygen.SNo1.CV_O2"}, Case{1, false, "Oxygen.SNo2.CV_O2M"},
          Case{0x8001, false, "Oxygen.SNo2.CV_O2M"}, Case{0x8000, true, "Oxygen.SNo1.CV_O2"}}) {
        SCOPED_TRACE(c.choice);
        tree->setDouble("Oxygen.SNo1.Imp_O2", 2.5);
        tree->setDouble("Oxygen.SNo2.Imp_O2M", 2.5);
        tree->setBool("Oxygen.SNo2.mySensorFailureAlarm", true);
        auto group = make(c.choice);
        EXPECT_EQ(group->isSingleSensor(), c.single);
        cycle(*group);
        EXPECT_DOUBLE_EQ(tree->doubleValue(c.valueOutput), 2.5);
        // With one sensor the sensor-failure output of the other layout is left alone.
        EXPECT_EQ(flag("Oxygen.SNo2.mySensorFailureAlarm"), c.single);
        if (c.single) {
            host::enableTrace(0xb0023);
            host::TraceCapture traces;
            EXPECT_THROW(
                {
                    try {
                        group->isFirstSensorInUse();
                    } catch (const std::runtime_error& error) {
                        EXPECT_STREQ(error.what(), "Oxygen is in single sensor mode");
                        throw;
                    }
                },
                std::runtime_error);
            EXPECT_TRUE(traces.contains(0xb0023));
            host::resetTraceSettings();
        } else {
            EXPECT_TRUE(group->isFirstSensorInUse());
        }
    }
}

// With one sensor the group has no sensor-failure node and never writes through its null
// handle, whatever the sensor does.
TEST_F(OxygenGroupTest, OneSensorWritesThroughNoMissingNode) {
    auto group = make(0);
    ASSERT_TRUE(group->isSingleSensor());
    const uint64_t before = host::nullNodeWriteCount();
    for (uint32_t status : {0u, 0x4u, 0x1u}) {
        setInput("Oxygen.SNo1.Imp_O2", 2.5, status);
        cycle(*group);
        cycleEndingHour(*group);
    }
    EXPECT_EQ(host::nullNodeWriteCount(), before);
}

TEST_F(OxygenGroupTest, AChoiceOtherThanOneOrTwoSensorsIsRefused) {
    tree->setSelectedChoice("Oxygen", 2);
    Vesk_Root root(tree->root());
    const size_t members = UpdatableRegistry::instance().memberCount();
    try {
        OxygenGroup group(root.getGeneral(), root.getOxygen());
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Invalid oxygen choice");
    }
    EXPECT_EQ(UpdatableRegistry::instance().memberCount(), members);
}

TEST_F(OxygenGroupTest, OutputsAndCollectiveFlags) {
    struct Case {
        const char* name;
        uint32_t choice;
        std::function<void(host::HostTree&)> setUp;
        bool alarm, warning, inputFailure, sensorFailure;
        Collective expected;
    };
    const std::vector<Case> cases = {
        {"one sensor, good", 0, [](host::HostTree&) {}, false, false, false, false, {}},
        {"one sensor failed",
         0,
         [](host::HostTree& t) { t.setStatus("Oxygen.SNo1.Imp_O2", 0x4); },
         true,
         false,
         true,
         false,
         {true, false, false}},
        {"two sensors, sensor 2 failed",
         1,
         [](host::HostTree& t) { t.setStatus("Oxygen.SNo2.Imp_O2S", 0x4); },
         false,
         true,
         false,
         true,
         {false, true, false}},
        {"flow unusable",
         1,
         [](host::HostTree& t) { t.setStatus("General.Imp_Qn", 0x8); },
         false,
         false,
         false,
         false,
         {true, false, true}},
        {"life time at its warning limit",
         0,
         [](host::HostTree& t) { t.setDouble("Oxygen.SNo1.LT_O2d", 30.0); },
         false,
         true,
         false,
         false,
         {false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetTree();
        c.setUp(*tree);
        auto group = make(c.choice);
        const std::string prefix = c.choice == 0 ? "Oxygen.SNo1." : "Oxygen.SNo2.";
        const Collective flags = cycle(*group);
        EXPECT_EQ(flag(prefix + "myAlarm"), c.alarm);
        EXPECT_EQ(flag(prefix + "myWarning"), c.warning);
        EXPECT_EQ(flag(prefix + "myInputFailureAlarm"), c.inputFailure);
        if (c.choice != 0) {
            EXPECT_EQ(flag(prefix + "mySensorFailureAlarm"), c.sensorFailure);
        }
        EXPECT_EQ(flags.alarm, c.expected.alarm);
        EXPECT_EQ(flags.warning, c.expected.warning);
        EXPECT_EQ(flags.inputFailure, c.expected.inputFailure);
    }
}

TEST_F(OxygenGroupTest, RevisionHoldsTheBestValueAndWarns) {
    for (uint32_t choice : {0u, 1u}) {
        SCOPED_TRACE(choice);
        resetTree();
        display.told.clear();
        const std::string prefix = choice == 0 ? "Oxygen.SNo1." : "Oxygen.SNo2.";
        const std::string input = choice == 0 ? "Oxygen.SNo1.Imp_O2" : "Oxygen.SNo2.Imp_O2M";
        auto group = make(choice);
        tree->setDouble(input, 3.0);
        cycle(*group);
        EXPECT_DOUBLE_EQ(tree->doubleValue(prefix + "CV_O2BV"), 3.0);

        host::enableTrace(0xb0017);
        host::TraceCapture traces;
        group->setRevision(1);
        ASSERT_EQ(traces.withId(0xb0017).size(), 1u);
        EXPECT_EQ(traces.withId(0xb0017)[0].textArg(0), "ON");
        tree->setDouble(input, 4.0);
        tree->setStatus(input, 0x8);
        const Collective during = cycle(*group);
        EXPECT_TRUE(flag(prefix + "Rev_O2"));
        EXPECT_TRUE(flag(prefix + "myWarning"));
        EXPECT_TRUE(during.warning);
        EXPECT_DOUBLE_EQ(tree->doubleValue(prefix + "CV_O2BV"), 3.0);
        EXPECT_EQ(tree->status(prefix + "CV_O2BV"), 0u);
        EXPECT_EQ(tree->wordValue(prefix + "CStatus_O2") & 0x4, 0x4u);  // revision bit

        group->setRevision(0);
        EXPECT_EQ(traces.withId(0xb0017)[1].textArg(0), "OFF");
        tree->setStatus(input, 0);
        cycle(*group);
        EXPECT_FALSE(flag(prefix + "Rev_O2"));
        EXPECT_DOUBLE_EQ(tree->doubleValue(prefix + "CV_O2BV"), 4.0);
        EXPECT_EQ(display.told, (std::vector<bool>{true, false}));
        host::resetTraceSettings();
    }
}

TEST_F(OxygenGroupTest, WithdrawnAccessRightEndsRevisionInTheNextCycle) {
    auto group = make(0);
    group->setRevision(1);
    cycle(*group);
    host::setAccessRights(0xFFFFFFFF & ~(1u << 12));
    tree->setDouble("Oxygen.SNo1.Imp_O2", 6.0);
    cycle(*group);
    EXPECT_FALSE(flag("Oxygen.SNo1.Rev_O2"));
    EXPECT_DOUBLE_EQ(tree->doubleValue("Oxygen.SNo1.CV_O2BV"), 6.0);
    EXPECT_EQ(display.told, (std::vector<bool>{true, false}));
}

TEST_F(OxygenGroupTest, LifeTimeResetsReachTheLifeTimesAndTheStatusWord) {
    struct Case {
        uint32_t choice;
        bool second;  // reset sensor 2
        const char* lifeTime;
        const char* untouched;
        uint32_t bit;
    };
    const std::vector<Case> cases = {
        {0, false, "Oxygen.SNo1.LT_O2d", nullptr, 1u << 3},
        {1, false, "Oxygen.SNo2.LT_O2dM", "Oxygen.SNo2.LT_O2dS", 1u << 3},
        {1, true, "Oxygen.SNo2.LT_O2dS", "Oxygen.SNo2.LT_O2dM", 1u << 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lifeTime);
        resetTree();
        auto group = make(c.choice);
        const std::string prefix = c.choice == 0 ? "Oxygen.SNo1." : "Oxygen.SNo2.";
        cycle(*group);
        if (c.second) {
            group->resetLifeTime2();
        } else {
            group->resetLifeTime1();
        }
        EXPECT_DOUBLE_EQ(tree->doubleValue(c.lifeTime), 365.0);
        if (c.untouched != nullptr) {
            EXPECT_DOUBLE_EQ(tree->doubleValue(c.untouched), 200.0);
        }
        cycle(*group);
        EXPECT_EQ(tree->wordValue(prefix + "CStatus_O2") & 0x18, c.bit);
        cycleEndingHour(*group);
        cycle(*group);
        EXPECT_EQ(tree->wordValue(prefix + "CStatus_O2") & 0x18, 0u);
    }
}

TEST_F(OxygenGroupTest, OnlyTheAverageIsSavedAndRestored) {
    auto group = make(1);
    tree->setDouble("Oxygen.SNo2.Imp_O2M", 8.0);
    cycle(*group);
    ManagedBuff saved(64);
    group->save(saved);
    EXPECT_EQ(saved.offset(), 64u);
    saved.setPosition(16);
    EXPECT_DOUBLE_EQ(saved.readValue<double>(), 8.0);  // the hour's plain sum

    Vesk_Root root(tree->root());
    OxygenGroup restarted(root.getGeneral(), root.getOxygen());
    saved.rewind();
    restarted.restore(&saved);
    EXPECT_EQ(saved.offset(), 64u);
    tree->setDouble("Oxygen.SNo2.Imp_O2M", 2.0);
    cycle(restarted);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Oxygen.SNo2.ChA_O2"), 5.0);
}

TEST_F(OxygenGroupTest, DestructionDisconnectsEverythingFromTheSignals) {
    host::enableTrace(0xb0007);
    host::TraceCapture traces;
    auto group = make(1);
    // Life times and status object on both reset signals, the best value on the revision.
    EXPECT_EQ(group->resetSignal1.receiverCount(), 2u);
    EXPECT_EQ(group->resetSignal2.receiverCount(), 2u);
    EXPECT_EQ(group->revisionSignal.receiverCount(), 1u);
    group.reset();
    EXPECT_EQ(traces.withId(0xb0007).size(), 1u);
    host::resetTraceSettings();
}

TEST(OxygenGroupNodes, AMissingNodeStopsTheConstruction) {
    expectEachMissingNodeStops(
        {
            {"Oxygen.SNo1", "Imp_O2", "singleInputChoice.getImp_O2()"},
            {"Oxygen.SNo1", "LT_O2d", "singleInputChoice.getLT_O2d()"},
            {"Oxygen.SNo1", "myAlarm", "myAlarm"},
            {"Oxygen.SNo1", "myWarning", "myWarning"},
            {"Oxygen.SNo1", "LhStatus_O2", "singleInputChoice.getLhStatus_O2()"},
            {"Oxygen.SNo2", "CV_O2S", "twofoldInputChoice.getCV_O2S()"},
            {"Oxygen.SNo2", "mySensorFailureAlarm", "mySensorFailureAlarm"},
            {"Oxygen.SNo2", "myInputFailureAlarm", "myInputFailureAlarm"},
        },
        [](host::HostTree& tree, const MissingNode& c) {
            // The single-sensor layout for its own nodes, else the two-sensor one.
            tree.setSelectedChoice("Oxygen", std::string(c.parent) == "Oxygen.SNo1" ? 0 : 1);
            Vesk_Root root(tree.root());
            OxygenGroup group(root.getGeneral(), root.getOxygen());
        });
}

}  // namespace
