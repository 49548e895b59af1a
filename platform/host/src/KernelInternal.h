// Inside of the host kernel: kernel objects, the handle table, blocking and waking of tasks,
// the timer queue and the time source. Everything here is guarded by the one kernel mutex
// (Kernel::mutex); no other lock is taken while it is held, so there is no lock order to keep.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

#include "HostKernel.h"
#include "Kernel.h"
#include "KernelQueue.h"

namespace host {
namespace kernel {

using Lock = std::unique_lock<std::mutex>;

enum class Kind {
    Task,
    Connection,
    Activity,
    Semaphore,
    Condition,
    Clock,
    Link,
    AddressSpace,
    LocalMutex
};

struct TaskRecord;
struct ActivityObject;

// A receive or wait that is not yet satisfied: of a blocked task (the waiter lives on that
// task's stack) or of an activity (the activity owns it). Whoever satisfies it calls
// Kernel::finish.
struct Waiter {
    TaskRecord* task = nullptr;          // the waiting task (for an activity: none)
    ActivityObject* activity = nullptr;  // set for an asynchronous receive
    Buffer* message = nullptr;           // the waiter's descriptors (null: none)
    bool done = false;
    Error result = Success;
};
using WaitQueue = FifoQueue<Waiter*>;

// Removes `waiter` from `queue` when it is there.
void removeWaiter(WaitQueue& queue, const Waiter* waiter);

struct KernelObject {
    explicit KernelObject(Kind objectKind) : kind(objectKind) {}
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    const Kind kind;
    int handles = 0;      // open handles (and resource registrations) of the object
    bool closed = false;  // set when the last handle went; the object is then unusable
};
using ObjectPtr = std::shared_ptr<KernelObject>;

enum class TaskPhase { Created, Running, Ended };

struct TaskRecord : KernelObject {
    TaskRecord() : KernelObject(Kind::Task) {}

    uint64_t serial = 0;  // unique for the process's life: the identity kept by lock owners
    std::string name;
    uint32_t priority = 0;
    uint32_t stackSize = 0;
    uintptr_t identification = 0;
    bool errorHandlerInstalled = false;
    TaskEntry entry = nullptr;
    std::function<void()> body;  // spawnTask's body, run instead of `entry`

    bool kernelCreated = false;
    TaskPhase phase = TaskPhase::Created;
    bool runnable = false;  // counted in Kernel::runnableTasks (kernel-created tasks only)
    bool blocked = false;   // inside a kernel wait
    bool halted = false;
    bool parked = false;  // stopped by a halt
    bool endRequested = false;
    bool unwinding = false;  // its code is unwinding to end it (read by its own thread only)
    bool timedOut = false;
    Error exitCode = Success;
    std::condition_variable wakeup;
    std::atomic<uint64_t> wakeCount{0};  // raised by every wake, under the kernel's mutex

    Object primaryHandle = nullptr;  // createTask's handle, also CurrentTask's
    bool primaryClosed = false;      // closed by its holder while the task still ran

