#include "Sgerg88SecondForm.h"

#include <cmath>
#include <cstdint>

#include "GasInputChecks.h"
#include "GasTrace.h"
#include "Sgerg88Virial.h"
#include "tables/sgerg88_second_form.h"

namespace {

constexpr uint32_t kFileNumber = 3;
constexpr uint32_t kTraceEntry = TraceId(kFileNumber, 0, 7);
constexpr uint32_t kTraceZ = TraceId(kFileNumber, 1, 7);
constexpr uint32_t kTraceKappa = TraceId(kFileNumber, 2, 7);
constexpr uint32_t kTraceSound = TraceId(kFileNumber, 3, 7);

// CO2 and N2 contents a gas can hold: each 0 to 100 mol-%, together at most 100 mol-%.
bool PossibleContents(double CO2, double N2) {
    return IsPossibleContent(CO2) && IsPossibleContent(N2) && CO2 + N2 <= 100.0;
}

void TraceOneDouble(uint32_t id, double value) {
    GasTrace(id, TraceFormat(kTraceArgDouble), value);
}

// Mixture B of this form; NaN when B11*B33 is negative.
double MixtureB(const SgergTemperatureTerms& t, double B11, double xCH, double xN2, double xCO2) {
    const double product = B11 * t.B33;
    if (product < 0.0) {
        return std::nan("");
    }
    const double dT = 320.0 - t.T;
    return xCH * xCH * B11 + xCH * xN2 * (0.72 + 1.875e-5 * dT * dT) * (B11 + t.B22) -
           1.73 * xCH * xCO2 * std::sqrt(product) + xN2 * xN2 * t.B22 + 2.0 * xN2 * xCO2 * t.B23 +
           xCO2 * xCO2 * t.B33;
}

// Mixture C of this form; NaN when C111, C222 or C333 is negative.
double MixtureC(const SgergTemperatureTerms& t, double C111, double xCH, double xN2, double xCO2) {
    if (C111 < 0.0 || t.C222 < 0.0 || t.C333 < 0.0) {
        return std::nan("");
    }
    const double y = 0.92 + 0.0013 * (t.T - 270.0);
    const auto cbrt = SgergPowCubeRoot;
    const double xCH2 = xCH * xCH;
    return xCH2 * xCH * C111 + 3.0 * xCH2 * xN2 * y * cbrt(C111 * C111 * t.C222) +
           2.76 * xCH2 * xCO2 * cbrt(C111 * C111 * t.C333) +
           3.0 * xCH * xN2 * xN2 * y * cbrt(C111 * t.C222 * t.C222) +
           2.76 * xCH * xCO2 * xCO2 * cbrt(C111 * t.C333 * t.C333) +
           6.6 * xCH * xN2 * xCO2 * cbrt(C111 * t.C222 * t.C333) + xN2 * xN2 * xN2 * t.C222 +
           3.0 * xN2 * xN2 * xCO2 * t.C223 + 3.0 * xN2 * xCO2 * xCO2 * t.C233 +
           xCO2 * xCO2 * xCO2 * t.C333;
}

// Real root of the virial equation in closed form; NaN when there is none.
double ClosedFormZ(double P, double T, double B, double C) {
    const double b = 1000.0 * P / (kSgergSecondFormPressureFactor * T);
    const double B0 = b * B;
    const double C0 = b * b * C;
    const double A0 = 1.0 + 1.5 * (B0 + C0);
    const double A1 = 1.0 + B0;
    const double discriminant = A0 * A0 - A1 * A1 * A1;
    if (!(discriminant >= 0.0)) {
        return std::nan("");
    }
    const double A2base = A0 - std::sqrt(discriminant);
    if (!(A2base >= 0.0)) {
        return std::nan("");
    }
    const double A2 = SgergPowCubeRoot(A2base);
    if (A2 == 0.0) {
        return std::nan("");
    }
    return (1.0 + A2 + A1 / A2) / 3.0;
}

}  // namespace

