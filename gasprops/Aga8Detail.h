// AGA8-92 DETAIL compression factor (AGA Report No. 8 DETAIL characterization, ISO 12213-2) of a
// natural gas of up to 21 components, with a cache per calling site and two solve modes, and the
// thermodynamic properties derived from the same equation.
//
// Components in AGA8 order: 0 methane, 1 nitrogen, 2 carbon dioxide, 3 ethane, 4 propane,
// 5 water, 6 hydrogen sulfide, 7 hydrogen, 8 carbon monoxide, 9 oxygen, 10 isobutane, 11 n-butane,
// 12 isopentane, 13 n-pentane, 14 n-hexane, 15 n-heptane, 16 n-octane, 17 n-nonane, 18 n-decane,
// 19 helium, 20 argon. Compositions are 21 doubles in mol-%.
//
// Every function runs on the calling task only and keeps no state of its own besides the
// read-only tables that Aga8Setup fills once; each calling site owns its Aga8State.
// Nothing here throws or allocates.
#pragma once

#include <cstdint>
#include <type_traits>

#include "Aga8DetailCommon.h"

// Solve modes of Aga8ZDensity.
enum : uint8_t {
    kAga8SolveBracketed = 0,  // compressibility equation, bracketing root search
    kAga8SolveNewton = 1,     // Helmholtz form, Newton iteration on ln(1/D)
};

// Cache of one calling site. Zero-initialised means "nothing stored"; only Aga8ZDensity writes
// it. Callers read M (after a successful call), Z, failed and, in solve mode 1, D.
struct Aga8State {
    double M;                             // molar mass of the normalised mixture, g/mol
    double K3;                            // K^3 of the mixture, (dm3/mol)
    double Bs[kAga8VirialTerms];          // composition part of the second-virial terms n = 1..18
    double Cs[kAga8Terms];                // composition part of C*_n, n = 13..58 (first 12 stay 0)
    double x[kAga8Components];            // normalised mole fractions; 0 where not positive
    double Tpow[kAga8HalfPowers];         // (sqrt T)^k
    double B;                             // second virial coefficient, dm3/mol
    double Ct[kAga8Terms];                // C*_n at the stored temperature, n = 13..58
    double composition[kAga8Components];  // composition of the last call as passed (cache key)
    double p;                             // pressure of the last solve, bar (cache key)
    double T;                             // temperature of the last solve, K (cache key)
    uint8_t valid;                        // 1 once a composition has been stored
    uint8_t rangeCheck;          // range-check option of the stored composition (cache key)
    uint8_t compositionChanged;  // a new composition was stored and not yet solved
    uint8_t compositionFailed;   // the stored composition failed the range check or the mix
    uint8_t hasResult;           // Z and failed belong to (composition, p, T)
    double Z;                    // compression factor of the last solve (1.0 after failure)
    uint8_t failed;              // the last result failed
    double D;                    // molar density of the last solve in mode 1, mol/dm3
};

// One flag per component in AGA8 order and flag 21 for the component sum; 1 marks a value
// outside the pipeline-quality range.
inline constexpr int kAga8SumFlag = 21;
struct Aga8RangeFlags {
    uint8_t flags[kAga8Components + 1];
};

// Both records live in a program data block that is cleared to zero at start.
static_assert(std::is_trivial<Aga8State>::value, "Aga8State starts as zeroed memory");
static_assert(sizeof(Aga8RangeFlags) == kAga8Components + 1, "22 bytes");

// Fills the read-only set-up tables (binary matrices, derived pair tables, E_ij^u_n, ideal-gas
// coefficients). Call once before any other function of this header.
void Aga8Setup();

// Compression factor at p (bar absolute) and T (K) of `composition` (21 values, mol-%).
// Returns 1 when the result failed, 0 when it is valid. *zOut (when given) receives Z, 1.0 after
// a failure. rangeFlags is cleared and refilled whenever a composition or option other than the
// cached one is taken up (flags only with rangeCheck on); on a cache hit it is left alone.
// solveMode: kAga8SolveBracketed or kAga8SolveNewton; the mode is not part of the cache key, so
// a calling site keeps to one mode. *recalculated (when given) is set to 1 when this call ran a
// new solve; it is never cleared here.
// Fails (Z 1.0) for: a range-check violation (rangeCheck on), a negative or non-finite component,
// a sum outside 80 to 120 mol-%, p or T not finite or T not positive, p outside the solver's
// reach (mode 0: p not positive or above the ideal pressure at 40 mol/dm3; mode 1: p not
// positive), a solve that does not converge, and a Z that is not positive.
uint8_t Aga8ZDensity(Aga8State& state, double p, double T, const double* composition, double* zOut,
                     Aga8RangeFlags& rangeFlags, uint8_t rangeCheck, uint8_t solveMode,
                     uint8_t* recalculated);

// Speed of sound (m/s), isentropic exponent and cp/cv at *T (K) and the molar density *D
// (mol/dm3) of the gas whose mixture terms `state` holds. Call only after Aga8ZDensity reported
// a valid result in solve mode 1 with the same state, and pass that state's D. A state that never
// went through such a solve gives meaningless values; a negative squared speed of sound yields a
// speed of sound and an isentropic exponent of 0.
void Aga8Properties(const Aga8State& state, const double* T, const double* D, double* speedOfSound,
                    double* isentropicExponent, double* heatCapacityRatio);

// Pipeline-quality range check of ISO 12213-2 on the values as passed: sets the flag of every
// value out of range (negative values individually, flag 21 for a sum outside 99.99 to 100.01)
// and returns non-zero when any flag was set. Does not clear the flags.
int Aga8RangeCheck(const double* composition, Aga8RangeFlags& rangeFlags);
