// One program cycle through the system-manager client: the simulated system manager sends the
// cycle trigger (command 40, sub-code 1), the command loop runs the process hook, reports the
// trigger processed and done, and waits for the next command. Measures the round trip and
// counts the heap allocations the address space's initial task makes per cycle (expected: 0).
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "AllocationCounter.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "TestAddressSpace.h"
#include "libSysman.h"

namespace {

std::atomic<uint64_t> allocationsAtProcess{0};
std::atomic<uint64_t> processCalls{0};

// The process hook notes how many allocations its task has made so far.
int countingProcess(AsInfo*) {
    allocationsAtProcess = allocationsOfThisThread();
    ++processCalls;
    return 0;
}

SysManHookTable cycleHooks() {
    SysManHookTable hooks = sim::testHooks();
    hooks.onProcess = countingProcess;
    return hooks;
}

void BM_CycleTrigger(benchmark::State& state) {
    host::resetKernel();
    host::resetFramework();
    host::useVirtualTime();
    sim::configureTestAddressSpace({});
    static const SysManHookTable hooks = cycleHooks();
    auto display = std::make_unique<sim::DisplayService>();
    auto manager = std::make_unique<sim::SystemManager>(sim::SystemManagerOptions{});
    manager->watchTask(
        host::spawnTask("BenchAS", [] { SysManStartWithHooks(&hooks, sim::testStartTable()); }));
    if (!manager->awaitRegistration() || !manager->startUp() || !manager->run() ||
        !manager->trigger(40, 1)) {
        state.SkipWithError("the address space did not start");
        return;
    }
    const uint64_t firstCount = allocationsAtProcess;
    const uint64_t firstCall = processCalls;
    for (auto _ : state) {
        manager->trigger(40, 1);
        if (processCalls % 4096 == 0) {
            manager->clearEvents();
        }
    }
    const uint64_t cycles = processCalls - firstCall;
    state.counters["client_allocations_per_cycle"] =
        cycles > 0
            ? static_cast<double>(allocationsAtProcess - firstCount) / static_cast<double>(cycles)
            : 0.0;
    manager.reset();
    display.reset();
    sim::configureTestAddressSpace({});
    host::resetFramework();
}
BENCHMARK(BM_CycleTrigger);

}  // namespace
