// The commands of the system manager: one fixed action each, mostly one hook.
#include <cstdio>

#include "Kernel.h"
#include "SysManInternal.h"
#include "SysManProtocol.h"
#include "SysManTrace.h"
#include "Sysmanlib.h"
#include "Tarvo.h"
#include "libSysHSmon.h"
#include "libSysman.h"

using namespace sysman;

namespace {

uint32_t argumentWord(const AsInfo* pAsInfo) {
    return static_cast<uint32_t>(pAsInfo->rxMsg[0].Length);
}

Connection receivedObject(const AsInfo* pAsInfo, int index) {
    return reinterpret_cast<Connection>(pAsInfo->rxMsg[index].TheAddress);
}

BoundedText<kServiceDescNameSize> serviceName(const AsInfo* pAsInfo) {
    return BoundedText<kServiceDescNameSize>(
        reinterpret_cast<const char*>(pAsInfo->rxData + kServiceDescNameOffset));
}

void connectOffered(AsInfo* pAsInfo) {
    TARVO_TRACE(0, kTraceCommand1, TraceFormat(kTraceArgText, kTraceArgText),
                AsName(pAsInfo).c_str(), serviceName(pAsInfo).c_str());
    Tarvo_CheckFatal(
        Sysmanlib_ConnectService(pAsInfo, nullptr, pAsInfo->rxData, receivedObject(pAsInfo, 1),
                                 receivedObject(pAsInfo, 2), 1),
        pAsInfo);
    Tarvo_CheckFatal(Sysmanlib_SendCode(pAsInfo, kSysManCodeServiceConnected), pAsInfo);
}

// The component started last, or null (traced) when no entry of the start table is started.
ComponentStartFunction startedComponent(AsInfo* pAsInfo, uint32_t code) {
    if (pAsInfo->pStartTable == nullptr || pAsInfo->nStartIndex < 0) {
        TARVO_TRACE(0, kTraceNoStartedEntry, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgInt),
                    AsName(pAsInfo).c_str(), code, pAsInfo->nStartIndex);
        return nullptr;
    }
    return pAsInfo->pStartTable[pAsInfo->nStartIndex];
}

