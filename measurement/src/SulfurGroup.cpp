#include "SulfurGroup.h"

#include <string>

#include "GeneralNodeFetch.h"
#include "NodeIo.h"
#include "TarvoTrace.h"
#include "ValueStatus.h"

namespace {

// Trace file 9: the sulfur group.
constexpr uint32_t kDestroyedTrace = TraceId(9, 0, 7);

// The hosts' names, built once at program start.
const std::string kMercaptaneName = "Sulfur_Mercaptane";
const std::string kH2SCOSName = "Sulfur_H2SCOS";
const std::string kTotalSulfurName = "Sulfur_TotalSulfur";
const std::string kH2SName = "Sulfur_H2S";
const std::string kCOSName = "Sulfur_COS";
const std::string kMMName = "Sulfur_MM";
const std::string kEMName = "Sulfur_EM";

// One sulfur quantity: its host's name and the getters of its nodes.
struct Quantity {
    const std::string* name;
    const char* token;  // Merc, HC, ...: the suffix of its parameter names
    DoubleInputNode (Vesk_Sulfur::*input)() const;
    DoubleParameterNode (Vesk_Sulfur::*alarmLimit)() const;
    DoubleParameterNode (Vesk_Sulfur::*warningLimit)() const;
    DoubleOutputNode (Vesk_Sulfur::*currentValue)() const;
    DoubleOutputNode (Vesk_Sulfur::*currentHour)() const;
    DoubleOutputNode (Vesk_Sulfur::*lastHour)() const;
    DoubleOutputNode (Vesk_Sulfur::*currentDay)() const;
    DoubleOutputNode (Vesk_Sulfur::*lastDay)() const;
    BoolOutputNode (Vesk_Sulfur::*alarmOutput)() const;
    BoolOutputNode (Vesk_Sulfur::*warningOutput)() const;
};

#define SULFUR_QUANTITY(nameConstant, q)                                                  \
    Quantity {                                                                            \
        &nameConstant, #q, &Vesk_Sulfur::getImp_##q, &Vesk_Sulfur::getUAL_##q,            \
            &Vesk_Sulfur::getUWL_##q, &Vesk_Sulfur::getCV_##q, &Vesk_Sulfur::getChA_##q,  \
            &Vesk_Sulfur::getLhA_##q, &Vesk_Sulfur::getCdA_##q, &Vesk_Sulfur::getLdA_##q, \
            &Vesk_Sulfur::getUA_##q, &Vesk_Sulfur::getUW_##q                              \
    }

const Quantity kQuantities[SulfurGroup::kHostCount] = {
    SULFUR_QUANTITY(kMercaptaneName, Merc), SULFUR_QUANTITY(kH2SCOSName, HC),
    SULFUR_QUANTITY(kTotalSulfurName, TS),  SULFUR_QUANTITY(kH2SName, H2S),
    SULFUR_QUANTITY(kCOSName, COS),         SULFUR_QUANTITY(kMMName, MM),
    SULFUR_QUANTITY(kEMName, EM),
};

#undef SULFUR_QUANTITY

// Fetches a node of the quantity with its check text "<owner>.get<prefix><token>()".
template <typename Node>
Node fetch(const Vesk_Sulfur& owner, const char* ownerText, Node (Vesk_Sulfur::*getter)() const,
           const char* prefix, const Quantity& quantity) {
    return checkNotNull((owner.*getter)(),
                        std::string(ownerText) + ".get" + prefix + quantity.token + "()");
}

// Builds the host of one quantity from nodes fetched anew, at the end of `hosts`. `sulfurNode`
// is the constructor's argument: the first quantity's warning output is fetched from it under
// its own name.
void addHost(std::vector<SulfurGroup::Host>& hosts, const GeneralNodeFetch& general,
             const Vesk_Sulfur& mySulfurNode, const Vesk_Sulfur& sulfurNode, const Quantity& q) {
    const bool first = &q == &kQuantities[0];
    const DoubleParameter warningLimit(
        fetch(mySulfurNode, "mySulfurNode", q.warningLimit, "UWL_", q), 0.0);
    const UnsignedParameter inputStartUp = general.powerOnDelay();
    const InputWithUpperWarning input(
        fetch(mySulfurNode, "mySulfurNode", q.input, "Imp_", q),
        fetch(mySulfurNode, "mySulfurNode", q.currentValue, "CV_", q), warningLimit,
        first ? fetch(sulfurNode, "sulfurNode", q.warningOutput, "UW_", q)
              : fetch(mySulfurNode, "mySulfurNode", q.warningOutput, "UW_", q),
        general.zeroFlow(), inputStartUp);

    const DoubleParameter alarmLimit(fetch(mySulfurNode, "mySulfurNode", q.alarmLimit, "UAL_", q),
                                     0.0);
    const UnsignedParameter switchOnDelay = general.startUpDelay();
    const UpperAlarm alarm(alarmLimit, fetch(mySulfurNode, "mySulfurNode", q.alarmOutput, "UA_", q),
                           switchOnDelay, general.zeroFlow());

    const UnsignedParameter averageStartUp = general.powerOnDelay();
    const AverageNodes nodes =
        general.averageNodes(fetch(mySulfurNode, "mySulfurNode", q.currentHour, "ChA_", q),
                             fetch(mySulfurNode, "mySulfurNode", q.currentDay, "CdA_", q),
                             fetch(mySulfurNode, "mySulfurNode", q.lastHour, "LhA_", q),
                             fetch(mySulfurNode, "mySulfurNode", q.lastDay, "LdA_", q));
    const Average<UpperAlarm> average(*q.name, alarm, nodes, averageStartUp);
    hosts.emplace_back(input, average);
}

std::vector<SulfurGroup::Host> buildHosts(Vesk_General generalNode, Vesk_Sulfur mySulfurNode,
                                          Vesk_Sulfur sulfurNode) {
    const GeneralNodeFetch general(generalNode);
    std::vector<SulfurGroup::Host> hosts;
    hosts.reserve(SulfurGroup::kHostCount);
    for (const Quantity& quantity : kQuantities) {
        addHost(hosts, general, mySulfurNode, sulfurNode, quantity);
    }
    return hosts;
}

SulfurStatus buildStatus(Vesk_General myGeneralNode, Vesk_Sulfur mySulfurNode,
                         BoolOutputNode inputFailureOutput) {
    const BoolInputNode zeroFlow =
        checkNotNull(myGeneralNode.getImp_zeroQn(), "myGeneralNode.getImp_zeroQn()");
    const WordInputNode revision =
        checkNotNull(mySulfurNode.getImp_DR(), "mySulfurNode.getImp_DR()");
    const WordInputNode warning =
        checkNotNull(mySulfurNode.getImp_DW(), "mySulfurNode.getImp_DW()");
    const WordInputNode alarm = checkNotNull(mySulfurNode.getImp_DA(), "mySulfurNode.getImp_DA()");
    const WordOutputNode latched =
        checkNotNull(mySulfurNode.getLhStatus_S(), "mySulfurNode.getLhStatus_S()");
    const WordOutputNode live =
        checkNotNull(mySulfurNode.getCStatus_S(), "mySulfurNode.getCStatus_S()");
    return SulfurStatus(live, latched, alarm, warning, revision, inputFailureOutput, zeroFlow);
}

}  // namespace

