// Runs a scenario through the lives of its program, from registration to shutdown, and reports
// what happened.
#pragma once

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
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

// What a run ended with, and (runScenario) everything it recorded.
struct RunResult {
    std::vector<Event> events;  // of the system manager, every life in order
    std::vector<CycleRow> rows;
    std::vector<CheckResult> checks;
    // "item code payload" of each sent record: texts quoted, other payloads in hexadecimal
    std::vector<std::string> displaySent;
    // The display each life left, one DisplayModel::dump a life.
    std::vector<std::string> displayStates;
    // One line per node and kind of warning: settings the program wrote over in the next cycle
    // (OverwriteWatch), names in an alternative a choice does not select (AlternativeWatch).
    std::vector<std::string> warnings;
    size_t lives = 0;  // lives started
    size_t steps = 0;  // steps begun
    bool fatalStop = false;
    bool completed = false;   // the run reached its end (shutdown answered, when asked for)
    std::string failure;      // why it did not complete, "" when it did
    size_t failedChecks = 0;  // of the run, whether `checks` keeps them or not

    // kExitPassed: completed and every expectation held (no failedChecks);
    // kExitExpectationFailed: an expectation failed; kExitStopped: a fatal stop or an
    // incomplete run.
    int exitCode() const;
};

class WorkFolder;

// Takes what a run records, as it happens, so that nothing of the run's length need stay in
// memory. The calls come from the runner's thread, in the order of the run.
class RunRecorder {
  public:
    virtual ~RunRecorder() = default;
    // The run starts, its scenario checked, in `folder` (whose scratch files the recorder may
    // use until finish).
    virtual void start(const WorkFolder& folder) = 0;
    // An event of the system manager, once final (no arming merges into it any more).
    virtual void event(const Event& event) = 0;
    virtual void row(const CycleRow& row) = 0;
    virtual void check(const CheckResult& check) = 0;
    // "item code payload" of a record the display peer received (RunResult::displaySent).
    virtual void displaySent(const std::string& record) = 0;
    // The display a life left (DisplayModel::dump), one a life.
    virtual void displayState(const std::string& dump) = 0;
    // A warning of the run (RunResult::warnings), in one line; all come at the end of the run,
    // before finish.
    virtual void warning(const std::string& line) = 0;
    // The run ended (the work folder is still there); `summary` keeps no records.
    virtual void finish(const RunResult& summary) = 0;
};

struct RunSettings {
    std::string traceLog;  // trace log file, written afresh ("" none)
    // Trace points up to this level are written: 6 the life cycle, 7 adds the per-second alarm.
    uint32_t traceLevel = 6;
    std::vector<Program> programs = defaultPrograms();
    std::string program;  // chosen instead of the scenario's "program" when not ""
    // When given: a signal number set there (StopSignals::noted) stops the run before its next
    // step, or within a step's advance of virtual time, with RunStopped.
    const std::atomic<int>* stopSignal = nullptr;
};

// A run stopped by a signal (RunSettings::stopSignal): thrown once the run's lives have ended
// and its work and scratch folders are removed. what(): "<scenario file>: stopped by SIGINT in
// step 3" ("after step 3" between steps, "before the first step").
class RunStopped : public std::runtime_error {
  public:
    // A stop by `signal` of the run of `file`, `where` it stood ("in step 3", "at the end").
    RunStopped(int signal, const std::string& file, const std::string& where);
    // The signal that stopped the run.
    int signal() const { return mySignal; }

  private:
    int mySignal;
};

// Runs `scenario` on a fresh host kernel and framework (both are reset before each life and
// afterwards), in a work folder of its own (WorkFolder.h). Throws ScenarioError, before the
// run starts where it can, for a scenario that cannot be run: an unknown program, an unreadable
// tree or dictionary, a parameter the tree does not have or cannot take, an unwritable trace
// log, a step that sets parameters before the program has its tree. Throws RunStopped when a
// signal stops the run.
RunResult runScenario(const Scenario& scenario, const RunSettings& settings = {});

// The same, handing what the run records to `recorder` as it happens; the result keeps no
// records. Neither steps (Scenario::stepsFile), events nor rows pile up in memory.
RunResult runScenario(const Scenario& scenario, const RunSettings& settings, RunRecorder& recorder);

// Runs `scenario` and prints what printRunResult prints, while the run goes on: the events as
// they happen, the rest at the end from scratch files of the work folder. The exit status.
int runAndPrint(const Scenario& scenario, const RunSettings& settings, std::ostream& out, bool csv,
                bool handshake = false);

// Prints the events, each with the step that caused it, and the cycle table (aligned columns, or
// CSV), the display records, the display state at the end of each life, the checks, and one line
// that sums the run up (lives, steps, checks passed and failed, fatal stops, exit status).
// Repeated supervision armings print as one line with their count; unless `handshake` asks for
// every event, the aligned table prints a normal start-up of a life as one line, a normal
// shutdown as one line, and nothing of a trigger hand-shake that ended as expected
// (ScenarioReport.h; CSV keeps every event).
void printRunResult(const Scenario& scenario, const RunResult& result, std::ostream& out, bool csv,
                    bool handshake = false);

}  // namespace sim
