// The printed report of a run, written as the run records it: the events at once, each beside
// the step that caused it, the cycle table, the display records and the checks kept in spools
// (scratch files of the work folder, or memory) until the end, where they follow in that order,
// and one line that sums the run up. Unless asked for the hand-shakes in full, the aligned report
// prints a normal start-up of a life (registration, the states in order, each answered as
// done, the component walk, RUN, ready) as one line, a normal shutdown (the command, the
// shutdown code, state 13 answered as done, the supervision cleared) as one line, and nothing
// of a trigger command whose
// TriggerProcessed and TriggerDone replies came as expected (in the running state 14); a
// hand-shake in another state is summed up in one line, and anything unusual prints each event
// as it is. CSV keeps every event.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ScenarioRunner.h"

namespace sim {

class ReportWriter : public RunRecorder {
  public:
    // A report on `out` of a run of `scenario` (its outputs name the table's columns, its
    // start-up the states a normal start-up answers), aligned or CSV; `handshake`: the aligned
    // report prints every start-up, shutdown and trigger hand-shake in full. The
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
    void warning(const std::string& line) override;
    // Prints the rest: the cycle table, the display records and states, the checks, the
    // warnings, why the run did not complete and the fatal stops, then the line that sums the
    // run up.
    void finish(const RunResult& summary) override;

  private:
    struct Spool;

    void printEvent(const Event& event);
    // One aligned line: the step, time, value and detail of `event` under `name`, then `text`.
    void printAligned(const Event& event, const char* name, const std::string& text);
    // Prints the events `held` (of a hand-shake, a start-up or a shutdown being summed up), each
    // on its line, and empties it.
    void release(std::vector<Event>& held);
    // Takes `event` into the start-up of a life being summed up; false when it is not part of
    // a normal start-up (the start-up held so far is then printed in full).
    bool heldInStartUp(const Event& event);
    // Whether `event` is the next of a normal start-up after those held.
    bool continuesStartUp(const Event& event) const;
    // Takes `event` into a shutdown being summed up (from its command on); false when it is not
    // part of a normal shutdown (the shutdown held so far is then printed in full). Prints the
    // one line of the shutdown once its supervision is cleared.
    bool heldInShutdown(const Event& event);
    // Whether `event` is the next of a normal shutdown after those held.
    bool continuesShutdown(const Event& event) const;
    // Prints the one line of a normal start-up.
    void printStartUp();
    void printSummary(const RunResult& summary);

    const Scenario& myScenario;
    std::ostream& myOut;
    bool myCsv;
    bool myFullHandshake;
    std::vector<Event> myHeld;  // a trigger command and its TriggerProcessed, until TriggerDone
    // The states a normal start-up answers in order: 0, 1, the scenario's start-up, 12.
    std::vector<uint32_t> myStartUpStates;
    std::vector<Event> myStartUp;   // the start-up of the life so far, until the state 12
    std::vector<Event> myShutdown;  // a shutdown from its command on, until the supervision clears
    size_t myStatesAnswered = 0;    // of myStartUpStates, by the start-up held
    size_t myLives = 0;             // lives whose start the report saw
    size_t myChecksPassed = 0;
    size_t myChecksFailed = 0;
    std::unique_ptr<Spool> myRows;
    std::unique_ptr<Spool> myDisplaySent;
    std::unique_ptr<Spool> myChecks;
    std::unique_ptr<Spool> myWarnings;
    std::vector<std::string> myDisplayStates;
    std::vector<std::string> myFatalStops;  // texts of the fatal stops and task faults
};

}  // namespace sim
