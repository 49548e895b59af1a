// The kernel's handle table, the closing of objects, injected failures and the reset.
#include <algorithm>
#include <set>
#include <vector>

#include "KernelInternal.h"

namespace host {
namespace kernel {

void removeWaiter(WaitQueue& queue, const Waiter* waiter) {
    auto found = std::find(queue.begin(), queue.end(), waiter);
    if (found != queue.end()) {
        queue.erase(found);
    }
}

Kernel& Kernel::instance() {
    // Never destroyed: task threads may still use the kernel while the process exits.
    static Kernel* kernel = new Kernel();
    return *kernel;
}

Kernel::Kernel() : systemClock_(std::make_shared<ClockObject>()) {
    systemClockHandle_ = addHandle(systemClock_);
    addressSpaceHandle_ = addHandle(std::make_shared<AddressSpaceObject>());
}

static uintptr_t keyOf(Object handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

Object Kernel::addHandle(const ObjectPtr& object) {
    ++object->handles;
    uintptr_t key = nextHandle_++;
    handles_[key] = object;
    return reinterpret_cast<Object>(key);
}

Error Kernel::findAny(Object handle, ObjectPtr& out) {
    if (handle == nullptr) {
        return NULLObjectSpecified;
    }
    auto found = handles_.find(keyOf(handle));
    if (found == handles_.end() || found->second->closed) {
        return ObjectIsNotValid;
    }
    out = found->second;
    return Success;
}

Error Kernel::closeHandle(Object handle) {
    if (handle == nullptr) {
        return NULLObjectSpecified;
    }
    auto found = handles_.find(keyOf(handle));
    if (found == handles_.end()) {
        return ObjectIsNotValid;
    }
    if (handle == systemClockHandle_ || handle == addressSpaceHandle_) {
        return IllegalParameter;
    }
    ObjectPtr object = found->second;
    if (object->kind == Kind::Task) {
        auto& task = static_cast<TaskRecord&>(*object);
        if (task.primaryHandle == handle && task.phase == TaskPhase::Running) {
            // The task still runs and answers to this handle (CurrentTask); it goes at the end.
            if (task.primaryClosed) {
                return ObjectIsNotValid;
            }
            task.primaryClosed = true;
            return Success;
        }
    }
    handles_.erase(found);
    releaseReference(object);
    return Success;
}

void Kernel::releaseReference(const ObjectPtr& object) {
    if (--object->handles == 0) {
        closeObject(*object);
    }
}

void Kernel::failAll(WaitQueue& queue, Error result) {
    WaitQueue waiting;
    waiting.swap(queue);
    for (Waiter* waiter : waiting) {
        finish(*waiter, result);
    }
}

void Kernel::closeObject(KernelObject& object) {
    object.closed = true;
    switch (object.kind) {
        case Kind::Connection:
            closeConnectionEnd(static_cast<ConnectionEnd&>(object));
            break;
        case Kind::Activity:
            closeActivity(static_cast<ActivityObject&>(object));
            break;
        case Kind::Semaphore:
        case Kind::LocalMutex:
            failAll(static_cast<SemaphoreObject&>(object).waiters, ObjectIsNotValid);
            break;
        case Kind::Condition:
            failAll(static_cast<ConditionObject&>(object).waiters, ObjectIsNotValid);
            break;
        case Kind::Clock: {
            auto& clock = static_cast<ClockObject&>(object);
            armClock(clock, false, nullptr, nullptr);
            failAll(clock.receivers, ObjectIsNotValid);
            break;
        }
        case Kind::Link:
            static_cast<LinkObject&>(object).target.reset();
            break;
        case Kind::Task:
        case Kind::AddressSpace:
            break;
    }
}

void Kernel::closeConnectionEnd(ConnectionEnd& end) {
    failAll(end.incoming, ConnectionClosed);  // sent from the other end, to this one
    failAll(end.receivers, ObjectIsNotValid);
    if (end.peer != nullptr) {
        ConnectionEnd& peer = *end.peer;
        failAll(peer.incoming, ObjectIsNotValid);  // sent from this end
        failAll(peer.receivers, ConnectionClosed);
        peer.peer = nullptr;
        end.peer = nullptr;
    }
}

void Kernel::cancelActivity(ActivityObject& activity) {
    if (activity.outstanding) {
        removeWaiter(*activity.targetQueue, &activity.waiter);
        activity.outstanding = false;
        activity.targetQueue = nullptr;
        activity.target.reset();
    }
    if (activity.completed) {
        auto& completions = activity.owner->completions;
        completions.erase(std::find(completions.begin(), completions.end(), &activity));
        activity.completed = false;
    }
}

void Kernel::closeActivity(ActivityObject& activity) {
    cancelActivity(activity);
    activity.owner.reset();
}

size_t Kernel::openObjectCount() {
    std::set<const KernelObject*> open;
    for (const auto& entry : handles_) {
        const KernelObject& object = *entry.second;
        bool adoptedThread =
            object.kind == Kind::Task && !static_cast<const TaskRecord&>(object).kernelCreated;
        if (!adoptedThread) {
            open.insert(&object);
        }
    }
    return open.size() - 2;  // the system clock and the address space
}

static const KernelObject* resolveLink(const ObjectPtr& object) {
    if (object->kind == Kind::Link) {
        return static_cast<const LinkObject&>(*object).target.get();
    }
    return object.get();
}

bool Kernel::sameObject(Object a, Object b) {
    ObjectPtr first;
    ObjectPtr second;
    if (findAny(a, first) != Success || findAny(b, second) != Success) {
        return false;
    }
    return resolveLink(first) == resolveLink(second);
}

Error Kernel::injectedFailure(const char* function, int* errorNumber) {
    if (injected_.empty()) {
        return Success;
    }
    auto found = injected_.find(function);
    if (found == injected_.end()) {
        return Success;
    }
    if (found->second.skipped > 0) {
        --found->second.skipped;
        return Success;
    }
    Error code = found->second.code;
    if (errorNumber != nullptr && found->second.errorNumber != 0) {
        *errorNumber = found->second.errorNumber;
    }
    injected_.erase(found);
    return code;
}

void Kernel::reset(Lock& lock) {
    endAllTasks(lock);
    stopRealTimeThread(lock);
    auto open = std::move(handles_);
    handles_.clear();
    auto registered = std::move(resources);
    resources.clear();
    std::vector<ObjectPtr> objects;
    for (auto& entry : open) {
        if (entry.second != systemClock_ && entry.second->kind != Kind::AddressSpace) {
            objects.push_back(entry.second);
        } else {
            handles_[entry.first] = entry.second;  // kept under the same handle
        }
    }
    for (auto& resource : registered) {
        objects.push_back(resource.second.object);
    }
    for (auto& object : objects) {
        if (!object->closed) {
            object->handles = 0;
            closeObject(*object);
        }
    }
    armClock(*systemClock_, false, nullptr, nullptr);
    timersReset();
    injected_.clear();
    faultHandler_ = nullptr;
    time_.setVirtual(0);
    ++generation_;
}

}  // namespace kernel
}  // namespace host
