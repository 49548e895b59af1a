// The whole program on the host: Calorant-Prog started by its entry against the simulated system
// manager and display service on virtual time, through its start-up, RUN, cycles, a tree change,
// display commands and shutdown, in each layout.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "CalcBlock.h"
#include "CalorantFixture.h"
#include "CalorantProgram.h"
#include "CalorantTrace.h"
#include "CodeRangeExpectations.h"
#include "HostKernel.h"
#include "PEG.h"
#include "ProgramHooks.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "Sysmanlib.h"
#include "Tarvo.h"
#include "TarvoFiles.h"
#include "libSysman.h"

namespace {

using namespace calorant;

constexpr uint32_t kCycleCommand = 43;

struct LayoutCase {
    const char* taste;
    size_t names;  // names committed by the layout's binding
    // Commits of one cycle: the preprocessing pass and each group of outputs (composition,
    // ISO 6976 and AGA8 results where the layout has them, the density conversion's two passes,
    // heating values, conversion results).
    uint32_t commitsPerCycle;
};

class ProgramRun : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        host::resetFramework();
        host::resetTraceSettings();
        host::setTraceLevel(15);
        host::useVirtualTime();
        ForgetCalorantRun();
    }

    void TearDown() override {
        manager.reset();
        display.reset();
        SysManRegisterDefaultHooks(nullptr);
        ForgetCalorantRun();
        host::dropAddressSpaceTree();
        host::setTreeModelJson("");
        host::resetFramework();
        host::resetTraceSettings();
    }

    bool start(const std::string& taste) {
        host::setTreeModelFile(calorant_test::modelFileOf(taste));
        host::setTasteName(taste);
        display = std::make_unique<sim::DisplayService>();
        manager = std::make_unique<sim::SystemManager>(sim::SystemManagerOptions{});
        Task task = host::spawnTask("Calorant", [] { CalorantProgramMain(); });
        manager->watchTask(task);
        return manager->awaitRegistration();
    }

    size_t count(uint32_t id) const { return traces.withId(id).size(); }

    // The display peer outlives the address space, whose client leaves it when it ends.
    std::unique_ptr<sim::DisplayService> display;
    std::unique_ptr<sim::SystemManager> manager;
    host::TraceCapture traces;
};

class ProgramTest : public ProgramRun, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ProgramTest, StartsBindsItsLayoutAndRunsCycles) {
    const LayoutCase& layout = GetParam();
    ASSERT_TRUE(start(layout.taste));
    EXPECT_EQ(manager->lastEvent(sim::EventKind::Release)->text, "Release_03-16-A");
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    host::HostTree* tree = host::addressSpaceTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->committedNames().size(), layout.names);
    EXPECT_NE(calcBlock.aga8Calculator12, nullptr);

    const uint32_t commits = tree->commitCount();
    ASSERT_TRUE(manager->trigger(kCycleCommand, 0));
    ASSERT_TRUE(manager->trigger(kCycleCommand, 0));
    EXPECT_EQ(count(kTraceReload), 1u);
    EXPECT_EQ(tree->commitCount(), commits + 2 * layout.commitsPerCycle);

    // A parameter change between cycles: one reload in the next cycle, which reads the code.
    const std::string method = std::string(layout.taste) == "ZM1" ? "7" : "8";
    tree->changeUnsigned(method + ".CalcMethod", 9);
    EXPECT_EQ(tree->deliverChanges(), 1u);
    ASSERT_TRUE(manager->trigger(kCycleCommand, 0));
    EXPECT_EQ(count(kTraceReload), 2u);
    EXPECT_EQ(calcBlock.methodParameters.calcMethod.Load(), 9);

    ASSERT_TRUE(manager->shutdown());
    EXPECT_TRUE(manager->events(sim::EventKind::FatalStop).empty());
    EXPECT_TRUE(host::fatalReports().empty());
    const std::vector<std::string> phases = host::phases();
    for (const char* phase :
         {"Calorant Main", "Calorant Initialize", "Calorant FbDO start", "Calorant FbDO-Pre start",
          "Calorant FbDO-Pre end", "Calorant FbDO end", "Calorant TaskSetup", "Calorant Run"}) {
        EXPECT_NE(std::find(phases.begin(), phases.end(), phase), phases.end()) << phase;
    }
    // Ending the address space is no failure of the program: nothing is reported.
    manager.reset();
    EXPECT_TRUE(host::fatalReports().empty());
}

