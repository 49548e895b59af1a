// A small address space for tests and scenarios: a hook in every slot that records its call,
// a start table with a framework component and a display-service component, and, with a tree,
// a cycle that doubles an input into an output, a change callback that counts the parameter
// changes, and a saved file that carries the output from one life to the next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AsInfo.h"

namespace sim {

struct TestAddressSpaceOptions {
    int failingSlot = -1;  // the hook of this slot returns failCode
    int32_t failCode = 1;
    std::string startText = "Test start";  // what slot 1 fills in
    bool useTree = false;  // state 4 starts the tree; the cycle writes output = 2 * input
    std::string input = "Demo.In";
    std::string output = "Demo.Out";
    // RUN creates an activity of the initial task for each id that completes one second later.
    std::vector<uint32_t> timerIds;
    // RUN creates an activity with this id (when non-zero) that completes at once with an error.
    uint32_t failedActivityId = 0;
    // With a tree: state 4 registers a change callback that adds 1 to this double parameter
    // on each delivered change ("" none).
    std::string changeCounter;
    // With a tree: the shutdown writes the output's value as text to this file below the base
    // path, and state 11 reads it back into `restoredOutput` when it exists ("" none).
    std::string savedFile;
    std::string restoredOutput;
};

// One recorded hook call.
struct HookCall {
    int slot;
    uint32_t state;      // nStateCode when called
    uint32_t argument1;  // slot 14: argument word; slot 19: timer id
    uint32_t argument2;  // slot 19: status
};

// The name the display component asks for.
extern const char kDisplayServiceName[];

// Sets the options and forgets earlier calls and display records. Not while the address space
// runs.
void configureTestAddressSpace(const TestAddressSpaceOptions& options);
// The hook table and the start table (the framework's first component, then the display
// component; null-terminated).
const SysManHookTable& testHooks();
const ComponentStartFunction* testStartTable();
// The body of the address space's initial task: SysManStart with the program's code range
// (Tarvo_GetCodeRange, so RUN starts the health monitor) and the tables above.
void runTestAddressSpace();
// The test address space's program entry, following the programs' convention
// (ProgramRegistry.h): registers the hook table as the default set and starts the client with
// SysManStartDefault with its code range. Returns only when the client could not start.
int testProgramMain();

std::vector<HookCall> testHookCalls();
// The slots called so far, in order.
std::vector<int> testHookSlots();
// Display records the test address space's display client received.
std::vector<std::vector<uint8_t>> testDisplayRecords();

}  // namespace sim
