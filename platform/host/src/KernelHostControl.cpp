// Host control of the kernel: task helpers, object queries, fault injection and the reset.
#include <stdexcept>

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
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.reset(lock);
}

}  // namespace host
