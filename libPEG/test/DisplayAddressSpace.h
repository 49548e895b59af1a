// An address space for end-to-end tests of the display path: the system-manager client with
// PEG_initComponent in its start table, run by the simulated system manager, with the simulated
// display service as its peer. The program's parts come from the test as callbacks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "AsInfo.h"
#include "HostTree.h"
#include "PEGTestSupport.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"

namespace pegtest {

struct DisplayProgram {
    std::string treeFile;  // the tree model made in state 4 ("": no tree)
    // Initial task: state 4 after the tree is made, state 11, and each cycle (command 43).
    // Each returns a hook result (0 success).
    std::function<int(AsInfo*)> onTree;
    std::function<int(AsInfo*)> onStart;
    std::function<int(AsInfo*)> onCycle;
    // The program's display entry (client task); empty: answers 0.
    DisplayEntry displayEntry;
};

class DisplayAddressSpace {
  public:
    // Resets the host, offers the display service, starts the address space and walks it
    // through the start-up and RUN; started() tells whether all of it completed.
    explicit DisplayAddressSpace(DisplayProgram program);
    // Deletes the display client (no command arrives afterwards), calls `beforeEnd` on this
    // thread, then ends the address space and the simulation and drops the tree.
    ~DisplayAddressSpace();
    DisplayAddressSpace(const DisplayAddressSpace&) = delete;
    DisplayAddressSpace& operator=(const DisplayAddressSpace&) = delete;

    bool started() const { return myStarted; }
    // One cycle (command 43); false when the address space did not take it.
    bool cycle();

    sim::DisplayService& display() { return *myDisplay; }
    host::HostTree& tree() { return *host::addressSpaceTree(); }

    // Runs once the client is gone and before the simulation ends (to destroy items while
    // their dispatcher's lock still exists).
    std::function<void()> beforeEnd;

  private:
    std::unique_ptr<sim::DisplayService> myDisplay;
    std::unique_ptr<sim::SystemManager> myManager;
    bool myStarted = false;
};

}  // namespace pegtest
