#include "CalcCycle.h"

#include "BaseConditions.h"
#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "CompositionInput.h"
#include "EventMessages.h"
#include "ImportedValues.h"
#include "MethodParameters.h"
#include "OptionalOutputs.h"
#include "ProgramContext.h"
#include "ResultSteps.h"
#include "StateConversion.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

// The 12-component calculator's per-cycle load and solve at the source conditions; its node
// exists in the Default layout only (null elsewhere, which the calculator accepts).
void UpdateAga8Calculator12() {
    Aga8Calculator12* calculator = calcBlock.aga8Calculator12;
    if (calculator == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoCalculator, TraceFormat());
        return;
    }
    const NormalisedComposition& normalised = calcBlock.composition.normalised;
    const bool bad = IsValueUnusable(normalised.status) != 0 || status::IsBad(normalised.status);
    const Taste* taste = ProgramContext::myTaste.Load();
    const FbDoNode node =
        taste != nullptr && taste->kind() != kTasteNone ? taste->getSourceAga8Calc12() : nullptr;
    // Z and density are stated at the source conditions: marked too while those are the fallback
    // of a set that does not exist.
    const bool unknownSet = SourceSetMark() != 0;
    const BaseConditionRecord& source = calcBlock.baseConditions.source;
    calculator->update(normalised.value, source.basePressure, source.baseTemperature, node,
                       bad || unknownSet ? 1 : 0);
}

}  // namespace

void RunCalcCycle() {
    const uint32_t changes = calcBlock.parameterChanges.Load();
    if (changes != calcBlock.parameterChangesHandled.Load()) {
        CALORANT_TRACE(calorant::kTraceReload, TraceFormat());
        // A change counted while the reload runs leaves the counters apart: the next cycle
        // reloads again.
        calcBlock.parameterChangesHandled.Store(changes);
        ReloadStepParameters();
    }
    BasePropertiesStep();
    CompositionStep();
    Iso6976Step();
    Aga8ZStep();
    UpdateAga8Calculator12();
    ConvertDensityInputs();
    ConvertHeatingValueInputs();
    ConversionFactorStep();
    WriteEventsStep();
}

void ReloadStepParameters() {
    Taste* taste = ProgramContext::myTaste.Load();
    if (taste != nullptr) {
        taste->findNodes();
    }
    FindEventMessageNodes();
    BindOptionalOutputs();
    FindConversionNodes();
    SetupBaseConditions();
    ReadCompositionParameters();
    SetupIso6976Step();
    SetupAga8ZStep();
    SetupDensityInputs();
    SetupHeatingValueInputs();
    ReadMethodParameters();
}

void FinishTreeCycle() {
    FbDo_CommitPreprocessing(ProgramContext::tree.Load());
}
