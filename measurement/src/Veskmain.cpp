#include "Veskmain.h"

#include <atomic>
#include <exception>
#include <memory>
#include <stdexcept>

#include "FbDo.h"
#include "FbDo/FbDoStorage.h"
#include "PEG.h"
#include "PEGmain.h"
#include "Tarvo.h"
#include "TarvoFiles.h"
#include "TarvoTrace.h"
#include "UpdatableRegistry.h"
#include "Vesk.h"
#include "VeskInstance.h"
#include "Vesk_AccessClasses.h"
#include "ZUB_Preprocessing.h"
#include "libSysman.h"

namespace {

// The source path that fatal reports name, relative to the repository.
constexpr char kSourcePath[] = "measurement/src/Veskmain.cpp";
// The header whose assertion a missing tree reports.
constexpr char kAccessClassesPath[] = "model/gen/Vesk_AccessClasses";

// Trace file 1: the program entry and its hooks.
constexpr uint32_t trace(uint32_t point, uint32_t level) {
    return TraceId(1, point, level);
}
constexpr uint32_t kTreeChangedTrace = trace(0, 7);
constexpr uint32_t kTreeChangeMarkedTrace = trace(1, 7);
constexpr uint32_t kLoadParametersTrace = trace(2, 7);
constexpr uint32_t kParameterServiceFailedTrace = trace(3, 1);  // code, text
constexpr uint32_t kFbDOTrace = trace(4, 7);
constexpr uint32_t kTreeStartFailedTrace = trace(5, 1);      // name, code, text
constexpr uint32_t kPreprocessingFailedTrace = trace(6, 1);  // name, code, text
constexpr uint32_t kCallbackFailedTrace = trace(7, 3);       // code, text
constexpr uint32_t kCreateTrace = trace(8, 7);
constexpr uint32_t kNoTreeTrace = trace(9, 3);                // name
constexpr uint32_t kNotCreatedTrace = trace(10, 3);           // exception text
constexpr uint32_t kStartAccessNotBegunTrace = trace(11, 3);  // code
constexpr uint32_t kStartExceptionTrace = trace(12, 3);       // exception text
constexpr uint32_t kStartUnknownExceptionTrace = trace(13, 3);
constexpr uint32_t kStartAccessNotEndedTrace = trace(14, 3);  // code
constexpr uint32_t kProcessTrace = trace(18, 7);
constexpr uint32_t kParametersReReadTrace = trace(19, 7);
constexpr uint32_t kProcessAccessNotBegunTrace = trace(20, 3);  // code
constexpr uint32_t kProcessExceptionTrace = trace(21, 3);       // exception text
constexpr uint32_t kProcessUnknownExceptionTrace = trace(22, 3);
constexpr uint32_t kProcessAccessNotEndedTrace = trace(23, 3);  // code
constexpr uint32_t kShutdownExceptionTrace = trace(24, 3);      // exception text
constexpr uint32_t kShutdownUnknownExceptionTrace = trace(25, 3);

constexpr uint32_t kCodeText = TraceFormat(kTraceArgInt, kTraceArgText);
constexpr uint32_t kNameCodeText = TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgText);

// The release the program registers with.
constexpr char kRelease[] = "Release_03-08-C";

// The root child that holds the preprocessing group node.
constexpr int32_t kNoPPNodes = -1;
constexpr uint32_t kPreprocessingGroupNode = 3;

// The component start table: the framework's components and the display-service client.
const ComponentStartFunction kStartTable[] = {
    Tarvo_Component1Init, Tarvo_Component2Init, Tarvo_Component3Init, Tarvo_Component4Init,
    PEG_initComponent,    Tarvo_Component5Init, Tarvo_Component6Init, nullptr};

// The address space's tree, from the create hook on; the display task reads it too.
std::atomic<FbDoTree*> pTheFbDoTree{nullptr};

uint8_t selector() {
    return Tarvo_GetTraceSelector();
}

int doNothing(AsInfo*) {
    return 0;
}

// Ends the tree access; traces a failure with `trace` and gives false.
bool endTreeAccess(uint32_t failureTrace) {
    const int result = FbDo_EndTreeAccess(pTheFbDoTree);
    if (result != 0) {
        TARVO_TRACE(selector(), failureTrace, TraceFormat(kTraceArgInt), result);
        return false;
    }
    return true;
}

