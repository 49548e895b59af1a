#include "PEGTestSupport.h"

#include <ostream>

namespace pegtest {
namespace {

// Set on the test's task before the records are pushed, read on the client task after it has
// taken them from the peer, so the peer's hand-over orders the two.
DisplayEntry& entry() {
    static DisplayEntry* function = new DisplayEntry();
    return *function;
}

}  // namespace

void setDisplayEntry(DisplayEntry function) {
    entry() = std::move(function);
}

void PrintTo(const Sent& sent, std::ostream* os) {
    *os << "{" << sent.itemId << ", " << sent.commandCode << ", [";
    for (uint8_t byte : sent.payload) {
        *os << " " << static_cast<int>(byte);
    }
    *os << " ]}";
}

std::vector<Sent> sentBy(host::ServicePeer& peer) {
    std::vector<Sent> sent;
    for (const host::SentCommand& command : peer.takeSent()) {
        sent.push_back(Sent{command.itemId, command.commandCode, command.payload});
    }
    return sent;
}

std::vector<uint8_t> words(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> bytes;
    for (uint32_t value : values) {
        const std::vector<uint8_t> one = host::u32Payload(value);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

std::vector<uint8_t> narrow(const char* text) {
    return std::vector<uint8_t>(text, text + std::strlen(text) + 1);
}

std::vector<uint8_t> wide(const std::u16string& text) {
    return host::text16Payload(text);
}

}  // namespace pegtest

int OnPegEvent(ServiceObject* pService, const PEGCommand* pCommand) {
    const pegtest::DisplayEntry& function = pegtest::entry();
    return function ? function(pService, pCommand) : 0;
}
