// The parameter tree of an address space and the root node of a tree.
#pragma once

#include <cstdint>

#include "AsInfo.h"
#include "FbDo.h"
#include "Tarvo.h"

// Source path and line under which the assertions of this header are reported.
constexpr const char* kFbDoStoragePath = "FbDo/FbDoStorage";
constexpr uint32_t kFbDoStorageAsInfoLine = 310;

// The address space's tree pTheTree from its block; null while the framework has not made it.
// Asserts that `pAsInfo` is not null ("pAsInfo", FbDo/FbDoStorage line 310; does not return).
// Any task.
inline FbDoTree* GetFbDoTree(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        Tarvo_AssertFailed("pAsInfo", kFbDoStoragePath, kFbDoStorageAsInfoLine);
    }
    return pAsInfo->pTheTree;
}

// The root node of a tree: the first word of the tree object; the node itself is not tested.
// Asserts that `pTheTree` is not null ("pTheTree"; does not return). A program's generated
// access classes give the same call for their tree type, reporting their own header; that
// overload is chosen wherever it is visible. Any task.
template <typename Tree>
FbDoNode GetRootNodeOfTree(Tree* pTheTree) {
    if (pTheTree == nullptr) {
        Tarvo_AssertFailed("pTheTree", kFbDoStoragePath, __LINE__);
    }
    return pTheTree->pRoot;
}
