// A whole scenario run of the test address space with many cycle steps (a set of the input,
// one second of time and the cycle trigger each, with an expectation on the output): the time
// of a run grows linearly with its steps. Arguments: the number of cycle steps.
#include <benchmark/benchmark.h>

#include <string>

#include "ScenarioRunner.h"

namespace {

sim::Scenario cycleScenario(int64_t steps) {
    std::string text = R"({ "tree": "tree.json", "selfInfo": { "basePath": "data/" },
        "testProgram": { "useTree": true }, "outputs": ["Demo.Out"], "steps": [)";
    for (int64_t step = 0; step < steps; ++step) {
        const std::string value = std::to_string(step % 100);
        text += std::string(step > 0 ? "," : "") + R"({ "set": { "Demo.In": { "value": )" + value +
                R"(, "change": false } }, "advance": 1, "command": "cycle",
                "expect": { "Demo.Out": { "value": )" +
                std::to_string(2 * (step % 100)) + " } } }";
    }
    return sim::parseScenario(text + "] }", std::string(EXAMPLES_DIR) + "/test-address-space",
                              "bench.json");
}

void BM_ScenarioCycleSteps(benchmark::State& state) {
    const sim::Scenario scenario = cycleScenario(state.range(0));
    for (auto _ : state) {
        const sim::RunResult result = sim::runScenario(scenario);
        if (result.exitCode() != sim::kExitPassed) {
            state.SkipWithError("the run did not pass");
            break;
        }
        benchmark::DoNotOptimize(result.rows.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScenarioCycleSteps)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
