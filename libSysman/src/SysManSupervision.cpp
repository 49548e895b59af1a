// The one-second alarm and the system manager's supervision record: receiving it, arming and
// clearing its clock alarm, the alive trigger, and the memory trace.
#include "Kernel.h"
#include "SysManInternal.h"
#include "SysManTrace.h"
#include "Tarvo.h"
#include "libSysman.h"

using namespace sysman;

namespace {

constexpr char kSourcePath[] = "libSysman/src/libSysman";
constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kVirtualClockFlags = 5;

}  // namespace

Error receiveSupervision(Connection hConnection, SupervisionRecord** ppRecord) {
    auto* record = static_cast<SupervisionRecord*>(
        Tarvo_DebugAlloc(1, sizeof(SupervisionRecord), kSourcePath, __LINE__, 0));
    if (record == nullptr) {
        return ResourceNotAvailable;
    }
    Buffer message[4] = {
        {ObjectBuffer, 0, 0, 0},
        {ObjectBuffer, 0, 0, 0},
        {ImmediateBuffer, 0, 0, 0},
        {ImmediateBuffer | LastBuffer, 0, 0, 0},
    };
    const Error result = SynchronousReceive(hConnection, message);
    if (result != Success) {
        return result;
    }
    record->clock = reinterpret_cast<Clock>(message[0].TheAddress);
    record->spare = reinterpret_cast<Object>(message[1].TheAddress);
    record->alarmTime =
        Time{static_cast<int32_t>(message[2].TheAddress), static_cast<uint32_t>(message[2].Length)};
    record->periodic = static_cast<uint32_t>(message[3].TheAddress);
    *ppRecord = record;
    return Success;
}

Error armSupervision(const SupervisionRecord* pRecord) {
    if (pRecord == nullptr) {
        return NULLObjectSpecified;
    }
    return SetClockAlarm(pRecord->clock, pRecord->periodic, nullptr, &pRecord->alarmTime);
}

Error clearSupervision(const SupervisionRecord* pRecord) {
    if (pRecord == nullptr) {
        return NULLObjectSpecified;
    }
    return SetClockAlarm(pRecord->clock, 0, nullptr, nullptr);
}

void SysManStartAlarm(AsInfo* pAsInfo) {
    if (pAsInfo->bAlarmStarted) {
        TARVO_TRACE(0, kTraceAlarmRunning, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
        return;
    }
    pAsInfo->tAlarmPeriod = Time{1, 0};
    Tarvo_CheckFatal(
        CreateActivity(CurrentTask(), 255, 0, kAlarmActivity, &pAsInfo->hAlarmActivity), pAsInfo);
    Tarvo_CheckFatal(
        CreateVirtualClock(GetSystemClock(), kVirtualClockFlags, &pAsInfo->hAlarmClock), pAsInfo);
    Tarvo_CheckFatal(AsynchronousReceive(pAsInfo->hAlarmActivity, pAsInfo->hAlarmClock, nullptr),
                     pAsInfo);
    Tarvo_CheckFatal(SetClockAlarm(pAsInfo->hAlarmClock, 1, nullptr, &pAsInfo->tAlarmPeriod),
                     pAsInfo);
    const uint32_t mode = pAsInfo->selfInfo.nMode;
    if (mode == 3 || mode == 4) {
        Tarvo_CheckFatal(armSupervision(pAsInfo->pSupervision), pAsInfo);
    }
    pAsInfo->bAlarmStarted = 1;
}

void SysManTrigger(AsInfo* pmyInfo) {
    if (pmyInfo == nullptr) {
        Tarvo_AssertFailed("pmyInfo", kSourcePath, 1126);
    }
    if (pmyInfo->pSelfInfoInt == nullptr) {
        Tarvo_AssertFailed("pmyInfo->pSelfInfoInt", kSourcePath, 1127);
    }
    AsInfo* pAsInfo = pmyInfo->pSelfInfoInt;
    if (pAsInfo->bAlarmStarted) {
        if (pAsInfo->nStateCode != 13) {
            Tarvo_CheckFatal(armSupervision(pAsInfo->pSupervision), pAsInfo);
        }
        TARVO_TRACE(0, kTraceAliveArmed, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    } else {
        TARVO_TRACE(0, kTraceAliveNoAlarm, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    }
}

uint32_t SysManTraceMemory(AsInfo* pAsInfo, const char* szLabel) {
    if (!memoryPoolInUse()) {
        return 0;
    }
    uint32_t pages = 0;
    const Error result = addressSpaceMemoryPages(objectByIndex(1), &pages);
    if (result != Success) {
        TARVO_TRACE(0, kTraceMemoryFailed, TraceFormat(kTraceArgInt, kTraceArgText), result,
                    KernelErrorName(result));
        return 0;
    }
    const auto name = AsName(pAsInfo);
    if (szLabel != nullptr) {
        TARVO_TRACE(0, kTraceMemoryLabel,
                    TraceFormat(kTraceArgText, kTraceArgText, kTraceArgInt, kTraceArgInt),
                    name.c_str(), szLabel, pages, pages * kPageSize);
    } else {
        TARVO_TRACE(0, kTraceMemory, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgInt),
                    name.c_str(), pages, pages * kPageSize);
    }
    return pages;
}
