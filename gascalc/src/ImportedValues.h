// The imported base density, relative density and heating values (superior and inferior
// calorific values per volume and per mass, superior and inferior Wobbe indices), given at the
// Source node's reference conditions, converted every cycle to the method reference set 5 (where
// the compressibility methods take them) and to the result conditions (published under Base1).
#pragma once

#include <cstdint>

#include "FbDo.h"

constexpr int kDensityInputs = 2;  // base density, relative density
constexpr int kDensityValues = 4;
constexpr int kHeatingValues = 6;  // HsV, HiV, HsM, HiM, Ws, Wi

enum DensityReferenceIndex : int {
    kRefBaseDensity = 0,          // from the base-density input
    kRefRelativeDensity = 1,      // from the relative-density input
    kRefDensityFromRelative = 2,  // base density derived from the relative density
    kRefRelativeFromDensity = 3,  // relative density derived from the base density
};
enum DensityOutputIndex : int {
    kOutDensityFromRelative = 0,  // at the source conditions
    kOutRelativeFromDensity = 1,  // at the source conditions
    kOutBaseDensity = 2,          // at the result conditions
    kOutRelativeDensity = 3,      // at the result conditions
};

struct ValueSet4 {
    double value[kDensityValues];
    uint32_t status[kDensityValues];
};
struct ValueSet6 {
    double value[kHeatingValues];
    uint32_t status[kHeatingValues];
};

struct ImportedValueRecords {
    uint32_t densityActive[kDensityInputs];  // read at reload
    double densityValue[kDensityInputs];
    uint32_t densityStatus[kDensityInputs];
    ValueSet4 densityAtMethodReference;
    ValueSet4 densityOutputs;
    uint32_t heatingActive[kHeatingValues];  // read at reload
    double heatingValue[kHeatingValues];
    uint32_t heatingStatus[kHeatingValues];
    ValueSet6 heatingAtMethodReference;
    ValueSet6 heatingAtResult;
};

// The children of the layout's Rhob node, found at every reload; null where missing.
struct DensityNodes {
    FbDoNode input[kDensityInputs];   // base density, relative density
    FbDoNode output[kDensityInputs];  // density from the relative one, relative from the density
};

// Reload: which density and heating-value inputs are in use; SetupDensityInputs finds the Rhob
// node's children.
void SetupDensityInputs();
void SetupHeatingValueInputs();

// Cycle: the conversions, written to the Rhob node and Base1.
void ConvertDensityInputs();
void ConvertHeatingValueInputs();

// The imported base density of the result conditions converted to 20 degC and 1.01325 bar, the
// state that the base-density forms of NX-19 mod and SGERG-88 (and the SGERG-88 extended
// values) describe the gas by: their coefficients are those of the relative-density forms with
// the air density of that state. Read after ConvertDensityInputs of the cycle.
double BaseDensityAt20C();
