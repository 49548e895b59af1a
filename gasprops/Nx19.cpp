#include "Nx19.h"

#include <cmath>

#include "GasInputChecks.h"

namespace {

constexpr double kCelsiusOffset = 273.15;

double CubeRoot(double x) {
    return std::pow(x, 0.3333333333333333);
}

// The coefficients m and n of the reduced temperature.
struct MN {
    double m;
    double n;
};

MN CoefficientsMN(double tau) {
    const double tau2 = tau * tau;
    const double tau3 = tau2 * tau;
    const double m = 0.0330378 / tau2 - 0.0221323 / tau3 + 0.0161353 / (tau3 * tau2);
    const double n = (0.265827 / tau2 + 0.0457697 / (tau2 * tau2) - 0.133185 / tau) / m;
    return {m, n};
}

// 1 / (B/D - D + n/(3 pi)) of the NX-19 cubic for the deviation function E; NaN when the cubic
// cannot be evaluated.
double InverseCubicTerm(double pi, double tau, double E) {
    if (!IsPositiveFinite(pi) || !IsPositiveFinite(tau) || !std::isfinite(E)) {
        return std::nan("");
    }
    const MN c = CoefficientsMN(tau);
    if (c.m == 0.0 || !std::isfinite(c.n)) {
        return std::nan("");
    }
    const double pi2 = pi * pi;
    const double B = (3.0 - c.m * c.n * c.n) / (9.0 * c.m * pi2);
    const double b =
        (9.0 * c.n - 2.0 * c.m * c.n * c.n * c.n) / (54.0 * c.m * pi2 * pi) - E / (2.0 * c.m * pi2);
    const double D = CubeRoot(b + std::sqrt(b * b + B * B * B));
    if (D == 0.0 || !std::isfinite(D)) {
        return std::nan("");
    }
    const double denominator = B / D - D + c.n / (3.0 * pi);
    if (denominator == 0.0) {
        return std::nan("");
    }
    return 1.0 / denominator;
}

double E1(double pi, double tau) {
    const double v = tau - 1.09;
    const double root = std::sqrt(v);
    const double bracket = 2.17 + 1.4 * root - pi;
    return 1.0 - 0.00075 * std::pow(pi, 2.3) * std::exp(-20.0 * v) -
           0.0011 * root * pi * pi * bracket * bracket;
}

double E2(double pi, double tau) {
    const double u = 1.09 - tau;
    const double u2 = u * u;
    return 1.0 - 0.00075 * std::pow(pi, 2.3) * (2.0 - std::exp(-20.0 * u)) -
           1.317 * u2 * u2 * pi * (1.69 - pi * pi);
}

// E3 with the last factor given (4.01952 - pi^2 for E3, the tau-dependent one for E4).
double E3WithFactor(double pi, double tau, double lastFactor) {
    const double u = 1.09 - tau;
    const double u2 = u * u;
    const double u3 = u2 * u;
    const double u4 = u2 * u2;
    const double polynomial =
        200.0 * u4 * u2 - 0.03249 * u + 2.0167 * u2 - 18.028 * u3 + 42.844 * u4;
    return 1.0 - 0.00075 * std::pow(pi, 2.3) * (2.0 - std::exp(-20.0 * u)) +
           0.455 * polynomial * (pi - 1.3) * lastFactor;
}

double E3(double pi, double tau) {
    return E3WithFactor(pi, tau, 4.01952 - pi * pi);
}

double E4(double pi, double tau) {
    const double w = 0.88 - tau;
    return E3WithFactor(pi, tau, 1.69 * std::pow(2.0, 1.25 + 80.0 * w * w) - pi * pi);
}

double FactorDeviation(double pi, double tau) {
    if (tau > 1.09) {
        return E1(pi, tau);
    }
    if (Nx19InRange(pi, 0.0, 1.3) != 0) {
        return E2(pi, tau);
    }
    return tau >= 0.88 ? E3(pi, tau) : E4(pi, tau);
}

// 1 - E of the base-density form. The first form also stands for v <= -0.25, where its root
// has no real value; the caller rejects that domain before.
double RhoFormDeviation(double pi, double v) {
    const double pi23 = 0.00075 * std::pow(pi, 2.3);
    if (v > 0.0) {
        const double root = std::sqrt(v);
        const double inner = pi * (2.17 - pi + 1.4 * root);
        return pi23 / std::exp(20.0 * v) + 0.0011 * root * inner * inner;
    }
    const double v2 = v * v;
    if (pi > 0.0 && pi <= 1.3) {
        return pi23 * (2.0 - std::exp(20.0 * v)) + 1.317 * pi * (1.69 - pi * pi) * v2 * v2;
    }
    return pi23 * (2.0 - std::exp(20.0 * v)) +
           0.455 * (1.3 - pi) * (1.69 * std::pow(2.0, 1.25) - pi * pi) *
               (v * (0.03249 + 18.028 * v2) + v2 * ((200.0 * v2 + 42.844) * v2 + 2.0167));
}

// CO2 and N2 contents a gas can hold: each 0 to 100 mol-%, together at most 100 mol-%.
bool PossibleContents(double CO2, double N2) {
    return IsPossibleContent(CO2) && IsPossibleContent(N2) && CO2 + N2 <= 100.0;
}

// The physical domain of the two entries without a validity window: a finite positive
// description of the gas (relative or base density), pressure and temperature, and possible
// contents.
bool InPhysicalDomain(double density, double CO2, double N2, double p, double T) {
    return IsPositiveFinite(density) && PossibleContents(CO2, N2) && IsPositiveFinite(p) &&
           IsPositiveFinite(T);
}

void SetFlag(uint8_t* flag, bool value) {
    if (flag != nullptr) {
        *flag = value ? 1 : 0;
    }
}

int Finish(double z, double* Z) {
    const int ok = IsPositiveFinite(z) ? 1 : 0;
    if (Z != nullptr) {
        *Z = ok ? z : 1.0;
    }
    return ok;
}

}  // namespace

