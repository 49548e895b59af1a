// Remaining life times of the oxygen sensors, kept in the tree: counted down by 1.0 in each
// cycle whose one reading of the period triggers has the day ended (the cycle in which the
// averages close the day), with a warning at or below a limit, and reset to the preset on
// operator request from the display task. Each object's lock serialises the count-down against a
// reset.
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "ItemSignal.h"
#include "Parameter.h"
#include "PeriodEnds.h"
#include "Vesk_AccessClasses.h"
#include "libUtils/ConcurrencyHelper.h"

class Buff;

// What both life-time kinds share: the preset, the warning limit and output, and the lock.
class LifeTimeBase {
  public:
    LifeTimeBase(const DoubleParameter& preset, const DoubleParameter& warningLimit,
                 BoolOutputNode warningOutput);
    // A copy gets a mutex of its own.
    LifeTimeBase(const LifeTimeBase& other);
    LifeTimeBase& operator=(const LifeTimeBase&) = delete;

    // Nothing is saved or published at a period's end (the count-down is written in the cycle
    // itself).
    void save(Buff&) const {}
    void publishClosedPeriods() {}

  protected:
    // Counts one positive life time down by 1.0 and writes it back (under the lock); returns
    // the life time after the count-down.
    static double countDown(FbDoNode node, double life, uint32_t traceId);
    // Writes the warning output: true (and `warning` set) when `atOrBelow`.
    void publishWarning(bool atOrBelow, bool* warning);
    // Writes the preset to a life-time node (under the lock).
    void resetNode(FbDoNode node);
    // Refreshes the preset that resets use; called under the lock on the initial task.
    void takePreset() { myPresetValue = myPreset.value; }
    // True when `life` is at or below the warning limit (never for a NaN).
    bool atOrBelowLimit(double life) const { return life <= myWarningLimit.value; }
    double limit() const { return myWarningLimit.value; }

    SharedLocalMutex myLock;

  private:
    DoubleParameter myPreset;
    DoubleParameter myWarningLimit;
    FbDoNode myWarningOutput;
    double myPresetValue;  // the preset as of the last cycle, guarded by myLock
};

// One sensor (LT_O2d); registers reset in the group's reset list.
class SensorLifeTime : public LifeTimeBase {
  public:
    SensorLifeTime(const DoubleParameter& preset, const DoubleParameter& warningLimit,
                   DoubleOutputNode lifeTime, BoolOutputNode warningOutput,
                   ItemSignal<void>* resetList);
    SensorLifeTime(const SensorLifeTime& other);
    ~SensorLifeTime();

    // Sets the life time to the preset. Any task.
    void reset();

    // One cycle: counts down when `ends` has the day ended and publishes the warning. Of the
    // flags only `warning` is used.
    template <typename Input>
    void process(const Input&, const PeriodEnds& ends, bool*, bool* warning, bool*, bool*) {
        processCycle(ends.day, warning);
    }
    // Clears the life-time node's status word.
    void restore(Buff* buffer);

  private:
    void processCycle(bool dayEnded, bool* warning);

    FbDoNode myLifeTime;
    ItemSignal<void>* myResetList;
};

// Two sensors (LT_O2dM, LT_O2dS) with one warning output; registers resetSensor1 and
// resetSensor2 in the group's two reset lists.
class TwofoldSensorLifeTime : public LifeTimeBase {
  public:
    TwofoldSensorLifeTime(const DoubleParameter& preset, const DoubleParameter& warningLimit,
                          DoubleOutputNode lifeTime1, DoubleOutputNode lifeTime2,
                          BoolOutputNode warningOutput, ItemSignal<void>* resetList1,
                          ItemSignal<void>* resetList2);
    TwofoldSensorLifeTime(const TwofoldSensorLifeTime& other);
    ~TwofoldSensorLifeTime();

    // Set sensor 1's / sensor 2's life time to the preset. Any task.
    void resetSensor1();
    void resetSensor2();

    // One cycle: counts both down when `ends` has the day ended; warns when either is at or
    // below the limit.
    template <typename Input>
    void process(const Input&, const PeriodEnds& ends, bool*, bool* warning, bool*, bool*) {
        processCycle(ends.day, warning);
    }
    // Clears both life-time nodes' status words.
    void restore(Buff* buffer);

  private:
    void processCycle(bool dayEnded, bool* warning);
    void connect();

    FbDoNode myLifeTime1;
    FbDoNode myLifeTime2;
    ItemSignal<void>* myResetList1;
    ItemSignal<void>* myResetList2;
};
