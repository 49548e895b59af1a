#include "Combo.h"

#include "PEG.h"
#include "PEGDispatcher.h"
#include "TarvoTrace.h"

namespace {

constexpr uint32_t kTraceFile = 0x3b;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceSelection = TraceId(kTraceFile, 0, 6),
    kTraceShortPayload = TraceId(kTraceFile, 1, 3),
};

}  // namespace

Combo::Combo(uint32_t itemId) : PEGItem(itemId) {}

Combo::~Combo() = default;

bool Combo::onCommand29(const PEGCommand& command) {
    int32_t index = -1;
    if (!command.payloadIndex(index)) {
        TARVO_TRACE(kTraceSelector, kTraceShortPayload, TraceFormat(kTraceArgInt, kTraceArgInt),
                    id(), command.length());
        return false;
    }
    TARVO_TRACE(kTraceSelector, kTraceSelection,
                TraceFormat(kTraceArgInt, kTraceArgInt, kTraceArgInt), id(), mySelectedIndex,
                index);
    mySelectedIndex = index;
    const bool result = selectionChanged(index);
    selectionSignal.emit(index);
    return result;
}

bool Combo::selectionChanged(int32_t /*index*/) {
    return true;
}

void Combo::setText(const std::u16string& text) {
    PEG_setWideText(currentPEGClient, id(), text.c_str());
}

void Combo::command28() {
    PEG_command28(currentPEGClient, id());
}

void Combo::setSelection(uint32_t index) {
    PEG_sendValue(currentPEGClient, id(), index);
}
