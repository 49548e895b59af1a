#include "OxygenGroup.h"

#include <stdexcept>
#include <string>

#include "AlarmParts.h"
#include "Average.h"
#include "BestValue.h"
#include "GeneralNodeFetch.h"
#include "InputParts.h"
#include "MeasurementHost.h"
#include "NodeIo.h"
#include "SensorLifeTime.h"
#include "TarvoTrace.h"

namespace {

// Trace file 0xb: the oxygen group.
constexpr uint32_t kDestroyedTrace = TraceId(0xb, 0, 7);
constexpr uint32_t kRevisionTrace = TraceId(0xb, 1, 7);
constexpr uint32_t kSingleSensorQueryTrace = TraceId(0xb, 2, 3);

// The average host's name, built once at program start.
const std::string kOxygenName = "OXYGEN";

// The selected alternative of the oxygen node's choice.
constexpr uint32_t kChoiceMask = 0x7fff;
constexpr uint32_t kSingleSensorChoice = 0;
constexpr uint32_t kTwofoldChoice = 1;

// Fetches a child of the alternative with its check text "<alternative>.get<name>()".
template <typename Alternative, typename Node>
Node fetch(const Alternative& alternative, const char* alternativeText,
           Node (Alternative::*getter)() const, const char* name) {
    return checkNotNull((alternative.*getter)(),
                        std::string(alternativeText) + ".get" + name + "()");
}

#define OXYGEN_NODE(getterName) \
    fetch(alternative, alternativeText, &Alternative::get##getterName, #getterName)

// The input part of the best-value host: one sensor, or two of which it chooses one.
InputWithUpperWarning bestValueInput(const Vesk_Oxygen_SNo1& alternative,
                                     const char* alternativeText, const GeneralNodeFetch& general,
                                     MemberSlot<bool()>*) {
    using Alternative = Vesk_Oxygen_SNo1;
    const DoubleParameter warningLimit(OXYGEN_NODE(UWL_O2), 0.0);
    return InputWithUpperWarning(OXYGEN_NODE(Imp_O2), OXYGEN_NODE(CV_O2), warningLimit,
                                 OXYGEN_NODE(UW_O2), general.zeroFlow(), general.powerOnDelay());
}
TwofoldInputWithUpperWarning bestValueInput(const Vesk_Oxygen_SNo2& alternative,
                                            const char* alternativeText,
                                            const GeneralNodeFetch& general,
                                            MemberSlot<bool()>* sensorQuery) {
    using Alternative = Vesk_Oxygen_SNo2;
    const DoubleParameter warningLimit(OXYGEN_NODE(UWL_O2), 0.0);
    return TwofoldInputWithUpperWarning(
        OXYGEN_NODE(Imp_O2M), OXYGEN_NODE(Imp_O2S), OXYGEN_NODE(CV_O2M), OXYGEN_NODE(CV_O2S),
        warningLimit, OXYGEN_NODE(UW_O2), general.zeroFlow(), sensorQuery, general.powerOnDelay());
}

// The life-time part: one sensor's life time, or both with their two reset signals.
SensorLifeTime lifeTime(const Vesk_Oxygen_SNo1& alternative, const char* alternativeText,
                        ItemSignal<void>* resetSignal1, ItemSignal<void>*) {
    using Alternative = Vesk_Oxygen_SNo1;
    const DoubleParameter preset(OXYGEN_NODE(LTP_O2), 0.0);
    const DoubleParameter warningLimit(OXYGEN_NODE(LWL_LT), 0.0);
    return SensorLifeTime(preset, warningLimit, OXYGEN_NODE(LT_O2d), OXYGEN_NODE(LTL_O2),
                          resetSignal1);
}
TwofoldSensorLifeTime lifeTime(const Vesk_Oxygen_SNo2& alternative, const char* alternativeText,
                               ItemSignal<void>* resetSignal1, ItemSignal<void>* resetSignal2) {
    using Alternative = Vesk_Oxygen_SNo2;
    const DoubleParameter preset(OXYGEN_NODE(LTP_O2), 0.0);
    const DoubleParameter warningLimit(OXYGEN_NODE(LWL_LT), 0.0);
    return TwofoldSensorLifeTime(preset, warningLimit, OXYGEN_NODE(LT_O2dM), OXYGEN_NODE(LT_O2dS),
                                 OXYGEN_NODE(LTL_O2), resetSignal1, resetSignal2);
}

// Makes a host owned by a pointer to its base from its two parts.
template <typename Input, typename Evaluation>
std::unique_ptr<MeasurementBase> makeHost(const Input& input, const Evaluation& evaluation) {
    return std::make_unique<MeasurementHost<Input, Evaluation>>(input, evaluation);
}

}  // namespace

OxygenGroup::OxygenGroup(Vesk_General generalNode, Vesk_Oxygen oxygenNode)
    : myGeneralNode(generalNode),
      myOxygenNode(oxygenNode),
      singleSensor((FbDo_SelectedChoice(oxygenNode) & kChoiceMask) == kSingleSensorChoice) {
    // A throw leaves the members built so far to their destructors: the hosts and the status
    // object go before the signals they are connected to.
    if (singleSensor) {
        const Vesk_Oxygen_SNo1 singleInputChoice =
            checkNotNull(myOxygenNode.getSNo1(), "myOxygenNode.getSNo1()");
        myWarning = singleInputChoice.getmyWarning();
        myAlarm = singleInputChoice.getmyAlarm();
        myInputFailureAlarm = singleInputChoice.getmyInputFailureAlarm();
        build(singleInputChoice, "singleInputChoice");
    } else if ((FbDo_SelectedChoice(myOxygenNode) & kChoiceMask) == kTwofoldChoice) {
        const Vesk_Oxygen_SNo2 twofoldInputChoice =
            checkNotNull(myOxygenNode.getSNo2(), "myOxygenNode.getSNo2()");
        myWarning = twofoldInputChoice.getmyWarning();
        myAlarm = twofoldInputChoice.getmyAlarm();
        mySensorFailureAlarm = twofoldInputChoice.getmySensorFailureAlarm();
        myInputFailureAlarm = twofoldInputChoice.getmyInputFailureAlarm();
        build(twofoldInputChoice, "twofoldInputChoice");
    } else {
        throw std::runtime_error("Invalid oxygen choice");
    }
}

template <typename Alternative>
void OxygenGroup::build(const Alternative& alternative, const char* alternativeText) {
    const GeneralNodeFetch general(myGeneralNode);

    const BestValue bestValue(OXYGEN_NODE(CV_O2BV), OXYGEN_NODE(Rev_O2), &revisionSignal,
                              &revisionDisplaySlot);
    bestValueHost =
        makeHost(bestValueInput(alternative, alternativeText, general, &sensorQuery), bestValue);

    const SimpleInputBasedOnLiveValue bestValueReadBack(OXYGEN_NODE(CV_O2BV));
    const DoubleParameter alarmLimit(OXYGEN_NODE(UAL_O2), 0.0);
    const UpperAlarm alarm(alarmLimit, OXYGEN_NODE(UA_O2), general.startUpDelay(),
                           general.zeroFlow());
    const AverageNodes means = general.averageNodes(OXYGEN_NODE(ChA_O2), OXYGEN_NODE(CdA_O2),
                                                    OXYGEN_NODE(LhA_O2), OXYGEN_NODE(LdA_O2));
    const UnsignedParameter averageStartUp = general.powerOnDelay();
    averageHost =
        makeHost(bestValueReadBack, Average<UpperAlarm>(kOxygenName, alarm, means, averageStartUp));

    lifeTimeHost =
        makeHost(NoInput(), lifeTime(alternative, alternativeText, &resetSignal1, &resetSignal2));

    if (!singleSensor) {
        checkNotNull(mySensorFailureAlarm, "mySensorFailureAlarm");
    }
    status = std::make_unique<OxygenStatus>(
        OXYGEN_NODE(CStatus_O2), OXYGEN_NODE(LhStatus_O2), checkNotNull(myAlarm, "myAlarm"),
        checkNotNull(myWarning, "myWarning"), OXYGEN_NODE(Rev_O2), &resetSignal1, &resetSignal2,
        checkNotNull(myInputFailureAlarm, "myInputFailureAlarm"), general.zeroFlow());
}

#undef OXYGEN_NODE

OxygenGroup::~OxygenGroup() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kDestroyedTrace, 0);
    lifeTimeHost.reset();
    averageHost.reset();
    bestValueHost.reset();
    status.reset();
}

