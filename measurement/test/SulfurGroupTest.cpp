#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "GroupFixture.h"
#include "HostTrace.h"
#include "SulfurGroup.h"
#include "ValueStatus.h"
#include "util/Buffer.h"

namespace {

const std::vector<std::string> kTokens = {"Merc", "HC", "TS", "H2S", "COS", "MM", "EM"};

class SulfurGroupTest : public GroupFixture {
  protected:
    SulfurGroupTest() {
        setAll("Sulfur", "UAL_", kTokens, 1000.0);
        setAll("Sulfur", "UWL_", kTokens, 1000.0);
        setAll("Sulfur", "Imp_", kTokens, 5.0);
    }
    std::unique_ptr<SulfurGroup> make() const {
        Vesk_Root root(tree->root());
        return std::make_unique<SulfurGroup>(root.getGeneral(), root.getSulfur());
    }
    uint32_t live() const { return tree->wordValue("Sulfur.CStatus_S"); }
    uint32_t latched() const { return tree->wordValue("Sulfur.LhStatus_S"); }
    bool groupAlarm() const { return tree->boolValue("Sulfur.A_S"); }
    bool groupInputFailure() const { return tree->boolValue("Sulfur.A_IFS"); }
};

TEST_F(SulfurGroupTest, GroupOutputsAndCollectiveFlags) {
    struct Case {
        const char* name;
        std::function<void(host::HostTree&)> setUp;
        int cycles;
        bool groupAlarm, groupInputFailure;
        Collective expected;
    };
    const std::vector<Case> cases = {
        {"all good", [](host::HostTree&) {}, 1, false, false, {false, false, false}},
        {"upper warning after its debounce",
         [](host::HostTree& t) { t.setDouble("Sulfur.UWL_HC", 4.0); },
         6,
         false,
         false,
         {false, true, false}},
        {"flow unusable: general input failure only",
         [](host::HostTree& t) { t.setStatus("General.Imp_Qn", 0x8); },
         1,
         false,
         false,
         {true, false, true}},
        {"H2S not available",
         [](host::HostTree& t) { t.setStatus("Sulfur.Imp_H2S", 0x4); },
         1,
         true,
         true,
         {true, false, false}},
        {"input out of use reports nothing",
         [](host::HostTree& t) { t.setInUse("Sulfur.Imp_EM", false); },
         1,
         false,
         false,
         {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree = host::HostTree::fromFile(VESK_MODEL_FILE);
        setAll("Sulfur", "UAL_", kTokens, 1000.0);
        setAll("Sulfur", "UWL_", kTokens, 1000.0);
        setAll("Sulfur", "Imp_", kTokens, 5.0);
        c.setUp(*tree);
        auto group = make();
        group->restore(nullptr);
        Collective flags;
        for (int i = 0; i < c.cycles; ++i) {
            flags = cycle(*group);
        }
        EXPECT_EQ(groupAlarm(), c.groupAlarm);
        EXPECT_EQ(groupInputFailure(), c.groupInputFailure);
        EXPECT_EQ(flags.alarm, c.expected.alarm);
        EXPECT_EQ(flags.warning, c.expected.warning);
        EXPECT_EQ(flags.inputFailure, c.expected.inputFailure);
        // The group only ever sets the caller's flags.
        const Collective set = cycle(*group, Collective{true, true, true});
        EXPECT_TRUE(set.alarm && set.warning && set.inputFailure);
    }
}

TEST_F(SulfurGroupTest, AlarmOfADailyMeanLatchesTheGroupAlarm) {
    tree->setDouble("Sulfur.UAL_COS", 4.0);  // the means (5.0) reach it
    auto group = make();
    group->restore(nullptr);
    EXPECT_FALSE(cycle(*group).alarm);
    EXPECT_EQ(tree->status("Sulfur.ChA_COS"), kStatusUpperLimit);
    tree->setBool("General.TrigAvg_Day", true);
    EXPECT_TRUE(cycle(*group).alarm);
    tree->setBool("General.TrigAvg_Day", false);
    EXPECT_TRUE(groupAlarm());
    EXPECT_TRUE(tree->boolValue("Sulfur.UA_COS"));
    EXPECT_FALSE(tree->boolValue("Sulfur.UA_H2S"));
}

TEST_F(SulfurGroupTest, StateMaskOfTheDeviceInputs) {
    struct Case {
        std::array<uint32_t, 3> words;  // Imp_DA, Imp_DW, Imp_DR
        std::array<bool, 3> inUse;
        std::array<uint32_t, 3> status;
        unsigned int mask;
    };
    const std::vector<Case> cases = {
        {{0, 0, 0}, {true, true, true}, {0, 0, 0}, 1},
        {{1, 1, 0}, {true, true, true}, {0, 0, 0}, 6},
        {{0, 0, 7}, {true, true, true}, {0, 0, 0}, 8},
        {{0, 0, 0}, {false, true, true}, {0, 0, 0}, 0},
        {{0, 0, 1}, {false, true, true}, {0, 0, 0}, 8},
        {{0, 0, 0}, {true, true, true}, {0, 0x4, 0}, 0},
        {{1, 0, 0}, {true, true, true}, {0x80, 0, 0}, 0},    // unusable: not counted
        {{0, 0, 0}, {true, true, true}, {0x4000, 0, 0}, 1},  // no bit of 0x178f
        {{2, 3, 4}, {true, true, true}, {0, 0, 0}, 14},
    };
    auto group = make();
    const char* paths[] = {"Sulfur.Imp_DA", "Sulfur.Imp_DW", "Sulfur.Imp_DR"};
    for (const Case& c : cases) {
        for (size_t i = 0; i < 3; ++i) {
            tree->setUnsigned(paths[i], c.words[i]);
            tree->setInUse(paths[i], c.inUse[i]);
            tree->setStatus(paths[i], c.status[i]);
        }
        EXPECT_EQ(group->deviceStateMask(), c.mask)
            << c.words[0] << c.words[1] << c.words[2] << " in use " << c.inUse[0];
    }
}

TEST_F(SulfurGroupTest, StatusWordAccumulatesOverTheHour) {
    auto group = make();
    group->restore(nullptr);
    cycle(*group);
    EXPECT_EQ(live(), 0x4000u);

    tree->setUnsigned("Sulfur.Imp_DA", 1);
    tree->setInUse("General.Imp_Qn", false);  // unweighted averages
    cycle(*group);
    EXPECT_EQ(live(), 0x0001u);
    tree->setUnsigned("Sulfur.Imp_DA", 0);
    tree->setInUse("General.Imp_Qn", true);
    tree->setBool("General.Imp_zeroQn", true);
    tree->setStatus("Sulfur.Imp_MM", 0x4);  // input failure: A_IFS true
    cycle(*group);
    EXPECT_EQ(live(), 0x18001u);  // the hour keeps bit 0 and the cleared bit 14

    tree->setBool("General.Imp_zeroQn", false);
    tree->setStatus("Sulfur.Imp_MM", 0);
    tree->setUnsigned("Sulfur.Imp_DR", 1);
    tree->setStatus("Sulfur.Imp_DR", 0x2);  // not usable: no bit
    cycleEndingHour(*group);
    EXPECT_EQ(latched(), 0x18001u);
    EXPECT_EQ(live(), 0x4000u);
}

TEST_F(SulfurGroupTest, SavedStatesComeBackInHostOrder) {
    expectSavedStatesInHostOrder([this] { return make(); }, "Sulfur", kTokens);
}

TEST_F(SulfurGroupTest, DestructionIsTraced) {
    host::enableTrace(0x90007);
    host::TraceCapture traces;
    make().reset();
    EXPECT_EQ(traces.withId(0x90007).size(), 1u);
    host::resetTraceSettings();
}

TEST(SulfurGroupNodes, AMissingNodeStopsTheConstruction) {
    expectEachMissingNodeStops(
        {
            {"Sulfur", "A_S", "mySulfurNode.getA_S()"},
            {"Sulfur", "Imp_DR", "mySulfurNode.getImp_DR()"},
            {"Sulfur", "UW_Merc", "sulfurNode.getUW_Merc()"},
            {"Sulfur", "UA_EM", "mySulfurNode.getUA_EM()"},
            {"Sulfur", "LdA_COS", "mySulfurNode.getLdA_COS()"},
            {"Sulfur", "CStatus_S", "mySulfurNode.getCStatus_S()"},
            {"General", "PowerOn_Delay", "myGeneralNode.getPowerOn_Delay()"},
        },
        [](host::HostTree& tree, const MissingNode&) {
            Vesk_Root root(tree.root());
            SulfurGroup group(root.getGeneral(), root.getSulfur());
        });
}

}  // namespace
