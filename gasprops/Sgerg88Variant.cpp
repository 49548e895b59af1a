#include "Sgerg88Variant.h"

#include <cmath>

#include "GasInputChecks.h"
#include "GasTrace.h"
#include "Sgerg88Virial.h"

namespace {

constexpr double kNormalTemperature = 273.15;
constexpr int kMaxPasses = 30;
constexpr uint32_t kTraceResult = 5;

// Working composition written by the normal-state solution and read by the operating-state
// evaluation of the same call.
struct WorkingComposition {
    double xN2;
    double xCO2;
    double H;  // molar calorific value of the equivalent hydrocarbon, kJ/mol
    double xCH;
    double xCO;
};
WorkingComposition g_work{};

struct Contents {
    double CO2;
    double N2;
    double H2;
};

bool IsVariant(int variant) {
    return variant >= 0 && variant <= 4;
}

// Zeroes the contents the variant does not use.
Contents ApplyVariant(int variant, Contents c) {
    switch (variant) {
        case 0:
            c.H2 = 0.0;
            c.N2 = 0.0;
            break;
        case 1:
            c.H2 = 0.0;
            c.CO2 = 0.0;
            break;
        case 2:
            c.N2 = 0.0;
            break;
        case 3:
            c.CO2 = 0.0;
            break;
        default:
            c.H2 = 0.0;
            break;
    }
    return c;
}

// Contents a gas can hold: each 0 to 100 mol-%, together at most 100 mol-%.
bool PossibleContents(const Contents& c) {
    return IsPossibleContent(c.CO2) && IsPossibleContent(c.N2) && IsPossibleContent(c.H2) &&
           c.CO2 + c.N2 + c.H2 <= 100.0;
}

// Range check, variant, and the physical domain (with or without the range check): finite
// positive Hs, d and T and possible contents among those the variant uses.
bool AcceptInputs(int variant, double Hs, double d, const Contents& c, double T, bool wide,
                  bool check) {
    if (check && !SgergInputInRange(Hs, d, c.H2, wide)) {
        return false;
    }
    return IsVariant(variant) && IsPositiveFinite(Hs) && IsPositiveFinite(d) &&
           IsPositiveFinite(T) && PossibleContents(ApplyVariant(variant, c));
}

SgergFractions Fractions(double xH2) {
    return {g_work.xCH, g_work.xN2, g_work.xCO2, xH2, g_work.xCO};
}

// One inner pass: the composition implied by H at molar density rhoM; returns the normal density.
double NormalDensityForH(int variant, double Hs, double xH2, double rhoM, bool wide) {
    const double H = g_work.H;
    const double MCH = kSgergVariantMolarMassSlope * H + kSgergMolarMassOffset;
    if (variant != 4) {
        g_work.xCO = wide ? 0.0 : kSgergCOPerH2 * xH2;
        g_work.xCH =
            Hs / (H * rhoM) - (kSgergCalorificH2 * xH2 + kSgergCalorificCO * g_work.xCO) / H;
    }
    switch (variant) {
        case 0:
        case 2:
            g_work.xN2 = 1.0 - g_work.xCH - g_work.xCO2 - xH2 - g_work.xCO;
            break;
        case 3:
            g_work.xCO2 = 1.0 - g_work.xCH - g_work.xN2 - xH2 - g_work.xCO;
            break;
        case 1:
            g_work.xCO2 = 1.0 - g_work.xCH - g_work.xN2;
            break;
        default:
            break;
    }
    double M = g_work.xCH * MCH + kSgergMolarMassN2 * g_work.xN2 + kSgergMolarMassCO2 * g_work.xCO2;
    if (variant != 1 && variant != 4) {
        M += kSgergMolarMassH2 * xH2 + kSgergMolarMassCO * g_work.xCO;
    }
    return rhoM * M;
}

// Inner passes: adjusts H until the normal density meets the target. False after 30 passes.
bool SolveCalorificValue(int variant, double Hs, double d, double xH2, double rhoM, bool wide,
                         double& step, bool& firstStep) {
    const double target = kSgergAirDensity * d;
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
        const double rho = NormalDensityForH(variant, Hs, xH2, rhoM, wide);
        if (std::fabs(rho - target) < 1e-6) {
            return true;
        }
        if (!firstStep) {
            step = -g_work.H * (rho / kSgergAirDensity - d);
        }
        firstStep = false;
        g_work.H += step;
        if (!(g_work.H > 0.0)) {
            return false;
        }
    }
    return false;
}

// Mixture B of the stored composition at the terms' temperature; NaN when B11*B33 < 0.
double StoredMixtureB(const SgergTemperatureTerms& terms, double xH2) {
    return SgergMixtureB(terms, Fractions(xH2), SgergB11(terms, g_work.H));
}

