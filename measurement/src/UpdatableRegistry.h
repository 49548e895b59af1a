// The program-wide registry of cached parameters: a tree change only marks it changed, and
// the cycle re-reads every member once at its start.
#pragma once

#include <set>

#include "libUtils/ConcurrencyHelper.h"

class Updatable;

// Members are added, removed and updated on the initial task only; the changed flag is the one
// state shared with the framework task that reports tree changes, and only it is locked.
class UpdatableRegistry {
  public:
    // The registry of this life of the program, created by the first call of the life (the
    // start-up makes it on the initial task; first calls that race from several tasks get one
    // registry, see LifeInstance). It lives until the framework's
    // exit-time destructor list destroys it (its mutex first, then the set), which ends the
    // address space's life (on the host also a restart in the same process); the next call
    // then makes the next life's registry with a mutex of its own. Throws std::runtime_error
    // when its mutex cannot be made (nothing is made then).
    static UpdatableRegistry& instance();

    UpdatableRegistry(const UpdatableRegistry&) = delete;
    UpdatableRegistry& operator=(const UpdatableRegistry&) = delete;

    // Enters / removes a member (a pointer already present stays once; an absent one is
    // ignored), then traces the member count.
    void add(Updatable* member);
    void remove(Updatable* member);

    // Marks the tree changed (framework task).
    void markChanged();
    // When a change was marked since the last call: clears the mark, updates every member once
    // in address order and returns true; otherwise returns false and reads nothing.
    bool updateAllIfChanged();

    std::size_t memberCount() const { return myMembers.size(); }

  private:
    UpdatableRegistry() = default;
    ~UpdatableRegistry() = default;

    std::set<Updatable*> myMembers;
    SharedLocalMutex myMutex;  // made and closed with the registry, once in its life
    bool myChanged = false;
};
