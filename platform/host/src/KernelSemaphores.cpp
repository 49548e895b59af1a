// Semaphores of the three kinds: counting, binary and highest locker (a lock with an owner).
#include <limits>

#include "KernelInternal.h"

namespace host {
namespace kernel {

Error tryObtainSemaphore(SemaphoreObject& semaphore, uint64_t taker) {
    if (semaphore.semKind == SemaphoreKind::Owned) {
        if (semaphore.owner == taker) {
            return AlreadyOwned;
        }
        if (semaphore.owner != 0) {
            return ResourceNotAvailable;
        }
        semaphore.owner = taker;
        return Success;
    }
    if (semaphore.count == 0) {
        return ResourceNotAvailable;
    }
    --semaphore.count;
    return Success;
}

Error releaseSemaphore(Kernel& kernel, SemaphoreObject& semaphore, uint64_t caller) {
    if (semaphore.semKind == SemaphoreKind::Owned && semaphore.owner != caller) {
        return CallerDoesntOwnTheSemaphore;
    }
    if (!semaphore.waiters.empty()) {
        Waiter* next = semaphore.waiters.front();
        semaphore.waiters.pop_front();
        if (semaphore.semKind == SemaphoreKind::Owned) {
            semaphore.owner = waiterSerial(*next);
        }
        kernel.finish(*next, Success);
        return Success;
    }
    switch (semaphore.semKind) {
        case SemaphoreKind::Owned:
            semaphore.owner = 0;
            break;
        case SemaphoreKind::Binary:
            semaphore.count = 1;
            break;
        case SemaphoreKind::Counting:
            if (semaphore.count == std::numeric_limits<uint32_t>::max()) {
                return IllegalParameter;
            }
            ++semaphore.count;
            break;
    }
    return Success;
}

Error waitForSemaphore(Kernel& kernel, Lock& lock, TaskRecord& self,
                       const std::shared_ptr<SemaphoreObject>& semaphore, const int64_t* deadline) {
    kernel.enterBlockingCall(lock, self);
    if (semaphore->closed) {
        return ObjectIsNotValid;
    }
    Error result = tryObtainSemaphore(*semaphore, self.serial);
    if (result != ResourceNotAvailable) {
        return result;
    }
    Waiter waiter;
    waiter.task = &self;
    semaphore->waiters.push_back(&waiter);
    return kernel.block(lock, self, waiter, &semaphore->waiters, deadline);
}

}  // namespace kernel
}  // namespace host

using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::SemaphoreKind;
using host::kernel::SemaphoreObject;

namespace {

Error createSemaphore(KernelCall& call, SemaphoreKind kind, uint32_t count, Semaphore* semaphore) {
    if (call.injected != Success) {
        return call.injected;
    }
    if (semaphore == nullptr) {
        return IllegalParameter;
    }
    auto created = std::make_shared<SemaphoreObject>(Kind::Semaphore, kind);
    if (kind == SemaphoreKind::Owned) {
        created->owner = count == 0 ? call.kernel.currentTask().serial : 0;
    } else {
        created->count = count;
    }
    *semaphore = call.kernel.addHandle(created);
    return Success;
}

Error findSemaphore(KernelCall& call, Semaphore semaphore, std::shared_ptr<SemaphoreObject>& out) {
    if (call.injected != Success) {
        return call.injected;
    }
    return call.kernel.find(semaphore, Kind::Semaphore, out);
}

}  // namespace

Error CreateSemaphore(uint32_t value, Semaphore* semaphore) {
    KernelCall call("CreateSemaphore");
    return createSemaphore(call, SemaphoreKind::Counting, value, semaphore);
}

Error CreateBinarySemaphore(Semaphore* semaphore) {
    KernelCall call("CreateBinarySemaphore");
    return createSemaphore(call, SemaphoreKind::Binary, 1, semaphore);
}

Error CreateHighestLockerSemaphore(uint32_t value, Semaphore* semaphore) {
    KernelCall call("CreateHighestLockerSemaphore");
    if (call.injected == Success && value > 1) {
        return IllegalParameter;
    }
    return createSemaphore(call, SemaphoreKind::Owned, value, semaphore);
}

Error WaitForSemaphore(Semaphore semaphore) {
    KernelCall call("WaitForSemaphore");
    std::shared_ptr<SemaphoreObject> waited;
    if (Error error = findSemaphore(call, semaphore, waited)) {
        return error;
    }
    return host::kernel::waitForSemaphore(call.kernel, call.lock, call.kernel.currentTask(), waited,
                                          nullptr);
}

Error TryToObtainSemaphore(Semaphore semaphore) {
    KernelCall call("TryToObtainSemaphore");
    std::shared_ptr<SemaphoreObject> tried;
    if (Error error = findSemaphore(call, semaphore, tried)) {
        return error;
    }
    return host::kernel::tryObtainSemaphore(*tried, call.kernel.currentTask().serial);
}

Error TimedWaitForSemaphore(Semaphore semaphore, Clock clock, const Time* timeout) {
    KernelCall call("TimedWaitForSemaphore");
    std::shared_ptr<SemaphoreObject> waited;
    if (Error error = findSemaphore(call, semaphore, waited)) {
        return error;
    }
    if (timeout == nullptr || timeout->Seconds < 0) {
        return IllegalParameter;
    }
    if (clock != nullptr) {
        std::shared_ptr<host::kernel::ClockObject> measuring;
        if (Error error = call.kernel.find(clock, Kind::Clock, measuring)) {
            return error;
        }
    }
    int64_t deadline = call.kernel.time().now() + host::kernel::toNanoseconds(*timeout);
    return host::kernel::waitForSemaphore(call.kernel, call.lock, call.kernel.currentTask(), waited,
                                          &deadline);
}

Error ReleaseSemaphore(Semaphore semaphore) {
    KernelCall call("ReleaseSemaphore");
    std::shared_ptr<SemaphoreObject> released;
    if (Error error = findSemaphore(call, semaphore, released)) {
        return error;
    }
    return host::kernel::releaseSemaphore(call.kernel, *released, call.kernel.currentTask().serial);
}

Error CloseSemaphore(Semaphore semaphore) {
    KernelCall call("CloseSemaphore");
    std::shared_ptr<SemaphoreObject> closing;
    if (Error error = findSemaphore(call, semaphore, closing)) {
        return error;
    }
    return call.kernel.closeHandle(semaphore);
}
