#include "BaseConditions.h"

#include "CalcBlock.h"
#include "CalorantTrace.h"
#include "ComponentPropertyTables.h"
#include "GasInputChecks.h"
#include "Iso6976.h"
#include "NodeReads.h"
#include "ProgramContext.h"
#include "StatusBits.h"
#include "Taste.h"

namespace {

constexpr double kLowestBaseTemperature = 200.0;  // K
constexpr double kLowestBasePressure = 0.1;       // bar

// Children of the bound OptionalBaseOutput alternative.
constexpr uint32_t kOptionalTemperatureChild = 0;  // degC
constexpr uint32_t kOptionalPressureChild = 1;     // bar
constexpr uint32_t kOptionalAirZChild = 16;
constexpr uint32_t kOptionalAirDensityChild = 17;
// Children of PropertiesOutput.
constexpr uint32_t kAirMolarMassChild = 0;
constexpr uint32_t kGasMolarMassChild = 1;

constexpr uint32_t kTraceAirFailed = 0x70063;
// Level 3, with the set index as read.
constexpr uint32_t kTraceResultSetUnknown = 0x70073;
constexpr uint32_t kTraceSourceSetUnknown = 0x70083;

RefConditionSet asSet(int32_t set) {
    return static_cast<RefConditionSet>(set);
}

void setFromRefSet(BaseConditionRecord& record, int32_t set, uint32_t traceUnknown) {
    record.set = set;
    record.setUnknown = set < 1 || set > static_cast<int32_t>(kRefConditionSetCount) ? 1 : 0;
    if (record.setUnknown != 0) {
        CALORANT_TRACE(traceUnknown, TraceFormat(kTraceArgInt), set);
    }
    record.baseTemperature = RefBaseTemperature(asSet(set));
    record.basePressure = RefBasePressure(asSet(set));
    record.useIso6976Z = 1;
}

void fillAirData(BaseConditionRecord& record) {
    const RefConditionSet set = asSet(record.set);
    record.gasConstant = RefGasConstant(set);
    record.airMolarMass = RefAirMolarMass(set);
    record.airZ = RefAirZ(set);
    record.airDensity = GasDensity(record.airMolarMass, record.basePressure, record.baseTemperature,
                                   record.airZ, record.gasConstant);
}

void setupOptionalBase(FbDoNode optional) {
    BaseConditionRecords& records = calcBlock.baseConditions;
    BaseConditionRecord& record = records.optionalBase;
    record.useIso6976Z = 0;
    const FbDoNode pressure = FbDo_GetChild(optional, kOptionalPressureChild);
    if (FbDo_IsActive(pressure) != 0) {
        record.basePressure = FbDo_ReadDouble(pressure, record.basePressure, nullptr, 0);
    }
    const FbDoNode temperature = FbDo_GetChild(optional, kOptionalTemperatureChild);
    if (FbDo_IsActive(temperature) != 0) {
        record.baseTemperature = FbDo_ReadDouble(temperature, 0.0, nullptr, 0) + kZeroCelsius;
    }
    // Written so that a temperature or pressure that is not a number fails the test too.
    if (!(record.baseTemperature >= kLowestBaseTemperature) ||
        !(record.basePressure >= kLowestBasePressure) || !std::isfinite(record.baseTemperature) ||
        !std::isfinite(record.basePressure)) {
        records.optionalBaseInvalid = 1;
        record.baseTemperature = kZeroCelsius;
        record.basePressure = kStandardPressure;
    }
    double z = 1.0;
    const uint8_t failed = Aga8ZDensity(record.aga8, record.basePressure, record.baseTemperature,
                                        StandardAirComposition, &z, records.airRangeFlags, 0,
                                        kAga8SolveBracketed, nullptr);
    if (failed == 0) {
        record.airZ = z;
        record.airDensity = GasDensity(record.airMolarMass, record.basePressure,
                                       record.baseTemperature, z, record.gasConstant);
    } else {
        CALORANT_TRACE(kTraceAirFailed, TraceFormat());
        records.optionalBaseInvalid = 1;
        records.optionalAirFailed = 1;
    }
}

void writeDouble(FbDoNode node, double value, uint32_t status) {
    FbDo_WriteDouble(node, value, &status);
}

// The base property nodes of the taste's layout and of the bound optional base output.
void findBasePropertyNodes() {
    BasePropertyNodes& nodes = calcBlock.basePropertyNodes;
    const Taste* taste = ProgramContext::myTaste.Load();
    const FbDoNode properties = taste != nullptr ? taste->getPropertiesOutput() : nullptr;
    nodes.airMolarMass = FbDo_GetChild(properties, kAirMolarMassChild);
    nodes.gasMolarMass = FbDo_GetChild(properties, kGasMolarMassChild);
    const FbDoNode optional = calcBlock.optionalOutputs.optionalBaseOutput;
    nodes.optionalAirZ = FbDo_GetChild(optional, kOptionalAirZChild);
    nodes.optionalAirDensity = FbDo_GetChild(optional, kOptionalAirDensityChild);
}

}  // namespace