SulfurGroup::SulfurGroup(Vesk_General generalNode, Vesk_Sulfur sulfurNode)
    : myGeneralNode(generalNode),
      mySulfurNode(sulfurNode),
      myAlarmOutput(checkNotNull(mySulfurNode.getA_S(), "mySulfurNode.getA_S()")),
      myInputFailureOutput(checkNotNull(mySulfurNode.getA_IFS(), "mySulfurNode.getA_IFS()")),
      myDeviceAlarm(checkNotNull(mySulfurNode.getImp_DA(), "mySulfurNode.getImp_DA()")),
      myDeviceWarning(checkNotNull(mySulfurNode.getImp_DW(), "mySulfurNode.getImp_DW()")),
      myDeviceRevision(checkNotNull(mySulfurNode.getImp_DR(), "mySulfurNode.getImp_DR()")),
      myHosts(buildHosts(myGeneralNode, mySulfurNode, sulfurNode)),
      myStatus(buildStatus(myGeneralNode, mySulfurNode, myInputFailureOutput)) {}

SulfurGroup::~SulfurGroup() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kDestroyedTrace, 0);
    while (!myHosts.empty()) {
        myHosts.pop_back();
    }
}

void SulfurGroup::restore(Buff* buffer) {
    for (Host& host : myHosts) {
        host.restore(buffer);
    }
}

void SulfurGroup::update(const PeriodEnds& ends, bool& collectiveAlarm, bool& collectiveWarning,
                         bool& collectiveInputFailure) {
    myFlags = ProcessFlags();
    for (Host& host : myHosts) {
        myFlags.process(host, ends);
    }
    myFlags.raiseCollective(collectiveAlarm, collectiveWarning, collectiveInputFailure);
}

void SulfurGroup::publish(const PeriodEnds& ends) {
    for (Host& host : myHosts) {
        host.publishClosedPeriods();
    }
    node_io::writeBool(myAlarmOutput, myFlags.alarm);
    node_io::writeBool(myInputFailureOutput, myFlags.inputFailure);
    myStatus.update(myFlags.unweightedAverage, ends.hour);
}

void SulfurGroup::save(Buff& buffer) {
    for (Host& host : myHosts) {
        host.save(buffer);
    }
}

unsigned int SulfurGroup::deviceStateMask() const {
    struct DeviceInput {
        FbDoNode node;
        unsigned int mask;
    };
    const DeviceInput inputs[] = {{myDeviceAlarm, kDeviceAlarm},
                                  {myDeviceWarning, kDeviceWarning},
                                  {myDeviceRevision, kDeviceRevision}};
    unsigned int mask = 0;
    bool allKnown = true;
    for (const DeviceInput& input : inputs) {
        uint32_t word = 0;
        if (!analyser_input::readUsableWord(input.node, &word)) {
            allKnown = false;
        } else if (word != 0) {
            mask |= input.mask;
        }
    }
    return (mask == 0 && allKnown) ? kDeviceReady : mask;
}
