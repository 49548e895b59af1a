// The base (reference) conditions of the calculation: four condition records filled at every
// parameter reload (method reference set 5, the Source node's set, the Base1 node's set and an
// optional second base state), and the air properties and molar masses written every cycle.
#pragma once

#include <cstdint>

#include "Aga8Detail.h"
#include "FbDo.h"
#include "RefConditionSets.h"

struct BaseConditionRecord {
    int32_t set;             // RefConditionSet 1 to 17, as read
    double baseTemperature;  // K
    double basePressure;     // bar
    double airZ;
    double airDensity;     // kg/m3
    double airMolarMass;   // g/mol
    double gasConstant;    // kJ/(mol K)
    Aga8State aga8;        // AGA8 cache of evaluations at these conditions
    uint32_t useIso6976Z;  // 1: method code 1 uses the summation-factor method here
    uint32_t setUnknown;   // 1: the set is outside 1 to 17 and its fallback values are in use
};

struct BaseConditionRecords {
    BaseConditionRecord methodReference;  // set 5 at 1.01325 bar
    BaseConditionRecord source;           // Source child 0
    BaseConditionRecord result;           // Base1 child 0
    BaseConditionRecord optionalBase;     // result, or the OptionalBaseOutput's own conditions
    uint32_t optionalBaseInvalid;  // its temperature or pressure was replaced or its air failed
    // 1: air could not be evaluated at the optional base conditions; its air values are those of
    // the result conditions.
    uint32_t optionalAirFailed;
    // Range flags of the air evaluation: kept apart from the gas's flags, which a reload would
    // otherwise overwrite with those of air.
    Aga8RangeFlags airRangeFlags;
};

// The set of the method reference conditions, and its base pressure.
constexpr int32_t kMethodReferenceSet = 5;
constexpr double kStandardPressure = 1.01325;  // bar
constexpr double kZeroCelsius = 273.15;        // K

// The nodes of the molar masses and of the optional base's air properties, found at every
// reload; null where missing.
struct BasePropertyNodes {
    FbDoNode airMolarMass;        // PropertiesOutput's air molar mass
    FbDoNode gasMolarMass;        // PropertiesOutput's gas molar mass
    FbDoNode optionalAirZ;        // the optional base output's air Z
    FbDoNode optionalAirDensity;  // the optional base output's air density
};

// Reload (after BindOptionalOutputs): finds the base property nodes and fills the four records from
// the layout's set indices and, when the optional output is bound, from its base temperature (degC)
// and pressure (bar); a temperature below 200 K or a pressure below 0.1 bar (or either not a finite
// number) is replaced by 273.15 K and 1.01325 bar and marked invalid. A set index outside 1 to 17
// keeps the fallback values of the set functions; its record is marked (setUnknown) and the index
// traced.
void SetupBaseConditions();

// 0x400 while the Source node's set is outside 1 to 17, else 0: the mark of the values stated at
// its conditions, which are then the fallback of a set that does not exist.
uint32_t SourceSetMark();

// Cycle, first step: writes the molar masses of air and gas (Default), the air properties of the
// result conditions and, when bound, of the optional base conditions.
void BasePropertiesStep();