void SetupBaseConditions() {
    findBasePropertyNodes();
    BaseConditionRecords& records = calcBlock.baseConditions;
    BaseConditionRecord& method = records.methodReference;
    method.set = kMethodReferenceSet;
    method.baseTemperature = RefBaseTemperature(asSet(kMethodReferenceSet));
    method.basePressure = kStandardPressure;
    method.useIso6976Z = 1;
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste == nullptr) {
        CALORANT_TRACE(calorant::kTraceNoTaste, TraceFormat());
    }
    setFromRefSet(records.result,
                  taste != nullptr ? ReadIntegerParameter(taste->getBase1RefCond()) : 0,
                  kTraceResultSetUnknown);
    setFromRefSet(records.source,
                  taste != nullptr ? ReadIntegerParameter(taste->getSourceRefCond()) : 0,
                  kTraceSourceSetUnknown);
    fillAirData(method);
    fillAirData(records.result);
    fillAirData(records.source);
    records.optionalBase = records.result;
    records.optionalBaseInvalid = 0;
    records.optionalAirFailed = 0;
    const FbDoNode optional = calcBlock.optionalOutputs.optionalBaseOutput;
    if (optional != nullptr) {
        setupOptionalBase(optional);
    }
}

uint32_t SourceSetMark() {
    return status::InvalidIf(calcBlock.baseConditions.source.setUnknown != 0);
}

void BasePropertiesStep() {
    const BaseConditionRecords& records = calcBlock.baseConditions;
    const BasePropertyNodes& nodes = calcBlock.basePropertyNodes;
    const BaseConditionRecord& result = records.result;
    const double molarMass =
        MolarMassOfMixture(calcBlock.composition.normalised.value, asSet(result.set));
    const uint32_t resultStatus = status::InvalidIf(result.setUnknown != 0);
    const Taste* taste = ProgramContext::myTaste.Load();
    if (taste != nullptr) {
        const FbDoNode properties = taste->getPropertiesOutput();
        if (properties != nullptr) {
            writeDouble(nodes.airMolarMass, result.airMolarMass, resultStatus);
            // Before the first ISO 6976 evaluation the gas molar mass has no valid status yet.
            const uint32_t gasStatus =
                (calcBlock.iso6976.evaluated != 0 ? calcBlock.iso6976.status : status::kInvalid) |
                resultStatus;
            writeDouble(nodes.gasMolarMass, molarMass, gasStatus);
        }
        writeDouble(taste->getBase1AirZ(), result.airZ, resultStatus);
        writeDouble(taste->getBase1AirDensity(), result.airDensity, resultStatus);
    }
    const FbDoNode optional = calcBlock.optionalOutputs.optionalBaseOutput;
    if (optional != nullptr) {
        const uint32_t s = status::InvalidIf(records.optionalBaseInvalid != 0 ||
                                             records.optionalBase.setUnknown != 0);
        writeDouble(nodes.optionalAirZ, records.optionalBase.airZ, s);
        writeDouble(nodes.optionalAirDensity, records.optionalBase.airDensity, s);
    }
}
