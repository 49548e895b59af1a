#include "DewPointGroup.h"

#include <string>
#include <type_traits>

#include "GeneralNodeFetch.h"
#include "NodeIo.h"
#include "TarvoTrace.h"
#include "ValueStatus.h"

namespace {

// Trace file 0xa: the dew-point group.
constexpr uint32_t kDestroyedTrace = TraceId(0xa, 0, 7);

// The hosts' names; the three sensors of one quantity share one.
const std::string kSensorTempName = "DP_SensorTemp";
const std::string kSensorPressName = "DP_SensorPress";
const std::string kWaterDPTempName = "DP_WaterDPTemp";
const std::string kWaterHumidityName = "DP_WaterHumidity";
const std::string kHCDTName = "HCDT";
const std::string kHydrocarbonDPTempName = "DP_HydrocarbonDPTemp";

// One dew-point quantity: its host's name and the getters of its nodes; the lower-limit
// getters are null for the quantities with an upper alarm only.
struct Quantity {
    const std::string* name;
    const char* token;  // tdps, tdps2, ...: the suffix of its parameter names
    DoubleInputNode (Vesk_DPs::*input)() const;
    DoubleOutputNode (Vesk_DPs::*currentValue)() const;
    DoubleParameterNode (Vesk_DPs::*upperLimit)() const;
    BoolOutputNode (Vesk_DPs::*upperOutput)() const;
    DoubleParameterNode (Vesk_DPs::*lowerLimit)() const;
    BoolOutputNode (Vesk_DPs::*lowerOutput)() const;
    DoubleOutputNode (Vesk_DPs::*currentHour)() const;
    DoubleOutputNode (Vesk_DPs::*lastHour)() const;
    DoubleOutputNode (Vesk_DPs::*currentDay)() const;
    DoubleOutputNode (Vesk_DPs::*lastDay)() const;
};

#define DEW_POINT_COMMON(nameConstant, q)                                                  \
    &nameConstant, #q, &Vesk_DPs::getImp_##q, &Vesk_DPs::getCV_##q, &Vesk_DPs::getUAL_##q, \
        &Vesk_DPs::getUA_##q
#define DEW_POINT_MEANS(q) \
    &Vesk_DPs::getChA_##q, &Vesk_DPs::getLhA_##q, &Vesk_DPs::getCdA_##q, &Vesk_DPs::getLdA_##q
#define TWO_LIMITS(nameConstant, q)                                                     \
    Quantity {                                                                          \
        DEW_POINT_COMMON(nameConstant, q), &Vesk_DPs::getLAL_##q, &Vesk_DPs::getLA_##q, \
            DEW_POINT_MEANS(q)                                                          \
    }
#define UPPER_LIMIT(nameConstant, q)                                            \
    Quantity {                                                                  \
        DEW_POINT_COMMON(nameConstant, q), nullptr, nullptr, DEW_POINT_MEANS(q) \
    }

const Quantity kQuantities[DewPointGroup::kHostCount] = {
    TWO_LIMITS(kSensorTempName, tdps),      TWO_LIMITS(kSensorTempName, tdps2),
    TWO_LIMITS(kSensorTempName, tdps3),     TWO_LIMITS(kSensorPressName, pdps),
    TWO_LIMITS(kSensorPressName, pdps2),    TWO_LIMITS(kSensorPressName, pdps3),
    UPPER_LIMIT(kWaterDPTempName, twdp),    UPPER_LIMIT(kWaterDPTempName, twdp2),
    UPPER_LIMIT(kWaterDPTempName, twdp3),   UPPER_LIMIT(kWaterHumidityName, hwdp),
    UPPER_LIMIT(kWaterHumidityName, hwdp2), UPPER_LIMIT(kWaterHumidityName, hwdp3),
    TWO_LIMITS(kHCDTName, hcdtp),           UPPER_LIMIT(kHydrocarbonDPTempName, thdp),
};

#undef UPPER_LIMIT
#undef TWO_LIMITS
#undef DEW_POINT_MEANS
#undef DEW_POINT_COMMON

// The analyser word's classes.
constexpr uint32_t kAlarmWordBits = 0x1e0;
constexpr uint32_t kWarningWordBits = 0x1e00;
constexpr uint32_t kRevisionWordBit = 0x2000;

// Fetches a node of the quantity with its check text "myDewPointsNode.get<prefix><token>()".
template <typename Node>
Node fetch(const Vesk_DPs& dewPointsNode, Node (Vesk_DPs::*getter)() const, const char* prefix,
           const Quantity& quantity) {
    return checkNotNull((dewPointsNode.*getter)(),
                        std::string("myDewPointsNode.get") + prefix + quantity.token + "()");
}

// Builds the host of one quantity from nodes fetched anew, at the end of `hosts`, and returns
// it. The alarm part is made by `makeAlarm` (limits, outputs, delay, zero flow).
template <typename Host, typename MakeAlarm>
MeasurementBase* addHost(std::vector<Host>& hosts, const GeneralNodeFetch& general,
                         const Vesk_DPs& dewPoints, const Quantity& q, MakeAlarm makeAlarm) {
    const SimpleInput input(fetch(dewPoints, q.input, "Imp_", q),
                            fetch(dewPoints, q.currentValue, "CV_", q), general.powerOnDelay());
    const auto alarm = makeAlarm();
    const AverageNodes nodes = general.averageNodes(
        fetch(dewPoints, q.currentHour, "ChA_", q), fetch(dewPoints, q.currentDay, "CdA_", q),
        fetch(dewPoints, q.lastHour, "LhA_", q), fetch(dewPoints, q.lastDay, "LdA_", q));
    const UnsignedParameter averageStartUp = general.powerOnDelay();
    using Alarm = std::decay_t<decltype(alarm)>;
    hosts.emplace_back(input, Average<Alarm>(*q.name, alarm, nodes, averageStartUp));
    return &hosts.back();
}

DewPointStatus buildStatus(Vesk_General myGeneralNode, Vesk_DPs myDewPointsNode,
                           WordInputNode analyserStatus, BoolInputNode analyserAlarm,
                           BoolOutputNode inputFailureOutput) {
    const WordOutputNode live =
        checkNotNull(myDewPointsNode.getCStatus_dp(), "myDewPointsNode.getCStatus_dp()");
    const WordOutputNode latched =
        checkNotNull(myDewPointsNode.getLhStatus_dp(), "myDewPointsNode.getLhStatus_dp()");
    const BoolInputNode zeroFlow =
        checkNotNull(myGeneralNode.getImp_zeroQn(), "myGeneralNode.getImp_zeroQn()");
    return DewPointStatus(live, latched, analyserStatus, analyserAlarm, inputFailureOutput,
                          zeroFlow);
}

}  // namespace