int SgergStartZn(const double* rho, const double* xN2, const double* xCO2, double* Zn) {
    const double term = 0.0741 * *rho - 0.006 - 0.063 * *xN2 - 0.0575 * *xCO2;
    *Zn = 1.0 - term * term;
    return 1;
}

int SgergZ(const double* rho, const double* CO2, const double* N2, const double* p, const double* T,
           double* Z) {
    GasTrace(kTraceEntry, TraceFormat(kTraceArgDouble, kTraceArgDouble, kTraceArgDouble), *rho,
             *CO2, *N2);
    if (!IsPositiveFinite(*rho) || !PossibleContents(*CO2, *N2) || !IsPositiveFinite(*p) ||
        !IsPositiveFinite(*T)) {
        return 0;
    }
    const double P = *p / 10.0;
    const double xN2 = *N2 / 100.0;
    const double xCO2 = *CO2 / 100.0;
    double Zn = 1.0;
    SgergStartZn(rho, &xN2, &xCO2, &Zn);
    const double xCH = 1.0 - xN2 - xCO2;
    if (xCH == 0.0) {
        return 0;
    }
    const double MCH = (kSgergSecondFormIdealMolarVolume * Zn * *rho - kSgergMolarMassN2 * xN2 -
                        kSgergMolarMassCO2 * xCO2) /
                       xCH;
    const double H = kSgergSecondFormCalorificSlope * MCH + kSgergSecondFormCalorificOffset;
    const SgergTemperatureTerms terms = SgergEvaluateAt(kSgergSecondFormTable, *T);
    const double B = MixtureB(terms, SgergB11(terms, H), xCH, xN2, xCO2);
    const double C = MixtureC(terms, SgergC111(terms, H), xCH, xN2, xCO2);
    const double z = ClosedFormZ(P, *T, B, C);
    if (!IsPositiveFinite(z)) {
        return 0;
    }
    *Z = z;
    TraceOneDouble(kTraceZ, z);
    return 1;
}

int SgergExtProperty1(const double* rho, const double* N2, const double* p, const double* T,
                      double* kappa) {
    if (!IsPositiveFinite(*rho) || !IsPossibleContent(*N2) || !(*p >= 0.0) || !std::isfinite(*p) ||
        !IsPositiveFinite(*T)) {
        return 0;
    }
    const double x = *N2 / 100.0;
    const double reduced = (*p / 10.0) / *T;
    const double value =
        1.556 * (1.0 + 0.074 * x) - 0.00039 * *T * (1.0 - 0.68 * x) - 0.208 * *rho +
        std::pow(reduced, 1.43) * (384.0 * (1.0 - x) * std::pow(reduced, 0.8) + 26.4 * x);
    if (!IsPositiveFinite(value)) {
        return 0;
    }
    *kappa = value;
    TraceOneDouble(kTraceKappa, value);
    return 1;
}

int SgergExtProperty2(const double* rho, const double* CO2, const double* N2, const double* T,
                      const double* Z, const double* kappa, double* w) {
    if (!IsPositiveFinite(*rho) || !PossibleContents(*CO2, *N2) || !IsPositiveFinite(*T) ||
        !IsPositiveFinite(*Z) || !IsPositiveFinite(*kappa)) {
        return 0;
    }
    const double xN2 = *N2 / 100.0;
    const double xCO2 = *CO2 / 100.0;
    double Zn = 1.0;
    SgergStartZn(rho, &xN2, &xCO2, &Zn);
    const double denominator = Zn * *rho;
    if (!IsPositiveFinite(denominator)) {
        return 0;
    }
    const double value = kSgergSecondFormSoundFactor * std::sqrt(*T * *Z * *kappa / denominator);
    if (!IsPositiveFinite(value)) {
        return 0;
    }
    *w = value;
    TraceOneDouble(kTraceSound, value);
    return 1;
}
