#include "ImportedValues.h"

#include <cstring>

#include "CalcBlock.h"
#include "CalcCycle.h"
#include "CalorantTrace.h"
#include "FbDo/FbDoValueNode.h"
#include "GasInputChecks.h"
#include "ProgramContext.h"
#include "RefSetConversion.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

constexpr uint32_t kTraceNoAirDensity = 0xb0095;
// Rhob node missing at reload, while reading and while writing: by taste kind 1 to 3.
constexpr uint32_t kTraceRhobMissingSetup[3] = {0xb0003, 0xb0013, 0xb0023};
constexpr uint32_t kTraceRhobMissingRead[3] = {0xb0033, 0xb0043, 0xb0053};
constexpr uint32_t kTraceRhobMissingWrite[3] = {0xb0063, 0xb0073, 0xb0083};

constexpr int kInferiorWobbe = 5;

using Converter = double (*)(double, RefConditionSet, RefConditionSet);
// Converters of heating values 0 to 4 (HsV, HiV, HsM, HiM, Ws).
constexpr Converter kHeatingConverters[5] = {
    ConvertHeatingValueBetweenSets3, ConvertHeatingValueBetweenSets4,
    ConvertHeatingValueBetweenSets1, ConvertHeatingValueBetweenSets2,
    ConvertHeatingValueBetweenSets5};

const Taste* activeTaste() {
    const Taste* taste = ProgramContext::myTaste.Load();
    return taste != nullptr && taste->kind() != kTasteNone ? taste : nullptr;
}

FbDoNode rhobNode(const Taste& taste) {
    switch (taste.kind()) {
        case kTasteDefault:
            return taste.getRhobDefault();
        case kTasteZM1:
            return taste.getRhobZM1();
        default:
            return taste.getRhobBM1();
    }
}

// The Rhob node, or null with the trace of `traces` for the kind.
FbDoNode rhobOrTrace(const Taste* taste, const uint32_t* traces) {
    if (taste == nullptr) {
        return nullptr;
    }
    const FbDoNode node = rhobNode(*taste);
    if (node == nullptr) {
        CALORANT_TRACE(traces[taste->kind() - 1], TraceFormat());
    }
    return node;
}

RefConditionSet sourceSet() {
    return static_cast<RefConditionSet>(calcBlock.baseConditions.source.set);
}
RefConditionSet resultSet() {
    return static_cast<RefConditionSet>(calcBlock.baseConditions.result.set);
}
constexpr RefConditionSet kMethodSet = static_cast<RefConditionSet>(kMethodReferenceSet);
// Metering at 20 degC and 1.01325 bar.
constexpr RefConditionSet kSet20C = 4;

void readDensityInputs() {
    ImportedValueRecords& imported = calcBlock.imported;
    const FbDoNode rhob = rhobOrTrace(activeTaste(), kTraceRhobMissingRead);
    if (rhob == nullptr) {
        return;
    }
    for (int i = 0; i < kDensityInputs; ++i) {
        imported.densityValue[i] =
            FbDo_ReadDouble(calcBlock.densityNodes.input[i], 0.0, &imported.densityStatus[i], 0);
    }
}

void writeDensityOutputs() {
    const Taste* taste = activeTaste();
    if (taste == nullptr) {
        return;
    }
    const ValueSet4& outputs = calcBlock.imported.densityOutputs;
    const FbDoNode rhob = rhobOrTrace(taste, kTraceRhobMissingWrite);
    if (rhob != nullptr) {
        const DensityNodes& nodes = calcBlock.densityNodes;
        FbDo_WriteDouble(nodes.output[0], outputs.value[kOutDensityFromRelative],
                         &outputs.status[kOutDensityFromRelative]);
        FbDo_WriteDouble(nodes.output[1], outputs.value[kOutRelativeFromDensity],
                         &outputs.status[kOutRelativeFromDensity]);
    }
    FbDo_WriteDouble(taste->getBase1rhob(), outputs.value[kOutBaseDensity],
                     &outputs.status[kOutBaseDensity]);
    FbDo_WriteDouble(taste->getBase1d(), outputs.value[kOutRelativeDensity],
                     &outputs.status[kOutRelativeDensity]);
    FinishTreeCycle();
}

