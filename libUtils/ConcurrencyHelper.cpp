#include "libUtils/ConcurrencyHelper.h"

#include <new>
#include <stdexcept>
#include <string>

#include "TarvoTrace.h"

namespace {

// Trace file number of this source; the shared libraries trace with selector 0.
constexpr uint32_t kTraceFile = 0x65;
constexpr uint32_t kSelector = 0;
constexpr uint32_t kCountNotAllocated = TraceId(kTraceFile, 0, 3);
constexpr uint32_t kCreateFailed = TraceId(kTraceFile, 1, 3);
constexpr uint32_t kCloseFailed = TraceId(kTraceFile, 2, 3);
constexpr uint32_t kWaitFailed = TraceId(kTraceFile, 3, 3);
constexpr uint32_t kReleaseFailed = TraceId(kTraceFile, 4, 3);
constexpr uint32_t kActivityCloseFailed = TraceId(kTraceFile, 5, 1);

// Lines that the kernel-object failure texts name, one a call site.
enum Line : int {
    kCreateSemaphoreLine = 92,
    kCreateBinarySemaphoreLine = 99,
    kCreateHighestLockerSemaphoreLine = 106,
    kWaitLine = 127,
    kLockLine = 133,
    kReleaseLine = 139,
    kTimedWaitLine = 170,
    kUnlockLine = 176,
    kUnlockIfOwnerLine = 182,
    kCreateConditionLine = 193,
    kConditionWaitLine = 203,
    kSignalLine = 208,
    kBroadcastLine = 213,
    kCreateActivityLine = 220,
    kReceiveOnObjectLine = 233,
    kReceiveOnCountingLine = 238,
    kReceiveOnBinaryLine = 244,
    kReceiveOnHighestLockerLine = 249,
    kResetLine = 254,
};

// Units of 2^-32 s in one millisecond: 2^32 / 1000 rounded down.
constexpr uint32_t kFractionPerMillisecond = 4294967;

void traceCode(uint32_t id, Error code) {
    TARVO_TRACE(kSelector, id, TraceFormat(kTraceArgInt), code);
}

// Source path at the head of the failure texts, the same whatever the build's own paths are.
constexpr char kSourcePath[] = "libUtils/ConcurrencyHelper.cpp";

// Throws "<source path>:<line> <call> failed with [<code>]".
[[noreturn]] void throwFailure(Line line, const char* call, Error code) {
    throw std::runtime_error(std::string(kSourcePath) + ":" + std::to_string(line) + " " + call +
                             " failed with [" + std::to_string(code) + "]");
}

void check(Error code, Line line, const char* call) {
    if (code != Success) {
        throwFailure(line, call, code);
    }
}

}  // namespace

// ---- SharedLocalMutex -----------------------------------------------------------------------

SharedLocalMutex::SharedLocalMutex() : myMutex(0), myCount(new (std::nothrow) int32_t(0)) {
    if (myCount == nullptr) {
        TARVO_TRACE(kSelector, kCountNotAllocated, TraceFormat());
        throw std::runtime_error("memory allocation failed");
    }
    Error code = CreateLocalMutex(&myMutex);
    if (code != Success) {
        traceCode(kCreateFailed, code);
        delete myCount;
        throw std::runtime_error("CreateLocalMutex failed");
    }
    *myCount = 1;
}

SharedLocalMutex::SharedLocalMutex(const SharedLocalMutex& other)
    : myMutex(other.myMutex), myCount(other.myCount) {
    ++*myCount;
}

SharedLocalMutex::~SharedLocalMutex() {
    if (--*myCount != 0) {
        return;
    }
    delete myCount;
    Error code = CloseLocalMutex(myMutex);
    if (code != Success) {
        traceCode(kCloseFailed, code);
    }
}

void SharedLocalMutex::lock() {
    Error code = WaitForLocalMutex(myMutex);
    if (code != Success) {
        traceCode(kWaitFailed, code);
        throw std::runtime_error("WaitForLocalMutex failed");
    }
}

void SharedLocalMutex::unlock() {
    Error code = ReleaseLocalMutex(myMutex);
    if (code != Success) {
        traceCode(kReleaseFailed, code);
        throw std::runtime_error("ReleaseLocalMutex failed");
    }
}

// ---- KernelSemaphore ------------------------------------------------------------------------

template <>
KernelSemaphore<KernelSemaphoreKind::Counting>::KernelSemaphore(uint32_t value)
    : mySemaphore(nullptr) {
    check(CreateSemaphore(value, &mySemaphore), kCreateSemaphoreLine, "CreateSemaphore");
}

template <>
KernelSemaphore<KernelSemaphoreKind::Binary>::KernelSemaphore(uint32_t /*value*/)
    : mySemaphore(nullptr) {
    check(CreateBinarySemaphore(&mySemaphore), kCreateBinarySemaphoreLine, "CreateBinarySemaphore");
}

template <>
KernelSemaphore<KernelSemaphoreKind::HighestLocker>::KernelSemaphore(uint32_t value)
    : mySemaphore(nullptr) {
    check(CreateHighestLockerSemaphore(value, &mySemaphore), kCreateHighestLockerSemaphoreLine,
          "CreateHighestLockerSemaphore");
}

