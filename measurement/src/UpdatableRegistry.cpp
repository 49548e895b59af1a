#include "UpdatableRegistry.h"

#include <atomic>
#include <new>

#include "Parameter.h"
#include "Tarvo.h"
#include "TarvoTrace.h"

namespace {

// Trace file 0 of the program's own sources.
constexpr uint32_t kAddedTrace = TraceId(0, 0, 7);
constexpr uint32_t kRemovedTrace = TraceId(0, 1, 7);
constexpr uint32_t kUpdateBeginTrace = TraceId(0, 2, 7);
constexpr uint32_t kUpdateEndTrace = TraceId(0, 3, 7);

void traceCount(uint32_t id, std::size_t count) {
    TARVO_TRACE(Tarvo_GetTraceSelector(), id, TraceFormat(kTraceArgInt),
                static_cast<uint32_t>(count));
}

// This life's registry; null before the first call of a life and after the exit-time list
// destroyed it.
std::atomic<UpdatableRegistry*> theRegistry{nullptr};

}  // namespace

UpdatableRegistry& UpdatableRegistry::instance() {
    UpdatableRegistry* registry = theRegistry.load(std::memory_order_acquire);
    if (registry == nullptr) {
        registry = create();
        theRegistry.store(registry, std::memory_order_release);
    }
    return *registry;
}

UpdatableRegistry* UpdatableRegistry::create() {
    alignas(UpdatableRegistry) static unsigned char storage[sizeof(UpdatableRegistry)];
    static StaticDestructorRecord record;
    UpdatableRegistry* registry = new (storage) UpdatableRegistry();
    record.next = nullptr;
    record.object = registry;
    record.destructor = [](void* object) {
        theRegistry.store(nullptr, std::memory_order_release);
        static_cast<UpdatableRegistry*>(object)->~UpdatableRegistry();
    };
    registerStaticDestructor(&record);
    return registry;
}

void UpdatableRegistry::add(Updatable* member) {
    myMembers.insert(member);
    traceCount(kAddedTrace, myMembers.size());
}

void UpdatableRegistry::remove(Updatable* member) {
    myMembers.erase(member);
    traceCount(kRemovedTrace, myMembers.size());
}

void UpdatableRegistry::markChanged() {
    ScopedMutexLock lock(myMutex);
    myChanged = true;
}

bool UpdatableRegistry::updateAllIfChanged() {
    bool changed = false;
    {
        ScopedMutexLock lock(myMutex);
        changed = myChanged;
        myChanged = false;
    }
    if (!changed) {
        return false;
    }
    TARVO_TRACE(Tarvo_GetTraceSelector(), kUpdateBeginTrace, TraceFormat());
    for (Updatable* member : myMembers) {
        member->update();
    }
    TARVO_TRACE(Tarvo_GetTraceSelector(), kUpdateEndTrace, TraceFormat());
    return true;
}
