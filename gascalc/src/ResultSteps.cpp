#include "ResultSteps.h"

#include <cstring>

#include "CalcBlock.h"
#include "CalcCycle.h"
#include "CalorantTrace.h"
#include "FbDo/FbDoValueNode.h"
#include "GasInputChecks.h"
#include "NodeReads.h"
#include "ProgramContext.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

// The gas constant the AGA8 densities use, kJ/(mol K).
constexpr double kAga8GasConstant = 0.00831451;
constexpr uint32_t kPropertiesAga8MolarMassChild = 2;

struct Aga8Traces {
    uint32_t failed;
    uint32_t succeeded;
    uint32_t noDensity;
};
constexpr Aga8Traces kAga8Traces[2] = {{0xa0005, 0xa0015, 0xa0025}, {0xa0035, 0xa0045, 0xa0055}};

void addInto(double* composition, int target, int source) {
    composition[target] += composition[source];
    composition[source] = 0.0;
}

void evaluateAga8(int mode) {
    Aga8ResultRecords& records = calcBlock.aga8Results;
    const BaseConditionRecord& source = calcBlock.baseConditions.source;
    Aga8Result& result = records.mode[mode];
    const Aga8Traces& traces = kAga8Traces[mode];
    const uint8_t failed =
        Aga8ZDensity(records.state[mode], source.basePressure, source.baseTemperature,
                     records.composition, &result.z, calcBlock.aga8RangeFlags,
                     records.rangeCheck != 0 ? 1 : 0, static_cast<uint8_t>(mode), nullptr);
    if (failed != 0) {
        CALORANT_TRACE(traces.failed, TraceFormat());
        result.density = 0.0;
        result.relativeDensity = 0.0;
        result.molarMass = 0.0;
        result.status |= status::kInvalid;
        return;
    }
    CALORANT_TRACE(traces.succeeded, TraceFormat());
    result.molarMass = records.state[mode].M;
    const double d = source.baseTemperature * kAga8GasConstant * result.z;
    if (IsPositiveFinite(d) && IsPositiveFinite(source.airDensity)) {
        result.density = result.molarMass * source.basePressure * 0.1 / d;
        result.relativeDensity = result.density / source.airDensity;
    } else {
        CALORANT_TRACE(traces.noDensity, TraceFormat(kTraceArgDouble, kTraceArgDouble), d,
                       source.airDensity);
        result.density = 0.0;
        result.relativeDensity = 0.0;
        result.status |= status::kInvalid;
    }
}

// Z, density and relative density are stated at the source conditions: computed at the fallback
// of a set that does not exist, they are marked not valid (`setMark`). The molar mass is not
// stated at a set and keeps the result's own status.
void writeAga8Result(const FbDoNode (&nodes)[kAga8WrittenFields], const Aga8Result& result,
                     uint32_t setMark) {
    const uint32_t stated = result.status | setMark;
    FbDo_WriteDouble(nodes[0], result.z, &stated);
    FbDo_WriteDouble(nodes[1], result.density, &stated);
    FbDo_WriteDouble(nodes[2], result.relativeDensity, &stated);
}

void writeAga8Results() {
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr || taste->kind() == kTasteNone) {
        return;
    }
    const Aga8ResultRecords& records = calcBlock.aga8Results;
    const ResultNodes& nodes = calcBlock.resultNodes;
    const uint32_t setMark = SourceSetMark();
    bool written = false;
    if (taste->getSourceAga8Mode0() != nullptr) {
        writeAga8Result(nodes.aga8[0], records.mode[0], setMark);
        if (taste->getPropertiesOutput() != nullptr) {
            FbDo_WriteDouble(nodes.aga8MolarMass, records.mode[0].molarMass,
                             &records.mode[0].status);
        }
        written = true;
    }
    if (taste->getSourceAga8Mode1() != nullptr) {
        writeAga8Result(nodes.aga8[1], records.mode[1], setMark);
        written = true;
    }
    if (written) {
        FinishTreeCycle();
    }
}

}  // namespace

void LumpForAga8(double* composition) {
    addInto(composition, 13, 21);
    addInto(composition, 13, 22);
    addInto(composition, 14, 23);
    addInto(composition, 14, 24);
    addInto(composition, 15, 25);
}

void SetupIso6976Step() {
    const Taste* taste = ProgramContext::myTaste.Load();
    const FbDoNode node = taste != nullptr ? taste->getSourceIso6976() : nullptr;
    FindChildren(node, 0, calcBlock.resultNodes.iso6976);
}

void SetupAga8ZStep() {
    const Taste* taste = ProgramContext::myTaste.Load();
    const bool hasNodes = taste != nullptr && taste->kind() != kTasteNone;
    ResultNodes& nodes = calcBlock.resultNodes;
    FindChildren(hasNodes ? taste->getSourceAga8Mode0() : nullptr, 0, nodes.aga8[0]);
    FindChildren(hasNodes ? taste->getSourceAga8Mode1() : nullptr, 0, nodes.aga8[1]);
    nodes.aga8MolarMass = FbDo_GetChild(hasNodes ? taste->getPropertiesOutput() : nullptr,
                                        kPropertiesAga8MolarMassChild);
    const FbDoNode option = taste != nullptr ? taste->getCalcMethodOption() : nullptr;
    calcBlock.aga8Results.rangeCheck = ReadUnsignedParameter(option);
}

void Iso6976Step() {
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr || taste->kind() == kTasteNone) {
        return;
    }
    const FbDoNode node = taste->getSourceIso6976();
    if (node == nullptr) {
        return;
    }
    Iso6976Records& iso = calcBlock.iso6976;
    const CompositionRecords& composition = calcBlock.composition;
    iso.status = 0;
    if (composition.settings.compositionActive != 0) {
        const BaseConditionRecord& source = calcBlock.baseConditions.source;
        iso.status |=
            status::InvalidIf(status::IsBad(composition.normalised.status)) | SourceSetMark();
        Iso6976Properties(iso.result, composition.normalised.value, source.basePressure,
                          source.baseTemperature, source.airDensity, source.airZ,
                          static_cast<RefConditionSet>(source.set));
        // The library gives all zero for an analysis it cannot evaluate: not a valid result.
        iso.status |= status::InvalidIf(!IsPositiveFinite(iso.result.value[kIsoMolarMass]));
    } else {
        iso.status |= status::kNotInUse;
        for (int field = kIsoDensity; field < kIsoFieldCount; ++field) {
            iso.result.value[field] = 0.0;
        }
    }
    iso.evaluated = 1;
    for (int i = 0; i < kIsoWrittenFields; ++i) {
        FbDo_WriteDouble(calcBlock.resultNodes.iso6976[i], iso.result.value[kIsoDensity + i],
                         &iso.status);
    }
    FinishTreeCycle();
}

void Aga8ZStep() {
    Aga8ResultRecords& records = calcBlock.aga8Results;
    const CompositionRecords& composition = calcBlock.composition;
    std::memcpy(records.composition, composition.normalised.value, sizeof(records.composition));
    records.mode[0].status = 0;
    records.mode[1].status = 0;
    if (composition.settings.compositionActive == 0) {
        for (Aga8Result& result : records.mode) {
            result = Aga8Result{0.0, 0.0, 0.0, 0.0, status::kNotInUse};
        }
    } else {
        const uint32_t bad = status::InvalidIf(status::IsBad(composition.normalised.status));
        records.mode[0].status |= bad;
        records.mode[1].status |= bad;
        LumpForAga8(records.composition);
        evaluateAga8(0);
        evaluateAga8(1);
    }
    writeAga8Results();
}