void setInvalid(uint32_t& word, bool invalid) {
    word = (word & ~status::kInvalid) | status::InvalidIf(invalid);
}

// One pass of the density conversion; the bad flags carry over between the passes.
void convertDensityPass(bool& badDensity, bool& badRelative) {
    ImportedValueRecords& imported = calcBlock.imported;
    ValueSet4& reference = imported.densityAtMethodReference;
    ValueSet4& outputs = imported.densityOutputs;
    readDensityInputs();
    double rho = imported.densityValue[0];
    double d = imported.densityValue[1];
    if (!IsPositiveFinite(d)) {
        d = 0.0;
        badRelative = true;
    }
    if (!IsPositiveFinite(rho)) {
        rho = 0.0;
        badDensity = true;
    }
    const double airDensity = calcBlock.baseConditions.source.airDensity;
    if (imported.densityActive[0] != 0) {
        if (IsPositiveFinite(airDensity)) {
            outputs.value[kOutRelativeFromDensity] = rho / airDensity;
        } else {
            CALORANT_TRACE(kTraceNoAirDensity, TraceFormat(kTraceArgDouble), airDensity);
            outputs.value[kOutRelativeFromDensity] = 0.0;
            badDensity = true;
        }
    }
    if (imported.densityActive[1] != 0) {
        outputs.value[kOutDensityFromRelative] = d * airDensity;
    }
    const BaseConditionRecords& conditions = calcBlock.baseConditions;
    const bool sourceUnknown = conditions.source.setUnknown != 0;
    const bool resultUnknown = conditions.result.setUnknown != 0;
    const bool relativeBad =
        badRelative || sourceUnknown || status::IsBad(imported.densityStatus[1]);
    const bool densityBad = badDensity || sourceUnknown || status::IsBad(imported.densityStatus[0]);
    setInvalid(outputs.status[kOutDensityFromRelative], relativeBad);
    setInvalid(outputs.status[kOutRelativeDensity], relativeBad || resultUnknown);
    setInvalid(reference.status[kRefRelativeDensity], relativeBad);
    setInvalid(reference.status[kRefDensityFromRelative], relativeBad);
    setInvalid(outputs.status[kOutRelativeFromDensity], densityBad);
    setInvalid(outputs.status[kOutBaseDensity], densityBad || resultUnknown);
    setInvalid(reference.status[kRefBaseDensity], densityBad);
    setInvalid(reference.status[kRefRelativeFromDensity], densityBad);
    const RefConditionSet from = sourceSet();
    reference.value[kRefRelativeFromDensity] =
        ConvertDensityBetweenSets1(outputs.value[kOutRelativeFromDensity], from, kMethodSet);
    reference.value[kRefDensityFromRelative] =
        ConvertDensityBetweenSets2(outputs.value[kOutDensityFromRelative], from, kMethodSet);
    reference.value[kRefRelativeDensity] = ConvertDensityBetweenSets1(d, from, kMethodSet);
    reference.value[kRefBaseDensity] = ConvertDensityBetweenSets2(rho, from, kMethodSet);
    outputs.value[kOutRelativeDensity] = ConvertDensityBetweenSets1(d, from, resultSet());
    outputs.value[kOutBaseDensity] = ConvertDensityBetweenSets2(rho, from, resultSet());
    const struct {
        int input;
        int reference[2];
        int output[2];
    } stems[kDensityInputs] = {
        {0, {kRefBaseDensity, kRefRelativeFromDensity}, {kOutRelativeFromDensity, kOutBaseDensity}},
        {1,
         {kRefRelativeDensity, kRefDensityFromRelative},
         {kOutDensityFromRelative, kOutRelativeDensity}}};
    for (const auto& stem : stems) {
        if (imported.densityActive[stem.input] == 0) {
            for (int i = 0; i < 2; ++i) {
                reference.value[stem.reference[i]] = 0.0;
                reference.status[stem.reference[i]] |= status::kNotInUse;
                outputs.value[stem.output[i]] = 0.0;
                outputs.status[stem.output[i]] |= status::kNotInUse;
            }
        }
    }
    writeDensityOutputs();
}

