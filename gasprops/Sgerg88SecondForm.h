// SGERG-88 form on base density, CO2 and N2 (no calorific value, no hydrogen), with the
// isentropic-exponent and speed-of-sound correlations evaluated with it. The normal-state
// compression factor comes from an explicit start-value formula and the operating-state virial
// equation is solved in closed form. Reference volume: ideal gas at 293.15 K and 1.01325 bar.
// No state; every entry returns 1 on success and 0 on failure and then leaves its result as
// the caller set it.
#pragma once

// Compression factor at p (bar absolute) and T (K) of the gas of base density rho (kg/m3 at
// 293.15 K, 1.01325 bar) with CO2 and N2 in mol-%. Fails when rho, p or T is not a finite number
// above zero, a content lies outside 0 to 100 mol-% or both sum above 100 mol-%, the hydrocarbon
// fraction is zero, B11*B33 or one of C111, C222, C333 is negative, the closed form has no real
// root, or the result is not a positive finite number. Traces 0x30007 (rho, CO2, N2) on entry
// and 0x30017 (Z) on success.
int SgergZ(const double* rho, const double* CO2, const double* N2, const double* p, const double* T,
           double* Z);

// Normal-state compression factor Zn = 1 - (0.0741*rho - 0.006 - 0.063*xN2 - 0.0575*xCO2)^2,
// fractions as mole fractions. Always returns 1.
int SgergStartZn(const double* rho, const double* xN2, const double* xCO2, double* Zn);

// Isentropic exponent of the gas at p (bar) and T (K); p = 0 gives the ideal-gas limit. Fails
// when p is negative or not finite, rho or T is not a finite number above zero, N2 lies outside
// 0 to 100 mol-%, or the result is not a positive finite number. Traces 0x30027 (kappa) on success.
int SgergExtProperty1(const double* rho, const double* N2, const double* p, const double* T,
                      double* kappa);

// Speed of sound in m/s from Z and kappa at T (K). Fails unless rho, T, Z and kappa are finite
// numbers above zero, CO2 and N2 lie within 0 to 100 mol-% and sum to at most 100 mol-%, and the
// result is finite. Traces 0x30037 (w) on success.
int SgergExtProperty2(const double* rho, const double* CO2, const double* N2, const double* T,
                      const double* Z, const double* kappa, double* w);
