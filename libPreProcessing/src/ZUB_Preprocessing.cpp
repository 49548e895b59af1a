#include "ZUB_Preprocessing.h"

#include <memory>
#include <new>

#include "Preprocessing.h"
#include "Tarvo.h"
#include "TarvoTrace.h"

namespace {

// Path and lines reported by this file's assertions.
constexpr const char* kSourcePath = "libPreProcessing/src/ZUB_Preprocessing";
enum : uint32_t {
    kAssertDoTreeAt = 25,
    kAssertDoObjectAt = 26,
    kAssertRefreshTreeAt = 50,
    kAssertRefreshObjectAt = 51,
    kAssertCreateTreeAt = 62,
    kAssertLinesTreeAt = 135,
    kAssertGroupsTreeAt = 144,
};

constexpr uint32_t kTraceFile = 0x7a;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceDo = TraceId(kTraceFile, 0, 7),
    kTraceGroupCycleFailed = TraceId(kTraceFile, 1, 3),
    kTraceCommitFailed = TraceId(kTraceFile, 2, 3),
    kTraceCommitted = TraceId(kTraceFile, 2, 6),
    kTraceRefresh = TraceId(kTraceFile, 3, 7),
    kTraceRefreshed = TraceId(kTraceFile, 4, 6),
    kTraceCreate = TraceId(kTraceFile, 5, 7),
    kTraceObjectNotCreated = TraceId(kTraceFile, 7, 1),
    kTraceCreated = TraceId(kTraceFile, 8, 6),
    kTraceFirstFailed = TraceId(kTraceFile, 9, 3),
    kTraceAlreadyCreated = TraceId(kTraceFile, 10, 3),
    kTraceGroupNodeFailed = TraceId(kTraceFile, 11, 3),
    kTraceGroupNodesFailed = TraceId(kTraceFile, 12, 3),
    kTraceFirstMissing = TraceId(kTraceFile, 13, 3),
    kTraceSecondMissing = TraceId(kTraceFile, 14, 3),
    kTraceLockFailed = TraceId(kTraceFile, 15, 3),
    kTraceDisplayWithoutObject = TraceId(kTraceFile, 16, 3),
    kTraceDisplayHandled = TraceId(kTraceFile, 17, 7),
    kTraceDisplayWithoutTree = TraceId(kTraceFile, 18, 3),
};

Preprocessing* objectOf(const FbDoTree* tree) {
    return static_cast<Preprocessing*>(tree->GetPreprocessing());
}

void releaseObject(void* object) {
    delete static_cast<Preprocessing*>(object);
}

void assertTree(const FbDoTree* tree, const char* expression, uint32_t line) {
    if (tree == nullptr) {
        Tarvo_AssertFailed(expression, kSourcePath, line);
    }
}

Preprocessing& assertObject(const FbDoTree* tree, uint32_t line) {
    Preprocessing* object = objectOf(tree);
    if (object == nullptr) {
        Tarvo_AssertFailed("pTheTree->GetPreprocessing ()", kSourcePath, line);
    }
    return *object;
}

// Runs `work` on the object while holding its lock; 1 when the lock cannot be taken (traced).
uint32_t underLock(Preprocessing& object, uint32_t (Preprocessing::*work)()) {
    PreProcessing::PPObjectLock::Hold hold(object.lock());
    if (!hold.held()) {
        TARVO_TRACE(kTraceSelector, kTraceLockFailed, TraceFormat());
        return 1;
    }
    return (object.*work)();
}

// Groups from root child `first`, each of its children a PP node.
bool addPPNodeGroups(Preprocessing& object, FbDoNode root, int32_t first) {
    FbDoNode node = FbDo_GetChild(root, static_cast<uint32_t>(first));
    if (node == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceFirstMissing, TraceFormat(kTraceArgInt), first);
        return true;
    }
    if (object.buildFromPPNodes(node) != 0) {
        TARVO_TRACE(kTraceSelector, kTraceFirstFailed, TraceFormat(kTraceArgInt), first);
        return false;
    }
    return true;
}

// Groups from root child `second`: one group node, or the parent of group nodes.
bool addGroupNodeGroups(Preprocessing& object, FbDoNode root, uint32_t second) {
    FbDoNode node = FbDo_GetChild(root, second);
    if (node == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceSecondMissing, TraceFormat(kTraceArgInt), second);
        return true;
    }
    FbDoNode child = FbDo_FirstChild(node);
    if (child != nullptr && FbDo_IsStructureNode(child) == 0) {
        if (object.addGroupNode(node, 0) != 0) {
            TARVO_TRACE(kTraceSelector, kTraceGroupNodeFailed, TraceFormat(kTraceArgInt), second);
            return false;
        }
    } else if (object.addGroupNodes(node) != 0) {
        TARVO_TRACE(kTraceSelector, kTraceGroupNodesFailed, TraceFormat(kTraceArgInt), second);
        return false;
    }
    return true;
}

}  // namespace

