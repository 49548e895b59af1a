#include "StopSignals.h"

#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <iterator>

namespace sim {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The same signal again this soon after the one noted is that stop delivered twice, not a second
// one: a signal sent to the process and then to its process group (as `timeout` does without
// --foreground) arrives twice within microseconds.
constexpr int64_t kRepeatNanoseconds = 500'000'000;

// Written by the handler alone (lock-free atomics, which a handler may touch): the signal noted
// and when (CLOCK_MONOTONIC, ns; 0 while none).
std::atomic<int> gNoted{0};
std::atomic<int64_t> gNotedAt{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free flag");
static_assert(std::atomic<int64_t>::is_always_lock_free, "the handler needs a lock-free time");

// The monotonic clock in nanoseconds (clock_gettime is async-signal-safe).
int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Gives `signal` its default handling and raises it: async-signal-safe calls alone.
void raiseByDefault(int signal) {
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

// Notes the first signal; ends the process at a second one. The time is noted first, so that a
// handler running on another thread at the same moment finds it.
extern "C" void noteStop(int signal) {
    const int64_t now = monotonicNanoseconds();
    int64_t never = 0;
    gNotedAt.compare_exchange_strong(never, now);
    int noted = 0;
    if (gNoted.compare_exchange_strong(noted, signal)) {
        return;
    }
    if (noted == signal && now - gNotedAt.load() < kRepeatNanoseconds) {
        return;  // the same stop, delivered twice
    }
    raiseByDefault(signal);  // the second: the process ends now
}

}  // namespace

StopSignals::StopSignals() {
    gNoted.store(0);
    gNotedAt.store(0);
    struct sigaction noting = {};
    noting.sa_handler = noteStop;
    noting.sa_flags = SA_RESTART;
    sigemptyset(&noting.sa_mask);
    for (const int signal : kStopSignals) {
        sigaddset(&noting.sa_mask, signal);  // one handler at a time: a second waits its turn
    }
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &noting, &myPrevious[i]);
    }
}

StopSignals::~StopSignals() {
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &myPrevious[i], nullptr);
    }
}

const std::atomic<int>& StopSignals::noted() const {
    return gNoted;
}

std::string StopSignals::nameOf(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(signal);
    }
}

void StopSignals::endBy(int signal) {
    raiseByDefault(signal);
    _exit(128 + signal);
}

}  // namespace sim
