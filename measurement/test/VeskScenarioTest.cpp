// Vesk-Prog run by the scenario runner on trees that lack a node: the creation fails with the
// null-check text of the missing node in the trace log, and the run stops.
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

}  // namespace
