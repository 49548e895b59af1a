#include "RefConditionSets.h"

#include "GasTrace.h"
#include "tables/ref_condition_sets.h"

namespace {

// The set's table row, or null after emitting `traceId` for an index outside 1 to `lastSet`.
const RefConditionSetRow* SetRow(RefConditionSet set, uint32_t traceId,
                                 uint32_t lastSet = kRefConditionSetCount) {
    if (set < 1 || set > lastSet) {
        GasTrace(traceId, TraceFormat(kTraceArgInt), set);
        return nullptr;
    }
    return &kRefConditionSets[set - 1];
}

constexpr uint32_t kLastMetricSet = 13;

}  // namespace

double RefGasConstant(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0003);
    return row != nullptr ? row->gasConstant : kFallbackGasConstant;
}

int32_t RefIsMetric(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0013);
    return row != nullptr ? row->isMetric : kFallbackIsMetric;
}

int32_t RefEdition(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0023, kLastMetricSet);
    return row != nullptr ? row->edition : kFallbackEdition;
}

double RefBaseTemperature(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0033);
    return row != nullptr ? row->meteringTemperature : kFallbackBaseTemperature;
}

double RefBasePressure(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0043);
    return row != nullptr ? row->basePressure : kFallbackBasePressure;
}

double RefAirZ(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0053);
    return row != nullptr ? row->airZ : kFallbackAirZ;
}

double RefAirMolarMass(RefConditionSet set) {
    const RefConditionSetRow* row = SetRow(set, 0xE0063);
    return row != nullptr ? row->airMolarMass : kFallbackAirMolarMass;
}
