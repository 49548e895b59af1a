// A run's stop by SIGINT, SIGTERM or SIGHUP (Ctrl-C, a kill, a closed terminal): the first such
// signal is only noted, so that the run stops between its steps and removes its folders on its
// own thread; a second one ends the process at once, by that signal, leaving its folders. The
// same signal again within 0.5 s of the first is that stop delivered twice (to the process and
// to its process group), not a second one.
#pragma once

#include <atomic>
#include <csignal>
#include <string>

namespace sim {

class StopSignals {
  public:
    // Catches SIGINT, SIGTERM and SIGHUP until destroyed, with no signal noted. One instance
    // at a time. The handler only notes the first signal (or ends the process at a second one
    // that is not the first's repeat within 0.5 s), so the calls it makes are
    // async-signal-safe; interrupted system calls restart.
    StopSignals();
    // Gives the three signals the handling they had before.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal noted, 0 while none came; read it from any thread.
    const std::atomic<int>& noted() const;

    // "SIGINT", "SIGTERM", "SIGHUP", or "signal N" for any other.
    static std::string nameOf(int signal);
    // Ends the process by `signal` as though it had never been caught: its default handling
    // again, unblocked, raised; the exit status 128 + `signal` should it not end the process.
    [[noreturn]] static void endBy(int signal);

  private:
    struct sigaction myPrevious[3];
};

}  // namespace sim
