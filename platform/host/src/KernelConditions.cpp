// Conditions guarded by a semaphore used as a lock.
#include "KernelInternal.h"

using host::kernel::ConditionObject;
using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::SemaphoreObject;
using host::kernel::TaskRecord;
using host::kernel::Waiter;

namespace {

Error findCondition(KernelCall& call, Condition condition, std::shared_ptr<ConditionObject>& out) {
    if (call.injected != Success) {
        return call.injected;
    }
    return call.kernel.find(condition, Kind::Condition, out);
}

}  // namespace

Error CreateCondition(Condition* condition, Semaphore lock, uint32_t reserved) {
    KernelCall call("CreateCondition");
    if (call.injected != Success) {
        return call.injected;
    }
    if (condition == nullptr || reserved != 0) {
        return IllegalParameter;
    }
    std::shared_ptr<SemaphoreObject> guard;
    if (Error error = call.kernel.find(lock, Kind::Semaphore, guard)) {
        return error;
    }
    auto created = std::make_shared<ConditionObject>();
    created->lock = guard;
    *condition = call.kernel.addHandle(created);
    return Success;
}

Error WaitForCondition(Condition condition, Clock clock, const Time* timeout) {
    KernelCall call("WaitForCondition");
    std::shared_ptr<ConditionObject> waited;
    if (Error error = findCondition(call, condition, waited)) {
        return error;
    }
    if (timeout != nullptr && timeout->Seconds < 0) {
        return IllegalParameter;
    }
    if (clock != nullptr) {
        std::shared_ptr<host::kernel::ClockObject> measuring;
        if (Error error = call.kernel.find(clock, Kind::Clock, measuring)) {
            return error;
        }
    }
    TaskRecord& self = call.kernel.currentTask();
    call.kernel.enterBlockingCall(call.lock, self);
    std::shared_ptr<SemaphoreObject> lock = waited->lock;
    if (lock->closed) {
        return ObjectIsNotValid;
    }
    if (Error error = host::kernel::releaseSemaphore(call.kernel, *lock, self.serial)) {
        return error;
    }
    Waiter waiter;
    waiter.task = &self;
    waited->waiters.push_back(&waiter);
    int64_t deadline = 0;
    if (timeout != nullptr) {
        deadline = call.kernel.time().now() + host::kernel::toNanoseconds(*timeout);
    }
    Error result = call.kernel.block(call.lock, self, waiter, &waited->waiters,
                                     timeout != nullptr ? &deadline : nullptr);
    Error relocked = host::kernel::waitForSemaphore(call.kernel, call.lock, self, lock, nullptr);
    return result != Success ? result : relocked;
}

Error SignalCondition(Condition condition) {
    KernelCall call("SignalCondition");
    std::shared_ptr<ConditionObject> signalled;
    if (Error error = findCondition(call, condition, signalled)) {
        return error;
    }
    if (!signalled->waiters.empty()) {
        Waiter* next = signalled->waiters.front();
        signalled->waiters.pop_front();
        call.kernel.finish(*next, Success);
    }
    return Success;
}

Error BroadcastCondition(Condition condition) {
    KernelCall call("BroadcastCondition");
    std::shared_ptr<ConditionObject> signalled;
    if (Error error = findCondition(call, condition, signalled)) {
        return error;
    }
    while (!signalled->waiters.empty()) {
        Waiter* next = signalled->waiters.front();
        signalled->waiters.pop_front();
        call.kernel.finish(*next, Success);
    }
    return Success;
}

Error CloseCondition(Condition condition) {
    KernelCall call("CloseCondition");
    std::shared_ptr<ConditionObject> closing;
    if (Error error = findCondition(call, condition, closing)) {
        return error;
    }
    return call.kernel.closeHandle(condition);
}
