// Constants of the AGA8-92 DETAIL compressibility method (AGA Report No. 8, 1992/1994, and
// ISO 12213-2) besides its Tables 4 to 6: gas constants, solver limits, the composition limits
// of the mixture terms and the pipeline-quality ranges of ISO 12213-2, in mol-%.
#pragma once

// Molar gas constant of the DETAIL equation: MPa dm3/(mol K) and J/(mol K).
inline constexpr double kAga8GasConstantMPa = 0.00831451;
inline constexpr double kAga8GasConstant = 8.31451;

// Pressure conversions from bar: to MPa and to kPa.
inline constexpr double kMPaPerBar = 0.1;
inline constexpr double kKPaPerBar = 100.0;

// Bracketing solve: upper end of the density bracket (mol/dm3), residual tolerance (MPa) and
// iteration limit.
inline constexpr double kAga8BracketDensity = 40.0;
inline constexpr double kAga8BracketTolerance = 5e-10;
inline constexpr int kAga8BracketIterations = 50;

// Newton solve on ln(1/D): iteration limit, allowed range of ln(1/D), convergence step and the
// step taken when the pressure does not rise with density.
inline constexpr int kAga8NewtonIterations = 20;
inline constexpr double kAga8MinLogVolume = -7.0;
inline constexpr double kAga8MaxLogVolume = 100.0;
inline constexpr double kAga8NewtonTolerance = 1e-11;
inline constexpr double kAga8NewtonRecoveryStep = 0.1;

// Sum of the 21 values (mol-%) that the mixture terms accept before normalising.
inline constexpr double kAga8MinCompositionSum = 80.0;
inline constexpr double kAga8MaxCompositionSum = 120.0;

// Reference state of the ideal-gas part (zero enthalpy and entropy): kPa and K.
inline constexpr double kAga8IdealReferencePressure = 101.325;
inline constexpr double kAga8IdealReferenceTemperature = 298.15;

// Pipeline-quality range of ISO 12213-2 on one component or the sum of a group (AGA8 indices),
// mol-%; a violation flags every component of the group.
struct Aga8RangeLimit {
    int components[3];
    int count;
    double lower;  // a value below it is out of range
    double upper;  // a value above it is out of range
};

inline constexpr double kAga8NoLowerLimit = -1.0;

inline constexpr Aga8RangeLimit kAga8RangeLimits[] = {
    {{0}, 1, 70.0, 100.01},                      // methane
    {{1}, 1, kAga8NoLowerLimit, 20.0},           // nitrogen
    {{2}, 1, kAga8NoLowerLimit, 20.0},           // carbon dioxide
    {{3}, 1, kAga8NoLowerLimit, 10.0},           // ethane
    {{4}, 1, kAga8NoLowerLimit, 3.5},            // propane
    {{10, 11}, 2, kAga8NoLowerLimit, 1.5},       // butanes
    {{12, 13}, 2, kAga8NoLowerLimit, 0.5},       // pentanes
    {{14}, 1, kAga8NoLowerLimit, 0.1},           // n-hexane
    {{15}, 1, kAga8NoLowerLimit, 0.05},          // n-heptane
    {{16, 17, 18}, 3, kAga8NoLowerLimit, 0.05},  // n-octane and heavier
    {{7}, 1, kAga8NoLowerLimit, 10.0},           // hydrogen
    {{8}, 1, kAga8NoLowerLimit, 3.0},            // carbon monoxide
    {{19}, 1, kAga8NoLowerLimit, 0.5},           // helium
    {{5}, 1, kAga8NoLowerLimit, 0.015},          // water
};

// Accepted sum of the 21 values, mol-%.
inline constexpr double kAga8RangeMinSum = 99.99;
inline constexpr double kAga8RangeMaxSum = 100.01;
