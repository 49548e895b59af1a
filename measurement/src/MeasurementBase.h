// The interface through which the measurement groups drive their measurement hosts.
#pragma once

#include "PeriodEnds.h"

class Buff;

// One measured quantity (or the oxygen best value, or the sensor life times). The groups call
// restore once at start, process and then publishClosedPeriods once a cycle, and save at a
// period's end and at shutdown, all on the initial task.
class MeasurementBase {
  public:
    virtual ~MeasurementBase() = default;

    // Restores the saved state from the data-set buffer at its position; null: no saved state.
    virtual void restore(Buff* buffer) = 0;
    // Appends the saved state to the data-set buffer.
    virtual void save(Buff& buffer) = 0;
    // One cycle, in which the periods `ends` end: a period that ends is closed in the saved
    // state at once; its means, and what its end decided, are published by
    // publishClosedPeriods. The six flags are the
    // group's: a part sets a flag to report a condition (the twofold input assigns its four
    // outright).
    virtual void process(const PeriodEnds& ends, bool* alarm, bool* warning,
                         bool* generalInputFailure, bool* inputFailure, bool* sensorFailure,
                         bool* unweightedAverage) = 0;
    // Publishes the means of the periods that the last process closed and the alarm decision
    // of a closed day (nothing when none closed).
    virtual void publishClosedPeriods() = 0;

  protected:
    MeasurementBase() = default;
    MeasurementBase(const MeasurementBase&) = default;
    MeasurementBase& operator=(const MeasurementBase&) = default;
};

// The six flags of one group cycle, clear at the start; the group's hosts set them.
struct ProcessFlags {
    bool alarm = false;
    bool warning = false;
    bool generalInputFailure = false;
    bool inputFailure = false;
    bool sensorFailure = false;
    bool unweightedAverage = false;

    // One cycle of `host` with these flags, in which the periods `ends` end.
    void process(MeasurementBase& host, const PeriodEnds& ends) {
        host.process(ends, &alarm, &warning, &generalInputFailure, &inputFailure, &sensorFailure,
                     &unweightedAverage);
    }
    // Raises the caller's collective alarm on alarm or general input failure, its collective
    // warning on warning and its collective input failure on general input failure; clears
    // none of them.
    void raiseCollective(bool& collectiveAlarm, bool& collectiveWarning,
                         bool& collectiveInputFailure) const {
        collectiveAlarm = collectiveAlarm || alarm || generalInputFailure;
        collectiveWarning = collectiveWarning || warning;
        collectiveInputFailure = collectiveInputFailure || generalInputFailure;
    }
};
