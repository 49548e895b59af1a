// The service-client base: connecting to a service, sending to it, and leaving it.
#include <algorithm>
#include <cstring>

#include "Kernel.h"

#include "ServiceState.h"
#include "Tarvo.h"

namespace host::detail {

ServiceState& services() {
    static ServiceState* instance = new ServiceState();
    return *instance;
}

void recordResult(ServiceEndpoint& endpoint, uint64_t sequence, std::optional<int> result) {
    constexpr size_t kResultsKept = 4096;
    endpoint.results[sequence] = result;
    if (endpoint.results.size() > kResultsKept) {
        endpoint.results.erase(endpoint.results.begin());
    }
}

void dropInbox(ServiceEndpoint& endpoint) {
    for (const PendingRecord& record : endpoint.inbox) {
        recordResult(endpoint, record.sequence, std::nullopt);
    }
    endpoint.inbox.clear();
}

namespace {

// Ends the service task once it has no client left; waits until its loop has finished.
void stopTaskIfIdle(std::unique_lock<std::mutex>& lock, const std::shared_ptr<ServiceTask>& task) {
    if (!task->clients.empty() || !task->started) {
        return;
    }
    task->stopping = true;
    ReleaseSemaphore(task->records);
    services().changed.wait(lock, [&task] { return task->ended; });
    CloseSemaphore(task->records);
    services().tasks.erase(task->task);
}

}  // namespace
}  // namespace host::detail

using host::detail::services;

ServiceClient::ServiceClient(AsInfo* pAsInfo, ServiceObject* pService)
    : myAsInfo(pAsInfo), myService(pService) {}

ServiceClient::~ServiceClient() {
    host::detail::ServiceState& s = services();
    std::unique_lock<std::mutex> lock(s.mutex);
    auto link = s.clients.find(this);
    if (link == s.clients.end()) {
        return;
    }
    s.changed.wait(lock, [&] { return !link->second.busy; });
    host::detail::ServiceEndpoint& endpoint = *link->second.endpoint;
    endpoint.client = nullptr;
    host::detail::dropInbox(endpoint);
    std::shared_ptr<host::detail::ServiceTask> task = link->second.task;
    s.clients.erase(link);
    s.changed.notify_all();
    if (task) {
        auto& served = task->clients;
        served.erase(std::remove(served.begin(), served.end(), this), served.end());
        host::detail::stopTaskIfIdle(lock, task);
    }
}

int ServiceClient::start() {
    return Success;
}

int ServiceClient::onCommand(const void* /*pRecord*/, uint32_t /*length*/) {
    return Success;
}

int ServiceClient::sendCommand(uint32_t itemId, uint32_t commandCode, const void* pPayload,
                               uint32_t length) {
    return send(itemId, commandCode, pPayload, length);
}

uint32_t ServiceClient::query() {
    host::detail::ServiceState& s = services();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto link = s.clients.find(this);
    return link == s.clients.end() ? 0 : static_cast<uint32_t>(link->second.endpoint->inbox.size());
}

int ServiceClient::open() {
    if (myService == nullptr) {
        return IllegalParameter;
    }
    if (myService->hConnection1 == nullptr || myService->hConnection2 == nullptr) {
        return ServiceNotAvailable;
    }
    host::detail::ServiceState& s = services();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.clients.count(this) != 0) {
        return Success;
    }
    const std::string name(myService->szName, strnlen(myService->szName, kServiceNameSize));
    auto offered = s.endpoints.find(name);
    if (offered == s.endpoints.end()) {
        return ServiceNotAvailable;
    }
    if (offered->second->client != nullptr) {
        return AlreadyOwned;
    }
    offered->second->client = this;
    s.clients[this].endpoint = offered->second;
    s.changed.notify_all();
    return Success;
}

int ServiceClient::send(uint32_t itemId, uint32_t commandCode, const void* pPayload,
                        uint32_t length) {
    const uint32_t payloadLength = pPayload != nullptr ? length : 0;
    if (payloadLength > kServiceRecordMax - kServiceRecordHeader) {
        return BufferTooSmall;
    }
    host::detail::ServiceState& s = services();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto link = s.clients.find(this);
    if (link == s.clients.end()) {
        return ServiceNotAvailable;
    }
    host::detail::ServiceEndpoint& endpoint = *link->second.endpoint;
    if (endpoint.withdrawn) {
        return ConnectionClosed;
    }
    const auto* bytes = static_cast<const uint8_t*>(pPayload);
    endpoint.sent.push_back(
        host::SentCommand{itemId, commandCode, std::vector<uint8_t>(bytes, bytes + payloadLength)});
    s.changed.notify_all();
    return Success;
}
