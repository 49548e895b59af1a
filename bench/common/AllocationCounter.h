// Counts the calls of the global operator new in a benchmark program, to prove that the measured
// code makes no heap allocation. Every form of operator new (plain, array, nothrow, aligned)
// is counted, in total and per thread.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

// operator new calls of all threads since the program started.
size_t NewCallCount();

// operator new calls of the calling thread since it started.
uint64_t allocationsOfThisThread();

// Measures the allocations of one benchmark's timed loop: construct before the loop, call
// finish(state) after it. A non-zero count fails the benchmark and is reported as "allocs".
class AllocationGuard {
  public:
    AllocationGuard() : start_(NewCallCount()) {}
    void finish(benchmark::State& state) const;

  private:
    size_t start_;
};