FbDoNode heatingNode(const Taste& taste, int i) {
    switch (i) {
        case 0:
            return taste.getHVHM_HsV();
        case 1:
            return taste.getHVHM_HiV();
        case 2:
            return taste.getHVHM_HsM();
        case 3:
            return taste.getHVHM_HiM();
        case 4:
            return taste.getHVHM_Ws();
        default:
            return taste.getHVHM_Wi();
    }
}

int heatingInputsOf(const Taste& taste) {
    return taste.kind() == kTasteDefault ? kHeatingValues : 1;
}

void readHeatingValueInputs() {
    const Taste* taste = activeTaste();
    if (taste == nullptr) {
        return;
    }
    ImportedValueRecords& imported = calcBlock.imported;
    for (int i = 0; i < heatingInputsOf(*taste); ++i) {
        imported.heatingValue[i] =
            FbDo_ReadDouble(heatingNode(*taste, i), 0.0, &imported.heatingStatus[i], 0);
    }
}

// A heating value that is flagged, not a positive number, or given at an unknown set is not a
// valid input.
bool heatingInputBad(int i) {
    const ImportedValueRecords& imported = calcBlock.imported;
    return status::IsBad(imported.heatingStatus[i]) ||
           !IsPositiveFinite(imported.heatingValue[i]) ||
           calcBlock.baseConditions.source.setUnknown != 0;
}

// The inferior Wobbe index from the converted values of `set`: HiV x Ws / HsV.
void deriveInferiorWobbe(ValueSet6& values) {
    const bool hsPositive = IsPositiveFinite(values.value[0]);
    const bool bad = !hsPositive || heatingInputBad(0) || heatingInputBad(1) || heatingInputBad(4);
    values.status[kInferiorWobbe] |= status::InvalidIf(bad);
    values.value[kInferiorWobbe] =
        hsPositive ? values.value[1] * values.value[4] / values.value[0] : 0.0;
}

void writeHeatingValueOutputs() {
    const Taste* taste = activeTaste();
    if (taste == nullptr) {
        return;
    }
    const ValueSet6& result = calcBlock.imported.heatingAtResult;
    const FbDoNode outputs[kHeatingValues] = {taste->getBase1HsV(), taste->getBase1HiV(),
                                              taste->getBase1HsM(), taste->getBase1HiM(),
                                              taste->getBase1Ws(),  taste->getBase1Wi()};
    for (int i = 0; i < heatingInputsOf(*taste); ++i) {
        FbDo_WriteDouble(outputs[i], result.value[i], &result.status[i]);
    }
    FinishTreeCycle();
}

}  // namespace

void SetupDensityInputs() {
    ImportedValueRecords& imported = calcBlock.imported;
    const FbDoNode rhob = rhobOrTrace(activeTaste(), kTraceRhobMissingSetup);
    DensityNodes& nodes = calcBlock.densityNodes;
    FindChildren(rhob, 0, nodes.input);
    FindChildren(rhob, kDensityInputs, nodes.output);
    if (rhob == nullptr) {
        return;
    }
    for (int i = 0; i < kDensityInputs; ++i) {
        imported.densityActive[i] = FbDo_IsActive(nodes.input[i]) != 0 ? 1 : 0;
    }
}

