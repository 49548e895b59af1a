// The layout scenarios run by the scenario runner with Calorant-Prog among its programs.
#include <gtest/gtest.h>

#include <sstream>

#include "CalorantFixture.h"
#include "CalorantProgram.h"
#include "ProgramRegistry.h"
#include "ScenarioRunner.h"

namespace {

class ScenarioTest : public ::testing::TestWithParam<const char*> {
  protected:
    void TearDown() override { calorant_test::forgetProgram(); }
};

TEST_P(ScenarioTest, RunsFromRegistrationToShutdownWithItsExpectations) {
    const std::string file =
        std::string(CALORANT_SCENARIO_DIR) + "/calorant-" + GetParam() + ".json";
    const sim::Scenario scenario = sim::loadScenario(file);
    sim::RunSettings settings;
    settings.programs.push_back({"Calorant-Prog", CalorantProgramMain});
    const sim::RunResult result = sim::runScenario(scenario, settings);
    std::ostringstream printed;
    sim::printRunResult(scenario, result, printed, false);
    EXPECT_EQ(result.exitCode(), 0) << result.failure << "\n" << printed.str();
    EXPECT_TRUE(result.completed);
    EXPECT_FALSE(result.fatalStop);
    EXPECT_EQ(result.rows.size(), 3u);
    EXPECT_EQ(result.checks.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScenarioTest, ::testing::Values("Default", "ZM1", "BM1"),
                         [](const auto& paramInfo) { return std::string(paramInfo.param); });

}  // namespace
