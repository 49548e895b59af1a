#include "InputParts.h"

#include "NodeIo.h"
#include "TarvoTrace.h"
#include "ValueStatus.h"

namespace {

// Trace file 4: the input parts.
constexpr uint32_t kFile = 4;
constexpr uint32_t kFailureDuringStartUpTrace = TraceId(kFile, 0, 7);
constexpr uint32_t kValueTrace = TraceId(kFile, 1, 7);
constexpr uint32_t kFirstRuleTrace = TraceId(kFile, 2, 7);  // rules 1-5: points 2-6
constexpr uint32_t kSensorQueryTrace = TraceId(kFile, 7, 7);

// Reads an input node's value and status word (the read happens even when it is not in use).
double readInput(FbDoNode input, uint32_t* status) {
    *status = 0;
    return FbDo_ReadDoubleWithStatus(input, 0.0, nullptr, status, 0);
}

// Publishes an input's value on its output: with the input's status, or exactly 0x1 when the
// input node is not in use.
void publish(FbDoNode input, FbDoNode output, double value, uint32_t status) {
    node_io::writeDouble(output, value, FbDo_IsInUse(input) != 0 ? status : kStatusOutOfUse);
}

}  // namespace

SimpleInput::SimpleInput(DoubleInputNode input, DoubleOutputNode output,
                         const UnsignedParameter& startUpDelay)
    : myStartUp(startUpDelay), myInput(input), myOutput(output) {}

void SimpleInput::process(bool* alarm, bool*, bool* inputFailure, bool*) {
    myStartUp.advance();
    myValue = readInput(myInput, &myStatus);
    if (!isUsable(myStatus)) {
        if (myStartUp.isPending()) {
            TARVO_TRACE(Tarvo_GetTraceSelector(), kFailureDuringStartUpTrace, TraceFormat());
        } else if ((myStatus & kStatusOutOfUse) == 0) {
            *alarm = true;
            *inputFailure = true;
        }
    }
    TARVO_TRACE(Tarvo_GetTraceSelector(), kValueTrace, TraceFormat(kTraceArgDouble, kTraceArgText),
                myValue, statusToString(myStatus).c_str());
    publish(myInput, myOutput, myValue, myStatus);
}

bool UpperWarning::evaluate(double value) {
    if (!myLimit.valid) {
        node_io::writeBool(myOutput, false);
        return false;
    }
    if (node_io::isUsableAndTrue(myResetNode)) {
        myDebounce.reset();
        node_io::writeBool(myOutput, false);
        return false;
    }
    const bool warning = myDebounce.update(value >= myLimit.value);
    node_io::writeBool(myOutput, warning);
    return warning;
}

InputWithUpperWarning::InputWithUpperWarning(DoubleInputNode input, DoubleOutputNode output,
                                             const DoubleParameter& warningLimit,
                                             BoolOutputNode warningOutput, BoolInputNode resetNode,
                                             const UnsignedParameter& startUpDelay)
    : SimpleInput(input, output, startUpDelay), myWarning(warningLimit, warningOutput, resetNode) {}

void InputWithUpperWarning::process(bool* alarm, bool* warning, bool* inputFailure,
                                    bool* sensorFailure) {
    SimpleInput::process(alarm, warning, inputFailure, sensorFailure);
    if (myWarning.evaluate(getValue())) {
        *warning = true;
    }
}

TwofoldInputWithUpperWarning::TwofoldInputWithUpperWarning(
    DoubleInputNode sensor1Input, DoubleInputNode sensor2Input, DoubleOutputNode sensor1Output,
    DoubleOutputNode sensor2Output, const DoubleParameter& warningLimit,
    BoolOutputNode warningOutput, BoolInputNode resetNode, MemberSlot<bool()>* sensorQuery,
    const UnsignedParameter& startUpDelay)
    : mySensor1Input(sensor1Input),
      mySensor2Input(sensor2Input),
      mySensor1Output(sensor1Output),
      mySensor2Output(sensor2Output),
      myWarning(warningLimit, warningOutput, resetNode),
      mySensorQuery(sensorQuery),
      myStartUp(startUpDelay) {
    *mySensorQuery = MemberSlot<bool()>(this, &TwofoldInputWithUpperWarning::isFirstSensorInUse);
}

