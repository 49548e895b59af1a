// Per-call cost of the alternative compressibility methods: SGERG-88 (three forms), AGA NX-19
// (three variants), AGA8 DETAIL in the 1994 report structure with the AGA Report No. 10 values,
// and the 12-component AGA8 calculator. Every call gets a new pressure and temperature; the gas
// stays the same, as within a run of the calculation program. The allocation guard proves that
// the measured calls make no heap allocation.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "Aga8Calculator12.h"
#include "Aga8Detail1994.h"
#include "AllocationCounter.h"
#include "Nx19.h"
#include "Sgerg88Checked.h"
#include "Sgerg88SecondForm.h"
#include "Sgerg88Variant.h"

namespace {

constexpr int kConditions = 64;

struct Condition {
    double p;  // bar
    double T;  // K
};

// 64 pipeline states between 20 and 84 bar and 265 and 313 K.
std::array<Condition, kConditions> MakeConditions() {
    std::array<Condition, kConditions> conditions{};
    for (int k = 0; k < kConditions; ++k) {
        conditions[k] = {20.0 + 1.0 * k, 265.0 + 0.75 * k};
    }
    return conditions;
}

const std::array<Condition, kConditions> kStates = MakeConditions();

// Runs `call(p, T)` on a new state every iteration and checks for allocations.
template <typename Call>
void RunPerState(benchmark::State& state, Call call) {
    int k = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        const Condition& c = kStates[k];
        benchmark::DoNotOptimize(call(c.p, c.T));
        k = (k + 1) % kConditions;
    }
    guard.finish(state);
}

void BM_SgergZVariant(benchmark::State& state) {
    const int variant = static_cast<int>(state.range(0));
    RunPerState(state, [variant](double p, double T) {
        double Z = 0.0;
        SgergZVariant(variant, 40.66, 0.581, 0.6, 0.9, 0.0, p, T, &Z, 0, 1);
        return Z;
    });
}
BENCHMARK(BM_SgergZVariant)->DenseRange(0, 4);

void BM_SgergZ(benchmark::State& state) {
    RunPerState(state, [](double p, double T) {
        const double rho = 0.79, CO2 = 0.6, N2 = 0.9;
        double Z = 0.0;
        SgergZ(&rho, &CO2, &N2, &p, &T, &Z);
        return Z;
    });
}
BENCHMARK(BM_SgergZ);

void BM_SgergZChecked(benchmark::State& state) {
    const auto wide = static_cast<uint8_t>(state.range(0));
    RunPerState(state, [wide](double p, double T) {
        double Z = 0.0;
        SgergZChecked(40.66, 0.581, 0.6, 0.0, p, T, &Z, wide, 1);
        return Z;
    });
}
BENCHMARK(BM_SgergZChecked)->Arg(0)->Arg(1);

void BM_Nx19Z(benchmark::State& state) {
    RunPerState(state, [](double p, double T) {
        double Z = 0.0;
        Nx19Z(0.581, 0.6, 0.9, p, T, &Z);
        return Z;
    });
}
BENCHMARK(BM_Nx19Z);

void BM_Nx19VariantZ(benchmark::State& state) {
    RunPerState(state, [](double p, double T) {
        double Z = 0.0;
        Nx19VariantZ(0.79, 0.6, 0.9, p, T, &Z);
        return Z;
    });
}
BENCHMARK(BM_Nx19VariantZ);

void BM_Nx19ModZ(benchmark::State& state) {
    RunPerState(state, [](double p, double T) {
        double Z = 0.0;
        uint8_t tWide = 0, pFlag = 0, tNarrow = 0;
        Nx19ModZ(45.0, 0.62, 0.6, 0.9, p, T, &Z, &tWide, &pFlag, &tNarrow, 1);
        return Z;
    });
}
BENCHMARK(BM_Nx19ModZ);

// The 21-component example gas of AGA Report No. 8 (mol-%).
constexpr double kExampleGas[21] = {77.824, 2.0,   6.0,   8.0,   3.0,   0.01, 0.25,
                                    0.4,    0.2,   0.5,   0.15,  0.3,   0.05, 0.165,
                                    0.215,  0.088, 0.024, 0.015, 0.009, 0.7,  0.1};

// Base state cached, flowing state solved and its AGA Report No. 10 values every call.
void BM_Aga8Detail1994Props(benchmark::State& state) {
    auto data = std::make_unique<Aga8Detail1994Data>();
    Aga8Detail1994Init(*data);
    Aga8Detail1994Props(*data, 1.01325, 273.15, 50.0, 290.0, kExampleGas);
    RunPerState(state, [&data](double p, double T) {
        Aga8Detail1994Props(*data, 1.01325, 273.15, p, T, kExampleGas);
        return data->result.w;
    });
}
BENCHMARK(BM_Aga8Detail1994Props);

// The calculator's gas: the example gas reduced to its twelve components.
std::unique_ptr<Aga8Calculator12> MakeCalculator() {
    auto calc = std::make_unique<Aga8Calculator12>();
    double composition[Aga8Calculator12::kCompositionSize] = {};
    for (int i = 0; i < 21; ++i) {
        composition[i] = kExampleGas[i];
    }
    calc->setComposition(composition);
    return calc;
}

void BM_Aga8Calculator12SolveDensity(benchmark::State& state) {
    auto calc = MakeCalculator();
    RunPerState(state, [&calc](double p, double T) {
        double Z = 0.0;
        calc->solveDensity(p, T, Z);
        return Z;
    });
}
BENCHMARK(BM_Aga8Calculator12SolveDensity);

void BM_Aga8Calculator12Properties(benchmark::State& state) {
    auto calc = MakeCalculator();
    RunPerState(state, [&calc](double p, double T) {
        double Z = 0.0, D = 0.0, derivative = 0.0, kappa = 0.0, w = 0.0;
        calc->solveDensity(p, T, Z);
        calc->getResults(D, derivative);
        calc->properties(T, Z, D, derivative, kappa, w);
        return w;
    });
}
BENCHMARK(BM_Aga8Calculator12Properties);

}  // namespace
