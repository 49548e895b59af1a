// Runs a scenario from registration to shutdown and reports what happened.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "Scenario.h"
#include "SimEvents.h"

namespace sim {

// Value and status word of one recorded output.
struct OutputValue {
    double value = 0.0;
    uint32_t status = 0;
    bool found = false;
};

// The outputs after one cycle command.
struct CycleRow {
    size_t step;  // 1-based step number
    double time;
    std::string command;
    std::vector<OutputValue> outputs;  // in the order of Scenario::outputs
};

struct CheckResult {
    size_t step;
    Expectation expected;
    OutputValue actual;
    bool passed;
};

struct RunResult {
    std::vector<Event> events;  // of the system manager
    std::vector<CycleRow> rows;
    std::vector<CheckResult> checks;
    std::vector<std::string> displaySent;  // "item code payload-bytes" of each sent command
    bool fatalStop = false;
    bool completed = false;  // the run reached its end (shutdown answered, when asked for)
    std::string failure;     // why it did not complete, "" when it did

    // 0: completed and every expectation held; 1: an expectation failed; 2: a fatal stop or
    // an incomplete run.
    int exitCode() const;
};

struct RunSettings {
    std::string traceLog;     // trace log file ("" none)
    uint32_t traceLevel = 7;  // points up to this level are written (7: the life cycle)
};

// Runs `scenario` on a fresh host kernel and framework (both are reset first and afterwards).
// Throws std::runtime_error for a scenario that cannot be run (unknown program, unreadable
// tree or dictionary).
RunResult runScenario(const Scenario& scenario, const RunSettings& settings = {});

// Prints the events and the cycle table (aligned columns, or CSV), then the checks.
void printRunResult(const Scenario& scenario, const RunResult& result, std::ostream& out, bool csv);

}  // namespace sim