const SysManHookTable kHooks = [] {
    SysManHookTable hooks{};
    hooks.onInitialize = OnInitialize;
    hooks.onLoadParameters = OnLoadParameters;
    hooks.onFbDO = OnFbDO;
    hooks.onCreate = OnCreate;
    hooks.onServicesStart = OnServicesStart;
    hooks.onServicesTaskSetup = OnServicesTaskSetup;
    hooks.onTaskSetup = OnTaskSetup;
    hooks.onStart = OnStart;
    hooks.slot11 = doNothing;
    hooks.onRun = OnRun;
    hooks.onProcess = OnProcess;
    hooks.onShutdown = OnShutdown;
    hooks.onTimer = OnTimer;
    return hooks;
}();

}  // namespace

FbDoTree* VeskTree() {
    return pTheFbDoTree;
}

const SysManHookTable& VeskDefaultHooks() {
    return kHooks;
}

int VeskProgramMain() {
    try {
        UpdatableRegistry::instance();  // this life's, made before any other task runs
        // The code range ends in the marker word; without one no health monitor runs.
        const void* codeStart = nullptr;
        const void* codeEnd = nullptr;
        Tarvo_GetCodeRange(&codeStart, &codeEnd);
        SysManRegisterDefaultHooks(&kHooks);
        SysManStartDefault(codeStart, codeEnd, kRelease, kStartTable, 0);
    } catch (const std::exception& error) {
        const char* name =
            Sysmanlib_AsInfo_GetCurrent() != nullptr ? Sysmanlib_AsInfo_GetName() : "unknown AS";
        Tarvo_FatalReport(name, error.what(), kSourcePath);
    } catch (...) {
        if (TaskIsEnding() != 0) {
            throw;  // the kernel ends the task: not a failure of the program
        }
        const char* name =
            Sysmanlib_AsInfo_GetCurrent() != nullptr ? Sysmanlib_AsInfo_GetName() : "unknown AS";
        Tarvo_FatalReport(name, "unknown", kSourcePath);
    }
    return 0;
}

int OnInitialize(AsInfo*) {
    return 0;
}

int OnLoadParameters(AsInfo* pAsInfo) {
    TARVO_TRACE(selector(), kLoadParametersTrace, 0);
    const int result = Tarvo_ParameterService(0, 1);
    if (result != 0) {
        TARVO_TRACE(selector(), kParameterServiceFailedTrace, kCodeText, result,
                    Tarvo_ErrorText(result));
    }
    Tarvo_ReportError(result, pAsInfo);
    return 0;
}

int OnFbDO(AsInfo* pAsInfo) {
    TARVO_TRACE(selector(), kFbDOTrace, 0);
    int result = Tarvo_TreeStart(0);
    if (result != 0) {
        TARVO_TRACE(selector(), kTreeStartFailedTrace, kNameCodeText, Sysmanlib_AsInfo_GetName(),
                    result, Tarvo_ErrorText(result));
    }
    Tarvo_ReportError(result, pAsInfo);
    FbDoTree* tree = GetFbDoTree(pAsInfo);
    if (tree == nullptr) {
        Tarvo_AssertFailed("pTheTree", kAccessClassesPath, __LINE__);
    }
    result = CreatePreprocessing(tree, kNoPPNodes, kPreprocessingGroupNode);
    if (result != 0) {
        TARVO_TRACE(selector(), kPreprocessingFailedTrace, kNameCodeText,
                    Sysmanlib_AsInfo_GetName(), result, Tarvo_ErrorText(result));
        Tarvo_ReportError(result, pAsInfo);
        return 1;
    }
    result = FbDo_RegisterChangeCallback(pAsInfo, OnTreeChanged);
    if (result != 0) {
        TARVO_TRACE(selector(), kCallbackFailedTrace, kCodeText, result, Tarvo_ErrorText(result));
        Tarvo_ReportError(result, pAsInfo);
        return 1;
    }
    return 0;
}

