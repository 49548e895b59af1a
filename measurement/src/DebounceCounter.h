// A filter between a limit comparison and a warning output: the debounced state follows a
// change of the samples only in the (count + 1)-th consecutive differing sample.
#pragma once

#include <cstdint>

class DebounceCounter {
  public:
    DebounceCounter(bool initialState, uint32_t count)
        : myCount(count), myInitialState(initialState), myState(initialState) {}

    // Feeds one sample and returns the debounced state. A sample equal to the state restarts
    // the count of differing samples.
    bool update(bool sample);
    // Back to the initial state with the count restarted.
    void reset();

  private:
    uint32_t myCount;
    bool myInitialState;
    bool myState;
    uint32_t myCounter = 0;
};
