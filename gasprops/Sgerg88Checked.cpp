#include "Sgerg88Checked.h"

#include <cmath>

#include "GasInputChecks.h"
#include "GasTrace.h"
#include "Sgerg88Virial.h"
#include "tables/sgerg88_checked.h"

namespace {

constexpr double kNormalTemperature = 273.15;
constexpr int kMaxSteps = 100;
constexpr uint32_t kTraceResult = TraceId(5, 0, 5);

struct NormalState {
    double H;
    double rhoM;
    double MCH;
    double xCH;
    double xN2;
    double xCO;
    double rho;  // normal density of the last step, kg/m3
};

// Secant steps on H until the normal density meets the target. Counts into `steps`; false when
// the limit is reached or a step is not defined.
bool SecantOnH(NormalState& s, double Hs, double target, double xCO2, double xH2, int& steps) {
    for (;;) {
        s.rho = SgergDensityForH(s.H, Hs, s.rhoM, xH2, s.xCO, xCO2, s.MCH, s.xCH, s.xN2);
        if (std::fabs(target - s.rho) <= 1e-6) {
            return true;
        }
        double MCH = 0.0;
        double xCH = 0.0;
        double xN2 = 0.0;
        const double rho2 =
            SgergDensityForH(s.H + 1.0, Hs, s.rhoM, xH2, s.xCO, xCO2, MCH, xCH, xN2);
        const double slope = rho2 - s.rho;
        if (slope == 0.0 || !std::isfinite(slope)) {
            return false;
        }
        s.H += (target - s.rho) / slope;
        ++steps;
        if (steps >= kMaxSteps) {
            return false;
        }
    }
}

// The physical domain: positive finite Hs, d, p and T, and contents a gas can hold.
bool InPhysicalDomain(double Hs, double d, double CO2, double H2, double p, double T) {
    return IsPositiveFinite(Hs) && IsPositiveFinite(d) && IsPositiveFinite(p) &&
           IsPositiveFinite(T) && IsPossibleContent(CO2) && IsPossibleContent(H2) &&
           CO2 + H2 <= 100.0;
}

bool IsPlausible(const NormalState& s, double xCO2, double xH2) {
    return s.rho > 0.711 + 0.517 * s.xN2 + 1.255 * xCO2 - 0.581 * xH2;
}

}  // namespace

double SgergDensityForH(double H, double Hs, double rhoM, double xH2, double xCO, double xCO2,
                        double& MCH, double& xCH, double& xN2) {
    if (H == 0.0 || rhoM == 0.0) {
        return std::nan("");
    }
    MCH = kSgergCheckedMolarMassSlope * H + kSgergMolarMassOffset;
    xCH = Hs / (H * rhoM) - (kSgergCalorificH2 * xH2 + kSgergCalorificCO * xCO) / H;
    xN2 = 1.0 - xCH - xCO2 - xH2 - xCO;
    return rhoM * (xCH * MCH + kSgergMolarMassN2 * xN2 + kSgergMolarMassCO2 * xCO2 +
                   kSgergMolarMassH2 * xH2 + kSgergMolarMassCO * xCO);
}

double SgergMixB(double xCH, double xN2, double xCO2, double xH2, double xCO, double T, double H) {
    const SgergTemperatureTerms terms = SgergEvaluateAt(kSgergCheckedTable, T);
    return SgergMixtureB(terms, {xCH, xN2, xCO2, xH2, xCO}, SgergB11(terms, H));
}

double SgergMixC(double xCH, double xN2, double xCO2, double xH2, double xCO, double T, double H) {
    const SgergTemperatureTerms terms = SgergEvaluateAt(kSgergCheckedTable, T);
    return SgergMixtureC(terms, {xCH, xN2, xCO2, xH2, xCO}, SgergC111(terms, H), SgergPowCubeRoot);
}

