// The check of a scenario's parameters against the tree before a run: an unknown name is
// refused with the nearest names the tree has, a setting a node cannot take with what the node
// takes, and true or false reach bool and trigger nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include <nlohmann/json.hpp>

#include "HostTree.h"
#include "ParameterNames.h"
#include "ParameterValidator.h"
#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "TestFolder.h"

namespace {

// A tree with a node of each kind, an unnamed structure (called "2" in names), a choice, and
// imports: connected, connected through another, cut loose, and connected to one cut loose.
const char* const kTree = R"({ "name": "Kinds", "root": { "children": [
    { "name": "Demo", "children": [
        { "name": "In", "kind": "double" },
        { "name": "Out", "kind": "double" },
        { "name": "Flag", "kind": "bool" },
        { "name": "Go", "kind": "trigger" },
        { "name": "Count", "kind": "integer" },
        { "name": "Size", "kind": "unsigned" },
        { "name": "Mask", "kind": "word" },
        { "name": "Label", "kind": "text" },
        { "name": "Unit", "kind": "choice",
          "alternatives": [ { "name": "Metric", "children": [ { "name": "Scale", "kind": "double" } ] },
                            { "name": "Imperial" } ] } ] },
    { "name": "Oxygen", "children": [ { "name": "CV_O2M", "kind": "double" },
                                      { "name": "CV_O2S", "kind": "double" } ] },
    { "children": [ { "name": "MeasCalcMethod", "kind": "unsigned" } ] },
    { "name": "Feed", "children": [ { "name": "Line", "kind": "double" },
                                    { "name": "Lev1", "kind": "import", "source": "Feed.Line" },
                                    { "name": "Relay", "kind": "import", "source": "Feed.Lev1" },
                                    { "name": "Held", "kind": "import" },
                                    { "name": "Via", "kind": "import", "source": "Feed.Held" } ] }
    ] } })";

// Validates the one step of a scenario with `step` (JSON) against kTree; the refusal, or "".
std::string refusal(const std::string& step) {
    const std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(kTree);
    const sim::Scenario scenario =
        sim::parseScenario(R"({ "steps": [ )" + step + " ] }", "", "k.json");
    try {
        sim::ParameterValidator(scenario, *tree).validateStep(scenario.steps.at(0));
    } catch (const sim::ScenarioError& error) {
        return error.what();
    }
    return "";
}

