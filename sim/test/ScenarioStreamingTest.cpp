// Runs of any length in bounded memory: a loaded scenario keeps its steps in its file and the
// run reads them one at a time, the events reach the recorder as they become final, the report
// printed while the run goes on is the report of the whole run, the scratch files go with the
// run, and the tree is made from its model once a life.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "HostTree.h"
#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "TestFolder.h"
#include "WorkFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string kExampleFolder = std::string(EXAMPLES_DIR) + "/test-address-space";

// A folder of the test's own, with TMPDIR pointing into it (the work folders go there).
class ScenarioStreamingTest : public ::testing::Test {
  protected:
    void SetUp() override { scratch.holdTemporaries(); }

    // Writes a scenario of the test program on the example's tree with `steps` (JSON text of
    // the array's elements); its path.
    std::string writeScenario(const std::string& steps, const std::string& name = "s.json") {
        const std::string path = (folder / name).string();
        std::ofstream file(path);
        file << R"({ "tree": ")" << kExampleFolder << R"(/tree.json",
                     "selfInfo": { "basePath": ")"
             << fs::relative(kExampleFolder + "/data", folder).string() << R"(" },
                     "testProgram": { "useTree": true, "changeCounter": "Demo.Changes" },
                     "outputs": ["Demo.Out"], "steps": [ )"
             << steps << " ] }";
        return path;
    }

    // `count` cycle steps, each setting Demo.In to the step's number modulo 7 and expecting
    // the program's double of it.
    static std::string cycleSteps(size_t count) {
        std::string steps;
        for (size_t i = 0; i < count; ++i) {
            steps += std::string(i > 0 ? ",\n" : "") + R"({ "set": { "Demo.In": { "value": )" +
                     std::to_string(i % 7) + R"( } }, "advance": 1, "command": "cycle",
                       "expect": { "Demo.Out": { "value": )" +
                     std::to_string(2 * (i % 7)) + " } } }";
        }
        return steps;
    }

    TestFolder scratch;
    const fs::path folder{scratch.path()};
};

// Counts what it is given, and when: the commands recorded before each row.
class CountingRecorder : public sim::RunRecorder {
  public:
    void start(const sim::WorkFolder& workFolder) override {
        stepsKept = fs::exists(workFolder.scratchFile("steps"));
    }
    void event(const sim::Event& event) override {
        commands += event.kind == sim::EventKind::Command && event.value == 40 ? 1 : 0;
    }
    void row(const sim::CycleRow& row) override {
        commandsBeforeRow.push_back(commands);
        rowSteps.push_back(row.step);
        rowValues.push_back(row.outputs.at(0).value);
    }
    void check(const sim::CheckResult& check) override { failed += check.passed ? 0 : 1; }
    void displaySent(const std::string& /*record*/) override {}
    void displayState(const std::string& /*dump*/) override {}
    void warning(const std::string& /*line*/) override {}
    void finish(const sim::RunResult& /*summary*/) override { finished = true; }

