#include "PEGItem.h"

#include "PEG.h"
#include "PEGDispatcher.h"
#include "TarvoTrace.h"

namespace {

constexpr uint32_t kTraceFile = 0x39;
constexpr uint32_t kTraceSelector = 0;
constexpr uint32_t kDefaultLevel = 6;
constexpr uint32_t kCommand7Slot = 7;
constexpr uint32_t kCommand7Level = 7;
enum : uint32_t {
    kTraceUnhandledCode = TraceId(kTraceFile, 0, 3),
};

constexpr uint32_t kValueCode = 29;
constexpr uint32_t kHighestCode = 58;
constexpr uint32_t kFirstUnhandledCode = 53;

using Handler = bool (PEGItem::*)();

// The handler of each code without a command argument; null where the code has none.
struct HandlerTable {
    Handler handlers[kHighestCode + 1] = {};

    HandlerTable() {
        const Handler inOrder[] = {nullptr,
                                   &PEGItem::onCommand1,
                                   &PEGItem::onCommand2,
                                   &PEGItem::onCommand3,
                                   &PEGItem::onCommand4,
                                   &PEGItem::onCommand5,
                                   &PEGItem::onCommand6,
                                   &PEGItem::onCommand7,
                                   &PEGItem::onCommand8,
                                   &PEGItem::onCommand9,
                                   &PEGItem::onCommand10,
                                   &PEGItem::onCommand11,
                                   &PEGItem::onCommand12,
                                   &PEGItem::onCommand13,
                                   &PEGItem::onCommand14,
                                   &PEGItem::onCommand15,
                                   &PEGItem::onCommand16,
                                   &PEGItem::onCommand17,
                                   &PEGItem::onCommand18,
                                   &PEGItem::onCommand19,
                                   &PEGItem::onCommand20,
                                   &PEGItem::onCommand21,
                                   &PEGItem::onCommand22,
                                   &PEGItem::onCommand23,
                                   &PEGItem::onCommand24,
                                   &PEGItem::onCommand25,
                                   &PEGItem::onCommand26,
                                   &PEGItem::onCommand27,
                                   &PEGItem::onCommand28,
                                   nullptr,
                                   &PEGItem::onCommand30,
                                   &PEGItem::onCommand31,
                                   &PEGItem::onCommand32,
                                   &PEGItem::onCommand33,
                                   &PEGItem::onCommand34,
                                   &PEGItem::onCommand35,
                                   &PEGItem::onCommand36,
                                   &PEGItem::onCommand37,
                                   &PEGItem::onCommand38,
                                   &PEGItem::onCommand39,
                                   &PEGItem::onCommand40,
                                   &PEGItem::onCommand41,
                                   &PEGItem::onCommand42,
                                   &PEGItem::onCommand43,
                                   &PEGItem::onCommand44,
                                   &PEGItem::onCommand45,
                                   &PEGItem::onCommand46,
                                   &PEGItem::onCommand47,
                                   &PEGItem::onCommand48,
                                   &PEGItem::onCommand49,
                                   &PEGItem::onCommand50,
                                   &PEGItem::onCommand51,
                                   &PEGItem::onCommand52};
        static_assert(sizeof(inOrder) / sizeof(inOrder[0]) == kFirstUnhandledCode,
                      "one entry for each code below 53");
        for (uint32_t code = 0; code < kFirstUnhandledCode; ++code) {
            handlers[code] = inOrder[code];
        }
        handlers[kHighestCode] = &PEGItem::onCommand58;
    }
};

const HandlerTable& handlerTable() {
    static const HandlerTable table;
    return table;
}

}  // namespace

PEGItem::PEGItem(uint32_t itemId) : myId(itemId) {
    PEGDispatcher::instance().registerItem(this);
}

PEGItem::~PEGItem() {
    try {
        PEGDispatcher::instance().deregisterItem(this);
    } catch (...) {
        // A mutex failure is traced by its wrapper; a destructor throws nothing.
    }
}

uint32_t PEGItem::handleCommand(const PEGCommand& command) {
    const uint32_t code = command.commandCode();
    if (code == kValueCode) {
        return onCommand29(command) ? 1u : 0u;
    }
    const Handler handler = code <= kHighestCode ? handlerTable().handlers[code] : nullptr;
    if (handler == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceUnhandledCode, TraceFormat(kTraceArgInt, kTraceArgInt),
                    myId, code);
        return 0;
    }
    return (this->*handler)() ? 1u : 0u;
}

bool PEGItem::defaultHandler(uint32_t slot) const {
    const uint32_t level = slot == kCommand7Slot ? kCommand7Level : kDefaultLevel;
    TARVO_TRACE(kTraceSelector, TraceId(kTraceFile, slot, level), TraceFormat(kTraceArgInt), myId);
    return true;
}

void PEGItem::setVisible(bool visible) {
    PEG_setHidden(currentPEGClient, myId, visible ? 0u : 1u);
}

void PEGItem::setHidden(uint32_t value) {
    PEG_setHidden(currentPEGClient, myId, value);
}

void PEGItem::enable() {
    PEG_enable(currentPEGClient, myId);
}

void PEGItem::disable() {
    PEG_disable(currentPEGClient, myId);
}

void PEGItem::setEnabled(bool enabled) {
    if (enabled) {
        enable();
    } else {
        disable();
    }
}

void PEGItem::command10() {
    PEG_command10(currentPEGClient, myId);
}

void PEGItem::command58() {
    PEG_command58(currentPEGClient, myId);
}
