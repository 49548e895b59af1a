#include "PPObjectLock.h"

#include "Kernel.h"
#include "TarvoTrace.h"

namespace PreProcessing {

namespace {

constexpr uint32_t kTraceFile = 0x7b;
constexpr uint32_t kTraceSelector = 0;
enum : uint32_t {
    kTraceCreateFailed = TraceId(kTraceFile, 26, 3),
    kTraceCloseFailed = TraceId(kTraceFile, 27, 3),
    kTraceWaitFailed = TraceId(kTraceFile, 28, 3),
    kTraceReleaseFailed = TraceId(kTraceFile, 29, 3),
};

}  // namespace

PPObjectLock::PPObjectLock() {
    const Error result = CreateLocalMutex(&mutex_);
    valid_ = result == Success;
    if (!valid_) {
        TARVO_TRACE(kTraceSelector, kTraceCreateFailed, TraceFormat(kTraceArgInt), result);
    }
}

PPObjectLock::~PPObjectLock() {
    if (!valid_) {
        return;
    }
    const Error result = CloseLocalMutex(mutex_);
    if (result != Success) {
        TARVO_TRACE(kTraceSelector, kTraceCloseFailed, TraceFormat(kTraceArgInt), result);
    }
}

PPObjectLock::Hold::Hold(PPObjectLock& lock) : mutex_(lock.mutex_), held_(false) {
    if (!lock.valid_) {
        return;
    }
    const Error result = WaitForLocalMutex(mutex_);
    held_ = result == Success;
    if (!held_) {
        TARVO_TRACE(kTraceSelector, kTraceWaitFailed, TraceFormat(kTraceArgInt), result);
    }
}

PPObjectLock::Hold::~Hold() {
    if (!held_) {
        return;
    }
    const Error result = ReleaseLocalMutex(mutex_);
    if (result != Success) {
        TARVO_TRACE(kTraceSelector, kTraceReleaseFailed, TraceFormat(kTraceArgInt), result);
    }
}

}  // namespace PreProcessing
