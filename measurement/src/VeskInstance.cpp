#include "VeskInstance.h"

#include <new>

#include "Tarvo.h"
#include "UpdatableRegistry.h"

VeskInstance& VeskInstance::shared() {
    static VeskInstance* const instance = create();
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
    record.destructor = [](void* object) { static_cast<VeskInstance*>(object)->~VeskInstance(); };
    registerStaticDestructor(&record);
    return instance;
}

void VeskInstance::install(std::unique_ptr<Vesk> vesk) {
    myGuard = std::make_unique<SharedLocalMutex>();
    ScopedMutexLock lock(*myGuard);
    myVesk = std::move(vesk);
}

void VeskInstance::destroy() {
    if (myGuard == nullptr) {
        return;
    }
    ScopedMutexLock lock(*myGuard);
    myVesk.reset();
}
