// Fixed factors that carry an imported density, relative density, calorific value or Wobbe index
// from one reference-condition set to another, without the gas analysis. They work between the
// ISO 6976:1995 sets 1 to 6 and the imperial sets 14 to 17 (the 2016 sets are first replaced by
// their 1995 counterparts). All factors dimensionless, rounded as the device has always used them.
//
// Metric sets: each set belongs to a class (metering temperature, combustion temperature, or the
// set itself); classes are numbered from cold to warm (or in set order). Going from class a to a
// later class b divides the value by factor[a][b]; going back multiplies by it; equal classes
// leave it unchanged.
#pragma once

#include <cstdint>

inline constexpr int kMetricConversionSets = 6;  // sets 1 to 6

struct SetConversionTable {
    int32_t classOfSet[kMetricConversionSets];                    // class of sets 1 to 6
    double factor[kMetricConversionSets][kMetricConversionSets];  // [a][b], a < b
};

// Relative density, by metering class: 0 degC (sets 1, 2, 5), 15 degC (3), 20 degC (4, 6).
inline constexpr SetConversionTable kRelativeDensityConversion = {
    {0, 0, 1, 2, 0, 2},
    {{1, 1.0002, 1.0003}, {0, 1, 1.0001}},
};

// Density (kg/m3), by metering class as above.
inline constexpr SetConversionTable kDensityConversion = {
    {0, 0, 1, 2, 0, 2},
    {{1, 1.0553, 1.0738}, {0, 1, 1.0175}},
};

// Superior calorific value per mass, by combustion class: 0 degC (set 1), 15 degC (2, 3),
// 20 degC (4), 25 degC (5, 6).
inline constexpr SetConversionTable kSuperiorMassConversion = {
    {0, 1, 1, 2, 3, 3},
    {{1, 1.0016, 1.00209, 1.0026}, {0, 1, 1.00052, 1.001}, {0, 0, 1, 1.00051}},
};

// Inferior calorific value per mass, by combustion class as above.
inline constexpr SetConversionTable kInferiorMassConversion = {
    {0, 1, 1, 2, 3, 3},
    {{1, 1.0002, 1.00021, 1.0003}, {0, 1, 1.00005, 1.0001}, {0, 0, 1, 1.00006}},
};

// Superior calorific value per volume, per pair of sets.
inline constexpr SetConversionTable kSuperiorVolumeConversion = {
    {0, 1, 2, 3, 4, 5},
    {{1, 1.0016, 1.057, 1.0761, 1.0026, 1.0766},
     {0, 1, 1.0553, 1.0744, 1.001, 1.0749},
     {0, 0, 1, 1.018, 0.9486, 1.0185},
     {0, 0, 0, 1, 0.9317, 1.0005},
     {0, 0, 0, 0, 1, 1.0738}},
};

// Inferior calorific value per volume, per pair of sets.
inline constexpr SetConversionTable kInferiorVolumeConversion = {
    {0, 1, 2, 3, 4, 5},
    {{1, 1.0002, 1.0555, 1.074, 1.0003, 1.0741},
     {0, 1, 1.0553, 1.0739, 1.0001, 1.0739},
     {0, 0, 1, 1.0175, 0.9477, 1.0176},
     {0, 0, 0, 1, 0.9313, 1.0001},
     {0, 0, 0, 0, 1, 1.0738}},
};

// Superior Wobbe index, per pair of sets.
inline constexpr SetConversionTable kSuperiorWobbeConversion = {
    {0, 1, 2, 3, 4, 5},
    {{1, 1.0016, 1.0569, 1.0759, 1.0026, 1.0764},
     {0, 1, 1.0552, 1.0742, 1.001, 1.0747},
     {0, 0, 1, 1.018, 0.9487, 1.0185},
     {0, 0, 0, 1, 0.9319, 1.0005},
     {0, 0, 0, 0, 1, 1.0736}},
};

// Imperial sets 14 to 17 (14.696, 14.65, 14.73, 15.025 psia), the same for the density, the
// volumetric values and the Wobbe index; multiplying. They are not exact reciprocals.
inline constexpr uint32_t kFirstImperialSet = 14;
inline constexpr int kImperialSetCount = 4;
inline constexpr uint32_t kMetricBridgeSet = 3;  // the metric set the bridges go through

inline constexpr double kSet3ToImperial[kImperialSetCount] = {0.9981, 0.995, 1.0004, 1.0204};
inline constexpr double kImperialToSet3[kImperialSetCount] = {1.0019, 1.005, 0.9996, 0.98};

// [from][to]: the ratio of the target's to the source's base pressure, rounded to four decimals.
inline constexpr double kImperialSetFactor[kImperialSetCount][kImperialSetCount] = {
    {1, 0.9969, 1.0023, 1.0224},
    {1.0031, 1, 1.0055, 1.0256},
    {0.9977, 0.9946, 1, 1.02},
    {0.9781, 0.975, 0.9804, 1},
};

// The ISO 6976:1995 counterpart of each ISO 6976:2016 set 7 to 13 (set 10, 15.55 degC, is the
// metric twin of imperial set 14).
inline constexpr uint32_t kFirst2016Set = 7;
inline constexpr uint32_t kSet2016To1995[7] = {1, 2, 3, 14, 4, 5, 6};
