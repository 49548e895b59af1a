#include "ExtendedOutputs.h"

#include "CalcBlock.h"
#include "GasInputChecks.h"
#include "ImportedValues.h"
#include "Sgerg88SecondForm.h"
#include "StatusBits.h"

namespace {

enum : int { kSpeedOfSound = 0, kIsentropicExponent = 1, kHeatCapacityRatio = 2 };
constexpr int32_t kMeasCalcMethodSgergSecondForm = 17;
constexpr int32_t kMeasCalcMethodCalculator12 = 18;

bool measuringConditionsInvalid() {
    const MeasStateCalc& meas = calcBlock.conversion.meas;
    return ((meas.statusP | meas.statusT) & status::kInvalid) != 0;
}

void addToAll(ExtendedValues& values, uint32_t bits) {
    for (uint32_t& word : values.status) {
        word |= bits;
    }
}

void calcExtPropsAga8(bool newLayout) {
    ExtendedOutputRecords& records = calcBlock.extended;
    ExtendedValues& values = records.values;
    const CompositionRecords& composition = calcBlock.composition;
    if (composition.settings.compositionActive == 0) {
        addToAll(values, status::kNotInUse);
        return;
    }
    if ((composition.normalised.status & status::kInvalid) != 0) {
        addToAll(values, status::kInvalid);
        return;
    }
    const MeasuringConditionsInput& input = calcBlock.conversion.input;
    bool ok = false;
    if (newLayout) {
        double z = 1.0;
        ok = Aga8ZDensity(records.aga8, input.pWork, input.TWork, calcBlock.aga8Results.composition,
                          &z, calcBlock.aga8RangeFlags,
                          calcBlock.methodParameters.option != 0 ? 1 : 0, kAga8SolveNewton,
                          &records.recalculated) == 0;
        if (ok && records.recalculated != 0) {
            records.recalculated = 0;
            Aga8Properties(records.aga8, &input.TWork, &records.aga8.D, &records.kept[0],
                           &records.kept[1], &records.kept[2]);
        }
        if (ok) {
            for (int i = 0; i < 3; ++i) {
                values.value[i] = records.kept[i];
            }
        }
    } else {
        const BaseConditionRecord& result = calcBlock.baseConditions.result;
        Aga8Detail1994Props(calcBlock.aga8Detail1994, result.basePressure, result.baseTemperature,
                            input.pWork, input.TWork, calcBlock.aga8Results.composition);
        const Aga8Detail1994Result& props = calcBlock.aga8Detail1994.result;
        ok = props.status == kAga8Detail1994Ok;
        if (ok) {
            values.value[kSpeedOfSound] = props.w;
            values.value[kIsentropicExponent] = props.kappa;
            values.value[kHeatCapacityRatio] = props.k;
        }
    }
    if (ok) {
        values.status[kSpeedOfSound] |= status::InvalidIf(measuringConditionsInvalid());
    } else {
        addToAll(values, status::kInvalid);
    }
}

// Whether the inputs of the base-density form (base density, CO2, N2) are in use and valid.
bool sgergInputsValid() {
    constexpr uint32_t kUnusable = status::kInvalid | status::kNotInUse;
    const ImportedValueRecords& imported = calcBlock.imported;
    const uint32_t* components = calcBlock.composition.normalised.outStatus;
    return imported.densityActive[0] != 0 &&
           ((imported.densityOutputs.status[kOutBaseDensity] | components[kCO2] | components[kN2]) &
            kUnusable) == 0;
}

void calcExtPropsSgerg() {
    ExtendedValues& values = calcBlock.extended.values;
    const double rho = BaseDensityAt20C();
    const double* composition = calcBlock.composition.normalised.value;
    const double co2 = composition[kCO2];
    const double n2 = composition[kN2];
    const MeasuringConditionsInput& input = calcBlock.conversion.input;
    const MeasStateCalc& meas = calcBlock.conversion.meas;
    double z = 0.0;
    bool ok = false;
    if (calcBlock.methodParameters.measCalcMethod == kMeasCalcMethodSgergSecondForm) {
        z = meas.zResult.Z;
        ok = (meas.statusZ & status::kInvalid) == 0;
    } else {
        ok = SgergZ(&rho, &co2, &n2, &input.pWork, &input.TWork, &z) != 0 &&
             !measuringConditionsInvalid() && sgergInputsValid();
    }
    bool ok2 = false;
    if (SgergExtProperty1(&rho, &n2, &input.pWork, &input.TWork,
                          &values.value[kIsentropicExponent]) != 0) {
        ok2 =
            SgergExtProperty2(&rho, &co2, &n2, &input.TWork, &z, &values.value[kIsentropicExponent],
                              &values.value[kSpeedOfSound]) != 0;
    } else {
        ok = false;
    }
    values.status[kIsentropicExponent] |= status::InvalidIf(!ok);
    values.status[kSpeedOfSound] |= status::InvalidIf(!(ok && ok2));
    values.status[kHeatCapacityRatio] |= status::kNotInUse;
}

void calcExtPropsAga8x12() {
    ExtendedValues& values = calcBlock.extended.values;
    const MeasuringConditionsInput& input = calcBlock.conversion.input;
    const MeasStateCalc& meas = calcBlock.conversion.meas;
    Aga8Calculator12* calculator = calcBlock.aga8Calculator12;
    Aga8x12Results& results = calcBlock.aga8x12;
    double z = 1.0;
    bool ok = false;
    if (calculator != nullptr) {
        if (calcBlock.methodParameters.measCalcMethod == kMeasCalcMethodCalculator12) {
            z = meas.zResult.Z;
            ok = (meas.statusZ & status::kInvalid) == 0;
        } else {
            ok = calculator->solveDensity(input.pWork, input.TWork, z) != 0;
            calculator->getResults(results.reducedDensity, results.derivativeTerm);
        }
        ok = calculator->properties(input.TWork, z, results.reducedDensity, results.derivativeTerm,
                                    values.value[kIsentropicExponent],
                                    values.value[kSpeedOfSound]) != 0 &&
             ok;
    }
    const CompositionRecords& composition = calcBlock.composition;
    uint32_t bits = 0;
    if (composition.settings.compositionActive == 0) {
        bits = status::kNotInUse;
    } else {
        bits = status::InvalidIf((composition.normalised.status & status::kInvalid) != 0 || !ok ||
                                 measuringConditionsInvalid());
    }
    values.status[kSpeedOfSound] |= bits;
    values.status[kIsentropicExponent] |= bits;
    if (composition.settings.compositionActive != 0) {
        values.status[kIsentropicExponent] |=
            status::InvalidIf(!IsPositiveFinite(values.value[kIsentropicExponent]));
        values.status[kSpeedOfSound] |=
            status::InvalidIf(!IsPositiveFinite(values.value[kSpeedOfSound]));
    }
    values.status[kHeatCapacityRatio] |= status::kNotInUse;
}

}  // namespace

void ExtendedOutputsStep() {
    const FbDoNode node = calcBlock.optionalOutputs.extendedOutput;
    if (node == nullptr) {
        return;
    }
    ExtendedValues& values = calcBlock.extended.values;
    values.status[0] = values.status[1] = values.status[2] = 0;
    switch (calcBlock.methodParameters.calcMethod.Load()) {
        case 1:
        case 2:
            calcExtPropsAga8(false);
            break;
        case 3:
            calcExtPropsAga8(true);
            break;
        case 18:
            calcExtPropsSgerg();
            break;
        case 19:
            calcExtPropsAga8x12();
            break;
        default:
            addToAll(values, status::kNotInUse);
            break;
    }
    for (uint32_t i = 0; i < 3; ++i) {
        FbDo_WriteDouble(FbDo_GetChild(node, i), values.value[i], &values.status[i]);
    }
}
