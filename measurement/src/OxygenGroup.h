// The oxygen measurement, configured for one sensor or two (the oxygen node's choice, read once
// at construction): a best-value host (the input with its upper warning, twofold with two
// sensors, and the revision switch), an average host over the best value with the upper alarm
// (the group's only saved state), a life-time host, the group's outputs and status word, and
// the connection points of the oxygen screens. Built, restored, cycled, saved and destroyed on
// the initial task; the screens' operations run on the display task.
#pragma once

#include <memory>

#include "ItemSignal.h"
#include "MeasurementBase.h"
#include "MemberSlot.h"
#include "Status.h"
#include "Vesk_AccessClasses.h"

class Buff;

class OxygenGroup {
  public:
    // Reads the choice (low 15 bits: 0 one sensor, 1 two; anything else throws
    // std::runtime_error "Invalid oxygen choice"), fetches and null-checks the nodes
    // (std::invalid_argument names the missing one) and builds the hosts and the status object.
    // A failure destroys what was built and passes the exception on.
    OxygenGroup(Vesk_General generalNode, Vesk_Oxygen oxygenNode);
    OxygenGroup(const OxygenGroup&) = delete;
    OxygenGroup& operator=(const OxygenGroup&) = delete;
    // Traces, destroys the life-time, average and best-value hosts and then the status object;
    // the signals they disconnect from are destroyed last.
    ~OxygenGroup();

    // Restores the three hosts (only the average reads the buffer; null: none).
    void restore(Buff* buffer);
    // Appends the average host's saved state.
    void save(Buff& buffer);
    // The first half of a cycle: runs the best-value, average and life-time hosts (the
    // average closes the periods `ends` names), keeps the group's flags for publish and ORs
    // them into the caller's collective alarm, warning and input failure (never clears them).
    void update(const PeriodEnds& ends, bool& collectiveAlarm, bool& collectiveWarning,
                bool& collectiveInputFailure);
    // The second half, after the caller saved what the periods' ends closed: publishes the
    // average's closed periods and day decision, writes the group's outputs from the kept
    // flags and updates the status word (which reads them; it latches the hour's word when
    // `ends`, the update's, ends the hour).
    void publish(const PeriodEnds& ends);

    bool isSingleSensor() const { return singleSensor; }
    // True when sensor 1 was the sensor in use in the last cycle. Throws std::runtime_error
    // "Oxygen is in single sensor mode" with one sensor. Display task.
    bool isFirstSensorInUse() const;
    // Life-time reset of sensor 1 (the only sensor with one) / sensor 2. Display task.
    void resetLifeTime1();
    void resetLifeTime2();
    // Revision switch: 1 on, 0 off. Display task.
    void setRevision(int on);

    // Connection points of the screens and the parts (the receivers connect themselves).
    ItemSignal<void> resetSignal1;
    ItemSignal<void> resetSignal2;
    ItemSignal<int> revisionSignal;
    // Filled by the revision screen; told every change of the revision state.
    MemberSlot<void(bool)> revisionDisplaySlot;
    // Filled by the twofold input; empty with one sensor.
    MemberSlot<bool()> sensorQuery;

  private:
    template <typename Alternative>
    void build(const Alternative& alternative, const char* alternativeText);

    BoolOutputNode myWarning;
    BoolOutputNode myAlarm;
    BoolOutputNode mySensorFailureAlarm;  // two sensors only
    BoolOutputNode myInputFailureAlarm;
    Vesk_General myGeneralNode;
    Vesk_Oxygen myOxygenNode;
    std::unique_ptr<MeasurementBase> bestValueHost;
    std::unique_ptr<MeasurementBase> averageHost;
    std::unique_ptr<MeasurementBase> lifeTimeHost;
    bool singleSensor;
    std::unique_ptr<OxygenStatus> status;
    ProcessFlags myFlags;  // of the last update
};
