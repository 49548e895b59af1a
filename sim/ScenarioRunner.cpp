#include "ScenarioRunner.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "ProgramRegistry.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "SysManProtocol.h"

namespace sim {
namespace {

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[4];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof(digits), "%02x", byte);
        text += digits;
    }
    return text;
}

// A value with 9 significant digits.
std::string formatValue(double value) {
    std::ostringstream text;
    text << std::setprecision(9) << value;
    return text.str();
}

// Seconds with `decimals` decimals.
std::string formatSeconds(double value, int decimals) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

std::string formatStatus(uint32_t status) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%x", status);
    return text;
}

// Reads an output of the address space's tree; not found when there is no tree or node.
OutputValue readOutput(const std::string& path) {
    host::HostTree* tree = host::addressSpaceTree();
    if (tree == nullptr || tree->find(path) == nullptr) {
        return OutputValue{};
    }
    OutputValue output{0.0, tree->status(path), true};
    try {
        output.value = tree->doubleValue(path);
    } catch (const std::invalid_argument&) {
        output.value = tree->wordValue(path);
    }
    return output;
}

void setInput(const InputSetting& input) {
    host::HostTree* tree = host::addressSpaceTree();
    if (tree == nullptr) {
        throw std::runtime_error("scenario sets \"" + input.path + "\" but there is no tree");
    }
    if (input.value) {
        tree->setDouble(input.path, *input.value);
    }
    if (input.status) {
        tree->setStatus(input.path, *input.status);
    }
    if (input.inUse) {
        tree->setInUse(input.path, *input.inUse);
    }
}

void configureHost(const Scenario& scenario, const RunSettings& settings) {
    host::resetKernel();
    host::resetFramework();
    host::useVirtualTime();
    host::resetTraceSettings();
    host::setTraceLevel(settings.traceLevel);
    host::setTraceLogFile(settings.traceLog);
    host::setTasteName(scenario.taste);
    host::setLanguage(scenario.language);
    host::setInstanceIndex(scenario.instance);
    if (!scenario.dictionaryFile.empty()) {
        const std::string problem = host::loadTextDictionary(scenario.dictionaryFile);
        if (!problem.empty()) {
            throw std::runtime_error("dictionary: " + problem);
        }
    }
    if (!scenario.treeFile.empty()) {
        host::HostTree::fromFile(scenario.treeFile);  // throws with the reason when unusable
    }
    host::setTreeModelFile(scenario.treeFile);
    configureTestAddressSpace(scenario.testProgram);
}

class Run {
  public:
    Run(const Scenario& scenario, ProgramEntry entry)
        : myScenario(scenario), myEntry(std::move(entry)) {}

    RunResult execute() {
        SystemManagerOptions options;
        options.self = myScenario.self;
        options.answerCode = myScenario.answerCode;
        myDisplay = std::make_unique<DisplayService>();
        myManager = std::make_unique<SystemManager>(options);
        myManager->watchTask(host::spawnTask(myScenario.self.asName.c_str(), myEntry));
        if (!startUp()) {
            return finish("the start-up did not complete");
        }
        for (size_t index = 0; index < myScenario.steps.size(); ++index) {
            if (!performStep(index + 1, myScenario.steps[index])) {
                return finish("step " + std::to_string(index + 1) + " did not complete");
            }
        }
        if (myScenario.shutdown && !myManager->shutdown()) {
            return finish("the shutdown did not complete");
        }
        myResult.completed = true;
        return finish("");
    }

  private:
    bool startUp() {
        return myManager->awaitRegistration() && myManager->startUp() &&
               myManager->run(myScenario.runCycleData);
    }

    bool performStep(size_t number, const Step& step) {
        for (const InputSetting& input : step.inputs) {
            setInput(input);
        }
        for (const DisplayInjection& injection : step.display) {
            myDisplay->deliver(injection.itemId, injection.commandCode, injection.payload);
        }
        if (step.advanceSeconds > 0.0) {
            myManager->advance(std::chrono::nanoseconds(
                static_cast<int64_t>(std::llround(step.advanceSeconds * 1e9))));
        }
        if (step.command && !sendCommand(number, *step.command)) {
            return false;
        }
        for (const Expectation& expectation : step.expectations) {
            check(number, expectation);
        }
        return !myManager->stopped();
    }

