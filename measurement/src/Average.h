// Hourly and daily running means of a quantity, flow-weighted while a usable flow signal is in
// use, with an alarm part (UpperAlarm or UpperAndLowerAlarm) applied to them. A period ends
// only in a cycle whose period ends (read once from the trigger nodes by the caller) say so.
// Used on the initial task only.
#pragma once

#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "AverageAccumulator.h"
#include "FbDo.h"
#include "NodeIo.h"
#include "Parameter.h"
#include "PeriodEnds.h"
#include "StartUpPhase.h"
#include "TarvoTrace.h"
#include "ValueStatus.h"
#include "Vesk_AccessClasses.h"
#include "util/Buffer.h"

// The nodes an average reads and writes: the General node's flow inputs, and the quantity's
// four mean outputs.
struct AverageNodes {
    DoubleInputNode flow;          // Imp_Qn: the weight of each value
    BoolInputNode zeroFlow;        // Imp_zeroQn
    DoubleOutputNode currentHour;  // ChA_
    DoubleOutputNode currentDay;   // CdA_
    DoubleOutputNode lastHour;     // LhA_
    DoubleOutputNode lastDay;      // LdA_
};

template <typename Alarm>
class Average {
  public:
    // `name` is the quantity's name (kept for diagnosis); `startUpDelay` is PowerOn_Delay.
    Average(const std::string& name, const Alarm& alarm, const AverageNodes& nodes,
            const UnsignedParameter& startUpDelay)
        : myAlarm(alarm), myName(name), myNodes(nodes), myStartUp(startUpDelay) {}

    // One cycle on the value and status the input part read: accumulates a countable value,
    // publishes both running means, closes the hour and the day that `ends` names (the hour
    // first: their sums are emptied, their means kept for publishClosedPeriods) and applies the
    // alarm part (a day's decision sets `alarm` at once; its outputs wait for
    // publishClosedPeriods too). Uses `alarm`, `generalInputFailure` and `unweightedAverage`;
    // `warning` is not used.
    template <typename Input>
    void process(const Input& input, const PeriodEnds& ends, bool* alarm, bool* warning,
                 bool* generalInputFailure, bool* unweightedAverage);
    // Writes the last-hour and last-day outputs of the periods the last process closed, and the
    // alarm outputs as the closed day decided them. The caller saves the averages first, so
    // that nothing decided from a closed period is published before its sums are out of the
    // saved state.
    void publishClosedPeriods();

    // Re-reads the latched alarm and, with a buffer, reads the 64-byte saved state (a short
    // buffer leaves both periods empty). A
    // period whose sums cannot be a period (a sum that is no finite number, an infinite weight
    // sum, a count that is not a whole number from 0 up) starts empty and is traced; the other
    // period still restores.
    void restore(Buff* buffer);
    // Appends the 64-byte saved state: eight doubles, little-endian.
    void save(Buff& buffer) const;

  private:
    // Trace file 8: the averages. A saved hour / day that cannot be a period (name, the sums).
    static constexpr uint32_t kRestoredHourRejected = TraceId(8, 0, 3);
    static constexpr uint32_t kRestoredDayRejected = TraceId(8, 1, 3);

    // The mean of a closed period, with its status, until it is published.
    struct ClosedMean {
        bool pending = false;
        double mean = 0.0;
        uint32_t status = 0;
    };

    // The period restored from its saved sums; an empty one (traced) when they cannot be one.
    AverageAccumulator restoredPeriod(const AverageAccumulator& saved,
                                      uint32_t rejectedTrace) const;
    // The weight of this cycle's value (flow signal, or 0.0 while unweighted); sets the flags.
    double flowWeight(bool zeroFlow, bool* generalInputFailure, bool* unweightedAverage);
    // Empties the weighting of both periods.
    void clearWeighting() {
        myHour.clearWeighting();
        myDay.clearWeighting();
    }
    // The status published with a mean: its period status, or OOU while the input was out of
    // use in every cycle of the period.
    static uint32_t publishedStatus(uint32_t periodStatus, bool hasInput) {
        return hasInput ? periodStatus : kStatusOutOfUse;
    }

    Alarm myAlarm;
    std::string myName;
    AverageNodes myNodes;
    AverageAccumulator myHour;
    AverageAccumulator myDay;
    uint32_t myHourStatus = kStatusOutOfOrder;
    uint32_t myDayStatus = kStatusOutOfOrder;
    uint32_t myUnweighted = 1;  // 1: last cycle was unweighted (flow not in use or zero flow)
    ClosedMean myClosedHour;
    ClosedMean myClosedDay;
    StartUpPhase myStartUp;
    bool myHourHasInput = false;
    bool myDayHasInput = false;
};

