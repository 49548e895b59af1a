#include "PEGDispatcher.h"

#include <stdexcept>

#include "PEGItem.h"
#include "TarvoTrace.h"

std::atomic<ServiceObject*> currentPEGClient{nullptr};

namespace {

constexpr uint32_t kTraceFile = 0x38;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceDispatch = TraceId(kTraceFile, 0, 7),
    kTraceNoItem = TraceId(kTraceFile, 1, 6),
    kTraceDuplicateId = TraceId(kTraceFile, 2, 3),
};

}  // namespace

PEGDispatcher& PEGDispatcher::instance() {
    static PEGDispatcher* dispatcher = new PEGDispatcher();
    return *dispatcher;
}

void PEGDispatcher::renewLock() {
    myMutex = std::make_unique<SharedLocalMutex>();
}

void PEGDispatcher::registerItem(PEGItem* item) {
    if (item == nullptr) {
        throw std::runtime_error("PEGDispatcher::registerItem item to register in NULL");
    }
    bool inserted = false;
    {
        ScopedMutexLock hold(*myMutex);
        inserted = myItems.emplace(item->id(), item).second;
    }
    if (!inserted) {
        TARVO_TRACE(kTraceSelector, kTraceDuplicateId, TraceFormat(kTraceArgInt), item->id());
    }
}

void PEGDispatcher::deregisterItem(PEGItem* item) {
    if (item == nullptr) {
        throw std::runtime_error("PEGDispatcher::deregisterItem item to unregister in NULL");
    }
    ScopedMutexLock hold(*myMutex);
    auto entry = myItems.find(item->id());
    if (entry != myItems.end() && entry->second == item) {
        myItems.erase(entry);
    }
}

uint32_t PEGDispatcher::dispatchCommand(ServiceObject* pService, const PEGCommand* pCommand) {
    if (pCommand == nullptr) {
        throw std::runtime_error("PEGDispatcher::dispatchCommand command to dispatch is NULL");
    }
    const uint32_t itemId = pCommand->itemId();
    TARVO_TRACE(kTraceSelector, kTraceDispatch, TraceFormat(kTraceArgInt, kTraceArgInt),
                pCommand->commandCode(), itemId);
    currentPEGClient = pService;
    PEGItem* item = find(itemId);
    if (item == nullptr) {
        TARVO_TRACE(kTraceSelector, kTraceNoItem, TraceFormat(kTraceArgInt), itemId);
        return 1;
    }
    return item->handleCommand(*pCommand);
}

PEGItem* PEGDispatcher::find(uint32_t itemId) const {
    ScopedMutexLock hold(*myMutex);
    auto entry = myItems.find(itemId);
    return entry != myItems.end() ? entry->second : nullptr;
}
