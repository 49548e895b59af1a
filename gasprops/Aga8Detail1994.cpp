#include "Aga8Detail1994.h"

#include <cmath>
#include <cstring>

#include "Aga10Properties.h"
#include "Aga8BinaryParameters.h"
#include "GasInputChecks.h"
#include "tables/aga8_detail_constants.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"
#include "tables/aga8_detail_table6_binary.h"

namespace aga8detail1994 {

namespace {

constexpr int kN = kAga8Components;
constexpr int kFirstDensityTerm = 12;  // index of term n = 13
constexpr int kBracketPasses = 200;
constexpr int kBrentPasses = 150;
constexpr double kPascalPerBar = 100000.0;
constexpr double kMPaPerPascal = 1.0e-6;

// Terms 13 to 58 grouped by their density exponents: within a group the density part
// (b - c k D^k) D^b exp(-c D^k) is the same, so Z needs it once per group. The groups are ordered
// by k (0 where c = 0), then by b, so that each exp(-D^k) multiplies the sum of its groups once.
constexpr int kExponentials = 5;  // k = 0 (no exponential) to 4
constexpr int kDensityPowers = 10;

struct DensityGroups {
    int count;
    int groupOfTerm[kAga8Terms];
    int firstOfK[kExponentials + 1];  // groups firstOfK[k] to firstOfK[k + 1] - 1 have that k
    int b[kAga8Terms];                // per group
    double bValue[kAga8Terms];        // per group: b as a double
    double ck[kAga8Terms];            // per group: c k
};

constexpr int ExponentOfTerm(const Aga8DetailTerm& t) {
    return t.c != 0 ? t.k : 0;
}

constexpr DensityGroups MakeDensityGroups() {
    DensityGroups groups{};
    for (int k = 0; k < kExponentials; ++k) {
        groups.firstOfK[k] = groups.count;
        for (int b = 0; b < kDensityPowers; ++b) {
            bool used = false;
            for (int n = kFirstDensityTerm; n < kAga8Terms; ++n) {
                const Aga8DetailTerm& t = kAga8DetailTerms[n];
                if (t.b == b && ExponentOfTerm(t) == k) {
                    groups.groupOfTerm[n] = groups.count;
                    used = true;
                }
            }
            if (used) {
                groups.b[groups.count] = b;
                groups.bValue[groups.count] = b;
                groups.ck[groups.count] = k;
                ++groups.count;
            }
        }
    }
    groups.firstOfK[kExponentials] = groups.count;
    return groups;
}

constexpr DensityGroups kGroups = MakeDensityGroups();

// Sum over the groups with exponential exp(-D^K) of coefficient times (b - c k D^K) D^b, in group
// order; the group range and exponents are constants, so the loop is laid out in full.
template <int K>
double SumOfExponential(const double* groupCoefficients, const double* Dpow) {
    constexpr int first = kGroups.firstOfK[K];
    constexpr int last = kGroups.firstOfK[K + 1];
    const double Dk = Dpow[K];
    double sum = 0.0;
    for (int g = first; g < last; ++g) {
        sum += groupCoefficients[g] * (kGroups.bValue[g] - kGroups.ck[g] * Dk) * Dpow[kGroups.b[g]];
    }
    return sum;
}

// SumOfExponential for two coefficient sets at once, each times exp(-D^K) added to its sum.
template <int K>
void AddSumsOfExponential(const Aga8Detail1994Data& data, const GroupedSum& first,
                          const GroupedSum& second, double& sum1, double& sum2) {
    constexpr int firstGroup = kGroups.firstOfK[K];
    constexpr int lastGroup = kGroups.firstOfK[K + 1];
    const double Dk = data.Dpow[K];
    double sum1OfK = 0.0;
    double sum2OfK = 0.0;
    for (int g = firstGroup; g < lastGroup; ++g) {
        const double part = (kGroups.bValue[g] - kGroups.ck[g] * Dk) * data.Dpow[kGroups.b[g]];
        sum1OfK += first.groupCoefficients[g] * part;
        sum2OfK += second.groupCoefficients[g] * part;
    }
    sum1 += sum1OfK * data.expD[K];
    sum2 += sum2OfK * data.expD[K];
}

// How far the half-power tables of a temperature are read by the terms first to last - 1: up to
// (sqrt T)^up for the exponents u_n below zero, (1/sqrt T)^down for those above.
struct HalfPowerReach {
    int up;
    int down;
};

constexpr HalfPowerReach ReachOfTerms(int first, int last) {
    HalfPowerReach reach{};
    for (int n = first; n < last; ++n) {
        const int index = static_cast<int>(2.0 * kAga8DetailTerms[n].u);
        if (index > reach.down) {
            reach.down = index;
        }
        if (-index > reach.up) {
            reach.up = -index;
        }
    }
    return reach;
}

constexpr HalfPowerReach kVirialReach = ReachOfTerms(0, kAga8VirialTerms);
constexpr HalfPowerReach kDensityTermReach = ReachOfTerms(kFirstDensityTerm, kAga8Terms);
static_assert(kDensityTermReach.down < kAga8HalfPowers && kDensityTermReach.up < kAga8HalfPowers &&
                  kVirialReach.down < kAga8HalfPowers && kVirialReach.up < kAga8HalfPowers,
              "half-power tables too short");

// The product B*_nij of the switch factors of virial term n (index `term`) for the components
// a and b, whose G_ij is Gpair.
double SwitchProduct(int term, const Aga8DetailComponent& a, const Aga8DetailComponent& b,
                     double Gpair) {
    const Aga8DetailTerm& t = kAga8DetailTerms[term];
    double product = 1.0;
    if (t.g != 0) {
        product *= Gpair;
    }
    if (t.q != 0) {
        product *= a.Q * b.Q;
    }
    if (t.f != 0) {
        product *= a.F * b.F;
    }
    if (t.s != 0) {
        product *= a.S * b.S;
    }
    if (t.w != 0) {
        product *= a.W * b.W;
    }
    return product;
}

// Adds the pair of list positions (i, j) with weight w to the mixture sums; the powers come from
// the composition-independent tables by component index.
void AddPair(Aga8Detail1994Data& data, int i, int j, double w, double& K5, double& U5, double& G) {
    const int ci = data.listIndex[i];
    const int cj = data.listIndex[j];
    if (data.Kij[i][j] != 1.0) {
        K5 += w * (FifthPower(data.Kij[i][j]) - 1.0) * data.pairK25[ci][cj];
    }
    if (data.Uij[i][j] != 1.0) {
        U5 += w * (FifthPower(data.Uij[i][j]) - 1.0) * data.pairE25[ci][cj];
    }
    if (data.Gij[i][j] != 1.0) {
        G += w * (data.Gij[i][j] - 1.0) * (data.Gi[i] + data.Gi[j]) / 2.0;
    }
    const double* virial = data.pairVirial[ci][cj];
    for (int n = 0; n < kAga8VirialTerms; ++n) {
        data.S[n] += w * virial[n];
    }
}

// The composition-independent powers of the pure and pair tables by component index.
void DerivePowerTables(Aga8Detail1994Data& data) {
    for (int c = 0; c < kN; ++c) {
        data.pureK25[c] = std::pow(kAga8DetailComponents[c].K, 2.5);
        data.pureE25[c] = std::pow(kAga8DetailComponents[c].E, 2.5);
    }
    for (int ci = 0; ci < kN; ++ci) {
        for (int cj = ci; cj < kN; ++cj) {
            const Aga8DetailComponent& a = kAga8DetailComponents[ci];
            const Aga8DetailComponent& b = kAga8DetailComponents[cj];
            data.pairK25[ci][cj] = std::pow(a.K * b.K, 2.5);
            data.pairE25[ci][cj] = std::pow(a.E * b.E, 2.5);
            const double size = std::pow(a.K * b.K, 1.5);
            const double Eij = data.binaryE[ci][cj] * std::sqrt(a.E * b.E);
            const double Gpair = data.binaryG[ci][cj] * (a.G + b.G) / 2.0;
            for (int n = 0; n < kAga8VirialTerms; ++n) {
                data.pairVirial[ci][cj][n] =
                    size * std::pow(Eij, data.u[n]) * SwitchProduct(n, a, b, Gpair);
            }
        }
    }
}

// Switch s of density term n: G, Q^2, F or 1.
double DensityTermSwitch(const Aga8Detail1994Data& data, int term) {
    const Aga8DetailTerm& t = kAga8DetailTerms[term];
    if (t.g != 0) {
        return data.G;
    }
    if (t.q != 0) {
        return data.Q2;
    }
    if (t.f != 0) {
        return data.F;
    }
    return 1.0;
}

// One bracketing pass after the maximum density was passed: restart from the low end.
void RestartAboveMaximum(Aga8Detail1994Data& data, double rhoMax, double& step, double& rho2) {
    data.result.status = kAga8Detail1994PassedMaximum;
    step = 0.01 * (rhoMax - data.rhoLow) + (data.P / (kAga8GasConstantMPa * data.T)) / 20.0;
    rho2 = data.rhoLow + step;
}

// Brent's step choice by inverse quadratic or secant interpolation; returns false when the
// interpolated step is rejected.
bool InterpolatedStep(double x1, double x2, double x3, double y1, double y2, double y3,
                      double& delta, double& deltaPrevious) {
    double numerator = 0.0;
    double denominator = 0.0;
    if (x1 == x3) {
        numerator = (x2 - x1) * y2;
        denominator = y1 - y2;
    } else {
        denominator = -(y1 - y2) * (y2 - y3) * (y3 - y1);
        numerator = x1 * y2 * y3 * (y2 - y3) + x2 * y3 * y1 * (y3 - y1) + x3 * y1 * y2 * (y1 - y2) -
                    x2 * denominator;
    }
    if (2.0 * std::fabs(numerator) < std::fabs(deltaPrevious * denominator)) {
        deltaPrevious = delta;
        delta = numerator / denominator;
        return true;
    }
    return false;
}

// Pressure, temperature and composition that the equations can evaluate.
bool StateUsable(const Aga8Detail1994Data& data) {
    return std::isfinite(data.P) && IsPositiveFinite(data.T) && IsPositiveFinite(data.K3) &&
           IsPositiveFinite(data.U) && std::isfinite(data.G) && std::isfinite(data.Q2) &&
           std::isfinite(data.F);
}

// Solves the state data.P, data.T; returns Z at the solved density (0 when not computable).
double SolveState(Aga8Detail1994Data& data) {
    if (!StateUsable(data)) {
        data.result.status = kAga8Detail1994NoPositiveZ;
        data.rho = 0.0;
        return 0.0;
    }
    TemperatureTerms(data);
    SolveDensity(data);
    return CompressibilityAtDensity(data, data.rho);
}

}  // namespace

double FifthPower(double x) {
    const double square = x * x;
    return square * square * x;
}

double InversePower(const double* halfPowers, const double* inverseHalfPowers, double u) {
    const int index = static_cast<int>(2.0 * u);
    if (index > 0) {
        return inverseHalfPowers[index];
    }
    return halfPowers[-index];
}

void LoadEquationTables(Aga8Detail1994Data& data) {
    for (int n = 0; n < kAga8Terms; ++n) {
        data.a[n] = kAga8DetailTerms[n].a;
        data.u[n] = kAga8DetailTerms[n].u;
    }
    LoadAga8BinaryParameters(data.binaryE, data.binaryU, data.binaryK, data.binaryG);
    DerivePowerTables(data);
}

bool CompositionChanged(Aga8Detail1994Data& data) {
    bool changed = data.characterised == 0;
    for (int i = 0; i < kN; ++i) {
        if (data.result.x[i] != data.characterisedFractions[i]) {
            changed = true;
        }
        data.characterisedFractions[i] = data.result.x[i];
    }
    data.characterised = 1;
    return changed;
}

void LoadComponentParameters(Aga8Detail1994Data& data) {
    for (int c = 0; c < kN; ++c) {
        data.pureQ[c] = kAga8DetailComponents[c].Q;
        data.pureF[c] = kAga8DetailComponents[c].F;
        data.pureS[c] = kAga8DetailComponents[c].S;
        data.pureW[c] = kAga8DetailComponents[c].W;
    }
    for (int i = 0; i < data.listCount; ++i) {
        const int c = data.listIndex[i];
        const Aga8DetailComponent& component = kAga8DetailComponents[c];
        data.Mi[i] = component.M;
        data.Ei[i] = component.E;
        data.Ki[i] = component.K;
        data.Gi[i] = component.G;
        data.Qi[i] = data.pureQ[c];
        data.Fi[i] = data.pureF[c];
        data.Si[i] = data.pureS[c];
        data.Wi[i] = data.pureW[c];
    }
    for (int i = 0; i < data.listCount; ++i) {
        for (int j = i; j < data.listCount; ++j) {
            const int ci = data.listIndex[i];
            const int cj = data.listIndex[j];
            data.Eij[i][j] = data.binaryE[ci][cj];
            data.Uij[i][j] = data.binaryU[ci][cj];
            data.Kij[i][j] = data.binaryK[ci][cj];
            data.Gij[i][j] = data.binaryG[ci][cj];
        }
    }
}

void MixtureParameters(Aga8Detail1994Data& data) {
    double M = 0.0, sumK = 0.0, sumE = 0.0, G = 0.0, Q = 0.0, F = 0.0;
    for (int i = 0; i < data.listCount; ++i) {
        const double x = data.xList[i];
        M += x * data.Mi[i];
        sumK += x * data.pureK25[data.listIndex[i]];
        sumE += x * data.pureE25[data.listIndex[i]];
        G += x * data.Gi[i];
        Q += x * data.Qi[i];
        F += x * x * data.Fi[i];
    }
    double K5 = sumK * sumK;
    double U5 = sumE * sumE;
    for (double& s : data.S) {
        s = 0.0;
    }
    for (int i = 0; i < data.listCount; ++i) {
        for (int j = i; j < data.listCount; ++j) {
            const double w =
                (i == j) ? data.xList[i] * data.xList[i] : 2.0 * data.xList[i] * data.xList[j];
            AddPair(data, i, j, w, K5, U5, G);
        }
    }
    for (int n = 0; n < kAga8VirialTerms; ++n) {
        data.S[n] *= data.a[n];
    }
    data.result.M = M;
    data.K3 = std::pow(K5, 0.6);
    data.U = std::pow(U5, 0.2);
    data.G = G;
    data.Q2 = Q * Q;
    data.F = F;
    for (int n = kFirstDensityTerm; n < kAga8Terms; ++n) {
        data.termFactor[n] = data.a[n] * DensityTermSwitch(data, n);
    }
}

void TemperaturePowers(Aga8Detail1994Data& data) {
    const double root = std::sqrt(data.T);
    FillHalfPowers(root, data.Tpow, kVirialReach.up);
    FillHalfPowers(1.0 / root, data.TpowInverse, kVirialReach.down);
}

void ReducedTemperaturePowers(Aga8Detail1994Data& data) {
    const double root = std::sqrt(data.Tr);
    FillHalfPowers(root, data.Trpow, kDensityTermReach.up);
    FillHalfPowers(1.0 / root, data.TrpowInverse, kDensityTermReach.down);
}

void VirialCoefficient(Aga8Detail1994Data& data) {
    TemperaturePowers(data);
    double B = 0.0, first = 0.0, second = 0.0;
    for (int n = 0; n < kAga8VirialTerms; ++n) {
        const double term = data.S[n] * InversePower(data.Tpow, data.TpowInverse, data.u[n]);
        data.virialTerms[n] = term;
        B += term;
        if (data.u[n] != 0.0) {
            first += data.u[n] * term;
            if (data.u[n] != -1.0) {
                second += data.u[n] * (data.u[n] + 1.0) * term;
            }
        }
    }
    data.B = B;
    data.dBdT = -first / data.T;
    data.d2BdT2 = second / (data.T * data.T);
}

void TemperatureTerms(Aga8Detail1994Data& data) {
    if (data.termsValid != 0 && data.T == data.termsT) {
        return;
    }
    VirialCoefficient(data);
    const double Tr = data.T / data.U;
    if (Tr != data.Tr) {
        data.Tr = Tr;
        ReducedTemperaturePowers(data);
    }
    for (int g = 0; g < kGroups.count; ++g) {
        data.groupCstar[g] = 0.0;
    }
    data.sumCstarVirial = 0.0;
    for (int n = kFirstDensityTerm; n < kAga8Terms; ++n) {
        const double C =
            data.termFactor[n] * InversePower(data.Trpow, data.TrpowInverse, data.u[n]);
        data.Cstar[n] = C;
        data.groupCstar[kGroups.groupOfTerm[n]] += C;
        if (n < kAga8VirialTerms) {
            data.sumCstarVirial += C;
        }
    }
    data.termsT = data.T;
    data.termsValid = 1;
    data.derivativeTermsValid = 0;
}

void TemperatureDerivativeTerms(Aga8Detail1994Data& data) {
    if (data.derivativeTermsValid != 0) {
        return;
    }
    for (int g = 0; g < kGroups.count; ++g) {
        data.groupFirst[g] = data.groupSecond[g] = 0.0;
    }
    data.sumFirstVirial = data.sumSecondVirial = 0.0;
    for (int n = kFirstDensityTerm; n < kAga8Terms; ++n) {
        const double u = data.u[n];
        const double C = data.Cstar[n];
        const double first = -u * C;
        const double second = u * (u + 1.0) * C;
        const int g = kGroups.groupOfTerm[n];
        data.groupFirst[g] += first;
        data.groupSecond[g] += second;
        if (n < kAga8VirialTerms) {
            data.sumFirstVirial += first;
            data.sumSecondVirial += second;
        }
    }
    data.derivativeTermsValid = 1;
}

void ReducedDensityPowers(Aga8Detail1994Data& data, double rho) {
    const double D = data.K3 * rho;
    data.reducedDensity = D;
    // The exponentials need the first four powers only: they start before the higher powers.
    data.Dpow[0] = 1.0;
    data.expD[0] = 1.0;
    for (int k = 1; k < kExponentials; ++k) {
        data.Dpow[k] = data.Dpow[k - 1] * D;
        data.expD[k] = std::exp(-data.Dpow[k]);
    }
    for (int k = kExponentials; k < kDensityPowers; ++k) {
        data.Dpow[k] = data.Dpow[k - 1] * D;
    }
}

double GroupedDensitySum(const Aga8Detail1994Data& data, const double* groupCoefficients,
                         double virialShare) {
    double sum = 0.0;
    sum += SumOfExponential<0>(groupCoefficients, data.Dpow) * data.expD[0];
    sum += SumOfExponential<1>(groupCoefficients, data.Dpow) * data.expD[1];
    sum += SumOfExponential<2>(groupCoefficients, data.Dpow) * data.expD[2];
    sum += SumOfExponential<3>(groupCoefficients, data.Dpow) * data.expD[3];
    sum += SumOfExponential<4>(groupCoefficients, data.Dpow) * data.expD[4];
    return sum - data.reducedDensity * virialShare;
}

void GroupedDensitySums(const Aga8Detail1994Data& data, const GroupedSum& first,
                        const GroupedSum& second, double& firstSum, double& secondSum) {
    double sum1 = 0.0;
    double sum2 = 0.0;
    AddSumsOfExponential<0>(data, first, second, sum1, sum2);
    AddSumsOfExponential<1>(data, first, second, sum1, sum2);
    AddSumsOfExponential<2>(data, first, second, sum1, sum2);
    AddSumsOfExponential<3>(data, first, second, sum1, sum2);
    AddSumsOfExponential<4>(data, first, second, sum1, sum2);
    firstSum = sum1 - data.reducedDensity * first.virialShare;
    secondSum = sum2 - data.reducedDensity * second.virialShare;
}

double GroupedDensityDerivativeSum(const double* Dpow, const double* expD,
                                   const double* groupCoefficients, double virialShare) {
    double sum = 0.0;
    for (int k = 0; k < kExponentials; ++k) {
        const double Dk = Dpow[k];
        double sumOfK = 0.0;
        for (int g = kGroups.firstOfK[k]; g < kGroups.firstOfK[k + 1]; ++g) {
            const double inner = kGroups.bValue[g] - kGroups.ck[g] * Dk;
            sumOfK += groupCoefficients[g] * Dpow[kGroups.b[g] - 1] *
                      (inner * inner - kGroups.ck[g] * k * Dk);
        }
        sum += sumOfK * expD[k];
    }
    return sum - virialShare;
}

double CompressibilityAtDensity(Aga8Detail1994Data& data, double rho) {
    ReducedDensityPowers(data, rho);
    data.Z = 1.0 + data.B * rho + GroupedDensitySum(data, data.groupCstar, data.sumCstarVirial);
    return data.Z;
}

double PressureAtDensity(Aga8Detail1994Data& data, double rho) {
    const double Z = CompressibilityAtDensity(data, rho);
    data.pressureAtDensity = Z * rho * kAga8GasConstantMPa * data.T;
    return data.pressureAtDensity;
}

void BracketDensity(Aga8Detail1994Data& data) {
    const double rhoMax = (data.T > 1.2593 * data.U ? 20.0 : 1.0) / data.K3;
    const double videal = kAga8GasConstantMPa * data.T / data.P;
    double rho2 = std::fabs(data.B) < 0.167 * videal ? 0.95 / (videal + data.B) : 1.15 / videal;
    double step = rho2 / 20.0;
    data.rhoLow = 0.0;
    data.pLow = 0.0;
    for (int pass = 0; pass < kBracketPasses; ++pass) {
        if (rho2 > rhoMax && data.result.status != kAga8Detail1994PassedMaximum) {
            RestartAboveMaximum(data, rhoMax, step, rho2);
            continue;
        }
        const double p2 = PressureAtDensity(data, rho2);
        if (p2 > data.P) {
            data.rhoHigh = rho2;
            data.pHigh = p2;
            data.result.status = kAga8Detail1994Ok;
            return;
        }
        if (!(p2 > data.pLow)) {
            data.result.status = kAga8Detail1994NoPressureRise;
            data.rho = data.rhoLow;
            return;
        }
        if (data.result.status == kAga8Detail1994PassedMaximum) {
            step *= 2.0;
        }
        data.rhoLow = rho2;
        data.pLow = p2;
        rho2 = data.rhoLow + step;
    }
    data.result.status = kAga8Detail1994NoConvergence;
    data.rho = rho2;
}

void SolveDensity(Aga8Detail1994Data& data) {
    data.rho = 0.0;
    data.result.status = kAga8Detail1994Ok;
    if (!(data.P > 0.0)) {
        // No positive density gives a pressure of zero or below.
        data.result.status = kAga8Detail1994NoPressureRise;
        return;
    }
    BracketDensity(data);
    if (data.result.status != kAga8Detail1994Ok) {
        return;
    }
    double x1 = data.rhoLow, x2 = data.rhoHigh;
    double y1 = data.pLow - data.P, y2 = data.pHigh - data.P;
    double delta = x1 - x2;
    double deltaPrevious = delta;
    double x3 = x1, y3 = y1;
    for (int pass = 0; pass < kBrentPasses; ++pass) {
        if (y2 * y3 > 0.0) {
            x3 = x1;
            y3 = y1;
            delta = deltaPrevious = x1 - x2;
        }
        if (std::fabs(y3) < std::fabs(y2)) {
            x1 = x2;
            x2 = x3;
            x3 = x1;
            y1 = y2;
            y2 = y3;
            y3 = y1;
        }
        const double tolerance = 1.0e-7 * std::fabs(x2);
        const double xm = (x3 - x2) / 2.0;
        if (!(std::fabs(deltaPrevious) >= tolerance && std::fabs(y1) >= std::fabs(y2) &&
              InterpolatedStep(x1, x2, x3, y1, y2, y3, delta, deltaPrevious))) {
            delta = deltaPrevious = xm;
        }
        if (std::fabs(y2) < 1.0e-6 * data.P && std::fabs(delta) < 1.0e-6 * std::fabs(x2)) {
            data.rho = x2 + delta;
            return;
        }
        if (std::fabs(delta) < tolerance) {
            delta = deltaPrevious = std::copysign(1.0000009 * tolerance, xm);
        }
        if ((x2 + delta - x3) * delta > 0.0) {
            delta = deltaPrevious = xm;
        }
        x1 = x2;
        y1 = y2;
        x2 += delta;
        y2 = PressureAtDensity(data, x2) - data.P;
    }
    data.result.status = kAga8Detail1994NoConvergence;
    data.rho = x2;
}

void Aga8Detail1994Solve(Aga8Detail1994Data& data) {
    Aga8Detail1994Result& r = data.result;
    const bool changed = CompositionChanged(data);
    if (changed) {
        data.listCount = 0;
        for (int c = 0; c < kN; ++c) {
            if (c < 2 || r.x[c] != 0.0) {
                data.listIndex[data.listCount] = c;
                data.xList[data.listCount] = r.x[c];
                ++data.listCount;
            }
        }
        LoadComponentParameters(data);
        MixtureParameters(data);
        data.termsValid = 0;
        data.derivativeTermsValid = 0;
        data.idealCpValid = 0;
    }
    if (changed || r.basePressure != data.cachedBasePressure ||
        r.baseTemperature != data.cachedBaseTemperature) {
        data.P = r.basePressure * kMPaPerPascal;
        data.T = r.baseTemperature;
        data.cachedZb = SolveState(data);
        data.cachedBaseStatus = r.status;
        data.cachedBasePressure = r.basePressure;
        data.cachedBaseTemperature = r.baseTemperature;
    }
    r.Zb = data.cachedZb;
    data.P = r.flowingPressure * kMPaPerPascal;
    data.T = r.flowingTemperature;
    r.Zf = SolveState(data);
    r.Df = data.rho;
    if (IsPositiveFinite(r.Zb) && IsPositiveFinite(r.Zf)) {
        r.flowingMassDensity = data.P * r.M / (r.Zf * kAga8GasConstantMPa * data.T);
        if (r.status == kAga8Detail1994Ok) {
            // A failed base-state solve is not hidden by a good flowing state.
            r.status = data.cachedBaseStatus;
        }
    } else {
        r.Zb = 0.0;
        r.Zf = 0.0;
        r.flowingMassDensity = 0.0;
        r.status = kAga8Detail1994NoPositiveZ;
    }
}

bool StoreInputs(Aga8Detail1994Data& data, double pb, double Tb, double pf, double Tf,
                 const double* percent) {
    if (data.prepared == 0) {
        Aga8Detail1994Init(data);
    }
    Aga8Detail1994Result& r = data.result;
    // The percentages of the last stored composition were checked and converted already.
    const bool samePercentages =
        data.percentagesStored != 0 &&
        std::memcmp(percent, data.storedPercentages, sizeof data.storedPercentages) == 0;
    if (!samePercentages && !IsWholeComposition(percent, kN)) {
        r.status = kAga8Detail1994BadComposition;
        r.Zb = r.Zf = r.Df = r.flowingMassDensity = 0.0;
        return false;
    }
    r.basePressure = pb * kPascalPerBar;
    r.baseTemperature = Tb;
    r.flowingPressure = pf * kPascalPerBar;
    r.flowingTemperature = Tf;
    if (!samePercentages) {
        for (int i = 0; i < kN; ++i) {
            r.x[i] = percent[i] / 100.0;
        }
        std::memcpy(data.storedPercentages, percent, sizeof data.storedPercentages);
        data.percentagesStored = 1;
    }
    return true;
}

}  // namespace aga8detail1994

int32_t Aga8Detail1994Init(Aga8Detail1994Data& data) {
    data.prepared = 1;
    data.characterised = 0;
    std::memset(data.characterisedFractions, 0, sizeof data.characterisedFractions);
    data.cachedBasePressure = 0.0;
    data.cachedBaseTemperature = 0.0;
    data.cachedZb = 0.0;
    data.cachedBaseStatus = kAga8Detail1994Ok;
    data.Tr = 0.0;
    data.percentagesStored = 0;
    data.termsValid = 0;
    data.derivativeTermsValid = 0;
    data.idealCpValid = 0;
    std::memset(data.xList, 0, sizeof data.xList);
    aga8detail1994::LoadEquationTables(data);
    return 0;
}

void Aga8Detail1994Props(Aga8Detail1994Data& data, double pb, double Tb, double pf, double Tf,
                         const double* percent) {
    using namespace aga8detail1994;
    if (StoreInputs(data, pb, Tb, pf, Tf, percent)) {
        Aga8Detail1994Solve(data);
    }
    if (data.result.status == kAga8Detail1994Ok) {
        Aga10FlowingProperties(data);
    }
}