int Nx19InRange(double x, double lo, double hi) {
    return (lo <= x && x < hi) ? 1 : 0;
}

double Nx19Factor(double p, double t, double G, double Mc, double Mn) {
    if (!(p > 0.0)) {
        return 0.0;
    }
    const double pDenominator = 160.8 - 7.22 * G + Mc - 0.392 * Mn;
    const double tDenominator = 99.15 + 211.9 * G - Mc - 1.681 * Mn;
    if (pDenominator == 0.0 || tDenominator == 0.0) {
        return 0.0;
    }
    const double Fp = 156.47 / pDenominator;
    const double FT = 226.29 / tDenominator;
    const double adjustedT = (t + 273.333) * FT - 273.333;
    const double pi = p * Fp / 68.9476;
    const double tau = (adjustedT + 273.333) / 277.777;
    const double z = InverseCubicTerm(pi, tau, FactorDeviation(pi, tau));
    if (!IsPositiveFinite(z)) {
        return 0.0;
    }
    return z > 1.0 ? 1.0 : z;
}

int Nx19Z(double G, double CO2, double N2, double p, double T, double* Z) {
    if (!InPhysicalDomain(G, CO2, N2, p, T)) {
        return Finish(0.0, Z);
    }
    return Finish(Nx19Factor(p, T - kCelsiusOffset, G, CO2, N2), Z);
}

double Nx19ModRhoFactor(double p, double t, double CO2, double N2, double rho) {
    if (!(p > 0.0)) {
        return 0.0;
    }
    const double P = p / 10.0;
    const double T = t + kCelsiusOffset;
    const double x = CO2 / 100.0;
    const double y = N2 / 100.0;
    const double ppc = 2.9585 * (1.608 - 0.05994 * rho + x - 0.392 * y);
    const double Tpc = 88.25 * (0.9915 + 1.759 * rho - x - 1.681 * y);
    if (!IsPositiveFinite(ppc) || !IsPositiveFinite(Tpc)) {
        return 0.0;
    }
    const double pi = 0.6714 * P / ppc + 0.0147;
    const double tau = 0.71892 * T / Tpc + 0.0007;
    const double v = tau - 1.09;
    if (!(v > -0.25) || !IsPositiveFinite(pi)) {
        return 0.0;
    }
    const double deviation = RhoFormDeviation(pi, v);
    const double tau2 = tau * tau;
    const double mDenominator = (6.60756 * tau - 4.42646) * tau2 + 3.227061;
    if (mDenominator == 0.0) {
        return 0.0;
    }
    const double m = tau2 * tau2 * tau / mDenominator;
    const double n = ((1.77218 - 0.8879 * tau) * tau2 + 0.305131) * m / (tau2 * tau2);
    const double B = 2.0 * m / 3.0 - n * n;
    const double b = (m - n * n) * n + 0.1 * m * pi * (deviation - 1.0);
    const double D = CubeRoot(std::sqrt(b * b + B * B * B) + b);
    if (D == 0.0 || !std::isfinite(D)) {
        return 0.0;
    }
    const double denominator = B / D - D + n;
    if (denominator == 0.0) {
        return 0.0;
    }
    const double lowT = 1.0 + 0.00132 / std::pow(tau, 3.25);
    const double z = lowT * lowT / denominator * pi / 10.0;
    // A negative Z (far above the correlation's pressures) is no result to be limited.
    if (!(z > 0.0)) {
        return 0.0;
    }
    return z > 1.0 ? 1.0 : (z < 0.1 ? 0.1 : z);
}

