// One cycle of the gas calculation program's process hook on the host tree of each layout: the
// tree access, the preprocessing pass with its commit and the calculation cycle (without a
// parameter reload). Fails when the steady-state cycle allocates.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "CalcBlock.h"
#include "HostFramework.h"
#include "HostTree.h"
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
        delete ProgramContext::myTaste;
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

void runCycles(benchmark::State& state, const char* taste) {
    CalorantSetUp program(taste);
    if (!program.ok) {
        state.SkipWithError("the program did not set up");
        return;
    }
    AllocationGuard guard;
    for (auto _ : state) {
        benchmark::DoNotOptimize(OnProcess(program.asInfo()));
    }
    guard.finish(state);
}

void BM_CalorantCycleDefault(benchmark::State& state) {
    runCycles(state, "Default");
}
void BM_CalorantCycleZM1(benchmark::State& state) {
    runCycles(state, "ZM1");
}
void BM_CalorantCycleBM1(benchmark::State& state) {
    runCycles(state, "BM1");
}
BENCHMARK(BM_CalorantCycleDefault);
BENCHMARK(BM_CalorantCycleZM1);
BENCHMARK(BM_CalorantCycleBM1);

}  // namespace
