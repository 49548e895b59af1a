// The parameter names of a tree, and the names nearest to one the tree lacks: what the messages
// that refuse an unknown name offer instead.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "HostTree.h"

namespace sim {

// The parameter name of `node`; "" for a null node or one whose name cannot be read.
std::string nameOf(FbDoNode node);

// Every parameter name of `tree` (the root's "" left out), choice alternatives included, in
// the order of the tree.
std::vector<std::string> parameterNames(const host::HostTree& tree);

// The names of the nodes holding a number (not structures, choices or texts) at `node` and
// below it, in the order of the tree.
std::vector<std::string> numberNames(FbDoNode node);

// The first `most` of `names`, separated by ", ", and "and N more" when there are more.
std::string someNames(const std::vector<std::string>& names, size_t most = 5);

// Up to `most` names of `names` nearest to `wanted`, letter case aside: when names end in
// ".<wanted>", those; else the names at the least edit distance (insertions, deletions and
// replacements) from `wanted` or from its last component (0 for a name that shares it), when
// that is a typo or two. Empty when none is near.
std::vector<std::string> nearestNames(const std::string& wanted,
                                      const std::vector<std::string>& names, size_t most = 3);

// "; did you mean A?", "; did you mean A, B or C?", or "" for no names.
std::string didYouMean(const std::vector<std::string>& names);

}  // namespace sim
