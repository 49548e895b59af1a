// The service side of the service clients: offering a service, pushing records to its client
// and reading back what the client sent.
#include <stdexcept>

#include "Kernel.h"
#include "ServiceState.h"

namespace host {

struct ServicePeer::Endpoint : detail::ServiceEndpoint {};

namespace {

void putU32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

}  // namespace

std::vector<uint8_t> makeServiceRecord(uint32_t itemId, uint32_t commandCode,
                                       const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> record;
    putU32(record, itemId);
    putU32(record, commandCode);
    putU32(record, 0);
    record.insert(record.end(), payload.begin(), payload.end());
    return record;
}

std::vector<uint8_t> u32Payload(uint32_t value) {
    std::vector<uint8_t> bytes;
    putU32(bytes, value);
    return bytes;
}

std::vector<uint8_t> text16Payload(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

ServicePeer::ServicePeer(const std::string& name) : myEndpoint(std::make_shared<Endpoint>()) {
    myEndpoint->name = name;
    detail::ServiceState& s = detail::services();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.endpoints.emplace(name, myEndpoint).second) {
        throw std::logic_error("service \"" + name + "\" is offered already");
    }
}

ServicePeer::~ServicePeer() {
    detail::ServiceState& s = detail::services();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.endpoints.erase(myEndpoint->name);
    myEndpoint->withdrawn = true;
    detail::dropInbox(*myEndpoint);
    s.changed.notify_all();
}

bool ServicePeer::connected() const {
    std::lock_guard<std::mutex> lock(detail::services().mutex);
    return myEndpoint->client != nullptr;
}

bool ServicePeer::waitForClient(std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(detail::services().mutex);
    return detail::services().changed.wait_for(lock, timeout,
                                               [this] { return myEndpoint->client != nullptr; });
}

uint64_t ServicePeer::push(const std::vector<uint8_t>& record) {
    if (record.size() < kServiceRecordHeader || record.size() > kServiceRecordMax) {
        throw std::logic_error("service record of " + std::to_string(record.size()) + " bytes");
    }
    detail::ServiceState& s = detail::services();
    Semaphore wake = nullptr;
    uint64_t sequence;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (myEndpoint->client == nullptr) {
            throw std::logic_error("service \"" + myEndpoint->name + "\" has no client");
        }
        sequence = myEndpoint->nextSequence++;
        myEndpoint->inbox.push_back(detail::PendingRecord{sequence, s.nextArrival++, record});
        const detail::ClientLink& link = s.clients.at(myEndpoint->client);
        if (link.task && link.task->started) {
            wake = link.task->records;
        }
    }
    if (wake != nullptr) {
        ReleaseSemaphore(wake);
    }
    return sequence;
}

std::optional<int> ServicePeer::handled(uint64_t sequence) const {
    std::lock_guard<std::mutex> lock(detail::services().mutex);
    auto found = myEndpoint->results.find(sequence);
    return found != myEndpoint->results.end() ? found->second : std::nullopt;
}

std::optional<int> ServicePeer::waitHandled(uint64_t sequence,
                                            std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(detail::services().mutex);
    auto& results = myEndpoint->results;
    if (!detail::services().changed.wait_for(lock, timeout,
                                             [&] { return results.count(sequence) != 0; })) {
        return std::nullopt;
    }
    return results.at(sequence);
}

std::vector<SentCommand> ServicePeer::takeSent() {
    std::lock_guard<std::mutex> lock(detail::services().mutex);
    std::vector<SentCommand> sent(myEndpoint->sent.begin(), myEndpoint->sent.end());
    myEndpoint->sent.clear();
    return sent;
}

std::optional<SentCommand> ServicePeer::waitSent(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(detail::services().mutex);
    if (!detail::services().changed.wait_for(lock, timeout,
                                             [this] { return !myEndpoint->sent.empty(); })) {
        return std::nullopt;
    }
    SentCommand first = std::move(myEndpoint->sent.front());
    myEndpoint->sent.pop_front();
    return first;
}

}  // namespace host
