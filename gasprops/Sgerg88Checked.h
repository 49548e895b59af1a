// SGERG-88 compression factor from Hs, relative density d, CO2 and H2 (nitrogen solved in the
// normal state), the standard SGERG-88 input set, with an optional input range check. The
// normal state is solved by secant steps on the hydrocarbon calorific value inside a loop that
// closes on Hs; the operating state by iteration on the molar volume. No state between calls.
#pragma once

#include <cstdint>

// Error codes of one calculation (0 = success).
enum : int16_t {
    kSgergErrorNone = 0,
    kSgergErrorInput = 1,        // an input outside the physical domain (checked also without
                                 // the range check)
    kSgergErrorMolarVolume = 2,  // molar-volume iteration not within tolerance in 100 passes
    kSgergErrorNormalState = 3,  // normal-state iteration reached 100 steps, or had no defined step
    kSgergErrorPlausibility = 6,  // normal density implausible (normal mode only)
};

// Compression factor at p (bar absolute) and T (K); Hs in MJ/m3, contents in mol-%. With `check`
// set, a failed range check returns 0 at once and leaves *Z untouched (no trace). Otherwise the
// calculation writes Z (1.0 on an error), traces 0x50005 (error code, Z, p, T, Hs, 1.292923*d,
// CO2, H2) and returns 1 when the error code is 0, else 0. Hs, d, p or T not a finite number
// above zero, CO2 or H2 outside 0 to 100 mol-% or both summing above 100 mol-% give error 1
// without a calculation.
int SgergZChecked(double Hs, double d, double CO2, double H2, double p, double T, double* Z,
                  uint8_t wide, uint8_t check);

// The calculation after the check, fractions as mole fractions. Returns Z, or 1.0 with `error`
// set; `xN2` receives the nitrogen fraction of the last normal-state step.
double SgergCore(double p, double T, double Hs, double d, double xCO2, double xH2, double& xN2,
                 uint8_t wide, int16_t& error);

// Normal density (kg/m3) of the composition that the hydrocarbon calorific value H (kJ/mol)
// implies at molar density rhoM (kmol/m3); writes M_CH, x_CH and x_N2 of that composition.
double SgergDensityForH(double H, double Hs, double rhoM, double xH2, double xCO, double xCO2,
                        double& MCH, double& xCH, double& xN2);

// Mixture B (m3/kmol) and C ((m3/kmol)^2) of this form at T; NaN when a root argument is negative.
double SgergMixB(double xCH, double xN2, double xCO2, double xH2, double xCO, double T, double H);
double SgergMixC(double xCH, double xN2, double xCO2, double xH2, double xCO, double T, double H);

// Z at p (bar) and T (K) by iteration on the molar volume (pressure tolerance 1e-5 bar, at most
// 100 passes). Returns 1.0 with error 2 when it does not converge or p, T, B, C are unusable.
double SgergMolarVolumeZ(double p, double T, double B, double C, int16_t& error);