TEST(ParameterNamesTest, EveryNamedNodeOfTheTreeIsListed) {
    const std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(kTree);
    const std::vector<std::string> names = sim::parameterNames(*tree);
    for (const char* name : {"Demo", "Demo.In", "Demo.Unit", "Demo.Unit.Metric",
                             "Demo.Unit.Metric.Scale", "Oxygen.CV_O2S", "2.MeasCalcMethod"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
    for (const std::string& name : names) {
        EXPECT_NE(tree->find(name), nullptr) << name;
    }
}

// The names offered for an unknown one: those ending in it or sharing its last component
// first, then those a typo or two away; none for a name near nothing.
TEST(ParameterNamesTest, TheNearestNamesAreOffered) {
    const std::vector<std::string> names{"Demo.In",
                                         "Demo.Out",
                                         "Demo.Label",
                                         "Oxygen.CV_O2M",
                                         "Oxygen.CV_O2S",
                                         "Sulfur.CV_H2S",
                                         "Sulfur.LhA_H2S",
                                         "DPs.CV_twdp",
                                         "Oxygen.SNo1.CV_O2M",
                                         "Oxygen.SNo2.CV_O2M",
                                         "8.MeasCalcMethod"};
    const struct {
        const char* wanted;
        std::vector<std::string> offered;
    } cases[] = {
        {"MeasCalcMethod", {"8.MeasCalcMethod"}},
        {"meascalcmethod", {"8.MeasCalcMethod"}},
        {"Demo.Inn", {"Demo.In"}},
        {"Demo.Lable", {"Demo.Label"}},
        {"CV_H2S", {"Sulfur.CV_H2S"}},
        {"Sulphur.CV_H2S", {"Sulfur.CV_H2S"}},
        {"Oxygen.CV_O2", {"Oxygen.CV_O2M", "Oxygen.CV_O2S", "Oxygen.SNo1.CV_O2M"}},
        {"SNo2.CV_O2M", {"Oxygen.SNo2.CV_O2M"}},
        {"CV_O2M", {"Oxygen.CV_O2M", "Oxygen.SNo1.CV_O2M", "Oxygen.SNo2.CV_O2M"}},
        {"Sulfur.CV_H2", {"Sulfur.CV_H2S"}},
        {"Nothing.Like.It", {}},
        // A name ending in the one given is offered only where a component begins: "O2M" and
        // "alcMethod" end names, but inside a component.
        {"O2M", {}},
        {"alcMethod", {}},
        {"Out", {"Demo.Out"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wanted);
        EXPECT_EQ(sim::nearestNames(c.wanted, names), c.offered);
    }
    EXPECT_EQ(sim::nearestNames("Demo.x", {"Demo.a", "Demo.b", "Demo.c", "Demo.d"}, 2).size(), 2u)
        << "at most `most` names";
    EXPECT_EQ(sim::didYouMean({}), "");
    EXPECT_EQ(sim::didYouMean({"A"}), "; did you mean A?");
    EXPECT_EQ(sim::didYouMean({"A", "B", "C"}), "; did you mean A, B or C?");
}

TEST(ParameterValidatorTest, UnknownNamesAreRefusedWithTheNearestNames) {
    EXPECT_EQ(refusal(R"({ "set": { "MeasCalcMethod": { "value": 1 } } })"),
              "k.json: step 1: set \"MeasCalcMethod\": no such parameter in the tree; did you "
              "mean 2.MeasCalcMethod?");
    EXPECT_EQ(refusal(R"({ "expect": { "Demo.Outt": { "value": 1 } } })"),
              "k.json: step 1: expect \"Demo.Outt\": no such parameter in the tree; did you mean "
              "Demo.Out?");
    EXPECT_EQ(refusal(R"({ "set": { "Demo.Nothing": { "value": 1 } } })"),
              "k.json: step 1: set \"Demo.Nothing\": no such parameter in the tree");
}

// Each kind takes the settings and values it can hold; a refusal names the setting and says
// what the node takes.
TEST(ParameterValidatorTest, SettingsAreCheckedAgainstTheKindAndItsRange) {
    const struct {
        const char* step;
        const char* refused;  // "" for accepted; else the end of the message
    } cases[] = {
        {R"({ "set": { "Demo.Flag": { "value": true } } })", ""},
        {R"({ "set": { "Demo.Flag": { "value": false } } })", ""},
        {R"({ "set": { "Demo.Flag": { "value": 1 } } })", ""},
        {R"({ "set": { "Demo.Go": { "value": true } } })", ""},
        {R"({ "set": { "Demo.Count": { "value": -2147483648 } } })", ""},
        {R"({ "set": { "Demo.Size": { "value": 4294967295 } } })", ""},
        {R"({ "set": { "Demo.In": { "value": "NaN", "status": 8, "inUse": false } } })", ""},
        {R"({ "set": { "Demo.Unit": { "choice": 1, "inUse": true } } })", ""},
        {R"({ "set": { "Demo.Flag": { "value": 2 } } })",
         "set \"Demo.Flag\": the parameter cannot take this setting (\"value\": 2): it is a bool "
         "node, which takes \"value\" (true, false, 0 or 1), \"status\" and \"inUse\""},
        {R"({ "set": { "Demo.Go": { "value": "NaN" } } })",
         "(\"value\": \"NaN\"): it is a trigger node, which takes \"value\" (true, false, 0 or 1)"},
        {R"({ "set": { "Demo.In": { "value": true } } })",
         "(\"value\": true): it is a double node, which takes \"value\" (a number, \"NaN\", "
         "\"Infinity\" or \"-Infinity\"), \"status\" and \"inUse\""},
        {R"({ "set": { "Demo.Count": { "value": 2.5 } } })",
         "(\"value\": 2.5): it is an integer node, which takes \"value\" (a whole number from "
         "-2147483648 to 2147483647)"},
        {R"({ "set": { "Demo.Count": { "value": 2147483648 } } })",
         "(\"value\": 2147483648): it is an integer node"},
        {R"({ "set": { "Demo.Size": { "value": -1 } } })",
         "(\"value\": -1): it is an unsigned node, which takes \"value\" (a whole number from 0 "
         "to 4294967295)"},
        {R"({ "set": { "Demo.Mask": { "value": 4294967296 } } })",
         "(\"value\": 4294967296): it is a word node"},
        {R"({ "set": { "Demo.Size": { "value": 4294967295.5 } } })",
         "(\"value\": 4294967295.5): it is an unsigned node"},
        {R"({ "set": { "Demo.In": { "text": "x" } } })",
         "(\"text\"): it is a double node, which takes \"value\""},
        {R"({ "set": { "Demo.Label": { "value": 1 } } })",
         "(\"value\": 1): it is a text node, which takes \"text\", \"status\" and \"inUse\""},
        {R"({ "set": { "Demo.In": { "choice": 1 } } })", "(\"choice\"): it is a double node"},
        {R"({ "set": { "Demo.Unit": { "status": 1 } } })",
         "(\"status\"): it is a choice node, which takes \"choice\" (0 or 1) and \"inUse\""},
        {R"({ "set": { "Demo": { "value": 1 } } })",
         "(\"value\": 1): it is a structure node, which takes \"inUse\" only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const std::string message = refusal(c.step);
        if (std::string(c.refused).empty()) {
            EXPECT_EQ(message, "");
        } else {
            EXPECT_EQ(message.rfind("k.json: step 1: set \"", 0), 0u) << message;
            EXPECT_NE(message.find(c.refused), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << "one line";
        }
    }
}

// Validates the "outputs" of a scenario against kTree; the refusal, or "".
std::string outputsRefusal(const std::string& outputs) {
    const std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(kTree);
    const sim::Scenario scenario =
        sim::parseScenario(R"({ "outputs": )" + outputs + " }", "", "k.json");
    try {
        sim::ParameterValidator(scenario, *tree).validate();
    } catch (const sim::ScenarioError& error) {
        return error.what();
    }
    return "";
}

// A connected import reads its source's value and status, so a value or status set on it never
// counts: refused, naming the node at the end of its chain of sources. Its in-use flag counts,
// and an import cut loose holds its own value: both taken as before.
TEST(ParameterValidatorTest, AConnectedImportTakesNoValueOrStatus) {
    const struct {
        const char* step;
        const char* refused;  // "" for accepted; else the end of the message
    } cases[] = {
        {R"({ "set": { "Feed.Lev1": { "value": 42.5 } } })",
         "k.json: step 1: set \"Feed.Lev1\": an import that reads \"Feed.Line\", so a \"value\" "
         "or \"status\" set on it never counts; set \"Feed.Line\" instead"},
        {R"({ "set": { "Feed.Lev1": { "status": 4 } } })",
         "never counts; set \"Feed.Line\" instead"},
        {R"({ "set": { "Feed.Relay": { "value": 1 } } })", "set \"Feed.Line\" instead"},
        {R"({ "set": { "Feed.Via": { "value": 1 } } })", "set \"Feed.Held\" instead"},
        {R"({ "set": { "Feed.Lev1": { "inUse": false } } })", ""},
        {R"({ "set": { "Feed.Held": { "value": 3, "status": 4 } } })", ""},
        {R"({ "set": { "Feed.Line": { "value": 3 } } })", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const std::string message = refusal(c.step);
        const std::string refused = c.refused;
        EXPECT_EQ(message.empty(), refused.empty()) << message;
        EXPECT_GE(message.size(), refused.size());
        EXPECT_EQ(message.substr(message.size() - std::min(message.size(), refused.size())),
                  refused);
    }
}

// The cycle table records numbers: an output that names a structure or a choice is refused
// with the leaves below it (the first five, and how many more), a text node likewise.
TEST(ParameterValidatorTest, OutputsMustHoldANumber) {
    const struct {
        const char* outputs;
        const char* refusal;
    } cases[] = {
        {R"(["Demo.In", "Demo.Flag", "Demo.Count", "Demo.Mask", "Demo.Go"])", ""},
        {R"(["Demo.In", "Demo"])",
         "k.json: \"outputs\" \"Demo\": a structure node, which holds no number; name its leaves: "
         "Demo.In, Demo.Out, Demo.Flag, Demo.Go, Demo.Count and 3 more"},
        {R"(["Oxygen"])",
         "k.json: \"outputs\" \"Oxygen\": a structure node, which holds no number; name its "
         "leaves: Oxygen.CV_O2M, Oxygen.CV_O2S"},
        {R"(["Demo.Unit"])",
         "k.json: \"outputs\" \"Demo.Unit\": a choice node, which holds no number; name its "
         "leaves: Demo.Unit.Metric.Scale"},
        {R"(["Demo.Label"])",
         "k.json: \"outputs\" \"Demo.Label\": a text node; the cycle table records numbers"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outputs);
        EXPECT_EQ(outputsRefusal(c.outputs), c.refusal);
    }
}

// A name the tree lacks is echoed in one printable line: control characters escaped, quotes
// and backslashes too, a very long name cut; and the search for the nearest names stays quick
// however long the name.
TEST(ParameterValidatorTest, UnknownNamesAreEchoedInOnePrintableLine) {
    const struct {
        std::string name;
        std::string echoed;
    } cases[] = {
        {"Demo.I\nn\x1b[2J", "set \"Demo.I\\u000an\\u001b[2J\": no such parameter"},
        {"Demo.\"In\\", "set \"Demo.\\\"In\\\\\": no such parameter"},
        {"Demo.In\u009b1m", "set \"Demo.In\\u009b1m\": no such parameter"},
        {std::string(100000, 'x'),
         "set \"" + std::string(120, 'x') + "\"... (99880 more bytes): no such parameter"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.echoed);
        const nlohmann::json step = {{"set", {{c.name, {{"value", 1}}}}}};
        const auto begin = std::chrono::steady_clock::now();
        const std::string message = refusal(step.dump());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        EXPECT_NE(message.find(c.echoed), std::string::npos) << message.substr(0, 300);
        EXPECT_EQ(std::count_if(message.begin(), message.end(),
                                [](char byte) {
                                    return static_cast<unsigned char>(byte) < 0x20 ||
                                           byte == '\x7f';
                                }),
                  0);
        EXPECT_LT(message.size(), 400u);
        EXPECT_LT(took.count(), 0.5) << "the nearest names of a long name";
    }
}

// The nearest names of a very long name among the names of a large tree are found at once: a
// name far longer than any the tree has is near none of them.
TEST(ParameterNamesTest, TheNearestNamesOfAVeryLongNameAreQuick) {
    std::vector<std::string> names;
    for (int group = 0; group < 40; ++group) {
        for (int value = 0; value < 50; ++value) {
            names.push_back("Group" + std::to_string(group) + ".Value_" + std::to_string(value));
        }
    }
    for (const std::string& wanted :
         {std::string(100000, 'x'), "Group1." + std::string(100000, 'x'),
          std::string(100000, 'x') + ".Value_1"}) {
        const auto begin = std::chrono::steady_clock::now();
        const std::vector<std::string> offered = sim::nearestNames(wanted, names);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        EXPECT_LT(took.count(), 0.5);
        EXPECT_LE(offered.size(), 3u);
    }
}

// true and false reach a bool node through a run, and may be expected of it.
TEST(ParameterValidatorTest, TrueAndFalseReachABoolNode) {
    const TestFolder scratch;
    const std::string& folder = scratch.path();
    { std::ofstream(folder + "/tree.json") << kTree; }
    const sim::Scenario scenario = sim::parseScenario(
        R"({ "tree": "tree.json",
             "testProgram": { "useTree": true, "input": "Demo.In", "output": "Demo.Out" },
             "steps": [
               { "set": { "Demo.Flag": { "value": true } },
                 "expect": { "Demo.Flag": { "value": 1 } } },
               { "set": { "Demo.Flag": { "value": false } },
                 "expect": { "Demo.Flag": { "value": false } } },
               { "set": { "Demo.Go": { "value": true } },
                 "expect": { "Demo.Go": { "value": true } } } ] })",
        folder, "b.json");
    const sim::RunResult result = sim::runScenario(scenario);
    EXPECT_EQ(result.exitCode(), sim::kExitPassed) << result.failure;
    ASSERT_EQ(result.checks.size(), 3u);
    for (const sim::CheckResult& check : result.checks) {
        EXPECT_TRUE(check.passed) << check.expected << ", got " << check.actual;
    }
}

}  // namespace
