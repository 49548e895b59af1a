// The service side of the framework's service clients, for simulated services (the display
// service "ZUB_PEG_Service") and tests.
//
// A ServicePeer offers the service of its name. A client whose service object carries that name
// connects to it with ServiceClient::open (which fails while no peer of the name exists). The
// peer pushes command records to the client, which receives each on its service task in
// onCommand, and reads back what the client sent. Records reach onCommand at an odd address, so
// code that assumes an aligned record fails under the sanitizers.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "KernelTypes.h"

namespace host {

// One command the client sent.
struct SentCommand {
    uint32_t itemId;
    uint32_t commandCode;
    std::vector<uint8_t> payload;
};

// Builds a command record: item id, command code, the unused word (0), then the payload;
// little-endian.
std::vector<uint8_t> makeServiceRecord(uint32_t itemId, uint32_t commandCode,
                                       const std::vector<uint8_t>& payload = {});
// Payload helpers: a u32, and a UTF-16 text with its terminator (2 bytes a character).
std::vector<uint8_t> u32Payload(uint32_t value);
std::vector<uint8_t> text16Payload(const std::u16string& text);

class ServicePeer {
  public:
    // Offers the service `name`; one peer a name at a time (a second peer of a live name
    // throws std::logic_error).
    explicit ServicePeer(const std::string& name);
    // Withdraws the service: the client's later sends fail with ConnectionClosed, records not
    // yet delivered are dropped.
    ~ServicePeer();
    ServicePeer(const ServicePeer&) = delete;
    ServicePeer& operator=(const ServicePeer&) = delete;

    // True while a client is connected.
    bool connected() const;
    // Waits until a client has connected; false when `timeout` passed first.
    bool waitForClient(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Queues a record for the client's onCommand and returns its sequence number (1, 2, ...).
    // Records queued before the client has a running service task wait for it. Throws
    // std::logic_error when no client is connected or the record is shorter than its header.
    uint64_t push(const std::vector<uint8_t>& record);
    // The result of onCommand for record `sequence` once it has returned; std::nullopt while
    // it has not, when onCommand was left by an exception, or when the record was dropped (its
    // client or this peer went away first).
    std::optional<int> handled(uint64_t sequence) const;
    // Waits until onCommand has returned for record `sequence` and gives its result;
    // std::nullopt when `timeout` passed first or there is no result (as `handled`).
    std::optional<int> waitHandled(
        uint64_t sequence, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Everything the client sent since the last call, oldest first.
    std::vector<SentCommand> takeSent();
    // Waits for the next sent command (oldest first); std::nullopt when `timeout` passed first.
    std::optional<SentCommand> waitSent(
        std::chrono::milliseconds timeout = std::chrono::seconds(10));

  private:
    struct Endpoint;
    std::shared_ptr<Endpoint> myEndpoint;
};

// The priority Tarvo_StartServiceTask was given for the service task `task` (one made by
// Tarvo_CreateTask); std::nullopt while it has not been started or for any other task.
std::optional<uint32_t> serviceTaskStartPriority(Task task);

}  // namespace host
