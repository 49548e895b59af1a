// A 32-bit word or a pointer of the program's globals that one task writes and another reads
// (the change counters, the method code, the taste and the tree the display reads). Each stays a
// plain word in memory, so the records that hold it can be cleared to zero as a whole; every
// access is atomic.
#pragma once

#include <cstdint>

template <typename T>
struct SharedWord {
    static_assert(sizeof(T) == 4, "a 32-bit word");
    T value;

    T Load() const { return __atomic_load_n(&value, __ATOMIC_ACQUIRE); }
    void Store(T next) { __atomic_store_n(&value, next, __ATOMIC_RELEASE); }
    // Adds 1 (unsigned words wrap at 2^32, which the counters' inequality test tolerates).
    void Increment() { __atomic_fetch_add(&value, T{1}, __ATOMIC_ACQ_REL); }
};

using SharedCounter = SharedWord<uint32_t>;

// A pointer published by one task and read by another: the object is complete before Store, and
// a task that Loads it sees it complete.
template <typename T>
struct SharedPointer {
    T* value;

    T* Load() const { return __atomic_load_n(&value, __ATOMIC_ACQUIRE); }
    void Store(T* next) { __atomic_store_n(&value, next, __ATOMIC_RELEASE); }
};
