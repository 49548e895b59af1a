// When a blocked task spins for its wake-up instead of sleeping at once, and for how long; and
// where the tasks run when spinning does not pay.
//
// A spin lets go of the processor only when the wake-up comes or the spin's time is up, so it
// pays only where the task that wakes the spinner can run beside it and its wake-up comes soon:
// then the hand-off costs no sleep and no wake-up by the system. Elsewhere a spin only burns a
// processor, or even takes the one its wake-up has to come from. Without spinning, a hand-off
// from a thread on one processor to a thread that sleeps on another costs a wake-up across
// processors, far more than a switch on one processor; tasks that take turns (one runs while the
// others wait for it) then run fastest on one processor. Neither choice ever changes what the
// tasks do, only how soon a hand-off between them happens.
#pragma once

#include <algorithm>
#include <chrono>

namespace host {
namespace kernel {

// The longest a blocked task spins: a few times what the system takes to put a thread to sleep
// and wake it again, and more than most turns of the tasks of a simulated step take.
constexpr std::chrono::nanoseconds kLongestSpin = std::chrono::microseconds(100);
// The shortest spin worth its cost: about what a sleep and a wake-up cost.
constexpr std::chrono::nanoseconds kShortestSpin = std::chrono::microseconds(5);
// While spinning does not pay, one wait in this many still spins the shortest while, to find
// out whether it pays again.
constexpr unsigned kProbeInterval = 16;
// The fewest usable processors with which threads spin: one for the spinner, one for the task it
// waits for, and one for everything else the machine runs. With two, the spinner often takes
// the processor its wake-up has to come from.
constexpr int kLeastProcessorsToSpin = 3;

// How many threads may spin at once on `processors` usable processors: none with fewer than
// kLeastProcessorsToSpin, otherwise one fewer than there are processors, so that a spinner never
// keeps the thread it waits for from running.
constexpr int spinnersFor(int processors) {
    return processors < kLeastProcessorsToSpin ? 0 : processors - 1;
}

// Whether the threads of the kernel's tasks, and the threads that call the kernel, are kept on
// one of the `processors` usable processors: where there is more than one but too few to spin.
// Which one, so that runs on one machine keep apart, is SharedProcessor.h's.
constexpr bool keepsThreadsOnOneProcessor(int processors) {
    return processors > 1 && processors < kLeastProcessorsToSpin;
}

// How long one thread spins at its next wait, learned from its own spins. A spin that saw its
// wake-up doubles the next one (up to kLongestSpin); one that ended without a wake-up shortens
// the next by an eighth, so that a thread whose wake-ups mostly come soon keeps spinning while
// one whose wake-ups keep coming late (its peers wait on one another, or the machine is busy)
// soon stops. Once shorter than kShortestSpin the thread sleeps at once, except that one wait in
// kProbeInterval spins kShortestSpin. Not shared between threads.
class SpinBudget {
  public:
    // The time to spin at this wait; zero: sleep at once.
    std::chrono::nanoseconds next() {
        if (limit_ >= kShortestSpin) {
            return limit_;
        }
        if (++waitsSinceProbe_ < kProbeInterval) {
            return std::chrono::nanoseconds::zero();
        }
        waitsSinceProbe_ = 0;
        return kShortestSpin;
    }

    // Learns from a spin of the time next() gave: whether the wake-up came within it.
    void record(bool woken) {
        if (woken) {
            limit_ = std::min(2 * std::max(limit_, kShortestSpin), kLongestSpin);
        } else {
            limit_ -= limit_ / 8;
        }
    }

  private:
    std::chrono::nanoseconds limit_ = kLongestSpin;
    unsigned waitsSinceProbe_ = 0;
};

}  // namespace kernel
}  // namespace host
