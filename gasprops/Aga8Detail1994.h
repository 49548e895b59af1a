// AGA8-92 DETAIL compressibility (AGA Report No. 8, 1994 edition) organised like the report's
// reference procedure, with the AGA Report No. 10 heat capacities, speed of sound and isentropic
// exponent of the flowing state (Aga10Properties.h).
//
// One persistent parameter object holds the equation tables, the characterisation of the current
// gas and the caches: the characterisation runs only when the composition changes, the base state
// is solved only when the base conditions or the composition change. The molar density is found
// by bracketing the root of the pressure equation and refining it with Brent's method.
//
// Components in AGA8 order (0 methane ... 20 argon). Units inside: MPa, K, mol/dm3, g/mol, kg/m3.
// One instance, used from the calculation task only; no tracing, no allocation, no throw.
#pragma once

#include <cstdint>

#include "Aga8DetailCommon.h"

// Status of a call.
enum : int32_t {
    kAga8Detail1994Ok = 0,
    kAga8Detail1994NoPositiveZ = 3,     // Zb or Zf not above zero, or state not computable
    kAga8Detail1994NoConvergence = 4,   // no bracket in 200 passes or Brent not in 150 passes
    kAga8Detail1994NoPressureRise = 5,  // pressure stopped rising with density (liquid, p <= 0)
    kAga8Detail1994PassedMaximum = 6,   // only inside the bracketing
    kAga8Detail1994NoProperties = 7,    // k, speed of sound or isentropic exponent not computable
    kAga8Detail1994BadComposition = 8,  // a fraction negative or not finite, or the sum not 100 %
};

// Result record of one call.
struct Aga8Detail1994Result {
    int32_t status;
    double x[kAga8Components];  // mole fractions of the call (percent / 100)
    double basePressure;        // Pa
    double baseTemperature;     // K
    double flowingPressure;     // Pa
    double flowingTemperature;  // K
    double M;                   // molar mass of the mixture, g/mol
    double Zb;
    double Zf;
    double Df;                  // flowing molar density, mol/dm3
    double flowingMassDensity;  // kg/m3
    double cp;                  // J/(kg K)
    double cv;                  // J/(kg K)
    double k;                   // cp/cv
    double kappa;               // isentropic exponent
    double w;                   // speed of sound, m/s
};

// The parameter object. Zero at program start; Aga8Detail1994Init prepares it, or the first call
// of Aga8Detail1994Props when no one did.
struct Aga8Detail1994Data {
    uint8_t prepared;  // Aga8Detail1994Init has run

    // Reduced density D = K3*rho of the density last passed to ReducedDensityPowers: Dpow[k] = D^k
    // (k = 0 to 9) and expD[k] = exp(-D^k) (k = 1 to 4).
    double reducedDensity;
    double Dpow[10];
    double expD[5];

    // Component list: methane and nitrogen always, then every other component whose fraction is
    // not zero, ascending.
    int32_t listCount;
    int32_t listIndex[kAga8Components];

    // Caches: the fractions of the last characterisation (compared one by one), whether one has
    // been made, and the base state of the last base-state solve with its outcome.
    uint8_t characterised;
    double characterisedFractions[kAga8Components];
    // The mole percentages last stored in the result record (checked and converted), while
    // percentagesStored is set.
    uint8_t percentagesStored;
    double storedPercentages[kAga8Components];
    double cachedBasePressure;     // Pa
    double cachedBaseTemperature;  // K
    double cachedZb;
    int32_t cachedBaseStatus;

    // Term constants a_n, u_n (index n - 1).
    double a[kAga8Terms];
    double u[kAga8Terms];

    // Listed-component parameters, in list order.
    double Mi[kAga8Components], Ei[kAga8Components];
    double Ki[kAga8Components], Gi[kAga8Components];
    double Qi[kAga8Components], Fi[kAga8Components];
    double Si[kAga8Components], Wi[kAga8Components];

    // Listed-pair parameters (row list position i, column j >= i).
    double Eij[kAga8Components][kAga8Components];
    double Uij[kAga8Components][kAga8Components];
    double Kij[kAga8Components][kAga8Components];
    double Gij[kAga8Components][kAga8Components];