void OxygenGroup::restore(Buff* buffer) {
    bestValueHost->restore(buffer);
    averageHost->restore(buffer);
    lifeTimeHost->restore(buffer);
}

void OxygenGroup::save(Buff& buffer) {
    lifeTimeHost->save(buffer);
    averageHost->save(buffer);
    bestValueHost->save(buffer);
}

void OxygenGroup::update(const PeriodEnds& ends, bool& collectiveAlarm, bool& collectiveWarning,
                         bool& collectiveInputFailure) {
    myFlags = ProcessFlags();
    for (MeasurementBase* host : {bestValueHost.get(), averageHost.get(), lifeTimeHost.get()}) {
        myFlags.process(*host, ends);
    }
    myFlags.raiseCollective(collectiveAlarm, collectiveWarning, collectiveInputFailure);
}

void OxygenGroup::publish(const PeriodEnds& ends) {
    averageHost->publishClosedPeriods();
    node_io::writeBool(myAlarm, myFlags.alarm);
    node_io::writeBool(myWarning, myFlags.warning);
    node_io::writeBool(myInputFailureAlarm, myFlags.inputFailure);
    if (!singleSensor) {
        node_io::writeBool(mySensorFailureAlarm, myFlags.sensorFailure);
    }
    status->update(myFlags.unweightedAverage, ends.hour);
}

bool OxygenGroup::isFirstSensorInUse() const {
    if (sensorQuery.empty()) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kSingleSensorQueryTrace, 0);
        throw std::runtime_error("Oxygen is in single sensor mode");
    }
    return sensorQuery();
}

void OxygenGroup::resetLifeTime1() {
    resetSignal1.emit();
}

void OxygenGroup::resetLifeTime2() {
    resetSignal2.emit();
}

void OxygenGroup::setRevision(int on) {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kRevisionTrace, TraceFormat(kTraceArgText),
                on != 0 ? "ON" : "OFF");
    revisionSignal.emit(on);
}