    bool sendCommand(size_t number, const ScenarioCommand& command) {
        bool sent = false;
        if (command.code == kSysManCmdRun) {
            sent = myManager->run(command.cycleData);
        } else if (command.code == kSysManCmdShutdown) {
            sent = myManager->shutdown();
        } else {
            sent = myManager->trigger(command.code, command.argument, command.cycleData);
        }
        if (sent && command.isCycle()) {
            CycleRow row{number, seconds(), command.name, {}};
            for (const std::string& path : myScenario.outputs) {
                row.outputs.push_back(readOutput(path));
            }
            myResult.rows.push_back(row);
        }
        return sent;
    }

    void check(size_t number, const Expectation& expectation) {
        const OutputValue actual = readOutput(expectation.path);
        const bool valueHolds =
            actual.found && std::fabs(actual.value - expectation.value) <= expectation.tolerance;
        const bool statusHolds = !expectation.status || actual.status == *expectation.status;
        myResult.checks.push_back(
            CheckResult{number, expectation, actual, valueHolds && statusHolds});
    }

    static double seconds() {
        const Time now = host::currentTime();
        return now.Seconds + static_cast<double>(now.Fraction) / 4294967296.0;
    }

    RunResult finish(const std::string& failure) {
        myResult.failure = failure;
        myResult.events = myManager->events();
        myResult.fatalStop = !myManager->events(EventKind::FatalStop).empty() ||
                             !myManager->events(EventKind::TaskFault).empty();
        for (const host::SentCommand& sent : myDisplay->sent()) {
            myResult.displaySent.push_back(std::to_string(sent.itemId) + " " +
                                           std::to_string(sent.commandCode) + " " +
                                           hexBytes(sent.payload));
        }
        myManager.reset();
        myDisplay.reset();
        return myResult;
    }

    const Scenario& myScenario;
    ProgramEntry myEntry;
    std::unique_ptr<SystemManager> myManager;
    std::unique_ptr<DisplayService> myDisplay;
    RunResult myResult;
};

void printEvents(const RunResult& result, std::ostream& out, bool csv) {
    out << (csv ? "time,event,value,detail,text\n"
                : "time      event              value       detail  text\n");
    for (const Event& event : result.events) {
        if (csv) {
            out << formatSeconds(event.time, 6) << ',' << eventName(event.kind) << ','
                << event.value << ',' << event.detail << ",\"" << event.text << "\"\n";
            continue;
        }
        char line[160];
        std::snprintf(line, sizeof(line), "%-9.3f %-18s %-11u %-7u ", event.time,
                      eventName(event.kind), event.value, event.detail);
        out << line << event.text << '\n';
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
    printCells(header, out, csv);
    for (const CycleRow& row : result.rows) {
        std::vector<std::string> cells{std::to_string(row.step), formatSeconds(row.time, 3),
                                       row.command};
        for (const OutputValue& output : row.outputs) {
            cells.push_back(output.found ? formatValue(output.value) : "-");
            cells.push_back(output.found ? formatStatus(output.status) : "-");
        }
        printCells(cells, out, csv);
    }
}

void printChecks(const RunResult& result, std::ostream& out) {
    for (const CheckResult& check : result.checks) {
        out << (check.passed ? "ok     " : "FAILED ") << "step " << check.step << ' '
            << check.expected.path << " expected " << formatValue(check.expected.value) << " +- "
            << formatValue(check.expected.tolerance);
        if (check.expected.status) {
            out << " status " << formatStatus(*check.expected.status);
        }
        out << ", got "
            << (check.actual.found ? formatValue(check.actual.value) + " status " +
                                         formatStatus(check.actual.status)
                                   : std::string("nothing"))
            << '\n';
    }
}

}  // namespace

int RunResult::exitCode() const {
    if (fatalStop || !completed) {
        return 2;
    }
    for (const CheckResult& check : checks) {
        if (!check.passed) {
            return 1;
        }
    }
    return 0;
}

RunResult runScenario(const Scenario& scenario, const RunSettings& settings) {
    ProgramEntry entry = findProgram(scenario.program);
    if (!entry) {
        throw std::runtime_error("unknown program \"" + scenario.program + "\"");
    }
    configureHost(scenario, settings);
    RunResult result = Run(scenario, entry).execute();
    host::dropAddressSpaceTree();
    configureTestAddressSpace({});
    host::setTraceLogFile("");
    return result;
}

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
    if (!result.checks.empty()) {
        out << '\n';
        printChecks(result, out);
    }
    if (!result.failure.empty()) {
        out << "\nrun incomplete: " << result.failure << '\n';
    }
    if (result.fatalStop) {
        out << "fatal stop of the address space\n";
    }
}

}  // namespace sim
