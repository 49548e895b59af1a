#include "MethodSelection.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "Iso6976.h"
#include "Nx19.h"
#include "Sgerg88Checked.h"
#include "Sgerg88SecondForm.h"
#include "Sgerg88Variant.h"
#include "StatusBits.h"

namespace {

constexpr uint32_t kTraceRejectedIndex = 0xd0003;
constexpr uint32_t kTraceAga8Index0Failed = 0xd0015;
constexpr uint32_t kTraceAga8Failed = 0xd0025;
constexpr uint32_t kTraceOutcome = 0xd0037;
constexpr uint32_t kTraceMarks = 0xd0047;
constexpr uint32_t kTraceActive = 0xd0057;
constexpr uint32_t kTraceUnusable = 0xd0067;
constexpr uint32_t kTraceGood = 0xd0077;
constexpr uint32_t kTraceRejectedCalcMethod = 0xd0083;
constexpr uint32_t kTraceRejectedMeasMethod = 0xd0093;

// The seven inputs a method may use, in their trace order.
enum MethodInput : int {
    kInHeatingValue,
    kInBaseDensity,
    kInRelativeDensity,
    kInCO2,
    kInH2,
    kInN2,
    kInComposition,
    kMethodInputCount
};

// An input as the method sees it: its active flag, the status word of the value the method
// takes (derived words carry only 0x1, 0x400 and the LOP field), and whether the value was
// already unusable where it was read (INIT, or a fault flag without a LOP level).
struct InputState {
    uint32_t active;
    uint32_t status;
    int32_t unusableAsRead;
};

// Whether any component in use was unusable as read.
int32_t compositionUnusableAsRead() {
    const CompositionRecords& composition = calcBlock.composition;
    for (int k = 0; k < kComponentCount; ++k) {
        if (composition.settings.active[k] != 0 &&
            IsValueUnusable(composition.gas.status[k]) != 0) {
            return 1;
        }
    }
    return 0;
}

InputState componentState(int k) {
    const CompositionRecords& composition = calcBlock.composition;
    return {composition.settings.active[k], composition.normalised.outStatus[k],
            IsValueUnusable(composition.gas.status[k])};
}

// SGERG-88 variants 0 to 4 by the contents they take: CO2; N2; CO2 and H2; H2 and N2; CO2 and N2.
constexpr bool kVariantUses[5][3] = {  // CO2, H2, N2
    {true, false, false},
    {false, false, true},
    {true, true, false},
    {false, true, true},
    {true, false, true}};

InputState inputState(int input) {
    const ImportedValueRecords& imported = calcBlock.imported;
    const CompositionRecords& composition = calcBlock.composition;
    switch (input) {
        case kInHeatingValue:
            return {imported.heatingActive[0], imported.heatingAtMethodReference.status[0],
                    IsValueUnusable(imported.heatingStatus[0])};
        case kInBaseDensity:
            return {imported.densityActive[0],
                    imported.densityAtMethodReference.status[kRefBaseDensity],
                    IsValueUnusable(imported.densityStatus[0])};
        case kInRelativeDensity:
            return {imported.densityActive[1],
                    imported.densityAtMethodReference.status[kRefRelativeDensity],
                    IsValueUnusable(imported.densityStatus[1])};
        case kInCO2:
            return componentState(kCO2);
        case kInH2:
            return componentState(kH2);
        case kInN2:
            return componentState(kN2);
        default:
            return {composition.settings.compositionActive, composition.normalised.status,
                    compositionUnusableAsRead()};
    }
}

// The values the methods take.
struct MethodValues {
    double hs;               // HsV at set 5
    double derivedRelative;  // relative density derived from the base density, set 5
    double relative;         // relative-density input at set 5
    double co2, h2, n2;
};

MethodValues methodValues() {
    const ImportedValueRecords& imported = calcBlock.imported;
    const double* value = calcBlock.composition.normalised.value;
    return {imported.heatingAtMethodReference.value[0],
            imported.densityAtMethodReference.value[kRefRelativeFromDensity],
            imported.densityAtMethodReference.value[kRefRelativeDensity],
            value[kCO2],
            value[kH2],
            value[kN2]};
}

void markVariant(int variant, uint32_t* marks) {
    marks[kInCO2] = kVariantUses[variant][0] ? 1 : 0;
    marks[kInH2] = kVariantUses[variant][1] ? 1 : 0;
    marks[kInN2] = kVariantUses[variant][2] ? 1 : 0;
}

int32_t runAga8(ZResult& zResult, double p, double T, int32_t option, uint8_t mode,
                uint32_t traceId) {
    const uint8_t failed =
        Aga8ZDensity(zResult.aga8, p, T, calcBlock.aga8Results.composition, &zResult.Z,
                     calcBlock.aga8RangeFlags, option != 0 ? 1 : 0, mode, nullptr);
    if (failed != 0) {
        CALORANT_TRACE(traceId, TraceFormat());
    }
    return failed == 0 ? 1 : 0;
}

int32_t runCalculator12(double p, double T, ZResult& zResult, int32_t option) {
    Aga8Calculator12* calculator = calcBlock.aga8Calculator12;
    if (calculator == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoCalculator, TraceFormat());
        return 0;
    }
    const int32_t ok = calculator->solveDensity(p, T, zResult.Z);
    if (option != 0) {
        calculator->getResults(calcBlock.aga8x12.reducedDensity, calcBlock.aga8x12.derivativeTerm);
    }
    return ok;
}

