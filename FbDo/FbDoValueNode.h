// A parameter node together with its value and status leaves, found once where the node is found
// (at a bind or a parameter reload), so that every cycle's writes and reads of the node pass the
// leaves without searching them again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FbDo.h"

struct FbDoValueNode {
    FbDoNode node;    // null: every write does nothing, every read gives its default
    FbDoLeaf value;   // leaf 19 of the node, or null
    FbDoLeaf status;  // leaf 20 of the node, or null
};

// The children `first` to `first + N - 1` of `parent` into `children`, found once as the value
// nodes are; a null parent or a missing child gives null. Any task.
template <size_t N>
void FindChildren(FbDoNode parent, uint32_t first, FbDoNode (&children)[N]) {
    for (size_t i = 0; i < N; ++i) {
        children[i] = FbDo_GetChild(parent, first + static_cast<uint32_t>(i));
    }
}

// `node` (may be null) with its value and status leaves. Any task.
inline FbDoValueNode FindValueNode(FbDoNode node) {
    return FbDoValueNode{node, FbDo_FindLeaf(node, kFbDoLeafValue),
                         FbDo_FindLeaf(node, kFbDoLeafStatus)};
}

// FbDo_WriteBool of the node through its leaves; a null `status` keeps the node's status word.
inline int WriteBoolValue(const FbDoValueNode& target, uint32_t value, const uint32_t* status) {
    return FbDo_WriteBool(target.node, value, target.value, target.status, status);
}
