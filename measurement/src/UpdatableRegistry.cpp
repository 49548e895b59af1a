#include "UpdatableRegistry.h"

#include "Parameter.h"
#include "TarvoTrace.h"
#include "libUtils/LifeInstance.h"

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

// This life's registry.
LifeInstance<UpdatableRegistry> theRegistry;

}  // namespace

UpdatableRegistry& UpdatableRegistry::instance() {
    return theRegistry.get([] { return new UpdatableRegistry(); },
                           [](UpdatableRegistry* registry) { delete registry; });
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
