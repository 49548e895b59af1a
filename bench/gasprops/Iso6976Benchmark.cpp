// Iso6976Properties of a 26-component analysis at a metric (ISO 6976) and an imperial (GPA 2172)
// reference-condition set.
#include <benchmark/benchmark.h>

#include <array>

#include "AllocationCounter.h"
#include "GasBenchSetup.h"
#include "Iso6976.h"

namespace {

void BM_Iso6976Properties(benchmark::State& state) {
    InitGasPropertiesOnce();
    const RefConditionSet set = static_cast<RefConditionSet>(state.range(0));
    std::array<double, kGasComponents> gas{};
    gas[0] = 88.0;
    gas[1] = 2.0;
    gas[2] = 1.5;
    gas[3] = 5.0;
    gas[4] = 2.0;
    gas[10] = 0.4;
    gas[11] = 0.4;
    gas[12] = 0.2;
    gas[13] = 0.2;
    gas[21] = 0.1;
    gas[22] = 0.1;
    gas[25] = 0.1;
    Iso6976Result result{};
    const double p = RefBasePressure(set);
    const double T = RefBaseTemperature(set);
    AllocationGuard guard;
    for (auto _ : state) {
        Iso6976Properties(result, gas.data(), p, T, 1.29, RefAirZ(set), set);
        benchmark::DoNotOptimize(result);
    }
    guard.finish(state);
}

// Argument: reference-condition set (9: ISO 6976:2016 at 15 degC, 14: GPA 2172 at 14.696 psia).
BENCHMARK(BM_Iso6976Properties)->ArgName("set")->Arg(9)->Arg(14);

}  // namespace