    // Binary tables by component index, upper triangle with diagonal (1.0 where not listed).
    double binaryE[kAga8Components][kAga8Components];
    double binaryU[kAga8Components][kAga8Components];
    double binaryK[kAga8Components][kAga8Components];
    double binaryG[kAga8Components][kAga8Components];

    // Composition-independent terms by component index (pairs i <= j), derived once from the
    // tables so that a characterisation calls no power function: K_i^2.5, E_i^2.5,
    // (K_i K_j)^2.5, (E_i E_j)^2.5 and, per virial term n, the pair's factor of the virial sum
    // before the weight and a_n: (K_i K_j)^1.5 E_ij^u_n B*_nij with E_ij = E*_ij sqrt(E_i E_j).
    double pureK25[kAga8Components], pureE25[kAga8Components];
    double pairK25[kAga8Components][kAga8Components];
    double pairE25[kAga8Components][kAga8Components];
    double pairVirial[kAga8Components][kAga8Components][kAga8VirialTerms];

    // Pure tables Q, F, S, W by component index.
    double pureQ[kAga8Components], pureF[kAga8Components];
    double pureS[kAga8Components], pureW[kAga8Components];

    // Listed mole fractions, in list order.
    double xList[kAga8Components];

    // State being solved.
    double pressureAtDensity;    // MPa, at the last evaluated density
    double T;                    // K
    double P;                    // MPa
    double B;                    // dm3/mol
    double S[kAga8VirialTerms];  // composition-dependent virial sums

    // Temperature terms: C*_n (index n - 1, n = 13 to 58 filled) and the 18 virial terms
    // S_n*T^-u_n; the C*_n summed per group of terms that share their density exponents
    // (b_n, c_n, k_n), and their sum over n = 13 to 18. They belong to the temperature termsT of
    // the characterised composition while termsValid is set.
    double Cstar[kAga8Terms];
    double virialTerms[kAga8VirialTerms];
    double groupCstar[kAga8Terms];
    double sumCstarVirial;
    // The same sums of -u_n C*_n and u_n (u_n + 1) C*_n, for the temperature derivatives of Z,
    // formed from C*_n by the AGA Report No. 10 step (TemperatureDerivativeTerms); they belong to
    // the current temperature terms while derivativeTermsValid is set.
    double groupFirst[kAga8Terms];
    double sumFirstVirial;
    double groupSecond[kAga8Terms];
    double sumSecondVirial;
    uint8_t derivativeTermsValid;
    double termsT;
    uint8_t termsValid;

    // Mixture parameters.
    double U, K3, G, Q2, F;
    // a_n times the switch (G, Q2, F or 1) of each density term n = 13 to 58 (index n - 1) for
    // these parameters: C*_n is this times Tr^-u_n.
    double termFactor[kAga8Terms];

    // Density solve.
    double rho;  // mol/dm3
    double rhoLow, rhoHigh, pLow, pHigh;

    // Power caches: (sqrt T)^k and (1/sqrt T)^k of the state's T; the reduced temperature
    // Tr = T/U of the next group and (sqrt Tr)^k, (1/sqrt Tr)^k. Each table is filled as far as
    // the terms' exponents reach.
    double Tpow[kAga8HalfPowers];
    double TpowInverse[kAga8HalfPowers];
    double Tr;
    double Trpow[kAga8HalfPowers];
    double TrpowInverse[kAga8HalfPowers];

    // Derivatives (AGA Report No. 10 step).
    double Z;
    double dZdT, d2ZdT2, dZdrho, dBdT, d2BdT2;
    // Ideal-gas cp0 (J/(mol K)) of the characterised composition at idealCpT, while idealCpValid
    // is set.
    double idealCp;
    double idealCpT;
    uint8_t idealCpValid;

    Aga8Detail1994Result result;
};

// Clears the caches and loads a_n, u_n and the binary tables. Always returns 0.
int32_t Aga8Detail1994Init(Aga8Detail1994Data& data);

