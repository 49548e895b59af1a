// A self-contained AGA8-92 DETAIL calculator (AGA Report No. 8, 1992/1994; ISO 12213-2) for an
// analysis reduced to twelve components: CH4, C2H6, C3H8, iC4H10, nC4H10, iC5H12, nC5H12, C6H14
// (with C7H16 and C8H18), N2 (with O2 and Ar), CO2, He, H2. Water, H2S, CO, C9H20, C10H22 and the
// components from index 21 on are not used; the fractions are not renormalised.
//
// The object keeps every composition-independent pair and term product, recomputes the mixture
// parameters only when a load finds a different composition (every fraction is compared), solves
// the density by Newton's method and derives the isentropic exponent and the speed of sound
// with a GERG-2008 ideal-gas part. One instance, made by the Run hook and never destroyed; used
// from the calculation task only (no lock). Nothing allocates or throws after construction.
#pragma once

#include <cstdint>

#include "Aga8DetailCommon.h"
#include "FbDo.h"

class Aga8Calculator12 {
  public:
    static constexpr int kComponents = 12;
    static constexpr int kLoadedFractions = 16;
    static constexpr int kCompositionSize = 26;  // GasComposition, mol-%

    // Clears the mixture values and runs precompute. No framework call.
    Aga8Calculator12() noexcept;

    // Builds the calculator in `storage` (at least sizeof(Aga8Calculator12) bytes suitably
    // aligned for it, as the Run hook obtains them from operator new) and returns it; given null,
    // obtains the storage itself from operator new (nothrow) and returns null when there is none.
    // The object is never destroyed. No framework call.
    static Aga8Calculator12* Construct(void* storage) noexcept;

    // The per-cycle entry: loads `composition` (26 values, mol-%; null: nothing happens); with a
    // node, solves at p (bar absolute) and T (K) and writes Z to child 0 and the density (kg/m3)
    // to child 1, both with status 0, or Z 1.0 and density 0.0 with 0x400 when the solve fails;
    // badInput adds bit 0x400 (bitwise OR) to the status either way.
    void update(const double* composition, double p, double T, FbDoNode node, uint8_t badInput);

    // Loads the composition (26 values, mol-%) and, when it differs from the last one in any
    // fraction, recomputes the mixture parameters and term coefficients. A composition with a
    // value that is negative or not finite, or whose 26 values do not sum to 99 to 101 mol-%, is
    // not usable: it is not mixed, and the solve and the properties fail until a usable one is
    // loaded (which then always counts as a change).
    void setComposition(const double* composition);

    // Z at p (bar absolute) and T (K) for the loaded composition. Returns 1 on success, 0 on
    // failure with Z = 1.0 (no convergence in ten Newton steps, p or T not a positive finite
    // number, no component of the twelve, a composition that is not usable). Traces 0x40007 (P MPa,
    // T) at each solve, 0x40017 (Z, Z - 1, derivative term) on success, 0x40057 when it gives up,
    // 0x40067 (D, steps) when Newton's method converges.
    uint8_t solveDensity(double p, double T, double& Z);

    // The reduced density K^3*rho and the derivative term d(D*Z)/dD - 1 of the latest solve.
    void getResults(double& D, double& derivativeTerm) const;

    // Isentropic exponent and speed of sound (m/s) at T (K) for Z, reduced density D and the
    // derivative term of a solve. Returns 1 on success; 0 (outputs untouched) when the loaded
    // composition is not usable, T, M or Z is not a positive finite number, cv/R is not above zero,
    // or a result is not a positive finite number.
    uint8_t properties(double T, double Z, double D, double derivativeTerm,
                       double& isentropicExponent, double& speedOfSound) const;

    // Molar mass (g/mol) and mixture size parameter K of the loaded composition.
    double molarMass() const { return M; }
    double sizeParameter() const { return K; }
    // 1 when the last load found a difference.
    uint8_t compositionChanged() const { return changed; }

  private:
    void precompute();
    void loadComposition(const double* composition);
    void mixSize();
    void mixParameters();
    void termCoefficients();
    uint8_t newtonDensity(double P, double T);
    // Z - 1 into zMinusOne and the derivative term at the current D and T.
    void zTerms(double T);
    double coefficientC(int n) const;
    // Fills inverseTemperaturePower with T^-u_n when T differs from the cached temperature.
    void temperaturePowers(double T);

    uint8_t changed;
    uint8_t usable;  // the last loaded composition can be mixed
    double K;
    double reducedPressure;  // 1000 * P * K^3 / R, P in MPa
    double D;
    double derivativeTerm;
    double M;
    double F, G, Q, U;
    double lastFractions[kLoadedFractions];
    double x[kComponents];
    double xx[kComponents][kComponents];
    double Cstar[kAga8Terms];
    double Bcoef[kAga8Terms];
    double K15[kComponents], K25[kComponents], E25[kComponents];
    double Kij5[kComponents][kComponents], Uij5[kComponents][kComponents];
    double EijU[kAga8VirialTerms][kComponents][kComponents];
    double Bnij[kAga8VirialTerms][kComponents][kComponents];
    // The composition-independent factor of S_n per pair: E_ij*^u_n B_nij K_i^1.5 K_j^1.5.
    double virialPair[kAga8VirialTerms][kComponents][kComponents];
    double sizePairTerm[kComponents][kComponents];
    double energyPairTerm[kComponents][kComponents];

    // Work values of the latest evaluation.
    double zMinusOne;
    double cachedTemperature;
    double inverseTemperaturePower[kAga8Terms];
};
