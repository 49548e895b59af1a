#include "SimDisplayService.h"

#include "HostKernel.h"

namespace sim {

DisplayService::DisplayService(const std::string& name) : myPeer(name) {}

bool DisplayService::connected() const {
    return myPeer.connected();
}

std::optional<int> DisplayService::deliver(uint32_t itemId, uint32_t commandCode,
                                           const std::vector<uint8_t>& payload) {
    if (!myPeer.connected()) {
        return std::nullopt;
    }
    const uint64_t sequence = myPeer.push(host::makeServiceRecord(itemId, commandCode, payload));
    std::optional<int> result = myPeer.waitHandled(sequence);
    host::waitForQuiescence();
    return result;
}

std::vector<host::SentCommand> DisplayService::sent() {
    for (host::SentCommand& command : myPeer.takeSent()) {
        mySent.push_back(std::move(command));
    }
    return mySent;
}

}  // namespace sim
