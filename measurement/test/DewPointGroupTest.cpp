#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DewPointGroup.h"
#include "GroupFixture.h"
#include "HostTrace.h"
#include "util/Buffer.h"

namespace {

const std::vector<std::string> kTokens = {"tdps",  "tdps2", "tdps3", "pdps",  "pdps2",
                                          "pdps3", "twdp",  "twdp2", "twdp3", "hwdp",
                                          "hwdp2", "hwdp3", "hcdtp", "thdp"};
const std::vector<std::string> kTwoLimitTokens = {"tdps",  "tdps2", "tdps3", "pdps",
                                                  "pdps2", "pdps3", "hcdtp"};

class DewPointGroupTest : public GroupFixture {
  protected:
    DewPointGroupTest() { quietLimits(); }
    void quietLimits() {
        setAll("DPs", "UAL_", kTokens, 1000.0);
        setAll("DPs", "LAL_", kTwoLimitTokens, -1000.0);
        setAll("DPs", "Imp_", kTokens, 5.0);
    }
    std::unique_ptr<DewPointGroup> make() const {
        Vesk_Root root(tree->root());
        return std::make_unique<DewPointGroup>(root.getGeneral(), root.getDPs());
    }
    uint32_t live() const { return tree->wordValue("DPs.CStatus_dp"); }
    uint32_t latched() const { return tree->wordValue("DPs.LhStatus_dp"); }
};

TEST_F(DewPointGroupTest, GroupOutputsAndCollectiveFlags) {
    struct Case {
        const char* name;
        std::function<void(host::HostTree&)> setUp;
        bool groupAlarm, groupInputFailure;
        Collective expected;
    };
    const std::vector<Case> cases = {
        {"all good", [](host::HostTree&) {}, false, false, {false, false, false}},
        {"flow unusable: general input failure only",
         [](host::HostTree& t) { t.setStatus("General.Imp_Qn", 0x8); },
         false,
         false,
         {true, false, true}},
        {"zero flow unusable",
         [](host::HostTree& t) { t.setStatus("General.Imp_zeroQn", 0x2); },
         false,
         false,
         {true, false, true}},
        {"sensor 3 temperature failed",
         [](host::HostTree& t) { t.setStatus("DPs.Imp_tdps3", 0x4); },
         true,
         true,
         {true, false, false}},
        {"hydrocarbon dew point failed",
         [](host::HostTree& t) { t.setStatus("DPs.Imp_thdp", 0x8); },
         true,
         true,
         {true, false, false}},
        {"a value above its limit never warns",
         [](host::HostTree& t) { t.setDouble("DPs.UAL_twdp2", 1.0); },
         false,
         false,
         {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree = host::HostTree::fromFile(VESK_MODEL_FILE);
        quietLimits();
        c.setUp(*tree);
        auto group = make();
        group->restore(nullptr);
        const Collective flags = cycle(*group);
        EXPECT_EQ(tree->boolValue("DPs.A_dp"), c.groupAlarm);
        EXPECT_EQ(tree->boolValue("DPs.A_IFdp"), c.groupInputFailure);
        EXPECT_EQ(flags.alarm, c.expected.alarm);
        EXPECT_EQ(flags.warning, c.expected.warning);
        EXPECT_EQ(flags.inputFailure, c.expected.inputFailure);
        const Collective set = cycle(*group, Collective{true, true, true});
        EXPECT_TRUE(set.alarm && set.warning && set.inputFailure);
    }
}

TEST_F(DewPointGroupTest, EverySensorIsEvaluatedWithItsOwnNodes) {
    tree->setDouble("DPs.LAL_pdps3", -100.0);
    tree->setDouble("DPs.LAL_hcdtp", 100.0);  // the daily mean 8.5 is below it
    auto group = make();                      // the limits are cached at construction
    group->restore(nullptr);
    for (size_t i = 0; i < kTokens.size(); ++i) {
        tree->setDouble("DPs.Imp_" + kTokens[i], static_cast<double>(i) - 3.5);
    }
    cycle(*group);
    for (size_t i = 0; i < kTokens.size(); ++i) {
        const double value = static_cast<double>(i) - 3.5;
        EXPECT_DOUBLE_EQ(tree->doubleValue("DPs.CV_" + kTokens[i]), value) << kTokens[i];
        EXPECT_DOUBLE_EQ(tree->doubleValue("DPs.ChA_" + kTokens[i]), value) << kTokens[i];
        EXPECT_DOUBLE_EQ(tree->doubleValue("DPs.CdA_" + kTokens[i]), value) << kTokens[i];
    }
    tree->setBool("General.TrigAvg_Day", true);
    EXPECT_TRUE(cycle(*group).alarm);
    EXPECT_TRUE(tree->boolValue("DPs.LA_hcdtp"));
    EXPECT_FALSE(tree->boolValue("DPs.UA_hcdtp"));
    EXPECT_FALSE(tree->boolValue("DPs.LA_pdps3"));
    EXPECT_DOUBLE_EQ(tree->doubleValue("DPs.LdA_hcdtp"), 8.5);
}

TEST_F(DewPointGroupTest, StateMaskAndStatusBitsOfTheAnalyser) {
    struct Case {
        const char* name;
        uint32_t word;
        uint32_t wordStatus;
        bool alarmInUse;
        bool alarm;
        unsigned int mask;
        uint32_t statusBits;  // analyser bits of the live status word
    };
    const std::vector<Case> cases = {
        {"ready", 0, 0, true, false, 1, 0},
        {"alarm and warning bits", 0x20 | 0x400, 0, true, false, 6, (1u << 4) | (1u << 10)},
        {"alarm and warning whatever the alarm input", 0x20 | 0x400, 0, true, true, 6,
         (1u << 4) | (1u << 10)},
        {"revision only", 0x2000, 0, false, false, 8, 1u << 13},
        {"revision only, alarm input false", 0x2000, 0, true, false, 8, 1u << 13},
        {"word unusable, alarm input false", 0x40, 0x80, true, false, 1, 0},
        {"word unusable, alarm input true", 0x40, 0x80, true, true, 2, 1u << 4},
        {"word unusable, alarm input out of use", 0x40, 0x80, false, true, 0, 0},
        {"unmapped bits only", 0x1f | 0xC000, 0, true, false, 1, 0},
        {"every mapped bit", 0x3fe0, 0, false, false, 14,
         (1u << 4) | (1u << 5) | (1u << 6) | (1u << 7) | (1u << 9) | (1u << 10) | (1u << 11) |
             (1u << 12) | (1u << 13)},
        {"warning class", 0x1000, 0, true, false, 4, 1u << 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree = host::HostTree::fromFile(VESK_MODEL_FILE);
        quietLimits();
        tree->setUnsigned("DPs.Imp_DSdp", c.word);
        tree->setStatus("DPs.Imp_DSdp", c.wordStatus);
        tree->setInUse("DPs.Imp_DSadp", c.alarmInUse);
        tree->setBool("DPs.Imp_DSadp", c.alarm);
        auto group = make();
        group->restore(nullptr);
        EXPECT_EQ(group->deviceStateMask(), c.mask);
        cycle(*group);
        EXPECT_EQ(live(), 0x4000u | c.statusBits);
    }
}

TEST_F(DewPointGroupTest, StatusWordLatchesAtTheHour) {
    auto group = make();
    group->restore(nullptr);
    tree->setInUse("General.Imp_Qn", false);
    tree->setStatus("DPs.Imp_hwdp2", 0x4);
    cycle(*group);
    EXPECT_EQ(live(), 0x8000u);  // bit 14 cleared (unweighted), bit 15 input failure
    tree->setInUse("General.Imp_Qn", true);
    tree->setStatus("DPs.Imp_hwdp2", 0);
    tree->setBool("General.Imp_zeroQn", true);
    cycleEndingHour(*group);
    EXPECT_EQ(latched(), 0x18000u);
    EXPECT_EQ(live(), 0x4000u);
}

TEST_F(DewPointGroupTest, SavedStatesComeBackInHostOrder) {
    expectSavedStatesInHostOrder([this] { return make(); }, "DPs", kTokens);
}

TEST_F(DewPointGroupTest, DestructionIsTraced) {
    host::enableTrace(0xa0007);
    host::TraceCapture traces;
    make().reset();
    EXPECT_EQ(traces.withId(0xa0007).size(), 1u);
    host::resetTraceSettings();
}

TEST(DewPointGroupNodes, AMissingNodeStopsTheConstruction) {
    expectEachMissingNodeStops(
        {
            {"DPs", "A_dp", "dewPointsNode.getA_dp()"},
            {"DPs", "Imp_DSdp", "dewPointsNode.getImp_DSdp( )"},
            {"DPs", "Imp_DSadp", "dewPointsNode.getImp_DSadp()"},
            {"DPs", "UA_thdp", "myDewPointsNode.getUA_thdp()"},
            {"DPs", "LAL_pdps2", "myDewPointsNode.getLAL_pdps2()"},
            {"DPs", "CV_hwdp3", "myDewPointsNode.getCV_hwdp3()"},
            {"DPs", "LhStatus_dp", "myDewPointsNode.getLhStatus_dp()"},
            {"General", "StartUp_Delay", "myGeneralNode.getStartUp_Delay()"},
            {"General", "Imp_Qn", "myGeneralNode.getImp_Qn()"},
        },
        [](host::HostTree& tree, const MissingNode&) {
            Vesk_Root root(tree.root());
            DewPointGroup group(root.getGeneral(), root.getDPs());
        });
}

}  // namespace
