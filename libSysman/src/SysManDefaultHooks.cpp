// The registration point of a program's default hook set.
#include <atomic>

#include "libSysman.h"

namespace {

std::atomic<const SysManHookTable*>& registeredDefaults() {
    static std::atomic<const SysManHookTable*> hooks{nullptr};
    return hooks;
}

}  // namespace

void SysManRegisterDefaultHooks(const SysManHookTable* pHooks) {
    registeredDefaults().store(pHooks);
}

const SysManHookTable* SysManDefaultHooks() {
    return registeredDefaults().load();
}
