// Host control of the kernel stand-in: named resources, the time source (real or virtual),
// quiescence, task helpers and fault injection for tests.
//
// Virtual time: the time source starts at the value given to useVirtualTime (0 by default,
// virtual time is the default mode) and moves only when advanceTime moves it. Sleeps, timed
// waits and clock alarms then never wait in real time.
//
// Quiescence: the state in which every task made by createTask (other than the caller) is
// blocked in a kernel call, halted, not yet started or ended; a task that itself waits for
// quiescence counts as blocked. Tasks the kernel did not create (the process's first thread, a
// test's thread) are not counted; when such a thread waits for quiescence, it also waits until
// no task is advancing time.
//
// Processors: the kernel's tasks take turns, so with exactly two usable processors (too few for
// a blocked task to spin for its wake-up) the kernel keeps its tasks' threads, and any other
// thread once one of its calls needs the thread's task record (CurrentTask, a blocking call),
// on the one processor the first of them ran on; threads started later by such a thread inherit
// that. Placement only changes speed, never what the tasks do.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "Kernel.h"

namespace host {

// ---- Resources ------------------------------------------------------------------------------

// Registers `object` under `name` with `password` (null counts as ""). The registration holds a
// handle of its own, so the caller may close `object`. IllegalParameter when the name is null,
// empty or already registered.
Error registerResource(const char* name, Object object, const char* password);

// Removes a registration (and closes its handle). UnknownResourceName when there is none.
Error unregisterResource(const char* name);

// ---- Time -----------------------------------------------------------------------------------

// Switches to virtual time starting at `start`. Pending time-outs and alarms keep their
// remaining intervals.
void useVirtualTime(Time start = Time{0, 0});

// Switches to real time (the Unix-epoch wall clock, advancing on its own). Pending time-outs and
// alarms keep their remaining intervals.
void useRealTime();

bool isVirtualTime();

// The time source's current time.
Time currentTime();

// Virtual time only: moves the time source forward by `duration`. Due alarms and time-outs fire
// one at a time in time order (equal times in the order they were set); after each, and at the
// end, the call waits for quiescence, so that tasks woken by one event have reacted (and set
// new alarms) before the next. Returns IllegalParameter in real time or for a negative
// duration. Callable from any task, one advance at a time.
Error advanceTime(std::chrono::nanoseconds duration);

// Called on the setting task, outside the kernel's lock, after each successful SetClockAlarm:
// the clock handle as given, whether an alarm was set (false: the alarm was cleared) and the
// time source's time. One observer for the process; an empty function removes it. For
// simulators that watch a clock they handed out.
using ClockAlarmObserver = std::function<void(Clock clock, bool armed, Time now)>;
void setClockAlarmObserver(ClockAlarmObserver observer);

// Waits until quiescence (see above).
void waitForQuiescence();

// ---- Tasks ----------------------------------------------------------------------------------

// Makes and runs a task (as createTask + RunTask) that runs `body`. For simulators and tests.
Task spawnTask(const char* name, std::function<void()> body, uint32_t priority = 100);

// Names the calling thread's task (for threads the kernel did not create).
void setCurrentTaskName(const char* name);

enum class TaskState { Created, Running, Blocked, Halted, Ended };

struct TaskInfo {
    std::string name;
    uint32_t priority = 0;
    uint32_t stackSize = 0;
    uintptr_t identification = 0;
    bool errorHandlerInstalled = false;
    TaskState state = TaskState::Created;
    Error exitCode = Success;  // the code given to exitTask; Success after a normal return
};

// What the kernel knows of a task. ObjectIsNotValid (and `*info` untouched) for a bad handle.
Error describeTask(Task task, TaskInfo* info);

// What the kernel knows of an activity: as CreateActivity made it.
struct ActivityInfo {
    Task owner = nullptr;  // the task it belongs to (its creation handle)
    uint32_t priority = 0;
    uint32_t flags = 0;
    uint32_t id = 0;
};

// ObjectIsNotValid (and `*info` untouched) for a bad handle.
Error describeActivity(Activity activity, ActivityInfo* info);

// The address space's error handler: called on the failing task when an exception escapes the
// entry function of a task enrolled with installTaskErrorHandler, with the exception's text
// ("unknown" for a non-standard one). The task then ends. Without a handler, or for a task not
// enrolled, the exception ends the process (std::terminate).
using TaskFaultHandler = std::function<void(Task task, const char* what)>;
void setTaskFaultHandler(TaskFaultHandler handler);

// ---- Objects --------------------------------------------------------------------------------

// True when both handles denote the same kernel object; a link denotes the object it links to.
bool sameObject(Object a, Object b);

// Number of open kernel objects (tasks made by createTask that still run or have a handle,
// connections, activities, semaphores, conditions, clocks, links, local mutexes); the system
// clock, the address space and the records of threads the kernel did not create are not counted.
size_t openObjectCount();

// ---- Tests ----------------------------------------------------------------------------------

// Makes the next call of the kernel function named `function` (for example "WaitForLocalMutex")
// return `code` without doing anything (basiclib::sleep, whose name is "sleep", then returns at
// once with the seconds it did not sleep). One pending failure per name; deterministic. Two
// tree calls take failures too: FbDo_RegisterChangeCallback returns `code` and registers
// nothing; FbDo_FindLeaf asked for a data-reference leaf finds none (its other leaves do not
// consume the failure).
void failNextCall(const char* function, Error code);
// The same for the call of `function` that follows `skipped` calls which still succeed.
void failCallAfter(const char* function, unsigned skipped, Error code);
// Runs `action` once, on the calling task, at the start of the next call of `function` among
// the platform calls that offer it (FbDo_GetChoice; the file calls fopen, rename and unlinkat),
// before the call does its work: something a test needs to happen at a fixed point inside the
// program's work. One pending action per name; resetKernel drops the pending ones.
void runAtNextCall(const char* function, std::function<void()> action);

// Makes the next call of the basic library's file call `function` ("fopen", "fread", "fsync",
// ...) fail without effect and leave `errorNumber` (for example EMFILE) in errno. It is one of
// the pending failures: one injected later for the same name replaces it, errno included (a
// file call failed by failNextCall or failCallAfter leaves EIO), and resetKernel drops it.
void failNextFileCall(const char* function, int errorNumber);

// Ends every task made by createTask (their blocking calls unwind them) and waits until they
// have ended; the other objects stay open. The end of an address space begins here: what its
// memory held can then be released while the kernel objects behind it still exist, before
// resetKernel closes them. Must not be called from a task made by createTask.
void endAllTasks();

// Ends the address space and goes back to a fresh kernel: ends every task made by createTask
// (their blocking calls unwind them) and waits until they have ended; then releases what the
// address space's memory held, as the end of an address space does (keepAddressSpaceTree, then
// the framework's exit-time destructor list), while its kernel objects still exist; then closes
// every object and handle, clears resources, injected failures, pending call actions and the
// fault handler, and
// selects virtual time at 0. A handle closed here is invalid afterwards: closing it again fails
// with ObjectIsNotValid. Must not be called from a task made by createTask.
void resetKernel();

namespace detail {
// Runs and forgets the action pending for `function` (runAtNextCall), if any. Platform calls
// that offer an action call this first.
void runCallAction(const char* function);
}  // namespace detail

}  // namespace host
