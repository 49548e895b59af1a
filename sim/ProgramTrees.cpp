#include "ProgramTrees.h"

#include "ScenarioFields.h"
#include "TreeLayouts.h"

namespace sim {
namespace {

const char kVeskProgram[] = "Vesk-Prog";
const char kCalorantProgram[] = "Calorant-Prog";

// The groups Vesk-Prog fetches from the root (measurement/src/Vesk.cpp).
const RootLayout kVeskLayout{kVeskProgram,
                             "examples/vesk/tree.json",
                             {{4, "General"}, {5, "Sulfur"}, {6, "DPs"}, {7, "Oxygen"}}};

// "A (child 9)", "A (child 9) and B (child 10)", ...
std::string listed(const std::vector<RootNode>& nodes) {
    std::string text;
    for (size_t i = 0; i < nodes.size(); ++i) {
        text += i == 0 ? "" : i + 1 == nodes.size() ? " and " : ", ";
        text += std::string(nodes[i].name) + " (child " + std::to_string(nodes[i].index) + ")";
    }
    return text;
}

// Refuses `tree` when it has none of the root nodes of `layout` that `program` fetches.
void requireRootNodes(const Scenario& scenario, const std::string& program,
                      const RootLayout& layout, const host::HostTree& tree) {
    const std::vector<RootNode> missing = missingRootNodes(tree, layout.nodes);
    if (missing.size() < layout.nodes.size()) {
        return;  // the program's tree, whole or not: the program's checks name what it misses
    }
    const std::string kindOfTree = layout.name == program
                                       ? program + " tree"
                                       : program + " tree of the " + layout.name + " layout";
    throw ScenarioError(scenario.file + ": \"tree\" " + quoted(scenario.treeFile) +
                        " lacks the root nodes " + listed(missing) + " that " + program +
                        " fetches at start-up: a " + kindOfTree + " starts from " + layout.model);
}

}  // namespace

void checkTreeFitsProgram(const Scenario& scenario, const std::string& program,
                          const host::HostTree& tree) {
    if (program == kVeskProgram) {
        requireRootNodes(scenario, program, kVeskLayout, tree);
    }
    checkTreeFitsTaste(scenario, tree);
    if (program == kCalorantProgram) {
        requireRootNodes(scenario, program, calorantLayout(scenario.taste), tree);
    }
}

}  // namespace sim