// Solves the base state (pb bar, Tb K) and the flowing state (pf bar, Tf K) of the gas `percent`
// (21 mole percentages, used as they come: not normalised), then the AGA Report No. 10 values of
// the flowing state. Results and status in data.result; the caller uses k, kappa and w only
// when the status is 0. Prepares a zeroed object first (Aga8Detail1994Init) when no one did.
// A fraction that is negative or not finite, or percentages that do not sum to 99 to 101, give
// kAga8Detail1994BadComposition with Zb, Zf, Df and the mass density 0, and leave the caches as
// they were; a pressure of zero or below ends with kAga8Detail1994NoPressureRise, a temperature
// that is not a finite number above zero with kAga8Detail1994NoPositiveZ.
void Aga8Detail1994Props(Aga8Detail1994Data& data, double pb, double Tb, double pf, double Tf,
                         const double* percent);

// Inner operations, in calling order; shared with the AGA Report No. 10 step.
namespace aga8detail1994 {
// Step 1 of Aga8Detail1994Props: prepares a zeroed object, then stores the four conditions (Pa,
// K) and the fractions (percent / 100) in the result record. Returns false, with the status
// kAga8Detail1994BadComposition and the results 0, for a composition that is not whole.
bool StoreInputs(Aga8Detail1994Data& data, double pb, double Tb, double pf, double Tf,
                 const double* percent);
void LoadEquationTables(Aga8Detail1994Data& data);
void Aga8Detail1994Solve(Aga8Detail1994Data& data);
// True when any fraction differs from the characterised one (or none was characterised yet);
// then the fractions are stored as the characterised ones.
bool CompositionChanged(Aga8Detail1994Data& data);
void LoadComponentParameters(Aga8Detail1994Data& data);
void MixtureParameters(Aga8Detail1994Data& data);
void TemperatureTerms(Aga8Detail1994Data& data);
// The sums of the temperature derivatives of C*_n per group (groupFirst, groupSecond) and over
// n = 13 to 18, from the C*_n of the last TemperatureTerms, when they are not yet formed for
// them; the property step calls it.
void TemperatureDerivativeTerms(Aga8Detail1994Data& data);
void VirialCoefficient(Aga8Detail1994Data& data);
void TemperaturePowers(Aga8Detail1994Data& data);
void ReducedTemperaturePowers(Aga8Detail1994Data& data);
// Solves P(rho) = data.P at data.T; leaves data.rho and the status in data.result.status.
void SolveDensity(Aga8Detail1994Data& data);
void BracketDensity(Aga8Detail1994Data& data);
double PressureAtDensity(Aga8Detail1994Data& data, double rho);
void ReducedDensityPowers(Aga8Detail1994Data& data, double rho);
double CompressibilityAtDensity(Aga8Detail1994Data& data, double rho);
// Sum over the groups of terms 13 to 58 of coefficient[g] times the group's density part
// (b - c k D^k) D^b exp(-c D^k), minus D times virialShare (the terms 13 to 18), at the object's
// current reduced-density values.
double GroupedDensitySum(const Aga8Detail1994Data& data, const double* groupCoefficients,
                         double virialShare);
// Sum over the groups of terms 13 to 58 of coefficient[g] times the derivative with respect to D
// of the group's D times density part, D^(b-1) exp(-c D^k) ((b - c k D^k)^2 - c k^2 D^k), minus
// virialShare (the terms 13 to 18), for the given reduced-density powers and exponentials.
double GroupedDensityDerivativeSum(const double* Dpow, const double* expD,
                                   const double* groupCoefficients, double virialShare);
// The coefficients of one grouped sum: per group, and the share of the terms 13 to 18.
struct GroupedSum {
    const double* groupCoefficients;
    double virialShare;
};
// GroupedDensitySum for two coefficient sets in one pass over the groups; each sum is formed in
// the same order as there.
void GroupedDensitySums(const Aga8Detail1994Data& data, const GroupedSum& first,
                        const GroupedSum& second, double& firstSum, double& secondSum);
double FifthPower(double x);
// Gives T^-u from the half-power tables of T ((sqrt T)^k and (1/sqrt T)^k, k = 0 to 46), u a
// multiple of 0.5.
double InversePower(const double* halfPowers, const double* inverseHalfPowers, double u);
}  // namespace aga8detail1994
