// Speed of sound, isentropic exponent and heat-capacity ratio from AGA8-92 DETAIL (residual part)
// and the GERG-2008 ideal-gas heat capacities (ideal part).
#include <cmath>

#include "Aga8DetailInternal.h"
#include "GasTrace.h"
#include "tables/aga8_detail_constants.h"
#include "tables/aga8_detail_table4_terms.h"

namespace {

// Hyperbolic terms of the ideal-gas part: 4 and 6 sinh, 5 and 7 cosh.
constexpr bool kIsSinhTerm[4] = {true, false, true, false};

// The second temperature derivative of the ideal-gas Helmholtz energy, a0_2 = T d2a0/dT2
// (J/(mol K)), of the mixture with mole fractions x. D is not needed for this derivative.
double Aga8IdealHelmholtz(double T, const double* x) {
    const Aga8SetupTables& t = gAga8Setup;
    double sum = 0.0;
    for (int i = 0; i < kAga8Components; ++i) {
        if (!(x[i] > 0.0)) {
            continue;
        }
        double hyperbolic = 0.0;
        for (int j = 0; j < 4; ++j) {
            const double theta = t.idealTheta[i][j];
            if (!(theta > 0.0)) {
                continue;
            }
            const double r = theta / T;
            const double e = std::exp(r);
            const double h = kIsSinhTerm[j] ? (e - 1.0 / e) / 2.0 : (e + 1.0 / e) / 2.0;
            hyperbolic += t.idealN0[i][3 + j] * (r / h) * (r / h);
        }
        sum += x[i] * (t.idealN0[i][2] + hyperbolic);
    }
    return -kAga8GasConstant * sum;
}

void ClearOutputs(double* speedOfSound, double* isentropicExponent, double* heatCapacityRatio) {
    *speedOfSound = 0.0;
    *isentropicExponent = 0.0;
    *heatCapacityRatio = 0.0;
}

}  // namespace

void Aga8Properties(const Aga8State& state, const double* T, const double* D, double* speedOfSound,
                    double* isentropicExponent, double* heatCapacityRatio) {
    GasTrace(0x10067, TraceFormat());
    const double temperature = *T;
    const double density = *D;
    // Only a state of a valid solve can be evaluated; anything else gives zero outputs rather
    // than a division by zero.
    if (!(temperature > 0.0) || !std::isfinite(temperature) || !(density >= 0.0) ||
        !std::isfinite(density) || !(state.M > 0.0)) {
        ClearOutputs(speedOfSound, isentropicExponent, heatCapacityRatio);
        return;
    }
    const double a02 = Aga8IdealHelmholtz(temperature, state.x);
    double tPowNegU[kAga8Terms];
    for (int n = 0; n < kAga8Terms; ++n) {
        tPowNegU[n] = std::pow(temperature, -kAga8DetailTerms[n].u);
    }
    double ar[4][4];
    Aga8ResidualHelmholtz(state, temperature, density, tPowNegU, 2, ar);
    const double RT = kAga8GasConstant * temperature;
    const double Z = 1.0 + ar[0][1] / RT;
    const double dPdD = (2.0 * ar[0][1] + RT) + ar[0][2];
    const double dPdT = density * kAga8GasConstant + density * ar[1][1];
    const double Cv = -(a02 + ar[2][0]);
    if (!(Cv > 0.0) || !(Z > 0.0) || (density > 0.0 && !(dPdD > 0.0))) {
        ClearOutputs(speedOfSound, isentropicExponent, heatCapacityRatio);
        return;
    }
    const double Cp = density > 0.0 ? Cv + temperature * (dPdT / density) * (dPdT / density) / dPdD
                                    : Cv + kAga8GasConstant;
    *heatCapacityRatio = Cp / Cv;
    double W2 = 1000.0 * (Cp / Cv) * dPdD / state.M;
    if (W2 < 0.0) {
        W2 = 0.0;
    }
    *speedOfSound = std::sqrt(W2);
    *isentropicExponent = W2 * state.M / (RT * 1000.0 * Z);
}
