// The item dispatcher: keeps the display items by id and routes each command of the display
// service to the addressed item.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

#include "PEGCommand.h"
#include "ServiceClient.h"
#include "libUtils/ConcurrencyHelper.h"

class PEGItem;

// The service object that came with the latest dispatched command; null until the first.
// Written by PEGDispatcher::dispatchCommand on the display client task; read by every item
// sender on any task (an atomic word, so no lock is needed to read it).
extern std::atomic<ServiceObject*> currentPEGClient;

// One dispatcher for the address space. Its map is guarded by a local mutex held only while
// the map is read or changed, never while an item handles a command or anything is sent, so
// handlers may register and deregister items and send freely. The dispatcher does not own the
// items; an item must not be destroyed while a command for it may be dispatched (the screens
// live for the program's life).
class PEGDispatcher {
  public:
    // The dispatcher, created on first use and never destroyed, so items that deregister while
    // the program exits still find it. Throws std::runtime_error when its mutex cannot be made.
    // The mutex is made with the dispatcher: a host process that resets the kernel (which
    // closes every kernel object) calls renewLock before it uses the dispatcher again.
    static PEGDispatcher& instance();

    // Makes the lock anew, for a host process that runs the address space again after a
    // kernel reset. Initial task, while no command is dispatched and no item registers or
    // deregisters. Throws std::runtime_error when the mutex cannot be made (the old is kept).
    void renewLock();

    PEGDispatcher(const PEGDispatcher&) = delete;
    PEGDispatcher& operator=(const PEGDispatcher&) = delete;

    // Registers `item` under its id. An id that is taken stays with the first item; the new
    // item stays unregistered and the duplicate is traced. A null item throws
    // std::runtime_error. Any task (the screens register on the initial task).
    void registerItem(PEGItem* item);
    // Removes the item's id when that id is registered to this very item; otherwise nothing.
    // A null item throws std::runtime_error. Any task.
    void deregisterItem(PEGItem* item);

    // Display client task: sets currentPEGClient to `pService` (also when no item has the id),
    // then hands the command to the item of its id. Returns the item's answer (0 or 1), or 1
    // when no item has the id (traced). A null command throws std::runtime_error.
    uint32_t dispatchCommand(ServiceObject* pService, const PEGCommand* pCommand);

    // The item registered under `itemId`, or null. Any task.
    PEGItem* find(uint32_t itemId) const;

  private:
    PEGDispatcher() = default;

    std::map<uint32_t, PEGItem*> myItems;
    std::unique_ptr<SharedLocalMutex> myMutex = std::make_unique<SharedLocalMutex>();
};
