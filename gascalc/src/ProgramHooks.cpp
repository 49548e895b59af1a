#include "ProgramHooks.h"

#include <new>
#include <string>

#include "Aga8Calculator12.h"
#include "CalcBlock.h"
#include "CalcCycle.h"
#include "CalorantTrace.h"
#include "Calorant_AccessClasses.h"
#include "ComponentPropertyTables.h"
#include "FbDo/FbDoStorage.h"
#include "LayoutBindings.h"
#include "PEG.h"
#include "ProgramContext.h"
#include "Sysmanlib.h"
#include "Taste.h"
#include "ZUB_Preprocessing.h"

using namespace calorant;

namespace {

// Root-child indices of the preprocessing: the PP groups node, and the node that holds further
// groups (none in ZM1, where root child 4 is the Var node).
constexpr int32_t kPreprocessingGroupsChild = 3;
constexpr uint32_t kFurtherGroupsChild = 4;
constexpr uint32_t kNoFurtherGroups = 0;

// Holds the tree access for one cycle and gives it back however the cycle is left.
class TreeAccessScope {
  public:
    explicit TreeAccessScope(FbDoTree* tree) : myTree(tree) { FbDo_BeginTreeAccess(myTree); }
    ~TreeAccessScope() { FbDo_EndTreeAccess(myTree); }
    TreeAccessScope(const TreeAccessScope&) = delete;
    TreeAccessScope& operator=(const TreeAccessScope&) = delete;

  private:
    FbDoTree* myTree;
};

// The framework's taste name as a string; a missing name is the empty one (Default layout).
std::string tasteName(AsInfo* pAsInfo) {
    const char* name = Tarvo_GetTasteName(pAsInfo);
    if (name == nullptr) {
        CALORANT_TRACE(kTraceNoTasteName, TraceFormat());
        return std::string();
    }
    return std::string(name);
}

void traceFailure(uint32_t id, int32_t code) {
    CALORANT_TRACE(id, TraceFormat(kTraceArgInt, kTraceArgText), code, Tarvo_ErrorText(code));
}

const SysManHookTable kCalorantHooks = {
    nullptr,                     // 0 onConnected
    nullptr,                     // 1 getStartText
    nullptr,                     // 2
    OnInitialize,                // 3
    OnLoadParameters,            // 4
    OnFbDO,                      // 5
    nullptr,                     // 6 onCreate
    OnServicesStart,             // 7
    OnServicesTaskSetup,         // 8
    OnTaskSetup,                 // 9
    nullptr,                     // 10 onStart
    nullptr,                     // 11
    OnTasteSetup,                // 12
    OnRun,                       // 13
    nullptr,                     // 14
    nullptr,                     // 15
    OnProcess,                   // 16
    nullptr,                     // 17
    OnShutdown,                  // 18
    OnTimer,                     // 19
    nullptr,                     // 20
    Sysmanlib_DefaultLoopStart,  // 21
};

}  // namespace

const SysManHookTable& CalorantHooks() {
    return kCalorantHooks;
}

int OnInitialize(AsInfo* /*pAsInfo*/) {
    Tarvo_SetPhase("Calorant Initialize");
    InitPropertyTables();
    return 0;
}

int OnLoadParameters(AsInfo* pAsInfo) {
    CALORANT_TRACE(kTraceLoadParameters, TraceFormat());
    const int32_t result = Tarvo_ParameterService(0, 1);
    if (result != 0) {
        traceFailure(kTraceParameterService, result);
    }
    Tarvo_ReportError(result, pAsInfo);
    return 0;
}

