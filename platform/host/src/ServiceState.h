// State shared by the service clients, their service tasks and the service peers. One lock
// guards all of it; onCommand and kernel waits run outside it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "HostService.h"
#include "KernelTypes.h"
#include "ServiceClient.h"

namespace host::detail {

struct PendingRecord {
    uint64_t sequence;  // per endpoint
    uint64_t arrival;   // across endpoints: the order a service task takes records in
    std::vector<uint8_t> bytes;
};

// The meeting point of one service's peer and its client.
struct ServiceEndpoint {
    std::string name;
    ServiceClient* client = nullptr;
    bool withdrawn = false;  // the peer has gone
    std::deque<PendingRecord> inbox;
    std::deque<SentCommand> sent;
    uint64_t nextSequence = 1;
    std::map<uint64_t, std::optional<int>> results;  // handled (a result) or dropped (none)
};

// A framework task made by Tarvo_CreateTask; once started it serves its clients.
struct ServiceTask {
    Task task = nullptr;
    Semaphore records = nullptr;  // one count for each record to deliver
    AsInfo* owner = nullptr;
    bool started = false;
    uint32_t startPriority = 0;  // given to Tarvo_StartServiceTask
    bool stopping = false;
    bool ended = false;
    std::vector<ServiceClient*> clients;
};

struct ClientLink {
    std::shared_ptr<ServiceEndpoint> endpoint;
    std::shared_ptr<ServiceTask> task;
    bool busy = false;  // in onCommand
};

struct ServiceState {
    std::mutex mutex;
    std::condition_variable changed;  // any change a waiter may look for
    std::map<std::string, std::shared_ptr<ServiceEndpoint>> endpoints;  // offered services
    std::map<ServiceClient*, ClientLink> clients;                       // open clients
    std::map<Task, std::shared_ptr<ServiceTask>> tasks;
    uint64_t nextArrival = 1;
};

// Never destroyed: service tasks may outlive the static destructors.
ServiceState& services();

// Records dropped without delivery get "no result"; the results kept are bounded.
void recordResult(ServiceEndpoint& endpoint, uint64_t sequence, std::optional<int> result);

// Drops the endpoint's undelivered records (lock held).
void dropInbox(ServiceEndpoint& endpoint);

}  // namespace host::detail
