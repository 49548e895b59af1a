// The parameter layouts a taste selects in Calorant-Prog, and the check before a run that the
// scenario's tree is the layout its taste selects: a tree of another layout would send the
// program's node lookups to the wrong children of the root.
#pragma once

#include <string>

#include "HostTree.h"
#include "Scenario.h"

namespace sim {

// Throws ScenarioError (one line naming the taste, the layout it needs and the tree's layout)
// when `tree` is one of the three Calorant layouts (Default, ZM1, BM1) but not the one that
// `scenario`'s taste selects. A tree of none of them (Vesk-Prog's, a test tree) is not checked:
// its program does not read the taste.
void checkTreeFitsTaste(const Scenario& scenario, const host::HostTree& tree);

}  // namespace sim
