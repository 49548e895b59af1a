#include "PEGDispatcher.h"

#include <stdexcept>

#include "PEGItem.h"
#include "TarvoTrace.h"
#include "libUtils/LifeInstance.h"

std::atomic<ServiceObject*> currentPEGClient{nullptr};

namespace {

constexpr uint32_t kTraceFile = 0x38;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceDispatch = TraceId(kTraceFile, 0, 7),
    kTraceNoItem = TraceId(kTraceFile, 1, 6),
    kTraceDuplicateId = TraceId(kTraceFile, 2, 3),
};

// This life's dispatcher.
LifeInstance<PEGDispatcher> theDispatcher;

}  // namespace

PEGDispatcher& PEGDispatcher::instance() {
    return theDispatcher.get([] { return new PEGDispatcher(); },
                             [](PEGDispatcher* dispatcher) { delete dispatcher; });
}

PEGDispatcher::BuildScope::BuildScope() {
    PEGDispatcher::instance().openScope();
}

PEGDispatcher::BuildScope::~BuildScope() {
    try {
        PEGDispatcher::instance().closeScope();
    } catch (...) {
        // A mutex failure is traced by its wrapper; a destructor throws nothing.
    }
}

void PEGDispatcher::beginLife() {
    myItems.clear();
    myParked.clear();
    myOpenScopes = 0;
    currentPEGClient = nullptr;
}

void PEGDispatcher::openScope() {
    ScopedMutexLock hold(myMutex);
    ++myOpenScopes;
}

void PEGDispatcher::closeScope() {
    ScopedMutexLock hold(myMutex);
    if (myOpenScopes > 0 && --myOpenScopes == 0) {
        // Moves every parked entry: registration refuses an id taken in either map.
        myItems.merge(myParked);
    }
}

bool PEGDispatcher::isTaken(uint32_t itemId) const {
    return myItems.count(itemId) != 0 || myParked.count(itemId) != 0;
}

void PEGDispatcher::registerItem(PEGItem* item) {
    if (item == nullptr) {
        throw std::runtime_error("PEGDispatcher::registerItem item to register in NULL");
    }
    bool inserted = false;
    {
        ScopedMutexLock hold(myMutex);
        if (!isTaken(item->id())) {
            (myOpenScopes > 0 ? myParked : myItems).emplace(item->id(), item);
            inserted = true;
        }
    }
    if (!inserted) {
        TARVO_TRACE(kTraceSelector, kTraceDuplicateId, TraceFormat(kTraceArgInt), item->id());
    }
}

void PEGDispatcher::deregisterItem(PEGItem* item) {
    if (item == nullptr) {
        throw std::runtime_error("PEGDispatcher::deregisterItem item to unregister in NULL");
    }
    ScopedMutexLock hold(myMutex);
    for (auto* items : {&myItems, &myParked}) {
        auto entry = items->find(item->id());
        if (entry != items->end() && entry->second == item) {
            items->erase(entry);
        }
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
    ScopedMutexLock hold(myMutex);
    if (myOpenScopes > 0) {
        return nullptr;
    }
    auto entry = myItems.find(itemId);
    return entry != myItems.end() ? entry->second : nullptr;
}
