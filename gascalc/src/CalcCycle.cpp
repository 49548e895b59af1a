#include "CalcCycle.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "MethodParameters.h"
#include "OptionalOutputs.h"
#include "ProgramContext.h"

void RunCalcCycle() {
    const uint32_t changes = calcBlock.parameterChanges.Load();
    if (changes != calcBlock.parameterChangesHandled.Load()) {
        CALORANT_TRACE(calorant::kTraceReload, TraceFormat());
        // A change counted while the reload runs leaves the counters apart: the next cycle
        // reloads again.
        calcBlock.parameterChangesHandled.Store(changes);
        ReloadStepParameters();
    }
}

void ReloadStepParameters() {
    BindOptionalOutputs();
    ReadMethodParameters();
}

void FinishTreeCycle() {
    FbDo_CommitPreprocessing(ProgramContext::tree);
}
