#include "PEGCommand.h"

namespace {

constexpr uint32_t kItemIdOffset = 0;
constexpr uint32_t kCommandCodeOffset = 4;

}  // namespace

PEGCommand::PEGCommand(const void* bytes, uint32_t length)
    : myBytes(static_cast<const uint8_t*>(bytes)), myLength(bytes != nullptr ? length : 0) {}

uint32_t PEGCommand::wordAt(uint32_t offset) const {
    if (myLength < 4 || offset > myLength - 4) {
        return 0;
    }
    const uint8_t* p = myBytes + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t PEGCommand::itemId() const {
    return complete() ? wordAt(kItemIdOffset) : 0;
}

uint32_t PEGCommand::commandCode() const {
    return complete() ? wordAt(kCommandCodeOffset) : 0;
}

bool PEGCommand::payloadWord(uint32_t& value) const {
    if (!complete() || myLength - kHeaderSize < 4) {
        return false;
    }
    value = wordAt(kHeaderSize);
    return true;
}

bool PEGCommand::payloadIndex(int32_t& index) const {
    uint32_t value = 0;
    if (!payloadWord(value)) {
        return false;
    }
    index = value <= static_cast<uint32_t>(INT32_MAX) ? static_cast<int32_t>(value) : -1;
    return true;
}

std::u16string PEGCommand::payloadText() const {
    std::u16string text;
    if (!complete()) {
        return text;
    }
    for (uint32_t at = kHeaderSize; myLength - at >= 2; at += 2) {
        const auto c = static_cast<char16_t>(myBytes[at] | myBytes[at + 1] << 8);
        if (c == u'\0') {
            break;
        }
        text.push_back(c);
    }
    return text;
}
