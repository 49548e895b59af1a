#include "VeskInstance.h"

#include "UpdatableRegistry.h"
#include "libUtils/LifeInstance.h"

namespace {

// This life's instance.
LifeInstance<VeskInstance> theInstance;

}  // namespace

VeskInstance& VeskInstance::shared() {
    // The application object's parameters leave the registry when it is deleted, at the latest
    // by this instance's exit-time destructor: made first, the registry is destroyed after it.
    return theInstance.get(
        [] {
            UpdatableRegistry::instance();
            return new VeskInstance();
        },
        [](VeskInstance* instance) { delete instance; });
}

void VeskInstance::install(std::unique_ptr<Vesk> vesk) {
    ScopedMutexLock lock(myGuard);
    myVesk = std::move(vesk);
}

void VeskInstance::destroy() {
    ScopedMutexLock lock(myGuard);
    myVesk.reset();
}
