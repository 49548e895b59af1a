// One whole cycle of Vesk-Prog as its process hook runs it (parameter check, tree access, the
// preprocessing, the sulfur, dew-point and oxygen groups, the collective outputs) on a demo
// tree with two oxygen sensors, with the proof that the steady-state cycle allocates nothing at
// every trace level from none to the scenario runner's default (6).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "HostFramework.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "Tarvo.h"
#include "Veskmain.h"

namespace {

// Demo values: every input usable and inside its limits, a flow, two oxygen sensors.
void setDemoValues(host::HostTree& tree) {
    tree.setDouble("General.Imp_Qn", 1500.0);
    tree.setUnsigned("General.PowerOn_Delay", 3);
    tree.setUnsigned("General.StartUp_Delay", 1);
    double value = 1.0;
    for (const char* q : {"Merc", "HC", "TS", "H2S", "COS", "MM", "EM"}) {
        tree.setDouble(std::string("Sulfur.Imp_") + q, value);
        tree.setDouble(std::string("Sulfur.UWL_") + q, 50.0);
        tree.setDouble(std::string("Sulfur.UAL_") + q, 80.0);
        value += 0.5;
    }
    for (const char* q : {"tdps", "tdps2", "tdps3", "pdps", "pdps2", "pdps3", "twdp", "twdp2",
                          "twdp3", "hwdp", "hwdp2", "hwdp3", "hcdtp", "thdp"}) {
        tree.setDouble(std::string("DPs.Imp_") + q, -8.0);
        tree.setDouble(std::string("DPs.UAL_") + q, 40.0);
    }
    for (const char* q : {"tdps", "tdps2", "tdps3", "pdps", "pdps2", "pdps3", "hcdtp"}) {
        tree.setDouble(std::string("DPs.LAL_") + q, -30.0);
    }
    tree.setSelectedChoice("Oxygen", 1);
    tree.setDouble("Oxygen.SNo2.Imp_O2M", 0.4);
    tree.setDouble("Oxygen.SNo2.Imp_O2S", 0.5);
    tree.setDouble("Oxygen.SNo2.UWL_O2", 2.0);
    tree.setDouble("Oxygen.SNo2.UAL_O2", 3.0);
    tree.setDouble("Oxygen.SNo2.LTP_O2", 365.0);
    tree.setDouble("Oxygen.SNo2.LWL_LT", 30.0);
    tree.setDouble("Oxygen.SNo2.LT_O2dM", 200.0);
    tree.setDouble("Oxygen.SNo2.LT_O2dS", 180.0);
}

// The cycle with trace points up to level state.range(0) enabled.
void BM_VeskCycle(benchmark::State& state) {
    host::setTraceLevel(static_cast<uint32_t>(state.range(0)));
    auto tree = host::HostTree::fromFile(VESK_MODEL_FILE);
    setDemoValues(*tree);
    static AsInfo block{};
    if (Sysmanlib_AsInfo_GetCurrent() == nullptr) {
        Sysmanlib_AsInfo_Register(&block);
    }
    AsInfo* pAsInfo = Sysmanlib_AsInfo_GetCurrent();
    pAsInfo->pTheTree = tree->tree();
    host::setInstanceIndex(99);
    if (OnFbDO(pAsInfo) != 0 || OnCreate(pAsInfo) != 0 || OnStart(pAsInfo) != 0) {
        state.SkipWithError("Vesk-Prog did not start");
        return;
    }
    for (int cycle = 0; cycle < 10; ++cycle) {  // past the start-up phases
        OnProcess(pAsInfo);
    }

    AllocationGuard allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(OnProcess(pAsInfo));
    }
    allocations.finish(state);
    benchmark::DoNotOptimize(tree->boolValue("General.A_gen"));
    host::resetTraceSettings();
}
BENCHMARK(BM_VeskCycle)->Arg(0)->Arg(3)->Arg(6)->Arg(15);

}  // namespace
