// Runs a scenario through the lives of its program, from registration to shutdown, and reports
// what happened.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "ProgramRegistry.h"
#include "Scenario.h"
#include "ScenarioChecks.h"
#include "SimEvents.h"

namespace sim {

// Exit statuses of a run (and of the runner).
constexpr int kExitPassed = 0;
constexpr int kExitExpectationFailed = 1;
constexpr int kExitStopped = 2;   // a fatal stop or an incomplete run
constexpr int kExitBadInput = 3;  // the scenario or the command line cannot be used

// The outputs after one cycle command.
struct CycleRow {
    size_t step;  // 1-based step number
    double time;
    std::string command;
    std::vector<OutputValue> outputs;  // in the order of Scenario::outputs
    std::string comment;               // of the step
};

struct RunResult {
    std::vector<Event> events;  // of the system manager, every life in order
    std::vector<CycleRow> rows;
    std::vector<CheckResult> checks;
    // "item code payload" of each sent record: texts quoted, other payloads in hexadecimal
    std::vector<std::string> displaySent;
    // The display each life left, one DisplayModel::dump a life.
    std::vector<std::string> displayStates;
    size_t lives = 0;  // lives started
    bool fatalStop = false;
    bool completed = false;  // the run reached its end (shutdown answered, when asked for)
    std::string failure;     // why it did not complete, "" when it did

    // kExitPassed: completed and every expectation held; kExitExpectationFailed: an
    // expectation failed; kExitStopped: a fatal stop or an incomplete run.
    int exitCode() const;
};

struct RunSettings {
    std::string traceLog;  // trace log file, written afresh ("" none)
    // Trace points up to this level are written: 6 the life cycle, 7 adds the per-second alarm.
    uint32_t traceLevel = 6;
    std::vector<Program> programs = defaultPrograms();
    std::string program;  // chosen instead of the scenario's "program" when not ""
};

// Runs `scenario` on a fresh host kernel and framework (both are reset before each life and
// afterwards), in a work folder of its own (WorkFolder.h). Throws ScenarioError, before the
// run starts where it can, for a scenario that cannot be run: an unknown program, an unreadable
// tree or dictionary, a parameter the tree does not have or cannot take, an unwritable trace
// log, a step that sets parameters before the program has its tree.
RunResult runScenario(const Scenario& scenario, const RunSettings& settings = {});

// Prints the events and the cycle table (aligned columns, or CSV), the display records, the
// display state at the end of each life, then the checks. Repeated supervision armings print as
// one line with their count.
void printRunResult(const Scenario& scenario, const RunResult& result, std::ostream& out, bool csv);

}  // namespace sim
