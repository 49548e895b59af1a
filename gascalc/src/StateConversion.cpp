#include "StateConversion.h"

#include <cmath>
#include <cstring>

#include "CalcBlock.h"
#include "CalcCycle.h"
#include "CalorantTrace.h"
#include "ExtendedOutputs.h"
#include "FbDo/FbDoValueNode.h"
#include "GasInputChecks.h"
#include "ProgramContext.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

constexpr double kLowestPressure = 0.01;     // bar
constexpr double kLowestTemperature = 1.0;   // K
constexpr double kDefaultDensity = 0.71746;  // kg/m3, measuring density without a valid K

constexpr uint32_t kMeasPressureChild = 0;
constexpr uint32_t kMeasTemperatureChild = 3;
constexpr uint32_t kMeasOutputChild = 6;  // p, t, Zm, rhom

// Children of the bound OptionalBaseOutput alternative.
constexpr uint32_t kOptionalC = 3;
constexpr uint32_t kOptionalFirstProperty = 4;
constexpr uint32_t kOptionalPb = 12;
constexpr uint32_t kOptionalTb = 13;
constexpr uint32_t kOptionalK = 14;
constexpr uint32_t kOptionalZb = 15;

// Places in SecondBaseProperties of the relative density and the Wobbe indices, the values that
// rest on the second state's air density when scaled to it.
constexpr int kSecondRelativeDensity = 1;
constexpr int kSecondWs = 6;
constexpr int kSecondWi = 7;

constexpr uint32_t kTraceEqualFactors = 0xd00a7;
constexpr uint32_t kTraceSecondBase = 0xd00b7;
constexpr uint32_t kTraceCodes = 0xd00c7;
constexpr uint32_t kTraceZm = 0xd00d7;
constexpr uint32_t kTraceState[2] = {0xd00e7, 0xd00f7};

void resetUseMarks() {
    InputUseMarks& marks = calcBlock.useMarks;
    std::memset(&marks, 0, sizeof(marks));
    const Taste* taste = ProgramContext::myTaste.Load();
    const bool preset =
        taste != nullptr && (taste->kind() == kTasteDefault || taste->kind() == kTasteBM1);
    marks.heatingValue = preset ? 1 : 0;
    marks.baseDensity = preset ? 1 : 0;
}

void readMeasuringConditions() {
    MeasuringConditionsInput& input = calcBlock.conversion.input;
    const ConversionNodes& nodes = calcBlock.conversionNodes;
    input.p = FbDo_ReadDouble(nodes.measPressure, kStandardPressure, &input.statusP, 0);
    input.t = FbDo_ReadDouble(nodes.measTemperature, 0.0, &input.statusT, 0);
}

void setConstantResult(ZResult& zResult) {
    zResult.success = 1;
    zResult.Z = 0.0;
    zResult.notFullyValid = 0;
    zResult.constantMethod = 1;
}

uint32_t zStatus(const ZResult& zResult) {
    return (zResult.constantMethod != 0 ? status::kNotInUse : 0u) |
           status::InvalidIf(zResult.notFullyValid != 0);
}

void traceState(uint32_t id, const StateCalc& state) {
    CALORANT_TRACE(
        id, TraceFormat(kTraceArgDouble, kTraceArgInt, kTraceArgDouble, kTraceArgInt, kTraceArgInt),
        state.K, state.zResult.success, state.zResult.Z, state.zResult.notFullyValid,
        state.zResult.constantMethod);
}