// Commands 2 and 3 connect the service for the component started last. Without a started
// component the service is connected without one, and the state is answered all the same.
void connectStarted(AsInfo* pAsInfo, uint32_t code) {
    if (code == kSysManCmdConnectStarted) {
        TARVO_TRACE(0, kTraceCommand2, TraceFormat(kTraceArgText, kTraceArgText),
                    AsName(pAsInfo).c_str(), serviceName(pAsInfo).c_str());
    } else {
        TARVO_TRACE(0, kTraceCommand3, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    }
    Tarvo_CheckFatal(
        Sysmanlib_ConnectService(pAsInfo, startedComponent(pAsInfo, code), pAsInfo->rxData,
                                 receivedObject(pAsInfo, 1), receivedObject(pAsInfo, 2), 0),
        pAsInfo);
    SysManHandleState(pAsInfo);
}

void release(AsInfo* pAsInfo) {
    TARVO_TRACE(0, kTraceCommand4, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    ServiceObject* service = Sysmanlib_FindServiceByArgument(
        static_cast<SysmanlibServiceRegistry*>(pAsInfo->hServiceRegistry), argumentWord(pAsInfo));
    if (service != nullptr) {
        TARVO_TRACE(0, kTraceServiceReleased, TraceFormat(kTraceArgText, kTraceArgInt),
                    service->szName, service->nActivityId);
        Tarvo_CheckFatal(Sysmanlib_ReleaseService(service), pAsInfo);
    }
}

void shutdown(AsInfo* pAsInfo) {
    Tarvo_CheckFatal(armSupervision(pAsInfo->pSupervision), pAsInfo);
    callHook(pAsInfo, pAsInfo->hooks.onShutdown);
    if (SysManSetState(pAsInfo, kSysManStateShutdown)) {
        SysManHandleState(pAsInfo);
        Tarvo_CheckFatal(clearSupervision(pAsInfo->pSupervision), pAsInfo);
    } else {
        TARVO_TRACE(0, kTraceNoState13, TraceFormat());
    }
    HaltTask(pAsInfo->hHealthTask);
}

void removeParamNew(AsInfo* pAsInfo) {
    char path[256];
    if (!paramNewPath(pAsInfo, path)) {
        return;
    }
    const BoundedText<sizeof(SelfInformation::szParText)> text(pAsInfo->selfInfo.szParText);
    if (std::remove(path) != 0) {
        TARVO_TRACE(0, kTraceParamNewNotRemoved, TraceFormat(kTraceArgText, kTraceArgText), path,
                    text.c_str());
        return;
    }
    TARVO_TRACE(0, kTraceParamNewRemoved, TraceFormat(kTraceArgText), text.c_str());
    pAsInfo->bParamNew = 0;
}

void run(AsInfo* pAsInfo) {
    Tarvo_SetPhase(AsName(pAsInfo).c_str());
    copyCycleData(pAsInfo);
    if (pAsInfo->selfInfo.nMode == 3) {
        SysManStartAlarm(pAsInfo);
    }
    callHook(pAsInfo, pAsInfo->hooks.onRun);
    SysManTraceMemory(pAsInfo, "After RUN");
    if (pAsInfo->pCodeStart != nullptr && pAsInfo->nCodeLength != 0 &&
        pAsInfo->hHealthTask == nullptr) {
        HSmonStart(pAsInfo);
    }
    if (pAsInfo->bParamNew) {
        removeParamNew(pAsInfo);
    }
    SysManHandleState(pAsInfo);
}

SysManHook cycleHook(const AsInfo* pAsInfo, uint32_t code) {
    switch (code) {
        case kSysManCmdTrigger:
            return pAsInfo->hooks.onProcess;
        case kSysManCmdTrigger48:
            return pAsInfo->hooks.onTrigger48;
        default:
            return pAsInfo->hooks.onTrigger51;
    }
}

void storeTriggerBits(AsInfo* pAsInfo, uint32_t argument) {
    pAsInfo->bTrigBit4 = (argument >> 4) & 1u;
    pAsInfo->bTrigBit8 = (argument >> 8) & 1u;
    pAsInfo->bTrigBit9 = (argument >> 9) & 1u;
    pAsInfo->bTrigBit10 = (argument >> 10) & 1u;
}

void cycleTrigger(AsInfo* pAsInfo, uint32_t code, uint32_t argument) {
    copyCycleData(pAsInfo);
    storeTriggerBits(pAsInfo, argument);
    const uint32_t flag = (argument >> 5) & 1u;
    if (flag != pAsInfo->nFlagWord) {
        pAsInfo->nFlagWord = flag;
        callHook(pAsInfo, pAsInfo->hooks.onFlagChange);
    }
    callHook(pAsInfo, cycleHook(pAsInfo, code));
    Tarvo_CheckFatal(Sysmanlib_TriggerProcessed(pAsInfo), pAsInfo);
    Tarvo_CheckFatal(Sysmanlib_TriggerDone(), pAsInfo);
    Tarvo_CheckFatal(HSmonReport(pAsInfo), pAsInfo);
}

void handlerTrigger(AsInfo* pAsInfo, uint32_t argument) {
    copyCycleData(pAsInfo);
    if (pAsInfo->pfnTriggerHandler != nullptr) {
        Tarvo_CheckFatal(pAsInfo->pfnTriggerHandler(pAsInfo, argument), pAsInfo);
    }
    Tarvo_CheckFatal(Sysmanlib_TriggerDone(), pAsInfo);
}

void trigger(AsInfo* pAsInfo, uint32_t code) {
    const uint32_t argument = argumentWord(pAsInfo);
    const uint32_t subCode = argument & kSysManTriggerSubCodeMask;
    if (subCode == kSysManTriggerSubCodeCycle) {
        cycleTrigger(pAsInfo, code, argument);
    } else if (subCode >= 2 && subCode <= 4) {
        handlerTrigger(pAsInfo, argument);
    } else {
        TARVO_TRACE(0, kTraceTriggerSubCode, TraceFormat(kTraceArgInt), argument);
    }
}

void command50(AsInfo* pAsInfo) {
    if (pAsInfo->hooks.onCommand50 != nullptr) {
        Tarvo_CheckFatal(pAsInfo->hooks.onCommand50(pAsInfo, argumentWord(pAsInfo)), pAsInfo);
    }
    Tarvo_CheckFatal(Sysmanlib_TriggerDone(), pAsInfo);
}

}  // namespace

namespace sysman {

void dispatchCommand(AsInfo* pAsInfo) {
    const auto code = static_cast<uint32_t>(pAsInfo->rxMsg[0].TheAddress);
    switch (code) {
        case kSysManCmdConnectOffered:
            connectOffered(pAsInfo);
            break;
        case kSysManCmdConnectStarted:
        case kSysManCmdConnectStartedQuiet:
            connectStarted(pAsInfo, code);
            break;
        case kSysManCmdReleaseService:
            release(pAsInfo);
            break;
        case kSysManCmdState:
        case kSysManCmdState27:
            SysManHandleState(pAsInfo);
            break;
        case kSysManCmdShutdown:
            shutdown(pAsInfo);
            break;
        case kSysManCmdRun:
            run(pAsInfo);
            break;
        case kSysManCmdTrigger:
        case kSysManCmdTrigger48:
        case kSysManCmdTrigger51:
            trigger(pAsInfo, code);
            break;
        case kSysManCmdFlagWord:
            pAsInfo->nFlagWord = argumentWord(pAsInfo);
            callHook(pAsInfo, pAsInfo->hooks.onFlagChange);
            break;
        case kSysManCmdProcess:
            copyCycleData(pAsInfo);
            callHook(pAsInfo, pAsInfo->hooks.onProcess);
            break;
        case kSysManCmdCommand50:
            command50(pAsInfo);
            break;
        default:
            break;
    }
}

}  // namespace sysman
