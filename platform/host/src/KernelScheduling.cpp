// Tasks as threads: their start and end, blocking and waking, halting, quiescence and the
// ending of every task.
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "KernelInternal.h"
#include "SharedProcessor.h"
#include "WaitSpinning.h"

namespace host {
namespace kernel {
namespace {

// Tells the processor that this is a wait loop (it then spends less on it).
inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// The processors the process could run on when it first asked (at least one): before the kernel
// kept any thread on one processor.
const std::vector<int>& usableProcessors() {
    static const std::vector<int> processors = [] {
        std::vector<int> usable;
        cpu_set_t set;
        CPU_ZERO(&set);
        if (sched_getaffinity(0, sizeof(set), &set) == 0) {
            for (int processor = 0; processor < CPU_SETSIZE; ++processor) {
                if (CPU_ISSET(processor, &set)) {
                    usable.push_back(processor);
                }
            }
        }
        if (usable.empty()) {
            usable.resize(std::max(1u, std::thread::hardware_concurrency()));
            std::iota(usable.begin(), usable.end(), 0);
        }
        return usable;
    }();
    return processors;
}

int usableProcessorCount() {
    return static_cast<int>(usableProcessors().size());
}

// How often at most a run that holds no first place on a processor looks for a lower place
// again: a processor another run let go of is taken within this time.
constexpr std::chrono::milliseconds kChoiceInterval(100);

// The processor the run's threads share where keepsThreadsOnOneProcessor says so. Chosen again
// under the kernel's mutex; `chosen` is read by every thread.
struct RunProcessor {
    SharedProcessor shared{usableProcessors(), runClaimFolder()};
    std::atomic<int> chosen{-1};
    std::chrono::steady_clock::time_point choiceTime = std::chrono::steady_clock::now();

    RunProcessor() { chosen.store(shared.start(sched_getcpu()), std::memory_order_relaxed); }
};

// The run's processor; null where its threads are not kept on one. Made by the first thread to
// ask, on the processor it runs on; never destroyed (threads may follow it while the process
// ends).
RunProcessor* runProcessor() {
    static RunProcessor* const run =
        keepsThreadsOnOneProcessor(usableProcessorCount()) ? new RunProcessor() : nullptr;
    return run;
}

// At a quiet point, when no task is runnable (under the kernel's mutex): a run without a first
// place chooses its processor again, at most once per kChoiceInterval; its threads follow at
// their next kernel call, wake-up or advance of time (at its end).
void chooseRunProcessorAgain() {
    RunProcessor* run = runProcessor();
    if (run == nullptr || run->shared.place() == 0) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - run->choiceTime < kChoiceInterval) {
        return;
    }
    run->choiceTime = now;
    run->chosen.store(run->shared.chooseAgain(), std::memory_order_relaxed);
}

// Moves the calling thread to the run's processor where its threads share one and it chose
// another since this thread last looked. A refusal by the system only costs speed.
void followRunProcessor() {
    thread_local int followed = -1;
    const RunProcessor* run = runProcessor();
    if (run == nullptr) {
        return;
    }
    const int chosen = run->chosen.load(std::memory_order_relaxed);
    if (chosen == followed) {
        return;
    }
    followed = chosen;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(chosen, &set);
    sched_setaffinity(0, sizeof(set), &set);
}

// Leave for one thread to spin (Kernel::spinUntilChanged) while it is held: at most
// spinnersFor(the usable processors) threads spin at once.
class SpinSlot {
  public:
    SpinSlot() {
        int left = free().load(std::memory_order_relaxed);
        while (left > 0 &&
               !free().compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
        }
        taken_ = left > 0;
    }
    ~SpinSlot() {
        if (taken_) {
            free().fetch_add(1, std::memory_order_relaxed);
        }
    }
    SpinSlot(const SpinSlot&) = delete;
    SpinSlot& operator=(const SpinSlot&) = delete;
    bool taken() const { return taken_; }

