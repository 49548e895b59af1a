// Reads of the integer and unsigned parameters of the tree (codes, set indices, flags) with the
// node's own value and status leaves; 0 for a missing node or one that is not in use.
#pragma once

#include <cstdint>

#include "FbDo.h"

inline int32_t ReadIntegerParameter(FbDoNode node) {
    return FbDo_ReadInteger(node, 0, FbDo_FindLeaf(node, kFbDoLeafValue),
                            FbDo_FindLeaf(node, kFbDoLeafStatus), nullptr, 0);
}

inline uint32_t ReadUnsignedParameter(FbDoNode node) {
    return FbDo_ReadUnsigned(node, 0, FbDo_FindLeaf(node, kFbDoLeafValue),
                             FbDo_FindLeaf(node, kFbDoLeafStatus), nullptr, 0);
}
