// The start-up phase of a measurement part: the first `PowerOn_Delay` cycles after
// construction, during which failures are not reported.
#pragma once

#include <cstdint>

#include "Parameter.h"

class StartUpPhase {
  public:
    explicit StartUpPhase(const UnsignedParameter& delay) : myDelay(delay) {}

    // Called first in every cycle: ends the phase once the counted cycles reach (or, after the
    // delay was lowered, have passed) the current delay; otherwise counts this cycle.
    void advance() {
        if (!myPending) {
            return;
        }
        if (myCounter >= myDelay.value) {
            myPending = false;
        } else {
            ++myCounter;
        }
    }

    bool isPending() const { return myPending; }

  private:
    UnsignedParameter myDelay;
    uint32_t myCounter = 0;
    bool myPending = true;
};
