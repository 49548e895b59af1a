// Scenario runs of the test address space from start to shutdown.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "ScenarioRunner.h"

namespace {

const std::string kExample = std::string(EXAMPLES_DIR) + "/test-address-space/scenario.json";

}  // namespace

TEST(ScenarioRunnerTest, ExampleRunsFromStartToShutdownAndMeetsItsExpectations) {
    const sim::Scenario scenario = sim::loadScenario(kExample);
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_TRUE(result.completed) << result.failure;
    EXPECT_FALSE(result.fatalStop);
    EXPECT_EQ(result.exitCode(), 0);
    ASSERT_EQ(result.rows.size(), 4u) << "three cycles and the trigger 48 with sub-code 1";
    EXPECT_EQ(result.rows[1].outputs.at(0).value, 2.5);
    EXPECT_EQ(result.rows[1].outputs.at(0).status, 8u);
    EXPECT_EQ(result.checks.size(), 3u);
    ASSERT_GE(result.events.size(), 2u);
    const sim::Event& reply = result.events[result.events.size() - 2];
    EXPECT_EQ(reply.kind, sim::EventKind::StateReply);
    EXPECT_EQ(reply.detail, 13u) << "ends with the shutdown state";
    EXPECT_EQ(result.events.back().kind, sim::EventKind::SupervisionCleared)
        << "after the state-13 action";
    EXPECT_EQ(result.displaySent, (std::vector<std::string>{"100 29 02000000"}));

    std::ostringstream table;
    sim::printRunResult(scenario, result, table, true);
    EXPECT_NE(table.str().find("step,time,command,Demo.Out,Demo.Out.status"), std::string::npos);
    EXPECT_NE(table.str().find("2,1.000,cycle,2.5,0x8"), std::string::npos);
}

TEST(ScenarioRunnerTest, FailedExpectationGivesExitCodeOne) {
    sim::Scenario scenario = sim::loadScenario(kExample);
    scenario.steps[0].expectations[0].value = 1.5;
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_TRUE(result.completed);
    EXPECT_FALSE(result.checks[0].passed);
    EXPECT_EQ(result.exitCode(), 1);
    std::ostringstream table;
    sim::printRunResult(scenario, result, table, false);
    EXPECT_NE(table.str().find("FAILED step 1 Demo.Out expected 1.5"), std::string::npos);
}

TEST(ScenarioRunnerTest, FatalStopEndsTheRunWithExitCodeTwo) {
    sim::Scenario scenario = sim::loadScenario(kExample);
    scenario.testProgram.failingSlot = 16;
    scenario.testProgram.failCode = 77;
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_TRUE(result.fatalStop);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.failure, "step 1 did not complete");
    EXPECT_EQ(result.exitCode(), 2);
    bool stopSeen = false;
    for (const sim::Event& event : result.events) {
        stopSeen = stopSeen || (event.kind == sim::EventKind::FatalStop && event.value == 77);
    }
    EXPECT_TRUE(stopSeen);
}

TEST(ScenarioRunnerTest, RefusedRegistrationIsAFatalStop) {
    sim::Scenario scenario = sim::loadScenario(kExample);
    scenario.answerCode = 21;
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_EQ(result.failure, "life 1: the registration did not complete");
    EXPECT_EQ(result.exitCode(), 2);
}

TEST(ScenarioRunnerTest, UnknownProgramOrTreeIsRefusedBeforeTheRun) {
    sim::Scenario scenario = sim::loadScenario(kExample);
    scenario.program = "nothing";
    EXPECT_THROW(sim::runScenario(scenario), std::runtime_error);
    scenario = sim::loadScenario(kExample);
    scenario.treeFile = "/nonexistent/tree.json";
    EXPECT_THROW(sim::runScenario(scenario), std::runtime_error);
}
