// One cycle of the gas calculation program's process hook on the host tree of each layout: the
// tree access, the preprocessing pass with its commit and the calculation cycle (without a
// parameter reload): every step from the base properties to the messages, at the default trace
// level, the scenario runner's (6) and with every point enabled. Fails when the steady-state
// cycle allocates.
//
// Two input patterns: a steady line (the AGA8 caches answer every evaluation), and a live
// measuring pressure that changes every cycle, so that the measuring state is solved anew.
// Beside them, the gas-property calls of one live calculation cycle alone, as the cycle makes
// them in each layout (the same calls with the same arguments, the 12-component calculator's
// density solve included, without the steps, the tree and the messages); the calculation-cycle
// benchmarks report their time per cycle against it ("numerics_ns" and "ratio").
#include <benchmark/benchmark.h>

#include <chrono>

#include "AllocationCounter.h"
#include "CalcCycle.h"
#include "CalorantBenchSupport.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "ProgramContext.h"
#include "ProgramHooks.h"
#include "Taste.h"

namespace {

using calorant_bench::CalorantSetUp;
using calorant_bench::kLivePressures;
using calorant_bench::runCycleNumerics;

// Whole cycles with trace points up to level state.range(0) enabled.
void runCycles(benchmark::State& state, const char* taste, bool livePressure) {
    CalorantSetUp program(taste);
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
    host::setTraceLevel(static_cast<uint32_t>(state.range(0)));
    host::HostTree* tree = host::addressSpaceTree();
    const FbDoNode level1 = tree->at("Lines.L1_1");
    const FbDoNode level2 = tree->at("Lines.L1_2");
    size_t turn = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        if (livePressure) {
            const double p = kLivePressures[++turn % 2];
            FbDo_WriteDouble(level1, p, nullptr);
            FbDo_WriteDouble(level2, p, nullptr);
        }
        benchmark::DoNotOptimize(OnProcess(program.asInfo()));
    }
    guard.finish(state);
    host::resetTraceSettings();
}

// Nanoseconds since `start`.
double nanosecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
        .count();
}

// The calculation cycle alone (no tree access, no preprocessing pass) with a live measuring
// pressure written to the pressure line's output; then as many runs of the cycle's gas-property
// calls with the same pressures, timed against the cycles.
void runCalcCycles(benchmark::State& state, const char* taste) {
    CalorantSetUp program(taste);
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
    const FbDoNode pressure = host::addressSpaceTree()->at("PP.PP_1.Out");
    size_t turn = 0;
    AllocationGuard guard;
    const auto cyclesStart = std::chrono::steady_clock::now();
    for (auto _ : state) {
        FbDo_WriteDouble(pressure, kLivePressures[++turn % 2], nullptr);
        RunCalcCycle();
    }
    const double cycleNs = nanosecondsSince(cyclesStart);
    const Taste& layout = *ProgramContext::myTaste.Load();
    const auto numericsStart = std::chrono::steady_clock::now();
    for (benchmark::IterationCount i = 0; i < state.iterations(); ++i) {
        runCycleNumerics(layout, kLivePressures[++turn % 2]);
    }
    const double numericsNs = nanosecondsSince(numericsStart);
    guard.finish(state);
    const double cycles = static_cast<double>(state.iterations());
    state.counters["numerics_ns"] = numericsNs / cycles;
    state.counters["ratio"] = numericsNs > 0.0 ? cycleNs / numericsNs : 0.0;
}
void BM_CalorantCalcCycleDefault(benchmark::State& state) {
    runCalcCycles(state, "Default");
}
void BM_CalorantCalcCycleZM1(benchmark::State& state) {
    runCalcCycles(state, "ZM1");
}
void BM_CalorantCalcCycleBM1(benchmark::State& state) {
    runCalcCycles(state, "BM1");
}
BENCHMARK(BM_CalorantCalcCycleDefault);
BENCHMARK(BM_CalorantCalcCycleZM1);
BENCHMARK(BM_CalorantCalcCycleBM1);

// The gas-property calls of one live calculation cycle alone, per layout.
void runNumerics(benchmark::State& state, const char* taste) {
    CalorantSetUp program(taste);
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
    const Taste& layout = *ProgramContext::myTaste.Load();
    size_t turn = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        runCycleNumerics(layout, kLivePressures[++turn % 2]);
    }
    guard.finish(state);
}
void BM_CalorantCycleNumericsDefault(benchmark::State& state) {
    runNumerics(state, "Default");
}
void BM_CalorantCycleNumericsZM1(benchmark::State& state) {
    runNumerics(state, "ZM1");
}
void BM_CalorantCycleNumericsBM1(benchmark::State& state) {
    runNumerics(state, "BM1");
}
BENCHMARK(BM_CalorantCycleNumericsDefault);
BENCHMARK(BM_CalorantCycleNumericsZM1);
BENCHMARK(BM_CalorantCycleNumericsBM1);

void BM_CalorantCycleDefault(benchmark::State& state) {
    runCycles(state, "Default", false);
}
void BM_CalorantCycleZM1(benchmark::State& state) {
    runCycles(state, "ZM1", false);
}
void BM_CalorantCycleBM1(benchmark::State& state) {
    runCycles(state, "BM1", false);
}
void BM_CalorantLiveCycleDefault(benchmark::State& state) {
    runCycles(state, "Default", true);
}
void BM_CalorantLiveCycleZM1(benchmark::State& state) {
    runCycles(state, "ZM1", true);
}
void BM_CalorantLiveCycleBM1(benchmark::State& state) {
    runCycles(state, "BM1", true);
}
BENCHMARK(BM_CalorantCycleDefault)->Arg(3)->Arg(6)->Arg(15);
BENCHMARK(BM_CalorantCycleZM1)->Arg(3)->Arg(6)->Arg(15);
BENCHMARK(BM_CalorantCycleBM1)->Arg(3)->Arg(6)->Arg(15);
BENCHMARK(BM_CalorantLiveCycleDefault)->Arg(3)->Arg(6)->Arg(15);
BENCHMARK(BM_CalorantLiveCycleZM1)->Arg(3)->Arg(6)->Arg(15);
BENCHMARK(BM_CalorantLiveCycleBM1)->Arg(3)->Arg(6)->Arg(15);

}  // namespace
