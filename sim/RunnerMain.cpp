// scenario_runner: drives an address space through a scenario file and prints what happened.
// Exit status: 0 all went as expected, 1 an expectation failed, 2 a fatal stop or an
// incomplete run, 3 the scenario could not be read or run.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "ScenarioRunner.h"

int main(int argc, char** argv) {
    CLI::App app{"Runs an address space through a scenario against the simulated system manager"};
    std::string scenarioFile;
    sim::RunSettings settings;
    bool csv = false;
    app.add_option("scenario", scenarioFile, "scenario file (JSON)")->required();
    app.add_flag("--csv", csv, "print the tables as CSV");
    app.add_option("--trace", settings.traceLog, "write the trace log to this file");
    app.add_option("--trace-level", settings.traceLevel, "write trace points up to this level");
    CLI11_PARSE(app, argc, argv);
    try {
        const sim::Scenario scenario = sim::loadScenario(scenarioFile);
        const sim::RunResult result = sim::runScenario(scenario, settings);
        sim::printRunResult(scenario, result, std::cout, csv);
        return result.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "scenario_runner: " << error.what() << '\n';
        return 3;
    }
}
