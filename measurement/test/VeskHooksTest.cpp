// The life-cycle hooks called as the system-manager client calls them, on one address space
// whose tree is the program's model.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FbDo.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "PEGDispatcher.h"
#include "PEGmain.h"
#include "ScratchDirectory.h"
#include "Tarvo.h"
#include "TreeFixture.h"
#include "UpdatableRegistry.h"
#include "VeskInstance.h"
#include "Veskmain.h"

namespace {

constexpr const char* kFile = "VeskDataI01.bin";

class VeskHooksTest : public ::testing::Test {
  protected:
    VeskHooksTest() : tree(host::HostTree::fromFile(VESK_MODEL_FILE)) {
        static AsInfo block{};
        if (Sysmanlib_AsInfo_GetCurrent() == nullptr) {
            Sysmanlib_AsInfo_Register(&block);
        }
        pAsInfo = Sysmanlib_AsInfo_GetCurrent();
        pAsInfo->pTheTree = tree->tree();
        host::setInstanceIndex(1);
        host::setTraceLevel(5);
        // Limits above every input (all 0), so that nothing is raised unless a test raises it.
        for (const char* q : {"Merc", "HC", "TS", "H2S", "COS", "MM", "EM"}) {
            tree->setDouble(std::string("Sulfur.UAL_") + q, 1000.0);
            tree->setDouble(std::string("Sulfur.UWL_") + q, 1000.0);
        }
        for (const char* q : {"tdps", "tdps2", "tdps3", "pdps", "pdps2", "pdps3", "twdp", "twdp2",
                              "twdp3", "hwdp", "hwdp2", "hwdp3", "hcdtp", "thdp"}) {
            tree->setDouble(std::string("DPs.UAL_") + q, 1000.0);
        }
        for (const char* q : {"tdps", "tdps2", "tdps3", "pdps", "pdps2", "pdps3", "hcdtp"}) {
            tree->setDouble(std::string("DPs.LAL_") + q, -1000.0);
        }
        tree->setDouble("Oxygen.SNo1.UWL_O2", 1000.0);
        tree->setDouble("Oxygen.SNo1.UAL_O2", 1000.0);
        tree->setDouble("Oxygen.SNo1.LWL_LT", -1.0);
    }
    ~VeskHooksTest() override {
        VeskInstance::shared().destroy();
        pAsInfo->pTheTree = nullptr;
        host::setInstanceIndex(std::nullopt);
        host::resetTraceSettings();
    }

    // The hooks of the start-up, in the client's order, each expected to succeed.
    void startUp() {
        ASSERT_EQ(OnFbDO(pAsInfo), 0);
        ASSERT_EQ(OnCreate(pAsInfo), 0);
        ASSERT_EQ(OnStart(pAsInfo), 0);
    }
    static bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
    // True when the calling task does not hold the tree access (ending it is refused).
    bool accessIsFree() { return FbDo_EndTreeAccess(tree->tree()) != 0; }

