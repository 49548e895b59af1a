// The program-wide registry of cached parameters: a tree change only marks it changed, and
// the cycle re-reads every member once at its start.
#pragma once

#include <memory>
#include <set>

#include "libUtils/ConcurrencyHelper.h"

class Updatable;

// Members are added, removed and updated on the initial task only; the changed flag is the one
// state shared with the framework task that reports tree changes, and only it is locked.
class UpdatableRegistry {
  public:
    // The registry, created on the first call. The start-up calls it before the tree-change
    // callback is registered, so the callback never races its creation; the creation itself is
    // also safe from any task. Lives until program exit, when the framework's exit-time
    // destructor list destroys it. Throws std::runtime_error when its mutex cannot be made.
    static UpdatableRegistry& instance();

    UpdatableRegistry(const UpdatableRegistry&) = delete;
    UpdatableRegistry& operator=(const UpdatableRegistry&) = delete;

    // Enters / removes a member (a pointer already present stays once; an absent one is
    // ignored), then traces the member count.
    void add(Updatable* member);
    void remove(Updatable* member);

    // Makes the lock of the changed flag anew and clears the flag: a run of the program starts
    // here, before any other task can mark a change (the kernel objects of an earlier run in
    // the same process are gone). Initial task. Throws std::runtime_error when the mutex
    // cannot be made.
    void startRun();

    // Marks the tree changed (framework task).
    void markChanged();
    // When a change was marked since the last call: clears the mark, updates every member once
    // in address order and returns true; otherwise returns false and reads nothing.
    bool updateAllIfChanged();

    std::size_t memberCount() const { return myMembers.size(); }

  private:
    UpdatableRegistry() = default;
    ~UpdatableRegistry() = default;
    // Builds the registry in static storage and enters its destructor in the exit-time list.
    static UpdatableRegistry* create();

    std::set<Updatable*> myMembers;
    std::unique_ptr<SharedLocalMutex> myMutex = std::make_unique<SharedLocalMutex>();
    bool myChanged = false;
};