int SolveNormalState(int variant, double Hs, double d, double xH2, double& B, double& C,
                     bool wide) {
    const SgergTemperatureTerms terms = SgergEvaluateAt(kSgergVirialTable, kNormalTemperature);
    g_work.H = 1000.0;
    if (variant == 4) {
        g_work.xCH = 1.0 - g_work.xN2 - g_work.xCO2;
        g_work.xCO = 0.0;
    }
    double step = 10.0;
    bool firstStep = true;
    C = 0.0;
    B = wide ? 0.0 : -0.065;
    double rhoM = 1.0 / (B + kSgergVariantIdealMolarVolume);
    for (int outer = 1; outer <= kMaxPasses; ++outer) {
        if (!SolveCalorificValue(variant, Hs, d, xH2, rhoM, wide, step, firstStep)) {
            return 0;
        }
        const double previous = B;
        B = StoredMixtureB(terms, xH2);
        if (!std::isfinite(B)) {
            return 0;
        }
        rhoM = 1.0 / (B + kSgergVariantIdealMolarVolume);
        if (std::fabs(B - previous) < 1e-6) {
            return 1;
        }
    }
    return 0;
}

int OperatingCoefficients(double T, double xH2, double& B, double& C) {
    const SgergTemperatureTerms terms = SgergEvaluateAt(kSgergVirialTable, T);
    B = StoredMixtureB(terms, xH2);
    if (!std::isfinite(B)) {
        return 0;
    }
    const double C111 = SgergC111(terms, g_work.H);
    if (C111 < 0.0) {
        return 0;
    }
    C = SgergMixtureC(terms, Fractions(xH2), C111, CubeRootNewton);
    return std::isfinite(C) ? 1 : 0;
}

}  // namespace

double CubeRootNewton(double x) {
    if (!std::isfinite(x)) {
        return std::nan("");
    }
    if (x == 0.0) {
        return 0.0;
    }
    double factor = x < 0.0 ? -1.0 : 1.0;
    double m = std::fabs(x);
    if (m == 1.0) {
        return factor;
    }
    while (m >= 1.0) {
        m *= 0.125;
        factor *= 2.0;
    }
    while (m < 0.125) {
        m *= 8.0;
        factor *= 0.5;
    }
    double y = 0.540528 * m + 0.495608;
    // Newton's method converges quadratically from this start; the bound only guards the loop.
    for (int pass = 0; pass < 100; ++pass) {
        const double next = (m / y / y + y + y) / 3.0;
        const double change = std::fabs(next - y);
        y = next;
        if (!(change > 1e-14)) {
            break;
        }
    }
    return factor * y;
}

int SgergVirial(int variant, double T, double Hs, double d, double CO2, double N2, double H2,
                double& B, double& C, int mode, uint8_t wide, uint8_t check) {
    Contents contents{CO2, N2, H2};
    if (!AcceptInputs(variant, Hs, d, contents, T, wide != 0, check != 0)) {
        return 0;
    }
    contents = ApplyVariant(variant, contents);
    const double xH2 = contents.H2 / 100.0;
    if (mode == 1 || variant == 4) {
        g_work.xN2 = contents.N2 / 100.0;
        g_work.xCO2 = contents.CO2 / 100.0;
    }
    if (mode == 1) {
        return SolveNormalState(variant, Hs, d, xH2, B, C, wide != 0);
    }
    return OperatingCoefficients(T, xH2, B, C);
}

double SgergOperatingZ(int variant, double Hs, double d, double CO2, double N2, double H2, double p,
                       double T, uint8_t wide, uint8_t check) {
    double B = 0.0;
    double C = 0.0;
    if (SgergVirial(variant, T, Hs, d, CO2, N2, H2, B, C, 0, wide, check) == 0 ||
        !IsPositiveFinite(p)) {
        return 0.0;
    }
    const double RT = kSgergVariantGasConstant * T;
    double Z = 1.0;
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
        const double denominator = Z * RT;
        if (!(denominator > 0.0)) {
            return 0.0;
        }
        const double rho = p / denominator;
        const double next = 1.0 + B * rho + C * rho * rho;
        if (std::fabs(Z - next) <= 1e-6) {
            return next;
        }
        Z = next;
    }
    return 0.0;
}

int SgergZVariant(int variant, double Hs, double d, double CO2, double N2, double H2, double p,
                  double T, double* Z, uint8_t wide, uint8_t check) {
    if (Z == nullptr) {
        return 0;
    }
    double B = 0.0;
    double C = 0.0;
    if (SgergVirial(variant, kNormalTemperature, Hs, d, CO2, N2, H2, B, C, 1, wide, check) == 0) {
        *Z = 1.0;
        return 0;
    }
    const double z = SgergOperatingZ(variant, Hs, d, CO2, N2, H2, p, T, wide, check);
    const int ok = (z > 0.0 && std::isfinite(z)) ? 1 : 0;
    GasTrace(kTraceResult,
             TraceFormat(kTraceArgInt, kTraceArgDouble, kTraceArgDouble, kTraceArgDouble,
                         kTraceArgDouble, kTraceArgDouble, kTraceArgDouble, kTraceArgDouble,
                         kTraceArgDouble),
             ok, z, p, T, Hs, kSgergAirDensity * d, CO2, H2, N2);
    *Z = ok ? z : 1.0;
    return ok;
}
