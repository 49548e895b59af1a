// Internals of the AGA8-92 DETAIL method shared by its source files: the set-up tables that
// Aga8Setup fills once and the steps of Aga8ZDensity.
#pragma once

#include <cstdint>

#include "Aga8Detail.h"

// Index of term 13, the first term with a C*_n coefficient (terms 13 to 18 also have a B part).
inline constexpr int kAga8FirstCTerm = 12;
inline constexpr int kAga8DensityPowers = 10;       // density exponents b_n: 0 to 9
inline constexpr int kAga8DensityExponentials = 5;  // exponents k_n: 0 (none) to 4

// Read-only after Aga8Setup. Pair tables are indexed (i, j); only i <= j is read.
struct Aga8SetupTables {
    double Estar[kAga8Components][kAga8Components];
    double U[kAga8Components][kAga8Components];
    double K[kAga8Components][kAga8Components];
    double Gstar[kAga8Components][kAga8Components];
    double KiKj15[kAga8Components][kAga8Components];      // (K_i K_j)^1.5
    double QiQj[kAga8Components][kAga8Components];        // Q_i Q_j, 0 without quadrupoles
    double Kpair[kAga8Components][kAga8Components];       // 2 (K_ij^5 - 1)(K_i K_j)^2.5
    double Upair[kAga8Components][kAga8Components];       // 2 (U_ij^5 - 1)(E_i E_j)^2.5
    double Gij[kAga8Components][kAga8Components];         // G*_ij (G_i + G_j) / 2
    double Gpair[kAga8Components][kAga8Components];       // (G*_ij - 1)(G_i + G_j)
    uint8_t KpairFlag[kAga8Components][kAga8Components];  // K_ij != 1
    uint8_t UpairFlag[kAga8Components][kAga8Components];  // U_ij != 1
    uint8_t GpairFlag[kAga8Components][kAga8Components];  // G*_ij != 1
    double Eu[kAga8Components][kAga8Components][kAga8VirialTerms];  // E_ij^u_n
    // Pair value of the second-virial term n before the mole-fraction weight and a_n:
    // (K_i K_j)^1.5 times S_i S_j, Q_i Q_j, G_ij as switched and E_ij^u_n; 0 where the term does
    // not apply to the pair (a switched-on W, F, S or Q term needs both components to carry it).
    double pairVirial[kAga8Components][kAga8Components][kAga8VirialTerms];
    double Ei25[kAga8Components];  // E_i^2.5
    double Ki25[kAga8Components];  // K_i^2.5
    int16_t twoU[kAga8Terms];      // 2 u_n: index into the tables of half powers
    // Terms 13 to 58 grouped by their density exponents (b_n, k_n): at a fixed temperature the
    // density function of a group is one term with the summed coefficient. The groups are ordered
    // by k, then b: groups groupFirstOfK[k] to groupFirstOfK[k + 1] - 1 share exp(-D^k).
    int densityGroupCount;
    int groupFirstOfK[kAga8DensityExponentials + 1];
    int8_t densityGroupOfTerm[kAga8Terms];
    int8_t groupB[kAga8Terms];
    int8_t groupK[kAga8Terms];
    double groupBValue[kAga8Terms];  // groupB and groupK as doubles, for the density functions
    double groupKValue[kAga8Terms];
    // Ideal-gas coefficients, adjusted: n0_1 - ln(d0), n0_3 - 1; theta_4..theta_7 in K.
    double idealN0[kAga8Components][7];
    double idealTheta[kAga8Components][4];
};

extern Aga8SetupTables gAga8Setup;

// The temperature-dependent coefficients of one solve, summed per density group: everything the
// density functions need at a fixed temperature and composition.
struct Aga8DensityTerms {
    double B;                  // second virial coefficient, dm3/mol
    double K3;                 // K^3
    double sumCt13to18;        // sum of C*_n for n = 13 to 18 (their linear virial counterparts)
    double group[kAga8Terms];  // summed C*_n per density group
};

// Groups Ct (C*_n at the solve temperature) for the density functions.
void Aga8GroupDensityTerms(double B, double K3, const double* Ct, Aga8DensityTerms& terms);

// Z of the compressibility equation at D (mol/dm3).
double Aga8ZAtDensity(const Aga8DensityTerms& terms, double D);

// Reduced density derivatives of ar / (R T) at D: D d/dD and D^2 d2/dD2.
void Aga8DensityDerivatives(const Aga8DensityTerms& terms, double D, double& first, double& second);

// Composition-dependent terms of `composition` (21 values, mol-%) into the state (x, M, K3, Bs,
// Cs). Returns 1 on success, 0 for a negative or non-finite value, a sum outside 80 to 120 mol-%
// or mixture size/energy parameters that are not positive.
int Aga8MixTerms(const double* composition, Aga8State& state);

// Temperature terms: (sqrt T)^k when temperatureChanged; Ct and B when either flag is set.
void Aga8TemperatureTerms(double T, Aga8State& state, bool compositionChanged,
                          bool temperatureChanged);

// Solve mode 0: Z at p (bar) and T (K) from the compressibility equation with a bracketing root
// search on density. status: iterations used (> 0) on success, <= 0 on failure (Z 1.0).
double Aga8DensityBracketed(double p, double T, double B, double K3, const double* Ct, int& status);

// Solve mode 1: Z at p (bar) and T (K) by Newton's method on ln(1/D) with the Helmholtz form;
// D receives the converged molar density (mol/dm3). status as for Aga8DensityBracketed.
double Aga8Density(double p, double T, double& D, const Aga8State& state, int& status);

// Residual Helmholtz energy ar(T, D) of the DETAIL equation and its derivatives, ar[i][j] with i
// the order of the temperature and j of the density derivative: ar[0][0] (J/mol),
// ar[0][1] = D dar/dD, ar[0][2] = D^2 d2ar/dD2 (J/mol), ar[1][0] = T dar/dT (J/mol),
// ar[1][1] = D d2ar/dDdT, ar[2][0] = T d2ar/dT2 (J/(mol K)). maxTemperatureOrder 0 uses the
// state's B and Ct; 1 or 2 needs tPowNegU[n] = T^-u_n for the 58 terms.
void Aga8ResidualHelmholtz(const Aga8State& state, double T, double D, const double* tPowNegU,
                           int maxTemperatureOrder, double (&ar)[4][4]);

// Pressure (kPa), dP/dD (kPa dm3/mol) and Z at T (K) and D (mol/dm3), from the state's
// temperature terms (or from terms grouped once per solve).
void Aga8Pressure(const Aga8State& state, double T, double D, double& P, double& dPdD, double& Z);
void Aga8Pressure(const Aga8DensityTerms& terms, double T, double D, double& P, double& dPdD,
                  double& Z);

// Stores the outcome: failed flag, Z 1.0 after a failure, *zOut when given. Returns failed.
uint8_t Aga8FinishResult(Aga8State& state, uint8_t failed, double* zOut);
