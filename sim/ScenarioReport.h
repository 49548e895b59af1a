// The printed report of a run, written as the run records it: the events at once, the cycle
// table, the display records and the checks kept in spools (scratch files of the work folder, or
// memory) until the end, where they follow in that order.
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
    // or CSV. The spools stay in memory unless start() gives a work folder.
    ReportWriter(const Scenario& scenario, std::ostream& out, bool csv);
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
    // run did not complete and the fatal stops.
    void finish(const RunResult& summary) override;

  private:
    struct Spool;

    const Scenario& myScenario;
    std::ostream& myOut;
    bool myCsv;
    std::unique_ptr<Spool> myRows;
    std::unique_ptr<Spool> myDisplaySent;
    std::unique_ptr<Spool> myChecks;
    std::vector<std::string> myDisplayStates;
    std::vector<std::string> myFatalStops;  // texts of the fatal stops and task faults
};

}  // namespace sim