int CreatePreprocessing(FbDoTree* pTheTree, int32_t first, uint32_t second) {
    assertTree(pTheTree, "pTheTree", kAssertCreateTreeAt);
    TARVO_TRACE(kTraceSelector, kTraceCreate, TraceFormat(kTraceArgInt, kTraceArgInt), first,
                second);
    if (objectOf(pTheTree) != nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceAlreadyCreated, TraceFormat());
        return 1;
    }
    std::unique_ptr<Preprocessing> object(new (std::nothrow) Preprocessing());
    if (!object || !object->lock().isValid()) {
        TARVO_TRACE(kTraceSelector, kTraceObjectNotCreated, TraceFormat());
        return 1;
    }
    if (first >= 0 && !addPPNodeGroups(*object, pTheTree->pRoot, first)) {
        return 1;
    }
    if (second != 0 && !addGroupNodeGroups(*object, pTheTree->pRoot, second)) {
        return 1;
    }
    const uint32_t groups = object->groupCount();
    const uint32_t lines = object->lineCount();
    pTheTree->SetPreprocessing(object.release(), releaseObject);
    TARVO_TRACE(kTraceSelector, kTraceCreated, TraceFormat(kTraceArgInt, kTraceArgInt), groups,
                lines);
    return 0;
}

int RefreshPreprocessing(AsInfo* /*pAsInfo*/, FbDoTree* pTheTree) {
    assertTree(pTheTree, "pTheTree", kAssertRefreshTreeAt);
    Preprocessing& object = assertObject(pTheTree, kAssertRefreshObjectAt);
    TARVO_TRACE(kTraceSelector, kTraceRefresh, TraceFormat());
    const uint32_t result = underLock(object, &Preprocessing::refresh);
    TARVO_TRACE(kTraceSelector, kTraceRefreshed, TraceFormat(kTraceArgInt), result);
    return 0;
}

int DoPreprocessing(AsInfo* /*pAsInfo*/, FbDoTree* pTheTree) {
    assertTree(pTheTree, "pTheTree", kAssertDoTreeAt);
    Preprocessing& object = assertObject(pTheTree, kAssertDoObjectAt);
    TARVO_TRACE(kTraceSelector, kTraceDo, TraceFormat());
    const uint32_t result = underLock(object, &Preprocessing::process);
    if (result != 0) {
        TARVO_TRACE(kTraceSelector, kTraceGroupCycleFailed, TraceFormat(kTraceArgInt), result);
        return static_cast<int>(result);
    }
    const int committed = FbDo_CommitPreprocessing(pTheTree);
    if (committed != 0) {
        TARVO_TRACE(kTraceSelector, kTraceCommitFailed, TraceFormat(kTraceArgInt), committed);
    } else {
        TARVO_TRACE(kTraceSelector, kTraceCommitted, TraceFormat(kTraceArgInt), committed);
    }
    return committed;
}

int HandlePreprocessingDisplayEvent(FbDoTree* doTree, const PEGCommand* record) {
    if (doTree == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceDisplayWithoutTree, TraceFormat());
        return 0;
    }
    Preprocessing* object = objectOf(doTree);
    if (object == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceDisplayWithoutObject, TraceFormat());
        return 0;
    }
    if (record == nullptr) {
        return 0;
    }
    PreProcessing::PPPageSends sends;
    uint32_t result = 0;
    ServiceObject* service = nullptr;
    {
        // A command never meets a half-done refresh or cycle; the sends wait for the release.
        PreProcessing::PPObjectLock::Hold hold(object->lock());
        if (!hold.held()) {
            TARVO_TRACE(kTraceSelector, kTraceLockFailed, TraceFormat());
            return 0;
        }
        result = object->handleDisplayEvent(*record, sends);
        service = object->displayPage().serviceObject;
    }
    sends.sendTo(service);
    TARVO_TRACE(kTraceSelector, kTraceDisplayHandled, TraceFormat(kTraceArgInt), result);
    return static_cast<int>(result & 0xFFu);
}

uint32_t GetNumberOfPPLines(FbDoTree* doTree) {
    assertTree(doTree, "doTree", kAssertLinesTreeAt);
    const Preprocessing* object = objectOf(doTree);
    return object != nullptr ? object->lineCount() : 0u;
}

uint32_t GetNumberOfPPGroups(FbDoTree* doTree) {
    assertTree(doTree, "doTree", kAssertGroupsTreeAt);
    const Preprocessing* object = objectOf(doTree);
    return object != nullptr ? object->groupCount() : 0u;
}
