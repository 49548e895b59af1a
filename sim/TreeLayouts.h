// The parameter layouts a taste selects in Calorant-Prog, and the check before a run that the
// scenario's tree is the layout its taste selects: a tree of another layout would send the
// program's node lookups to the wrong children of the root.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HostTree.h"
#include "Scenario.h"

namespace sim {

// A child of a tree's root, by its index and name, that a program fetches at start-up.
struct RootNode {
    uint32_t index;
    const char* name;
};

// The root nodes a program needs of its tree, and the model its trees start from.
struct RootLayout {
    const char* name;   // "Default", "ZM1", "BM1", or the program's
    const char* model;  // relative to the repository
    std::vector<RootNode> nodes;
};

// The nodes of `nodes` that `tree`'s root lacks (no child at the index, or one of another name).
std::vector<RootNode> missingRootNodes(const host::HostTree& tree,
                                       const std::vector<RootNode>& nodes);

// The Calorant layout a taste name selects: "ZM1" and "BM1" exactly, every other name the
// Default one (as the program's taste does). Its nodes are the groups the program binds at
// start-up (the measuring conditions, the base conditions, the composition and the events).
const RootLayout& calorantLayout(const std::string& taste);

// Throws ScenarioError (one line naming the taste, the layout it needs and the tree's layout)
// when `tree` is one of the three Calorant layouts (Default, ZM1, BM1) but not the one that
// `scenario`'s taste selects. A tree of none of them (Vesk-Prog's, a test tree) is not checked:
// its program does not read the taste.
void checkTreeFitsTaste(const Scenario& scenario, const host::HostTree& tree);

}  // namespace sim
