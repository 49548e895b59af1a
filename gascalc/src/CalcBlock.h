// The program data block: every record of the calculation, cleared to zero by the program's
// entry and kept for the life of the address space. Written and read on the initial task,
// except the change counters (advanced by the tree-change callback) and the method code (read
// by the display task), which are atomic words.
#pragma once

#include <cstdint>
#include <type_traits>

#include "Aga8Calculator12.h"
#include "Aga8Detail1994.h"
#include "BaseConditions.h"
#include "CompositionInput.h"
#include "EventMessages.h"
#include "ExtendedOutputs.h"
#include "FbDo.h"
#include "ImportedValues.h"
#include "MethodParameters.h"
#include "MethodSelection.h"
#include "OptionalOutputs.h"
#include "ResultSteps.h"
#include "SharedWord.h"
#include "StateConversion.h"

// The limit objects of the measuring-condition imports, in the order of their words.
enum LimitObject : uint32_t {
    kPsubst,
    kPmin_w,
    kPmax_w,
    kPmin,
    kPmax,
    kTsubst,
    kTmin_w,
    kTmax_w,
    kTmin,
    kTmax,
    kLimitObjectCount
};
constexpr uint32_t kAliasObjectCount = 19;

struct CalcBlock {
    MethodParameters methodParameters;
    // Handles of the optional output nodes, bound at every reload.
    OptionalOutputHandles optionalOutputs;
    BaseConditionRecords baseConditions;
    // The molar-mass and optional air-property nodes, found at every reload.
    BasePropertyNodes basePropertyNodes;
    CompositionRecords composition;
    // The analysis' nodes, found at every reload.
    CompositionNodes compositionNodes;
    // Range flags of the gas's AGA8 evaluations; the composition input reads them a cycle later.
    Aga8RangeFlags aga8RangeFlags;
    Iso6976Records iso6976;
    Aga8ResultRecords aga8Results;
    // The ISO 6976 and AGA8 result nodes, found at every reload.
    ResultNodes resultNodes;
    ImportedValueRecords imported;
    // The Rhob node's children, found at every reload.
    DensityNodes densityNodes;
    // Inputs the selected methods used in this cycle, and the calculation-failure word.
    InputUseMarks useMarks;
    // The message nodes, found at every reload.
    EventMessageNodes eventMessages;
    Aga8x12Results aga8x12;
    StateConversionRecords conversion;
    // The conversion's measuring-condition and optional base nodes, found at every reload.
    ConversionNodes conversionNodes;
    ExtendedOutputRecords extended;
    // Parameter object of the AGA8 DETAIL implementation in the 1994 report structure.
    Aga8Detail1994Data aga8Detail1994;
    // The 12-component calculator made by the Run hook; null before, or when it got no storage.
    Aga8Calculator12* aga8Calculator12;
    // Parameter changes counted, and the count for which the last reload ran.
    SharedCounter parameterChangesHandled;
    SharedCounter parameterChanges;
    // Objects of the parameter binding; nothing reads them after the binding.
    FbDoAlias limitObjects[kLimitObjectCount];
    FbDoAlias aliasObjects[kAliasObjectCount];
};
static_assert(std::is_trivially_copyable<CalcBlock>::value, "cleared as a whole");

// The program's single block.
extern CalcBlock calcBlock;

// Clears the whole block to zero.
void ClearCalcBlock();
