#include "TreeLayouts.h"

#include <cstdint>
#include <string>

#include "FbDo.h"
#include "ScenarioFields.h"

namespace sim {
namespace {

// A child of the tree's root that a layout has at its own index.
struct RootChild {
    uint32_t index;
    const char* name;
};

// A layout: the taste that selects it, its model, and the root children whose indices set it
// apart (the composition, the base conditions and the events, as the taste's accessors reach
// them; gascalc/src/Taste.cpp).
struct Layout {
    const char* name;
    const char* taste;
    const char* model;
    RootChild children[3];
};

constexpr Layout kLayouts[] = {
    {"Default",
     "",
     "gascalc/model/CalorantDefault.json",
     {{6, "Comp"}, {10, "Base1"}, {14, "Events"}}},
    {"ZM1", "ZM1", "gascalc/model/CalorantZM1.json", {{5, "Comp"}, {9, "Base1"}, {10, "Events"}}},
    {"BM1", "BM1", "gascalc/model/CalorantBM1.json", {{6, "Comp"}, {10, "Base1"}, {12, "Events"}}},
};

bool hasLayout(const host::HostTree& tree, const Layout& layout) {
    for (const RootChild& child : layout.children) {
        std::string name;
        const FbDoNode node = FbDo_GetChild(tree.root(), child.index);
        if (node == nullptr || FbDo_ParameterName(node, &name, nullptr) != 0 ||
            name != child.name) {
            return false;
        }
    }
    return true;
}

// The layout a taste name selects: "ZM1" and "BM1" exactly, every other name the Default one
// (as the program's taste does).
const Layout& selectedLayout(const std::string& taste) {
    for (const Layout& layout : kLayouts) {
        if (taste == layout.taste) {
            return layout;
        }
    }
    return kLayouts[0];
}

}  // namespace

void checkTreeFitsTaste(const Scenario& scenario, const host::HostTree& tree) {
    const Layout& wanted = selectedLayout(scenario.taste);
    for (const Layout& layout : kLayouts) {
        if (&layout != &wanted && hasLayout(tree, layout) && !hasLayout(tree, wanted)) {
            const std::string treeTaste = layout.taste;
            throw ScenarioError(scenario.file + ": \"taste\": " + quoted(scenario.taste) +
                                " needs a tree of the " + wanted.name + " layout (" + wanted.model +
                                "), but \"tree\" " + quoted(scenario.treeFile) + " has the " +
                                layout.name + " layout (taste " + quoted(treeTaste) + ")");
        }
    }
}

}  // namespace sim