  private:
    // Never destroyed: tasks may still block while the process ends.
    static std::atomic<int>& free() {
        static auto* slots = new std::atomic<int>(spinnersFor(usableProcessorCount()));
        return *slots;
    }
    bool taken_ = false;
};

// The spins of the calling thread.
thread_local SpinBudget tlsSpinBudget;

// Looks, without sleeping, for `counter` to move on from `seen` for at most `spin`; whether it
// moved.
bool spinFor(const std::atomic<uint64_t>& counter, uint64_t seen, std::chrono::nanoseconds spin) {
    const auto giveUp = std::chrono::steady_clock::now() + spin;
    for (unsigned round = 0;; ++round) {
        if (counter.load(std::memory_order_acquire) != seen) {
            return true;
        }
        if ((round & 63u) == 63u && std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        cpuRelax();
    }
}

// The record of the calling thread when the kernel created it.
thread_local TaskRecord* tlsKernelTask = nullptr;

// The record of a thread the kernel did not create, made on its first kernel call.
struct AdoptedTask {
    std::shared_ptr<TaskRecord> task;
    uint64_t generation = 0;
    AdoptedTask() = default;
    AdoptedTask(const AdoptedTask&) = delete;
    AdoptedTask& operator=(const AdoptedTask&) = delete;
    ~AdoptedTask() {
        if (task) {
            Kernel::instance().adoptedThreadEnded(task);
        }
    }
};
thread_local AdoptedTask tlsAdopted;

// Hands an exception that escaped a task's entry function to the address space's error
// handler when the task is enrolled; false when nobody takes it.
bool reportFault(TaskRecord& task) {
    TaskFaultHandler handler;
    {
        Lock lock(Kernel::instance().mutex);
        if (task.errorHandlerInstalled) {
            handler = Kernel::instance().faultHandler();
        }
    }
    if (!handler) {
        return false;
    }
    std::string what = "unknown";
    try {
        throw;
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
    }
    handler(task.primaryHandle, what.c_str());
    return true;
}

void runTaskThread(std::shared_ptr<TaskRecord> task) {
    followRunProcessor();
    tlsKernelTask = task.get();
    Error code = Success;
    try {
        if (task->body) {
            task->body();
        } else {
            task->entry();
        }
    } catch (const TaskEndUnwind& end) {
        code = end.code;
    } catch (...) {
        if (!reportFault(*task)) {
            throw;  // not enrolled: the process ends (std::terminate names the exception)
        }
    }
    Kernel::instance().taskEnded(*task, code);
}

}  // namespace

TaskRecord* kernelTaskOfThisThread() {
    return tlsKernelTask;
}

TaskRecord& Kernel::currentTask() {
    followRunProcessor();
    if (tlsKernelTask != nullptr) {
        return *tlsKernelTask;
    }
    if (!tlsAdopted.task || tlsAdopted.generation != generation_) {
        auto task = std::make_shared<TaskRecord>();
        task->serial = nextTaskSerial_++;
        task->name = "host thread";
        task->phase = TaskPhase::Running;
        task->primaryHandle = addHandle(task);
        // The record it replaces belonged to the kernel before the last reset.
        tlsAdopted.task = task;
        tlsAdopted.generation = generation_;
    }
    return *tlsAdopted.task;
}

void Kernel::adoptedThreadEnded(const std::shared_ptr<TaskRecord>& task) {
    Lock lock(mutex);
    task->phase = TaskPhase::Ended;
    auto found = handles_.find(reinterpret_cast<uintptr_t>(task->primaryHandle));
    if (found != handles_.end() && found->second == task) {
        handles_.erase(found);
        releaseReference(task);
    }
}

std::shared_ptr<TaskRecord> Kernel::newTask(const char* name, uint32_t priority,
                                            uint32_t stackSize) {
    auto task = std::make_shared<TaskRecord>();
    task->serial = nextTaskSerial_++;
    task->name = name != nullptr ? name : "";
    task->priority = priority;
    task->stackSize = stackSize;
    task->kernelCreated = true;
    task->primaryHandle = addHandle(task);
    return task;
}

void Kernel::startTask(const std::shared_ptr<TaskRecord>& task) {
    task->phase = TaskPhase::Running;
    task->runnable = true;
    ++runnableTasks_;
    ++liveThreads_;
    std::thread(runTaskThread, task).detach();
}

void Kernel::taskEnded(TaskRecord& task, Error code) {
    Lock lock(mutex);
    task.phase = TaskPhase::Ended;
    task.exitCode = code;
    task.blocked = false;
    task.parked = false;
    if (task.runnable) {
        task.runnable = false;
        --runnableTasks_;
    }
    --liveThreads_;
    if (runnableTasks_ == 0) {
        fireWhileQuiet();
    }
    notifyQuietWaiters();
    if (task.primaryClosed) {
        auto found = handles_.find(reinterpret_cast<uintptr_t>(task.primaryHandle));
        if (found != handles_.end()) {
            ObjectPtr object = found->second;
            handles_.erase(found);
            releaseReference(object);
        }
    }
}

void Kernel::markBlocked(TaskRecord& task) {
    if (task.kernelCreated && task.runnable) {
        task.runnable = false;
        if (--runnableTasks_ == 0) {
            becameQuiet();  // only quiescence is waited for on a count of runnable tasks
        }
    }
}

void Kernel::becameQuiet() {
    fireWhileQuiet();
    if (runnableTasks_ == 0) {
        notifyQuietWaiters();
    }
}

void Kernel::fireWhileQuiet() {
    chooseRunProcessorAgain();
    while (advanceDriving_ && runnableTasks_ == 0) {
        TimerId id = 0;
        int64_t due = 0;
        if (!firstTimer(id, due) || due > advanceTarget_) {
            advanceDriving_ = false;
            return;
        }
        if (due > time_.now()) {
            time_.setVirtualNow(due);
        }
        fireTimer(id);
    }
}

void Kernel::fireTimersUpTo(Lock& lock, int64_t target) {
    advanceTarget_ = target;
    advanceDriving_ = true;
    fireWhileQuiet();
    waitAsBlocked(lock, [this] { return !advanceDriving_ && runnableTasks_ == 0; });
    followRunProcessor();
}

void Kernel::markRunnable(TaskRecord& task) {
    if (task.kernelCreated && !task.runnable && task.phase == TaskPhase::Running) {
        task.runnable = true;
        ++runnableTasks_;
    }
}

void Kernel::wake(TaskRecord& task) {
    if (task.blocked || task.parked) {
        markRunnable(task);
        task.wakeCount.fetch_add(1, std::memory_order_release);
        task.wakeup.notify_all();
    }
}

void Kernel::waitForWake(Lock& lock, TaskRecord& self) {
    const uint64_t seen = self.wakeCount.load(std::memory_order_relaxed);
    if (!spinUntilChanged(lock, self.wakeCount, seen) &&
        self.wakeCount.load(std::memory_order_relaxed) == seen) {
        self.wakeup.wait(lock);
    }
    followRunProcessor();
}

bool Kernel::spinUntilChanged(Lock& lock, const std::atomic<uint64_t>& counter, uint64_t seen) {
    const std::chrono::nanoseconds spin = tlsSpinBudget.next();
    std::optional<SpinSlot> slot;
    if (spin > std::chrono::nanoseconds::zero()) {
        slot.emplace();
    }
    if (!slot || !slot->taken()) {
        return counter.load(std::memory_order_relaxed) != seen;
    }
    lock.unlock();
    const bool changed = spinFor(counter, seen, spin);
    tlsSpinBudget.record(changed);
    for (unsigned round = 0; changed && round < 4096; ++round) {
        if (lock.try_lock()) {
            return true;
        }
        cpuRelax();
    }
    lock.lock();
    return changed;
}

void Kernel::notifyQuietWaiters() {
    quietSignals_.fetch_add(1, std::memory_order_release);
    quiet_.notify_all();
}

Error Kernel::block(Lock& lock, TaskRecord& self, Waiter& waiter, WaitQueue* queue,
                    const int64_t* deadline) {
    bool timed = deadline != nullptr && !waiter.done;
    if (timed && *deadline <= time_.now()) {
        self.timedOut = true;  // a time-out that has already run out only tries
        timed = false;
    }
    TimerId timer = timed ? addTimer(*deadline, TimerTarget{&self, nullptr}) : 0;
    self.blocked = true;
    sleepBlocked(lock, self, [&] { return waiter.done || self.timedOut || self.endRequested; });
    self.blocked = false;
    markRunnable(self);
    if (timed) {
        removeTimer(timer);
    }
    self.timedOut = false;
    if (!waiter.done) {
        if (queue != nullptr) {
            removeWaiter(*queue, &waiter);
        }
        if (self.endRequested) {
            awaitUnwindTurn(lock, self);
        }
        waiter.result = OperationTimedOut;
    }
    parkWhileHalted(lock, self);
    return waiter.result;
}

void Kernel::enterBlockingCall(Lock& lock, TaskRecord& self) {
    if (self.endRequested) {
        awaitUnwindTurn(lock, self);
    }
    parkWhileHalted(lock, self);
}

void Kernel::parkWhileHalted(Lock& lock, TaskRecord& self) {
    if (self.halted && !self.endRequested) {
        self.parked = true;
        sleepBlocked(lock, self, [&] { return !self.halted || self.endRequested; });
    }
    self.parked = false;
    markRunnable(self);
    if (self.endRequested) {
        awaitUnwindTurn(lock, self);
    }
}

void Kernel::awaitUnwindTurn(Lock& lock, TaskRecord& self) {
    self.blocked = true;
    sleepBlocked(lock, self, [&] { return unwindTurn_ == &self; });
    self.blocked = false;
    markRunnable(self);
    self.unwinding = true;
    throw TaskEndUnwind{Success};
}

void Kernel::finish(Waiter& waiter, Error result) {
    if (waiter.activity != nullptr) {
        completeActivity(*waiter.activity, result);
        return;
    }
    waiter.result = result;
    waiter.done = true;
    wake(*waiter.task);
}

void Kernel::completeActivity(ActivityObject& activity, Error result) {
    activity.outstanding = false;
    activity.targetQueue = nullptr;
    activity.target.reset();
    activity.waiter.result = result;
    if (!activity.owner) {
        return;
    }
    TaskRecord& owner = *activity.owner;
    activity.completed = true;
    owner.completions.push_back(&activity);
    if (owner.activityWaiter != nullptr) {
        Waiter* waiting = owner.activityWaiter;
        owner.activityWaiter = nullptr;
        finish(*waiting, Success);
    }
}

void Kernel::waitForQuiescence(Lock& lock, bool forAdvance) {
    bool waitsForAdvances = !forAdvance && tlsKernelTask == nullptr;
    waitAsBlocked(lock, [this, waitsForAdvances] {
        return runnableTasks_ == 0 && !(waitsForAdvances && advancing_);
    });
}

void Kernel::beginAdvance(Lock& lock) {
    waitAsBlocked(lock, [this] { return !advancing_; });
    advancing_ = true;
}

void Kernel::endAdvance() {
    advancing_ = false;
    notifyQuietWaiters();
}

void Kernel::endAllTasks(Lock& lock) {
    std::vector<ObjectPtr> ending;
    for (auto& entry : handles_) {
        if (entry.second->kind != Kind::Task) {
            continue;
        }
        auto& task = static_cast<TaskRecord&>(*entry.second);
        if (!task.kernelCreated || task.phase == TaskPhase::Ended) {
            continue;
        }
        if (task.phase == TaskPhase::Created) {
            task.phase = TaskPhase::Ended;  // never ran: nothing to unwind
            continue;
        }
        task.endRequested = true;
        task.halted = false;
        ending.push_back(entry.second);
    }
    // One task unwinds at a time, as on the device's single processor: the destructors run by
    // one task's unwinding never run beside another's, and no task goes on with its work.
    for (auto& object : ending) {
        auto& task = static_cast<TaskRecord&>(*object);
        unwindTurn_ = &task;
        wake(task);
        quiet_.wait(lock, [&task] { return task.phase == TaskPhase::Ended; });
    }
    unwindTurn_ = nullptr;
    quiet_.wait(lock, [&] { return liveThreads_ == 0; });
}

}  // namespace kernel
}  // namespace host
