#include "Aga8Calculator12.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "GasInputChecks.h"
#include "GasTrace.h"
#include "tables/aga8_detail_table4_terms.h"
#include "tables/aga8_detail_table5_components.h"
#include "tables/aga8_detail_table6_binary.h"
#include "tables/gerg2008_ideal_gas_aga8.h"

namespace {

constexpr int kN = Aga8Calculator12::kComponents;
constexpr int kTerms = kAga8Terms;
constexpr int kVirial = kAga8VirialTerms;
constexpr int kFirstDensityTerm = 12;  // index of term n = 13
constexpr int kMaxNewtonSteps = 10;
constexpr double kGasConstant = 8.31451;  // J/(mol K)
constexpr uint32_t kInvalid = 0x400;

// AGA8 index of each calculator component, and of the lumped O2, Ar, C7H16, C8H18.
constexpr int kAga8Index[kN] = {0, 3, 4, 10, 11, 12, 13, 14, 1, 2, 19, 7};
constexpr int kLoadIndex[Aga8Calculator12::kLoadedFractions] = {0, 3, 4,  10, 11, 12, 13, 14,
                                                                1, 2, 19, 7,  9,  20, 15, 16};
constexpr int kC6 = 7;
constexpr int kN2 = 8;
constexpr int kCO2 = 9;
constexpr int kH2 = 11;
constexpr int kO2Load = 12;
constexpr int kArLoad = 13;
constexpr int kC7Load = 14;
constexpr int kC8Load = 15;

constexpr uint32_t kTraceSolve = TraceId(4, 0, 7);
constexpr uint32_t kTraceSolved = TraceId(4, 1, 7);
constexpr uint32_t kTraceSize = TraceId(4, 2, 7);
constexpr uint32_t kTraceFQ = TraceId(4, 3, 7);
constexpr uint32_t kTraceGU = TraceId(4, 4, 7);
constexpr uint32_t kTraceGaveUp = TraceId(4, 5, 7);
constexpr uint32_t kTraceConverged = TraceId(4, 6, 7);

// Pair parameters of Table 6 in calculator order, full and symmetric (1.0 where not listed).
struct PairTable {
    double E[kN][kN];
    double U[kN][kN];
    double K[kN][kN];
    double G[kN][kN];
};

constexpr int CalculatorIndex(int aga8Index) {
    for (int i = 0; i < kN; ++i) {
        if (kAga8Index[i] == aga8Index) {
            return i;
        }
    }
    return -1;
}

constexpr PairTable MakePairTable() {
    PairTable t{};
    for (int i = 0; i < kN; ++i) {
        for (int j = 0; j < kN; ++j) {
            t.E[i][j] = t.U[i][j] = t.K[i][j] = t.G[i][j] = 1.0;
        }
    }
    for (const Aga8DetailBinaryPair& pair : kAga8DetailBinaryPairs) {
        const int i = CalculatorIndex(pair.i);
        const int j = CalculatorIndex(pair.j);
        if (i >= 0 && j >= 0) {
            t.E[i][j] = t.E[j][i] = pair.Estar;
            t.U[i][j] = t.U[j][i] = pair.U;
            t.K[i][j] = t.K[j][i] = pair.K;
            t.G[i][j] = t.G[j][i] = pair.Gstar;
        }
    }
    return t;
}

constexpr PairTable kPairs = MakePairTable();

const Aga8DetailComponent& Component(int i) {
    return kAga8DetailComponents[kAga8Index[i]];
}
const Aga8DetailTerm& Term(int n) {
    return kAga8DetailTerms[n];
}

// A positive double by its bit pattern read as a signed 64-bit integer (negative zero is not
// positive), and finite.
bool IsPositive(double value) {
    int64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits >= 1 && std::isfinite(value);
}

// (theta/T)/sinh(theta/T) or (theta/T)/cosh(theta/T), squared; 0 for an absent term.
double HyperbolicTerm(double theta, double T, bool useSinh) {
    if (theta == 0.0) {
        return 0.0;
    }
    const double a = theta / T;
    const double ratio = a / (useSinh ? std::sinh(a) : std::cosh(a));
    return ratio * ratio;
}

// cp0/R of calculator component i at T from the GERG-2008 ideal-gas coefficients.
double IdealHeatCapacity(int i, double T) {
    const Gerg2008IdealGasComponent& c = kGerg2008IdealGas[kAga8Index[i]];
    return c.n0[2] + c.n0[3] * HyperbolicTerm(c.theta[0], T, true) +
           c.n0[4] * HyperbolicTerm(c.theta[1], T, false) +
           c.n0[5] * HyperbolicTerm(c.theta[2], T, true) +
           c.n0[6] * HyperbolicTerm(c.theta[3], T, false);
}

// Per-term constants of the equation in the form the evaluation uses them.
struct TermConstants {
    int twoU[kTerms];    // 2 u_n: index into the half-power tables
    double b[kTerms];    // b_n
    double bb1[kTerms];  // b_n (b_n + 1)
    double ck[kTerms];   // c_n k_n
    double ckk[kTerms];  // c_n k_n^2
};

constexpr TermConstants MakeTermConstants() {
    TermConstants c{};
    for (int n = 0; n < kTerms; ++n) {
        const Aga8DetailTerm& t = kAga8DetailTerms[n];
        c.twoU[n] = static_cast<int>(2.0 * t.u);
        c.b[n] = t.b;
        c.bb1[n] = t.b * (t.b + 1);
        c.ck[n] = t.c * t.k;
        c.ckk[n] = t.c * t.k * t.k;
    }
    return c;
}

constexpr TermConstants kTermConstants = MakeTermConstants();

// x^u_n for every term from the half powers of x: (sqrt x)^(2u) or (1/sqrt x)^(-2u).
void TermPowers(double x, double (&powers)[kTerms]) {
    double up[kAga8HalfPowers];
    double down[kAga8HalfPowers];
    const double root = std::sqrt(x);
    FillHalfPowers(root, up);
    FillHalfPowers(1.0 / root, down);
    for (int n = 0; n < kTerms; ++n) {
        const int twoU = kTermConstants.twoU[n];
        powers[n] = twoU >= 0 ? up[twoU] : down[-twoU];
    }
}

// Switch factor (value + 1 - flag)^flag: the value when the flag is 1, else 1.
double Switch(uint8_t flag, double value) {
    return flag != 0 ? value : 1.0;
}

// D^0 to D^9 and exp(-D^k) for k = 1 to 4.
struct DensityPowers {
    double pow[10];
    double expNeg[5];
    explicit DensityPowers(double D) {
        pow[0] = 1.0;
        for (int k = 1; k < 10; ++k) {
            pow[k] = pow[k - 1] * D;
        }
        expNeg[0] = 1.0;
        for (int k = 1; k < 5; ++k) {
            expNeg[k] = std::exp(-pow[k]);
        }
    }
    double e(const Aga8DetailTerm& t) const { return t.c != 0 ? expNeg[t.k] : 1.0; }
    double ck(const Aga8DetailTerm& t) const { return t.c != 0 ? t.k * pow[t.k] : 0.0; }
};

void WriteChild(FbDoNode node, uint32_t index, double value, uint32_t status) {
    FbDoNode child = FbDo_GetChild(node, index);
    if (child != nullptr) {
        FbDo_WriteDouble(child, value, &status);
    }
}

}  // namespace