double SgergMolarVolumeZ(double p, double T, double B, double C, int16_t& error) {
    const double RT = kSgergCheckedGasConstant * T;
    if (!(p > 0.0) || !(RT > 0.0) || !std::isfinite(p) || !std::isfinite(RT) || !std::isfinite(B) ||
        !std::isfinite(C)) {
        error = kSgergErrorMolarVolume;
        return 1.0;
    }
    const double V0 = RT / p;
    double V = V0 + B;
    for (int pass = 1; pass < kMaxSteps; ++pass) {
        if (V == 0.0 || !std::isfinite(V)) {
            break;
        }
        V = V0 * (1.0 + B / V + C / (V * V));
        if (V == 0.0 || !std::isfinite(V)) {
            break;
        }
        const double Z = 1.0 + B / V + C / (V * V);
        const double pCalc = RT * Z / V;
        if (std::fabs(pCalc - p) < 1e-5) {
            return Z;
        }
    }
    error = kSgergErrorMolarVolume;
    return 1.0;
}

double SgergCore(double p, double T, double Hs, double d, double xCO2, double xH2, double& xN2,
                 uint8_t wide, int16_t& error) {
    const double target = kSgergAirDensity * d;
    NormalState s{};
    s.xCO = wide ? 0.0 : kSgergCOPerH2 * xH2;
    double B = wide ? 0.0 : -0.065;
    s.rhoM = 1.0 / (B + kSgergCheckedIdealMolarVolume);
    s.H = 1000.0;
    int steps = 0;
    // Each pass re-solves H at the molar density of the last B; the passes share one step limit,
    // and the pass count is bounded as well in case the secant steps converge at once each time.
    for (int pass = 0;; ++pass) {
        const bool solved = SecantOnH(s, Hs, target, xCO2, xH2, steps);
        xN2 = s.xN2;
        if (!solved || pass >= kMaxSteps) {
            error = kSgergErrorNormalState;
            return 1.0;
        }
        if (!wide && !IsPlausible(s, xCO2, xH2)) {
            error = kSgergErrorPlausibility;
            return 1.0;
        }
        B = SgergMixB(s.xCH, s.xN2, xCO2, xH2, s.xCO, kNormalTemperature, s.H);
        const double volume = B + kSgergCheckedIdealMolarVolume;
        if (!std::isfinite(B) || volume == 0.0) {
            error = kSgergErrorNormalState;
            return 1.0;
        }
        s.rhoM = 1.0 / volume;
        const double HsCalc =
            (s.xCH * s.H + kSgergCalorificH2 * xH2 + kSgergCalorificCO * s.xCO) * s.rhoM;
        if (!(std::fabs(Hs - HsCalc) > 1e-4)) {
            break;
        }
    }
    B = SgergMixB(s.xCH, s.xN2, xCO2, xH2, s.xCO, T, s.H);
    const double C = SgergMixC(s.xCH, s.xN2, xCO2, xH2, s.xCO, T, s.H);
    return SgergMolarVolumeZ(p, T, B, C, error);
}

int SgergZChecked(double Hs, double d, double CO2, double H2, double p, double T, double* Z,
                  uint8_t wide, uint8_t check) {
    if (check != 0 && !SgergInputInRange(Hs, d, H2, wide != 0)) {
        return 0;
    }
    int16_t error = kSgergErrorNone;
    double xN2 = 0.0;
    double z = 1.0;
    if (InPhysicalDomain(Hs, d, CO2, H2, p, T)) {
        z = SgergCore(p, T, Hs, d, CO2 / 100.0, H2 / 100.0, xN2, wide, error);
    } else {
        error = kSgergErrorInput;
    }
    if (error == kSgergErrorNone && !IsPositiveFinite(z)) {
        error = kSgergErrorMolarVolume;
        z = 1.0;
    }
    if (Z != nullptr) {
        *Z = z;
    }
    GasTrace(kTraceResult,
             TraceFormat(kTraceArgInt, kTraceArgDouble, kTraceArgDouble, kTraceArgDouble,
                         kTraceArgDouble, kTraceArgDouble, kTraceArgDouble, kTraceArgDouble),
             static_cast<int32_t>(error), z, p, T, Hs, kSgergAirDensity * d, CO2, H2);
    return error == kSgergErrorNone ? 1 : 0;
}