    FifoQueue<ActivityObject*> completions;  // completed activities, oldest first
    Waiter* activityWaiter = nullptr;        // set while the task is in WaitForActivity
};

struct ConnectionEnd : KernelObject {
    ConnectionEnd() : KernelObject(Kind::Connection) {}
    ConnectionEnd* peer = nullptr;  // null once either end is closed
    WaitQueue incoming;             // senders whose messages wait for a receiver here
    WaitQueue receivers;            // receivers waiting here for a message
};

struct ActivityObject : KernelObject {
    ActivityObject() : KernelObject(Kind::Activity) {}
    std::shared_ptr<TaskRecord> owner;
    uint32_t priority = 0;
    uint32_t flags = 0;
    uint32_t id = 0;
    Waiter waiter;                     // its receive
    ObjectPtr target;                  // the object received on while outstanding
    WaitQueue* targetQueue = nullptr;  // where `waiter` is queued while outstanding
    bool outstanding = false;
    bool completed = false;  // in the owner's completions
};

enum class SemaphoreKind { Counting, Binary, Owned };  // Owned: highest locker, local mutex

struct SemaphoreObject : KernelObject {
    SemaphoreObject(Kind objectKind, SemaphoreKind semaphoreKind)
        : KernelObject(objectKind), semKind(semaphoreKind) {}
    const SemaphoreKind semKind;
    uint32_t count = 0;     // counting and binary kinds
    uint64_t owner = 0;     // owned kind: the owner's serial, 0 when free
    WaitQueue waiters;      // waiting tasks and activities, longest first
    uint32_t priority = 0;  // kept, not used for scheduling
};

struct ConditionObject : KernelObject {
    ConditionObject() : KernelObject(Kind::Condition) {}
    std::shared_ptr<SemaphoreObject> lock;
    WaitQueue waiters;
};

// Timers are numbered in the order they are set; equal due times fire in that order.
using TimerId = uint64_t;

struct ClockObject : KernelObject {
    ClockObject() : KernelObject(Kind::Clock) {}
    uint32_t flags = 0;
    bool alarmSet = false;
    bool periodic = false;
    int64_t period = 0;  // ns
    TimerId timer = 0;   // valid while alarmSet
    bool pendingExpiry = false;
    WaitQueue receivers;
};

struct LinkObject : KernelObject {
    LinkObject() : KernelObject(Kind::Link) {}
    ObjectPtr target;
};

struct AddressSpaceObject : KernelObject {
    AddressSpaceObject() : KernelObject(Kind::AddressSpace) {}
};

// Thrown through a task's code to end it (exitTask, resetKernel); caught by the task's start
// function. It has no base class, so handlers of std::exception let it pass.
struct TaskEndUnwind {
    Error code;
};

// What a timer does when it is due: time out a blocked task or expire a clock's alarm.
struct TimerTarget {
    TaskRecord* task = nullptr;
    ClockObject* clock = nullptr;
};

// The time source: real time (wall clock, advancing by itself) or virtual time (advanced by
// advanceTime). Times are nanoseconds since the Unix epoch (real) or since 0 (virtual).
class TimeSource {
  public:
    bool isVirtual() const { return virtual_; }
    int64_t now() const;
    void setVirtual(int64_t start);
    void setReal();
    void setVirtualNow(int64_t now) { virtualNow_ = now; }
    // The steady-clock point at which real time reaches `due`.
    std::chrono::steady_clock::time_point steadyPointOf(int64_t due) const;

  private:
    bool virtual_ = true;
    int64_t virtualNow_ = 0;
    int64_t realOffset_ = 0;  // wall clock minus steady clock at the switch to real time
};

// The calling thread's record when the kernel created the thread, else null.
TaskRecord* kernelTaskOfThisThread();

int64_t toNanoseconds(const Time& time);
Time toTime(int64_t nanoseconds);

class Kernel {
  public:
    static Kernel& instance();

    std::mutex mutex;

    // ---- Handles ----
    Object addHandle(const ObjectPtr& object);
    // Finds a live object of `kind`; its error code otherwise.
    template <class T>
    Error find(Object handle, Kind kind, std::shared_ptr<T>& out) {
        ObjectPtr object;
        Error error = findAny(handle, object);
        if (error != Success) {
            return error;
        }
        if (object->kind != kind) {
            return IncorrectObjectType;
        }
        out = std::static_pointer_cast<T>(object);
        return Success;
    }
    Error findAny(Object handle, ObjectPtr& out);
    Error closeHandle(Object handle);
    // Drops one handle reference of `object` (a handle or a registration); closes it at 0.
    void releaseReference(const ObjectPtr& object);
    size_t openObjectCount();
    bool sameObject(Object a, Object b);

    // ---- Injected failures ----
    // The failure injected for `function`, consumed; Success when none. A failure that carries
    // an errno (a file call's) leaves it in `*errorNumber` when that is not null.
    Error injectedFailure(const char* function, int* errorNumber = nullptr);
    // Makes the call of `function` after `skipped` successful ones fail with `code` (and, for a
    // file call, `errorNumber`; 0: none chosen), replacing a failure pending for it.
    void injectFailure(const char* function, Error code, unsigned skipped = 0,
                       int errorNumber = 0) {
        injected_[function] = InjectedFailure{code, skipped, errorNumber};
    }