Aga8Calculator12::Aga8Calculator12() noexcept
    : changed(0),
      usable(0),
      K(0.0),
      reducedPressure(0.0),
      D(0.0),
      derivativeTerm(0.0),
      M(0.0),
      F(0.0),
      G(0.0),
      Q(0.0),
      U(0.0),
      x{},
      xx{},
      Cstar{},
      Bcoef{},
      K15{},
      K25{},
      E25{},
      Kij5{},
      Uij5{},
      EijU{},
      Bnij{},
      virialPair{},
      sizePairTerm{},
      energyPairTerm{},
      zMinusOne(0.0),
      cachedTemperature(std::numeric_limits<double>::quiet_NaN()),
      inverseTemperaturePower{} {
    // Not a number differs from every fraction: the first load always counts as a change.
    for (double& f : lastFractions) {
        f = std::numeric_limits<double>::quiet_NaN();
    }
    precompute();
}

Aga8Calculator12* Aga8Calculator12::Construct(void* storage) noexcept {
    if (storage == nullptr) {
        storage = ::operator new(sizeof(Aga8Calculator12), std::nothrow);
        if (storage == nullptr) {
            return nullptr;
        }
    }
    return new (storage) Aga8Calculator12();
}

void Aga8Calculator12::precompute() {
    for (int i = 0; i < kN; ++i) {
        K15[i] = std::pow(Component(i).K, 1.5);
        K25[i] = std::pow(Component(i).K, 2.5);
        E25[i] = std::pow(Component(i).E, 2.5);
    }
    for (int i = 0; i < kN; ++i) {
        for (int j = 0; j < kN; ++j) {
            const Aga8DetailComponent& ci = Component(i);
            const Aga8DetailComponent& cj = Component(j);
            Kij5[i][j] = std::pow(kPairs.K[i][j], 5.0);
            Uij5[i][j] = std::pow(kPairs.U[i][j], 5.0);
            const double Estar = kPairs.E[i][j] * std::sqrt(ci.E * cj.E);
            const double Gij = kPairs.G[i][j] * (ci.G + cj.G) / 2.0;
            for (int n = 0; n < kVirial; ++n) {
                const Aga8DetailTerm& t = Term(n);
                EijU[n][i][j] = std::pow(Estar, t.u);
                Bnij[n][i][j] = Switch(t.g, Gij) * Switch(t.q, ci.Q * cj.Q) *
                                Switch(t.f, std::sqrt(ci.F * cj.F)) * Switch(t.s, ci.S * cj.S) *
                                Switch(t.w, ci.W * cj.W);
            }
            sizePairTerm[i][j] = (Kij5[i][j] - 1.0) * std::pow(ci.K * cj.K, 2.5);
            energyPairTerm[i][j] = (Uij5[i][j] - 1.0) * std::pow(ci.E * cj.E, 2.5);
        }
    }
    for (int n = 0; n < kVirial; ++n) {
        for (int i = 0; i < kN; ++i) {
            for (int j = 0; j < kN; ++j) {
                virialPair[n][i][j] = EijU[n][i][j] * Bnij[n][i][j] * K15[i] * K15[j];
            }
        }
    }
}

