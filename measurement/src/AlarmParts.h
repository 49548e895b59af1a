// Alarm parts of the averages: every cycle they mark the status words of the hourly and daily
// means with the limit bits; at each day's end they decide on the daily mean whether to raise
// the alarm outputs, once a switch-on delay has passed that restarts whenever zero flow is
// signalled. The decision is latched until the next day's end and reported every cycle; the
// alarm outputs take it when the caller publishes it (after the day's sums are saved).
// Used on the initial task only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FbDo.h"
#include "Parameter.h"
#include "Vesk_AccessClasses.h"

// The switch-on delay and the latched decision shared by both alarm kinds.
class AlarmBase {
  public:
    // `switchOnDelay` is StartUp_Delay (in units of 60 cycles); `resetNode` is Imp_zeroQn.
    AlarmBase(const UnsignedParameter& switchOnDelay, BoolInputNode resetNode)
        : mySwitchOnDelay(switchOnDelay), myResetNode(resetNode) {}

    // Advances the delay counter; sets `alarm` while the last decision raised an alarm.
    void reportState(bool* alarm);
    // Writes the alarm outputs as the last evaluate decided them (nothing when it decided
    // nothing since the last publication).
    void publishDecision();

  protected:
    // Once a cycle: back to 0 while the reset node is in use, usable and true, else + 1.
    void advanceDelayCounter();
    // The counter has reached the switch-on delay times 60 cycles.
    bool delayElapsed() const;
    // Starts the day's decision: advances the delay counter, drops the latched alarm and any
    // decision not yet published.
    void beginDecision();
    // Decides one limit half at the day's end: `reached` raises the output (when the delay
    // has elapsed: sets `alarm` and latches) or only traces `delayedTrace` and leaves the
    // output as it is; not reached, or a limit not in use, lowers the output. The output's new
    // value waits for publishDecision.
    void decide(bool limitValid, bool reached, FbDoNode output, uint32_t delayedTrace, bool* alarm);

    bool myLatched = false;

  private:
    // An output and the value the day's decision gives it.
    struct OutputDecision {
        FbDoNode output = nullptr;
        bool value = false;
    };
    // Both halves of UpperAndLowerAlarm.
    static constexpr std::size_t kMaxDecisions = 2;

    UnsignedParameter mySwitchOnDelay;
    FbDoNode myResetNode;
    uint32_t myDelayCounter = 0;
    OutputDecision myDecisions[kMaxDecisions];
    std::size_t myDecisionCount = 0;
};

// Upper limit (UAL_) with its alarm output (UA_). A NaN mean or limit never reaches the limit.
class UpperAlarm : public AlarmBase {
  public:
    UpperAlarm(const DoubleParameter& upperLimit, BoolOutputNode upperOutput,
               const UnsignedParameter& switchOnDelay, BoolInputNode resetNode)
        : AlarmBase(switchOnDelay, resetNode),
          myUpperLimit(upperLimit),
          myUpperOutput(upperOutput) {}

    // Sets OUL (0x200) on `status` at or above the limit, clears it otherwise; a limit not in
    // use leaves the word unchanged.
    void markStatus(double mean, uint32_t* status) const;
    // The day's decision on the daily mean: sets `alarm` and latches when it raises the alarm;
    // the output takes it at publishDecision.
    void evaluate(double mean, bool* alarm);
    // Latches the alarm output as the tree holds it at start.
    void restoreState();

  private:
    DoubleParameter myUpperLimit;
    FbDoNode myUpperOutput;
};

// Upper (UAL_/UA_) and lower (LAL_/LA_) limits; either half can latch the alarm.
class UpperAndLowerAlarm : public AlarmBase {
  public:
    UpperAndLowerAlarm(const DoubleParameter& upperLimit, BoolOutputNode upperOutput,
                       const DoubleParameter& lowerLimit, BoolOutputNode lowerOutput,
                       const UnsignedParameter& switchOnDelay, BoolInputNode resetNode)
        : AlarmBase(switchOnDelay, resetNode),
          myUpperLimit(upperLimit),
          myUpperOutput(upperOutput),
          myLowerLimit(lowerLimit),
          myLowerOutput(lowerOutput) {}

    // OUL as UpperAlarm; then OLL (0x100) at or below the lower limit, cleared above it.
    void markStatus(double mean, uint32_t* status) const;
    void evaluate(double mean, bool* alarm);
    void restoreState();

  private:
    DoubleParameter myUpperLimit;
    FbDoNode myUpperOutput;
    DoubleParameter myLowerLimit;
    FbDoNode myLowerOutput;
};
