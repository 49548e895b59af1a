// Clocks, their alarms, and the basic library's sleep, all on the address space's time source.
#include "KernelInternal.h"

using host::kernel::ClockObject;
using host::kernel::KernelCall;
using host::kernel::Kind;
using host::kernel::TaskRecord;
using host::kernel::Waiter;

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

Error findClock(KernelCall& call, Clock clock, std::shared_ptr<ClockObject>& out) {
    if (call.injected != Success) {
        return call.injected;
    }
    return call.kernel.find(clock, Kind::Clock, out);
}

bool negative(const Time* time) {
    return time != nullptr && time->Seconds < 0;
}

// Guarded by the kernel's mutex; lives past every task (never destroyed).
host::ClockAlarmObserver& clockAlarmObserver() {
    static auto* observer = new host::ClockAlarmObserver();
    return *observer;
}

}  // namespace

namespace host {

void setClockAlarmObserver(ClockAlarmObserver observer) {
    kernel::Kernel& kernel = kernel::Kernel::instance();
    kernel::Lock lock(kernel.mutex);
    clockAlarmObserver() = std::move(observer);
}

}  // namespace host

Clock GetSystemClock(void) {
    return host::kernel::Kernel::instance().systemClockHandle();
}

Error GetClockTime(Clock clock, Time* time) {
    KernelCall call("GetClockTime");
    std::shared_ptr<ClockObject> reading;
    if (Error error = findClock(call, clock, reading)) {
        return error;
    }
    if (time == nullptr) {
        return IllegalParameter;
    }
    *time = host::kernel::toTime(call.kernel.time().now());
    return Success;
}

Error CreateVirtualClock(Clock base, uint32_t flags, Clock* clock) {
    KernelCall call("CreateVirtualClock");
    std::shared_ptr<ClockObject> reading;
    if (Error error = findClock(call, base, reading)) {
        return error;
    }
    if (clock == nullptr) {
        return IllegalParameter;
    }
    auto created = std::make_shared<ClockObject>();
    created->flags = flags;
    *clock = call.kernel.addHandle(created);
    return Success;
}

Error SetClockAlarm(Clock clock, uint32_t periodic, const Time* start, const Time* interval) {
    KernelCall call("SetClockAlarm");
    std::shared_ptr<ClockObject> alarmed;
    if (Error error = findClock(call, clock, alarmed)) {
        return error;
    }
    if (negative(start) || negative(interval)) {
        return IllegalParameter;
    }
    int64_t startNs = start != nullptr ? host::kernel::toNanoseconds(*start) : 0;
    int64_t intervalNs = interval != nullptr ? host::kernel::toNanoseconds(*interval) : 0;
    if (periodic != 0 && intervalNs <= 0) {
        return IllegalParameter;
    }
    call.kernel.armClock(*alarmed, periodic != 0, start != nullptr ? &startNs : nullptr,
                         interval != nullptr ? &intervalNs : nullptr);
    const host::ClockAlarmObserver observer = clockAlarmObserver();
    const Time now = host::kernel::toTime(call.kernel.time().now());
    call.lock.unlock();
    if (observer) {
        observer(clock, start != nullptr || interval != nullptr, now);
    }
    return Success;
}

namespace basiclib {

unsigned int sleep(unsigned int seconds) {
    KernelCall call("sleep");
    if (call.injected != Success) {
        return seconds;  // an injected failure: nothing was slept
    }
    TaskRecord& self = call.kernel.currentTask();
    call.kernel.enterBlockingCall(call.lock, self);
    if (seconds == 0) {
        return 0;
    }
    int64_t deadline = call.kernel.time().now() + seconds * kNanosecondsPerSecond;
    Waiter never;
    never.task = &self;
    call.kernel.block(call.lock, self, never, nullptr, &deadline);
    return 0;
}

}  // namespace basiclib
