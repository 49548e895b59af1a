#include "VeskInstance.h"

#include <new>

#include "Tarvo.h"

VeskInstance& VeskInstance::shared() {
    static VeskInstance* const instance = create();
    return *instance;
}

VeskInstance* VeskInstance::create() {
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
    std::unique_ptr<Vesk> previous;
    {
        ScopedMutexLock lock(myGuard);
        previous = std::move(myVesk);
        myVesk = std::move(vesk);
    }
}

void VeskInstance::destroy() {
    ScopedMutexLock lock(myGuard);
    myVesk.reset();
}
