// One cycle of the gas calculation program's process hook on the host tree of each layout: the
// tree access, the preprocessing pass with its commit and the calculation cycle (without a
// parameter reload): every step from the base properties to the messages. Fails when the
// steady-state cycle allocates.
//
// Two input patterns: a steady line (the AGA8 caches answer every evaluation), and a live
// measuring pressure that changes every cycle, so that the measuring state is solved anew.
// Beside them, the compressibility and property evaluations of one live cycle alone (the same
// calls with the same arguments, without the shell, the tree and the messages).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "CalcBlock.h"
#include "CalcCycle.h"
#include "HostFramework.h"
#include "HostTree.h"
#include "Iso6976.h"
#include "MethodSelection.h"
#include "ProgramContext.h"
#include "ProgramHooks.h"
#include "Tarvo.h"
#include "Taste.h"

namespace {

// The program set up on the layout of `taste` as the hooks leave it after RUN.
class CalorantSetUp {
  public:
    explicit CalorantSetUp(const std::string& taste) {
        host::resetFramework();
        ClearCalcBlock();
        ProgramContext::Clear();
        Sysmanlib_AsInfo_Register(myAsInfo.get());
        host::setTreeModelFile(std::string(CALORANT_MODEL_DIR) + "/Calorant" + taste + ".json");
        host::setTasteName(taste);
        ok = OnInitialize(myAsInfo.get()) == 0 && OnFbDO(myAsInfo.get()) == 0 &&
             OnTasteSetup(myAsInfo.get()) == 0 && OnRun(myAsInfo.get()) == 0 &&
             OnProcess(myAsInfo.get()) == 0;  // the first cycle reloads
    }
    ~CalorantSetUp() {
        delete ProgramContext::myTaste.Load();
        delete calcBlock.aga8Calculator12;
        ProgramContext::Clear();
        ClearCalcBlock();
        host::dropAddressSpaceTree();
        host::setTreeModelJson("");
        host::resetFramework();
    }
    CalorantSetUp(const CalorantSetUp&) = delete;
    CalorantSetUp& operator=(const CalorantSetUp&) = delete;

    AsInfo* asInfo() { return myAsInfo.get(); }
    bool ok = false;

  private:
    std::unique_ptr<AsInfo> myAsInfo = std::make_unique<AsInfo>();
};

// The measuring pressures of a live line: two values taken in turn (bar).
constexpr double kLivePressures[2] = {50.0, 50.5};

void runCycles(benchmark::State& state, const char* taste, bool livePressure) {
    CalorantSetUp program(taste);
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
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
}

// The calculation cycle alone (no tree access, no preprocessing pass) with a live measuring
// pressure written to the pressure line's output.
void runCalcCycles(benchmark::State& state, const char* taste) {
    CalorantSetUp program(taste);
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
    const FbDoNode pressure = host::addressSpaceTree()->at("PP.PP_1.Out");
    size_t turn = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        FbDo_WriteDouble(pressure, kLivePressures[++turn % 2], nullptr);
        RunCalcCycle();
    }
    guard.finish(state);
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

// The evaluations of one live cycle of the Default layout with its model's methods (DETAIL at
// the measuring state and both base states, both DETAIL modes at the source conditions, the
// ISO 6976 properties, the 12-component calculator's load and solve).
void BM_CalorantCycleNumerics(benchmark::State& state) {
    CalorantSetUp program("Default");
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
    const double* composition = calcBlock.composition.normalised.value;
    BaseConditionRecord& source = calcBlock.baseConditions.source;
    BaseConditionRecord& result = calcBlock.baseConditions.result;
    BaseConditionRecord& optional = calcBlock.baseConditions.optionalBase;
    Aga8ResultRecords& aga8 = calcBlock.aga8Results;
    const double T = calcBlock.conversion.input.TWork;
    Iso6976Result iso = {};
    size_t turn = 0;
    AllocationGuard guard;
    for (auto _ : state) {
        const double p = kLivePressures[++turn % 2];
        Iso6976Properties(iso, composition, source.basePressure, source.baseTemperature,
                          source.airDensity, source.airZ, static_cast<RefConditionSet>(source.set));
        for (int mode = 0; mode < 2; ++mode) {
            Aga8ZDensity(aga8.state[mode], source.basePressure, source.baseTemperature,
                         aga8.composition, &aga8.mode[mode].z, calcBlock.aga8RangeFlags, 0,
                         static_cast<uint8_t>(mode), nullptr);
        }
        calcBlock.aga8Calculator12->update(composition, source.basePressure, source.baseTemperature,
                                           nullptr, 0);
        benchmark::DoNotOptimize(CalcZmByMeasMethod(p, T, calcBlock.conversion.meas.zResult));
        benchmark::DoNotOptimize(CalcZByCalcMethod(result.basePressure, result.baseTemperature,
                                                   calcBlock.conversion.state[0].zResult, &result));
        benchmark::DoNotOptimize(CalcZByCalcMethod(optional.basePressure, optional.baseTemperature,
                                                   calcBlock.conversion.state[1].zResult,
                                                   &optional));
    }
    guard.finish(state);
}
BENCHMARK(BM_CalorantCycleNumerics);

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
BENCHMARK(BM_CalorantCycleDefault);
BENCHMARK(BM_CalorantCycleZM1);
BENCHMARK(BM_CalorantCycleBM1);
BENCHMARK(BM_CalorantLiveCycleDefault);
BENCHMARK(BM_CalorantLiveCycleZM1);
BENCHMARK(BM_CalorantLiveCycleBM1);

}  // namespace
