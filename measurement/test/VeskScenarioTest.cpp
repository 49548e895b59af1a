// Vesk-Prog run by the scenario runner: on trees that lack a node the creation fails with the
// null-check text of the missing node in the trace log, and the run stops; lives that share
// their files across an unclean stop never count saved sums twice.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ScenarioRunner.h"
#include "ScratchDirectory.h"
#include "TreeFixture.h"
#include "Veskmain.h"

namespace {

struct MissingNode {
    const char* parent;
    const char* name;
    const char* check;  // the null-check text naming it
};

// Runs Vesk-Prog through a start-up and one cycle on the model without `node`; returns the
// result and fills `log` with the trace log.
sim::RunResult runWithout(const MissingNode& node, std::string& log) {
    std::ofstream("model.json") << TreeFixture::modelWithout(node.parent, node.name);
    const sim::Scenario scenario = sim::parseScenario(
        R"({"program": "Vesk-Prog", "instance": 1, "tree": "model.json",
            "steps": [{"command": "cycle"}]})",
        ".");
    sim::RunSettings settings;
    settings.programs = {{"Vesk-Prog", VeskProgramMain}};
    settings.traceLog = "trace.log";
    const sim::RunResult result = sim::runScenario(scenario, settings);
    std::ifstream in("trace.log");
    std::stringstream text;
    text << in.rdbuf();
    log = text.str();
    return result;
}

TEST(VeskScenario, AMissingTreeNodeFailsTheCreationWithItsNullCheckText) {
    ScratchDirectory scratch;
    const MissingNode cases[] = {
        {"", "General", "myVeskNode.getGeneral()"},
        {"General", "A_IFc", "myGeneralNode.getA_IFc()"},
        {"", "Sulfur", "myVeskNode.getSulfur()"},
        {"", "Oxygen", "myVeskNode.getOxygen()"},
        {"DPs", "UA_thdp", "myDewPointsNode.getUA_thdp()"},
    };
    for (const MissingNode& node : cases) {
        SCOPED_TRACE(node.check);
        std::string log;
        const sim::RunResult result = runWithout(node, log);
        EXPECT_EQ(result.exitCode(), sim::kExitStopped);
        EXPECT_TRUE(result.fatalStop);
        // The create hook's trace (file 1, point 10, level 3) with the check's text.
        const std::string line =
            std::string("sel=0 id=0x100a3 [\"util/Helper.h:25 ") + node.check + " is NULL\"]\n";
        EXPECT_NE(log.find(line), std::string::npos) << log;
    }
}

// Reads a file whole.
std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the scenario file `name` of the unclean-stop scenarios as if it lay in the folder
// unclean-stop/ of the working directory, whose tree.json it reads: its files stay in
// unclean-stop/work/ for the next part.
sim::RunResult runPart(const std::string& name) {
    const std::string path = std::string(VESK_SCENARIO_DIR) + "/unclean-stop/" + name;
    const sim::Scenario scenario = sim::parseScenario(contentOf(path), "unclean-stop", path);
    sim::RunSettings settings;
    settings.programs = {{"Vesk-Prog", VeskProgramMain}};
    const sim::RunResult result = sim::runScenario(scenario, settings);
    for (const sim::CheckResult& check : result.checks) {
        EXPECT_TRUE(check.passed) << name << " step " << check.step << ": " << check.expected
                                  << ", got " << check.actual;
    }
    return result;
}

// Three lives on one data-set file: lives 1 and 2 in one run whose end stops the program
// without a shutdown, life 3 in a second run on the files it left. Each part's expectations
// are in its scenario file; they hold whether a restart keeps the tree or builds it afresh.
TEST(VeskScenario, AnUncleanStopNeverCountsSavedSumsTwice) {
    for (const std::string stop : {"after-day-ends", "mid-hour"}) {
        SCOPED_TRACE(stop);
        ScratchDirectory scratch;
        std::ofstream("tree.json") << contentOf(std::string(VESK_SCENARIO_DIR) + "/tree.json");
        ASSERT_EQ(mkdir("unclean-stop", 0755), 0);
        const sim::RunResult unclean = runPart(stop + ".1.lives-1-2.json");
        EXPECT_EQ(unclean.lives, 2u);
        EXPECT_EQ(unclean.exitCode(), sim::kExitPassed) << unclean.failure;
        const sim::RunResult next = runPart(stop + ".2.life-3.json");
        EXPECT_EQ(next.exitCode(), sim::kExitPassed) << next.failure;
    }
}

}  // namespace
