// Unit factors of the gas property methods.
#pragma once

// psi per bar (1 bar = 100000 Pa, 1 psi = 6894.757293168361 Pa).
inline constexpr double kPsiPerBar = 14.50377377302168;

// Base pressure of the GPA 2145 ideal volumetric heating values, psia.
inline constexpr double kGpaTablePressurePsia = 14.696;

// MJ/m3 per Btu/ft3 (1.055056 kJ per Btu / 28.3168 dm3 per ft3).
inline constexpr double kMjPerM3PerBtuPerFt3 = 0.03725901231777602;

// MJ/kg per Btu/lb.
inline constexpr double kMjPerKgPerBtuPerLb = 0.002326;

// Offset of the Celsius scale, K.
inline constexpr double kKelvinAtZeroCelsius = 273.15;
