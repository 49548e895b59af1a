// The one object of a class in each life of the address space, for process-wide holders whose
// memory outlives a life on the host (a restart in the same process).
#pragma once

#include <atomic>

#include "Tarvo.h"

// Made by the first use of a life and destroyed by the framework's exit-time destructor list,
// which ends the life; the next life's first use makes a new one. The first use may come from
// several tasks at once: each makes an object, exactly one is published, and the others are
// destroyed at once (with whatever they opened), so nothing leaks and every task gets the
// published object. Define one at namespace scope (constant-initialized, no destructor runs).
template <typename T>
class LifeInstance {
  public:
    constexpr LifeInstance() = default;
    LifeInstance(const LifeInstance&) = delete;
    LifeInstance& operator=(const LifeInstance&) = delete;

    // The object of this life. `make` returns a new object (its exception passes on, and then
    // nothing is published); `destroy` deletes one made by `make`. Any task.
    T& get(T* (*make)(), void (*destroy)(T*)) {
        T* current = myCurrent.load(std::memory_order_acquire);
        if (current != nullptr) {
            return *current;
        }
        T* made = make();
        if (!myCurrent.compare_exchange_strong(current, made, std::memory_order_acq_rel,
                                               std::memory_order_acquire)) {
            destroy(made);  // another task published first
            return *current;
        }
        myDestroy = destroy;
        myRecord = StaticDestructorRecord{nullptr, this, &LifeInstance::end};
        registerStaticDestructor(&myRecord);
        return *made;
    }

  private:
    // The exit-time destructor: the life ends, and its object with it.
    static void end(void* self) {
        auto* life = static_cast<LifeInstance*>(self);
        life->myDestroy(life->myCurrent.exchange(nullptr, std::memory_order_acq_rel));
    }

    std::atomic<T*> myCurrent{nullptr};
    void (*myDestroy)(T*) = nullptr;
    StaticDestructorRecord myRecord{nullptr, nullptr, nullptr};
};
