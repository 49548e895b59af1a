// The item dispatcher: keeps the display items by id and routes each command of the display
// service to the addressed item.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>

#include "PEGCommand.h"
#include "ServiceClient.h"
#include "libUtils/ConcurrencyHelper.h"

class PEGItem;

// The service object that came with the latest dispatched command of this life; null until the
// first. Written by PEGDispatcher::dispatchCommand on the display client task (and set to null
// by PEGDispatcher::beginLife before the client task exists); read by every item sender on any
// task (an atomic word, so no lock is needed to read it).
extern std::atomic<ServiceObject*> currentPEGClient;

// One dispatcher for the address space. Its maps are guarded by a local mutex held only while
// they are read or changed, never while an item handles a command or anything is sent, so
// handlers may register and deregister items and send freely. The dispatcher does not own the
// items; an item must not be destroyed while a command for it may be dispatched.
//
// Building. An item registers in its base constructor, before its derived parts exist. Items
// are therefore built inside a BuildScope: what registers while a scope is open is parked and
// published only when the last open scope ends, and meanwhile every command is answered 1 as
// for an id without item. No command that arrives meanwhile reaches an item under
// construction or one that the scope destroys. A command already in a handler when the scope
// opens is not waited for: destroy in a scope only items that no command can be handling (the
// screens of an earlier life, which beginLife has forgotten).
class PEGDispatcher {
  public:
    // Holds the dispatcher in its building state for the scope's length (see above). Scopes may
    // nest; items are published when the outermost one ends. Initial task; a display handler
    // must not open one.
    class BuildScope {
      public:
        // Throws std::runtime_error when the dispatcher's mutex fails (nothing is then held).
        BuildScope();
        // Publishes the parked items when this is the last open scope. Throws nothing.
        ~BuildScope();
        BuildScope(const BuildScope&) = delete;
        BuildScope& operator=(const BuildScope&) = delete;
    };

    // This life's dispatcher, created by the first use of the life (PEG_connect, on the
    // initial task before the display client's task exists; first uses that race get one
    // dispatcher, see LifeInstance) and destroyed by the framework's
    // exit-time destructor list, which ends the address space's life (on the host also a
    // restart in the same process); its items are not destroyed with it. A use after that
    // makes the next life's dispatcher with a mutex of its own, so an item of an earlier life
    // that deregisters later finds one (and removes nothing). Throws std::runtime_error when
    // its mutex cannot be made (nothing is made then).
    static PEGDispatcher& instance();

    // Begins the display side's life: forgets every item and open scope registered before
    // (also of an earlier life when no exit-time list ended that one) and sets
    // currentPEGClient to null. Called by PEG_connect on the initial task before the display
    // client's task exists, so no command is dispatched meanwhile; no other task may use the
    // dispatcher during the call. Items forgotten here may still be destroyed afterwards: their
    // ids are no longer theirs, so they remove nothing.
    void beginLife();

    PEGDispatcher(const PEGDispatcher&) = delete;
    PEGDispatcher& operator=(const PEGDispatcher&) = delete;

    // Registers `item` under its id (parked while a BuildScope is open). An id that is taken,
    // published or parked, stays with the first item; the new item stays unregistered and the
    // duplicate is traced. A null item throws std::runtime_error. Any task (the screens
    // register on the initial task).
    void registerItem(PEGItem* item);
    // Removes the item's id, published or parked, when that id is registered to this very
    // item; otherwise nothing. A null item throws std::runtime_error. Any task.
    void deregisterItem(PEGItem* item);

    // Display client task: sets currentPEGClient to `pService` (also when no item has the id),
    // then hands the command to the item of its id. Returns the item's answer (0 or 1), or 1
    // when no item has the id or a BuildScope is open (traced). A null command throws
    // std::runtime_error.
    uint32_t dispatchCommand(ServiceObject* pService, const PEGCommand* pCommand);

    // The item a command for `itemId` reaches now: the published item of the id, or null
    // (always null while a BuildScope is open). Any task.
    PEGItem* find(uint32_t itemId) const;

  private:
    PEGDispatcher() = default;
    ~PEGDispatcher() = default;

    void openScope();
    void closeScope();
    bool isTaken(uint32_t itemId) const;

    std::map<uint32_t, PEGItem*> myItems;   // published: reachable by commands
    std::map<uint32_t, PEGItem*> myParked;  // registered inside an open scope
    uint32_t myOpenScopes = 0;
    mutable SharedLocalMutex myMutex;  // made and closed with the dispatcher, once in its life
};