void Aga8Calculator12::loadComposition(const double* composition) {
    changed = 0;
    usable = IsWholeComposition(composition, kCompositionSize) ? 1 : 0;
    if (usable == 0) {
        // Not a number differs from every fraction: the next usable load counts as a change.
        for (double& f : lastFractions) {
            f = std::numeric_limits<double>::quiet_NaN();
        }
        return;
    }
    double fractions[kLoadedFractions];
    for (int f = 0; f < kLoadedFractions; ++f) {
        fractions[f] = composition[kLoadIndex[f]] / 100.0;
        if (fractions[f] != lastFractions[f]) {
            changed = 1;
        }
        lastFractions[f] = fractions[f];
    }
    if (changed == 0) {
        return;
    }
    for (int i = 0; i < kN; ++i) {
        x[i] = fractions[i];
    }
    x[kN2] += fractions[kO2Load] + fractions[kArLoad];
    x[kC6] += fractions[kC7Load] + fractions[kC8Load];
    M = 0.0;
    for (int i = 0; i < kN; ++i) {
        M += x[i] * Component(i).M;
    }
}

void Aga8Calculator12::setComposition(const double* composition) {
    loadComposition(composition);
    if (changed != 0) {
        mixSize();
        mixParameters();
        termCoefficients();
    }
}

void Aga8Calculator12::mixSize() {
    double sum = 0.0;
    for (int i = 0; i < kN; ++i) {
        for (int j = 0; j < kN; ++j) {
            xx[i][j] = x[i] * x[j];
        }
        sum += x[i] * K25[i];
    }
    double K5 = sum * sum;
    for (int i = 0; i < kN; ++i) {
        for (int j = i + 1; j < kN; ++j) {
            if (Kij5[i][j] != 1.0) {
                K5 += 2.0 * xx[i][j] * sizePairTerm[i][j];
            }
        }
    }
    K = std::pow(K5, 0.2);
    GasTrace(kTraceSize, TraceFormat(kTraceArgDouble), K);
}

