#include "CompositionInput.h"

#include <cstring>

#include "CalcBlock.h"
#include "CalcCycle.h"
#include "CalorantTrace.h"
#include "GasInputChecks.h"
#include "NodeReads.h"
#include "ProgramContext.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

constexpr int kNoChild = -1;

// The layout's Comp node: input child per component, first output child and total child.
struct CompLayout {
    int inputChild[kComponentCount];
    uint32_t firstOutput;
    uint32_t totalChild;
    uint32_t traceSettingsMissing;
    uint32_t traceValuesMissing;
    uint32_t traceWriteMissing;
};

constexpr CompLayout kDefaultComp = {
    {2, 0, 1, 3, 4, 17, 18, 15, 19, 16, 5, 6, 7, 8, 10, 11, 12, 13, 14, 20, 21, 9, 22, 23, 24, 25},
    26,
    52,
    0x80003,
    0x80043,
    0x80073};
constexpr int kNo = kNoChild;
constexpr CompLayout kZM1Comp = {{2, 0,  1,   3,   4,   kNo, kNo, 11,  kNo, 12,  5,   6,   7,
                                  8, 10, kNo, kNo, kNo, kNo, kNo, kNo, 9,   kNo, kNo, kNo, kNo},
                                 13,
                                 26,
                                 0x80013,
                                 0x80053,
                                 0x80083};
constexpr CompLayout kBM1Comp = {{2, 0,  1,   3,   4,   kNo, kNo, 11,  kNo, 12,  5,   6,   7,
                                  8, 10, kNo, kNo, kNo, kNo, kNo, kNo, 9,   kNo, kNo, kNo, kNo},
                                 13,
                                 26,
                                 0x80023,
                                 0x80063,
                                 0x80093};

// Children of the C6H14 node of the Default layout.
constexpr uint32_t kC6ModeChild = 2;
constexpr uint32_t kFirstShareChild = 3;
constexpr double kC6ShareDefault = 100.0;

constexpr uint32_t kTraceBadC6Mode = 0x80031;
constexpr uint32_t kTraceSums = 0x800a7;
constexpr uint32_t kTraceFactor = 0x800b7;
constexpr uint32_t kTraceFixedFactor = 0x800c7;
constexpr uint32_t kTraceNewSum = 0x800d7;
constexpr uint32_t kTraceTotal = 0x800e7;

constexpr int kLopShift = 24;

// The active layout's Comp table and node; null table without a taste or for another kind.
const CompLayout* compLayout(FbDoNode* comp) {
    const Taste* taste = ProgramContext::myTaste.Load();
    *comp = nullptr;
    if (taste == nullptr) {
        return nullptr;
    }
    switch (taste->kind()) {
        case kTasteDefault:
            *comp = taste->getCompDefault();
            return &kDefaultComp;
        case kTasteZM1:
            *comp = taste->getCompZM1();
            return &kZM1Comp;
        case kTasteBM1:
            *comp = taste->getCompBM1();
            return &kBM1Comp;
        default:
            return nullptr;
    }
}

// A share, component or sum that is not a positive finite number counts as 0.0.
double positiveOrZero(double value) {
    return IsPositiveFinite(value) ? value : 0.0;
}

void readDefaultC6Settings(FbDoNode c6Node, CompositionSettings& settings) {
    const FbDoNode modeNode = FbDo_GetChild(c6Node, kC6ModeChild);
    settings.c6Mode = FbDo_ReadInteger(modeNode, 0, FbDo_FindLeaf(modeNode, kFbDoLeafValue),
                                       FbDo_FindLeaf(modeNode, kFbDoLeafStatus), nullptr, 0);
    for (int i = 0; i < kC6ShareCount; ++i) {
        const double fallback = i == 0 ? kC6ShareDefault : 0.0;
        const double share =
            FbDo_ReadDouble(FbDo_GetChild(c6Node, kFirstShareChild + i), fallback, nullptr, 0);
        settings.share[i] = positiveOrZero(share);
    }
}

bool splitsC6() {
    return calcBlock.composition.settings.c6Mode == kC6ModeSplit;
}

