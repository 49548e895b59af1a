#include "VeskInstance.h"

#include <atomic>
#include <new>

#include "Tarvo.h"
#include "UpdatableRegistry.h"

namespace {

// This life's instance; null before the first call of a life and after the exit-time list
// destroyed it.
std::atomic<VeskInstance*> theInstance{nullptr};

}  // namespace

VeskInstance& VeskInstance::shared() {
    VeskInstance* instance = theInstance.load(std::memory_order_acquire);
    if (instance == nullptr) {
        instance = create();
        theInstance.store(instance, std::memory_order_release);
    }
    return *instance;
}

VeskInstance* VeskInstance::create() {
    // The application object's parameters leave the registry when it is deleted, at the latest
    // by this instance's exit-time destructor: made first, the registry is destroyed after it.
    UpdatableRegistry::instance();
    alignas(VeskInstance) static unsigned char storage[sizeof(VeskInstance)];
    static StaticDestructorRecord record;
    VeskInstance* instance = new (storage) VeskInstance();
    record.next = nullptr;
    record.object = instance;
    record.destructor = [](void* object) {
        theInstance.store(nullptr, std::memory_order_release);
        static_cast<VeskInstance*>(object)->~VeskInstance();
    };
    registerStaticDestructor(&record);
    return instance;
}

void VeskInstance::install(std::unique_ptr<Vesk> vesk) {
    ScopedMutexLock lock(myGuard);
    myVesk = std::move(vesk);
}

void VeskInstance::destroy() {
    ScopedMutexLock lock(myGuard);
    myVesk.reset();
}
