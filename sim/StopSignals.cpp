#include "StopSignals.h"

#include <unistd.h>

#include <iterator>

namespace sim {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Written by the handler alone (a lock-free atomic, which a handler may touch).
std::atomic<int> gNoted{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free flag");

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

extern "C" void noteStop(int signal) {
    int none = 0;
    if (!gNoted.compare_exchange_strong(none, signal)) {
        raiseByDefault(signal);  // the second: the process ends now
    }
}

}  // namespace

StopSignals::StopSignals() {
    gNoted.store(0);
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
