// AGA8-92 DETAIL in its Helmholtz-energy form: the residual Helmholtz energy with its
// derivatives, the pressure from it, and solve mode 1 (Newton's method on ln(1/D)).
#include <cmath>

#include "Aga8DetailInternal.h"
#include "GasTrace.h"
#include "tables/aga8_detail_constants.h"
#include "tables/aga8_detail_table4_terms.h"

namespace {

// Density parts of one term of ar / (R T): value, D d/dD and D^2 d2/dD2.
struct DensityParts {
    double v0 = 0.0;
    double v1 = 0.0;
    double v2 = 0.0;
};

// rho^b exp(-c rho^k) - [n <= 18] rho, with rho = K3 D, and its reduced density derivatives.
DensityParts CoefficientTermParts(const Aga8DetailTerm& term, bool hasVirialPart,
                                  const double* rhoPow, const double* expRhoK) {
    DensityParts parts;
    double h = rhoPow[term.b];
    double e = static_cast<double>(term.b);  // b - c k rho^k
    double extra = 0.0;                      // c k^2 rho^k
    if (term.k != 0) {
        h *= expRhoK[term.k];
        const double ckRho = term.k * rhoPow[term.k];
        e -= ckRho;
        extra = term.k * ckRho;
    }
    parts.v0 = h;
    parts.v1 = e * h;
    parts.v2 = h * (e * e - e - extra);
    if (hasVirialPart) {
        parts.v0 -= rhoPow[1];
        parts.v1 -= rhoPow[1];
    }
    return parts;
}

}  // namespace

void Aga8ResidualHelmholtz(const Aga8State& state, double T, double D, const double* tPowNegU,
                           int maxTemperatureOrder, double (&ar)[4][4]) {
    for (auto& row : ar) {
        for (double& value : row) {
            value = 0.0;
        }
    }
    const double RT = kAga8GasConstant * T;
    const double rho = state.K3 * D;
    double rhoPow[10];
    rhoPow[0] = 1.0;
    for (int k = 1; k < 10; ++k) {
        rhoPow[k] = rhoPow[k - 1] * rho;
    }
    double expRhoK[5];
    expRhoK[0] = 1.0;
    for (int k = 1; k < 5; ++k) {
        expRhoK[k] = std::exp(-rhoPow[k]);
    }
    // Sums of the dimensionless parts, each weighted as ar[i][j] needs: s[j] for the density
    // derivatives, t1[j] weighted by (1 - u_n), t2 by u_n (u_n - 1).
    double s[3] = {0.0, 0.0, 0.0};
    double t1[2] = {0.0, 0.0};
    double t2 = 0.0;
    auto add = [&](const DensityParts& parts, double coefficient, double u) {
        s[0] += coefficient * parts.v0;
        s[1] += coefficient * parts.v1;
        s[2] += coefficient * parts.v2;
        if (maxTemperatureOrder > 0) {
            t1[0] += coefficient * parts.v0 * (1.0 - u);
            t1[1] += coefficient * parts.v1 * (1.0 - u);
            t2 += coefficient * parts.v0 * u * (u - 1.0);
        }
    };
    const DensityParts virialParts{D, D, 0.0};
    if (maxTemperatureOrder == 0) {
        add(virialParts, state.B, 0.0);
    } else {
        for (int n = 0; n < kAga8VirialTerms; ++n) {
            add(virialParts, state.Bs[n] * tPowNegU[n], kAga8DetailTerms[n].u);
        }
    }
    for (int n = kAga8FirstCTerm; n < kAga8Terms; ++n) {
        const Aga8DetailTerm& term = kAga8DetailTerms[n];
        const double coefficient =
            maxTemperatureOrder == 0 ? state.Ct[n] : state.Cs[n] * tPowNegU[n];
        add(CoefficientTermParts(term, n < kAga8VirialTerms, rhoPow, expRhoK), coefficient, term.u);
    }
    ar[0][0] = RT * s[0];
    ar[0][1] = RT * s[1];
    ar[0][2] = RT * s[2];
    if (maxTemperatureOrder > 0) {
        ar[1][0] = RT * t1[0];
        ar[1][1] = kAga8GasConstant * t1[1];
        ar[2][0] = kAga8GasConstant * t2;
    }
}

void Aga8Pressure(const Aga8DensityTerms& terms, double T, double D, double& P, double& dPdD,
                  double& Z) {
    double first = 0.0;
    double second = 0.0;
    Aga8DensityDerivatives(terms, D, first, second);
    const double RT = kAga8GasConstant * T;
    const double ar01 = RT * first;
    const double ar02 = RT * second;
    Z = 1.0 + ar01 / RT;
    P = D * RT * Z;
    dPdD = RT + 2.0 * ar01 + ar02;
}

void Aga8Pressure(const Aga8State& state, double T, double D, double& P, double& dPdD, double& Z) {
    Aga8DensityTerms terms;
    Aga8GroupDensityTerms(state.B, state.K3, state.Ct, terms);
    Aga8Pressure(terms, T, D, P, dPdD, Z);
}

double Aga8Density(double p, double T, double& D, const Aga8State& state, int& status) {
    const double P = p * kKPaPerBar;
    const double RT = kAga8GasConstant * T;
    // Logarithms of P and D follow; a pressure that is not positive has no solution.
    if (!(P > 0.0)) {
        D = 0.0;
        status = -3;
        return 1.0;
    }
    Aga8DensityTerms terms;
    Aga8GroupDensityTerms(state.B, state.K3, state.Ct, terms);
    const double plog = std::log(P);
    double vlog = -std::log(P / RT);
    double Z = 1.0;
    bool converged = false;
    int iteration = 1;
    for (; iteration <= kAga8NewtonIterations; ++iteration) {
        if (!(vlog >= kAga8MinLogVolume && vlog <= kAga8MaxLogVolume)) {
            break;
        }
        const double trialD = std::exp(-vlog);
        GasTrace(0x10027, TraceFormat(kTraceArgDouble, kTraceArgDouble, kTraceArgDouble), vlog,
                 plog, trialD);
        double P2 = 0.0;
        double dPdD = 0.0;
        Aga8Pressure(terms, T, trialD, P2, dPdD, Z);
        if (dPdD > 0.0 && P2 > 0.0) {  // dP/dD = 0 would divide by zero
            const double vdiff = (std::log(P2) - plog) * P2 / (-trialD * dPdD);
            vlog -= vdiff;
            if (std::fabs(vdiff) < kAga8NewtonTolerance) {
                converged = true;
                D = std::exp(-vlog);
                break;
            }
        } else {
            vlog += kAga8NewtonRecoveryStep;
        }
    }
    if (!converged || !(Z > 0.0) || !std::isfinite(Z)) {
        status = -3;
        return 1.0;
    }
    status = iteration;
    return Z;
}
