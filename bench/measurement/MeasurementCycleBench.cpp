// One cycle of a dew-point measurement host (SimpleInput, Average<UpperAlarm>) over the host
// tree, with the proof that the steady-state cycle allocates nothing (operator new calls are
// counted while the timed loop runs).
#include <benchmark/benchmark.h>

#include <memory>

#include "AlarmParts.h"
#include "AllocationCounter.h"
#include "Average.h"
#include "HostTree.h"
#include "InputParts.h"
#include "MeasurementHost.h"

namespace {

using DewPointHost = MeasurementHost<SimpleInput, Average<UpperAlarm>>;

void BM_DewPointCycle(benchmark::State& state) {
    auto tree = host::HostTree::fromFile(VESK_MODEL_FILE);
    auto node = [&](const char* path) { return tree->at(path); };
    tree->setDouble("DPs.Imp_twdp", -12.5);
    tree->setDouble("DPs.UAL_twdp", -5.0);
    tree->setDouble("General.Imp_Qn", 1500.0);
    UnsignedParameter powerOnDelay(node("General.PowerOn_Delay"), 0);
    SimpleInput input(node("DPs.Imp_twdp"), node("DPs.CV_twdp"), powerOnDelay);
    UpperAlarm alarm(DoubleParameter(node("DPs.UAL_twdp"), 0.0), node("DPs.UA_twdp"),
                     UnsignedParameter(node("General.StartUp_Delay"), 0),
                     node("General.Imp_zeroQn"));
    const AverageNodes nodes{node("General.Imp_Qn"), node("General.Imp_zeroQn"),
                             node("DPs.ChA_twdp"),   node("DPs.CdA_twdp"),
                             node("DPs.LhA_twdp"),   node("DPs.LdA_twdp")};
    Average<UpperAlarm> average("DP_WaterDPTemp", alarm, nodes, powerOnDelay);
    DewPointHost measurement(input, average);
    bool flags[6] = {};

    AllocationGuard allocations;
    for (auto _ : state) {
        measurement.process(PeriodEnds(), &flags[0], &flags[1], &flags[2], &flags[3], &flags[4],
                            &flags[5]);
        measurement.publishClosedPeriods();
        benchmark::DoNotOptimize(flags);
    }
    allocations.finish(state);
}
BENCHMARK(BM_DewPointCycle);

}  // namespace
