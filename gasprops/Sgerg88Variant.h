// SGERG-88 compression factor from the superior calorific value Hs, the relative density d and
// up to two of the contents of CO2, N2 and H2, chosen by an input variant:
//   0: CO2 given (N2 solved)        1: N2 given (CO2 solved)
//   2: CO2 and H2 given (N2 solved) 3: N2 and H2 given (CO2 solved)
//   4: CO2 and N2 given (Hs only range-checked)
// Contents a variant does not use are set to zero after the range check. The form keeps its
// working composition in module storage between its normal-state and operating-state steps, so
// calls must not overlap (calculation task only).
#pragma once

#include <cstdint>

// Compression factor at p (bar absolute) and T (K). Hs in MJ/m3 (25 degC combustion, 273.15 K
// and 1.01325 bar metering), d relative density, contents in mol-%. `wide` selects wide-range
// mode (wider range bounds, no carbon monoxide, start value of B 0); `check` applies the input
// range check. Returns 1 and writes Z on success; on any failure writes Z = 1.0 and returns 0.
// Whatever the range-check option, an input outside the physical domain fails: Hs, d, p or T
// not a finite number above zero, a content the variant uses outside 0 to 100 mol-%, or the
// contents it uses summing above 100 mol-%. Traces id 5 (one integer, eight doubles) after a
// successful normal-state solution, also when the operating state then fails.
int SgergZVariant(int variant, double Hs, double d, double CO2, double N2, double H2, double p,
                  double T, double* Z, uint8_t wide, uint8_t check);

// The two-mode virial routine of this form. mode 1 (at T = 273.15 K) solves the normal state,
// stores the working composition and gives B at T with C = 0; mode 0 gives the mixture B and C
// at T for the stored composition. Returns 1 on success, 0 on failure (range check, variant, no
// convergence within 30 passes, B11*B33 < 0, C111 < 0, inputs not usable).
int SgergVirial(int variant, double T, double Hs, double d, double CO2, double N2, double H2,
                double& B, double& C, int mode, uint8_t wide, uint8_t check);

// Mode-0 coefficients at T, then Z = 1 + B*rho + C*rho^2 by successive substitution (at most 30
// passes, tolerance 1e-6). Returns Z, or 0.0 on failure (also for p not a finite number above
// zero).
double SgergOperatingZ(int variant, double Hs, double d, double CO2, double N2, double H2, double p,
                       double T, uint8_t wide, uint8_t check);

// Cube root of any finite x by Newton's method after scaling into [0.125, 1); NaN for a value
// that is not finite.
double CubeRootNewton(double x);
