// Start and registration of the system-manager client: the address-space block, the hooks and
// the handshake on "conSysManStart", "conSysManCmd" and "semSysMan" that ends in the command
// loop. Every failure of the start goes to the framework's fatal check.
#include "libSysman.h"

#include <cstring>

#include "Kernel.h"
#include "SysManInternal.h"
#include "SysManText.h"
#include "SysManTrace.h"
#include "Sysmanlib.h"
#include "Tarvo.h"
#include "libSysHSmon.h"

using namespace sysman;

namespace {

constexpr char kSourcePath[] = "libSysman/src/libSysman";
constexpr uint32_t kStartMessageCode = 23;
constexpr uint32_t kAnswerCode = 22;
constexpr uint32_t kSecondMessageCode = 0;
constexpr size_t kMaxStartText = 31;
constexpr uint32_t kAddressSpaceObjectIndex = 1;

// Name of the calling task, kept for the phase.
char taskName[64];

// Requests a resource with an empty password; on failure traces its name and stops.
Object requestOrStop(AsInfo* pAsInfo, const char* name, uint32_t traceId) {
    Object object = nullptr;
    Error result = RequestResource(&object, name, "");
    if (result != Success) {
        TARVO_TRACE(0, traceId, TraceFormat(kTraceArgText), name);
        Tarvo_CheckFatal(result, pAsInfo);
    }
    return object;
}

void registerWithFramework(AsInfo* pAsInfo) {
    if (Sysmanlib_AsInfo_IsRegistered()) {
        TARVO_TRACE(0, kTraceAlreadyRegistered, TraceFormat(kTraceArgInt),
                    Sysmanlib_AsInfo_Registered());
        Tarvo_CheckFatal(1, pAsInfo);
    }
    Tarvo_CheckFatal(Sysmanlib_AsInfo_Register(pAsInfo), pAsInfo);
}

void setCodeRange(AsInfo* pAsInfo, const void* pCodeStart, const void* pCodeEnd) {
    const auto start = reinterpret_cast<uintptr_t>(pCodeStart);
    const auto end = reinterpret_cast<uintptr_t>(pCodeEnd);
    if (end > start) {
        pAsInfo->pCodeStart = static_cast<const uint8_t*>(pCodeStart);
        pAsInfo->nCodeLength = static_cast<uint32_t>(end - start + 4);
    }
}

void enterTaskPhase(AsInfo* pAsInfo) {
    uint32_t length = 0;
    Tarvo_CheckFatal(GetTaskName(CurrentTask(), taskName, sizeof(taskName) - 1, &length), pAsInfo);
    taskName[length < sizeof(taskName) ? length : sizeof(taskName) - 1] = '\0';
    Tarvo_SetPhase(taskName);
}

void installHooks(AsInfo* pAsInfo, const SysManHookTable* pHooks) {
    if (pHooks == nullptr) {
        pHooks = SysManDefaultHooks();
    }
    if (pHooks != nullptr) {
        pAsInfo->hooks = *pHooks;
    } else {
        TARVO_TRACE(0, kTraceNoDefaultHooks, TraceFormat());
    }
}

void sendRegistrationName(AsInfo* pAsInfo, const char* szRegName) {
    if (szRegName != nullptr) {
        std::strncpy(pAsInfo->szRegName, szRegName, kRegNameSize - 1);
    }
    if (pAsInfo->szRegName[0] != '\0') {
        Tarvo_CheckFatal(
            Sysmanlib_SendName(4, 0, pAsInfo->szRegName, kRegNameSize, 0, pAsInfo->hCmdConnection),
            pAsInfo);
    }
}

// Sends the start message with the other end of a new connection pair; the own end becomes the
// command end. The link to the address space, which the second message carries, is made here
// too, so that every object of the handshake exists before the system manager is asked.
// Returns that link.
Link sendStartMessage(AsInfo* pAsInfo, Connection startConnection) {
    Connection otherEnd = nullptr;
    Link taskLink = nullptr;
    Link spaceLink = nullptr;
    Tarvo_CheckFatal(CreateConnection(&pAsInfo->hOwnEnd, &otherEnd), pAsInfo);
    Tarvo_CheckFatal(createObjectLink(CurrentTask(), &taskLink), pAsInfo);
    Tarvo_CheckFatal(createObjectLink(objectByIndex(kAddressSpaceObjectIndex), &spaceLink),
                     pAsInfo);
    Buffer* tx = pAsInfo->txMsg;
    tx[0] = Buffer{ImmediateBuffer, kStartMessageCode, 0, 0};
    tx[1] = Buffer{LinkBuffer, reinterpret_cast<uintptr_t>(taskLink), 0, 0};
    tx[2] = Buffer{ObjectBuffer, reinterpret_cast<uintptr_t>(otherEnd), 0, 0};
    tx[3] = Buffer{DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(pAsInfo->szRegName),
                   kRegNameSize, 0};
    Tarvo_CheckFatal(SynchronousSend(startConnection, tx), pAsInfo);
    return spaceLink;
}

// Receives the answer with the self-information into the head of the block.
void receiveAnswer(AsInfo* pAsInfo) {
    std::memset(&pAsInfo->selfInfo, 0, sizeof(pAsInfo->selfInfo));
    Buffer* rx = pAsInfo->txMsg;
    rx[0] = Buffer{ImmediateBuffer, 0, 0, 0};
    rx[1] = Buffer{ObjectBuffer, 0, 0, 0};
    rx[2] = Buffer{ObjectBuffer, 0, 0, 0};
    rx[3] = Buffer{DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(pAsInfo), kSelfInfoSize, 0};
    Tarvo_CheckFatal(SynchronousReceive(pAsInfo->hOwnEnd, rx), pAsInfo);
    const auto code = static_cast<uint32_t>(rx[0].TheAddress);
    if (code != kAnswerCode) {
        TARVO_TRACE(0, kTraceBadAnswer, TraceFormat(kTraceArgText, kTraceArgInt),
                    AsName(pAsInfo).c_str(), code);
        Tarvo_CheckFatal(1, pAsInfo);
    }
    pAsInfo->hLink = reinterpret_cast<Connection>(rx[1].TheAddress);
    TARVO_TRACE(0, kTraceAnswered, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
}

void callStartHooks(AsInfo* pAsInfo) {
    if (pAsInfo->hooks.onConnected != nullptr) {
        Tarvo_CheckFatal(pAsInfo->hooks.onConnected(), pAsInfo);
    }
    if (pAsInfo->hooks.getStartText != nullptr) {
        Tarvo_CheckFatal(pAsInfo->hooks.getStartText(pAsInfo->szStartText, kStartTextSize),
                         pAsInfo);
        if (strnlen(pAsInfo->szStartText, kStartTextSize) > kMaxStartText) {
            const BoundedText<kStartTextSize> text(pAsInfo->szStartText);
            TARVO_TRACE(0, kTraceStartTextTooLong, TraceFormat(kTraceArgText, kTraceArgText),
                        AsName(pAsInfo).c_str(), text.c_str());
            Tarvo_CheckFatal(1, pAsInfo);
        }
    }
}

// Sends the link to the address space, the release string (with its NUL) and the start text
// (without) on the link to the system manager.
void sendSecondMessage(AsInfo* pAsInfo, Link spaceLink, const char* szRelease) {
    const size_t textLength = strnlen(pAsInfo->szStartText, kStartTextSize);
    Buffer* tx = pAsInfo->txMsg;
    tx[0] = Buffer{ImmediateBuffer, kSecondMessageCode, 0, 0};
    tx[1] = Buffer{LinkBuffer, reinterpret_cast<uintptr_t>(spaceLink), 0, 0};
    tx[2] = szRelease != nullptr ? Buffer{DataBuffer, reinterpret_cast<uintptr_t>(szRelease),
                                          std::strlen(szRelease) + 1, 0}
                                 : Buffer{DataBuffer, 0, 0, 0};
    tx[3] = textLength > 0
                ? Buffer{DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(pAsInfo->szStartText),
                         textLength, 0}
                : Buffer{DataBuffer | LastBuffer, 0, 0, 0};
    Tarvo_CheckFatal(SynchronousSend(pAsInfo->hLink, tx), pAsInfo);
}

void createActivities(AsInfo* pAsInfo) {
    Tarvo_CheckFatal(
        CreateActivity(CurrentTask(), 255, 0, kCommandActivity, &pAsInfo->hCmdActivity), pAsInfo);
    Tarvo_CheckFatal(
        CreateActivity(CurrentTask(), 255, 0, kSecondActivity, &pAsInfo->hSecondActivity), pAsInfo);
}

}  // namespace

void SysManStart(const void* pCodeStart, const void* pCodeEnd, const char* szRelease,
                 const ComponentStartFunction* pStartTable, const char* szRegName,
                 const SysManHookTable* pHooks, uint32_t nSetupArgument) {
    TARVO_TRACE(0, kTraceStart, TraceFormat());
    taskName[0] = '\0';
    auto* pAsInfo = static_cast<AsInfo*>(
        Tarvo_DebugAlloc(1, sizeof(AsInfo), kSourcePath, __LINE__, memoryPoolInUse() ? 1 : 0));
    if (pAsInfo == nullptr) {
        TARVO_TRACE(0, kTraceNoAsInfo, TraceFormat(kTraceArgInt),
                    static_cast<uint32_t>(sizeof(AsInfo)));
        return;
    }
    registerWithFramework(pAsInfo);
    pAsInfo->pSelfInfoInt = pAsInfo;
    pAsInfo->pStartTable = pStartTable;
    pAsInfo->nStartIndex = -1;
    setCodeRange(pAsInfo, pCodeStart, pCodeEnd);
    enterTaskPhase(pAsInfo);

    pAsInfo->nCycleDataFlag = 0;
    Tarvo_CheckFatal(RequestResource(&pAsInfo->hRealTimeClock, "RealTimeClock", kResourcePassword),
                     pAsInfo);
    const Error handler = installTaskErrorHandler(CurrentTask());
    if (handler != Success) {
        TARVO_TRACE(0, kTraceNoErrorHandler, TraceFormat());
        Tarvo_CheckFatal(handler, pAsInfo);
    }
    installHooks(pAsInfo, pHooks);
    pAsInfo->hCmdConnection = requestOrStop(pAsInfo, "conSysManCmd", kTraceNoCmdConnection);
    sendRegistrationName(pAsInfo, szRegName);
    Connection startConnection = requestOrStop(pAsInfo, "conSysManStart", kTraceNoStartConnection);
    Semaphore startSemaphore = requestOrStop(pAsInfo, "semSysMan", kTraceNoSemaphore);

    const Link spaceLink = sendStartMessage(pAsInfo, startConnection);
    receiveAnswer(pAsInfo);
    Tarvo_SetTraceSelector(pAsInfo->selfInfo.nTraceSelector);
    if (Sysmanlib_AsInfo_Setup(pAsInfo, nSetupArgument) == 0) {
        TARVO_TRACE(0, kTraceSetupFailed, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
        Tarvo_CheckFatal(1, pAsInfo);
    }
    callStartHooks(pAsInfo);
    sendSecondMessage(pAsInfo, spaceLink, szRelease);
    Tarvo_CheckFatal(receiveSupervision(pAsInfo->hOwnEnd, &pAsInfo->pSupervision), pAsInfo);
    Tarvo_CheckFatal(SynchronousReceive(startSemaphore, nullptr), pAsInfo);
    TARVO_TRACE(0, kTraceRegistered, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());

    createActivities(pAsInfo);
    armCommandReceive(pAsInfo);
    SysManCommandLoop(pAsInfo);
    TARVO_TRACE(0, kTraceLoopReturned, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    for (;;) {
        basiclib::sleep(1);
    }
}

void SysManStartDefault(const void* pCodeStart, const void* pCodeEnd, const char* szRelease,
                        const ComponentStartFunction* pStartTable, uint32_t nSetupArgument) {
    SysManStart(pCodeStart, pCodeEnd, szRelease, pStartTable, nullptr, nullptr, nSetupArgument);
}

void SysManStartNamed(const void* pCodeStart, const void* pCodeEnd, const char* szRelease,
                      const ComponentStartFunction* pStartTable, const char* szRegName,
                      uint32_t nSetupArgument) {
    SysManStart(pCodeStart, pCodeEnd, szRelease, pStartTable, szRegName, nullptr, nSetupArgument);
}

void SysManStartWithHooks(const SysManHookTable* pHooks,
                          const ComponentStartFunction* pStartTable) {
    SysManStart(nullptr, nullptr, nullptr, pStartTable, nullptr, pHooks, 0);
}
