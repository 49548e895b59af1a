#include "AlarmParts.h"

#include "NodeIo.h"
#include "TarvoTrace.h"
#include "ValueStatus.h"

namespace {

// Trace file 5: the alarm parts; a limit reached while the switch-on delay runs.
constexpr uint32_t kUpperDelayedTrace = TraceId(5, 0, 5);
constexpr uint32_t kUpperHalfDelayedTrace = TraceId(5, 1, 5);
constexpr uint32_t kLowerHalfDelayedTrace = TraceId(5, 2, 5);

// Cycles of the switch-on delay per unit of StartUp_Delay.
constexpr uint32_t kCyclesPerDelayUnit = 60;

// Sets or clears `bit` by `reached`, when the limit is in use.
void markLimit(const DoubleParameter& limit, bool reached, uint32_t bit, uint32_t* status) {
    if (!limit.valid) {
        return;
    }
    if (reached) {
        *status |= bit;
    } else {
        *status &= ~bit;
    }
}

bool atOrAbove(double mean, const DoubleParameter& limit) {
    return mean >= limit.value;
}
bool atOrBelow(double mean, const DoubleParameter& limit) {
    return mean <= limit.value;
}

}  // namespace

void AlarmBase::advanceDelayCounter() {
    if (node_io::isUsableAndTrue(myResetNode)) {
        myDelayCounter = 0;
    } else if (myDelayCounter != UINT32_MAX) {
        ++myDelayCounter;
    }
}

bool AlarmBase::delayElapsed() const {
    // Compared in 64 bits: a huge delay cannot wrap to a short one.
    return static_cast<uint64_t>(myDelayCounter) >=
           static_cast<uint64_t>(mySwitchOnDelay.value) * kCyclesPerDelayUnit;
}

void AlarmBase::reportState(bool* alarm) {
    advanceDelayCounter();
    if (myLatched) {
        *alarm = true;
    }
}

void AlarmBase::publishDecision() {
    for (std::size_t i = 0; i < myDecisionCount; ++i) {
        node_io::writeBool(myDecisions[i].output, myDecisions[i].value);
    }
    myDecisionCount = 0;
}

void AlarmBase::beginDecision() {
    advanceDelayCounter();
    myLatched = false;
    myDecisionCount = 0;
}

void AlarmBase::decide(bool limitValid, bool reached, FbDoNode output, uint32_t delayedTrace,
                       bool* alarm) {
    const bool raise = limitValid && reached;
    if (raise && !delayElapsed()) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), delayedTrace, TraceFormat());
        return;
    }
    if (raise) {
        *alarm = true;
        myLatched = true;
    }
    if (myDecisionCount < kMaxDecisions) {
        myDecisions[myDecisionCount++] = {output, raise};
    }
}

void UpperAlarm::markStatus(double mean, uint32_t* status) const {
    markLimit(myUpperLimit, atOrAbove(mean, myUpperLimit), kStatusUpperLimit, status);
}

void UpperAlarm::evaluate(double mean, bool* alarm) {
    beginDecision();
    decide(myUpperLimit.valid, atOrAbove(mean, myUpperLimit), myUpperOutput, kUpperDelayedTrace,
           alarm);
}

void UpperAlarm::restoreState() {
    myLatched = node_io::leafBool(myUpperOutput);
}

void UpperAndLowerAlarm::markStatus(double mean, uint32_t* status) const {
    markLimit(myUpperLimit, atOrAbove(mean, myUpperLimit), kStatusUpperLimit, status);
    markLimit(myLowerLimit, atOrBelow(mean, myLowerLimit), kStatusLowerLimit, status);
}

void UpperAndLowerAlarm::evaluate(double mean, bool* alarm) {
    beginDecision();
    decide(myUpperLimit.valid, atOrAbove(mean, myUpperLimit), myUpperOutput, kUpperHalfDelayedTrace,
           alarm);
    decide(myLowerLimit.valid, atOrBelow(mean, myLowerLimit), myLowerOutput, kLowerHalfDelayedTrace,
           alarm);
}

void UpperAndLowerAlarm::restoreState() {
    myLatched = node_io::leafBool(myUpperOutput) || node_io::leafBool(myLowerOutput);
}