// The health monitor checksums the program's own code: the executable's code segment, from its
// start up to and with the marker word that ends it, which holds the program's entry.
TEST_F(ProgramRun, TheHealthMonitorChecksumsTheProgramsCode) {
    ASSERT_TRUE(start("Default"));
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    const AsInfo* block = Sysmanlib_AsInfo_GetCurrent();
    ASSERT_NE(block, nullptr);
    host_test::expectTheExecutablesCodeRange(*block,
                                             reinterpret_cast<const void*>(&CalorantProgramMain));
    ASSERT_TRUE(manager->shutdown());
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProgramTest,
                         ::testing::Values(LayoutCase{"Default", 104, 8}, LayoutCase{"ZM1", 64, 6},
                                           LayoutCase{"BM1", 95, 8}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.taste); });

const sim::DisplayItemState& shown(sim::DisplayService& display, uint32_t id) {
    static const sim::DisplayItemState kNothing;
    const sim::DisplayItemState* state = display.model().item(id);
    return state != nullptr ? *state : kNothing;
}

// The display path of the running program: the client started in the task set-up, commands
// from the display service answered by the method label of the last reload, the preprocessing
// entry and the preprocessing page of the layout's tree.
TEST_P(ProgramTest, DisplayShowsTheMethodOfTheLastReloadAndThePreprocessingPage) {
    const LayoutCase& layout = GetParam();
    ASSERT_TRUE(start(layout.taste));
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    ASSERT_TRUE(display->connected());
    const std::vector<host::SentCommand> atStart = display->takeSent();
    ASSERT_EQ(atStart.size(), 1u) << "the client's start command";
    EXPECT_EQ(atStart[0].itemId, 0u);
    EXPECT_EQ(atStart[0].commandCode, 1u);

    // Before the first reload the method code is 0: traced, nothing shown.
    EXPECT_EQ(display->deliver(2000, 2), 0);
    EXPECT_TRUE(display->takeSent().empty());
    EXPECT_EQ(count(kTraceMethodNotShown), 1u);

    // The first cycle reads "CalcMethod" 2 (AGA8-92 DETAIL) from the tree.
    ASSERT_TRUE(manager->trigger(kCycleCommand, 0));
    EXPECT_EQ(display->deliver(2000, 2), 0);
    EXPECT_EQ(shown(*display, 2000).languageTextKey, "AGA8_DC92_LR");
    EXPECT_EQ(shown(*display, 2300).hidden, false);
    EXPECT_EQ(shown(*display, 2200).hidden, true);

    // A change to 9 shows at the next refresh, after the cycle that reloads it.
    const std::string method = std::string(layout.taste) == "ZM1" ? "7" : "8";
    host::addressSpaceTree()->changeUnsigned(method + ".CalcMethod", 9);
    EXPECT_EQ(host::addressSpaceTree()->deliverChanges(), 1u);
    EXPECT_EQ(display->deliver(2050, 7), 0);
    EXPECT_EQ(shown(*display, 2000).languageTextKey, "AGA8_DC92_LR") << "not reloaded yet";
    ASSERT_TRUE(manager->trigger(kCycleCommand, 0));
    EXPECT_EQ(display->deliver(2050, 7), 0);
    EXPECT_EQ(shown(*display, 2000).languageTextKey, "SGERG_LR");
    const struct {
        uint32_t item;
        bool hidden;
    } items[] = {{2100, true},  {2200, false}, {2300, true},
                 {2240, false}, {2250, true},  {2260, true}};
    for (const auto& item : items) {
        EXPECT_EQ(shown(*display, item.item).hidden, item.hidden) << item.item;
    }
    const bool zm1 = std::string(layout.taste) == "ZM1";
    EXPECT_EQ(shown(*display, 2220).hidden.has_value(), zm1);
    EXPECT_EQ(shown(*display, 2230).hidden.has_value(), zm1);

    // Every layout has preprocessing lines: the entry is shown and the page lists them.
    EXPECT_EQ(display->deliver(1000, 2), 0);
    EXPECT_EQ(shown(*display, 1701).hidden, false);
    EXPECT_EQ(display->deliver(64000, 2), 0);
    const sim::DisplayItemState& list = shown(*display, 64101);
    EXPECT_TRUE(list.isList);
    ASSERT_EQ(list.entries.size(), 18u);
    EXPECT_EQ(list.entries[0], u"Pressure");
    EXPECT_EQ(list.selection, 0);
    EXPECT_EQ(shown(*display, 64202).boundParameter, "Lines.L1_1");
    EXPECT_EQ(shown(*display, 64205).text, u"in use");

    ASSERT_TRUE(manager->shutdown());
    EXPECT_TRUE(manager->events(sim::EventKind::FatalStop).empty());
}

