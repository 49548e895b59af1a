// Entry of the AGA8-92 DETAIL compression factor: the per-site cache of mixture terms,
// temperature terms and result, and the choice of the solve mode.
#include <cmath>
#include <cstring>

#include "Aga8DetailInternal.h"
#include "GasTrace.h"

namespace {

// Whether `composition` and `rangeCheck` are the ones the state holds (bitwise comparison).
bool IsCachedComposition(const Aga8State& state, const double* composition, uint8_t rangeCheck) {
    return state.valid != 0 && state.rangeCheck == rangeCheck &&
           std::memcmp(state.composition, composition, sizeof state.composition) == 0;
}

void TakeComposition(Aga8State& state, const double* composition, uint8_t rangeCheck,
                     Aga8RangeFlags& rangeFlags) {
    state.valid = 1;
    state.compositionChanged = 1;
    state.rangeCheck = rangeCheck;
    std::memcpy(state.composition, composition, sizeof state.composition);
    std::memset(rangeFlags.flags, 0, sizeof rangeFlags.flags);
    if (rangeCheck != 0 && Aga8RangeCheck(composition, rangeFlags) != 0) {
        GasTrace(0x10035, TraceFormat());
        state.compositionFailed = 1;
    } else if (Aga8MixTerms(composition, state) == 0) {
        GasTrace(0x10045, TraceFormat());
        state.compositionFailed = 1;
    } else {
        state.compositionFailed = 0;
    }
}

// T^u_n applied to `value` from the table of half powers of T: divides for positive u_n,
// multiplies by the reciprocal exponent for negative u_n.
double DivideByTPowU(double value, const double* Tpow, int twoU) {
    return twoU >= 0 ? value / Tpow[twoU] : value * Tpow[-twoU];
}

}  // namespace

void Aga8TemperatureTerms(double T, Aga8State& state, bool compositionChanged,
                          bool temperatureChanged) {
    if (temperatureChanged) {
        GasTrace(0x10007, TraceFormat());
        FillHalfPowers(std::sqrt(T), state.Tpow);
    }
    if (!compositionChanged && !temperatureChanged) {
        return;
    }
    GasTrace(0x10017, TraceFormat());
    for (int n = kAga8FirstCTerm; n < kAga8Terms; ++n) {
        state.Ct[n] = DivideByTPowU(state.Cs[n], state.Tpow, gAga8Setup.twoU[n]);
    }
    double B = 0.0;
    for (int n = 0; n < kAga8VirialTerms; ++n) {
        if (state.Bs[n] != 0.0) {
            B += DivideByTPowU(state.Bs[n], state.Tpow, gAga8Setup.twoU[n]);
        }
    }
    state.B = B;
}

uint8_t Aga8FinishResult(Aga8State& state, uint8_t failed, double* zOut) {
    state.failed = failed;
    if (failed != 0) {
        state.Z = 1.0;
    }
    if (zOut != nullptr) {
        *zOut = state.Z;
    }
    return failed;
}

uint8_t Aga8ZDensity(Aga8State& state, double p, double T, const double* composition, double* zOut,
                     Aga8RangeFlags& rangeFlags, uint8_t rangeCheck, uint8_t solveMode,
                     uint8_t* recalculated) {
    if (!IsCachedComposition(state, composition, rangeCheck)) {
        TakeComposition(state, composition, rangeCheck, rangeFlags);
    }
    if (state.compositionFailed != 0) {
        return Aga8FinishResult(state, 1, zOut);
    }
    // The temperature terms divide by powers of T and the solves take logarithms: a condition
    // that is not a finite number (or T not positive) fails here, and the next valid call solves
    // afresh.
    if (!std::isfinite(p) || !std::isfinite(T) || !(T > 0.0)) {
        state.hasResult = 0;
        return Aga8FinishResult(state, 1, zOut);
    }
    const bool compositionChanged = state.compositionChanged != 0;
    const bool pressureChanged = p != state.p;
    const bool temperatureChanged = T != state.T;
    Aga8TemperatureTerms(T, state, compositionChanged, temperatureChanged);
    if (!compositionChanged && !pressureChanged && !temperatureChanged && state.hasResult != 0) {
        return Aga8FinishResult(state, state.failed, zOut);
    }
    GasTrace(0x10057, TraceFormat());
    state.hasResult = 1;
    state.compositionChanged = 0;
    state.p = p;
    state.T = T;
    if (recalculated != nullptr) {
        *recalculated = 1;
    }
    int status = 1;
    if (solveMode == kAga8SolveNewton) {
        state.Z = Aga8Density(p, T, state.D, state, status);
    } else {
        state.Z = Aga8DensityBracketed(p, T, state.B, state.K3, state.Ct, status);
    }
    return Aga8FinishResult(state, status <= 0 ? 1 : 0, zOut);
}
