// The start of a receive on any object that can be received on, shared by the blocking and
// the asynchronous receive.
#include "KernelInternal.h"

namespace host {
namespace kernel {
namespace {

Error receiveOnConnection(Kernel& kernel, ConnectionEnd& end, Waiter& waiter, WaitQueue*& queued) {
    if (!end.incoming.empty()) {
        Waiter* sender = end.incoming.front();
        end.incoming.pop_front();
        Error result = transferMessage(kernel, sender->message, waiter.message);
        kernel.finish(*sender, result);
        kernel.finish(waiter, result);
        return Success;
    }
    if (end.peer == nullptr) {
        return ConnectionClosed;
    }
    end.receivers.push_back(&waiter);
    queued = &end.receivers;
    return Success;
}

Error receiveOnSemaphore(Kernel& kernel, SemaphoreObject& semaphore, Waiter& waiter,
                         WaitQueue*& queued) {
    Error result = tryObtainSemaphore(semaphore, waiterSerial(waiter));
    if (result == Success) {
        kernel.finish(waiter, Success);
        return Success;
    }
    if (result != ResourceNotAvailable) {
        return result;
    }
    semaphore.waiters.push_back(&waiter);
    queued = &semaphore.waiters;
    return Success;
}

Error receiveOnClock(Kernel& kernel, ClockObject& clock, Waiter& waiter, WaitQueue*& queued) {
    if (clock.pendingExpiry) {
        clock.pendingExpiry = false;
        kernel.finish(waiter, Success);
        return Success;
    }
    clock.receivers.push_back(&waiter);
    queued = &clock.receivers;
    return Success;
}

}  // namespace

uint64_t waiterSerial(const Waiter& waiter) {
    return waiter.task != nullptr ? waiter.task->serial : waiter.activity->owner->serial;
}

Error startReceive(Kernel& kernel, const ObjectPtr& object, Waiter& waiter, WaitQueue*& queued) {
    switch (object->kind) {
        case Kind::Connection:
            return receiveOnConnection(kernel, static_cast<ConnectionEnd&>(*object), waiter,
                                       queued);
        case Kind::Semaphore:
            if (waiter.message != nullptr) {
                return IllegalParameter;
            }
            return receiveOnSemaphore(kernel, static_cast<SemaphoreObject&>(*object), waiter,
                                      queued);
        case Kind::Clock:
            if (waiter.message != nullptr) {
                return IllegalParameter;
            }
            return receiveOnClock(kernel, static_cast<ClockObject&>(*object), waiter, queued);
        default:
            return IncorrectObjectType;
    }
}

}  // namespace kernel
}  // namespace host
