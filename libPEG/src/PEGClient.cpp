// The component entry, the client's creation and start, and the hand-over of incoming records.
#include <cstring>
#include <exception>
#include <new>

#include "Kernel.h"
#include "PEG.h"
#include "PEGDispatcher.h"
#include "PEGTrace.h"
#include "Tarvo.h"

using namespace peg_detail;

const char kPEGServiceName[] = "ZUB_PEG_Service";

namespace {

constexpr uint32_t kActivityPriority = 128;
constexpr const char* kStartupTaskName = "PEG_StartupTask";

// The parameter-file prefix of the block, terminated within its field.
struct ParPrefix {
    explicit ParPrefix(const AsInfo* pAsInfo) {
        const char* field = pAsInfo->selfInfo.szParPrefix;
        const size_t length = strnlen(field, sizeof(pAsInfo->selfInfo.szParPrefix));
        std::memcpy(text, field, length);
        text[length] = '\0';
    }
    char text[sizeof(SelfInformation::szParPrefix) + 1];
};

}  // namespace

int PEG_initComponent(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    if (ppServiceName != nullptr) {
        *ppServiceName = kPEGServiceName;
    }
    if (pServiceObject != nullptr) {
        PEG_connect(pAsInfo, static_cast<ServiceObject*>(pServiceObject), nullptr);
    }
    return 0;
}

int PEG_connect(AsInfo* pAsInfo, ServiceObject* pService, Task* pTask) {
    if (pAsInfo == nullptr || pService == nullptr || pService->pClient != nullptr) {
        return 0;
    }
    if (pService->hConnection1 == nullptr || pService->hConnection2 == nullptr) {
        Tarvo_ReportError(ServiceNotAvailable, pAsInfo);
    }
    pAsInfo->pDisplayService = pService;
    // The display side of this life begins: no client task runs yet, so nothing is dispatched.
    try {
        PEGDispatcher::instance().beginLife();
    } catch (const std::exception&) {
        // The mutex wrapper has traced why; each later use of the dispatcher tries to make it
        // again, and a dispatch that fails is answered by the program's display entry.
        Tarvo_ReportError(ResourceNotAvailable, pAsInfo);
    }
    pService->pClient = new PEG_Lib(pAsInfo, pService, pTask);
    return 0;
}

int PEG_start(AsInfo* pAsInfo) {
    auto* service =
        pAsInfo != nullptr ? static_cast<ServiceObject*>(pAsInfo->pDisplayService) : nullptr;
    if (service == nullptr || service->pClient == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceNoClient, TraceFormat());
        return NULLObjectSpecified;
    }
    return service->pClient->start();
}

PEG_Lib::PEG_Lib(AsInfo* pAsInfo, ServiceObject* pService, Task* pTask)
    : ServiceClient(pAsInfo, pService) {
    createTask(pAsInfo, pTask);
    const Error activity =
        CreateActivity(myTask, kActivityPriority, 0, pService->nActivityId, &pService->hActivity);
    if (activity != Success) {
        TARVO_TRACE(kTraceSelector, kTraceActivityFailed, TraceFormat(kTraceArgInt, kTraceArgText),
                    activity, KernelErrorName(activity));
    }
    Tarvo_ReportError(activity, pAsInfo);
    Tarvo_ReportError(open(), pAsInfo);
}

void PEG_Lib::createTask(AsInfo* pAsInfo, Task* pTask) {
    if (pTask != nullptr && *pTask != nullptr) {
        myTask = *pTask;
        return;
    }
    const bool startup = pTask != nullptr;
    const char* name = startup ? kStartupTaskName : serviceObject()->szName;
    Error result = Tarvo_CreateTask(pAsInfo, kTaskStackSize, &myTask, name);
    if (result == Success) {
        result = installTaskErrorHandler(myTask);
    }
    if (startup) {
        *pTask = myTask;
    }
    if (result != Success) {
        TARVO_TRACE(kTraceSelector, startup ? kTraceStartupTaskNotEnrolled : kTraceTaskNotEnrolled,
                    TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgText),
                    ParPrefix(pAsInfo).text, result, KernelErrorName(result));
    }
}

PEG_Lib::~PEG_Lib() {
    if (serviceObject()->pClient == this) {
        serviceObject()->pClient = nullptr;
    }
}

int PEG_Lib::start() {
    AsInfo* owner = serviceObject()->pOwner != nullptr ? serviceObject()->pOwner : asInfo();
    const int result = send(0, 1, nullptr, 0);
    if (result != Success) {
        TARVO_TRACE(kTraceSelector, kTraceStartFailed, TraceFormat(kTraceArgInt, kTraceArgText),
                    result, KernelErrorName(result));
    }
    Tarvo_ReportError(result, owner);
    Tarvo_ReportError(Tarvo_StartServiceTask(owner, myTask, kTaskPriority), owner);
    return result;
}

int PEG_Lib::onCommand(const void* pRecord, uint32_t length) {
    const PEGCommand command(pRecord, length);
    if (!command.complete()) {
        TARVO_TRACE(kTraceSelector, kTraceShortRecord, TraceFormat(kTraceArgInt), length);
        return 0;
    }
    return OnPegEvent(serviceObject(), &command);
}
