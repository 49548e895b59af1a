#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> gNewCalls{0};
thread_local uint64_t tNewCalls = 0;

void* countedAllocation(std::size_t size) noexcept {
    gNewCalls.fetch_add(1, std::memory_order_relaxed);
    ++tNewCalls;
    return std::malloc(size == 0 ? 1 : size);
}

void* countedAlignedAllocation(std::size_t size, std::align_val_t alignment) noexcept {
    gNewCalls.fetch_add(1, std::memory_order_relaxed);
    ++tNewCalls;
    const std::size_t align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = ((size == 0 ? 1 : size) + align - 1) / align * align;
    return std::aligned_alloc(align, rounded);
}

void* orThrow(void* block) {
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void* operator new(std::size_t size) {
    return orThrow(countedAllocation(size));
}
void* operator new[](std::size_t size) {
    return orThrow(countedAllocation(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return orThrow(countedAlignedAllocation(size, alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return orThrow(countedAlignedAllocation(size, alignment));
}

void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}

size_t NewCallCount() {
    return gNewCalls.load(std::memory_order_relaxed);
}

uint64_t allocationsOfThisThread() {
    return tNewCalls;
}