// A taste without a selected kind, as storage that was never constructed holds it.
class UnselectedTaste : public Taste {};

// An exception that leaves a hook passes the client to the entry's handlers, which report it
// as fatal with the address space's name; the tree access is given back on the way.
TEST_F(ProgramRun, ExceptionLeavingACycleIsReportedAndTheTreeAccessFreed) {
    ASSERT_TRUE(start("Default"));
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    static UnselectedTaste unselected;
    Taste* selected = ProgramContext::myTaste.Load();
    ProgramContext::myTaste.Store(&unselected);
    // The entry returns after its report: the address space has stopped.
    EXPECT_FALSE(manager->trigger(kCycleCommand, 0));
    EXPECT_TRUE(manager->stopped());
    ProgramContext::myTaste.Store(selected);
    const std::vector<host::FatalReport> reports = host::fatalReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].asName, "TestAS");
    EXPECT_EQ(reports[0].text, "src/Taste:353 No taste selected");
    EXPECT_EQ(reports[0].sourcePath, "src/Calorant");
    FbDoTree* tree = host::addressSpaceTree()->tree();
    EXPECT_EQ(FbDo_BeginTreeAccess(tree), 0);
    EXPECT_EQ(FbDo_EndTreeAccess(tree), 0);
}

// The hook set the entry registers: the program's functions in their slots, the others empty.
TEST(ProgramHookTableTest, SlotsHoldTheProgramsHooks) {
    const SysManHookTable& hooks = CalorantHooks();
    EXPECT_EQ(hooks.onConnected, nullptr);
    EXPECT_EQ(hooks.getStartText, nullptr);
    EXPECT_EQ(hooks.onInitialize, OnInitialize);
    EXPECT_EQ(hooks.onLoadParameters, OnLoadParameters);
    EXPECT_EQ(hooks.onFbDO, OnFbDO);
    EXPECT_EQ(hooks.onCreate, nullptr);
    EXPECT_EQ(hooks.onServicesStart, OnServicesStart);
    EXPECT_EQ(hooks.onServicesTaskSetup, OnServicesTaskSetup);
    EXPECT_EQ(hooks.onTaskSetup, OnTaskSetup);
    EXPECT_EQ(hooks.onStart, nullptr);
    EXPECT_EQ(hooks.onSetup, OnTasteSetup);
    EXPECT_EQ(hooks.onRun, OnRun);
    EXPECT_EQ(hooks.onCommand50, nullptr);
    EXPECT_EQ(hooks.onTrigger48, nullptr);
    EXPECT_EQ(hooks.onProcess, OnProcess);
    EXPECT_EQ(hooks.onTrigger51, nullptr);
    EXPECT_EQ(hooks.onShutdown, OnShutdown);
    EXPECT_EQ(hooks.onTimer, OnTimer);
    EXPECT_EQ(hooks.onFlagChange, nullptr);
    EXPECT_EQ(hooks.onLoopStart, Sysmanlib_DefaultLoopStart);
}

TEST(ProgramHookTableTest, StartTableHasSixEntriesWithTheDisplayClientFifth) {
    const ComponentStartFunction* table = CalorantStartTable();
    EXPECT_EQ(table[0], Tarvo_Component1Init);
    EXPECT_EQ(table[3], Tarvo_Component4Init);
    EXPECT_EQ(table[4], PEG_initComponent);
    EXPECT_EQ(table[5], Tarvo_Component6Init);
    EXPECT_EQ(table[6], nullptr);
}

}  // namespace
