// The seventeen reference-condition sets of the program: data edition, combustion reference,
// metering temperature, base pressure and the constants of the set (molar gas constant, Z and
// molar mass of dry air at the metering conditions), and which component tables each set reads.
// Sets 1 to 6: ISO 6976:1995; 7 to 13: ISO 6976:2016; 14 to 17: GPA 2172 (GPA 2145 data, 60 degF).
// Units: K, bar absolute, kJ/(mol K), g/mol.
// The imperial base pressures are 14.696, 14.65, 14.73 and 15.025 psia divided by
// 14.50377377302168 psi per bar; 288.7055555555555 K is 60 degF ((60 + 459.67) / 1.8).
#pragma once

#include <cstdint>

// Data edition of a set as the property functions choose their tables.
enum RefDataEdition : int32_t {
    kEditionNone = 0,  // imperial sets and invalid indices
    kEdition1995 = 1,
    kEdition2016 = 2,
};

// Temperature of the component table a set reads (summation factors, molar calorific values).
enum RefTableTemperature : int32_t {
    kTable0C = 0,
    kTable15C,
    kTable15_55C,
    kTable20C,
    kTable25C,
    kTable60F,  // GPA 2145
};

struct RefConditionSetRow {
    int32_t isMetric;
    RefDataEdition edition;
    double meteringTemperature;     // K
    double basePressure;            // bar
    double gasConstant;             // kJ/(mol K)
    double airZ;                    // compression factor of dry air at the metering conditions
    double airMolarMass;            // g/mol
    RefTableTemperature summation;  // summation-factor table
    RefTableTemperature calorific;  // molar calorific-value table (combustion reference)
};

inline constexpr uint32_t kRefConditionSetCount = 17;

// Index 0 is set 1.
inline constexpr RefConditionSetRow kRefConditionSets[kRefConditionSetCount] = {
    {1, kEdition1995, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626, kTable0C, kTable0C},
    {1, kEdition1995, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626, kTable0C, kTable15C},
    {1, kEdition1995, 288.15, 1.01325, 0.00831451, 0.99958, 28.9626, kTable15C, kTable15C},
    {1, kEdition1995, 293.15, 1.01325, 0.00831451, 0.99963, 28.9626, kTable20C, kTable20C},
    {1, kEdition1995, 273.15, 1.01325, 0.00831451, 0.99941, 28.9626, kTable0C, kTable25C},
    {1, kEdition1995, 293.15, 1.01325, 0.00831451, 0.99963, 28.9626, kTable20C, kTable25C},
    {1, kEdition2016, 273.15, 1.01325, 0.0083144621, 0.999419, 28.96546, kTable0C, kTable0C},
    {1, kEdition2016, 273.15, 1.01325, 0.0083144621, 0.999419, 28.96546, kTable0C, kTable15C},
    {1, kEdition2016, 288.15, 1.01325, 0.0083144621, 0.999595, 28.96546, kTable15C, kTable15C},
    {1, kEdition2016, 288.7055555555555, 1.01325, 0.0083144621, 0.999601, 28.96546, kTable15_55C,
     kTable15_55C},
    {1, kEdition2016, 293.15, 1.01325, 0.0083144621, 0.999645, 28.96546, kTable20C, kTable20C},
    {1, kEdition2016, 273.15, 1.01325, 0.0083144621, 0.999419, 28.96546, kTable0C, kTable25C},
    {1, kEdition2016, 293.15, 1.01325, 0.0083144621, 0.999645, 28.96546, kTable20C, kTable25C},
    {0, kEditionNone, 288.7055555555555, 1.0132535318039695, 0.008314472, 0.999576, 28.9625,
     kTable60F, kTable60F},
    {0, kEditionNone, 288.7055555555555, 1.0100819434491122, 0.008314472, 0.999578, 28.9625,
     kTable60F, kTable60F},
    {0, kEditionNone, 288.7055555555555, 1.0155977492836465, 0.008314472, 0.999575, 28.9625,
     kTable60F, kTable60F},
    {0, kEditionNone, 288.7055555555555, 1.035937283298492, 0.008314472, 0.999567, 28.9625,
     kTable60F, kTable60F},
};

// What a set function returns for an index outside 1 to 17 (the values of set 1, metric).
inline constexpr double kFallbackGasConstant = 0.00831451;
inline constexpr int32_t kFallbackIsMetric = 1;
inline constexpr int32_t kFallbackEdition = kEditionNone;
inline constexpr double kFallbackBaseTemperature = 273.15;
inline constexpr double kFallbackBasePressure = 1.01325;
inline constexpr double kFallbackAirZ = 0.99941;
inline constexpr double kFallbackAirMolarMass = 28.9626;