    bool stepsKept = false;
    size_t commands = 0;
    std::vector<size_t> commandsBeforeRow;
    std::vector<size_t> rowSteps;
    std::vector<double> rowValues;
    size_t failed = 0;
    bool finished = false;
};

TEST_F(ScenarioStreamingTest, LoadedStepsStayInTheFileAndRunOneAtATime) {
    constexpr size_t kSteps = 300;
    const sim::Scenario scenario = sim::loadScenario(writeScenario(cycleSteps(kSteps)));
    EXPECT_TRUE(scenario.steps.empty()) << "no step is kept in memory";
    EXPECT_EQ(scenario.stepCount, kSteps);

    CountingRecorder recorder;
    const sim::RunResult result = sim::runScenario(scenario, {}, recorder);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << result.failure;
    EXPECT_TRUE(recorder.stepsKept) << "the steps wait in a scratch file of the run";
    EXPECT_TRUE(recorder.finished);
    EXPECT_EQ(recorder.failed, 0u);
    EXPECT_TRUE(result.events.empty() && result.rows.empty() && result.checks.empty())
        << "the summary keeps no records";
    ASSERT_EQ(recorder.rowSteps.size(), kSteps);
    for (size_t i = 0; i < kSteps; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(recorder.rowSteps[i], i + 1);
        EXPECT_NEAR(recorder.rowValues[i], 2.0 * static_cast<double>(i % 7), 1e-12);
        // The events of the steps before went to the recorder before this step's row: none
        // piles up until the life ends.
        EXPECT_GE(recorder.commandsBeforeRow[i], i);
    }
    EXPECT_EQ(scratch.temporariesLeft(), 0u) << "the work and scratch folders are gone";
}

TEST_F(ScenarioStreamingTest, ThePrintedReportIsTheReportOfTheWholeRun) {
    const std::string steps = cycleSteps(20) + R"(, { "command": "restart" },
        { "advance": 3, "command": "cycle", "expect": { "Demo.Out": { "value": 1 } } })";
    const std::string path = writeScenario(steps);
    const sim::Scenario loaded = sim::loadScenario(path);
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    const sim::Scenario parsed = sim::parseScenario(text.str(), folder.string(), path);
    for (bool csv : {false, true}) {
        SCOPED_TRACE(csv);
        std::ostringstream whole;
        const sim::RunResult result = sim::runScenario(parsed);
        sim::printRunResult(parsed, result, whole, csv);
        std::ostringstream streamed;
        const int exitCode = sim::runAndPrint(loaded, {}, streamed, csv);
        EXPECT_EQ(exitCode, result.exitCode());
        EXPECT_EQ(exitCode, sim::kExitExpectationFailed) << "the last expectation fails";
        EXPECT_EQ(streamed.str(), whole.str());
        EXPECT_NE(whole.str().find("FAILED step 22"), std::string::npos);
    }
}

// The tree the runner makes to check the scenario's names is the one the program gets: one tree
// made a life, none for a life that goes on with the tree of the life before.
TEST_F(ScenarioStreamingTest, TheTreeIsMadeOnceALife) {
    struct Case {
        const char* restart;
        uint64_t builds;
    };
    const Case cases[] = {
        {"", 1},
        {R"(, { "command": "restart" }, { "command": "cycle" })", 1},
        {R"(, { "command": "restart", "freshTree": true }, { "command": "cycle" })", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.restart);
        const sim::Scenario scenario = sim::loadScenario(writeScenario(cycleSteps(3) + c.restart));
        const uint64_t before = host::treeModelBuildCount();
        EXPECT_EQ(sim::runScenario(scenario).exitCode(), sim::kExitPassed);
        EXPECT_EQ(host::treeModelBuildCount() - before, c.builds);
    }
}

// A loaded file is checked whole before anything runs: each mistake names the file, the step
// and the key, also where the file goes wrong only after many good steps.
TEST_F(ScenarioStreamingTest, MistakesAnywhereInTheFileAreReportedBeforeTheRun) {
    struct Case {
        std::string steps;
        const char* message;
    };
    const std::string good = cycleSteps(50);
    const Case cases[] = {
        {good + R"(, { "command": "cycle", "colour": 1 })", "s.json: step 51: \"colour\""},
        {good + ", 7", "s.json: step 51"},
        {good + R"(, { "command": "cycle" )", "s.json: invalid JSON"},
        {good + R"(, { "advance": -1 })", "s.json: step 51: \"advance\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            sim::loadScenario(writeScenario(c.steps));
            ADD_FAILURE() << "loaded";
        } catch (const sim::ScenarioError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    std::ofstream(folder / "n.json") << R"({ "steps": 5 })";
    EXPECT_THROW(sim::loadScenario((folder / "n.json").string()), sim::ScenarioError);

    // A parameter the tree does not have, in the last step: refused before any output.
    const sim::Scenario unknown = sim::loadScenario(
        writeScenario(good + R"(, { "set": { "Demo.Nothing": { "value": 1 } } })"));
    std::ostringstream out;
    try {
        sim::runAndPrint(unknown, {}, out, false);
        ADD_FAILURE() << "ran";
    } catch (const sim::ScenarioError& error) {
        EXPECT_NE(std::string(error.what()).find("step 51: set \"Demo.Nothing\""),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(out.str(), "") << "nothing printed of a run that did not start";
    EXPECT_EQ(scratch.temporariesLeft(), 0u);
}

}  // namespace
