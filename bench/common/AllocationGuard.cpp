// Kept apart from the replaced operators: compiled together, g++ inlines the standard
// containers used here into the replaced operator delete and then reports a false mismatch.
#include "AllocationCounter.h"

void AllocationGuard::finish(benchmark::State& state) const {
    const size_t allocations = NewCallCount() - start_;
    state.counters["allocs"] = static_cast<double>(allocations);
    if (allocations != 0) {
        state.SkipWithError("the measured code allocated on the heap");
    }
}
