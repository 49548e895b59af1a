// The one application object of the program, as the life-cycle hooks and the display screens
// share it: the create hook installs it, the shutdown hook deletes it, and the screens reach it
// only through use(), which holds the guard so that the shutdown cannot delete it meanwhile and
// finds none afterwards.
#pragma once

#include <memory>

#include "Vesk.h"
#include "libUtils/ConcurrencyHelper.h"

class VeskInstance {
  public:
    // This life's instance, made by the first call of the life (the create hook, on the initial
    // task before any screen exists; first calls that race get one instance, see LifeInstance)
    // and destroyed by the framework's exit-time list, after
    // every task that could use it has ended; the address space's life ends there (on the host
    // also at a restart in the same process), and the next call makes the next life's
    // instance with a guard of its own. Throws std::runtime_error when the guard cannot be made
    // (nothing is made then).
    static VeskInstance& shared();

    VeskInstance(const VeskInstance&) = delete;
    VeskInstance& operator=(const VeskInstance&) = delete;

    // Makes `vesk` the application object under the guard (an earlier one is deleted): the
    // create hook runs once a life, before any screen exists. Initial task. Passes the guard's
    // std::runtime_error on (nothing is installed then).
    void install(std::unique_ptr<Vesk> vesk);
    // Deletes the application object under the guard; none is left. Initial task. Passes the
    // guard's std::runtime_error on.
    void destroy();
    // The application object or null. Initial task only: the hooks run there, one at a time,
    // and nothing else installs or deletes it.
    Vesk* get() const { return myVesk.get(); }

    // Calls `use(Vesk&)` under the guard when an application object exists; returns whether
    // it did. Any task (the screens on the display task).
    template <typename Use>
    bool use(Use&& use) {
        ScopedMutexLock lock(myGuard);
        if (myVesk == nullptr) {
            return false;
        }
        use(*myVesk);
        return true;
    }

  private:
    VeskInstance() = default;
    ~VeskInstance() = default;

    SharedLocalMutex myGuard;  // made and closed with the instance, once in its life
    std::unique_ptr<Vesk> myVesk;
};
