// Framework tasks of the service clients: each started task takes the records of its clients'
// services in arrival order and hands each to the client's onCommand. The task blocks only in
// the kernel (on its semaphore), so it counts as quiescent while it waits.
#include <algorithm>
#include <optional>
#include <utility>

#include "Kernel.h"
#include "ServiceState.h"
#include "Tarvo.h"

namespace host::detail {
namespace {

struct Delivery {
    ServiceClient* client = nullptr;
    std::shared_ptr<ServiceEndpoint> endpoint;
    PendingRecord record;
};

// The oldest record of any client of `task`, taken out of its inbox (lock held).
bool takeNextRecord(ServiceState& s, ServiceTask& task, Delivery& delivery) {
    ServiceEndpoint* oldest = nullptr;
    for (ServiceClient* client : task.clients) {
        ServiceEndpoint& endpoint = *s.clients.at(client).endpoint;
        if (!endpoint.inbox.empty() &&
            (oldest == nullptr || endpoint.inbox.front().arrival < oldest->inbox.front().arrival)) {
            oldest = &endpoint;
            delivery.client = client;
        }
    }
    if (oldest == nullptr) {
        return false;
    }
    delivery.endpoint = s.clients.at(delivery.client).endpoint;
    delivery.record = std::move(oldest->inbox.front());
    oldest->inbox.pop_front();
    return true;
}

// Hands the record to onCommand at an odd address (the record has no alignment guarantee).
int deliver(const Delivery& delivery) {
    std::vector<uint8_t> shifted(delivery.record.bytes.size() + 1);
    std::copy(delivery.record.bytes.begin(), delivery.record.bytes.end(), shifted.begin() + 1);
    return delivery.client->onCommand(shifted.data() + 1,
                                      static_cast<uint32_t>(delivery.record.bytes.size()));
}

// Marks the task ended when its loop is left, also when the kernel unwinds it.
struct EndMark {
    std::shared_ptr<ServiceTask> task;
    ~EndMark() {
        std::lock_guard<std::mutex> lock(services().mutex);
        task->ended = true;
        services().changed.notify_all();
    }
};

// Marks the client busy while onCommand runs; clears the mark and records the result, or no
// result when onCommand is left by an exception (the kernel ending the task, a fault).
struct BusyMark {
    ServiceState& s;
    Delivery& delivery;
    std::optional<int> result;
    ~BusyMark() {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.clients.at(delivery.client).busy = false;
        recordResult(*delivery.endpoint, delivery.record.sequence, result);
        s.changed.notify_all();
    }
};

void serveRecords(const std::shared_ptr<ServiceTask>& task) {
    EndMark endMark{task};
    ServiceState& s = services();
    for (;;) {
        if (WaitForSemaphore(task->records) != Success) {
            return;
        }
        Delivery delivery;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (task->stopping) {
                return;
            }
            if (!takeNextRecord(s, *task, delivery)) {
                continue;  // a count left by a record that was dropped
            }
            s.clients.at(delivery.client).busy = true;
        }
        BusyMark busy{s, delivery, std::nullopt};
        busy.result = deliver(delivery);
    }
}

void serviceTaskEntry() {
    uintptr_t word = 0;
    GetTaskIdentification(CurrentTask(), &word);
    std::shared_ptr<ServiceTask> task;
    {
        std::lock_guard<std::mutex> lock(services().mutex);
        for (const auto& entry : services().tasks) {
            if (reinterpret_cast<uintptr_t>(entry.second.get()) == word) {
                task = entry.second;
            }
        }
    }
    if (task) {
        serveRecords(task);
    }
}

}  // namespace
}  // namespace host::detail

Error Tarvo_CreateTask(AsInfo* pAsInfo, uint32_t stackSize, Task* pTask, const char* name) {
    if (pTask == nullptr) {
        return IllegalParameter;
    }
    auto serviceTask = std::make_shared<host::detail::ServiceTask>();
    serviceTask->owner = pAsInfo;
    constexpr uint32_t kCreationPriority = 128;
    Error result = CreateSemaphore(0, &serviceTask->records);
    if (result != Success) {
        return result;
    }
    result = createTask(name, kCreationPriority, stackSize, host::detail::serviceTaskEntry,
                        &serviceTask->task);
    if (result == Success) {
        result = SetTaskIdentification(serviceTask->task,
                                       reinterpret_cast<uintptr_t>(serviceTask.get()));
    }
    if (result != Success) {
        if (serviceTask->task != nullptr) {
            closeKernelObject(serviceTask->task);
        }
        CloseSemaphore(serviceTask->records);
        return result;
    }
    std::lock_guard<std::mutex> lock(host::detail::services().mutex);
    host::detail::services().tasks[serviceTask->task] = serviceTask;
    *pTask = serviceTask->task;
    return Success;
}

Error Tarvo_StartServiceTask(AsInfo* pAsInfo, Task task, uint32_t priority) {
    if (pAsInfo == nullptr) {
        return IllegalParameter;
    }
    host::detail::ServiceState& s = host::detail::services();
    std::shared_ptr<host::detail::ServiceTask> serviceTask;
    size_t pending = 0;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        auto found = s.tasks.find(task);
        if (found == s.tasks.end() || found->second->started) {
            return TarvoServiceTaskUnknown;
        }
        serviceTask = found->second;
        for (auto& [client, link] : s.clients) {
            if (!link.task && client->asInfo() == pAsInfo) {
                link.task = serviceTask;
                serviceTask->clients.push_back(client);
                pending += link.endpoint->inbox.size();
            }
        }
        serviceTask->started = true;
        serviceTask->startPriority = priority;
    }
    for (size_t i = 0; i < pending; ++i) {
        ReleaseSemaphore(serviceTask->records);
    }
    return RunTask(task);
}

namespace host {

std::optional<uint32_t> serviceTaskStartPriority(Task task) {
    std::lock_guard<std::mutex> lock(detail::services().mutex);
    auto found = detail::services().tasks.find(task);
    if (found == detail::services().tasks.end() || !found->second->started) {
        return std::nullopt;
    }
    return found->second->startPriority;
}

}  // namespace host
