// The printed report of a run (ScenarioRunner.h).
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "ScenarioRunner.h"

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

void printEvents(const RunResult& result, std::ostream& out, bool csv) {
    out << (csv ? "time,event,value,detail,text\n"
                : "time      event              value       detail  text\n");
    for (const Event& event : result.events) {
        if (csv) {
            out << formatSeconds(event.time, 6) << ',' << eventName(event.kind) << ','
                << event.value << ',' << event.detail << ",\"" << eventText(event, csv) << "\"\n";
            continue;
        }
        char line[160];
        std::snprintf(line, sizeof(line), "%-9.3f %-18s %-11u %-7u ", event.time,
                      eventName(event.kind), event.value, event.detail);
        out << line << eventText(event, csv) << '\n';
    }
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

void printRows(const Scenario& scenario, const RunResult& result, std::ostream& out, bool csv) {
    std::vector<std::string> header{"step", "time", "command"};
    for (const std::string& path : scenario.outputs) {
        header.push_back(path);
        header.push_back(path + ".status");
    }
    if (!csv) {
        header.push_back("comment");  // what the step exercises
    }
    printCells(header, out, csv);
    for (const CycleRow& row : result.rows) {
        std::vector<std::string> cells{std::to_string(row.step), formatSeconds(row.time, 3),
                                       row.command};
        for (const OutputValue& output : row.outputs) {
            cells.push_back(output.found ? formatValue(output.value) : "-");
            cells.push_back(!output.found ? "-"
                            : csv         ? formatStatus(output.status)
                                          : describeStatus(output.status));
        }
        if (!csv) {
            cells.push_back(row.comment);
        }
        printCells(cells, out, csv);
    }
}

void printChecks(const RunResult& result, std::ostream& out) {
    for (const CheckResult& check : result.checks) {
        out << (check.passed ? "ok     " : "FAILED ") << "step " << check.step << ' '
            << check.expected << ", got " << check.actual << '\n';
    }
}

}  // namespace

void printRunResult(const Scenario& scenario, const RunResult& result, std::ostream& out,
                    bool csv) {
    printEvents(result, out, csv);
    out << '\n';
    printRows(scenario, result, out, csv);
    if (!result.displaySent.empty()) {
        out << "\ndisplay: item code payload\n";
        for (const std::string& sent : result.displaySent) {
            out << sent << '\n';
        }
    }
    for (size_t life = 0; life < result.displayStates.size(); ++life) {
        if (!result.displayStates[life].empty()) {
            out << "\ndisplay state at the end of life " << life + 1 << ":\n"
                << result.displayStates[life];
        }
    }
    if (!result.checks.empty()) {
        out << '\n';
        printChecks(result, out);
    }
    if (!result.failure.empty()) {
        out << "\nrun incomplete: " << result.failure << '\n';
    }
    if (result.fatalStop) {
        out << "fatal stop of the address space\n";
        for (const Event& event : result.events) {
            if (event.kind == EventKind::FatalStop || event.kind == EventKind::TaskFault) {
                out << "  " << event.text << '\n';
            }
        }
    }
}

}  // namespace sim