void measuringState() {
    StateConversionRecords& records = calcBlock.conversion;
    MeasuringConditionsInput& input = records.input;
    MeasStateCalc& meas = records.meas;
    meas.statusP = meas.statusT = meas.statusZ = meas.statusRhom = 0;
    input.pWork = input.p;
    input.TWork = input.t + kZeroCelsius;
    // Written so that a value that is not a number takes the default too.
    const bool pDefault = !(input.pWork >= kLowestPressure) || !std::isfinite(input.pWork);
    if (pDefault) {
        input.pWork = kStandardPressure;
    }
    meas.p = input.pWork;
    meas.statusP |= status::InvalidIf(pDefault || status::IsBad(input.statusP));
    const bool tDefault = !(input.TWork >= kLowestTemperature) || !std::isfinite(input.TWork);
    if (tDefault) {
        input.TWork = kZeroCelsius;
    }
    meas.t = input.TWork - kZeroCelsius;
    meas.statusT |= status::InvalidIf(tDefault || status::IsBad(input.statusT));
    if (ConstantMethodInForce()) {
        setConstantResult(meas.zResult);
    } else {
        meas.zResult.constantMethod = 0;
        CalcZmByMeasMethod(input.pWork, input.TWork, meas.zResult);
    }
    meas.statusZ = zStatus(meas.zResult) |
                   status::InvalidIf(((meas.statusP | meas.statusT) & status::kInvalid) != 0);
    const MethodParameters& methods = calcBlock.methodParameters;
    CALORANT_TRACE(kTraceCodes, TraceFormat(kTraceArgInt, kTraceArgInt), methods.measCalcMethod,
                   methods.calcMethod.Load());
    CALORANT_TRACE(kTraceZm, TraceFormat(kTraceArgInt, kTraceArgDouble, kTraceArgInt, kTraceArgInt),
                   meas.zResult.success, meas.zResult.Z, meas.zResult.notFullyValid,
                   meas.zResult.constantMethod);
}

void measuringDensity() {
    StateConversionRecords& records = calcBlock.conversion;
    const StateCalc& first = records.state[0];
    const ValueSet4& densities = calcBlock.imported.densityOutputs;
    const uint32_t baseStatus = densities.status[kOutBaseDensity];
    records.meas.rhom =
        IsPositiveFinite(first.K) ? densities.value[kOutBaseDensity] * first.C : kDefaultDensity;
    // A base density that is not in use gives a measuring density that is not in use either.
    records.meas.statusRhom =
        status::InvalidIf(((first.statusC | baseStatus) & status::kInvalid) != 0) |
        (baseStatus & status::kNotInUse);
}

void copySecondBaseSources(SecondBaseProperties& second) {
    const ValueSet4& densities = calcBlock.imported.densityOutputs;
    const ValueSet6& heating = calcBlock.imported.heatingAtResult;
    second.value[0] = densities.value[kOutBaseDensity];
    second.status[0] = densities.status[kOutBaseDensity];
    second.value[1] = densities.value[kOutRelativeDensity];
    second.status[1] = densities.status[kOutRelativeDensity];
    for (int i = 0; i < kHeatingValues; ++i) {
        second.value[2 + i] = heating.value[i];
        second.status[2 + i] = heating.status[i];
    }
}

// Wobbe index HV / sqrt(d) with the two status words ORed; 0.0 with 0x400 when either value is
// not positive.
void wobbe(SecondBaseProperties& second, int target, int heatingValue) {
    const double d = second.value[kSecondRelativeDensity];
    const double hv = second.value[heatingValue];
    second.status[target] = second.status[kSecondRelativeDensity] | second.status[heatingValue];
    if (IsPositiveFinite(d) && IsPositiveFinite(hv)) {
        second.value[target] = hv / std::sqrt(d);
    } else {
        second.value[target] = 0.0;
        second.status[target] |= status::kInvalid;
    }
}

// The properties of the first base state taken to the second by ratio = C1 / C2. Per volume the
// values follow the metering state; per mass they do not, and both states share one combustion
// reference: HsM and HiM carry over unchanged.
void scaleToSecondBase(SecondBaseProperties& second, double ratio) {
    second.value[0] *= ratio;
    // The relative density is formed with the second state's air density, which replaced
    // conditions leave valid: the state and its air are both taken at the replacement.
    const double airDensity = calcBlock.baseConditions.optionalBase.airDensity;
    second.status[kSecondRelativeDensity] = second.status[0];
    if (IsPositiveFinite(airDensity)) {
        second.value[kSecondRelativeDensity] = second.value[0] / airDensity;
    } else {
        second.value[kSecondRelativeDensity] = 0.0;
        second.status[kSecondRelativeDensity] |= status::kInvalid;
    }
    second.value[2] *= ratio;
    second.value[3] *= ratio;
    wobbe(second, kSecondWs, 2);
    wobbe(second, kSecondWi, 3);
}

