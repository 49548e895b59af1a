// The warnings of a run: one line per node however often it comes, -0.0 taken as the 0 a
// whole-number node keeps, and names in an alternative a choice does not select, warned of at
// the cycles where they lie unselected.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "AlternativeWatch.h"
#include "HostTree.h"
#include "RunWarnings.h"
#include "Scenario.h"
#include "ScenarioRunner.h"
#include "TestFolder.h"

namespace {

// The test program doubles Demo.In into Demo.Out; whole-number nodes of each kind, and a choice
// that selects its second alternative.
const char* const kTree = R"({ "name": "Warned", "root": { "children": [
    { "name": "Demo", "children": [
        { "name": "In", "kind": "double", "value": 1 },
        { "name": "Out", "kind": "double" },
        { "name": "Count", "kind": "integer", "value": 5 },
        { "name": "Size", "kind": "unsigned", "value": 5 },
        { "name": "Mask", "kind": "word", "value": 5 },
        { "name": "Unit", "kind": "choice", "selected": 1, "alternatives": [
            { "name": "Metric", "children": [ { "name": "Scale", "kind": "double" },
                                              { "name": "Inner", "kind": "choice", "alternatives": [
                                                  { "name": "A", "children": [
                                                      { "name": "X", "kind": "double" } ] },
                                                  { "name": "B" } ] } ] },
            { "name": "Imperial", "children": [ { "name": "Factor", "kind": "double" } ] } ] }
    ] } ] } })";

// Runs the test program on kTree with `outputs` (JSON array) and `steps` (JSON).
sim::RunResult runOnTree(const std::string& outputs, const std::string& steps) {
    const TestFolder folder;
    { std::ofstream(folder.pathOf("tree.json")) << kTree; }
    const sim::Scenario scenario = sim::parseScenario(
        R"({ "tree": "tree.json", "testProgram": { "useTree": true }, "outputs": )" + outputs +
            R"(, "steps": [ )" + steps + " ] }",
        folder.path(), "w.json");
    sim::RunResult result = sim::runScenario(scenario);
    EXPECT_TRUE(result.completed) << result.failure;
    return result;
}

TEST(RunWarningsTest, OneLinePerKeyWithTheCountOfItsCyclesAndTheLast) {
    sim::RunWarnings warnings;
    warnings.add("a", 2, "first of a");
    warnings.add("b", 3, "first of b");
    warnings.add("a", 3, "second of a");
    warnings.add("a", 7, "third of a");
    EXPECT_EQ(warnings.lines(),
              (std::vector<std::string>{"first of a; 3 cycles in all, the last of step 7",
                                        "first of b"}));
}

// -0.0 set on a whole-number node reads back as 0, which is the same value: no warning. A value
// the program writes over still gives one.
TEST(RunWarningsTest, MinusZeroOnAWholeNumberNodeIsNotWrittenOver) {
    const sim::RunResult result =
        runOnTree(R"(["Demo.Count"])",
                  R"({ "set": { "Demo.Count": { "value": -0.0 }, "Demo.Size": { "value": -0.0 },
                      "Demo.Mask": { "value": -0.0 } },
             "command": "cycle", "expect": { "Demo.Count": { "value": 0 } } },
           { "set": { "Demo.Out": { "value": 7 } }, "command": "cycle" })");
    EXPECT_EQ(result.exitCode(), sim::kExitPassed);
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{"step 2: set \"Demo.Out\": the program wrote over it by "
                                        "the end of the cycle of step 2 (\"value\": 7, now 2)"}));
}

