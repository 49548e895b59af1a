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
    // The instance, made on the first call (whichever task asks first) and destroyed by the
    // framework's exit-time list, after every task that could use it has ended.
    static VeskInstance& shared();

    VeskInstance(const VeskInstance&) = delete;
    VeskInstance& operator=(const VeskInstance&) = delete;

    // Makes `vesk` the application object (an earlier one, left by a run of the program that
    // ended without its shutdown, is deleted) under a guard made anew: the create hook runs
    // once a run, before any screen exists. Initial task. Throws std::runtime_error when the
    // guard cannot be made.
    void install(std::unique_ptr<Vesk> vesk);
    // Deletes the application object under the guard; none is left. Initial task.
    void destroy();
    // The application object or null. Initial task only: the hooks run there, one at a time,
    // and nothing else installs or deletes it.
    Vesk* get() const { return myVesk.get(); }

    // Calls `use(Vesk&)` under the guard when an application object exists; returns whether
    // it did. Any task (the screens on the display task).
    template <typename Use>
    bool use(Use&& use) {
        if (myGuard == nullptr) {
            return false;  // nothing was ever installed
        }
        ScopedMutexLock lock(*myGuard);
        if (myVesk == nullptr) {
            return false;
        }
        use(*myVesk);
        return true;
    }

  private:
    VeskInstance() = default;
    ~VeskInstance() = default;
    static VeskInstance* create();

    // Made by each install: the guard belongs to the kernel of the run that installed.
    std::unique_ptr<SharedLocalMutex> myGuard;
    std::unique_ptr<Vesk> myVesk;
};