void writeDouble(FbDoNode node, double value, uint32_t status) {
    FbDo_WriteDouble(node, value, &status);
}

void writeConversionOutputs() {
    const StateConversionRecords& records = calcBlock.conversion;
    const MeasStateCalc& meas = records.meas;
    const StateCalc& first = records.state[0];
    const Taste* taste = ProgramContext::myTaste.Load();
    const ConversionNodes& nodes = calcBlock.conversionNodes;
    if (taste != nullptr && taste->kind() != kTasteNone) {
        writeDouble(nodes.measOutput[0], meas.p, meas.statusP);
        writeDouble(nodes.measOutput[1], meas.t, meas.statusT);
        writeDouble(nodes.measOutput[2], meas.zResult.Z, meas.statusZ);
        writeDouble(nodes.measOutput[3], meas.rhom, meas.statusRhom);
        writeDouble(taste->getBase1C(), first.C, first.statusC);
        writeDouble(taste->getBase1Zb(), first.zResult.Z, first.statusZ);
        writeDouble(taste->getBase1K(), first.K, first.statusK);
        writeDouble(taste->getBase1pb(), first.p, 0);
        writeDouble(taste->getBase1tb(), first.t, 0);
    }
    if (calcBlock.optionalOutputs.optionalBaseOutput != nullptr) {
        const StateCalc& second = records.state[1];
        const FbDoNode* optional = nodes.optionalBaseOutput;
        writeDouble(optional[0], second.C, second.statusC);
        writeDouble(optional[1], second.zResult.Z, second.statusZ);
        writeDouble(optional[2], second.K, second.statusK);
        writeDouble(optional[3], second.p, 0);
        writeDouble(optional[4], second.t, 0);
    }
    FinishTreeCycle();
}

}  // namespace

void FindConversionNodes() {
    ConversionNodes& nodes = calcBlock.conversionNodes;
    const Taste* taste = ProgramContext::myTaste.Load();
    const FbDoNode meas =
        taste != nullptr && taste->kind() != kTasteNone ? taste->getMeasCond() : nullptr;
    nodes.measPressure = FbDo_GetChild(meas, kMeasPressureChild);
    nodes.measTemperature = FbDo_GetChild(meas, kMeasTemperatureChild);
    FindChildren(meas, kMeasOutputChild, nodes.measOutput);
    const FbDoNode optional = calcBlock.optionalOutputs.optionalBaseOutput;
    FindChildren(optional, kOptionalFirstProperty, nodes.secondBase);
    const uint32_t optionalChild[kOptionalBaseOutputs] = {kOptionalC, kOptionalZb, kOptionalK,
                                                          kOptionalPb, kOptionalTb};
    for (int i = 0; i < kOptionalBaseOutputs; ++i) {
        nodes.optionalBaseOutput[i] = FbDo_GetChild(optional, optionalChild[i]);
    }
}

bool ConstantMethodInForce() {
    const MethodParameters& methods = calcBlock.methodParameters;
    return methods.measCalcMethod == kMeasCalcMethodConstant ||
           methods.calcMethod.Load() == kCalcMethodConstant;
}