void Aga8Calculator12::mixParameters() {
    F = x[kH2] * x[kH2];
    Q = 0.69 * x[kCO2];
    double sumE = 0.0;
    G = 0.0;
    for (int i = 0; i < kN; ++i) {
        G += x[i] * Component(i).G;
        sumE += x[i] * E25[i];
    }
    double U5 = sumE * sumE;
    for (int i = 0; i < kN; ++i) {
        for (int j = i + 1; j < kN; ++j) {
            if (kPairs.G[i][j] != 1.0) {
                G += xx[i][j] * (kPairs.G[i][j] - 1.0) * (Component(i).G + Component(j).G);
            }
            if (Uij5[i][j] != 1.0) {
                U5 += 2.0 * xx[i][j] * energyPairTerm[i][j];
            }
        }
    }
    U = std::pow(U5, 0.2);
    GasTrace(kTraceFQ, TraceFormat(kTraceArgDouble, kTraceArgDouble), F, Q);
    GasTrace(kTraceGU, TraceFormat(kTraceArgDouble, kTraceArgDouble), G, U);
}

void Aga8Calculator12::termCoefficients() {
    double Upow[kTerms];
    TermPowers(U, Upow);
    for (int n = 0; n < kTerms; ++n) {
        const Aga8DetailTerm& t = Term(n);
        Cstar[n] = Switch(t.g, G) * Switch(t.q, Q * Q) * Switch(t.f, F) * Upow[n];
    }
    const double K3 = K * K * K;
    for (int n = 0; n < kTerms; ++n) {
        Bcoef[n] = 0.0;
    }
    // Components without a fraction add nothing to S_n.
    int present[kN];
    int count = 0;
    for (int i = 0; i < kN; ++i) {
        if (x[i] != 0.0) {
            present[count++] = i;
        }
    }
    for (int n = 0; n < kVirial; ++n) {
        double S = 0.0;
        for (int a = 0; a < count; ++a) {
            const int i = present[a];
            for (int b = 0; b < count; ++b) {
                const int j = present[b];
                S += xx[i][j] * virialPair[n][i][j];
            }
        }
        Bcoef[n] = S / K3;
        if (n >= kFirstDensityTerm) {
            Bcoef[n] -= Cstar[n];
        }
    }
}

double Aga8Calculator12::coefficientC(int n) const {
    return n >= kFirstDensityTerm ? Cstar[n] : 0.0;
}

void Aga8Calculator12::temperaturePowers(double T) {
    if (T == cachedTemperature) {
        return;
    }
    cachedTemperature = T;
    TermPowers(1.0 / T, inverseTemperaturePower);
}

void Aga8Calculator12::zTerms(double T) {
    temperaturePowers(T);
    const DensityPowers powers(D);
    double z = 0.0;
    double derivative = 0.0;
    const TermConstants& k = kTermConstants;
    for (int n = 0; n < kTerms; ++n) {
        const Aga8DetailTerm& t = Term(n);
        const double A = t.a * powers.pow[t.b] * inverseTemperaturePower[n];
        const double C = coefficientC(n);
        const double e = powers.expNeg[t.k];
        const double Dk = powers.pow[t.k];
        const double inner = k.b[n] - k.ck[n] * Dk;
        z += A * (k.b[n] * Bcoef[n] + inner * C * e);
        derivative += A * (k.bb1[n] * Bcoef[n] + C * e * (inner * (inner + 1.0) - k.ckk[n] * Dk));
    }
    zMinusOne = z;
    derivativeTerm = derivative;
}