DewPointGroup::DewPointGroup(Vesk_General generalNode, Vesk_DPs dewPointsNode)
    : myGeneralNode(generalNode),
      myDewPointsNode(dewPointsNode),
      myAlarmOutput(checkNotNull(dewPointsNode.getA_dp(), "dewPointsNode.getA_dp()")),
      myInputFailureOutput(checkNotNull(dewPointsNode.getA_IFdp(), "dewPointsNode.getA_IFdp()")),
      myAnalyserStatus(checkNotNull(dewPointsNode.getImp_DSdp(), "dewPointsNode.getImp_DSdp( )")),
      myAnalyserAlarm(checkNotNull(dewPointsNode.getImp_DSadp(), "dewPointsNode.getImp_DSadp()")),
      myHosts(myGeneralNode, myDewPointsNode),
      myStatus(buildStatus(myGeneralNode, myDewPointsNode, myAnalyserStatus, myAnalyserAlarm,
                           myInputFailureOutput)) {}

DewPointGroup::~DewPointGroup() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kDestroyedTrace, 0);
}

DewPointGroup::Hosts::Hosts(Vesk_General generalNode, Vesk_DPs dewPointsNode) {
    const GeneralNodeFetch general(generalNode);
    myTwoLimitHosts.reserve(kHostCount);
    myUpperLimitHosts.reserve(kHostCount);
    for (std::size_t i = 0; i < kHostCount; ++i) {
        const Quantity& q = kQuantities[i];
        if (q.lowerLimit != nullptr) {
            myOrder[i] = addHost(myTwoLimitHosts, general, dewPointsNode, q, [&] {
                const DoubleParameter upper(fetch(dewPointsNode, q.upperLimit, "UAL_", q), 0.0);
                const BoolOutputNode upperOutput = fetch(dewPointsNode, q.upperOutput, "UA_", q);
                const DoubleParameter lower(fetch(dewPointsNode, q.lowerLimit, "LAL_", q), 0.0);
                const BoolOutputNode lowerOutput = fetch(dewPointsNode, q.lowerOutput, "LA_", q);
                return UpperAndLowerAlarm(upper, upperOutput, lower, lowerOutput,
                                          general.startUpDelay(), general.zeroFlow());
            });
        } else {
            myOrder[i] = addHost(myUpperLimitHosts, general, dewPointsNode, q, [&] {
                const DoubleParameter upper(fetch(dewPointsNode, q.upperLimit, "UAL_", q), 0.0);
                const BoolOutputNode upperOutput = fetch(dewPointsNode, q.upperOutput, "UA_", q);
                return UpperAlarm(upper, upperOutput, general.startUpDelay(), general.zeroFlow());
            });
        }
    }
}

