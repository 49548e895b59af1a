// Input parts: the first half of a measurement host. Once a cycle an input part reads the
// quantity's input with its status word, publishes it on the current-value output, detects
// input failures after the start-up phase and, for the kinds with an upper warning limit,
// raises a debounced warning. The evaluation part reads getValue / getStatus afterwards.
// All process calls run on the initial task.
#pragma once

#include <atomic>
#include <cstdint>

#include "DebounceCounter.h"
#include "FbDo.h"
#include "MemberSlot.h"
#include "Parameter.h"
#include "StartUpPhase.h"
#include "Vesk_AccessClasses.h"

// One input and one current-value output, with input-failure detection after the start-up
// phase. Sets only `alarm` and `inputFailure` (to true).
class SimpleInput {
  public:
    SimpleInput(DoubleInputNode input, DoubleOutputNode output,
                const UnsignedParameter& startUpDelay);

    // Reads the input (even when not in use), raises `alarm` and `inputFailure` for an unusable
    // status that lacks OOU once the start-up phase is over, and writes value and status (or
    // 0x1 when the input is not in use) to the output.
    void process(bool* alarm, bool* warning, bool* inputFailure, bool* sensorFailure);

    double getValue() const { return myValue; }
    uint32_t getStatus() const { return myStatus; }

  private:
    StartUpPhase myStartUp;
    FbDoNode myInput;
    FbDoNode myOutput;
    double myValue = 0.0;
    uint32_t myStatus = 0;
};

// An upper warning limit with its bool output, held off while the zero-flow input is true and
// debounced over five differing samples.
class UpperWarning {
  public:
    UpperWarning(const DoubleParameter& limit, BoolOutputNode output, BoolInputNode resetNode)
        : myLimit(limit), myOutput(output), myResetNode(resetNode) {}

    // Writes and returns the debounced warning for `value` (at or above the limit; a NaN never
    // is). False when the limit is not in use (the debounce keeps its state) or while the reset
    // node holds the warning off (the debounce restarts).
    bool evaluate(double value);
    // True when the limit is in use and `value` is at or above it.
    bool isHigh(double value) const { return myLimit.valid && value >= myLimit.value; }

  private:
    DoubleParameter myLimit;
    FbDoNode myOutput;
    FbDoNode myResetNode;
    DebounceCounter myDebounce{false, 5};
};

// SimpleInput plus an upper warning on its value; also sets `warning` (to true).
class InputWithUpperWarning : public SimpleInput {
  public:
    InputWithUpperWarning(DoubleInputNode input, DoubleOutputNode output,
                          const DoubleParameter& warningLimit, BoolOutputNode warningOutput,
                          BoolInputNode resetNode, const UnsignedParameter& startUpDelay);

    void process(bool* alarm, bool* warning, bool* inputFailure, bool* sensorFailure);

  private:
    UpperWarning myWarning;
};

// Two oxygen sensors: both are read and published, one is chosen as the value to use
// (preferring a usable one below the warning limit, sensor 1 first), and the four flags
// `alarm`, `warning`, `inputFailure`, `sensorFailure` are assigned every cycle.
class TwofoldInputWithUpperWarning {
  public:
    // Publishes (this, isFirstSensorInUse) in `sensorQuery`, as does every copy, so the
    // record names the object constructed last.
    TwofoldInputWithUpperWarning(DoubleInputNode sensor1Input, DoubleInputNode sensor2Input,
                                 DoubleOutputNode sensor1Output, DoubleOutputNode sensor2Output,
                                 const DoubleParameter& warningLimit, BoolOutputNode warningOutput,
                                 BoolInputNode resetNode, MemberSlot<bool()>* sensorQuery,
                                 const UnsignedParameter& startUpDelay);
    TwofoldInputWithUpperWarning(const TwofoldInputWithUpperWarning& other);
    TwofoldInputWithUpperWarning& operator=(const TwofoldInputWithUpperWarning&) = delete;

    void process(bool* alarm, bool* warning, bool* inputFailure, bool* sensorFailure);

    double getValue() const { return myChosenValue; }
    uint32_t getStatus() const { return myChosenStatus; }

    // True when sensor 1 was chosen in the last cycle. Any task (the display asks it).
    bool isFirstSensorInUse() const;

  private:
    // Reads one sensor's input and publishes it on its output; returns the value.
    static double readSensor(FbDoNode input, FbDoNode output, uint32_t* status);
    // Chooses the sensor to use by the first rule that applies.
    void choose(double x1, uint32_t s1, bool bad1, bool high1, double x2, uint32_t s2, bool bad2,
                bool high2);

    FbDoNode mySensor1Input;
    FbDoNode mySensor2Input;
    FbDoNode mySensor1Output;
    FbDoNode mySensor2Output;
    UpperWarning myWarning;
    double myChosenValue = 0.0;
    uint32_t myChosenStatus = 0;
    MemberSlot<bool()>* mySensorQuery;
    std::atomic<bool> myFirstSensorInUse{false};
    StartUpPhase myStartUp;
};

// Reads the current value and status of a node the program writes itself; no output, no flags.
class SimpleInputBasedOnLiveValue {
  public:
    // `node` is an output the program wrote earlier in the cycle (the best value).
    explicit SimpleInputBasedOnLiveValue(DoubleOutputNode node) : myNode(node) {}

    void process(bool* alarm, bool* warning, bool* inputFailure, bool* sensorFailure);

    double getValue() const { return myValue; }
    uint32_t getStatus() const { return myStatus; }

  private:
    FbDoNode myNode;
    double myValue = 0.0;
    uint32_t myStatus = 0;
};

// The input part of hosts whose evaluation reads no input (the sensor life times).
class NoInput {
  public:
    void process(bool*, bool*, bool*, bool*) {}
    double getValue() const { return 0.0; }
    uint32_t getStatus() const { return 0; }
};
