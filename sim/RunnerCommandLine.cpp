#include "RunnerCommandLine.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "ScenarioRunner.h"

namespace sim {

int runnerMain(int argc, char** argv) {
    CLI::App app{"Runs an address space through a scenario against the simulated system manager"};
    std::string scenarioFile;
    RunSettings settings;
    bool csv = false;
    app.add_option("scenario", scenarioFile, "scenario file (JSON)")->required();
    app.add_flag("--csv", csv, "print the tables as CSV");
    app.add_option("--trace", settings.traceLog, "write the trace log to this file");
    app.add_option("--trace-level", settings.traceLevel, "write trace points up to this level");
    CLI11_PARSE(app, argc, argv);
    try {
        const Scenario scenario = loadScenario(scenarioFile);
        const RunResult result = runScenario(scenario, settings);
        printRunResult(scenario, result, std::cout, csv);
        return result.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "scenario_runner: " << error.what() << '\n';
        return 3;
    }
}

}  // namespace sim
