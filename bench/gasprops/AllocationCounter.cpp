#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> gNewCalls{0};
}  // namespace

void* operator new(std::size_t size) {
    gNewCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

size_t NewCallCount() {
    return gNewCalls.load(std::memory_order_relaxed);
}

void AllocationGuard::finish(benchmark::State& state) const {
    const size_t allocations = NewCallCount() - start_;
    state.counters["allocs"] = static_cast<double>(allocations);
    if (allocations != 0) {
        state.SkipWithError("the measured code allocated on the heap");
    }
}
