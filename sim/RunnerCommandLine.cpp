#include "RunnerCommandLine.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "ScenarioRunner.h"

namespace sim {

int runnerMain(int argc, char** argv, const std::vector<Program>& programs) {
    CLI::App app{"Runs a program through a scenario against the simulated system manager"};
    std::string scenarioFile;
    RunSettings settings;
    settings.programs = programs;
    bool csv = false;
    app.add_option("scenario", scenarioFile, "scenario file (JSON)")->required();
    app.add_option("--program", settings.program,
                   "program to run instead of the scenario's (" + programNames(programs) + ")");
    app.add_flag("--csv", csv, "print the tables as CSV");
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
        const RunResult result = runScenario(scenario, settings);
        printRunResult(scenario, result, std::cout, csv);
        return result.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "scenario_runner: " << error.what() << '\n';
        return kExitBadInput;
    }
}

}  // namespace sim
