#include "ScenarioReport.h"

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "ScenarioFields.h"
#include "WorkFolder.h"

namespace sim {
namespace {

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

// A status word as the aligned table shows it (CSV keeps the bare hexadecimal value): its
// hexadecimal value, then the names of its set flags (bits 0-11) and its non-zero fields (SET,
// OVR, NEW, LOP), so that a reader need not decode it.
std::string describeStatus(uint32_t status) {
    static const char* const kFlagNames[12] = {"OOU",    "INIT",    "NOT_AVAIL", "OOS",
                                               "HIDDEN", "NOT_ACK", "LOCKED",    "OOO",
                                               "OLL",    "OUL",     "OOC",       "TEST"};
    struct Field {
        const char* name;
        uint32_t shift;
        uint32_t mask;
    };
    static const Field kFields[4] = {
        {"SET", 16, 0x3}, {"OVR", 18, 0x3}, {"NEW", 20, 0x7}, {"LOP", 24, 0x7}};
    std::string text = formatStatus(status);
    for (uint32_t bit = 0; bit < 12; ++bit) {
        if ((status & (1u << bit)) != 0) {
            text += std::string(" ") + kFlagNames[bit];
        }
    }
    for (const Field& field : kFields) {
        const uint32_t value = (status >> field.shift) & field.mask;
        if (value != 0) {
            text += std::string(" ") + field.name + ":" + std::to_string(value);
        }
    }
    return text;
}

// One row of cells: CSV, or left-aligned columns.
void printCells(const std::vector<std::string>& cells, std::ostream& out, bool csv) {
    constexpr int kColumnWidth = 12;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (csv) {
            out << (i > 0 ? "," : "") << cells[i];
        } else {
            out << std::left << std::setw(kColumnWidth) << cells[i] << ' ';
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
            throw ScenarioError("cannot write the scratch file \"" + path + "\"");
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

ReportWriter::ReportWriter(const Scenario& scenario, std::ostream& out, bool csv)
    : myScenario(scenario),
      myOut(out),
      myCsv(csv),
      myRows(std::make_unique<Spool>()),
      myDisplaySent(std::make_unique<Spool>()),
      myChecks(std::make_unique<Spool>()) {}

ReportWriter::~ReportWriter() = default;

void ReportWriter::start(const WorkFolder& folder) {
    myRows->useFile(folder.scratchFile("rows"));
    myDisplaySent->useFile(folder.scratchFile("display"));
    myChecks->useFile(folder.scratchFile("checks"));
    begin();
}

void ReportWriter::begin() {
    myOut << (myCsv ? "time,event,value,detail,text\n"
                    : "time      event              value       detail  text\n");
}

void ReportWriter::event(const Event& event) {
    if (isFatal(event.kind)) {
        myFatalStops.push_back(event.text);
    }
    if (myCsv) {
        myOut << formatSeconds(event.time, 6) << ',' << eventName(event.kind) << ',' << event.value
              << ',' << event.detail << ",\"" << eventText(event, myCsv) << "\"\n";
        return;
    }
    char line[160];
    std::snprintf(line, sizeof(line), "%-9.3f %-18s %-11u %-7u ", event.time, eventName(event.kind),
                  event.value, event.detail);
    myOut << line << eventText(event, myCsv) << '\n';
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
    myChecks->line() << (check.passed ? "ok     " : "FAILED ") << "step " << check.step << ' '
                     << check.expected << ", got " << check.actual << '\n';
}

void ReportWriter::displaySent(const std::string& record) {
    myDisplaySent->line() << record << '\n';
}

void ReportWriter::displayState(const std::string& dump) {
    myDisplayStates.push_back(dump);
}

void ReportWriter::finish(const RunResult& summary) {
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
    if (myChecks->lines > 0) {
        myOut << '\n';
        myChecks->copyTo(myOut);
    }
    if (!summary.failure.empty()) {
        myOut << "\nrun incomplete: " << summary.failure << '\n';
    }
    if (summary.fatalStop) {
        myOut << "fatal stop of the address space\n";
        for (const std::string& text : myFatalStops) {
            myOut << "  " << text << '\n';
        }
    }
}

void printRunResult(const Scenario& scenario, const RunResult& result, std::ostream& out,
                    bool csv) {
    ReportWriter writer(scenario, out, csv);
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
    writer.finish(result);
}

}  // namespace sim
