// The running checksum over buffers of the sizes it meets: a message, a file chunk and a
// program's code segment (checksummed whole by the health monitor). Reports bytes per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "TarvoFiles.h"

namespace {

void BM_Checksum(benchmark::State& state) {
    std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0)));
    uint32_t seed = 12345u;
    for (uint8_t& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    for (auto _ : state) {
        uint32_t sum;
        checksumInit(&sum);
        checksumUpdate(&sum, bytes.data(), static_cast<uint32_t>(bytes.size()));
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Checksum)->Arg(64)->Arg(4 << 10)->Arg(1 << 20);

}  // namespace