// Each kind's hosts stand in table order, so taking the last host of the kind of each row,
// from the table's last row to its first, destroys them in reverse table order.
DewPointGroup::Hosts::~Hosts() {
    for (std::size_t row = kHostCount; row-- > 0;) {
        if (kQuantities[row].lowerLimit != nullptr) {
            myTwoLimitHosts.pop_back();
        } else {
            myUpperLimitHosts.pop_back();
        }
    }
}

void DewPointGroup::restore(Buff* buffer) {
    for (MeasurementBase* host : myHosts.inOrder()) {
        host->restore(buffer);
    }
}

void DewPointGroup::update(const PeriodEnds& ends, bool& collectiveAlarm, bool& collectiveWarning,
                           bool& collectiveInputFailure) {
    myFlags = ProcessFlags();
    for (MeasurementBase* host : myHosts.inOrder()) {
        myFlags.process(*host, ends);
    }
    myFlags.raiseCollective(collectiveAlarm, collectiveWarning, collectiveInputFailure);
}

void DewPointGroup::publish(const PeriodEnds& ends) {
    for (MeasurementBase* host : myHosts.inOrder()) {
        host->publishClosedPeriods();
    }
    node_io::writeBool(myAlarmOutput, myFlags.alarm);
    node_io::writeBool(myInputFailureOutput, myFlags.inputFailure);
    myStatus.update(myFlags.unweightedAverage, ends.hour);
}

void DewPointGroup::save(Buff& buffer) {
    for (MeasurementBase* host : myHosts.inOrder()) {
        host->save(buffer);
    }
}

unsigned int DewPointGroup::deviceStateMask() const {
    unsigned int mask = kDeviceReady;
    uint32_t word = 0;
    if (!analyser_input::readUsableWord(myAnalyserStatus, &word)) {
        mask = 0;
    } else {
        if ((word & kAlarmWordBits) != 0) {
            mask = kDeviceAlarm;
        }
        if ((word & kWarningWordBits) != 0) {
            mask = (mask & ~kDeviceReady) | kDeviceWarning;
        }
        if ((word & kRevisionWordBit) != 0) {
            mask = (mask & ~kDeviceReady) | kDeviceRevision;
        }
    }
    if (FbDo_IsInUse(myAnalyserAlarm) != 0 && isUsable(node_io::status(myAnalyserAlarm))) {
        if (node_io::readBool(myAnalyserAlarm)) {
            mask = (mask & ~kDeviceReady) | kDeviceAlarm;
        } else if (mask == 0) {
            mask = kDeviceReady;
        }
    }
    return mask;
}