template <KernelSemaphoreKind Kind>
KernelSemaphore<Kind>::~KernelSemaphore() {
    closeKernelObject(mySemaphore);
}

template <KernelSemaphoreKind Kind>
void KernelSemaphore<Kind>::wait() {
    check(WaitForSemaphore(mySemaphore), kWaitLine, "WaitForSemaphore");
}

template <KernelSemaphoreKind Kind>
void KernelSemaphore<Kind>::lock() {
    check(WaitForSemaphore(mySemaphore), kLockLine, "WaitForSemaphore");
}

template <KernelSemaphoreKind Kind>
void KernelSemaphore<Kind>::release() {
    check(ReleaseSemaphore(mySemaphore), kReleaseLine, "ReleaseSemaphore");
}

template <KernelSemaphoreKind Kind>
void KernelSemaphore<Kind>::unlock() {
    check(ReleaseSemaphore(mySemaphore), kUnlockLine, "ReleaseSemaphore");
}

template <KernelSemaphoreKind Kind>
void KernelSemaphore<Kind>::unlockIfOwner() {
    Error code = ReleaseSemaphore(mySemaphore);
    if (code != CallerDoesntOwnTheSemaphore) {
        check(code, kUnlockIfOwnerLine, "ReleaseSemaphore");
    }
}

template <KernelSemaphoreKind Kind>
bool KernelSemaphore<Kind>::tryObtain() {
    Error code = TryToObtainSemaphore(mySemaphore);
    if (code == Success) {
        return true;
    }
    if (code == ResourceNotAvailable) {
        return false;
    }
    throw std::runtime_error("TryToObtainSemaphore failed");
}

template <KernelSemaphoreKind Kind>
bool KernelSemaphore<Kind>::timedWait(uint32_t milliseconds) {
    Time timeout{static_cast<int32_t>(milliseconds / 1000),
                 (milliseconds % 1000) * kFractionPerMillisecond};
    Error code = TimedWaitForSemaphore(mySemaphore, nullptr, &timeout);
    if (code == OperationTimedOut) {
        return false;
    }
    check(code, kTimedWaitLine, "TimedWaitForSemaphore");
    return true;
}

template class KernelSemaphore<KernelSemaphoreKind::Counting>;
template class KernelSemaphore<KernelSemaphoreKind::Binary>;
template class KernelSemaphore<KernelSemaphoreKind::HighestLocker>;

// ---- KernelCondition ------------------------------------------------------------------------

KernelCondition::KernelCondition(Semaphore lock) : myCondition(nullptr) {
    check(CreateCondition(&myCondition, lock, 0), kCreateConditionLine, "CreateCondition");
}

KernelCondition::~KernelCondition() {
    CloseCondition(myCondition);
}

void KernelCondition::wait() {
    check(WaitForCondition(myCondition, nullptr, nullptr), kConditionWaitLine, "WaitForCondition");
}

void KernelCondition::signal() {
    check(SignalCondition(myCondition), kSignalLine, "SignalCondition");
}

void KernelCondition::broadcast() {
    check(BroadcastCondition(myCondition), kBroadcastLine, "BroadcastCondition");
}

// ---- KernelActivity -------------------------------------------------------------------------

KernelActivity::KernelActivity(Task task, uint32_t priority, uint32_t flags, uint32_t id)
    : myActivity(nullptr), myId(id) {
    check(CreateActivity(task, priority, flags, id, &myActivity), kCreateActivityLine,
          "CreateActivity");
}

KernelActivity::~KernelActivity() {
    Error code = closeKernelObject(myActivity);
    if (code != Success) {
        TARVO_TRACE(kSelector, kActivityCloseFailed, TraceFormat(kTraceArgInt, kTraceArgText), code,
                    KernelErrorName(code));
    }
}

void KernelActivity::receive(Object connectionOrClock) {
    check(AsynchronousReceive(myActivity, connectionOrClock, nullptr), kReceiveOnObjectLine,
          "AsynchronousReceive");
}

void KernelActivity::receive(KernelSemaphore<KernelSemaphoreKind::Counting>& semaphore) {
    check(AsynchronousReceive(myActivity, semaphore.handle(), nullptr), kReceiveOnCountingLine,
          "AsynchronousReceive");
}

void KernelActivity::receive(KernelSemaphore<KernelSemaphoreKind::Binary>& semaphore) {
    check(AsynchronousReceive(myActivity, semaphore.handle(), nullptr), kReceiveOnBinaryLine,
          "AsynchronousReceive");
}

void KernelActivity::receive(KernelSemaphore<KernelSemaphoreKind::HighestLocker>& semaphore) {
    check(AsynchronousReceive(myActivity, semaphore.handle(), nullptr), kReceiveOnHighestLockerLine,
          "AsynchronousReceive");
}

void KernelActivity::reset() {
    check(ResetActivity(myActivity, 0), kResetLine, "ResetActivity");
}

// ---- Waiting for activities -----------------------------------------------------------------

uint32_t waitForActivity() {
    uint32_t id = 0;
    WaitForActivity(&id, nullptr);
    return id;
}

uint32_t waitForActivity(Error* status) {
    uint32_t id = 0;
    WaitForActivity(&id, status);
    return id;
}
