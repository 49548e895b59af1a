// The checks before a run that the tree fits its program: a Calorant tree is the layout its taste
// selects (each of the three model trees fits its own taste only; a tree of no Calorant layout
// fits any taste), and a Vesk tree under Calorant-Prog or a Calorant tree under Vesk-Prog is
// refused in one line naming the program and the root nodes the tree lacks, before anything runs.
#include <gtest/gtest.h>

#include <string>

#include <functional>

#include "HostTree.h"
#include "ProgramTrees.h"
#include "Scenario.h"
#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "TestAddressSpace.h"
#include "TreeLayouts.h"

namespace {

const std::string kRepository = REPOSITORY_DIR;

// The refusal by `check` of a scenario with `taste` and the tree model `tree` (relative to the
// repository), or "".
std::string refusal(const std::function<void(const sim::Scenario&, const host::HostTree&)>& check,
                    const std::string& taste, const std::string& tree) {
    const std::unique_ptr<host::HostTree> model =
        host::HostTree::fromFile(kRepository + "/" + tree);
    sim::Scenario scenario;
    scenario.file = "s.json";
    scenario.taste = taste;
    scenario.treeFile = tree;
    try {
        check(scenario, *model);
    } catch (const sim::ScenarioError& error) {
        return error.what();
    }
    return "";
}

// The refusal of `taste` with the tree model `tree`, or "".
std::string refusal(const std::string& taste, const std::string& tree) {
    return refusal(sim::checkTreeFitsTaste, taste, tree);
}

// The refusal of `program` with `taste` and the tree model `tree`, or "".
std::string refusal(const std::string& program, const std::string& taste, const std::string& tree) {
    return refusal(
        [&program](const sim::Scenario& scenario, const host::HostTree& model) {
            sim::checkTreeFitsProgram(scenario, program, model);
        },
        taste, tree);
}

TEST(TreeLayoutsTest, EachCalorantTreeFitsTheTasteOfItsLayoutOnly) {
    const char* const defaultTree = "gascalc/model/CalorantDefault.json";
    const char* const zm1Tree = "gascalc/model/CalorantZM1.json";
    const char* const bm1Tree = "gascalc/model/CalorantBM1.json";
    const struct {
        const char* taste;
        const char* tree;
        bool fits;
    } cases[] = {
        {"", defaultTree, true},
        {"ZM1", zm1Tree, true},
        {"BM1", bm1Tree, true},
        {"ZM1", defaultTree, false},
        {"BM1", defaultTree, false},
        {"", zm1Tree, false},
        {"BM1", zm1Tree, false},
        {"", bm1Tree, false},
        {"ZM1", bm1Tree, false},
        // Only "ZM1" and "BM1" exactly select their layouts; any other name the Default one.
        {"zm1", defaultTree, true},
        {"zm1", zm1Tree, false},
        {"Other", defaultTree, true},
        // Vesk-Prog does not read the taste.
        {"ZM1", "examples/vesk/tree.json", true},
        {"", "examples/vesk/tree.json", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.taste) + " " + c.tree);
        const std::string message = refusal(c.taste, c.tree);
        EXPECT_EQ(message.empty(), c.fits) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
    EXPECT_EQ(refusal("ZM1", defaultTree),
              "s.json: \"taste\": \"ZM1\" needs a tree of the ZM1 layout "
              "(gascalc/model/CalorantZM1.json), but \"tree\" "
              "\"gascalc/model/CalorantDefault.json\" has the Default layout (taste \"\")");
}

TEST(ProgramTreesTest, ATreeOfTheOtherProgramIsRefusedNamingWhatItLacks) {
    const char* const veskTree = "examples/vesk/tree.json";
    const char* const veskModel = "measurement/model/Vesk.json";
    const char* const defaultTree = "gascalc/model/CalorantDefault.json";
    const char* const zm1Tree = "gascalc/model/CalorantZM1.json";
    const char* const bm1Tree = "gascalc/model/CalorantBM1.json";
    const std::string veskLacks =
        "lacks the root nodes General (child 4), Sulfur (child 5), DPs (child 6) and Oxygen "
        "(child 7) that Vesk-Prog fetches at start-up: a Vesk-Prog tree starts from "
        "examples/vesk/tree.json";
    const struct {
        const char* program;
        const char* taste;
        const char* tree;
        std::string refused;  // "" for accepted; else a part of the message
    } cases[] = {
        {"Vesk-Prog", "", veskTree, ""},
        {"Vesk-Prog", "", veskModel, ""},
        {"Calorant-Prog", "", defaultTree, ""},
        {"Calorant-Prog", "ZM1", zm1Tree, ""},
        {"Calorant-Prog", "BM1", bm1Tree, ""},
        {"test", "", veskTree, ""},
        {"test", "", defaultTree, ""},
        {"Vesk-Prog", "", defaultTree, veskLacks},
        {"Vesk-Prog", "", zm1Tree, veskLacks},
        {"Vesk-Prog", "BM1", bm1Tree, veskLacks},
        {"Calorant-Prog", "", veskTree,
         "s.json: \"tree\" \"examples/vesk/tree.json\" lacks the root nodes MeasCond (child 9), "
         "Base1 (child 10), Comp (child 6) and Events (child 14) that Calorant-Prog fetches at "
         "start-up: a Calorant-Prog tree of the Default layout starts from "
         "gascalc/model/CalorantDefault.json"},
        {"Calorant-Prog", "ZM1", veskModel,
         "lacks the root nodes MeasCond (child 8), Base1 (child 9), Comp (child 5) and Events "
         "(child 10) that Calorant-Prog fetches at start-up: a Calorant-Prog tree of the ZM1 "
         "layout starts from gascalc/model/CalorantZM1.json"},
        // A Calorant tree of another layout than the taste's is named as such.
        {"Calorant-Prog", "ZM1", defaultTree, "\"taste\": \"ZM1\" needs a tree of the ZM1 layout"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.taste + " " + c.tree);
        const std::string message = refusal(c.program, c.taste, c.tree);
        EXPECT_EQ(message.empty(), c.refused.empty()) << message;
        EXPECT_NE(message.find(c.refused), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
}

// A tree that has some of its program's root nodes is the program's: the program's own checks
// name the node it misses in their fatal stop.
TEST(ProgramTreesTest, AProgramsTreeMissingSomeRootNodesIsLeftToTheProgram) {
    const std::unique_ptr<host::HostTree> tree = host::HostTree::fromJson(
        R"({ "name": "Part", "root": { "children": [
             { "index": 5, "name": "Sulfur" }, { "index": 6, "name": "DPs" } ] } })");
    sim::Scenario scenario;
    EXPECT_NO_THROW(sim::checkTreeFitsProgram(scenario, "Vesk-Prog", *tree));
    EXPECT_THROW(sim::checkTreeFitsProgram(scenario, "Calorant-Prog", *tree), sim::ScenarioError);
}

// The refusal comes before the run: no life starts.
TEST(ProgramTreesTest, TheRefusalComesBeforeTheRun) {
    sim::Scenario scenario;
    scenario.file = "s.json";
    scenario.program = "Calorant-Prog";
    scenario.treeFile = kRepository + "/examples/vesk/tree.json";
    sim::RunSettings settings;
    settings.programs = {{"Calorant-Prog", [] {
                              ADD_FAILURE() << "the program ran";
                              return sim::testProgramMain();
                          }}};
    try {
        sim::runScenario(scenario, settings);
        ADD_FAILURE() << "ran";
    } catch (const sim::ScenarioError& error) {
        EXPECT_NE(std::string(error.what()).find("lacks the root nodes MeasCond"),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace
