#include "ScenarioReport.h"

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "ScenarioFields.h"
#include "SysManProtocol.h"
#include "SysManStateReplies.h"
#include "WorkFolder.h"

namespace sim {
namespace {

// The code the program sends once its command loop runs.
constexpr uint32_t kCodeLoopStarted = 1;

// Seconds with `decimals` decimals.
std::string formatSeconds(double value, int decimals) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

// The event's text; merged armings add their count and the time of the last. The aligned table
// names, beside the numbers, the command of a command and the state of a state reply or a
// processed trigger.
std::string eventText(const Event& event, bool csv) {
    if (!csv && event.text.empty()) {
        switch (event.kind) {
            case EventKind::Command:
                return commandName(event.value);
            case EventKind::StateReply:
                return stateName(event.detail);
            case EventKind::TriggerProcessed:
                return stateName(event.value);
            default:
                break;
        }
    }
    if (event.repeats <= 1) {
        return event.text;
    }
    return std::to_string(event.repeats) + " armings, the last at " +
           formatSeconds(event.lastTime, 3);
}

// The commands whose hand-shake the aligned report sums up: the triggers, answered by
// TriggerProcessed and TriggerDone.
bool isTrigger(const Event& event) {
    return event.kind == EventKind::Command &&
           (event.value == kSysManCmdTrigger || event.value == kSysManCmdTrigger48 ||
            event.value == kSysManCmdTrigger51);
}

// The step column: the step's number, or "-" for the life cycle between steps.
std::string stepText(size_t step) {
    return step == 0 ? "-" : std::to_string(step);
}

// "1 life", "2 lives".
std::string counted(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// `text` as a quoted CSV field: escaped whole, its quotes doubled.
std::string csvField(const std::string& text) {
    std::string field = "\"";
    for (const char c : escaped(text)) {
        field += c == '"' ? "\"\"" : std::string(1, c);
    }
    return field + "\"";
}

// One row of cells: CSV, or left-aligned columns.
void printCells(const std::vector<std::string>& cells, std::ostream& out, bool csv) {
    constexpr int kColumnWidth = 12;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (csv) {
            out << (i > 0 ? "," : "") << printable(cells[i]);
        } else {
            out << std::left << std::setw(kColumnWidth) << printable(cells[i]) << ' ';
        }
    }
    out << '\n';
}

}  // namespace

// Lines kept until the end of the run: in a scratch file, or in memory.
struct ReportWriter::Spool {
    std::unique_ptr<std::iostream> stream = std::make_unique<std::stringstream>();
    size_t lines = 0;

    void useFile(const std::string& path) {
        auto file = std::make_unique<std::fstream>(
            path, std::ios::in | std::ios::out | std::ios::trunc | std::ios::binary);
        if (!*file) {
            throw ScenarioError("cannot write the scratch file " + sim::quoted(path));
        }
        stream = std::move(file);
    }
    std::ostream& line() {
        ++lines;
        return *stream;
    }
    void copyTo(std::ostream& out) {
        if (lines > 0) {
            stream->flush();
            stream->seekg(0);
            out << stream->rdbuf();
        }
    }
};

ReportWriter::ReportWriter(const Scenario& scenario, std::ostream& out, bool csv, bool handshake)
    : myScenario(scenario),
      myOut(out),
      myCsv(csv),
      myFullHandshake(handshake || csv),
      myRows(std::make_unique<Spool>()),
      myDisplaySent(std::make_unique<Spool>()),
      myChecks(std::make_unique<Spool>()),
      myWarnings(std::make_unique<Spool>()) {
    myStartUpStates = {0, kSysManStateComponentStart};
    myStartUpStates.insert(myStartUpStates.end(), scenario.startUpStates.begin(),
                           scenario.startUpStates.end());
    myStartUpStates.push_back(kSysManStateReady);
}

ReportWriter::~ReportWriter() = default;

void ReportWriter::start(const WorkFolder& folder) {
    myRows->useFile(folder.scratchFile("rows"));
    myDisplaySent->useFile(folder.scratchFile("display"));
    myChecks->useFile(folder.scratchFile("checks"));
    myWarnings->useFile(folder.scratchFile("warnings"));
    begin();
}

void ReportWriter::begin() {
    myOut << (myCsv ? "event_step,time,event,value,detail,text\n"
                    : "step  time      event              value       detail  text\n");
}

void ReportWriter::event(const Event& event) {
    if (isFatal(event.kind)) {
        myFatalStops.push_back(event.text);
    }
    myLives += event.kind == EventKind::Start ? 1 : 0;
    if (myFullHandshake) {
        printEvent(event);
        return;
    }
    if (heldInShutdown(event) || heldInStartUp(event)) {
        return;
    }
    // A trigger command, its TriggerProcessed and its TriggerDone, in this order within one step,
    // make one hand-shake; anything else between them lets the held events print as they are.
    const bool continues = !myHeld.empty() && event.step == myHeld.front().step &&
                           ((myHeld.size() == 1 && event.kind == EventKind::TriggerProcessed) ||
                            (myHeld.size() == 2 && event.kind == EventKind::TriggerDone));
    if (!continues) {
        release(myHeld);
    }
    if (continues || isTrigger(event)) {
        myHeld.push_back(event);
    } else {
        printEvent(event);
    }
    if (myHeld.size() == 3) {
        const Event& command = myHeld[0];
        const uint32_t state = myHeld[1].value;
        if (state != kSysManStateRunning) {
            std::ostringstream text;
            text << commandName(command.value) << " processed in state " << state << " ("
                 << stateName(state) << "), done";
            printAligned(command, "Handshake", text.str());
        }
        myHeld.clear();
    }
}

bool ReportWriter::heldInStartUp(const Event& event) {
    if (event.kind == EventKind::Start && event.step == 0 &&
        event.value == kSysManStartMessageCode && event.detail == 1) {
        release(myHeld);
        release(myStartUp);
        myStartUp.push_back(event);
        myStatesAnswered = 0;
        return true;
    }
    if (myStartUp.empty()) {
        return false;
    }
    if (!continuesStartUp(event)) {
        release(myStartUp);
        return false;
    }
    myStartUp.push_back(event);
    // A state is answered once its action is done (the component walk: after its components).
    const bool walking =
        event.detail == kSysManStateComponentStart && event.value == kSysManReplyComponentStarted;
    myStatesAnswered += event.kind == EventKind::StateReply && !walking ? 1 : 0;
    if (myStatesAnswered == myStartUpStates.size()) {
        printStartUp();
    }
    return true;
}

bool ReportWriter::continuesStartUp(const Event& event) const {
    if (event.step != 0) {
        return false;
    }
    const uint32_t state = myStartUpStates[myStatesAnswered];
    switch (event.kind) {
        case EventKind::Release:
            return event.value == 1;
        case EventKind::RegistrationName:
        case EventKind::StartText:
        case EventKind::Registered:
        case EventKind::ServiceRequested:
        case EventKind::SupervisionArmed:  // by the alarm state or RUN
            return true;
        case EventKind::Command:
            return event.value == kSysManCmdState ||
                   (state == kSysManStateComponentStart &&
                    (event.value == kSysManCmdConnectStarted ||
                     event.value == kSysManCmdConnectStartedQuiet)) ||
                   (state == kSysManStateReady && event.value == kSysManCmdRun);
        case EventKind::Code:
            return event.value == kCodeLoopStarted;
        case EventKind::StateReply:
            return event.detail == state && (event.value == sysman::stateReply(state) ||
                                             (state == kSysManStateComponentStart &&
                                              event.value == kSysManReplyComponentStarted));
        default:
            return false;
    }
}

bool ReportWriter::heldInShutdown(const Event& event) {
    if (event.kind == EventKind::Command && event.value == kSysManCmdShutdown) {
        release(myStartUp);
        release(myHeld);
        release(myShutdown);
        myShutdown.push_back(event);
        return true;
    }
    if (myShutdown.empty()) {
        return false;
    }
    if (!continuesShutdown(event)) {
        release(myShutdown);
        return false;
    }
    myShutdown.push_back(event);
    if (event.kind == EventKind::SupervisionCleared) {
        printAligned(myShutdown.front(), "Shutdown",
                     "life " + std::to_string(myLives) + ": state " +
                         std::to_string(kSysManStateShutdown) + " done, supervision cleared");
        myShutdown.clear();
    }
    return true;
}

bool ReportWriter::continuesShutdown(const Event& event) const {
    // Once state 13 is answered, only the clearing that ends the shutdown follows it.
    const bool answered = myShutdown.back().kind == EventKind::StateReply;
    if (event.step != myShutdown.front().step) {
        return false;
    }
    switch (event.kind) {
        case EventKind::SupervisionArmed:
            return !answered;
        case EventKind::Code:
            return !answered && event.value == kSysManCodeShutDown;
        case EventKind::StateReply:
            return !answered && event.detail == kSysManStateShutdown &&
                   event.value == sysman::stateReply(kSysManStateShutdown);
        case EventKind::SupervisionCleared:
            return answered;
        default:
            return false;
    }
}

void ReportWriter::printStartUp() {
    const Event& start = myStartUp.front();
    std::string releaseText;
    size_t services = 0;
    for (const Event& event : myStartUp) {
        releaseText = event.kind == EventKind::Release ? event.text : releaseText;
        services +=
            event.kind == EventKind::Command && event.value == kSysManCmdConnectStarted ? 1 : 0;
    }
    std::string states;
    for (const uint32_t state : myStartUpStates) {
        states += (states.empty() ? "" : " ") + std::to_string(state);
    }
    printAligned(start, "StartUp",
                 "life " + std::to_string(myLives) + ": release " + sim::quoted(releaseText) +
                     ", " + counted(services, "service", "services") + " connected, states " +
                     states + " done, RUN, ready");
    myStartUp.clear();
}

void ReportWriter::printEvent(const Event& event) {
    if (myCsv) {
        myOut << event.step << ',' << formatSeconds(event.time, 6) << ',' << eventName(event.kind)
              << ',' << event.value << ',' << event.detail << ','
              << csvField(eventText(event, myCsv)) << '\n';
        return;
    }
    printAligned(event, eventName(event.kind), echoed(eventText(event, myCsv)));
}

void ReportWriter::printAligned(const Event& event, const char* name, const std::string& text) {
    char line[160];
    std::snprintf(line, sizeof(line), "%-5s %-9.3f %-18s %-11u %-7u ", stepText(event.step).c_str(),
                  event.time, name, event.value, event.detail);
    myOut << line << text << '\n';
}

void ReportWriter::release(std::vector<Event>& held) {
    for (const Event& event : held) {
        printEvent(event);
    }
    held.clear();
}

void ReportWriter::row(const CycleRow& row) {
    std::vector<std::string> cells{std::to_string(row.step), formatSeconds(row.time, 3),
                                   row.command};
    for (const OutputValue& output : row.outputs) {
        cells.push_back(output.found ? formatValue(output.value) : "-");
        cells.push_back(!output.found ? "-"
                        : myCsv       ? formatStatus(output.status)
                                      : describeStatus(output.status));
    }
    if (!myCsv) {
        cells.push_back(row.comment);
    }
    printCells(cells, myRows->line(), myCsv);
}

void ReportWriter::check(const CheckResult& check) {
    ++(check.passed ? myChecksPassed : myChecksFailed);
    myChecks->line() << (check.passed ? "ok     " : "FAILED ") << "step " << check.step << ' '
                     << printable(check.expected) << ", got " << printable(check.actual) << '\n';
}

void ReportWriter::displaySent(const std::string& record) {
    myDisplaySent->line() << record << '\n';
}

void ReportWriter::warning(const std::string& line) {
    myWarnings->line() << "warning: " << printable(line) << '\n';
}

void ReportWriter::displayState(const std::string& dump) {
    myDisplayStates.push_back(dump);
}

void ReportWriter::finish(const RunResult& summary) {
    release(myStartUp);
    release(myHeld);
    release(myShutdown);
    myOut << '\n';
    std::vector<std::string> header{"step", "time", "command"};
    for (const std::string& path : myScenario.outputs) {
        header.push_back(path);
        header.push_back(path + ".status");
    }
    if (!myCsv) {
        header.push_back("comment");  // what the step exercises
    }
    printCells(header, myOut, myCsv);
    myRows->copyTo(myOut);
    if (myDisplaySent->lines > 0) {
        myOut << "\ndisplay: item code payload\n";
        myDisplaySent->copyTo(myOut);
    }
    for (size_t life = 0; life < myDisplayStates.size(); ++life) {
        if (!myDisplayStates[life].empty()) {
            myOut << "\ndisplay state at the end of life " << life + 1 << ":\n"
                  << myDisplayStates[life];
        }
    }
    for (Spool* lines : {myChecks.get(), myWarnings.get()}) {
        if (lines->lines > 0) {
            myOut << '\n';
            lines->copyTo(myOut);
        }
    }
    if (!summary.failure.empty()) {
        myOut << "\nrun incomplete: " << echoed(summary.failure) << '\n';
    }
    if (summary.fatalStop) {
        myOut << "fatal stop of the address space\n";
        for (const std::string& text : myFatalStops) {
            myOut << "  " << echoed(text) << '\n';
        }
    }
    printSummary(summary);
}

void ReportWriter::printSummary(const RunResult& summary) {
    const int status = summary.exitCode();
    const char* meaning = status == kExitPassed              ? "passed"
                          : status == kExitExpectationFailed ? "an expectation failed"
                          : summary.fatalStop                ? "a fatal stop"
                                                             : "the run did not complete";
    myOut << "\nrun: " << counted(summary.lives, "life", "lives") << ", " << summary.steps << " of "
          << counted(myScenario.stepCount, "step", "steps") << ", "
          << counted(myChecksPassed, "check", "checks") << " passed, " << myChecksFailed
          << " failed, " << counted(myFatalStops.size(), "fatal stop", "fatal stops")
          << ", exit status " << status << " (" << meaning << ")\n";
}

void printRunResult(const Scenario& scenario, const RunResult& result, std::ostream& out, bool csv,
                    bool handshake) {
    ReportWriter writer(scenario, out, csv, handshake);
    writer.begin();
    for (const Event& event : result.events) {
        writer.event(event);
    }
    for (const CycleRow& row : result.rows) {
        writer.row(row);
    }
    for (const std::string& sent : result.displaySent) {
        writer.displaySent(sent);
    }
    for (const std::string& state : result.displayStates) {
        writer.displayState(state);
    }
    for (const CheckResult& check : result.checks) {
        writer.check(check);
    }
    for (const std::string& warning : result.warnings) {
        writer.warning(warning);
    }
    writer.finish(result);
}

}  // namespace sim