int Nx19VariantZ(double rho, double CO2, double N2, double p, double T, double* Z) {
    if (!InPhysicalDomain(rho, CO2, N2, p, T)) {
        return Finish(0.0, Z);
    }
    return Finish(Nx19ModRhoFactor(p, T - kCelsiusOffset, CO2, N2, rho), Z);
}

double Nx19Core(double pi, double tau) {
    const bool e1Window = tau >= 1.09 && tau <= 1.4 && pi >= 0.0 && pi <= 2.0;
    const double E = e1Window ? E1(pi, tau) : E2(pi, tau);
    const double lowT = 1.0 + 0.00132 / std::pow(tau, 3.25);
    return lowT * lowT * InverseCubicTerm(pi, tau, E);
}

double Nx19HighHsCorrection(double p, double t, double Hs, double d, double xCO2, double Z) {
    const double T = t + kCelsiusOffset;
    const double H = Hs;
    const double x = xCO2;
    const double H2 = H * H;
    const double H3 = H2 * H;
    const double d2 = d * d;
    const double x2 = x * x;
    const double T2 = T * T;
    const double p2 = p * p;
    const double f = 1.0 - 1.233507e-8 * p * H3 * d2 + 9.58405e-7 * p * T -
                     9.218982e-6 * p * T * H2 * d2 * x2 - 1.76419e-8 * p * T2 * H2 * x2 +
                     5.449614e-8 * p * T2 * H2 * d * x2 - 1.350988e-12 * p * T2 * H3 * x -
                     7.622085e-10 * p2 * H3 * x - 5.43367e-9 * p2 * d2 * T +
                     1.47958e-9 * p2 * d2 * T2 * x;
    return f * Z;
}

double Nx19ModCore(double p, double t, double xN2, double xCO2, double d, double Hs,
                   uint8_t highHsOption) {
    const double pDenominator = 1.608 - 0.0722 * d + xCO2 - 0.392 * xN2;
    const double tDenominator = 0.9915 + 2.119 * d - xCO2 - 1.681 * xN2;
    if (pDenominator == 0.0 || tDenominator == 0.0) {
        return std::nan("");
    }
    const double pi = 0.022694033272 * p / pDenominator + 0.0147;
    const double tau = (0.00814644 * t + 2.2266936) / tDenominator;
    double Z = Nx19Core(pi, tau);
    if (highHsOption != 0 && Hs > 39.8) {
        Z = Nx19HighHsCorrection(p, t, Hs, d, xCO2, Z);
    }
    return Z;
}

int Nx19ModZ(double Hs, double d, double CO2, double N2, double p, double T, double* Z,
             uint8_t* tWideFlag, uint8_t* pFlag, uint8_t* tNarrowFlag, uint8_t highHsOption) {
    // Written as "not inside" so that a pressure or temperature that is not a number is flagged.
    const bool pOut = !(p >= 0.001 && p <= 99.0);
    const bool tWideOut = !(T >= 248.15 && T <= 338.15);
    SetFlag(pFlag, pOut);
    SetFlag(tNarrowFlag, !(T >= 253.15 && T <= 333.15));
    SetFlag(tWideFlag, tWideOut);
    const bool finite = std::isfinite(Hs) && std::isfinite(d) && std::isfinite(CO2) &&
                        std::isfinite(N2) && std::isfinite(p) && std::isfinite(T);
    // A relative density that is not positive describes no gas; the core would still give a
    // number (close to 0 for d = 0) and report it as a good Z.
    if (!finite || !(d > 0.0) || !PossibleContents(CO2, N2) || Hs < 21.6 || Hs > 46.8 ||
        CO2 > 30.0 || pOut || tWideOut) {
        return Finish(0.0, Z);
    }
    return Finish(Nx19ModCore(p, T - kCelsiusOffset, N2 / 100.0, CO2 / 100.0, d, Hs, highHsOption),
                  Z);
}
