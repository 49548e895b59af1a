// The simulated display service "ZUB_PEG_Service": accepts the connection of the address
// space's display client, delivers command records to the client task and records what the
// address space's items send.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HostService.h"

namespace sim {

class DisplayService {
  public:
    // Offers the service under `name` from now on.
    explicit DisplayService(const std::string& name = "ZUB_PEG_Service");

    // True while a display client is connected.
    bool connected() const;

    // Delivers one command record (item id, command code, payload) to the client task and
    // waits until the client has handled it; its result, or std::nullopt when no client is
    // connected or the client did not handle it.
    std::optional<int> deliver(uint32_t itemId, uint32_t commandCode,
                               const std::vector<uint8_t>& payload = {});

    // Everything the items sent so far, oldest first (kept across calls).
    std::vector<host::SentCommand> sent();

  private:
    host::ServicePeer myPeer;
    std::vector<host::SentCommand> mySent;
};

}  // namespace sim