// Runs the method of `index`; sets the marks of the inputs it used. Returns its success.
int32_t runMethod(int32_t index, double p, double T, ZResult& zResult, int32_t option,
                  const BaseConditionRecord* baseRecord, uint32_t* marks) {
    const MethodValues v = methodValues();
    const uint8_t check = option != 0 ? 1 : 0;
    double& Z = zResult.Z;
    uint8_t unused[3] = {};
    if (index == 0) {
        marks[kInComposition] = 1;
        if (baseRecord == nullptr) {
            return 0;
        }
        if (baseRecord->useIso6976Z != 0) {
            Z = Iso6976Z(calcBlock.composition.normalised.value, p, T,
                         static_cast<RefConditionSet>(baseRecord->set));
            return 1;
        }
        return runAga8(zResult, p, T, option, kAga8SolveBracketed, kTraceAga8Index0Failed);
    }
    if (index == 1 || index == 2) {
        marks[kInComposition] = 1;
        return runAga8(zResult, p, T, option, static_cast<uint8_t>(index - 1), kTraceAga8Failed);
    }
    if (index >= 3 && index <= 12) {
        const bool derived = index <= 7;
        const int variant = derived ? index - 3 : index - 8;
        marks[kInHeatingValue] = 1;
        marks[derived ? kInBaseDensity : kInRelativeDensity] = 1;
        markVariant(variant, marks);
        return SgergZVariant(variant, v.hs, derived ? v.derivedRelative : v.relative, v.co2, v.n2,
                             v.h2, p, T, &Z, 0, check);
    }
    switch (index) {
        case 13:
            marks[kInRelativeDensity] = marks[kInCO2] = marks[kInN2] = 1;
            return Nx19Z(v.relative, v.co2, v.n2, p, T, &Z);
        case 14:
            marks[kInBaseDensity] = marks[kInCO2] = marks[kInN2] = 1;
            return Nx19VariantZ(BaseDensityAt20C(), v.co2, v.n2, p, T, &Z);
        case 15:
            marks[kInHeatingValue] = marks[kInRelativeDensity] = marks[kInCO2] = marks[kInN2] = 1;
            return Nx19ModZ(v.hs, v.relative, v.co2, v.n2, p, T, &Z, &unused[0], &unused[1],
                            &unused[2], 1) != 0
                       ? 1
                       : 0;
        case 16: {
            marks[kInBaseDensity] = marks[kInCO2] = marks[kInN2] = 1;
            const double rho = BaseDensityAt20C();
            return SgergZ(&rho, &v.co2, &v.n2, &p, &T, &Z);
        }
        case kMethodIndexCalculator12:
            marks[kInComposition] = 1;
            return runCalculator12(p, T, zResult, option);
        case 18:
        case 20:
            marks[kInHeatingValue] = marks[kInCO2] = marks[kInH2] = 1;
            marks[index == 18 ? kInBaseDensity : kInRelativeDensity] = 1;
            return SgergZChecked(v.hs, index == 18 ? v.derivedRelative : v.relative, v.co2, v.h2, p,
                                 T, &Z, 1, check);
        case 19:
        case 21:
            marks[kInHeatingValue] = marks[kInH2] = marks[kInN2] = 1;
            marks[index == 19 ? kInBaseDensity : kInRelativeDensity] = 1;
            return SgergZVariant(3, v.hs, index == 19 ? v.derivedRelative : v.relative, v.co2, v.n2,
                                 v.h2, p, T, &Z, 1, check);
        default:
            CALORANT_TRACE(kTraceRejectedIndex, TraceFormat(kTraceArgInt), index);
            return 0;
    }
}

void addMarks(const uint32_t* marks) {
    InputUseMarks& use = calcBlock.useMarks;
    use.heatingValue |= marks[kInHeatingValue];
    use.baseDensity |= marks[kInBaseDensity];
    use.relativeDensity |= marks[kInRelativeDensity];
    use.component[kCO2] |= marks[kInCO2];
    use.component[kH2] |= marks[kInH2];
    use.component[kN2] |= marks[kInN2];
    use.composition |= marks[kInComposition];
}

int32_t isUnusable(const InputState& input) {
    return (IsValueUnusable(input.status) != 0 || input.unusableAsRead != 0) ? 1 : 0;
}

