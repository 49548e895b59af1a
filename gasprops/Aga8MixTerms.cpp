// Composition-dependent parts of AGA8-92 DETAIL: the pipeline-quality range check and the
// mixture terms (size, energy, orientation, quadrupole and high-temperature parameters, the
// composition part of the second virial coefficient and of the C*_n coefficients).
#include <cmath>

#include "Aga8DetailInternal.h"
#include "tables/aga8_detail_constants.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"

namespace {

// Binary parameters differ from 1 only for pairs with i <= this and j <= kLastBinaryJ.
constexpr int kLastBinaryI = 7;
constexpr int kLastBinaryJ = 18;

struct PureSums {
    double K = 0.0;  // sum x_i K_i^2.5, squared, plus the binary part: K^5
    double U = 0.0;  // sum x_i E_i^2.5, squared, plus the binary part: U^5
    double G = 0.0;
    double Q = 0.0;
    double F = 0.0;
    double M = 0.0;
};

PureSums SumPureComponents(const double* x) {
    PureSums s;
    for (int i = 0; i < kAga8Components; ++i) {
        const Aga8DetailComponent& c = kAga8DetailComponents[i];
        if (x[i] > 0.0) {
            s.K += x[i] * gAga8Setup.Ki25[i];
            s.U += x[i] * gAga8Setup.Ei25[i];
            s.G += x[i] * c.G;
            if (c.Q != 0.0) {
                s.Q += x[i] * c.Q;
            }
        }
        s.M += x[i] * c.M;
    }
    constexpr int kHydrogen = 7;
    s.F = x[kHydrogen] * x[kHydrogen];
    s.K *= s.K;
    s.U *= s.U;
    return s;
}

void AddBinaryParts(const double* x, PureSums& s) {
    const Aga8SetupTables& t = gAga8Setup;
    for (int i = 0; i <= kLastBinaryI; ++i) {
        if (!(x[i] > 0.0)) {
            continue;
        }
        for (int j = i + 1; j <= kLastBinaryJ; ++j) {
            if (!(x[j] > 0.0)) {
                continue;
            }
            const double w = x[i] * x[j];
            if (t.KpairFlag[i][j] != 0) {
                s.K += w * t.Kpair[i][j];
            }
            if (t.UpairFlag[i][j] != 0) {
                s.U += w * t.Upair[i][j];
            }
            if (t.GpairFlag[i][j] != 0) {
                s.G += w * t.Gpair[i][j];
            }
        }
    }
}

void SecondVirialSums(const double* x, double (&Bs)[kAga8VirialTerms]) {
    // Accumulated locally so that the compiler keeps the sums in registers.
    double sums[kAga8VirialTerms] = {};
    for (int i = 0; i < kAga8Components; ++i) {
        if (!(x[i] > 0.0)) {
            continue;
        }
        for (int j = i; j < kAga8Components; ++j) {
            if (!(x[j] > 0.0)) {
                continue;
            }
            const double weight = (i == j) ? x[i] * x[j] : 2.0 * x[i] * x[j];
            const double* pair = gAga8Setup.pairVirial[i][j];
            for (int n = 0; n < kAga8VirialTerms; ++n) {
                sums[n] += weight * pair[n];
            }
        }
    }
    for (int n = 0; n < kAga8VirialTerms; ++n) {
        Bs[n] = kAga8DetailTerms[n].a * sums[n];
    }
}

void CoefficientSums(const PureSums& s, double (&Cs)[kAga8Terms]) {
    for (double& c : Cs) {
        c = 0.0;
    }
    double rootUPow[kAga8HalfPowers];
    FillHalfPowers(std::pow(s.U, 0.1), rootUPow);
    const double Q2 = s.Q * s.Q;
    for (int n = kAga8FirstCTerm; n < kAga8Terms; ++n) {
        const Aga8DetailTerm& term = kAga8DetailTerms[n];
        const int twoU = gAga8Setup.twoU[n];
        double c = twoU >= 0 ? term.a * rootUPow[twoU] : term.a / rootUPow[-twoU];
        if (term.g != 0) {
            c *= s.G;
        }
        if (term.q != 0) {
            c *= Q2;
        }
        if (term.f != 0) {
            c *= s.F;
        }
        Cs[n] = c;
    }
}

}  // namespace

int Aga8RangeCheck(const double* composition, Aga8RangeFlags& rangeFlags) {
    int violated = 0;
    double sum = 0.0;
    for (int i = 0; i < kAga8Components; ++i) {
        const double v = composition[i];
        if (v < 0.0 || !std::isfinite(v)) {
            rangeFlags.flags[i] = 1;
            violated = 1;
        } else {
            sum += v;
        }
    }
    if (!(sum >= kAga8RangeMinSum && sum <= kAga8RangeMaxSum)) {
        rangeFlags.flags[kAga8SumFlag] = 1;
        violated = 1;
    }
    for (const Aga8RangeLimit& limit : kAga8RangeLimits) {
        double value = 0.0;
        for (int k = 0; k < limit.count; ++k) {
            value += composition[limit.components[k]];
        }
        const bool below = limit.lower > kAga8NoLowerLimit && value < limit.lower;
        if (below || value > limit.upper) {
            for (int k = 0; k < limit.count; ++k) {
                rangeFlags.flags[limit.components[k]] = 1;
            }
            violated = 1;
        }
    }
    return violated;
}

int Aga8MixTerms(const double* composition, Aga8State& state) {
    double sum = 0.0;
    for (int i = 0; i < kAga8Components; ++i) {
        if (composition[i] < 0.0) {
            return 0;
        }
        sum += composition[i];
    }
    // Written so that a NaN or infinite sum fails as well.
    if (!(sum >= kAga8MinCompositionSum && sum <= kAga8MaxCompositionSum)) {
        return 0;
    }
    for (int i = 0; i < kAga8Components; ++i) {
        state.x[i] = composition[i] > 0.0 ? composition[i] / sum : 0.0;
    }
    PureSums s = SumPureComponents(state.x);
    AddBinaryParts(state.x, s);
    if (!(s.K > 0.0) || !(s.U > 0.0)) {
        return 0;
    }
    SecondVirialSums(state.x, state.Bs);
    CoefficientSums(s, state.Cs);
    state.K3 = std::pow(s.K, 0.6);
    state.M = s.M;
    return 1;
}
