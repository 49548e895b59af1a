// Activities: creation, asynchronous receives, reset and the wait for a completion.
#include "KernelInternal.h"

using host::kernel::ActivityObject;
using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::ObjectPtr;
using host::kernel::TaskRecord;
using host::kernel::Waiter;
using host::kernel::WaitQueue;

namespace {

// Clears the task's activity waiter however the wait ends.
struct ActivityWaitScope {
    ActivityWaitScope(TaskRecord& task, Waiter& waiter) : task_(task) {
        task_.activityWaiter = &waiter;
    }
    ~ActivityWaitScope() { task_.activityWaiter = nullptr; }
    ActivityWaitScope(const ActivityWaitScope&) = delete;
    ActivityWaitScope& operator=(const ActivityWaitScope&) = delete;

  private:
    TaskRecord& task_;
};

}  // namespace

Error CreateActivity(Task task, uint32_t priority, uint32_t flags, uint32_t id,
                     Activity* activity) {
    KernelCall call("CreateActivity");
    if (call.injected != Success) {
        return call.injected;
    }
    if (activity == nullptr) {
        return IllegalParameter;
    }
    std::shared_ptr<TaskRecord> owner;
    if (Error error = call.kernel.find(task, Kind::Task, owner)) {
        return error;
    }
    auto created = std::make_shared<ActivityObject>();
    created->owner = owner;
    created->priority = priority;
    created->flags = flags;
    created->id = id;
    created->waiter.activity = created.get();
    *activity = call.kernel.addHandle(created);
    return Success;
}

Error AsynchronousReceive(Activity activity, Object object, Buffer* message) {
    KernelCall call("AsynchronousReceive");
    if (call.injected != Success) {
        return call.injected;
    }
    std::shared_ptr<ActivityObject> receiving;
    if (Error error = call.kernel.find(activity, Kind::Activity, receiving)) {
        return error;
    }
    ObjectPtr target;
    if (Error error = call.kernel.findAny(object, target)) {
        return error;
    }
    if (receiving->outstanding || receiving->completed) {
        return ActivityBusy;
    }
    if (Error error = host::kernel::checkMessage(call.kernel, message, false)) {
        return error;
    }
    Waiter& waiter = receiving->waiter;
    waiter.message = message;
    waiter.result = Success;
    WaitQueue* queued = nullptr;
    if (Error error = host::kernel::startReceive(call.kernel, target, waiter, queued)) {
        return error;
    }
    if (queued != nullptr) {
        receiving->outstanding = true;
        receiving->target = target;
        receiving->targetQueue = queued;
    }
    return Success;
}

Error ResetActivity(Activity activity, uint32_t reserved) {
    KernelCall call("ResetActivity");
    if (call.injected != Success) {
        return call.injected;
    }
    if (reserved != 0) {
        return IllegalParameter;
    }
    std::shared_ptr<ActivityObject> resetting;
    if (Error error = call.kernel.find(activity, Kind::Activity, resetting)) {
        return error;
    }
    call.kernel.cancelActivity(*resetting);
    return Success;
}

Error WaitForActivity(uint32_t* id, Error* status) {
    KernelCall call("WaitForActivity");
    if (call.injected != Success) {
        return call.injected;
    }
    if (id == nullptr) {
        return IllegalParameter;
    }
    TaskRecord& self = call.kernel.currentTask();
    call.kernel.enterBlockingCall(call.lock, self);
    while (self.completions.empty()) {
        Waiter waiter;
        waiter.task = &self;
        ActivityWaitScope scope(self, waiter);
        call.kernel.block(call.lock, self, waiter, nullptr, nullptr);
    }
    ActivityObject* completed = self.completions.front();
    self.completions.pop_front();
    completed->completed = false;
    *id = completed->id;
    if (status != nullptr) {
        *status = completed->waiter.result;
    }
    return Success;
}