void traceNotFullyValid(int32_t index, int32_t ok, int32_t usable, int32_t good,
                        const uint32_t* marks, const InputState* inputs) {
    const uint32_t seven = TraceFormat(kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt,
                                       kTraceArgInt, kTraceArgInt, kTraceArgInt);
    CALORANT_TRACE(kTraceOutcome,
                   TraceFormat(kTraceArgInt, kTraceArgInt, kTraceArgInt, kTraceArgInt), index, ok,
                   usable, good);
    CALORANT_TRACE(kTraceMarks, seven, marks[0], marks[1], marks[2], marks[3], marks[4], marks[5],
                   marks[6]);
    CALORANT_TRACE(kTraceActive, seven, inputs[0].active, inputs[1].active, inputs[2].active,
                   inputs[3].active, inputs[4].active, inputs[5].active, inputs[6].active);
    uint32_t unusable[kMethodInputCount];
    uint32_t goodStatus[kMethodInputCount];
    for (int i = 0; i < kMethodInputCount; ++i) {
        unusable[i] = static_cast<uint32_t>(isUnusable(inputs[i]));
        goodStatus[i] = status::IsBad(inputs[i].status) ? 0 : 1;
    }
    CALORANT_TRACE(kTraceUnusable, seven, unusable[0], unusable[1], unusable[2], unusable[3],
                   unusable[4], unusable[5], unusable[6]);
    CALORANT_TRACE(kTraceGood, seven, goodStatus[0], goodStatus[1], goodStatus[2], goodStatus[3],
                   goodStatus[4], goodStatus[5], goodStatus[6]);
}

// The option a switch passes for a method index.
int32_t optionFor(int32_t index, bool measuringState) {
    if (index == kMethodIndexCalculator12) {
        return measuringState ? 1 : 0;
    }
    if (index >= 13 && index <= 16) {
        return 0;
    }
    return static_cast<int32_t>(calcBlock.methodParameters.option);
}

}  // namespace

int32_t IsValueUnusable(const uint32_t& word) {
    if ((word & status::kInit) != 0) {
        return 1;
    }
    if ((word & status::kFaultFlags) != 0) {
        return (word & status::kLopMask) == 0 ? 1 : 0;
    }
    return 0;
}

int32_t MethodIndexOfCalcMethod(int32_t code) {
    if (code < kCalcMethodFirst || code > kCalcMethodLast || code == kCalcMethodConstant) {
        return -1;
    }
    return code < kCalcMethodConstant ? code - 1 : code - 2;
}

int32_t MethodIndexOfMeasCalcMethod(int32_t code) {
    if (code < 1 || code > kCalcMethodLast - 1 || code == kMeasCalcMethodConstant) {
        return -1;
    }
    return code < kMeasCalcMethodConstant ? code : code - 1;
}

int32_t CalcZByMethodIndex(int32_t index, double p, double T, ZResult& zResult, int32_t option,
                           BaseConditionRecord* baseRecord) {
    uint32_t marks[kMethodInputCount] = {};
    const int32_t ok = runMethod(index, p, T, zResult, option, baseRecord, marks) != 0 ? 1 : 0;
    addMarks(marks);
    if (ok == 0) {
        zResult.Z = 1.0;
    }
    InputState inputs[kMethodInputCount];
    int32_t usable = 1;
    for (int i = 0; i < kMethodInputCount; ++i) {
        inputs[i] = inputState(i);
        if (marks[i] != 0) {
            usable &= (inputs[i].active != 0 && isUnusable(inputs[i]) == 0) ? 1 : 0;
        }
    }
    int32_t good = 1;
    if (ok != 0 && usable != 0) {
        for (int i = 0; i < kMethodInputCount; ++i) {
            if (marks[i] != 0) {
                good &= (inputs[i].active != 0 && !status::IsBad(inputs[i].status)) ? 1 : 0;
            }
        }
    }
    zResult.notFullyValid = (ok != 0 && usable != 0 && good != 0) ? 0 : 1;
    if (zResult.notFullyValid != 0) {
        traceNotFullyValid(index, ok, usable, good, marks, inputs);
    }
    return ok & usable;
}

int32_t CalcZByCalcMethod(double p, double T, ZResult& zResult, BaseConditionRecord* baseRecord) {
    const int32_t code = calcBlock.methodParameters.calcMethod.Load();
    const int32_t index = MethodIndexOfCalcMethod(code);
    int32_t result = 0;
    if (index < 0) {
        CALORANT_TRACE(kTraceRejectedCalcMethod, TraceFormat(kTraceArgInt), code);
    } else {
        result = CalcZByMethodIndex(index, p, T, zResult, optionFor(index, false),
                                    index == 0 ? baseRecord : nullptr);
    }
    zResult.success = result;
    if (result == 0) {
        zResult.Z = 1.0;
        zResult.notFullyValid = 1;
    }
    return zResult.success;
}

int32_t CalcZmByMeasMethod(double p, double T, ZResult& zResult) {
    const int32_t code = calcBlock.methodParameters.measCalcMethod;
    const int32_t index = MethodIndexOfMeasCalcMethod(code);
    int32_t result = 0;
    if (index < 0) {
        CALORANT_TRACE(kTraceRejectedMeasMethod, TraceFormat(kTraceArgInt), code);
    } else {
        result = CalcZByMethodIndex(index, p, T, zResult, optionFor(index, true), nullptr);
    }
    zResult.success = result != 0 ? 1 : 0;
    if (zResult.success == 0) {
        zResult.Z = 1.0;
        zResult.notFullyValid = 1;
    }
    return zResult.success;
}
