// AGA NX-19 supercompressibility in three forms, each with its own description of the gas:
//   Nx19Z        relative density G, CO2, N2; NX-19 adjustment factors Fp and FT
//   Nx19VariantZ base density, CO2, N2; NX-19 mod pseudo-critical state, rescaled coefficients
//   Nx19ModZ     Hs, relative density, CO2, N2; NX-19 mod with a validity window and an optional
//                correction for high calorific values
// Pressures in bar absolute, temperatures in K at the entries (the cores take degC), contents in
// mol-%. The entries return 1 on success and 0 on failure, when they write Z = 1.0. No state.
#pragma once

#include <cstdint>

// Z of the gas of relative density G; fails when G, p or T is not a finite number above zero, a
// content lies outside 0 to 100 mol-% or both sum above 100 mol-%, or the core gives no positive
// finite Z.
int Nx19Z(double G, double CO2, double N2, double p, double T, double* Z);

// NX-19 with the adjustment factors; p in bar, t in degC, Mc and Mn the CO2 and N2 contents in
// mol-%. Returns Z (at most 1.0), or 0.0 when p is not above zero or the correlation cannot be
// evaluated (a reduced state that is not positive, no real root).
double Nx19Factor(double p, double t, double G, double Mc, double Mn);

// 1 when lo <= x < hi, else 0.
int Nx19InRange(double x, double lo, double hi);

// Z of the gas of base density rho (kg/m3 at 20 degC and 1.01325 bar: its coefficients are the
// relative-density form's with rho = 1.2045 G, 1.2045 kg/m3 being air at that state); failure
// as Nx19Z, with rho in place of G.
int Nx19VariantZ(double rho, double CO2, double N2, double p, double T, double* Z);

// NX-19 mod on base density rho (kg/m3 at 20 degC and 1.01325 bar, as Nx19VariantZ); p in bar,
// t in degC. Returns Z limited to 0.1 .. 1.0, or 0.0 when
// p is not above zero, the reduced state lies outside the correlation's domain (a reduced
// temperature at or below 0.84, where the deviation function has no real value) or the
// correlation gives a Z that is not above zero (pressures far beyond its range).
double Nx19ModRhoFactor(double p, double t, double CO2, double N2, double rho);

// NX-19 mod with validity window. Always writes the three flags: pFlag when p < 0.001 or
// p > 99 bar, tNarrowFlag when T < 253.15 or T > 333.15 K, tWideFlag when T < 248.15 or
// T > 338.15 K; a p or T that is not a number lies outside and sets its flags. Fails (Z = 1.0) when
// Hs < 21.6 or Hs > 46.8 MJ/m3, CO2 > 30 mol-%, pFlag or tWideFlag is set, an input is not a finite
// number, d is not above zero, a content is negative or CO2 and N2 sum above 100 mol-%, or the
// core gives no positive finite Z. tNarrowFlag is only reported. highHsOption
// applies the correction above Hs 39.8 MJ/m3.
int Nx19ModZ(double Hs, double d, double CO2, double N2, double p, double T, double* Z,
             uint8_t* tWideFlag, uint8_t* pFlag, uint8_t* tNarrowFlag, uint8_t highHsOption);

// NX-19 mod core on relative density; p in bar, t in degC, fractions as mole fractions.
double Nx19ModCore(double p, double t, double xN2, double xCO2, double d, double Hs,
                   uint8_t highHsOption);

// NX-19 Z at reduced pressure pi and reduced temperature tau, with the low-temperature factor
// and no limit; NaN when it cannot be evaluated.
double Nx19Core(double pi, double tau);

// Z times the high-calorific-value correction factor; p in bar, t in degC, Hs in MJ/m3.
double Nx19HighHsCorrection(double p, double t, double Hs, double d, double xCO2, double Z);
