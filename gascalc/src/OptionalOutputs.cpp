#include "OptionalOutputs.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ProgramContext.h"
#include "Taste.h"

namespace {

constexpr uint32_t kChoiceMask = 0x7fff;

struct OptionalOutputTraces {
    uint32_t noAlternative;   // level 7
    uint32_t bound;           // level 7
    uint32_t badAlternative;  // level 3: the alternative
};
constexpr OptionalOutputTraces kOptionalBaseTraces = {0x70007, 0x70017, 0x70023};
constexpr OptionalOutputTraces kExtendedTraces = {0x70037, 0x70047, 0x70053};

FbDoNode bindOne(FbDoNode node, const OptionalOutputTraces& traces) {
    if (node == nullptr) {
        return nullptr;
    }
    const uint32_t alternative = FbDo_GetChoice(node) & kChoiceMask;
    if (alternative == 0) {
        CALORANT_TRACE(traces.noAlternative, TraceFormat());
        return nullptr;
    }
    if (alternative == 1) {
        CALORANT_TRACE(traces.bound, TraceFormat());
        return FbDo_SensorSelect(node, 1);
    }
    CALORANT_TRACE(traces.badAlternative, TraceFormat(kTraceArgInt), alternative);
    return nullptr;
}

}  // namespace

void BindOptionalOutputs() {
    OptionalOutputHandles& handles = calcBlock.optionalOutputs;
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoTaste, TraceFormat());
        handles = OptionalOutputHandles{nullptr, nullptr};
        return;
    }
    handles.optionalBaseOutput = bindOne(taste->getOptionalBaseOutput(), kOptionalBaseTraces);
    handles.extendedOutput = bindOne(taste->getExtendedOutput(), kExtendedTraces);
}
