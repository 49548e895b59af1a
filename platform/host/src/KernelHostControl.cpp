// Host control of the kernel: task helpers, object queries, fault injection and the reset.
#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

#include "HostFramework.h"
#include "HostTree.h"
#include "KernelInternal.h"

namespace host {

using kernel::ActivityObject;
using kernel::Kernel;
using kernel::Lock;
using kernel::TaskPhase;
using kernel::TaskRecord;

Task spawnTask(const char* name, std::function<void()> body, uint32_t priority) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    auto task = kernel.newTask(name, priority, 0);
    task->body = std::move(body);
    kernel.startTask(task);
    return task->primaryHandle;
}

void setCurrentTaskName(const char* name) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.currentTask().name = name != nullptr ? name : "";
}

static TaskState stateOf(const TaskRecord& task) {
    if (task.phase == TaskPhase::Created) {
        return TaskState::Created;
    }
    if (task.phase == TaskPhase::Ended) {
        return TaskState::Ended;
    }
    if (task.parked) {
        return TaskState::Halted;
    }
    return task.blocked ? TaskState::Blocked : TaskState::Running;
}

Error describeTask(Task task, TaskInfo* info) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    std::shared_ptr<TaskRecord> record;
    if (Error error = kernel.find(task, kernel::Kind::Task, record)) {
        return error;
    }
    if (info == nullptr) {
        return IllegalParameter;
    }
    info->name = record->name;
    info->priority = record->priority;
    info->stackSize = record->stackSize;
    info->identification = record->identification;
    info->errorHandlerInstalled = record->errorHandlerInstalled;
    info->state = stateOf(*record);
    info->exitCode = record->exitCode;
    return Success;
}

Error describeActivity(Activity activity, ActivityInfo* info) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    std::shared_ptr<ActivityObject> record;
    if (Error error = kernel.find(activity, kernel::Kind::Activity, record)) {
        return error;
    }
    if (info == nullptr) {
        return IllegalParameter;
    }
    info->owner = record->owner != nullptr ? record->owner->primaryHandle : nullptr;
    info->priority = record->priority;
    info->flags = record->flags;
    info->id = record->id;
    return Success;
}

void setTaskFaultHandler(TaskFaultHandler handler) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.setFaultHandler(std::move(handler));
}

bool sameObject(Object a, Object b) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    return kernel.sameObject(a, b);
}

size_t openObjectCount() {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    return kernel.openObjectCount();
}

void failNextCall(const char* function, Error code) {
    failCallAfter(function, 0, code);
}

void failCallAfter(const char* function, unsigned skipped, Error code) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.injectFailure(function, code, skipped);
}

namespace {

// Actions pending for platform calls (runAtNextCall); `armed` spares the calls the lock while
// none is pending.
struct CallActions {
    std::mutex lock;
    std::map<std::string, std::function<void()>> pending;
    std::atomic<bool> armed{false};
};

CallActions& callActions() {
    static auto* actions = new CallActions();
    return *actions;
}

void dropCallActions() {
    CallActions& actions = callActions();
    std::lock_guard<std::mutex> guard(actions.lock);
    actions.pending.clear();
    actions.armed.store(false, std::memory_order_release);
}

}  // namespace

void runAtNextCall(const char* function, std::function<void()> action) {
    CallActions& actions = callActions();
    std::lock_guard<std::mutex> guard(actions.lock);
    actions.pending[function] = std::move(action);
    actions.armed.store(true, std::memory_order_release);
}

void detail::runCallAction(const char* function) {
    CallActions& actions = callActions();
    if (!actions.armed.load(std::memory_order_acquire)) {
        return;
    }
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> guard(actions.lock);
        auto found = actions.pending.find(function);
        if (found == actions.pending.end()) {
            return;
        }
        action = std::move(found->second);
        actions.pending.erase(found);
        actions.armed.store(!actions.pending.empty(), std::memory_order_release);
    }
    action();  // outside the lock: it may arm another action
}

void endAllTasks() {
    if (kernel::kernelTaskOfThisThread() != nullptr) {
        throw std::logic_error("endAllTasks called on a task the kernel created");
    }
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.endAllTasks(lock);
}

void resetKernel() {
    if (kernel::kernelTaskOfThisThread() != nullptr) {
        throw std::logic_error("resetKernel called on a task the kernel created");
    }
    endAllTasks();
    // The address space's memory goes before its kernel objects, so what it held closes them
    // once, while they still exist.
    keepAddressSpaceTree();
    runStaticDestructors();
    dropCallActions();
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.reset(lock);
}

}  // namespace host
