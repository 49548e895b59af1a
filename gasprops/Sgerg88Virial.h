// Shared pieces of the SGERG-88 forms: the temperature functions of one coefficient table at a
// temperature, the mixing rules for the five-component working composition, and the input range
// check. Pure functions, no state.
#pragma once

#include "tables/sgerg88_virial.h"

// The temperature functions of a table evaluated at one temperature.
struct SgergTemperatureTerms {
    double b0, b1, b2;
    double c0, c1, c2;
    double B22, B23, B33, B14, B15, B44, B55, B24;
    double C222, C333, C223, C233, C444, C115;
    double T;  // K
};

// Working composition in mole fractions: equivalent hydrocarbon, N2, CO2, H2, CO.
struct SgergFractions {
    double xCH;
    double xN2;
    double xCO2;
    double xH2;
    double xCO;
};

// A cube root function (the forms differ in how they take it).
using SgergCubeRoot = double (*)(double);

// Evaluates every temperature function of `table` at T (K).
SgergTemperatureTerms SgergEvaluateAt(const SgergVirialTable& table, double T);

// B11 and C111 of the equivalent hydrocarbon of molar calorific value H (kJ/mol).
double SgergB11(const SgergTemperatureTerms& terms, double H);
double SgergC111(const SgergTemperatureTerms& terms, double H);

// Mixture second virial coefficient (m3/kmol) with all eleven terms. NaN when B11*B33 < 0.
double SgergMixtureB(const SgergTemperatureTerms& terms, const SgergFractions& x, double B11);

// Mixture third virial coefficient ((m3/kmol)^2) with all thirteen terms; the cube roots are
// taken with `cubeRoot`.
double SgergMixtureC(const SgergTemperatureTerms& terms, const SgergFractions& x, double C111,
                     SgergCubeRoot cubeRoot);

// Input range check (bounds inclusive): normal mode Hs >= 20 MJ/m3, d >= 0.55, H2 <= 30 mol-%;
// wide-range mode Hs >= 6 MJ/m3, d >= 0.06. A value that is not a number fails.
bool SgergInputInRange(double Hs, double d, double H2, bool wide);

// Cube root by the platform's power function with the exponent 0.3333333333333333; NaN for a
// negative argument.
double SgergPowCubeRoot(double x);
