// Aga8ZDensity per call in both solve modes: a new composition every call, new p and T every
// call, a new p only, and an unchanged state (cache hit).
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "Aga8Detail.h"
#include "AllocationCounter.h"
#include "GasBenchSetup.h"

namespace {

constexpr int kVariants = 64;
using Composition = std::array<double, kAga8Components>;

// A pipeline gas with eleven components, varied slightly per index.
Composition PipelineGas(int variant) {
    Composition gas{};
    const double shift = 0.01 * variant;
    gas[0] = 89.0 - shift;
    gas[1] = 3.0;
    gas[2] = 1.5;
    gas[3] = 4.5 + shift;
    gas[4] = 1.2;
    gas[10] = 0.2;
    gas[11] = 0.3;
    gas[12] = 0.1;
    gas[13] = 0.1;
    gas[14] = 0.05;
    gas[19] = 0.05;
    return gas;
}

struct Condition {
    double p;  // bar
    double T;  // K
};

struct Aga8Bench {
    Aga8Bench() {
        InitGasPropertiesOnce();
        for (int k = 0; k < kVariants; ++k) {
            gases[k] = PipelineGas(k);
            conditions[k] = {40.0 + 0.5 * k, 275.0 + 0.25 * k};
        }
    }
    Aga8State state{};
    Aga8RangeFlags flags{};
    std::array<Composition, kVariants> gases{};
    std::array<Condition, kVariants> conditions{};
};

uint8_t Mode(const benchmark::State& state) {
    return static_cast<uint8_t>(state.range(0));
}

void BM_Aga8ZDensity_NewComposition(benchmark::State& state) {
    Aga8Bench b;
    double z = 0.0;
    int k = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        Aga8ZDensity(b.state, 50.0, 285.0, b.gases[k].data(), &z, b.flags, 0, Mode(state), nullptr);
        benchmark::DoNotOptimize(z);
        k = (k + 1) % kVariants;
    }
    guard.finish(state);
}

void BM_Aga8ZDensity_NewPressureAndTemperature(benchmark::State& state) {
    Aga8Bench b;
    double z = 0.0;
    int k = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        const Condition& c = b.conditions[k];
        Aga8ZDensity(b.state, c.p, c.T, b.gases[0].data(), &z, b.flags, 0, Mode(state), nullptr);
        benchmark::DoNotOptimize(z);
        k = (k + 1) % kVariants;
    }
    guard.finish(state);
}

void BM_Aga8ZDensity_NewPressure(benchmark::State& state) {
    Aga8Bench b;
    double z = 0.0;
    int k = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        Aga8ZDensity(b.state, b.conditions[k].p, 285.0, b.gases[0].data(), &z, b.flags, 0,
                     Mode(state), nullptr);
        benchmark::DoNotOptimize(z);
        k = (k + 1) % kVariants;
    }
    guard.finish(state);
}

void BM_Aga8ZDensity_Unchanged(benchmark::State& state) {
    Aga8Bench b;
    double z = 0.0;
    AllocationGuard guard;
    for (auto _ : state) {
        Aga8ZDensity(b.state, 50.0, 285.0, b.gases[0].data(), &z, b.flags, 0, Mode(state), nullptr);
        benchmark::DoNotOptimize(z);
    }
    guard.finish(state);
}

// Argument: solve mode (0 bracketing, 1 Newton).
BENCHMARK(BM_Aga8ZDensity_NewComposition)->ArgName("mode")->Arg(0)->Arg(1);
BENCHMARK(BM_Aga8ZDensity_NewPressureAndTemperature)->ArgName("mode")->Arg(0)->Arg(1);
BENCHMARK(BM_Aga8ZDensity_NewPressure)->ArgName("mode")->Arg(0)->Arg(1);
BENCHMARK(BM_Aga8ZDensity_Unchanged)->ArgName("mode")->Arg(0)->Arg(1);

}  // namespace