    std::unique_ptr<host::HostTree> tree;
    AsInfo* pAsInfo = nullptr;
    ScratchDirectory scratch;
};

TEST_F(VeskHooksTest, DefaultSetFillsTheProgramsSlots) {
    const SysManHookTable& hooks = VeskDefaultHooks();
    EXPECT_EQ(hooks.onInitialize, &OnInitialize);
    EXPECT_EQ(hooks.onLoadParameters, &OnLoadParameters);
    EXPECT_EQ(hooks.onFbDO, &OnFbDO);
    EXPECT_EQ(hooks.onCreate, &OnCreate);
    EXPECT_EQ(hooks.onServicesStart, &OnServicesStart);
    EXPECT_EQ(hooks.onServicesTaskSetup, &OnServicesTaskSetup);
    EXPECT_EQ(hooks.onTaskSetup, &OnTaskSetup);
    EXPECT_EQ(hooks.onStart, &OnStart);
    ASSERT_NE(hooks.slot11, nullptr);
    EXPECT_EQ(hooks.slot11(pAsInfo), 0);
    EXPECT_EQ(hooks.onRun, &OnRun);
    EXPECT_EQ(hooks.onProcess, &OnProcess);
    EXPECT_EQ(hooks.onShutdown, &OnShutdown);
    EXPECT_EQ(hooks.onTimer, &OnTimer);
    // Slots the program leaves to the client.
    EXPECT_EQ(hooks.onConnected, nullptr);
    EXPECT_EQ(hooks.onSetup, nullptr);
    EXPECT_EQ(hooks.onTrigger48, nullptr);
    EXPECT_EQ(hooks.onLoopStart, nullptr);
}

TEST_F(VeskHooksTest, AWholeLifeCycleSavesTheAveragesForTheNextStart) {
    startUp();
    ASSERT_NE(VeskInstance::shared().get(), nullptr);
    EXPECT_TRUE(accessIsFree());
    tree->setDouble("Sulfur.Imp_TS", 8.0);
    tree->setStatus("DPs.Imp_twdp3", 0x4);  // a failed dew-point input
    tree->setBool("General.W_gen", true);
    EXPECT_EQ(OnProcess(pAsInfo), 0);
    EXPECT_TRUE(accessIsFree());
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_TS"), 8.0);
    EXPECT_TRUE(tree->boolValue("General.A_gen"));
    EXPECT_FALSE(tree->boolValue("General.W_gen"));
    EXPECT_FALSE(tree->boolValue("General.A_IFc"));
    // The preprocessing group of root child 3 runs in the cycle: its level output is written.
    EXPECT_NE(tree->status("3.Level"), 0xFFFFFFFFu);

    EXPECT_EQ(OnShutdown(pAsInfo), 0);
    EXPECT_EQ(VeskInstance::shared().get(), nullptr);
    EXPECT_TRUE(exists(kFile));

    // The next start continues the averages.
    ASSERT_EQ(OnCreate(pAsInfo), 0);
    ASSERT_EQ(OnStart(pAsInfo), 0);
    tree->setDouble("Sulfur.Imp_TS", 2.0);
    EXPECT_EQ(OnProcess(pAsInfo), 0);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_TS"), 5.0);
}

TEST_F(VeskHooksTest, CreateWithoutTreeOrWithAMissingNodeLeavesNoObject) {
    host::TraceCapture traces;
    pAsInfo->pTheTree = nullptr;
    EXPECT_EQ(OnCreate(pAsInfo), 1);
    EXPECT_TRUE(traces.contains(0x10093));
    EXPECT_EQ(VeskInstance::shared().get(), nullptr);

    auto bare = host::HostTree::fromJson(R"({"name": "Vesk", "root": {"children": [
        {"index": 4, "name": "General", "children": [
            {"index": 6, "name": "W_gen", "kind": "bool"}, {"name": "A_gen", "kind": "bool"},
            {"name": "A_IFc", "kind": "bool"}]}]}})");
    pAsInfo->pTheTree = bare->tree();
    EXPECT_EQ(OnCreate(pAsInfo), 1);
    const auto failed = traces.withId(0x100a3);
    ASSERT_EQ(failed.size(), 1u);
    const std::string tail = " myVeskNode.getSulfur() is NULL";
    const std::string text = failed[0].textArg(0);
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(VeskInstance::shared().get(), nullptr);
}

// A start that fails ends the tree access and leaves the preprocessing as it was (no restart,
// whose trace is 0x7a0037); the start that follows restarts it.
TEST_F(VeskHooksTest, AFailedLoadEndsTheTreeAccessAndFailsTheStart) {
    ASSERT_EQ(OnFbDO(pAsInfo), 0);
    ASSERT_EQ(OnCreate(pAsInfo), 0);
    host::setInstanceIndex(0);
    host::setTraceLevel(7);
    host::TraceCapture traces;
    EXPECT_EQ(OnStart(pAsInfo), 1);
    const auto failed = traces.withId(0x100c3);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].textArg(0),
              "measurement/src/Vesk.cpp:59 Failed to obtain index of tarvo instance");
    EXPECT_TRUE(accessIsFree());
    EXPECT_FALSE(traces.contains(0x7a0037));

    host::setInstanceIndex(1);
    EXPECT_EQ(OnStart(pAsInfo), 0);
    EXPECT_EQ(traces.withId(0x7a0037).size(), 1u);
}