int OnCreate(AsInfo* pAsInfo) {
    TARVO_TRACE(selector(), kCreateTrace, 0);
    pTheFbDoTree = GetFbDoTree(pAsInfo);
    if (pTheFbDoTree == nullptr) {
        TARVO_TRACE(selector(), kNoTreeTrace, TraceFormat(kTraceArgText),
                    Sysmanlib_AsInfo_GetName());
        return 1;
    }
    try {
        const FbDoNode root =
            checkNotNull(GetRootNodeOfTree(pTheFbDoTree), "GetRootNodeOfTree( pTheFbDoTree )");
        VeskInstance::shared().install(std::make_unique<Vesk>(root, pAsInfo));
    } catch (const std::exception& error) {
        TARVO_TRACE(selector(), kNotCreatedTrace, TraceFormat(kTraceArgText), error.what());
        return 1;
    }
    return 0;
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

int OnTaskSetup(AsInfo*) {
    return 0;
}

int OnStart(AsInfo* pAsInfo) {
    const int begun = FbDo_BeginTreeAccess(pTheFbDoTree);
    if (begun != 0) {
        TARVO_TRACE(selector(), kStartAccessNotBegunTrace, TraceFormat(kTraceArgInt), begun);
        return 1;
    }
    try {
        // Without an application object (its creation failed) there is nothing to load.
        Vesk* vesk = VeskInstance::shared().get();
        if (vesk != nullptr) {
            vesk->loadDataFile();
        }
        initPEG();
    } catch (const std::exception& error) {
        TARVO_TRACE(selector(), kStartExceptionTrace, TraceFormat(kTraceArgText), error.what());
        endTreeAccess(kStartAccessNotEndedTrace);
        return 1;
    } catch (...) {
        TARVO_TRACE(selector(), kStartUnknownExceptionTrace, 0);
        endTreeAccess(kStartAccessNotEndedTrace);
        return 1;
    }
    RefreshPreprocessing(pAsInfo, pTheFbDoTree);
    return endTreeAccess(kStartAccessNotEndedTrace) ? 0 : 1;
}

int OnRun(AsInfo*) {
    return 0;
}

int OnProcess(AsInfo* pAsInfo) {
    TARVO_TRACE(selector(), kProcessTrace, 0);
    if (UpdatableRegistry::instance().updateAllIfChanged()) {
        TARVO_TRACE(selector(), kParametersReReadTrace, 0);
        RefreshPreprocessing(pAsInfo, pTheFbDoTree);
    }
    const int begun = FbDo_BeginTreeAccess(pTheFbDoTree);
    if (begun != 0) {
        TARVO_TRACE(selector(), kProcessAccessNotBegunTrace, TraceFormat(kTraceArgInt), begun);
        return 1;
    }
    DoPreprocessing(pAsInfo, GetFbDoTree(pAsInfo));
    try {
        Vesk* vesk = VeskInstance::shared().get();
        if (vesk != nullptr) {
            vesk->update();
        }
    } catch (const std::exception& error) {
        TARVO_TRACE(selector(), kProcessExceptionTrace, TraceFormat(kTraceArgText), error.what());
    } catch (...) {
        TARVO_TRACE(selector(), kProcessUnknownExceptionTrace, 0);
    }
    return endTreeAccess(kProcessAccessNotEndedTrace) ? 0 : 1;
}

int OnShutdown(AsInfo*) {
    try {
        Vesk* vesk = VeskInstance::shared().get();
        if (vesk != nullptr) {
            vesk->saveDataFile();
            VeskInstance::shared().destroy();
        }
    } catch (const std::exception& error) {
        TARVO_TRACE(selector(), kShutdownExceptionTrace, TraceFormat(kTraceArgText), error.what());
        return 1;
    } catch (...) {
        TARVO_TRACE(selector(), kShutdownUnknownExceptionTrace, 0);
        return 1;
    }
    return 0;
}

int OnTimer(AsInfo*, uint32_t, uint32_t) {
    return 0;
}

int OnTreeChanged(void*) {
    TARVO_TRACE(selector(), kTreeChangedTrace, 0);
    UpdatableRegistry::instance().markChanged();
    TARVO_TRACE(selector(), kTreeChangeMarkedTrace, 0);
    return 1;
}