void ConvertSecondBaseProperties() {
    const FbDoNode optional = calcBlock.optionalOutputs.optionalBaseOutput;
    if (optional == nullptr) {
        return;
    }
    StateConversionRecords& records = calcBlock.conversion;
    SecondBaseProperties& second = records.secondBase;
    copySecondBaseSources(second);
    const StateCalc& first = records.state[0];
    const StateCalc& other = records.state[1];
    const bool factorsPositive = IsPositiveFinite(first.C) && IsPositiveFinite(other.C);
    if (factorsPositive) {
        if (first.C == other.C) {
            CALORANT_TRACE(kTraceEqualFactors, TraceFormat());
        } else {
            scaleToSecondBase(second, first.C / other.C);
            CALORANT_TRACE(kTraceSecondBase, TraceFormat());
        }
    }
    // All eight rest on both factors (a copy on their being equal): a factor that failed, or fell
    // back to 1.0, marks every one of them, as the first factor marks the measuring density.
    const uint32_t factorFailure = status::InvalidIf(
        !factorsPositive || ((first.statusC | other.statusC) & status::kInvalid) != 0);
    // Scaled, the relative density and the Wobbe indices are formed with the second state's air
    // density; copied, they are the first state's values. Either way a second-state air density
    // that could not be evaluated at its conditions (the first state's stands in for it) marks
    // them.
    const uint32_t airFailure = status::InvalidIf(calcBlock.baseConditions.optionalAirFailed != 0);
    for (const int i : {kSecondRelativeDensity, kSecondWs, kSecondWi}) {
        second.status[i] |= airFailure;
    }
    for (int i = 0; i < kSecondBaseValues; ++i) {
        second.status[i] |= factorFailure;
        FbDo_WriteDouble(calcBlock.conversionNodes.secondBase[i], second.value[i],
                         &second.status[i]);
    }
}

void CalcStateConversion(double pm, double Tm, double constantK, BaseConditionRecord& record,
                         StateCalc& state) {
    const MeasStateCalc& meas = calcBlock.conversion.meas;
    ZResult& zResult = state.zResult;
    if (ConstantMethodInForce()) {
        state.K = constantK;
        state.kValid = 1;
        setConstantResult(zResult);
    } else {
        zResult.constantMethod = 0;
        CalcZByCalcMethod(record.basePressure, record.baseTemperature, zResult, &record);
        state.kValid =
            (zResult.success == 1 && meas.zResult.success == 1 && IsPositiveFinite(zResult.Z)) ? 1
                                                                                               : 0;
        state.K = state.kValid != 0 ? meas.zResult.Z / zResult.Z : constantK;
    }
    state.statusZ = zStatus(zResult);
    const bool kGood = (state.statusZ & status::kInvalid) == 0 &&
                       (meas.statusZ & status::kInvalid) == 0 && IsPositiveFinite(state.K) &&
                       state.kValid == 1;
    state.statusK = status::InvalidIf(!kGood);
    state.kOk = kGood ? 1 : 0;
    // Base conditions taken from the fallback of an unknown set describe no configured state.
    state.statusZ |= status::InvalidIf(record.setUnknown != 0);
    state.statusK |= status::InvalidIf(record.setUnknown != 0);
    // A factor that overflows, or cannot be formed, is replaced by 1.0 and marked invalid.
    const double denominator = record.basePressure * Tm * state.K;
    const double c = (pm * record.baseTemperature) / denominator;
    const bool cComputed = IsPositiveFinite(denominator) && IsPositiveFinite(c);
    state.C = cComputed ? c : 1.0;
    state.statusC = status::InvalidIf(
        !cComputed || ((state.statusK | state.statusZ | meas.statusZ) & status::kInvalid) != 0);
    state.p = record.basePressure;
    state.t = record.baseTemperature - kZeroCelsius;
}

void ConversionFactorStep() {
    resetUseMarks();
    readMeasuringConditions();
    StateConversionRecords& records = calcBlock.conversion;
    for (StateCalc& state : records.state) {
        state.statusZ = state.statusK = state.statusC = 0;
    }
    measuringState();
    const MeasuringConditionsInput& input = records.input;
    const MethodParameters& methods = calcBlock.methodParameters;
    CalcStateConversion(input.pWork, input.TWork, methods.constantK1,
                        calcBlock.baseConditions.result, records.state[0]);
    traceState(kTraceState[0], records.state[0]);
    CalcStateConversion(input.pWork, input.TWork, methods.constantK2,
                        calcBlock.baseConditions.optionalBase, records.state[1]);
    traceState(kTraceState[1], records.state[1]);
    measuringDensity();
    ConvertSecondBaseProperties();
    if (calcBlock.optionalOutputs.extendedOutput != nullptr) {
        ExtendedOutputsStep();
    }
    writeConversionOutputs();
}
