// The program's globals, through which the hooks reach the taste, the tree and the change
// counters. Set by the FbDO hook on the initial task; the tree-change callback advances the
// counters on a framework task.
#pragma once

#include "AsInfo.h"
#include "FbDo.h"
#include "SharedWord.h"

class Taste;

struct ProgramContext {
    // The single taste; null until the FbDO hook made it (and when it could not). The display
    // task reads it.
    static SharedPointer<Taste> myTaste;
    // The address space's tree (a copy of AsInfo::pTheTree); null until the FbDO hook ran. The
    // display task reads it.
    static SharedPointer<FbDoTree> tree;
    // Tree changes counted, and the count for which the preprocessing was last restarted.
    static SharedCounter treeChanges;
    static SharedCounter treeChangesHandled;
    static AsInfo* pAsInfo;
    // Whether the preprocessing object of the tree was built; without it the cycle skips the
    // preprocessing (whose entry points would stop the address space on the missing object).
    static bool preprocessingReady;

    // Back to the start state (all zero), for a new start of the address space in this process.
    static void Clear();
};