int OnFbDO(AsInfo* pAsInfo) {
    ProgramContext::pAsInfo = pAsInfo;
    Tarvo_SetPhase("Calorant FbDO start");
    CALORANT_TRACE(kTraceFbDoStart, TraceFormat());
    int32_t result = Tarvo_TreeStart(0);
    if (result != 0) {
        traceFailure(kTraceTreeStartFailed, result);
    }
    Tarvo_ReportError(result, pAsInfo);
    ProgramContext::tree.Store(GetFbDoTree(pAsInfo));
    if (ProgramContext::tree.Load() == nullptr) {
        CALORANT_TRACE(kTraceNoTree, TraceFormat(kTraceArgText), Sysmanlib_AsInfo_GetName());
        return 1;
    }
    Tarvo_SetPhase("Calorant FbDO-Pre start");
    result = FbDOPre(pAsInfo);
    ProgramContext::preprocessingReady = result == 0;
    if (result != 0) {
        traceFailure(kTracePreprocessingFailed, result);
    }
    Tarvo_SetPhase("Calorant FbDO-Pre end");
    if (FbDo_RegisterChangeCallback(pAsInfo, OnTreeChanged) != 0) {
        return 1;
    }
    // The first cycle reloads the step parameters and restarts the preprocessing.
    calcBlock.parameterChanges.Increment();
    ProgramContext::treeChanges.Increment();
    Tarvo_FbDoPrepare(pAsInfo);
    ProgramContext::myTaste.Store(Taste::Create(tasteName(pAsInfo)));
    Tarvo_SetPhase("Calorant FbDO end");
    return 0;
}

int FbDOPre(AsInfo* pAsInfo) {
    const std::string name = tasteName(pAsInfo);
    FbDoTree* tree = GetFbDoTree(pAsInfo);
    GetRootNodeOfTree(tree);  // asserts the tree
    const uint32_t furtherGroups =
        TasteKindOfName(name) == kTasteZM1 ? kNoFurtherGroups : kFurtherGroupsChild;
    return CreatePreprocessing(tree, kPreprocessingGroupsChild, furtherGroups);
}

int OnServicesStart(AsInfo* pAsInfo) {
    Tarvo_ReportError(Tarvo_Component1Start(pAsInfo), pAsInfo);
    Tarvo_ReportError(Tarvo_Component2Start(pAsInfo), pAsInfo);
    const int result = Tarvo_Component3Start(pAsInfo);
    Tarvo_ReportError(result, pAsInfo);
    return result;
}

int OnServicesTaskSetup(AsInfo* pAsInfo) {
    Tarvo_ReportError(Tarvo_Component4TaskSetup(pAsInfo), pAsInfo);
    const int result = PEG_start(pAsInfo);
    Tarvo_ReportError(result, pAsInfo);
    return result;
}

int OnTaskSetup(AsInfo* /*pAsInfo*/) {
    Tarvo_SetPhase("Calorant TaskSetup");
    return 0;
}

int OnTasteSetup(AsInfo* pAsInfo) {
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr) {
        CALORANT_TRACE(kTraceNoTaste, TraceFormat());
        return 1;
    }
    switch (taste->kind()) {
        case kTasteDefault:
            return SetupDefault(pAsInfo);
        case kTasteZM1:
            return SetupZM1(pAsInfo);
        case kTasteBM1:
            return SetupBM1(pAsInfo);
        default:
            return 1;
    }
}

int OnRun(AsInfo* /*pAsInfo*/) {
    Tarvo_SetPhase("Calorant Run");
    // Without storage there is no calculator (the cycle then skips it): the storage is asked
    // for once, here.
    void* storage = ::operator new(sizeof(Aga8Calculator12), std::nothrow);
    calcBlock.aga8Calculator12 =
        storage != nullptr ? Aga8Calculator12::Construct(storage) : nullptr;
    return 0;
}

int OnProcess(AsInfo* pAsInfo) {
    FbDoTree* tree = GetFbDoTree(pAsInfo);
    TreeAccessScope access(tree);
    const uint32_t changes = ProgramContext::treeChanges.Load();
    if (changes != ProgramContext::treeChangesHandled.Load()) {
        if (ProgramContext::preprocessingReady) {
            RefreshPreprocessing(pAsInfo, tree);
        }
        // The count read before the restart: a change during it restarts again next cycle.
        ProgramContext::treeChangesHandled.Store(changes);
    }
    if (ProgramContext::preprocessingReady) {
        DoPreprocessing(pAsInfo, tree);
    } else {
        CALORANT_TRACE(kTracePreprocessingSkipped, TraceFormat());
    }
    RunCalcCycle();
    return 0;
}

int OnShutdown(AsInfo* /*pAsInfo*/) {
    return 0;
}

int OnTimer(AsInfo* /*pAsInfo*/, uint32_t /*timerId*/, uint32_t /*status*/) {
    return 0;
}

int OnTreeChanged(void* /*argument*/) {
    CALORANT_TRACE(kTraceTreeChanged, TraceFormat());
    calcBlock.parameterChanges.Increment();
    ProgramContext::treeChanges.Increment();
    return 1;
}
