#include "Preprocessing.h"

#include <new>

#include "FbDo/FbDoValueNode.h"
#include "PPStatus.h"
#include "PPTreeAccess.h"
#include "Tarvo.h"
#include "TarvoTrace.h"

using PreProcessing::PPGroup;

namespace {

// Children of a group node written when it has no line.
enum : uint32_t {
    kGroupLevelOutput = 4,
    kGroupFirstRowOutput = 5,  // alarm outputs 5..10, warning outputs 11..16
    kGroupLastRowOutput = 16,
    kGroupSubstituteOutput = 17,
};

constexpr uint32_t kTraceFile = 0x7b;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTracePPNode = TraceId(kTraceFile, 0, 7),
    kTracePPNodesBuilt = TraceId(kTraceFile, 1, 6),
    kTracePPGroupNotCreated = TraceId(kTraceFile, 2, 3),
    kTracePPGroupNotBound = TraceId(kTraceFile, 3, 3),
    kTraceGroupNodeAdded = TraceId(kTraceFile, 4, 6),
    kTraceGroupNodeWithoutLines = TraceId(kTraceFile, 5, 6),
    kTraceGroupNotCreated = TraceId(kTraceFile, 6, 3),
    kTraceGroupNotBound = TraceId(kTraceFile, 7, 3),
    kTraceGroupNodeChild = TraceId(kTraceFile, 8, 7),
    kTraceGroupNodesAdded = TraceId(kTraceFile, 10, 6),
    kTraceGroupNodeChildFailed = TraceId(kTraceFile, 11, 3),
    kTraceRefreshed = TraceId(kTraceFile, 12, 6),
};

}  // namespace

uint32_t Preprocessing::buildFromPPNodes(FbDoNode node) {
    for (FbDoNode child = FbDo_FirstChild(node); child != nullptr;
         child = FbDo_NextSibling(child)) {
        const uint32_t number = FbDo_NodeNumber(child);
        TARVO_TRACE(kTraceSelector, kTracePPNode, TraceFormat(kTraceArgInt), number);
        std::unique_ptr<PPGroup> group(new (std::nothrow) PPGroup(groupCount()));
        if (!group) {
            TARVO_TRACE(kTraceSelector, kTracePPGroupNotCreated, TraceFormat(kTraceArgInt), number);
            return 1;
        }
        if (group->bindNode(child, number) != 0) {
            TARVO_TRACE(kTraceSelector, kTracePPGroupNotBound, TraceFormat(kTraceArgInt), number);
            return 1;
        }
        group->appendLines(lines_);
        groups_.push_back(std::move(group));
    }
    TARVO_TRACE(kTraceSelector, kTracePPNodesBuilt, TraceFormat(kTraceArgInt), groupCount());
    return 0;
}

uint32_t Preprocessing::addGroupNode(FbDoNode node, uint32_t nodeNumber) {
    std::unique_ptr<PPGroup> group(new (std::nothrow) PPGroup(groupCount()));
    if (!group) {
        TARVO_TRACE(kTraceSelector, kTraceGroupNotCreated, TraceFormat(kTraceArgInt), nodeNumber);
        return 1;
    }
    const uint32_t result = group->bindGroupNode(node, nodeNumber);
    if (result == PPGroup::kNoLines) {
        TARVO_TRACE(kTraceSelector, kTraceGroupNodeWithoutLines, TraceFormat(kTraceArgInt),
                    nodeNumber);
        writeOutputsOfEmptyGroup(node);
    } else if (result != 0) {
        TARVO_TRACE(kTraceSelector, kTraceGroupNotBound, TraceFormat(kTraceArgInt), nodeNumber);
        return 1;
    } else {
        group->appendLines(lines_);
        groups_.push_back(std::move(group));
    }
    TARVO_TRACE(kTraceSelector, kTraceGroupNodeAdded, TraceFormat(kTraceArgInt, kTraceArgInt),
                nodeNumber, groupCount());
    return 0;
}

void Preprocessing::writeOutputsOfEmptyGroup(FbDoNode node) {
    const uint32_t notInUse = PreProcessing::kStatusOOU;
    for (uint32_t child = kGroupFirstRowOutput; child <= kGroupLastRowOutput; ++child) {
        WriteBoolValue(FindValueNode(FbDo_GetChild(node, child)), false, &notInUse);
    }
    const uint32_t good = 0;
    FbDo_WriteLiveOutput(FbDo_GetChild(node, kGroupLevelOutput), 0, &good);
    WriteBoolValue(FindValueNode(FbDo_GetChild(node, kGroupSubstituteOutput)), false, &good);
}

uint32_t Preprocessing::addGroupNodes(FbDoNode node) {
    for (FbDoNode child = FbDo_FirstChild(node); child != nullptr;
         child = FbDo_NextSibling(child)) {
        const uint32_t number = FbDo_NodeNumber(child);
        TARVO_TRACE(kTraceSelector, kTraceGroupNodeChild, TraceFormat(kTraceArgInt), number);
        if (addGroupNode(child, number) != 0) {
            TARVO_TRACE(kTraceSelector, kTraceGroupNodeChildFailed, TraceFormat(kTraceArgInt),
                        number);
            return 1;
        }
    }
    TARVO_TRACE(kTraceSelector, kTraceGroupNodesAdded, TraceFormat(kTraceArgInt), groupCount());
    return 0;
}

uint32_t Preprocessing::refresh() {
    const AsInfo* current = Sysmanlib_AsInfo_GetCurrent();
    page_.serviceObject =
        current != nullptr ? static_cast<ServiceObject*>(current->pDisplayService) : nullptr;
    for (const auto& group : groups_) {
        if (group->refresh() != 0) {
            return 1;
        }
    }
    page_.refill = true;
    TARVO_TRACE(kTraceSelector, kTraceRefreshed, TraceFormat(kTraceArgInt), groupCount());
    return 0;
}

uint32_t Preprocessing::process() {
    for (const auto& group : groups_) {
        if (group->process() != 0) {
            return 1;
        }
    }
    return 0;
}

uint32_t Preprocessing::lineCount() const {
    uint32_t count = 0;
    for (const auto& group : groups_) {
        count += group->lineCount();
    }
    return count;
}
