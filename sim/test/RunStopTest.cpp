// A run stopped by a signal (RunSettings::stopSignal) in this process: it stops before its next
// step or within a step's advance of virtual time, names the signal and the step, and leaves
// none of its folders behind.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <string>

#include "HostKernel.h"
#include "Kernel.h"
#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "TestAddressSpace.h"
#include "TestFolder.h"

namespace {

const std::string kExampleFolder = std::string(EXAMPLES_DIR) + "/test-address-space";

// The flag a run is given; set by the test, a recorder or a task of the program.
std::atomic<int> gStop{0};

// The test program, with a task that asks for a stop after 500 s of virtual time.
int programStoppingAt500s() {
    host::spawnTask("Stopper", [] {
        basiclib::sleep(500);
        gStop.store(SIGHUP);
    });
    return sim::testProgramMain();
}

// Counts the rows; sets gStop to SIGTERM at the row of step `stopAtRow` (0: never).
class StoppingRecorder : public sim::RunRecorder {
  public:
    explicit StoppingRecorder(size_t stopAtRow) : myStopAtRow(stopAtRow) {}
    void start(const sim::WorkFolder& /*folder*/) override {}
    void event(const sim::Event& /*event*/) override {}
    void row(const sim::CycleRow& row) override {
        ++rows;
        if (row.step == myStopAtRow) {
            gStop.store(SIGTERM);
        }
    }
    void check(const sim::CheckResult& /*check*/) override {}
    void displaySent(const std::string& /*record*/) override {}
    void displayState(const std::string& /*dump*/) override {}
    void warning(const std::string& /*line*/) override {}
    void finish(const sim::RunResult& /*summary*/) override { finished = true; }

    size_t rows = 0;
    bool finished = false;

  private:
    size_t myStopAtRow;
};

class RunStopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch.holdTemporaries();
        gStop.store(0);
    }
    void TearDown() override { gStop.store(0); }

    TestFolder scratch;
};

// Where the flag is set, and what the stop then says.
TEST_F(RunStopTest, AStopNamesTheSignalAndTheStepAndRemovesTheFolders) {
    struct Case {
        const char* what;
        int setBefore;       // gStop before the run
        size_t stopAtRow;    // StoppingRecorder's step
        const char* stepAt;  // "after step 2", ...
        size_t rows;         // recorded before the stop
        const char* steps;
    };
    const char* const threeCycles =
        R"({ "command": "cycle" }, { "command": "cycle" }, { "command": "cycle" })";
    const Case cases[] = {
        {"asked before the run", SIGINT, 0, "stopped by SIGINT before the first step", 0,
         threeCycles},
        {"asked in the cycle of step 2", 0, 2, "stopped by SIGTERM after step 2", 2, threeCycles},
        {"asked in the cycle of the last step", 0, 3, "stopped by SIGTERM after step 3", 3,
         threeCycles},
        {"asked in step 2's advance", 0, 0, "stopped by SIGHUP in step 2", 1,
         R"({ "command": "cycle" }, { "advance": 100000, "command": "cycle" },
            { "command": "cycle" })"},
    };
    sim::RunSettings settings;
    settings.programs = {{"stopping", programStoppingAt500s}};
    settings.stopSignal = &gStop;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gStop.store(c.setBefore);
        const sim::Scenario scenario = sim::parseScenario(
            std::string(R"({ "tree": "tree.json", "testProgram": { "useTree": true },
                             "outputs": ["Demo.Out"], "steps": [ )") +
                c.steps + " ] }",
            kExampleFolder, "stop.json");
        StoppingRecorder recorder(c.stopAtRow);
        try {
            sim::runScenario(scenario, settings, recorder);
            ADD_FAILURE() << "not stopped";
        } catch (const sim::RunStopped& stopped) {
            EXPECT_EQ(std::string(stopped.what()), std::string("stop.json: ") + c.stepAt);
            EXPECT_EQ(stopped.signal(), gStop.load());
        }
        EXPECT_EQ(recorder.rows, c.rows);
        EXPECT_FALSE(recorder.finished) << "a stopped run prints no summary";
        EXPECT_EQ(scratch.temporariesLeft(), 0u) << "the work and scratch folders are gone";
    }
}

// Without a signal the flag changes nothing: the run completes.
TEST_F(RunStopTest, AFlagNeverSetLetsTheRunComplete) {
    sim::RunSettings settings;
    settings.stopSignal = &gStop;
    const sim::Scenario scenario = sim::parseScenario(
        R"({ "tree": "tree.json", "testProgram": { "useTree": true },
             "steps": [ { "advance": 200, "command": "cycle" } ] })",
        kExampleFolder, "go.json");
    EXPECT_EQ(sim::runScenario(scenario, settings).exitCode(), sim::kExitPassed);
}

}  // namespace