template <typename Alarm>
template <typename Input>
void Average<Alarm>::process(const Input& input, const PeriodEnds& ends, bool* alarm, bool*,
                             bool* generalInputFailure, bool* unweightedAverage) {
    myStartUp.advance();
    const bool reporting = !myStartUp.isPending();
    bool countable = true;
    bool zeroFlow = false;
    if (FbDo_IsInUse(myNodes.zeroFlow) != 0) {
        if (!isUsable(node_io::status(myNodes.zeroFlow))) {
            countable = false;
            *generalInputFailure = *generalInputFailure || reporting;
        } else {
            zeroFlow = node_io::readBool(myNodes.zeroFlow);
        }
    }

    const uint32_t inputStatus = input.getStatus();
    if (!isUsable(inputStatus)) {
        countable = false;
        if (reporting && (inputStatus & kStatusOutOfUse) == 0) {
            *alarm = true;
        }
    }
    if ((inputStatus & kStatusOutOfUse) == 0) {
        myHourHasInput = true;
        myDayHasInput = true;
    }

    const double weight = flowWeight(zeroFlow, generalInputFailure, unweightedAverage);
    const double value = input.getValue();
    if (countable) {
        const std::pair<AverageAccumulator*, uint32_t*> periods[] = {{&myDay, &myDayStatus},
                                                                     {&myHour, &myHourStatus}};
        for (const auto& [period, status] : periods) {
            const AverageAccumulator::Added added = period->add(value, weight);
            if (added != AverageAccumulator::Added::kNotCounted) {
                *status &= ~kStatusOutOfOrder;
            }
            if (added == AverageAccumulator::Added::kUnweighted) {
                *unweightedAverage = true;
            }
        }
    }

    const double hourMean = myHour.mean();
    myAlarm.markStatus(hourMean, &myHourStatus);
    node_io::writeDouble(myNodes.currentHour, hourMean,
                         publishedStatus(myHourStatus, myHourHasInput));
    const double dayMean = myDay.mean();
    myAlarm.markStatus(dayMean, &myDayStatus);
    node_io::writeDouble(myNodes.currentDay, dayMean, publishedStatus(myDayStatus, myDayHasInput));

    if (ends.hour) {
        myClosedHour = {true, hourMean, publishedStatus(myHourStatus, myHourHasInput)};
        if (myHour.isUnweighted()) {
            *unweightedAverage = true;
        }
        myHour.clear();
        myHourStatus = kStatusOutOfOrder;
        myHourHasInput = false;
    }
    if (ends.day) {
        myAlarm.evaluate(dayMean, alarm);
        myClosedDay = {true, dayMean, publishedStatus(myDayStatus, myDayHasInput)};
        myDay.clear();
        myDayStatus = kStatusOutOfOrder;
        myDayHasInput = false;
    } else {
        myAlarm.reportState(alarm);
    }
}

template <typename Alarm>
void Average<Alarm>::publishClosedPeriods() {
    const std::pair<ClosedMean*, FbDoNode> closed[] = {{&myClosedHour, myNodes.lastHour},
                                                       {&myClosedDay, myNodes.lastDay}};
    for (const auto& [period, output] : closed) {
        if (period->pending) {
            node_io::writeDouble(output, period->mean, period->status);
            period->pending = false;
        }
    }
    myAlarm.publishDecision();
}

template <typename Alarm>
double Average<Alarm>::flowWeight(bool zeroFlow, bool* generalInputFailure,
                                  bool* unweightedAverage) {
    if (FbDo_IsInUse(myNodes.flow) == 0 || zeroFlow) {
        *unweightedAverage = true;
        if (myUnweighted == 0) {
            myUnweighted = 1;
            clearWeighting();
        }
        return 0.0;
    }
    if (myUnweighted == 1) {
        myUnweighted = 0;
        clearWeighting();
    }
    if (!isUsable(node_io::status(myNodes.flow))) {
        *unweightedAverage = true;
        *generalInputFailure = *generalInputFailure || !myStartUp.isPending();
        return 0.0;
    }
    // A flow that cannot weigh (no number, negative, too small) is refused when the value is
    // added: the value then counts unweighted.
    return FbDo_ReadDoubleWithStatus(myNodes.flow, 0.0, nullptr, nullptr, 0);
}

template <typename Alarm>
void Average<Alarm>::restore(Buff* buffer) {
    myAlarm.restoreState();
    myUnweighted = FbDo_IsInUse(myNodes.flow) != 0 ? 0 : 1;
    if (buffer == nullptr) {
        return;
    }
    AverageAccumulator saved[2];
    try {
        for (AverageAccumulator& period : saved) {
            period.weightedSum = buffer->readValue<double>();
            period.weightSum = buffer->readValue<double>();
            period.plainSum = buffer->readValue<double>();
            period.count = buffer->readValue<double>();
        }
    } catch (const std::exception&) {
        myHour.clear();
        myDay.clear();
        return;
    }
    myHour = restoredPeriod(saved[0], kRestoredHourRejected);
    myDay = restoredPeriod(saved[1], kRestoredDayRejected);
    for (FbDoNode last : {myNodes.lastHour.node(), myNodes.lastDay.node()}) {
        node_io::writeDouble(last, FbDo_ReadLiveDouble(last), node_io::status(last));
    }
}

template <typename Alarm>
AverageAccumulator Average<Alarm>::restoredPeriod(const AverageAccumulator& saved,
                                                  uint32_t rejectedTrace) const {
    if (!saved.isRestorable()) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), rejectedTrace,
                    TraceFormat(kTraceArgText, kTraceArgDouble, kTraceArgDouble, kTraceArgDouble,
                                kTraceArgDouble),
                    myName.c_str(), saved.weightedSum, saved.weightSum, saved.plainSum,
                    saved.count);
        return AverageAccumulator();
    }
    AverageAccumulator period = saved;
    period.settleRestored();
    return period;
}

template <typename Alarm>
void Average<Alarm>::save(Buff& buffer) const {
    for (const AverageAccumulator* period : {&myHour, &myDay}) {
        buffer.writeValue(period->weightedSum);
        buffer.writeValue(period->weightSum);
        buffer.writeValue(period->plainSum);
        buffer.writeValue(period->count);
    }
}
