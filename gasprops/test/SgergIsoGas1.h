// The SGERG-88 reference points of ISO 12213-3, Annex C, gas 1
// (test/data/sgerg88-iso12213-3-gas1.csv).
#pragma once

#include <vector>

// One published point: the gas by the standard's inputs (Hs in MJ/m3, relative density, CO2 and
// H2 as mole fractions), the state (bar, K) and Z with its absolute tolerance.
struct SgergIsoPoint {
    double Hs, d, xCO2, xH2, p, T, Z, tolerance;
};

// Reads the points by column name into `points` and asserts that there are ten, each in range:
// positive gas data, state and Z, mole fractions that leave room for methane, and a tolerance no
// looser than one unit of the fifth printed decimal of Z. Call it in ASSERT_NO_FATAL_FAILURE.
void LoadSgergIsoGas1(std::vector<SgergIsoPoint>& points);