// Components C7 to C10 that the split feeds (their share is non-zero).
template <typename Action>
void forEachSplitComponent(Action action) {
    const CompositionSettings& settings = calcBlock.composition.settings;
    for (int j = kC7H16; j <= kC10H22; ++j) {
        if (settings.share[j - kC6H14] != 0.0) {
            action(j);
        }
    }
}

void deriveActiveFlags() {
    CompositionSettings& settings = calcBlock.composition.settings;
    std::memcpy(settings.active, settings.queriedActive, sizeof(settings.active));
    if (splitsC6()) {
        forEachSplitComponent([&settings](int j) {
            settings.normalise[j] = settings.normalise[j] | settings.normalise[kC6H14];
            settings.active[j] = settings.active[j] | settings.active[kC6H14];
        });
    } else if (settings.c6Mode != kC6ModeNoSplit) {
        CALORANT_TRACE(kTraceBadC6Mode, TraceFormat(kTraceArgInt), settings.c6Mode);
    }
    settings.compositionActive = settings.active[kCH4];
}

uint32_t lopOf(uint32_t word) {
    return (word & status::kLopMask) >> kLopShift;
}

// The analysis' nodes of `comp` in `layout` (both may be null: nothing is found).
void findCompositionNodes(const CompLayout* layout, FbDoNode comp) {
    CompositionNodes& nodes = calcBlock.compositionNodes;
    nodes = CompositionNodes{};
    if (layout == nullptr || comp == nullptr) {
        return;
    }
    nodes.total = FbDo_GetChild(comp, layout->totalChild);
    for (int k = 0; k < kComponentCount; ++k) {
        if (layout->inputChild[k] != kNoChild) {
            const auto child = static_cast<uint32_t>(layout->inputChild[k]);
            nodes.value[k] = FbDo_GetChild(FbDo_GetChild(comp, child), 0);
            nodes.output[k] = FbDo_GetChild(comp, layout->firstOutput + child);
        }
    }
}

void readCompositionValues() {
    CompositionRecords& records = calcBlock.composition;
    GasComposition& gas = records.gas;
    FbDoNode comp = nullptr;
    const CompLayout* layout = compLayout(&comp);
    if (layout != nullptr && comp == nullptr) {
        CALORANT_TRACE(layout->traceValuesMissing, TraceFormat());
    } else if (layout != nullptr) {
        const CompositionNodes& nodes = calcBlock.compositionNodes;
        for (int k = 0; k < kComponentCount; ++k) {
            if (layout->inputChild[k] != kNoChild) {
                gas.value[k] = FbDo_ReadDouble(nodes.value[k], 0.0, &gas.status[k], 0);
            }
        }
    }
    const CompositionSettings& settings = records.settings;
    if (splitsC6()) {
        forEachSplitComponent([&](int j) {
            gas.status[j] = settings.queriedActive[j] == 0
                                ? gas.status[kC6H14]
                                : gas.status[j] | (gas.status[kC6H14] & status::kBadInput);
        });
    }
    uint32_t compositionStatus = status::kLopMask;
    for (int k = 0; k < kComponentCount; ++k) {
        if (settings.active[k] == 0) {
            gas.value[k] = 0.0;
            continue;
        }
        // A value that is not a number cannot enter the analysis: it counts as a bad input.
        const bool bad = status::IsBad(gas.status[k]) || !std::isfinite(gas.value[k]);
        if (settings.compositionActive != 0 && bad) {
            compositionStatus |= status::kInvalid;
            if (lopOf(gas.status[k]) < lopOf(compositionStatus)) {
                compositionStatus =
                    (compositionStatus & ~status::kLopMask) | (gas.status[k] & status::kLopMask);
            }
        }
    }
    records.compositionStatus = (compositionStatus & status::kInvalid) != 0 ? compositionStatus : 0;
}

