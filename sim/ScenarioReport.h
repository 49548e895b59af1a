// The printed report of a run, written as the run records it: the events at once, each beside
// the step that caused it, the cycle table, the display records and the checks kept in spools
// (scratch files of the work folder, or memory) until the end, where they follow in that order,
// and one line that sums the run up. The aligned report sums up the hand-shake of each trigger
// command (the command, its TriggerProcessed and TriggerDone replies) in one line unless asked for
// it in full; CSV keeps every event.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ScenarioRunner.h"

namespace sim {

class ReportWriter : public RunRecorder {
  public:
    // A report on `out` of a run of `scenario` (its outputs name the table's columns), aligned
    // or CSV; `handshake`: the aligned report prints each trigger's hand-shake in full. The
    // spools stay in memory unless start() gives a work folder.
    ReportWriter(const Scenario& scenario, std::ostream& out, bool csv, bool handshake = false);
    ~ReportWriter() override;
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Spools in scratch files of `folder`, then begin().
    void start(const WorkFolder& folder) override;
    // Prints the head of the events table.
    void begin();
    void event(const Event& event) override;
    void row(const CycleRow& row) override;
    void check(const CheckResult& check) override;
    void displaySent(const std::string& record) override;
    void displayState(const std::string& dump) override;
    // Prints the rest: the cycle table, the display records and states, the checks, why the
    // run did not complete and the fatal stops, then the line that sums the run up.
    void finish(const RunResult& summary) override;

  private:
    struct Spool;

    void printEvent(const Event& event);
    // One aligned line: the step, time, value and detail of `event` under `name`, then `text`.
    void printAligned(const Event& event, const char* name, const std::string& text);
    // Prints the events held as the start of a hand-shake, each on its line.
    void releaseHeld();
    void printSummary(const RunResult& summary);

    const Scenario& myScenario;
    std::ostream& myOut;
    bool myCsv;
    bool myFullHandshake;
    std::vector<Event> myHeld;  // a trigger command and its TriggerProcessed, until TriggerDone
    size_t myChecksPassed = 0;
    size_t myChecksFailed = 0;
    std::unique_ptr<Spool> myRows;
    std::unique_ptr<Spool> myDisplaySent;
    std::unique_ptr<Spool> myChecks;
    std::vector<std::string> myDisplayStates;
    std::vector<std::string> myFatalStops;  // texts of the fatal stops and task faults
};

}  // namespace sim
