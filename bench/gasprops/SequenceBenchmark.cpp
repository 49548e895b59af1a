// Cost per compression factor of every AGA8 DETAIL entry and the 12-component calculator over
// three fixed 420-call sequences on twelve natural gases:
//   A  a new composition every call (the gases in turn, each call at a new p and T)
//   B  a new p and T every call, 35 calls per gas
//   C  a new p only, 35 calls per gas at the gas's own temperature
// One iteration runs the whole sequence; "per_Z" is the time of one call. The 1994-structure
// entry solves its base state (1.01325 bar, 288.15 K) only when the gas changes. Every sequence
// runs under the allocation guard.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "Aga8Calculator12.h"
#include "Aga8Detail.h"
#include "Aga8Detail1994.h"
#include "AllocationCounter.h"
#include "GasBenchSetup.h"

namespace {

constexpr int kGases = 12;
constexpr int kStates = 35;
constexpr int kCalls = kGases * kStates;  // 420
constexpr double kBasePressure = 1.01325;
constexpr double kBaseTemperature = 288.15;

using Gas = std::array<double, Aga8Calculator12::kCompositionSize>;  // mol-%, first 21 AGA8

// Twelve natural gases (mol-%, AGA8 order: CH4, N2, CO2, C2H6, C3H8, H2O, H2S, H2, CO, O2, iC4,
// nC4, iC5, nC5, C6, C7, C8, C9, C10, He, Ar), from lean to rich, normalised to 100 at set-up.
constexpr double kGasList[kGases][kAga8Components] = {
    {96.5, 0.3, 0.6, 1.8, 0.45, 0, 0, 0, 0, 0, 0.1, 0.1, 0.05, 0.03, 0.07},
    {90.672, 3.13, 0.468, 4.524, 0.828, 0, 0, 0, 0, 0, 0.104, 0.156, 0.0321, 0.0442, 0.0393},
    {85.9063, 1.0068, 1.4954, 8.4919, 2.3015, 0, 0, 0, 0, 0, 0.3486, 0.3506, 0.0509, 0.048, 0.0},
    {81.441, 13.465, 0.985, 3.3, 0.605, 0, 0, 0, 0, 0, 0.1, 0.104},
    {81.212, 5.702, 7.585, 4.303, 0.895, 0, 0, 0, 0, 0, 0.151, 0.152},
    {79.5, 0.5, 1.0, 12.0, 5.0, 0, 0, 0, 0, 0, 0.8, 0.8, 0.2, 0.15, 0.05},
    {88.0, 2.0, 2.0, 5.0, 1.5, 0, 0, 9.5, 0.5, 0, 0.2, 0.2, 0.05, 0.05},
    {93.0, 1.5,  0.8,  3.5,  0.7,  0.005, 0.01,  0,     0,    0.02, 0.12,
     0.13, 0.05, 0.04, 0.05, 0.02, 0.005, 0.002, 0.001, 0.03, 0.01},
    {77.824, 2.0,  6.0,   8.0,   3.0,   0.01,  0.25,  0.4,   0.2, 0.5, 0.15,
     0.3,    0.05, 0.165, 0.215, 0.088, 0.024, 0.015, 0.009, 0.7, 0.1},
    {98.2, 1.1, 0.2, 0.4, 0.1},
    {86.0, 8.0, 3.0, 2.5, 0.4, 0, 0, 0, 0, 0, 0.05, 0.05},
    {83.5, 0.8, 4.5, 7.0, 2.8, 0, 0.05, 0, 0, 0, 0.5, 0.6, 0.15, 0.1},
};

struct Condition {
    double p;  // bar
    double T;  // K
};

// 35 states of a transmission line, 12 to 114 bar and 263 to 331 K.
std::array<Condition, kStates> MakeStates() {
    std::array<Condition, kStates> states{};
    for (int k = 0; k < kStates; ++k) {
        states[k] = {12.0 + 3.0 * k, 263.0 + 2.0 * ((k * 13) % kStates)};
    }
    return states;
}

// One call of a sequence: the gas and the state.
struct Call {
    const Gas* gas;
    Condition state;
};

struct Sequences {
    std::array<Gas, kGases> gases{};
    std::array<Call, kCalls> newComposition{};
    std::array<Call, kCalls> newPressureAndTemperature{};
    std::array<Call, kCalls> newPressure{};