void computeCompositionTotal(bool flag) {
    CompositionRecords& records = calcBlock.composition;
    double sum = 0.0;
    for (double value : records.gas.value) {
        sum += value;
    }
    bool bad = (records.compositionStatus & status::kInvalid) != 0;
    if ((std::signbit(sum) && sum != 0.0) || !std::isfinite(sum)) {
        sum = 0.0;
        bad = true;
    }
    records.total.value = sum;
    records.total.status = status::InvalidIf(flag || bad);
    CALORANT_TRACE(kTraceTotal, TraceFormat(kTraceArgDouble, kTraceArgInt), sum,
                   static_cast<uint32_t>(bad));
}

void substituteMethane(NormalisedComposition& normalised) {
    double sum = 0.0;
    for (double value : normalised.value) {
        sum += value;
    }
    // Not "sum >= 1.0" also takes a sum that is not a number; a sum that overflows cannot be
    // normalised either.
    if (!(sum >= 1.0) || !std::isfinite(sum)) {
        normalised.status |= status::kInvalid;
        std::memset(normalised.value, 0, sizeof(normalised.value));
        normalised.value[kCH4] = 100.0;
    }
}

void splitC6Plus(NormalisedComposition& normalised) {
    const double* share = calcBlock.composition.settings.share;
    const double total = share[0] + share[1] + share[2] + share[3] + share[4];
    if (!IsPositiveFinite(total)) {
        return;
    }
    double* value = normalised.value;
    const double f = value[kC6H14] / total;
    value[kC6H14] = f * share[0];
    for (int j = kC7H16; j <= kC10H22; ++j) {
        value[j] = f * share[j - kC6H14] + value[j];
    }
}

// m(k): the AGA8 component whose range flag stands for component k after the lumping.
int aga8FlagIndex(int k) {
    if (k <= 20) {
        return k;
    }
    if (k <= 22) {
        return 13;
    }
    return k <= 24 ? 14 : 15;
}

void setOutputStatuses(NormalisedComposition& normalised, bool aga8InUse) {
    const uint8_t* active = calcBlock.composition.settings.active;
    for (int k = 0; k < kComponentCount; ++k) {
        if (active[k] == 0) {
            normalised.outStatus[k] = status::kNotInUse;
        } else if (normalised.status != 0) {
            normalised.outStatus[k] = status::kInvalid;
        } else {
            normalised.outStatus[k] = status::InvalidIf(
                aga8InUse && calcBlock.aga8RangeFlags.flags[aga8FlagIndex(k)] != 0);
        }
    }
}

void markUnusedAnalysis(NormalisedComposition& normalised) {
    const CompositionRecords& records = calcBlock.composition;
    for (int k = 0; k < kComponentCount; ++k) {
        if (records.settings.active[k] == 0) {
            normalised.outStatus[k] |= status::kNotInUse;
        } else if (status::IsBad(records.gas.status[k])) {
            normalised.outStatus[k] |= status::kInvalid;
        }
    }
}

void writeCompositionOutputs() {
    FbDoNode comp = nullptr;
    const CompLayout* layout = compLayout(&comp);
    if (layout == nullptr) {
        return;
    }
    if (comp == nullptr) {
        CALORANT_TRACE(layout->traceWriteMissing, TraceFormat());
    } else {
        CompositionRecords& records = calcBlock.composition;
        const CompositionNodes& nodes = calcBlock.compositionNodes;
        FbDo_WriteDouble(nodes.total, records.total.value, &records.total.status);
        for (int k = 0; k < kComponentCount; ++k) {
            if (layout->inputChild[k] != kNoChild) {
                FbDo_WriteDouble(nodes.output[k], records.normalised.value[k],
                                 &records.normalised.outStatus[k]);
            }
        }
    }
    FinishTreeCycle();
}

}  // namespace

bool Aga8InUse() {
    const MethodParameters& methods = calcBlock.methodParameters;
    const int32_t calcMethod = methods.calcMethod.Load();
    const int32_t measMethod = methods.measCalcMethod;
    return (calcMethod == 2 || calcMethod == 3 || measMethod == 1 || measMethod == 2) &&
           calcMethod != kCalcMethodConstant && measMethod != kMeasCalcMethodConstant;
}

