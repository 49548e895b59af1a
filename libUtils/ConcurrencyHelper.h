// Thin owners of the platform's local mutexes and kernel objects: each creates its object when
// constructed, closes it when destroyed and turns a failed call into std::runtime_error.
//
// Local-mutex failures carry fixed texts ("WaitForLocalMutex failed"); the kernel-object
// wrappers' texts are "<source path>:<line> <call> failed with [<code>]". Destructors never
// throw. The wrappers add no locking of their own: an object may be used from several tasks as
// far as its kernel call allows, but never while it is constructed or destroyed.
#pragma once

#include <cstdint>

#include "Kernel.h"

// A local mutex shared by all copies of one object: the copies count themselves and the last
// one closes the mutex. The count is a plain integer, so copies are made and destroyed on one
// task (or under an outer lock).
class SharedLocalMutex {
  public:
    // Creates the mutex. Throws "memory allocation failed" or "CreateLocalMutex failed".
    SharedLocalMutex();
    // Shares `other`'s mutex (one more copy).
    SharedLocalMutex(const SharedLocalMutex& other);
    SharedLocalMutex& operator=(const SharedLocalMutex&) = delete;
    // One copy fewer; the last closes the mutex (a failed close is traced, not thrown).
    ~SharedLocalMutex();

    // Blocks the calling task until it owns the mutex. Throws "WaitForLocalMutex failed".
    void lock();
    // Frees the mutex. Throws "ReleaseLocalMutex failed".
    void unlock();

  private:
    LocalMutex myMutex;
    int32_t* myCount;
};

// Holds a SharedLocalMutex for the length of one block: locks when made, unlocks when left.
class ScopedMutexLock {
  public:
    // Locks `mutex`; its exception passes to the caller, and then nothing is held.
    explicit ScopedMutexLock(SharedLocalMutex& mutex) : myMutex(&mutex) { myMutex->lock(); }
    // Unlocks; a failed unlock is dropped (its trace is written by the unlock).
    ~ScopedMutexLock() {
        try {
            myMutex->unlock();
        } catch (...) {
        }
    }
    ScopedMutexLock(const ScopedMutexLock&) = delete;
    ScopedMutexLock& operator=(const ScopedMutexLock&) = delete;

  private:
    SharedLocalMutex* myMutex;
};

// The three kinds of kernel semaphore.
enum class KernelSemaphoreKind { Counting, Binary, HighestLocker };

// One kernel semaphore of kind `Kind`. Only the constructor differs between the kinds.
template <KernelSemaphoreKind Kind>
class KernelSemaphore {
  public:
    // Creates the semaphore: a counting one with `value` counts, a highest-locker one with the
    // kernel's value (1 free, 0 owned by the caller); a binary one ignores `value`.
    explicit KernelSemaphore(uint32_t value);
    // Closes the semaphore; the result is ignored.
    ~KernelSemaphore();
    KernelSemaphore(const KernelSemaphore&) = delete;
    KernelSemaphore& operator=(const KernelSemaphore&) = delete;

    // Blocks until a count is obtained (wait and lock are the same).
    void wait();
    void lock();
    // Gives a count back (release and unlock are the same).
    void release();
    void unlock();
    // Gives it back when the caller owns it; a caller that does not own it is no failure.
    void unlockIfOwner();
    // True when a count was obtained without blocking, false when none was there.
    bool tryObtain();
    // True when a count was obtained within `milliseconds`, false when the time ran out.
    bool timedWait(uint32_t milliseconds);

    // The kernel handle, for conditions and activities.
    Semaphore handle() const { return mySemaphore; }

  private:
    Semaphore mySemaphore;
};

// Each kind creates its semaphore with its own kernel call.
template <>
KernelSemaphore<KernelSemaphoreKind::Counting>::KernelSemaphore(uint32_t value);
template <>
KernelSemaphore<KernelSemaphoreKind::Binary>::KernelSemaphore(uint32_t value);
template <>
KernelSemaphore<KernelSemaphoreKind::HighestLocker>::KernelSemaphore(uint32_t value);

extern template class KernelSemaphore<KernelSemaphoreKind::Counting>;
extern template class KernelSemaphore<KernelSemaphoreKind::Binary>;
extern template class KernelSemaphore<KernelSemaphoreKind::HighestLocker>;

// A kernel condition guarded by a semaphore used as a lock.
class KernelCondition {
  public:
    template <KernelSemaphoreKind Kind>
    explicit KernelCondition(KernelSemaphore<Kind>& lock) : KernelCondition(lock.handle()) {}
    // Closes the condition; the result is ignored.
    ~KernelCondition();
    KernelCondition(const KernelCondition&) = delete;
    KernelCondition& operator=(const KernelCondition&) = delete;

    // The caller holds the lock: releases it, waits for a signal, holds it again.
    void wait();
    // Wakes the longest waiter / every waiter.
    void signal();
    void broadcast();

  private:
    explicit KernelCondition(Semaphore lock);
    Condition myCondition;
};

// A kernel activity of a task, with the id that waitForActivity reports for it.
class KernelActivity {
  public:
    // Creates the activity of `task` with `priority`, `flags` and `id` (passed on unchanged).
    KernelActivity(Task task, uint32_t priority, uint32_t flags, uint32_t id);
    // Closes the activity; a failed close is traced, not thrown.
    ~KernelActivity();
    KernelActivity(const KernelActivity&) = delete;
    KernelActivity& operator=(const KernelActivity&) = delete;

    // Starts a receive without buffers: on a connection end or a clock (its alarm), or on a
    // semaphore of each kind (obtaining it).
    void receive(Object connectionOrClock);
    void receive(KernelSemaphore<KernelSemaphoreKind::Counting>& semaphore);
    void receive(KernelSemaphore<KernelSemaphoreKind::Binary>& semaphore);
    void receive(KernelSemaphore<KernelSemaphoreKind::HighestLocker>& semaphore);
    // Cancels an outstanding receive and drops a completion not yet waited for.
    void reset();
    // True when `id` is this activity's id.
    bool hasId(uint32_t id) const { return id == myId; }

  private:
    Activity myActivity;
    uint32_t myId;
};

// Waits until one of the calling task's activities completes and returns its id (0 when the
// wait itself failed); the second form also stores the completed operation's result.
uint32_t waitForActivity();
uint32_t waitForActivity(Error* status);
