// The ends of the averaging periods in one cycle, read once from the General node's hour and
// day triggers, so that every average and the saving of the averages act on the same reading.
#pragma once

#include <cstdint>

#include "NodeIo.h"
#include "Vesk_AccessClasses.h"

// The periods that end in a cycle.
struct PeriodEnds {
    bool hour = false;
    bool day = false;

    bool any() const { return hour || day; }
};

// A reader of the hour and day triggers with its own last-state words. Initial task.
class PeriodTriggers {
  public:
    PeriodTriggers(TriggerNode hourTrigger, TriggerNode dayTrigger)
        : myHourTrigger(hourTrigger), myDayTrigger(dayTrigger) {}

    // Takes the triggers' current values as already seen: a trigger that is set now does not
    // end a period.
    void arm() {
        myHourState = node_io::readBool(myHourTrigger) ? 1 : 0;
        myDayState = node_io::readBool(myDayTrigger) ? 1 : 0;
    }
    // The periods whose trigger fired since the last read or arm (both triggers are read).
    PeriodEnds read() {
        PeriodEnds ends;
        ends.hour = node_io::triggerFired(myHourTrigger, &myHourState);
        ends.day = node_io::triggerFired(myDayTrigger, &myDayState);
        return ends;
    }

  private:
    TriggerNode myHourTrigger;
    TriggerNode myDayTrigger;
    uint32_t myHourState = 0;
    uint32_t myDayState = 0;
};
