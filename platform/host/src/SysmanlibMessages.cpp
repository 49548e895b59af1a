// Messages of the framework to the system manager: registration name, state replies with their
// answer, codes, trigger and checksum reports, and the default loop-start hook.
#include <cstring>

#include "Kernel.h"
#include "Sysmanlib.h"
#include "SysmanlibInternal.h"
#include "Tarvo.h"

namespace host::detail {

Error sendToSystemManager(const AsInfo* pAsInfo, uint32_t kind, uint32_t argument1,
                          uint32_t argument2, const void* payload, uint32_t length) {
    if (pAsInfo == nullptr) {
        return IllegalParameter;
    }
    Buffer message[3] = {
        {ImmediateBuffer, kind, argument1, 0},
        {ImmediateBuffer, argument2, 0, 0},
        {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(payload),
         payload != nullptr ? length : 0u, 0},
    };
    return SynchronousSend(pAsInfo->hLink, message);
}

}  // namespace host::detail

using host::detail::sendToSystemManager;

const SysmanlibState Sysmanlib_StateTable[kSysmanlibStateCount] = {
    {0, "Resources"},     {1, "Components"}, {2, "Idle"},        {3, "Initialize"}, {4, "FbDO"},
    {5, "ServicesStart"}, {6, "Standby"},    {7, "Alarm"},       {8, "TaskSetup"},  {9, "Wait"},
    {10, "Hold"},         {11, "Start"},     {12, "Ready"},      {13, "Shutdown"},  {14, "Running"},
    {15, "Suspend"},      {16, "Create"},    {17, "Parameters"}, {18, "Terminate"},
};

int32_t Sysmanlib_FindState(uint32_t code) {
    for (uint32_t index = 0; index < kSysmanlibStateCount; ++index) {
        if (Sysmanlib_StateTable[index].nCode == code) {
            return static_cast<int32_t>(index);
        }
    }
    return -1;
}

Error Sysmanlib_SendName(uint32_t nKind, uint32_t nWord, const char* szName, uint32_t nSize,
                         uint32_t /*nFlags*/, Connection hConnection) {
    if (szName == nullptr || nSize == 0) {
        return IllegalParameter;
    }
    const size_t length = strnlen(szName, nSize - 1);
    char bounded[kRegNameSize] = {};
    const size_t copied = length < sizeof(bounded) - 1 ? length : sizeof(bounded) - 1;
    std::memcpy(bounded, szName, copied);
    Buffer message[2] = {
        {ImmediateBuffer, nKind, nWord, 0},
        {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(bounded), copied + 1, 0},
    };
    return SynchronousSend(hConnection, message);
}

Error Sysmanlib_SendStateReply(AsInfo* pAsInfo, uint32_t nReplyCode) {
    if (pAsInfo == nullptr) {
        return IllegalParameter;
    }
    Error result = sendToSystemManager(pAsInfo, kSysmanlibStateReply, nReplyCode,
                                       pAsInfo->nStateCode, nullptr, 0);
    if (result != Success) {
        return result;
    }
    Buffer answer[1] = {{ImmediateBuffer | LastBuffer, 0, 0, 0}};
    result = SynchronousReceive(pAsInfo->hLink, answer);
    if (result != Success) {
        return result;
    }
    const uint32_t nextState = static_cast<uint32_t>(answer[0].Length);
    const int32_t index = Sysmanlib_FindState(nextState);
    if (answer[0].TheAddress != kSysmanlibAnswerOk || index < 0) {
        return IllegalParameter;
    }
    pAsInfo->nStateIndex = static_cast<uint32_t>(index);
    pAsInfo->nStateCode = nextState;
    return Success;
}

Error Sysmanlib_SendCode(AsInfo* pAsInfo, uint32_t nCode) {
    return sendToSystemManager(pAsInfo, kSysmanlibCode, nCode, 0, nullptr, 0);
}

Error Sysmanlib_TriggerProcessed(AsInfo* pAsInfo) {
    const uint32_t state = pAsInfo != nullptr ? pAsInfo->nStateCode : 0;
    return sendToSystemManager(pAsInfo, kSysmanlibTriggerProcessed, state, 0, nullptr, 0);
}

Error Sysmanlib_TriggerDone(void) {
    return sendToSystemManager(Sysmanlib_AsInfo_GetCurrent(), kSysmanlibTriggerDone, 0, 0, nullptr,
                               0);
}

Error Sysmanlib_ReportChecksum(AsInfo* pAsInfo, uint32_t nChecksum) {
    return sendToSystemManager(pAsInfo, kSysmanlibChecksum, nChecksum, 0, nullptr, 0);
}

Error Sysmanlib_ReportDirChecksum(AsInfo* pAsInfo, uint32_t nChecksum) {
    return sendToSystemManager(pAsInfo, kSysmanlibDirChecksum, nChecksum, 0, nullptr, 0);
}

int Sysmanlib_DefaultLoopStart(AsInfo* pAsInfo) {
    return Sysmanlib_SendCode(pAsInfo, kSysmanlibCodeLoopStarted);
}