    Sequences() {
        InitGasPropertiesOnce();
        for (int g = 0; g < kGases; ++g) {
            double sum = 0.0;
            for (const double v : kGasList[g]) {
                sum += v;
            }
            for (int i = 0; i < kAga8Components; ++i) {
                gases[g][i] = kGasList[g][i] * 100.0 / sum;
            }
        }
        const std::array<Condition, kStates> states = MakeStates();
        for (int i = 0; i < kCalls; ++i) {
            const int g = i / kStates;
            const int s = i % kStates;
            newComposition[i] = {&gases[i % kGases], states[s]};
            newPressureAndTemperature[i] = {&gases[g], states[s]};
            newPressure[i] = {&gases[g], {states[s].p, 268.0 + 5.0 * g}};
        }
    }
    const std::array<Call, kCalls>& pick(int64_t sequence) const {
        return sequence == 0 ? newComposition
                             : (sequence == 1 ? newPressureAndTemperature : newPressure);
    }
};

const Sequences& TheSequences() {
    static const Sequences sequences;
    return sequences;
}

// Runs the chosen sequence (argument 0: A, 1: B, 2: C) once per iteration through `solve`, which
// returns its result: a failed call (a result of exactly 1.0 or not above zero) fails the
// benchmark, as it would measure a failure path.
template <typename Solve>
void RunSequence(benchmark::State& state, Solve solve) {
    const std::array<Call, kCalls>& calls = TheSequences().pick(state.range(0));
    int failures = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        for (const Call& call : calls) {
            const double result = solve(*call.gas, call.state);
            failures += (result > 0.0 && result != 1.0) ? 0 : 1;
            benchmark::DoNotOptimize(result);
        }
    }
    guard.finish(state);
    if (failures != 0) {
        state.SkipWithError("a call of the sequence failed");
    }
    state.counters["per_Z"] = benchmark::Counter(
        kCalls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Aga8ZDensity(benchmark::State& state, uint8_t mode) {
    auto site = std::make_unique<Aga8State>();
    Aga8RangeFlags flags{};
    RunSequence(state, [&](const Gas& gas, const Condition& c) {
        double Z = 0.0;
        Aga8ZDensity(*site, c.p, c.T, gas.data(), &Z, flags, 0, mode, nullptr);
        return Z;
    });
}

void BM_Aga8Detail1994Z(benchmark::State& state) {
    auto data = std::make_unique<Aga8Detail1994Data>();
    RunSequence(state, [&](const Gas& gas, const Condition& c) {
        if (aga8detail1994::StoreInputs(*data, kBasePressure, kBaseTemperature, c.p, c.T,
                                        gas.data())) {
            aga8detail1994::Aga8Detail1994Solve(*data);
        }
        return data->result.Zf;
    });
}

void BM_Aga8Detail1994Props(benchmark::State& state) {
    auto data = std::make_unique<Aga8Detail1994Data>();
    RunSequence(state, [&](const Gas& gas, const Condition& c) {
        Aga8Detail1994Props(*data, kBasePressure, kBaseTemperature, c.p, c.T, gas.data());
        return data->result.w;
    });
}

void BM_Aga8Calculator12(benchmark::State& state) {
    auto calculator = std::make_unique<Aga8Calculator12>();
    RunSequence(state, [&](const Gas& gas, const Condition& c) {
        calculator->setComposition(gas.data());
        double Z = 0.0;
        calculator->solveDensity(c.p, c.T, Z);
        return Z;
    });
}

// Argument: the sequence (0 A new composition, 1 B new p and T, 2 C new p only).
BENCHMARK_CAPTURE(BM_Aga8ZDensity, mode0, kAga8SolveBracketed)
    ->ArgName("sequence")
    ->DenseRange(0, 2);
BENCHMARK_CAPTURE(BM_Aga8ZDensity, mode1, kAga8SolveNewton)->ArgName("sequence")->DenseRange(0, 2);
BENCHMARK(BM_Aga8Detail1994Z)->ArgName("sequence")->DenseRange(0, 2);
BENCHMARK(BM_Aga8Detail1994Props)->ArgName("sequence")->DenseRange(0, 2);
BENCHMARK(BM_Aga8Calculator12)->ArgName("sequence")->DenseRange(0, 2);

}  // namespace
