#include "ThreadAllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local uint64_t newCalls = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++newCalls;
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

uint64_t allocationsOfThisThread() {
    return newCalls;
}