    // ---- Tasks ----
    TaskRecord& currentTask();  // adopts a thread the kernel did not create
    std::shared_ptr<TaskRecord> newTask(const char* name, uint32_t priority, uint32_t stackSize);
    void startTask(const std::shared_ptr<TaskRecord>& task);
    void taskEnded(TaskRecord& task, Error code);
    void adoptedThreadEnded(const std::shared_ptr<TaskRecord>& task);
    // Blocks the caller until `waiter` is done, `deadline` (ns, may be null) passes
    // (OperationTimedOut) or the task is ended (throws TaskEndUnwind). Removes `waiter` from
    // `queue` (may be null) when it gives up. Stops there while the task is halted.
    Error block(Lock& lock, TaskRecord& self, Waiter& waiter, WaitQueue* queue,
                const int64_t* deadline);
    // Unwinds an ending task and stops a halted one; called on entry of every blocking call.
    void enterBlockingCall(Lock& lock, TaskRecord& self);
    void parkWhileHalted(Lock& lock, TaskRecord& self);
    // A task that a reset ends waits here until the reset gives it its turn, then unwinds.
    [[noreturn]] void awaitUnwindTurn(Lock& lock, TaskRecord& self);
    void wake(TaskRecord& task);
    // Satisfies a waiter: wakes its task or completes its activity.
    void finish(Waiter& waiter, Error result);
    void completeActivity(ActivityObject& activity, Error result);
    // Drops the activity's outstanding receive and its completion not yet waited for.
    void cancelActivity(ActivityObject& activity);
    // Waits for quiescence. A thread the kernel did not create also waits for an advance of time
    // that a task runs to end, unless the waiter is that advance itself (`forAdvance`).
    void waitForQuiescence(Lock& lock, bool forAdvance = false);
    // Waits until `ready`, looked at again whenever the tasks became quiet or an advance ended; a
    // kernel task counts as blocked meanwhile, so that tasks waiting for one another's
    // quiescence do not hold each other up.
    template <class Predicate>
    void waitAsBlocked(Lock& lock, Predicate ready) {
        TaskRecord* self = kernelTaskOfThisThread();
        if (self != nullptr) {
            markBlocked(*self);
        }
        while (!ready()) {
            const uint64_t seen = quietSignals_.load(std::memory_order_relaxed);
            if (!spinUntilChanged(lock, quietSignals_, seen) &&
                quietSignals_.load(std::memory_order_relaxed) == seen) {
                quiet_.wait(lock);
            }
        }
        if (self != nullptr) {
            markRunnable(*self);
        }
    }
    void endAllTasks(Lock& lock);
    void setFaultHandler(TaskFaultHandler handler) { faultHandler_ = std::move(handler); }
    TaskFaultHandler faultHandler() { return faultHandler_; }

    // ---- Timers and time ----
    TimeSource& time() { return time_; }
    TimerId addTimer(int64_t due, TimerTarget target);
    void removeTimer(TimerId id);
    void fireTimer(TimerId id);
    // The timer due first (and its due time), or false when none is set.
    bool firstTimer(TimerId& id, int64_t& due) const;
    // Moves every timer by `delta` ns (a switch of the time source keeps remaining intervals).
    void shiftTimers(int64_t delta);
    void timersReset();
    void startRealTimeThread(Lock& lock);
    void stopRealTimeThread(Lock& lock);
    void expireClock(ClockObject& clock, int64_t due);
    // Starts (or clears, with `start` and `interval` null) the clock's alarm.
    void armClock(ClockObject& clock, bool periodic, const int64_t* start, const int64_t* period);
    std::condition_variable timersChanged;

    // ---- Objects every address space has ----
    const std::shared_ptr<ClockObject>& systemClock() const { return systemClock_; }
    Object systemClockHandle() const { return systemClockHandle_; }
    Object addressSpaceHandle() const { return addressSpaceHandle_; }

    // ---- Resources ----
    struct Resource {
        ObjectPtr object;
        std::string password;
    };
    std::map<std::string, Resource> resources;

    void reset(Lock& lock);

    // Waits until no other advance of time runs (counted as blocked meanwhile), then starts one.
    void beginAdvance(Lock& lock);
    // Fires the timers due up to `target` (ns) one at a time, each as soon as no task is
    // runnable, on the thread whose block made it so (this one at first); returns when none is
    // left and no task is runnable. The caller counts as blocked meanwhile.
    void fireTimersUpTo(Lock& lock, int64_t target);
    // Ends an advance: wakes the next advance and the quiescence waiters that wait for it.
    void endAdvance();