uint8_t Aga8Calculator12::newtonDensity(double P, double T) {
    D = 1000.0 * P * K * K * K / (kGasConstant * T);
    zTerms(T);
    for (int steps = 1;; ++steps) {
        const double slope = 1.0 + derivativeTerm;
        if (slope == 0.0 || !std::isfinite(slope)) {
            break;
        }
        D += (reducedPressure / T - (1.0 + zMinusOne) * D) / slope;
        zTerms(T);
        if (steps > kMaxNewtonSteps) {
            break;
        }
        const double residual = std::fabs(D * T * (1.0 + zMinusOne) - reducedPressure);
        if (residual / reducedPressure < 1e-6) {
            GasTrace(kTraceConverged, TraceFormat(kTraceArgDouble, kTraceArgInt), D,
                     static_cast<int32_t>(steps));
            return 1;
        }
    }
    GasTrace(kTraceGaveUp, TraceFormat());
    return 0;
}

uint8_t Aga8Calculator12::solveDensity(double p, double T, double& Z) {
    const double P = p / 10.0;
    Z = 1.0;
    GasTrace(kTraceSolve, TraceFormat(kTraceArgDouble, kTraceArgDouble), P, T);
    // No density gives a pressure that is not positive; without any of the twelve components
    // (K = 0) there is no reduced density.
    if (usable == 0 || !IsPositive(P) || !IsPositive(T) || !IsPositive(K)) {
        GasTrace(kTraceGaveUp, TraceFormat());
        return 0;
    }
    reducedPressure = P / (1.0 / (K * K * K) * 0.001 * kGasConstant);
    if (newtonDensity(P, T) == 0) {
        return 0;
    }
    const double z = 1.0 + zMinusOne;
    if (!IsPositive(z) || !IsPositive(D)) {
        return 0;
    }
    Z = z;
    GasTrace(kTraceSolved, TraceFormat(kTraceArgDouble, kTraceArgDouble, kTraceArgDouble), Z,
             zMinusOne, derivativeTerm);
    return 1;
}

void Aga8Calculator12::getResults(double& reducedDensity, double& derivative) const {
    reducedDensity = D;
    derivative = derivativeTerm;
}

uint8_t Aga8Calculator12::properties(double T, double Z, double reducedDensity, double derivative,
                                     double& isentropicExponent, double& speedOfSound) const {
    if (usable == 0 || !IsPositive(T) || !IsPositive(M) || !IsPositive(Z)) {
        return 0;
    }
    double cp0R = 0.0;
    for (int i = 0; i < kN; ++i) {
        cp0R += x[i] * IdealHeatCapacity(i, T);
    }
    const DensityPowers powers(reducedDensity);
    double inverseTemperature[kTerms];
    TermPowers(1.0 / T, inverseTemperature);
    double s1 = 0.0;
    double s2 = 0.0;
    for (int n = 0; n < kTerms; ++n) {
        const Aga8DetailTerm& t = Term(n);
        const double A = t.a * powers.pow[t.b] * inverseTemperature[n];
        const double C = coefficientC(n);
        const double e = powers.e(t);
        s1 += (1.0 - t.u) * A * (t.b * Bcoef[n] + (t.b - t.c * powers.ck(t)) * C * e);
        s2 += t.u * (1.0 - t.u) * A * (Bcoef[n] + C * e);
    }
    const double cvR = cp0R - 1.0 + s2;
    if (!(cvR > 0.0) || !std::isfinite(cvR)) {
        return 0;
    }
    const double kappaZ = (1.0 + derivative) + (1.0 + s1) * (1.0 + s1) / cvR;
    const double kappa = kappaZ / Z;
    const double w = std::sqrt(kGasConstant * 1000.0 * T * kappaZ / M);
    if (!IsPositive(kappa) || !IsPositive(w)) {
        return 0;
    }
    isentropicExponent = kappa;
    speedOfSound = w;
    return 1;
}

void Aga8Calculator12::update(const double* composition, double p, double T, FbDoNode node,
                              uint8_t badInput) {
    if (composition == nullptr) {
        return;
    }
    setComposition(composition);
    if (node == nullptr) {
        return;
    }
    double Z = 1.0;
    double density = 0.0;
    uint32_t status = kInvalid;
    if (solveDensity(p, T, Z) != 0) {
        density = M * D / (K * K * K);
        status = 0;
    }
    if (badInput != 0) {
        status |= kInvalid;
    }
    WriteChild(node, 0, Z, status);
    WriteChild(node, 1, density, status);
}
