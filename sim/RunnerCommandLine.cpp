#include "RunnerCommandLine.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "ScenarioFields.h"
#include "ScenarioRunner.h"
#include "StopSignals.h"

namespace sim {

namespace {

// The executable's name for messages: the last component of argv[0].
std::string executableName(int argc, char** argv) {
    const std::string path = argc > 0 && argv[0] != nullptr ? argv[0] : "scenario_runner";
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Runs `scenario` as runAndPrint does, with SIGINT, SIGTERM and SIGHUP caught: a run they stop
// removes its folders, prints one line on stderr naming the signal and the step, and the
// process ends by that signal (a second one ends it at once). The exit status.
int runStoppable(const Scenario& scenario, RunSettings settings, bool csv, bool handshake,
                 const std::string& executable) {
    int signal = 0;
    std::string stop;
    int code = kExitStopped;
    {
        const StopSignals signals;
        settings.stopSignal = &signals.noted();
        try {
            code = runAndPrint(scenario, settings, std::cout, csv, handshake);
            signal = signals.noted().load();
            if (signal != 0) {
                stop = RunStopped(signal, scenario.file, "at the end").what();
            }
        } catch (const RunStopped& stopped) {
            signal = stopped.signal();
            stop = stopped.what();
        }
    }
    if (signal != 0) {
        std::cout.flush();
        std::cerr << executable << ": " << printable(stop) << std::endl;
        StopSignals::endBy(signal);
    }
    return code;
}

}  // namespace

int runnerMain(int argc, char** argv, const std::vector<Program>& programs,
               const std::string& demoScenario) {
    CLI::App app{"Runs a program through a scenario against the simulated system manager"};
    app.footer(
        "Prints the events, each beside the step that caused it (\"-\": the life cycle between "
        "steps), the cycle table, the display records and state, one line per check, a warning "
        "per node a setting of which the program wrote over or that lies in an alternative its "
        "choice does not select, and a last line: lives, steps, checks passed and failed, fatal "
        "stops, exit status.\nExit status: 0 "
        "passed, 1 an expectation failed, 2 a fatal stop or an incomplete run, 3 bad input (one "
        "line on stderr).");
    std::string scenarioFile = demoScenario;
    RunSettings settings;
    settings.programs = programs;
    bool csv = false;
    bool handshake = false;
    CLI::Option* scenarioOption = app.add_option(
        "scenario", scenarioFile,
        demoScenario.empty()
            ? "scenario file (JSON)"
            : "scenario file (JSON); without one the demo scenario " + demoScenario + " runs");
    if (demoScenario.empty()) {
        scenarioOption->required();
    }
    app.add_option("--program", settings.program,
                   "program to run instead of the scenario's (" + programNames(programs) + ")");
    app.add_flag("--csv", csv,
                 "print the events and the cycle table as CSV (every event, each with its step)");
    app.add_flag("--handshake", handshake,
                 "print every event of each start-up, shutdown and trigger hand-shake (by default "
                 "a normal start-up is one \"StartUp\" line, a normal shutdown one \"Shutdown\" "
                 "line, and a trigger processed in the running state prints nothing)");
    app.add_option("--trace", settings.traceLog, "write the trace log to this file");
    app.add_option("--trace-level", settings.traceLevel, "write trace points up to this level")
        ->check(CLI::Range(0, 15));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : kExitBadInput;
    }
    try {
        const Scenario scenario = loadScenario(scenarioFile);
        return runStoppable(scenario, settings, csv, handshake, executableName(argc, argv));
    } catch (const std::exception& error) {
        std::cerr << executableName(argc, argv) << ": " << printable(error.what()) << '\n';
        return kExitBadInput;
    }
}

}  // namespace sim
