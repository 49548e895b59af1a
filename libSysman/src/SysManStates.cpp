// The state dispatcher: one action a state code, then the reply code to the system manager.
#include <cstdio>

#include "Kernel.h"
#include "SysManInternal.h"
#include "SysManStateReplies.h"
#include "SysManTrace.h"
#include "Sysmanlib.h"
#include "Tarvo.h"
#include "libSysman.h"

using namespace sysman;

namespace {

constexpr uint32_t kLastStateCode = kStateCount - 1;
constexpr uint32_t kShutdownCode = 25;

bool walksComponents(const AsInfo* pAsInfo) {
    const uint32_t mode = pAsInfo->selfInfo.nMode;
    return (mode == 1 || mode == 3 || mode == 4) && pAsInfo->pStartTable != nullptr;
}

void requestResources(AsInfo* pAsInfo) {
    const Error result =
        RequestResource(&pAsInfo->hConfigIODevice, "ConfigurationIODevice", kResourcePassword);
    if (result != Success) {
        TARVO_TRACE(0, kTraceNoConfigDevice, TraceFormat(kTraceArgInt, kTraceArgText), result,
                    KernelErrorName(result));
    }
    Tarvo_ReportError(result, pAsInfo);
}

// Starts the next component of the start table and asks for the service it names; false when
// no entry was started (no walk in this mode, or the end of the table).
bool startNextComponent(AsInfo* pAsInfo) {
    if (!walksComponents(pAsInfo)) {
        return false;
    }
    ++pAsInfo->nStartIndex;
    ComponentStartFunction entry = pAsInfo->pStartTable[pAsInfo->nStartIndex];
    if (entry == nullptr) {
        pAsInfo->nStartIndex = -1;
        return false;
    }
    const char* serviceName = nullptr;
    Tarvo_CheckFatal(entry(pAsInfo, &serviceName, nullptr), pAsInfo);
    Tarvo_CheckFatal(Sysmanlib_RequestService(pAsInfo, serviceName), pAsInfo);
    return true;
}

void loadParameters(AsInfo* pAsInfo) {
    char path[256];
    if (paramNewPath(pAsInfo, path) && Tarvo_FileExists(path)) {
        const BoundedText<sizeof(SelfInformation::szParText)> text(pAsInfo->selfInfo.szParText);
        TARVO_TRACE(0, kTraceParamNewFound, TraceFormat(kTraceArgText), text.c_str());
        pAsInfo->bParamNew = 1;
    }
    callHook(pAsInfo, pAsInfo->hooks.onLoadParameters);
}

// Performs the action of the current state and gives its reply.
uint32_t performState(AsInfo* pAsInfo) {
    const SysManHookTable& hooks = pAsInfo->hooks;
    const uint32_t state = pAsInfo->nStateCode;
    switch (state) {
        case 0:
            requestResources(pAsInfo);
            break;
        case 1:
            if (startNextComponent(pAsInfo)) {
                return kReplyComponentStarted;
            }
            break;
        case 3:
            callHook(pAsInfo, hooks.onInitialize);
            break;
        case 4:
            callHook(pAsInfo, hooks.onFbDO);
            break;
        case 5:
            callHook(pAsInfo, hooks.onServicesStart);
            break;
        case 7:
            if (pAsInfo->selfInfo.nMode == 4) {
                SysManStartAlarm(pAsInfo);
            }
            break;
        case 8:
            callHook(pAsInfo, hooks.onServicesTaskSetup);
            callHook(pAsInfo, hooks.onTaskSetup);
            break;
        case 11:
            callHook(pAsInfo, hooks.onStart);
            break;
        case 13:
            Tarvo_CheckFatal(Sysmanlib_SendCode(pAsInfo, kShutdownCode), pAsInfo);
            break;
        case 16:
            callHook(pAsInfo, hooks.onCreate);
            callHook(pAsInfo, hooks.onSetup);
            break;
        case 17:
            loadParameters(pAsInfo);
            break;
        case kLastStateCode:
            TARVO_TRACE(0, kTraceTerminate, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
            break;
        default:  // 2, 6, 9, 10, 12, 14, 15 and codes above 18: nothing but the reply
            break;
    }
    return stateReply(state);
}

}  // namespace

namespace sysman {

bool paramNewPath(const AsInfo* pAsInfo, char (&path)[256]) {
    const BoundedText<sizeof(SelfInformation::szBasePath)> base(pAsInfo->selfInfo.szBasePath);
    const BoundedText<sizeof(SelfInformation::szParDir)> dir(pAsInfo->selfInfo.szParDir);
    const int length =
        std::snprintf(path, sizeof(path), "%s%s%s%s", base.c_str(), dir.c_str(), "/", "param.new");
    if (length < 0 || static_cast<size_t>(length) >= sizeof(path)) {
        TARVO_TRACE(0, kTraceParamNewPathTooLong, TraceFormat(kTraceArgText, kTraceArgInt),
                    AsName(pAsInfo).c_str(), length);
        return false;
    }
    return true;
}

}  // namespace sysman

void SysManHandleState(AsInfo* pAsInfo) {
    TARVO_TRACE(0, kTraceState, TraceFormat(kTraceArgText, kTraceArgInt), AsName(pAsInfo).c_str(),
                pAsInfo->nStateIndex);
    const uint32_t reply = performState(pAsInfo);
    Tarvo_CheckFatal(Sysmanlib_SendStateReply(pAsInfo, reply), pAsInfo);
}

int SysManSetState(AsInfo* pAsInfo, uint32_t nStateCode) {
    const int32_t index = Sysmanlib_FindState(nStateCode);
    if (index < 0) {
        return 0;
    }
    pAsInfo->nStateIndex = static_cast<uint32_t>(index);
    pAsInfo->nStateCode = nStateCode;
    return 1;
}