  private:
    Kernel();
    void closeObject(KernelObject& object);
    void closeConnectionEnd(ConnectionEnd& end);
    void closeActivity(ActivityObject& activity);
    void failAll(WaitQueue& queue, Error result);
    void markBlocked(TaskRecord& task);
    void markRunnable(TaskRecord& task);
    // Called when the last runnable task blocks or ends: lets a driven advance fire what is due
    // next, and wakes the quiescence waiters when that left every task blocked.
    void becameQuiet();
    // Fires due timers of the driven advance while no task is runnable.
    void fireWhileQuiet();
    // Waits on the task's own wake-up until `ready`, the task counted as blocked meanwhile. The
    // predicate is checked again after the count drops: the quiescence that made may have fired
    // this task's own timer.
    template <class Predicate>
    void sleepBlocked(Lock& lock, TaskRecord& self, Predicate ready) {
        while (!ready()) {
            markBlocked(self);
            if (ready()) {
                break;
            }
            waitForWake(lock, self);
        }
    }
    // Waits until the task is woken (or, rarely, for nothing): first for a short while without
    // the kernel's mutex and without sleeping (spinUntilChanged), then on its wake-up condition.
    void waitForWake(Lock& lock, TaskRecord& self);
    // Lets go of the kernel's mutex and looks for a short while, without sleeping, for `counter`
    // (raised under the mutex) to move on from `seen`; takes the mutex again and tells whether it
    // moved. A thread woken within that while costs no sleep and no wake-up by the system, which
    // is most of a hand-off's cost when tasks take turns (an advance of time, a command and its
    // reply). Whether and how long a thread spins is WaitSpinning.h's (never with fewer than
    // three usable processors, shorter after spins that saw no wake-up); a thread that does not
    // spin only looks once, keeping the mutex.
    bool spinUntilChanged(Lock& lock, const std::atomic<uint64_t>& counter, uint64_t seen);
    // Notifies the waiters of waitAsBlocked (quiescence, the end of an advance).
    void notifyQuietWaiters();
    void realTimeLoop();

    std::unordered_map<uintptr_t, ObjectPtr> handles_;
    uintptr_t nextHandle_ = 0x1000;
    // A pending failure: its code, how many calls still succeed before it, and the errno a
    // file call's failure leaves (0: none chosen).
    struct InjectedFailure {
        Error code;
        unsigned skipped;
        int errorNumber;
    };
    std::map<std::string, InjectedFailure> injected_;
    uint64_t nextTaskSerial_ = 1;
    TaskRecord* unwindTurn_ = nullptr;  // the one task a reset lets unwind now
    uint64_t generation_ = 1;           // changes with every reset: adopted threads adopt again
    int runnableTasks_ = 0;             // kernel-created tasks that are running or about to
    bool advanceDriving_ = false;       // a driven advance still has timers to look at
    int64_t advanceTarget_ = 0;         // the time it ends at (ns)
    int liveThreads_ = 0;               // kernel-created tasks whose thread has not ended
    std::condition_variable quiet_;
    std::atomic<uint64_t> quietSignals_{0};  // notifications of quiet_
    bool advancing_ = false;                 // an advanceTime runs
    TaskFaultHandler faultHandler_;
    struct Timer {
        int64_t due;
        TimerTarget target;
    };
    std::map<TimerId, Timer> timers_;
    std::set<std::pair<int64_t, TimerId>> timerOrder_;
    TimerId nextTimerId_ = 1;
    TimeSource time_;
    std::thread realTimeThread_;
    bool stopRealTime_ = false;
    std::shared_ptr<ClockObject> systemClock_;
    Object systemClockHandle_ = nullptr;
    Object addressSpaceHandle_ = nullptr;
};

// Validates and copies a message from a sender's descriptors into a receiver's. The result is
// what both sides get.
Error transferMessage(Kernel& kernel, Buffer* from, Buffer* to);
// Checks a message's descriptors: a last descriptor, known kinds, data addresses present and,
// when `sending`, the handles handed over valid. IllegalParameter or the handle's error.
Error checkMessage(Kernel& kernel, const Buffer* message, bool sending);

// Starts a receive of `waiter` on `object` (a connection end, a semaphore or a clock): satisfies
// it at once (Kernel::finish) when a message, a count or an expiry is there, else queues it and
// sets `queued`. An error when the receive cannot start (nothing is then queued).
Error startReceive(Kernel& kernel, const ObjectPtr& object, Waiter& waiter, WaitQueue*& queued);

// The serial of the task for which `waiter` waits (an activity's: its owner's).
uint64_t waiterSerial(const Waiter& waiter);

// Semaphore and local-mutex operations on behalf of the task with serial `taker`/`caller`.
Error tryObtainSemaphore(SemaphoreObject& semaphore, uint64_t taker);
Error releaseSemaphore(Kernel& kernel, SemaphoreObject& semaphore, uint64_t caller);
// Blocks the caller until it obtains the semaphore or `deadline` (may be null) passes.
Error waitForSemaphore(Kernel& kernel, Lock& lock, TaskRecord& self,
                       const std::shared_ptr<SemaphoreObject>& semaphore, const int64_t* deadline);

// The common start of a kernel call: takes the kernel lock and consumes an injected failure.
struct KernelCall {
    explicit KernelCall(const char* function)
        : kernel(Kernel::instance()),
          lock(kernel.mutex),
          injected(kernel.injectedFailure(function)) {}
    Kernel& kernel;
    Lock lock;
    Error injected;
};

}  // namespace kernel
}  // namespace host