void ReadCompositionParameters() {
    FbDoNode comp = nullptr;
    const CompLayout* layout = compLayout(&comp);
    findCompositionNodes(layout, comp);
    if (layout == nullptr) {
        return;
    }
    CompositionSettings& settings = calcBlock.composition.settings;
    if (comp == nullptr) {
        CALORANT_TRACE(layout->traceSettingsMissing, TraceFormat());
    } else {
        const CompositionNodes& nodes = calcBlock.compositionNodes;  // found just above
        for (int k = 0; k < kComponentCount; ++k) {
            if (layout->inputChild[k] != kNoChild) {
                settings.queriedActive[k] = FbDo_IsActive(nodes.value[k]) != 0 ? 1 : 0;
            }
        }
        for (int k = 0; k < kComponentCount; ++k) {
            if (layout->inputChild[k] != kNoChild) {
                const FbDoNode input =
                    FbDo_GetChild(comp, static_cast<uint32_t>(layout->inputChild[k]));
                settings.normalise[k] = ReadUnsignedParameter(FbDo_GetChild(input, 1)) != 0 ? 1 : 0;
            }
        }
        if (layout == &kDefaultComp) {
            readDefaultC6Settings(
                FbDo_GetChild(comp, static_cast<uint32_t>(layout->inputChild[kC6H14])), settings);
        } else {
            settings.c6Mode = kC6ModeNoSplit;
        }
    }
    deriveActiveFlags();
}

void NormaliseComposition() {
    NormalisedComposition& normalised = calcBlock.composition.normalised;
    const uint8_t* normalise = calcBlock.composition.settings.normalise;
    bool scaled[kComponentCount] = {};
    double sumScaled = 0.0;
    double sumFixed = 0.0;
    int count = 0;
    for (int k = 0; k < kComponentCount; ++k) {
        double& value = normalised.value[k];
        if (!IsPositiveFinite(value)) {
            value = 0.0;
        } else if (normalise[k] != 0) {
            scaled[k] = true;
            sumScaled += value;
            ++count;
        } else {
            sumFixed += value;
        }
    }
    CALORANT_TRACE(kTraceSums, TraceFormat(kTraceArgDouble, kTraceArgDouble), sumScaled, sumFixed);
    if (count == 0) {
        sumScaled = sumFixed;
        sumFixed = 0.0;
        for (bool& s : scaled) {
            s = true;
        }
    }
    if (sumFixed >= 100.0) {
        const double f = 100.0 / sumFixed;
        CALORANT_TRACE(kTraceFixedFactor, TraceFormat(kTraceArgDouble), f);
        for (int k = 0; k < kComponentCount; ++k) {
            normalised.value[k] = scaled[k] ? 0.0 : normalised.value[k] * f;
        }
    } else {
        const double f = (100.0 - sumFixed) / sumScaled;
        CALORANT_TRACE(kTraceFactor, TraceFormat(kTraceArgDouble), f);
        for (int k = 0; k < kComponentCount; ++k) {
            if (scaled[k]) {
                normalised.value[k] *= f;
            }
        }
    }
    double sum = 0.0;
    for (double value : normalised.value) {
        sum += value;
    }
    CALORANT_TRACE(kTraceNewSum, TraceFormat(kTraceArgDouble), sum);
}

void CompositionStep() {
    const bool aga8InUse = Aga8InUse();
    readCompositionValues();
    computeCompositionTotal(aga8InUse && calcBlock.aga8RangeFlags.flags[kAga8SumFlag] != 0);
    CompositionRecords& records = calcBlock.composition;
    NormalisedComposition& normalised = records.normalised;
    std::memcpy(normalised.value, records.gas.value, sizeof(normalised.value));
    std::memset(normalised.outStatus, 0, sizeof(normalised.outStatus));
    normalised.status = records.compositionStatus;
    if (records.settings.compositionActive == 0) {
        markUnusedAnalysis(normalised);
    } else {
        substituteMethane(normalised);
        NormaliseComposition();
        if (splitsC6()) {
            splitC6Plus(normalised);
        }
        NormaliseComposition();
        setOutputStatuses(normalised, aga8InUse);
    }
    writeCompositionOutputs();
}
