// Which component table each reference-condition set reads.
#include "ComponentPropertyTables.h"
#include "GasTrace.h"
#include "Iso6976.h"

namespace {

const RefConditionSetRow* SetRow(RefConditionSet set) {
    return (set >= 1 && set <= kRefConditionSetCount) ? &kRefConditionSets[set - 1] : nullptr;
}

// The molar calorific table of a metric set, or the GPA ideal volumetric table.
const double* CalorificTable(RefConditionSet set,
                             const double (&iso1995)[kTableTemperatures][kGasComponents],
                             const double (&iso2016)[kTableTemperatures][kGasComponents],
                             const double* gpa, uint32_t traceId) {
    const RefConditionSetRow* row = SetRow(set);
    if (row == nullptr) {
        GasTrace(traceId, TraceFormat(kTraceArgInt), set);
        return iso1995[kTable25C];
    }
    switch (row->edition) {
        case kEdition1995:
            return iso1995[row->calorific];
        case kEdition2016:
            return iso2016[row->calorific];
        case kEditionNone:
            break;
    }
    return gpa;
}

}  // namespace

const double* SummationFactorTable(RefConditionSet set) {
    const ComponentPropertyTables& t = PropertyTables();
    const RefConditionSetRow* row = SetRow(set);
    if (row == nullptr) {
        GasTrace(0x20043, TraceFormat(kTraceArgInt), set);
        return t.iso1995Summation[kTable20C];
    }
    switch (row->edition) {
        case kEdition1995:
            return t.iso1995Summation[row->summation];
        case kEdition2016:
            return t.iso2016Summation[row->summation];
        case kEditionNone:
            break;
    }
    return t.gpaSummation;
}

const double* MolarMassTable(RefConditionSet set) {
    const ComponentPropertyTables& t = PropertyTables();
    if (RefIsMetric(set) == 0) {
        return t.gpaMolarMass;
    }
    return RefEdition(set) == kEdition2016 ? t.iso2016MolarMass : t.iso1995MolarMass;
}

const double* SuperiorCalorificTable(RefConditionSet set) {
    const ComponentPropertyTables& t = PropertyTables();
    return CalorificTable(set, t.iso1995Superior, t.iso2016Superior, t.gpaSuperiorVolume, 0x20003);
}

const double* InferiorCalorificTable(RefConditionSet set) {
    const ComponentPropertyTables& t = PropertyTables();
    return CalorificTable(set, t.iso1995Inferior, t.iso2016Inferior, t.gpaInferiorVolume, 0x20013);
}

const double* SuperiorMassCalorificTable(RefConditionSet set) {
    if (SetRow(set) == nullptr) {
        GasTrace(0x20023, TraceFormat(kTraceArgInt), set);
    }
    return PropertyTables().gpaSuperiorMass;
}

const double* InferiorMassCalorificTable(RefConditionSet set) {
    if (SetRow(set) == nullptr) {
        GasTrace(0x20033, TraceFormat(kTraceArgInt), set);
    }
    return PropertyTables().gpaInferiorMass;
}
