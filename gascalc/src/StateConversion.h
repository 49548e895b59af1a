// The conversion of the gas from its measuring state to base conditions, once a cycle: the
// measuring pressure and temperature with their defaults, Zm by MeasCalcMethod, Zb of both base
// states by "CalcMethod", K = Zm / Zb, the conversion factors C, the measuring density, the
// properties at the second base state, and the extended values when their node is bound.
#pragma once

#include <cstdint>

#include "FbDo.h"
#include "MethodSelection.h"

struct MeasuringConditionsInput {
    double p;  // bar absolute, as read
    double t;  // degC, as read
    uint32_t statusP, statusT;
    double pWork;  // bar
    double TWork;  // K
};

struct MeasStateCalc {
    double p;     // bar, after the default rule
    double t;     // degC, after the default rule
    double rhom;  // kg/m3
    ZResult zResult;
    uint32_t statusP, statusT, statusRhom, statusZ;
};

// Base density, relative density, HsV, HiV, HsM, HiM, Ws, Wi at the second base state.
constexpr int kSecondBaseValues = 8;
struct SecondBaseProperties {
    double value[kSecondBaseValues];
    uint32_t status[kSecondBaseValues];
};

struct StateConversionRecords {
    MeasuringConditionsInput input;
    MeasStateCalc meas;
    StateCalc state[2];  // ResultConditions, OptionalBaseConditions
    SecondBaseProperties secondBase;
};

// The nodes the conversion reads and writes, found at every reload; null where missing.
constexpr int kMeasOutputs = 4;          // p, t, Zm, rhom
constexpr int kOptionalBaseOutputs = 5;  // C, Zb, K, pb, tb
struct ConversionNodes {
    FbDoNode measPressure;                              // MeasCond's pressure input
    FbDoNode measTemperature;                           // MeasCond's temperature input
    FbDoNode measOutput[kMeasOutputs];                  // MeasCond's outputs
    FbDoNode secondBase[kSecondBaseValues];             // the optional base's properties
    FbDoNode optionalBaseOutput[kOptionalBaseOutputs];  // the optional base's state
};

// Reload (after the optional outputs are bound): finds the measuring-condition nodes of the
// taste's layout and the nodes under the optional base output.
void FindConversionNodes();

// The per-cycle step (after the heating-value conversion, before the messages).
void ConversionFactorStep();

// One base state: Zb by "CalcMethod" (or the constant), K, C and their status words.
void CalcStateConversion(double pm, double Tm, double constantK, BaseConditionRecord& record,
                         StateCalc& state);

// The base density, relative density, heating values and Wobbe indices of the first base state
// taken to the second by C1 / C2 (copied when the factors are equal) into the conversion's
// SecondBaseProperties, each with the status of its sources, and written to the bound optional
// base output. The relative density and the Wobbe indices are also marked invalid when the second
// state's air could not be evaluated at its conditions; scaled, they are 0.0 marked invalid when
// its air density is not positive. Conditions that were replaced mark none of the eight (the state
// is taken at the replacement). All eight are marked invalid when either factor is marked invalid
// or is not positive. Nothing without the optional base output. Runs after both states'
// conversion.
void ConvertSecondBaseProperties();

// Whether the constant method is in force (MeasCalcMethod 16 or "CalcMethod" 17).
bool ConstantMethodInForce();
