// The check before a run that the scenario's tree is one of its program's: a tree of the other
// program would end the start-up in a fatal stop on the first root node the program misses.
#pragma once

#include <string>

#include "HostTree.h"
#include "Scenario.h"

namespace sim {

// Throws ScenarioError, in one line naming the tree, the root nodes it lacks (name and child
// index), `program` and the model its trees start from, when `tree` has none of the root nodes
// that `program` fetches at start-up (a tree of another program): Vesk-Prog's four groups,
// Calorant-Prog's groups of the layout its taste selects. A tree with some of them is the
// program's, left to the program's own checks. Checks checkTreeFitsTaste too, for every
// program (after the check of Vesk-Prog's groups: a Calorant tree is not one of its layouts).
void checkTreeFitsProgram(const Scenario& scenario, const std::string& program,
                          const host::HostTree& tree);

}  // namespace sim