// A NaN the program leaves or writes where a step set a NaN is the same value; a number in
// place of a NaN, or a NaN in place of a number, is written over.
TEST(RunWarningsTest, ANaNOverANaNIsNotWrittenOver) {
    const std::string over =
        "step 1: set \"Demo.Out\": the program wrote over it by the end of "
        "the cycle of step 1 ";
    const struct {
        const char* in;
        const char* out;
        std::vector<std::string> warnings;
    } cases[] = {
        {"\"NaN\"", "\"NaN\"", {}},
        {"\"NaN\"", "7", {over + "(\"value\": 7, now NaN)"}},
        {"1", "\"NaN\"", {over + "(\"value\": \"NaN\", now 2)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.in) + " " + c.out);
        const sim::RunResult result = runOnTree(
            "[]", std::string(R"({ "set": { "Demo.In": { "value": )") + c.in +
                      R"( }, "Demo.Out": { "value": )" + c.out + R"( } }, "command": "cycle" })");
        EXPECT_EQ(result.warnings, c.warnings);
    }
}

// An output or a setting in an alternative the choice does not select is warned of once per
// node, counting the cycles where it lies unselected; once a step selects its alternative it is
// not. A nested choice is named where the outer one selects the alternative.
TEST(RunWarningsTest, NamesInAnUnselectedAlternativeAreWarnedOfAtTheirCycles) {
    const sim::RunResult result =
        runOnTree(R"(["Demo.Out", "Demo.Unit.Metric.Scale", "Demo.Unit.Imperial.Factor"])",
                  R"({ "command": "cycle" },
           { "set": { "Demo.Unit.Metric.Scale": { "value": 2 } }, "command": "cycle" },
           { "command": "cycle" },
           { "set": { "Demo.Unit": { "choice": 0 } } },
           { "set": { "Demo.Unit.Metric.Scale": { "value": 3 }, "Demo.Unit.Metric.Inner.A.X":
                      { "value": 1 }, "Demo.Unit.Metric.Inner.B": { "inUse": false } },
             "command": "cycle" })");
    EXPECT_EQ(result.exitCode(), sim::kExitPassed);
    const std::string metric =
        "it lies in \"Demo.Unit.Metric\", an alternative the choice \"Demo.Unit\" does not select "
        "(it selects \"Demo.Unit.Imperial\")";
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{
                  "output \"Demo.Unit.Metric.Scale\" at the cycle of step 1: " + metric +
                      "; the program does not write it; 3 cycles in all, the last of step 3",
                  "step 2: set \"Demo.Unit.Metric.Scale\" at the cycle of step 2: " + metric +
                      "; the program does not read it",
                  "output \"Demo.Unit.Imperial.Factor\" at the cycle of step 5: it lies in "
                  "\"Demo.Unit.Imperial\", an alternative the choice \"Demo.Unit\" does not "
                  "select (it selects \"Demo.Unit.Metric\"); the program does not write it",
                  "step 5: set \"Demo.Unit.Metric.Inner.B\" at the cycle of step 5: it lies in "
                  "\"Demo.Unit.Metric.Inner.B\", an alternative the choice "
                  "\"Demo.Unit.Metric.Inner\" does not select (it selects "
                  "\"Demo.Unit.Metric.Inner.A\"); the program does not read it"}));
}

// A choice selects by the low 15 bits of its selection word; the bits above do not count.
TEST(RunWarningsTest, AChoiceSelectsByTheLow15BitsOfItsWord) {
    const std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(kTree);
    const struct {
        uint32_t word;
        const char* selected;
        const char* other;
    } cases[] = {
        {0x8000, "Metric", "Imperial"},
        {0x8001, "Imperial", "Metric"},
        {0x18001, "Imperial", "Metric"},
        {0xffff0000, "Metric", "Imperial"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        tree->setSelectedChoice("Demo.Unit", c.word);
        EXPECT_EQ(sim::unselectedAlternative(*tree, std::string("Demo.Unit.") + c.selected), "");
        EXPECT_EQ(sim::unselectedAlternative(*tree, std::string("Demo.Unit.") + c.other),
                  std::string("\"Demo.Unit.") + c.other +
                      "\", an alternative the choice \"Demo.Unit\" does not select (it selects "
                      "\"Demo.Unit." +
                      c.selected + "\")");
    }
}

TEST(RunWarningsTest, TheUnselectedAlternativeIsTheOutermost) {
    const std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(kTree);
    const struct {
        const char* path;
        const char* where;
    } cases[] = {
        {"Demo.In", ""},
        {"Demo.Unit", ""},
        {"Demo.Unit.Imperial", ""},
        {"Demo.Unit.Imperial.Factor", ""},
        {"Demo.Unit.Metric", "\"Demo.Unit.Metric\", an alternative the choice \"Demo.Unit\""},
        {"Demo.Unit.Metric.Inner.B", "\"Demo.Unit.Metric\", an alternative"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string where = sim::unselectedAlternative(*tree, c.path);
        EXPECT_EQ(where.rfind(c.where, 0), 0u) << where;
        EXPECT_EQ(where.empty(), std::string(c.where).empty()) << where;
    }
    tree->setSelectedChoice("Demo.Unit", 0);
    EXPECT_EQ(sim::unselectedAlternative(*tree, "Demo.Unit.Metric.Inner.A.X"), "");
    EXPECT_EQ(sim::unselectedAlternative(*tree, "Demo.Unit.Metric.Inner.B"),
              "\"Demo.Unit.Metric.Inner.B\", an alternative the choice \"Demo.Unit.Metric.Inner\" "
              "does not select (it selects \"Demo.Unit.Metric.Inner.A\")");
}

}  // namespace
