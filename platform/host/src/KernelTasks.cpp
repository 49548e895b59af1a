// Task calls: creation, running, halting, ending, names and identification words.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "KernelInternal.h"

using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::TaskPhase;
using host::kernel::TaskRecord;

namespace {

constexpr uint32_t kHighestPriority = 255;

// Finds a task by handle inside a kernel call.
Error findTask(KernelCall& call, Task task, std::shared_ptr<TaskRecord>& out) {
    return call.kernel.find(task, Kind::Task, out);
}

}  // namespace

Task CurrentTask(void) {
    auto& kernel = host::kernel::Kernel::instance();
    host::kernel::Lock lock(kernel.mutex);
    return kernel.currentTask().primaryHandle;
}

Error createTask(const char* name, uint32_t priority, uint32_t stackSize, TaskEntry entry,
                 Task* task) {
    KernelCall call("createTask");
    if (call.injected != Success) {
        return call.injected;
    }
    if (entry == nullptr || task == nullptr || priority > kHighestPriority) {
        return IllegalParameter;
    }
    auto record = call.kernel.newTask(name, priority, stackSize);
    record->entry = entry;
    *task = record->primaryHandle;
    return Success;
}

Error RunTask(Task task) {
    KernelCall call("RunTask");
    if (call.injected != Success) {
        return call.injected;
    }
    std::shared_ptr<TaskRecord> record;
    if (Error error = findTask(call, task, record)) {
        return error;
    }
    switch (record->phase) {
        case TaskPhase::Ended:
            return TaskHasEnded;
        case TaskPhase::Created:
            record->halted = false;
            call.kernel.startTask(record);
            return Success;
        case TaskPhase::Running:
            record->halted = false;
            call.kernel.wake(*record);
            return Success;
    }
    return Success;
}

Error HaltTask(Task task) {
    KernelCall call("HaltTask");
    if (call.injected != Success) {
        return call.injected;
    }
    std::shared_ptr<TaskRecord> record;
    if (Error error = findTask(call, task, record)) {
        return error;
    }
    if (record->phase == TaskPhase::Ended) {
        return TaskHasEnded;
    }
    record->halted = true;
    TaskRecord& self = call.kernel.currentTask();
    if (&self == record.get()) {
        call.kernel.parkWhileHalted(call.lock, self);
    }
    return Success;
}

void exitTask(Error code) {
    host::kernel::TaskRecord* self = host::kernel::kernelTaskOfThisThread();
    if (self == nullptr) {
        throw std::logic_error("exitTask called on a task the kernel did not create");
    }
    self->unwinding = true;
    throw host::kernel::TaskEndUnwind{code};
}

int TaskIsEnding(void) {
    const host::kernel::TaskRecord* self = host::kernel::kernelTaskOfThisThread();
    return self != nullptr && self->unwinding ? 1 : 0;
}

Error GetTaskName(Task task, char* buffer, uint32_t maxLength, uint32_t* length) {
    KernelCall call("GetTaskName");
    if (call.injected != Success) {
        return call.injected;
    }
    if (buffer == nullptr) {
        return IllegalParameter;
    }
    std::shared_ptr<TaskRecord> record;
    if (Error error = findTask(call, task, record)) {
        return error;
    }
    size_t copied = std::min<size_t>(record->name.size(), maxLength);
    std::memcpy(buffer, record->name.data(), copied);
    if (copied < maxLength) {
        buffer[copied] = '\0';
    }
    if (length != nullptr) {
        *length = static_cast<uint32_t>(copied);
    }
    return Success;
}

Error SetTaskIdentification(Task task, uintptr_t identification) {
    KernelCall call("SetTaskIdentification");
    if (call.injected != Success) {
        return call.injected;
    }
    std::shared_ptr<TaskRecord> record;
    if (Error error = findTask(call, task, record)) {
        return error;
    }
    record->identification = identification;
    return Success;
}

Error GetTaskIdentification(Task task, uintptr_t* identification) {
    KernelCall call("GetTaskIdentification");
    if (call.injected != Success) {
        return call.injected;
    }
    if (identification == nullptr) {
        return IllegalParameter;
    }
    std::shared_ptr<TaskRecord> record;
    if (Error error = findTask(call, task, record)) {
        return error;
    }
    *identification = record->identification;
    return Success;
}

Error installTaskErrorHandler(Task task) {
    KernelCall call("installTaskErrorHandler");
    if (call.injected != Success) {
        return call.injected;
    }
    std::shared_ptr<TaskRecord> record;
    if (Error error = findTask(call, task, record)) {
        return error;
    }
    record->errorHandlerInstalled = true;
    return Success;
}
