// The layout scenarios and the preprocessing page example, run by the scenario runner with
// Calorant-Prog among its programs.
#include <gtest/gtest.h>

#include <sstream>

#include "CalorantFixture.h"
#include "CalorantProgram.h"
#include "ProgramRegistry.h"
#include "ScenarioRunner.h"

namespace {

class ScenarioTest : public ::testing::TestWithParam<const char*> {
  protected:
    void TearDown() override { ForgetCalorantRun(); }
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
    EXPECT_EQ(result.checks.size(), 4u) << "three expectations and no error trace";
}

// The preprocessing page example: the page of the Default layout's tree driven through the
// simulated display, its state checked by the scenario and printed with the run.
TEST(PreprocessingPageExample, PassesAndPrintsTheDisplayState) {
    const sim::Scenario scenario =
        sim::loadScenario(std::string(EXAMPLES_DIR) + "/preprocessing-page/scenario.json");
    sim::RunSettings settings;
    settings.programs = {{"Calorant-Prog", CalorantProgramMain}};
    const sim::RunResult result = sim::runScenario(scenario, settings);
    ForgetCalorantRun();
    std::ostringstream printed;
    sim::printRunResult(scenario, result, printed, false);
    EXPECT_EQ(result.exitCode(), 0) << result.failure << "\n" << printed.str();
    EXPECT_EQ(printed.str().find("FAILED"), std::string::npos);
    EXPECT_NE(printed.str().find("display state at the end of life 1:\n"), std::string::npos);
    EXPECT_NE(printed.str().find("\n64101 list entries=[\"Pressure\",\"Temperature\",\"HsV\","),
              std::string::npos)
        << printed.str();
    EXPECT_NE(printed.str().find("\n2000 languageKey=\"AGA8_DC92_LR\"\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScenarioTest, ::testing::Values("Default", "ZM1", "BM1"),
                         [](const auto& paramInfo) { return std::string(paramInfo.param); });

}  // namespace
