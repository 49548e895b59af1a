#include "SimDisplayService.h"

#include <utility>

#include "HostFramework.h"
#include "HostKernel.h"

namespace sim {
namespace {

constexpr uint32_t kSelectionCode = 29;

}  // namespace

DisplayService::DisplayService(const std::string& name) : myPeer(name) {}

bool DisplayService::connected() const {
    return myPeer.connected();
}

std::optional<int> DisplayService::deliver(uint32_t itemId, uint32_t commandCode,
                                           const std::vector<uint8_t>& payload) {
    if (!myPeer.connected()) {
        return std::nullopt;
    }
    collect();
    if (commandCode == kSelectionCode && payload.size() >= 4) {
        myModel.select(itemId, static_cast<uint32_t>(payload[0]) |
                                   static_cast<uint32_t>(payload[1]) << 8 |
                                   static_cast<uint32_t>(payload[2]) << 16 |
                                   static_cast<uint32_t>(payload[3]) << 24);
    }
    const uint64_t sequence = myPeer.push(host::makeServiceRecord(itemId, commandCode, payload));
    std::optional<int> result = myPeer.waitHandled(sequence);
    host::waitForQuiescence();
    collect();
    return result;
}

std::optional<int> DisplayService::injectValue(uint32_t itemId, uint32_t commandCode,
                                               uint32_t value) {
    return deliver(itemId, commandCode, host::u32Payload(value));
}

std::optional<int> DisplayService::injectText(uint32_t itemId, uint32_t commandCode,
                                              const std::u16string& text) {
    return deliver(itemId, commandCode, host::text16Payload(text));
}

void DisplayService::setContext(std::optional<std::string> context) {
    host::setDisplayContext(std::move(context));
}

std::vector<host::SentCommand> DisplayService::takeSent() {
    collect();
    return std::exchange(myUntaken, {});
}

const DisplayModel& DisplayService::model() {
    collect();
    return myModel;
}

void DisplayService::printState(std::ostream& out) {
    out << model().dump();
}

void DisplayService::collect() {
    for (host::SentCommand& command : myPeer.takeSent()) {
        myModel.apply(command);
        myUntaken.push_back(std::move(command));
    }
}

}  // namespace sim
