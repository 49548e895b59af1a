// Cost of the tree calls a program cycle makes, and proof that they allocate nothing: the
// benchmarks' shared operator new counter runs around each timed loop.
#include <benchmark/benchmark.h>

#include <memory>

#include "AllocationCounter.h"
#include "FbDo/FbDoStorage.h"
#include "HostTree.h"

namespace {

const char* const kModel = R"json({"name": "Bench", "root": {"children": [
    {"name": "General", "children": [
        {"name": "Imp_Qn", "kind": "double", "value": 12.5},
        {"name": "Imp_zeroQn", "kind": "bool"},
        {"name": "TrigAvg_Hour", "kind": "trigger"},
        {"name": "PowerOn_Delay", "kind": "unsigned", "value": 3},
        {"name": "A_gen", "kind": "bool"}]},
    {"name": "Out", "kind": "double"},
    {"name": "Status", "kind": "word"},
    {"name": "Source", "kind": "double", "value": 4.0, "status": 128},
    {"name": "Imp", "kind": "import", "source": "Source"}]}})json";

// Runs `cycle` in the timed loop; any operator new call in it fails the benchmark.
template <typename Cycle>
void runWithoutAllocation(benchmark::State& state, Cycle cycle) {
    const AllocationGuard guard;
    for (auto _ : state) {
        cycle();
    }
    guard.finish(state);
}

void BM_ReadDoubleWithStatus(benchmark::State& state) {
    auto tree = host::HostTree::fromJson(kModel);
    FbDoNode input = tree->at("General.Imp_Qn");
    runWithoutAllocation(state, [&] {
        uint32_t status = 0;
        benchmark::DoNotOptimize(FbDo_ReadDoubleWithStatus(input, 0.0, nullptr, &status, 0));
        benchmark::DoNotOptimize(status);
    });
}
BENCHMARK(BM_ReadDoubleWithStatus);

void BM_ReadImport(benchmark::State& state) {
    auto tree = host::HostTree::fromJson(kModel);
    FbDoNode import = tree->at("Imp");
    runWithoutAllocation(state, [&] {
        uint32_t status = 0;
        benchmark::DoNotOptimize(FbDo_ReadDouble(import, 0.0, &status, 0));
    });
}
BENCHMARK(BM_ReadImport);

void BM_WriteDouble(benchmark::State& state) {
    auto tree = host::HostTree::fromJson(kModel);
    FbDoNode output = tree->at("Out");
    double value = 0.0;
    runWithoutAllocation(state, [&] {
        const uint32_t status = 0x80;
        value += 1.0;
        benchmark::DoNotOptimize(FbDo_WriteDouble(output, value, &status));
    });
}
BENCHMARK(BM_WriteDouble);

// A steady output: the value and status the node already holds, as most cycle writes are.
void BM_WriteHeldDouble(benchmark::State& state) {
    auto tree = host::HostTree::fromJson(kModel);
    FbDoNode output = tree->at("Out");
    runWithoutAllocation(state, [&] {
        const uint32_t status = 0x80;
        benchmark::DoNotOptimize(FbDo_WriteDouble(output, 12.5, &status));
    });
}
BENCHMARK(BM_WriteHeldDouble);

void BM_GetChildAndLeaves(benchmark::State& state) {
    auto tree = host::HostTree::fromJson(kModel);
    FbDoNode root = GetRootNodeOfTree(tree->tree());
    runWithoutAllocation(state, [&] {
        FbDoNode alarm = FbDo_GetChild(FbDo_GetChild(root, 0), 4);
        benchmark::DoNotOptimize(FbDo_GetLeaf(alarm, kFbDoLeafValue));
        benchmark::DoNotOptimize(FbDo_GetLeaf(alarm, kFbDoLeafStatus));
    });
}
BENCHMARK(BM_GetChildAndLeaves);

// One measurement's share of a cycle: in-use checks, reads with status, a trigger, an
// unsigned parameter, writes of value, bool and status word, inside the tree access.
void BM_MeasurementCycle(benchmark::State& state) {
    auto tree = host::HostTree::fromJson(kModel);
    FbDoTree* doTree = tree->tree();
    FbDoNode general = FbDo_GetChild(GetRootNodeOfTree(doTree), 0);
    FbDoNode qn = FbDo_GetChild(general, 0);
    FbDoNode zeroQn = FbDo_GetChild(general, 1);
    FbDoNode hour = FbDo_GetChild(general, 2);
    FbDoNode delay = FbDo_GetChild(general, 3);
    FbDoNode alarm = FbDo_GetChild(general, 4);
    FbDoNode out = tree->at("Out");
    FbDoNode word = tree->at("Status");
    FbDoNode import = tree->at("Imp");
    uint32_t hourState = 0;
    runWithoutAllocation(state, [&] {
        FbDo_BeginTreeAccess(doTree);
        uint32_t status = 0;
        const double value = FbDo_ReadDoubleWithStatus(import, 0.0, nullptr, &status, 0);
        double weight = 0.0;
        if (FbDo_IsInUse(qn) != 0) {
            weight = FbDo_ReadDouble(qn, 0.0, &status, 0);
        }
        uint32_t zero = 0;
        if (FbDo_IsInUse(zeroQn) != 0) {
            zero = FbDo_ReadBool(zeroQn, 0, FbDo_FindLeaf(zeroQn, kFbDoLeafValue),
                                 FbDo_FindLeaf(zeroQn, kFbDoLeafStatus), &status, 0);
        }
        uint32_t scratch = 0;
        const int fired = FbDo_TriggerFired(hour, &hourState, FbDo_FindLeaf(hour, kFbDoLeafValue),
                                            FbDo_FindLeaf(hour, kFbDoLeafStatus), &scratch);
        const uint32_t startUp = FbDo_ReadUint32(delay, 0, nullptr, 0);
        FbDo_WriteDouble(out, value * weight, &status);
        FbDo_WriteBool(alarm, zero, FbDo_GetLeaf(alarm, kFbDoLeafValue),
                       FbDo_GetLeaf(alarm, kFbDoLeafStatus), nullptr);
        FbDo_WriteLiveOutput(word, static_cast<uint32_t>(fired) + startUp, nullptr);
        FbDo_CommitPreprocessing(doTree);
        FbDo_EndTreeAccess(doTree);
    });
}
BENCHMARK(BM_MeasurementCycle);

}  // namespace
