#include "TreeLayouts.h"

#include <string>

#include "FbDo.h"
#include "ParameterNames.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

// Each layout with the taste that selects it; the groups are at the indices the taste's
// accessors reach them (gascalc/src/LayoutBindings.cpp).
struct TasteLayout {
    const char* taste;
    RootLayout layout;
};

const TasteLayout kLayouts[] = {
    {"",
     {"Default",
      "gascalc/model/CalorantDefault.json",
      {{9, "MeasCond"}, {10, "Base1"}, {6, "Comp"}, {14, "Events"}}}},
    {"ZM1",
     {"ZM1",
      "gascalc/model/CalorantZM1.json",
      {{8, "MeasCond"}, {9, "Base1"}, {5, "Comp"}, {10, "Events"}}}},
    {"BM1",
     {"BM1",
      "gascalc/model/CalorantBM1.json",
      {{9, "MeasCond"}, {10, "Base1"}, {6, "Comp"}, {12, "Events"}}}},
};

bool hasLayout(const host::HostTree& tree, const RootLayout& layout) {
    return missingRootNodes(tree, layout.nodes).empty();
}

const TasteLayout& selectedLayout(const std::string& taste) {
    for (const TasteLayout& layout : kLayouts) {
        if (taste == layout.taste) {
            return layout;
        }
    }
    return kLayouts[0];
}

}  // namespace

std::vector<RootNode> missingRootNodes(const host::HostTree& tree,
                                       const std::vector<RootNode>& nodes) {
    std::vector<RootNode> missing;
    for (const RootNode& node : nodes) {
        if (nameOf(FbDo_GetChild(tree.root(), node.index)) != node.name) {
            missing.push_back(node);
        }
    }
    return missing;
}

const RootLayout& calorantLayout(const std::string& taste) {
    return selectedLayout(taste).layout;
}

void checkTreeFitsTaste(const Scenario& scenario, const host::HostTree& tree) {
    const TasteLayout& wanted = selectedLayout(scenario.taste);
    for (const TasteLayout& other : kLayouts) {
        if (&other != &wanted && hasLayout(tree, other.layout) && !hasLayout(tree, wanted.layout)) {
            throw ScenarioError(scenario.file + ": \"taste\": " + quoted(scenario.taste) +
                                " needs a tree of the " + wanted.layout.name + " layout (" +
                                wanted.layout.model + "), but \"tree\" " +
                                quoted(scenario.treeFile) + " has the " + other.layout.name +
                                " layout (taste " + quoted(other.taste) + ")");
        }
    }
}

}  // namespace sim