void SetupHeatingValueInputs() {
    const Taste* taste = activeTaste();
    if (taste == nullptr) {
        return;
    }
    ImportedValueRecords& imported = calcBlock.imported;
    for (int i = 0; i < heatingInputsOf(*taste); ++i) {
        imported.heatingActive[i] = FbDo_IsActive(heatingNode(*taste, i)) != 0 ? 1 : 0;
    }
    if (taste->kind() == kTasteBM1) {
        imported.heatingActive[0] = 1;
    }
}

void ConvertDensityInputs() {
    ImportedValueRecords& imported = calcBlock.imported;
    std::memset(imported.densityAtMethodReference.status, 0,
                sizeof(imported.densityAtMethodReference.status));
    std::memset(imported.densityOutputs.status, 0, sizeof(imported.densityOutputs.status));
    if (imported.densityActive[0] == 0 && imported.densityActive[1] == 0) {
        readDensityInputs();
        for (ValueSet4* set : {&imported.densityAtMethodReference, &imported.densityOutputs}) {
            for (int i = 0; i < kDensityValues; ++i) {
                set->value[i] = 0.0;
                set->status[i] = status::kNotInUse;
            }
        }
        writeDensityOutputs();
        return;
    }
    bool badDensity = false;
    bool badRelative = false;
    convertDensityPass(badDensity, badRelative);
    convertDensityPass(badDensity, badRelative);
}

void ConvertHeatingValueInputs() {
    readHeatingValueInputs();
    ImportedValueRecords& imported = calcBlock.imported;
    ValueSet6& reference = imported.heatingAtMethodReference;
    ValueSet6& result = imported.heatingAtResult;
    const RefConditionSet from = sourceSet();
    std::memset(reference.status, 0, sizeof(reference.status));
    for (int i = 0; i < kInferiorWobbe; ++i) {
        reference.value[i] = kHeatingConverters[i](imported.heatingValue[i], from, kMethodSet);
    }
    if (imported.heatingActive[kInferiorWobbe] != 0 && from == kMethodSet) {
        reference.value[kInferiorWobbe] = imported.heatingValue[kInferiorWobbe];
        reference.status[kInferiorWobbe] = status::InvalidIf(heatingInputBad(kInferiorWobbe));
    } else {
        deriveInferiorWobbe(reference);
    }
    for (int i = 0; i < kInferiorWobbe; ++i) {
        reference.status[i] |= status::InvalidIf(heatingInputBad(i));
    }
    for (int i = 0; i < kInferiorWobbe; ++i) {
        result.value[i] = kHeatingConverters[i](imported.heatingValue[i], from, resultSet());
    }
    result.status[kInferiorWobbe] = 0;
    if (imported.heatingActive[kInferiorWobbe] == 0) {
        result.value[kInferiorWobbe] = 0.0;
        result.status[kInferiorWobbe] = status::kNotInUse;
    } else if (from == resultSet()) {
        result.value[kInferiorWobbe] = imported.heatingValue[kInferiorWobbe];
        result.status[kInferiorWobbe] = status::InvalidIf(heatingInputBad(kInferiorWobbe));
    } else {
        deriveInferiorWobbe(result);
    }
    for (int i = 0; i < kInferiorWobbe; ++i) {
        result.status[i] = 0;
        if (imported.heatingActive[i] == 0) {
            reference.value[i] = 0.0;
            result.value[i] = 0.0;
            result.status[i] = status::kNotInUse;
        } else {
            result.status[i] = status::InvalidIf(heatingInputBad(i));
        }
    }
    if (calcBlock.baseConditions.result.setUnknown != 0) {
        for (uint32_t& word : result.status) {
            word |= (word & status::kNotInUse) != 0 ? 0u : status::kInvalid;
        }
    }
    writeHeatingValueOutputs();
}

double BaseDensityAt20C() {
    return ConvertDensityBetweenSets2(calcBlock.imported.densityOutputs.value[kOutBaseDensity],
                                      resultSet(), kSet20C);
}
