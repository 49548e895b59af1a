// The one time source of the address space (real or virtual), the timer queue behind every
// time-out, sleep and clock alarm, and the host's control of time.
#include <chrono>

#include "KernelInternal.h"

namespace host {
namespace kernel {
namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t wallNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int64_t toNanoseconds(const Time& time) {
    // A fraction is below 2^32 and a second 10^9 < 2^30 ns: the product fits 64 bits.
    uint64_t fractionNs = (static_cast<uint64_t>(time.Fraction) * kNanosecondsPerSecond) >> 32;
    return static_cast<int64_t>(time.Seconds) * kNanosecondsPerSecond +
           static_cast<int64_t>(fractionNs);
}

Time toTime(int64_t nanoseconds) {
    int64_t seconds = nanoseconds / kNanosecondsPerSecond;
    int64_t rest = nanoseconds % kNanosecondsPerSecond;
    if (rest < 0) {
        rest += kNanosecondsPerSecond;
        --seconds;
    }
    uint64_t fraction = (static_cast<uint64_t>(rest) << 32) / kNanosecondsPerSecond;
    return Time{static_cast<int32_t>(seconds), static_cast<uint32_t>(fraction)};
}

int64_t TimeSource::now() const {
    return virtual_ ? virtualNow_ : steadyNanoseconds() + realOffset_;
}

void TimeSource::setVirtual(int64_t start) {
    virtual_ = true;
    virtualNow_ = start;
}

void TimeSource::setReal() {
    virtual_ = false;
    realOffset_ = wallNanoseconds() - steadyNanoseconds();
}

std::chrono::steady_clock::time_point TimeSource::steadyPointOf(int64_t due) const {
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(due - realOffset_));
}

TimerId Kernel::addTimer(int64_t due, TimerTarget target) {
    TimerId id = nextTimerId_++;
    timers_[id] = Timer{due, target};
    timerOrder_.insert({due, id});
    timersChanged.notify_all();
    return id;
}

void Kernel::removeTimer(TimerId id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) {
        timerOrder_.erase({found->second.due, id});
        timers_.erase(found);
    }
}

bool Kernel::firstTimer(TimerId& id, int64_t& due) const {
    if (timerOrder_.empty()) {
        return false;
    }
    due = timerOrder_.begin()->first;
    id = timerOrder_.begin()->second;
    return true;
}

void Kernel::fireTimer(TimerId id) {
    auto found = timers_.find(id);
    if (found == timers_.end()) {
        return;
    }
    Timer timer = found->second;
    removeTimer(id);
    if (timer.target.task != nullptr) {
        TaskRecord& task = *timer.target.task;
        if (task.blocked) {
            task.timedOut = true;
            wake(task);
        }
    } else {
        expireClock(*timer.target.clock, timer.due);
    }
}

void Kernel::shiftTimers(int64_t delta) {
    timerOrder_.clear();
    for (auto& entry : timers_) {
        entry.second.due += delta;
        timerOrder_.insert({entry.second.due, entry.first});
    }
    timersChanged.notify_all();
}

void Kernel::timersReset() {
    timers_.clear();
    timerOrder_.clear();
}

void Kernel::armClock(ClockObject& clock, bool periodic, const int64_t* start,
                      const int64_t* period) {
    if (clock.alarmSet) {
        removeTimer(clock.timer);
        clock.alarmSet = false;
    }
    clock.pendingExpiry = false;
    if (start == nullptr && period == nullptr) {
        return;
    }
    clock.periodic = periodic;
    clock.period = period != nullptr ? *period : 0;
    int64_t due = start != nullptr ? *start : time_.now() + clock.period;
    clock.timer = addTimer(due, TimerTarget{nullptr, &clock});
    clock.alarmSet = true;
}

void Kernel::expireClock(ClockObject& clock, int64_t due) {
    clock.alarmSet = false;
    if (clock.periodic) {
        clock.timer = addTimer(due + clock.period, TimerTarget{nullptr, &clock});
        clock.alarmSet = true;
    }
    if (clock.receivers.empty()) {
        clock.pendingExpiry = true;  // kept for the next receive; expiries do not pile up
        return;
    }
    Waiter* receiver = clock.receivers.front();
    clock.receivers.pop_front();
    finish(*receiver, Success);
}

void Kernel::realTimeLoop() {
    Lock lock(mutex);
    while (!stopRealTime_) {
        TimerId id = 0;
        int64_t due = 0;
        if (time_.isVirtual() || !firstTimer(id, due)) {
            timersChanged.wait(lock);
        } else if (time_.now() >= due) {
            fireTimer(id);
        } else {
            timersChanged.wait_until(lock, time_.steadyPointOf(due));
        }
    }
}

void Kernel::startRealTimeThread(Lock&) {
    if (!realTimeThread_.joinable()) {
        stopRealTime_ = false;
        realTimeThread_ = std::thread([this] { realTimeLoop(); });
    }
}

void Kernel::stopRealTimeThread(Lock& lock) {
    if (!realTimeThread_.joinable()) {
        return;
    }
    stopRealTime_ = true;
    timersChanged.notify_all();
    std::thread thread = std::move(realTimeThread_);
    lock.unlock();
    thread.join();
    lock.lock();
}

}  // namespace kernel

using kernel::Kernel;
using kernel::Lock;

void useVirtualTime(Time start) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    int64_t before = kernel.time().now();
    kernel.time().setVirtual(kernel::toNanoseconds(start));
    kernel.shiftTimers(kernel.time().now() - before);
    kernel.stopRealTimeThread(lock);
}

void useRealTime() {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    int64_t before = kernel.time().now();
    kernel.time().setReal();
    kernel.shiftTimers(kernel.time().now() - before);
    kernel.startRealTimeThread(lock);
}

bool isVirtualTime() {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    return kernel.time().isVirtual();
}

Time currentTime() {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    return kernel::toTime(kernel.time().now());
}

Error advanceTime(std::chrono::nanoseconds duration) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    if (!kernel.time().isVirtual() || duration.count() < 0) {
        return IllegalParameter;
    }
    kernel.beginAdvance(lock);
    const int64_t target = kernel.time().now() + duration.count();
    // The timers are fired by whichever task's block leaves no task runnable: a simulated second
    // then costs one hand-off to each task it wakes, not two.
    kernel.fireTimersUpTo(lock, target);
    kernel.time().setVirtualNow(target);
    kernel.waitForQuiescence(lock, true);
    kernel.endAdvance();
    return Success;
}

void waitForQuiescence() {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    kernel.waitForQuiescence(lock);
}

}  // namespace host
