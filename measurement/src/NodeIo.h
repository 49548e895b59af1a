// The small node reads and writes that every measurement part makes, over the value leaf (19)
// and the status leaf (20) of a node.
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "ValueStatus.h"

namespace node_io {

// The node's status word; 0 when it has no status leaf.
inline uint32_t status(FbDoNode node) {
    FbDoLeaf leaf = FbDo_FindLeaf(node, kFbDoLeafStatus);
    return leaf != nullptr ? FbDo_LeafStatus(leaf) : 0;
}

// Bit 0 of a bool (or trigger) node's value.
inline bool readBool(FbDoNode node) {
    return (FbDo_ReadBool(node, 0, FbDo_FindLeaf(node, kFbDoLeafValue),
                          FbDo_FindLeaf(node, kFbDoLeafStatus), nullptr, 0) &
            1u) != 0;
}

// True when the node is in use, its status is usable and its bool value is true: a zero-flow
// input that holds warnings off and restarts delays.
inline bool isUsableAndTrue(FbDoNode node) {
    return FbDo_IsInUse(node) != 0 && isUsable(status(node)) && readBool(node);
}

// Bit 0 of the node's value as the tree holds it (false without a value leaf).
inline bool leafBool(FbDoNode node) {
    return (FbDo_ReadLeafValue(FbDo_FindLeaf(node, kFbDoLeafValue)) & 1u) != 0;
}

// Writes a bool output, leaving its status word as it is.
inline void writeBool(FbDoNode node, bool value) {
    FbDo_WriteBool(node, value ? 1u : 0u, FbDo_GetLeaf(node, kFbDoLeafValue),
                   FbDo_GetLeaf(node, kFbDoLeafStatus), nullptr);
}

// Writes a double with its status word.
inline void writeDouble(FbDoNode node, double value, uint32_t statusWord) {
    FbDo_WriteDouble(node, value, &statusWord);
}

// True once for each firing of the trigger since this reader's last call; `lastState` is the
// reader's last-state word.
inline bool triggerFired(FbDoNode trigger, uint32_t* lastState) {
    uint32_t scratch = 0;
    return FbDo_TriggerFired(trigger, lastState, FbDo_FindLeaf(trigger, kFbDoLeafValue),
                             FbDo_FindLeaf(trigger, kFbDoLeafStatus), &scratch) != 0;
}

}  // namespace node_io
