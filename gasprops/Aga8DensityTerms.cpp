// The density functions of AGA8-92 DETAIL at a fixed temperature and composition: Z and the
// density derivatives of the residual Helmholtz energy, evaluated per group of terms that share
// their density exponents.
#include <cmath>

#include "Aga8DetailInternal.h"

namespace {

constexpr int kMaxB = kAga8DensityPowers;        // rho^0 to rho^9
constexpr int kMaxK = kAga8DensityExponentials;  // exp(-rho^1) to exp(-rho^4)

struct DensityPowers {
    double rho;
    double pow[kMaxB];
    double expK[kMaxK];  // [0] = 1: no exponential where k = 0
};

DensityPowers PowersAt(double K3, double D) {
    DensityPowers p;
    p.rho = K3 * D;
    // The exponentials need the first four powers only: they start before the higher powers.
    p.pow[0] = 1.0;
    p.expK[0] = 1.0;
    for (int k = 1; k < kMaxK; ++k) {
        p.pow[k] = p.pow[k - 1] * p.rho;
        p.expK[k] = std::exp(-p.pow[k]);
    }
    for (int k = kMaxK; k < kMaxB; ++k) {
        p.pow[k] = p.pow[k - 1] * p.rho;
    }
    return p;
}

}  // namespace

void Aga8GroupDensityTerms(double B, double K3, const double* Ct, Aga8DensityTerms& terms) {
    const Aga8SetupTables& t = gAga8Setup;
    terms.B = B;
    terms.K3 = K3;
    terms.sumCt13to18 = 0.0;
    for (int n = kAga8FirstCTerm; n < kAga8VirialTerms; ++n) {
        terms.sumCt13to18 += Ct[n];
    }
    for (int g = 0; g < t.densityGroupCount; ++g) {
        terms.group[g] = 0.0;
    }
    for (int n = kAga8FirstCTerm; n < kAga8Terms; ++n) {
        terms.group[t.densityGroupOfTerm[n]] += Ct[n];
    }
}

double Aga8ZAtDensity(const Aga8DensityTerms& terms, double D) {
    const Aga8SetupTables& t = gAga8Setup;
    const DensityPowers p = PowersAt(terms.K3, D);
    double sum = 0.0;
    for (int k = 0; k < kMaxK; ++k) {
        const double rhoK = p.pow[k];
        double sumOfK = 0.0;
        for (int g = t.groupFirstOfK[k]; g < t.groupFirstOfK[k + 1]; ++g) {
            sumOfK +=
                terms.group[g] * (t.groupBValue[g] - t.groupKValue[g] * rhoK) * p.pow[t.groupB[g]];
        }
        sum += sumOfK * p.expK[k];
    }
    return 1.0 + terms.B * D - p.rho * terms.sumCt13to18 + sum;
}

void Aga8DensityDerivatives(const Aga8DensityTerms& terms, double D, double& first,
                            double& second) {
    const Aga8SetupTables& t = gAga8Setup;
    const DensityPowers p = PowersAt(terms.K3, D);
    double sum1 = 0.0;
    double sum2 = 0.0;
    for (int g = 0; g < t.densityGroupCount; ++g) {
        const int b = t.groupB[g];
        const int k = t.groupK[g];
        const double h = terms.group[g] * p.pow[b] * p.expK[k];
        const double kValue = t.groupKValue[g];
        const double e = t.groupBValue[g] - kValue * p.pow[k];
        sum1 += e * h;
        sum2 += h * (e * e - e - kValue * kValue * p.pow[k]);
    }
    first = terms.B * D - p.rho * terms.sumCt13to18 + sum1;
    second = sum2;
}
