// Entry points of the preprocessing library. Each program creates one preprocessing object per
// parameter tree, restarts it after parameter changes and runs it once per cycle; the object
// lives in the tree's preprocessing slot, where every entry point finds it.
//
// Create, Refresh and Do run on the task that runs the life-cycle hooks; the display entry runs
// on the display-service task. Refresh, Do and the display entry hold the object's lock while
// they work on it; none of them takes the tree access. A null tree is an assertion failure
// (Tarvo_AssertFailed, which does not return).
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "FbDo.h"
#include "PEGCommand.h"

// Builds the preprocessing object of `pTheTree` and stores it in the tree's preprocessing slot.
// `first` >= 0: root child `first` holds PP nodes, one group each. `second` != 0: root child
// `second` is one group node (its first child is a parameter node) or the parent of group
// nodes. A root child that does not exist is traced and yields no groups. Returns 0 on success;
// 1 when the object or one of its groups cannot be built (nothing is stored) or when the tree
// already has an object (which is kept).
int CreatePreprocessing(FbDoTree* pTheTree, int32_t first, uint32_t second);

// Restarts the object after a parameter change: re-reads names, policies, limits, substitute
// settings and which levels are connected. `pAsInfo` is not read. Returns 0. Asserts that the
// tree and its object exist.
int RefreshPreprocessing(AsInfo* pAsInfo, FbDoTree* pTheTree);

// One pass over every group, then FbDo_CommitPreprocessing of the tree. Returns 1 when a
// group's cycle failed or the object's lock could not be taken (nothing is committed), else
// the commit's result. `pAsInfo` is not read. Asserts that the tree and its object exist.
int DoPreprocessing(AsInfo* pAsInfo, FbDoTree* pTheTree);

// Offers one display-service command record to the preprocessing page (display-service task).
// Returns 1 when the record was the page's (item ids 64000..64999, whatever its command) and
// was handled; 0 for every other record, and always 0 for a null tree (a command that arrives
// before the tree is known), a null record, a tree without a preprocessing object, or when the
// object's lock cannot be taken (traced). The page reads the object under its lock and sends
// what it has to send through the display service object of the last refresh after the lock
// is released; nothing is sent before the first refresh.
int HandlePreprocessingDisplayEvent(FbDoTree* doTree, const PEGCommand* record);

// Number of preprocessing lines / groups of the tree; 0 without an object. Assert the tree.
uint32_t GetNumberOfPPLines(FbDoTree* doTree);
uint32_t GetNumberOfPPGroups(FbDoTree* doTree);