TwofoldInputWithUpperWarning::TwofoldInputWithUpperWarning(
    const TwofoldInputWithUpperWarning& other)
    : mySensor1Input(other.mySensor1Input),
      mySensor2Input(other.mySensor2Input),
      mySensor1Output(other.mySensor1Output),
      mySensor2Output(other.mySensor2Output),
      myWarning(other.myWarning),
      myChosenValue(other.myChosenValue),
      myChosenStatus(other.myChosenStatus),
      mySensorQuery(other.mySensorQuery),
      myFirstSensorInUse(other.myFirstSensorInUse.load()),
      myStartUp(other.myStartUp) {
    *mySensorQuery = MemberSlot<bool()>(this, &TwofoldInputWithUpperWarning::isFirstSensorInUse);
}

bool TwofoldInputWithUpperWarning::isFirstSensorInUse() const {
    const bool first = myFirstSensorInUse.load();
    TARVO_TRACE(Tarvo_GetTraceSelector(), kSensorQueryTrace, TraceFormat(kTraceArgText),
                first ? "TRUE" : "FALSE");
    return first;
}

double TwofoldInputWithUpperWarning::readSensor(FbDoNode input, FbDoNode output, uint32_t* status) {
    const double value = readInput(input, status);
    publish(input, output, value, *status);
    return value;
}

void TwofoldInputWithUpperWarning::choose(double x1, uint32_t s1, bool bad1, bool high1, double x2,
                                          uint32_t s2, bool bad2, bool high2) {
    uint32_t rule = 5;
    if (!bad1 && !high1) {
        rule = 1;
    } else if (!bad2 && !high2) {
        rule = 2;
    } else if (!bad1) {
        rule = 3;
    } else if (!bad2) {
        rule = 4;
    }
    TARVO_TRACE(Tarvo_GetTraceSelector(), kFirstRuleTrace + ((rule - 1) << 4), TraceFormat());
    const bool first = (rule == 1 || rule == 3 || rule == 5);
    myChosenValue = first ? x1 : x2;
    myChosenStatus = first ? s1 : s2;
    if (rule == 5) {
        myChosenStatus |= kStatusOutOfOrder;
    }
    myFirstSensorInUse.store(first);
}

void TwofoldInputWithUpperWarning::process(bool* alarm, bool* warning, bool* inputFailure,
                                           bool* sensorFailure) {
    myStartUp.advance();
    uint32_t s1 = 0;
    uint32_t s2 = 0;
    const double x1 = readSensor(mySensor1Input, mySensor1Output, &s1);
    const double x2 = readSensor(mySensor2Input, mySensor2Output, &s2);
    const bool bad1 = !isUsable(s1);
    const bool bad2 = !isUsable(s2);
    const bool high1 = myWarning.isHigh(x1);
    const bool high2 = myWarning.isHigh(x2);
    choose(x1, s1, bad1, high1, x2, s2, bad2, high2);

    const bool debounced = myWarning.evaluate(myChosenValue);
    const bool failed1 = bad1 && !myStartUp.isPending();
    const bool failed2 = bad2 && !myStartUp.isPending();
    *inputFailure = failed1 && failed2;
    *sensorFailure = !*inputFailure && (failed1 || failed2);
    *alarm = (failed1 || high1) && (failed2 || high2);
    *warning = *alarm ? debounced : (failed1 || high1 || failed2 || high2 || debounced);
}

void SimpleInputBasedOnLiveValue::process(bool*, bool*, bool*, bool*) {
    myValue = FbDo_ReadLiveDouble(myNode);
    myStatus = node_io::status(myNode);
}
