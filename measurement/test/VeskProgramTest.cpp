// The program entry against the simulated system manager: the whole life cycle of Vesk-Prog
// from registration to shutdown, on virtual time.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "CodeRangeExpectations.h"
#include "FbDo.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "PEGmain.h"
#include "ScratchDirectory.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "Tarvo.h"
#include "TarvoFiles.h"
#include "Vesk_AccessClasses.h"
#include "Veskmain.h"
#include "libSysman.h"

namespace {

constexpr const char* kFile = "VeskDataI07.bin";

class VeskProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        host::resetFramework();
        host::resetTraceSettings();
        host::useVirtualTime();
        host::setTreeModelFile(VESK_MODEL_FILE);
    }
    void TearDown() override {
        manager.reset();
        display.reset();
        host::dropAddressSpaceTree();
        SysManRegisterDefaultHooks(nullptr);
        host::resetFramework();
        host::resetTraceSettings();
    }

    // Starts the simulation and the program's initial task; waits for its registration.
    bool start() {
        sim::SystemManagerOptions options;
        options.self.asName = "VeskAS";
        options.self.instance = 7;
        display.reset();
        if (withDisplay) {
            display = std::make_unique<sim::DisplayService>();
        }
        manager = std::make_unique<sim::SystemManager>(options);
        task = host::spawnTask("Vesk", [] { returned = VeskProgramMain(); });
        manager->watchTask(task);
        return manager->awaitRegistration();
    }

    // The tree the framework made for the address space.
    static Vesk_Root root() {
        return Vesk_Root(GetRootNodeOfTree(Sysmanlib_AsInfo_GetCurrent()->pTheTree));
    }

    static int returned;
    bool withDisplay = true;  // the display service is offered
    std::unique_ptr<sim::DisplayService> display;
    std::unique_ptr<sim::SystemManager> manager;
    Task task = nullptr;
    ScratchDirectory scratch;
};

int VeskProgramTest::returned = -1;

TEST_F(VeskProgramTest, RunsItsHooksFromRegistrationToShutdown) {
    ASSERT_TRUE(start());
    const SysManHookTable* hooks = SysManDefaultHooks();
    ASSERT_NE(hooks, nullptr);
    EXPECT_EQ(hooks->onProcess, &OnProcess);
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    Vesk_General general = root().getGeneral();
    Vesk_Sulfur sulfur = root().getSulfur();
    FbDo_WriteDouble(sulfur.getImp_HC(), 6.0, nullptr);
    ASSERT_TRUE(manager->trigger(43, 0));
    ASSERT_TRUE(manager->trigger(40, 1));
    EXPECT_DOUBLE_EQ(FbDo_ReadDouble(sulfur.getChA_HC(), 0.0, nullptr, 0), 6.0);
    // Every limit of the model is 0: the inputs (0 and above) reach the sulfur upper warnings
    // only after their debounce, so nothing but the means' marks shows yet.
    EXPECT_EQ(FbDo_ReadWordWithStatus(sulfur.getCStatus_S(), 0, nullptr, 0), 0x4000u);
    EXPECT_FALSE(FbDo_ReadBool(general.getA_IFc(), 1, nullptr, nullptr, nullptr, 0) & 1);
    ASSERT_TRUE(manager->shutdown());
    EXPECT_FALSE(manager->stopped());

    // Ending the simulation ends the program's task: no failure of the program.
    manager.reset();
    EXPECT_TRUE(host::fatalReports().empty());

    std::ifstream file(kFile, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.size(), 1420u);
}

// The health monitor checksums the program's own code: the executable's code segment, from its
// start up to and with the marker word that ends it, which holds the program's entry.
TEST_F(VeskProgramTest, TheHealthMonitorChecksumsTheProgramsCode) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    const AsInfo* block = Sysmanlib_AsInfo_GetCurrent();
    ASSERT_NE(block, nullptr);
    host_test::expectTheExecutablesCodeRange(*block,
                                             reinterpret_cast<const void*>(&VeskProgramMain));
    ASSERT_TRUE(manager->shutdown());
}

TEST_F(VeskProgramTest, ASecondRunInTheProcessContinuesTheAveragesOfTheFirst) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    FbDo_WriteDouble(root().getSulfur().getImp_MM(), 9.0, nullptr);
    ASSERT_TRUE(manager->trigger(43, 0));
    ASSERT_TRUE(manager->shutdown());

    // The address space ends and starts again with the same files and a tree made anew.
    manager.reset();
    host::resetFramework();
    host::dropAddressSpaceTree();
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    Vesk_Sulfur sulfur = root().getSulfur();
    EXPECT_DOUBLE_EQ(FbDo_ReadDouble(sulfur.getChA_MM(), 0.0, nullptr, 0), 0.0);
    FbDo_WriteDouble(sulfur.getImp_MM(), 3.0, nullptr);
    ASSERT_TRUE(manager->trigger(43, 0));
    EXPECT_DOUBLE_EQ(FbDo_ReadDouble(sulfur.getChA_MM(), 0.0, nullptr, 0), 6.0);  // (9 + 3) / 2
    ASSERT_TRUE(manager->shutdown());
    EXPECT_TRUE(host::fatalReports().empty());
}

TEST_F(VeskProgramTest, WithoutTheDisplayServiceTheStartUpStops) {
    withDisplay = false;
    host::setFatalStopAction(host::FatalStopAction::Park);
    const DisplaySet* screens = theDisplaySet;  // of an earlier test in this process, if any
    ASSERT_TRUE(start());
    EXPECT_FALSE(manager->startUp());
    EXPECT_TRUE(manager->stopped());
    EXPECT_EQ(theDisplaySet, screens);  // the start hook never ran
}

TEST_F(VeskProgramTest, AnExceptionLeavingTheClientIsReportedAsFatal) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(manager->startUp());
    ASSERT_TRUE(manager->run());
    // The parameter re-read of the cycle is not the process hook's to catch.
    host::setFatalStopAction(host::FatalStopAction::Park);
    host::failNextCall("WaitForLocalMutex", ObjectIsNotValid);
    manager->trigger(43, 0);
    const std::vector<host::FatalReport> reports = host::fatalReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].asName, "VeskAS");
    EXPECT_EQ(reports[0].text, "WaitForLocalMutex failed");
    EXPECT_EQ(reports[0].sourcePath, "measurement/src/Veskmain.cpp");
    EXPECT_EQ(returned, 0);
}

}  // namespace
