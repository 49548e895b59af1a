// Settings that the program writes over: a step's "set" on a node that the program itself
// writes in its cycle is lost by the next cycle. The runner watches the value and status each
// step sets until the next cycle command and then counts, as a warning of its node, each of them
// the program wrote over.
#pragma once

#include <cstddef>
#include <vector>

#include "RunWarnings.h"
#include "Scenario.h"

namespace sim {

class OverwriteWatch {
  public:
    // Watches the value and status that `input` (of step `step`) sets, in place of an earlier
    // setting of the same node.
    void watch(size_t step, const InputSetting& input);
    // After the cycle command of step `cycleStep`: adds to `warnings` one warning for each
    // watched setting whose value (as a number: -0.0 is 0, NaN is NaN) or status the address
    // space's tree no longer holds (readOutput), keyed by its node, naming the setting, the
    // step and what the node holds now. The watch is empty afterwards.
    void afterCycle(size_t cycleStep, RunWarnings& warnings);
    // Forgets every watched setting (a life ends).
    void clear() { myWatched.clear(); }

  private:
    struct Watched {
        size_t step;
        InputSetting input;
    };
    std::vector<Watched> myWatched;
};

}  // namespace sim