// An exception from a group's update (here a lock of the oxygen group that fails: the cycle's
// first two locks are the parameter registry's and the preprocessing's) is traced; the hook
// ends the tree access and succeeds, and the next cycle runs whole.
TEST_F(VeskHooksTest, AGroupUpdateThatThrowsLeavesTheCycleGoingOn) {
    startUp();
    host::failCallAfter("WaitForLocalMutex", 2, ObjectIsNotValid);
    tree->setBool("General.A_gen", true);
    tree->setDouble("Sulfur.Imp_TS", 8.0);
    host::TraceCapture traces;
    EXPECT_EQ(OnProcess(pAsInfo), 0);
    ASSERT_EQ(traces.withId(0x10153).size(), 1u);
    EXPECT_TRUE(accessIsFree());
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_TS"), 8.0);  // the sulfur group ran
    EXPECT_TRUE(tree->boolValue("General.A_gen"));  // the collective outputs were not reached
    EXPECT_EQ(OnProcess(pAsInfo), 0);
    EXPECT_FALSE(tree->boolValue("General.A_gen"));
    EXPECT_EQ(traces.withId(0x10153).size(), 1u);
}

TEST_F(VeskHooksTest, StartFailsWithoutObjectAndTheCycleLeavesTheMissingObjectAlone) {
    tree = TreeFixture::treeWithout("", "Oxygen");
    pAsInfo->pTheTree = tree->tree();
    ASSERT_EQ(OnFbDO(pAsInfo), 0);
    EXPECT_EQ(OnCreate(pAsInfo), 1);
    host::TraceCapture traces;
    const DisplaySet* screens = theDisplaySet;  // of an earlier test in this process, if any
    // Nothing is loaded, and the screens refuse to be built without the application object.
    EXPECT_EQ(OnStart(pAsInfo), 1);
    const auto failed = traces.withId(0x100c3);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].textArg(0), "initPEG called but global Vesk instance is NULL");
    EXPECT_EQ(theDisplaySet, screens);
    EXPECT_TRUE(accessIsFree());
    tree->setBool("General.A_gen", true);
    EXPECT_EQ(OnProcess(pAsInfo), 0);
    EXPECT_TRUE(tree->boolValue("General.A_gen"));  // no cycle of the application
    EXPECT_TRUE(accessIsFree());
    EXPECT_EQ(OnShutdown(pAsInfo), 0);
    EXPECT_FALSE(exists(kFile));
}

TEST_F(VeskHooksTest, StartWithoutTreeAccessLoadsNothing) {
    ASSERT_EQ(OnFbDO(pAsInfo), 0);
    ASSERT_EQ(OnCreate(pAsInfo), 0);
    ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), 0);
    host::TraceCapture traces;
    EXPECT_EQ(OnStart(pAsInfo), 1);
    EXPECT_TRUE(traces.contains(0x100b3));
    EXPECT_EQ(VeskInstance::shared().get()->dataFileName(), "");  // no load was tried
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), 0);
}

TEST_F(VeskHooksTest, ProcessWithoutTreeAccessRunsNothing) {
    startUp();
    ASSERT_EQ(FbDo_BeginTreeAccess(tree->tree()), 0);
    tree->setBool("General.A_gen", true);
    host::TraceCapture traces;
    EXPECT_EQ(OnProcess(pAsInfo), 1);
    EXPECT_TRUE(traces.contains(0x10143));
    EXPECT_TRUE(tree->boolValue("General.A_gen"));
    EXPECT_EQ(FbDo_EndTreeAccess(tree->tree()), 0);
}

TEST_F(VeskHooksTest, AFailedParameterReReadLeavesTheHookBeforeTheTreeAccess) {
    startUp();
    // The registry's lock is the first the cycle takes: its failure is not the hook's to catch.
    host::failNextCall("WaitForLocalMutex", ObjectIsNotValid);
    tree->setBool("General.A_gen", true);
    EXPECT_THROW(OnProcess(pAsInfo), std::runtime_error);
    EXPECT_TRUE(accessIsFree());
    EXPECT_TRUE(tree->boolValue("General.A_gen"));
    EXPECT_EQ(OnProcess(pAsInfo), 0);  // the next cycle runs whole again
    EXPECT_FALSE(tree->boolValue("General.A_gen"));
}

