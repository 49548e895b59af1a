// The command loop of the initial task: waits for its activities and dispatches them.
#include <cstring>

#include "Kernel.h"
#include "SysManInternal.h"
#include "SysManTrace.h"
#include "Sysmanlib.h"
#include "Tarvo.h"
#include "libSysman.h"

using namespace sysman;

namespace {

constexpr uint32_t kFirstTimerActivity = 2001;
constexpr uint32_t kLastTimerActivity = 3001;
constexpr uint32_t kRegistryCapacity = 1000;

void onAlarmTick(AsInfo* pAsInfo) {
    TARVO_TRACE(0, kTraceAlarmTick, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    if (!(pAsInfo->selfInfo.nMode == 4 && pAsInfo->nStateCode == 13)) {
        Tarvo_CheckFatal(armSupervision(pAsInfo->pSupervision), pAsInfo);
    }
    Tarvo_CheckFatal(AsynchronousReceive(pAsInfo->hAlarmActivity, pAsInfo->hAlarmClock, nullptr),
                     pAsInfo);
}

void onServiceActivity(AsInfo* pAsInfo, uint32_t id, Error status) {
    auto* registry = static_cast<SysmanlibServiceRegistry*>(pAsInfo->hServiceRegistry);
    ServiceObject* service = Sysmanlib_FindServiceByActivity(registry, id);
    if (service == nullptr) {
        TARVO_TRACE(0, kTraceNoService, TraceFormat(kTraceArgText, kTraceArgInt),
                    AsName(pAsInfo).c_str(), id);
        return;
    }
    if (service->pfnHandler != nullptr) {
        Tarvo_CheckFatal(service->pfnHandler(pAsInfo, service, id, status), pAsInfo);
    }
}

void onOtherActivity(AsInfo* pAsInfo, uint32_t id, Error status) {
    if (status != Success && status != WaitingForAReply) {
        TARVO_TRACE(0, kTraceActivityError, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgText),
                    AsName(pAsInfo).c_str(), id, KernelErrorName(status));
        return;
    }
    if (id >= kFirstTimerActivity && id <= kLastTimerActivity) {
        SysManTimerEvent(pAsInfo, id, status);
    } else {
        onServiceActivity(pAsInfo, id, status);
    }
}

void dispatchActivity(AsInfo* pAsInfo, uint32_t id, Error status) {
    switch (id) {
        case kCommandActivity:
            dispatchCommand(pAsInfo);
            armCommandReceive(pAsInfo);
            break;
        case kSecondActivity:
            break;
        case kAlarmActivity:
            onAlarmTick(pAsInfo);
            break;
        default:
            onOtherActivity(pAsInfo, id, status);
            break;
    }
}

}  // namespace

namespace sysman {

void armCommandReceive(AsInfo* pAsInfo) {
    std::memset(pAsInfo->rxData, 0, sizeof(pAsInfo->rxData));
    pAsInfo->rxMsg[0] = Buffer{ImmediateBuffer, 0, 0, 0};
    pAsInfo->rxMsg[1] = Buffer{ObjectBuffer, 0, 0, 0};
    pAsInfo->rxMsg[2] = Buffer{ObjectBuffer, 0, 0, 0};
    pAsInfo->rxMsg[3] = Buffer{DataBuffer | LastBuffer,
                               reinterpret_cast<uintptr_t>(pAsInfo->rxData), kCommandDataSize, 0};
    Tarvo_CheckFatal(AsynchronousReceive(pAsInfo->hCmdActivity, pAsInfo->hOwnEnd, pAsInfo->rxMsg),
                     pAsInfo);
}

void copyCycleData(AsInfo* pAsInfo) {
    atomicModifyWord(&pAsInfo->nCycleDataFlag, nullptr, 0, 1);
    std::memcpy(pAsInfo->cycleData, pAsInfo->rxData, kCycleDataSize);
    atomicModifyWord(&pAsInfo->nCycleDataFlag, nullptr, 0, 1);
}

void callHook(AsInfo* pAsInfo, SysManHook hook) {
    if (hook != nullptr) {
        Tarvo_CheckFatal(hook(pAsInfo), pAsInfo);
    }
}

}  // namespace sysman

void SysManCommandLoop(AsInfo* pAsInfo) {
    const auto name = AsName(pAsInfo);
    Tarvo_SetPhase(name.c_str());
    pAsInfo->hServiceRegistry = Sysmanlib_CreateServiceRegistry(name.c_str(), kRegistryCapacity, 1);
    callHook(pAsInfo, pAsInfo->hooks.onLoopStart);
    for (;;) {
        uint32_t id = 0;
        Error status = Success;
        WaitForActivity(&id, &status);
        dispatchActivity(pAsInfo, id, status);
    }
}

void SysManTimerEvent(AsInfo* pAsInfo, uint32_t nActivityId, Error nStatus) {
    if (pAsInfo->hooks.onTimer != nullptr && pAsInfo->nStateCode != 13) {
        Tarvo_CheckFatal(
            pAsInfo->hooks.onTimer(pAsInfo, nActivityId, static_cast<uint32_t>(nStatus)), pAsInfo);
    }
}