TEST_F(VeskHooksTest, ATreeChangeReReadsTheParametersOnce) {
    startUp();
    host::setTraceLevel(7);
    host::TraceCapture traces;
    tree->setDouble("Sulfur.UWL_TS", -1.0);  // every value reaches it
    EXPECT_EQ(OnTreeChanged(nullptr), 1);
    EXPECT_TRUE(traces.contains(0x10007));
    EXPECT_TRUE(traces.contains(0x10017));
    for (int cycle = 0; cycle < 6; ++cycle) {  // the warning's debounce
        EXPECT_EQ(OnProcess(pAsInfo), 0);
    }
    EXPECT_EQ(traces.withId(0x10137).size(), 1u);
    EXPECT_TRUE(tree->boolValue("General.W_gen"));
}

TEST_F(VeskHooksTest, AFailedSaveKeepsTheObject) {
    startUp();
    host::failNextCall("fopen", ObjectIsNotValid);
    host::TraceCapture traces;
    EXPECT_EQ(OnShutdown(pAsInfo), 1);
    EXPECT_TRUE(traces.contains(0x10183));
    EXPECT_NE(VeskInstance::shared().get(), nullptr);
    EXPECT_EQ(OnShutdown(pAsInfo), 0);
    EXPECT_EQ(VeskInstance::shared().get(), nullptr);
}

TEST_F(VeskHooksTest, TheScreensFindNoObjectAfterTheShutdown) {
    startUp();
    bool further = false;
    EXPECT_TRUE(VeskInstance::shared().use(
        [&](Vesk& vesk) { further = vesk.hasFurtherDewPointSensors(); }));
    EXPECT_TRUE(further);
    EXPECT_EQ(OnShutdown(pAsInfo), 0);
    EXPECT_FALSE(VeskInstance::shared().use([](Vesk& vesk) { vesk.oxygenGroup().setRevision(1); }));
}

TEST_F(VeskHooksTest, ScreensThatCannotBeBuiltLeaveNoItemAndNoRevisionSlot) {
    ASSERT_EQ(OnFbDO(pAsInfo), 0);
    ASSERT_EQ(OnCreate(pAsInfo), 0);
    host::setInstanceIndex(0);
    try {
        initPEG();
        ADD_FAILURE() << "initPEG built screens without instance index";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(),
                     "measurement/src/PEGmain.cpp:256 Sysmanlib_AsInfo_GetInstanceIndex failed");
    }
    EXPECT_EQ(theDisplaySet, nullptr);
    // The oxygen screens built before the dew-point screen failed are gone with their items,
    // and the oxygen group no longer names their revision box.
    for (uint32_t id : {100u, 113u, 200u, 253u, 300u, 330u, 360u, 400u, 410u, 443u, 900u, 905u}) {
        EXPECT_EQ(PEGDispatcher::instance().find(id), nullptr) << id;
    }
    EXPECT_TRUE(VeskInstance::shared().get()->oxygenGroup().revisionDisplaySlot.empty());
}

TEST_F(VeskHooksTest, ASecondStartReplacesTheScreensOfTheFirst) {
    startUp();
    const DisplaySet* first = theDisplaySet;
    ASSERT_NE(first, nullptr);
    initPEG();
    ASSERT_NE(theDisplaySet, nullptr);
    RevisionComboBox& box = theDisplaySet->oxygenRevision.revisionBox();
    EXPECT_EQ(PEGDispatcher::instance().find(410), &box);
    EXPECT_EQ(VeskInstance::shared().get()->oxygenGroup().revisionDisplaySlot,
              makeMemberSlot(&box, &RevisionComboBox::setRevisionState));
    EXPECT_EQ(theDisplaySet->dewPointInputs.prefix(), "#Vesk.I01.DPs.");
}

}  // namespace
