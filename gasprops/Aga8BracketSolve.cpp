// AGA8-92 DETAIL solve mode 0: the density at which the compressibility equation gives the
// pressure, by regula falsi and inverse quadratic interpolation inside a bracket.
#include <cmath>

#include "Aga8DetailInternal.h"
#include "tables/aga8_detail_constants.h"

namespace {

// The compressibility equation at fixed temperature terms, evaluated at trial densities.
class Aga8ZOfDensity {
  public:
    explicit Aga8ZOfDensity(const Aga8DensityTerms& terms) : terms_(terms) {}

    // Stores Z at D (mol/dm3) and returns D Z.
    double operator()(double D) {
        Z_ = Aga8ZAtDensity(terms_, D);
        return D * Z_;
    }

    double Z() const { return Z_; }

  private:
    const Aga8DensityTerms& terms_;
    double Z_ = 1.0;
};

bool StrictlyBetween(double value, double a, double b) {
    return a < b ? (value > a && value < b) : (value > b && value < a);
}

// Root of f(D) = D Z(D) R T - P in [0, 40] mol/dm3. Returns the iterations used (> 0), the
// completed iterations when the interpolation stalls, or -2 without convergence.
int Aga8BracketSolve(Aga8ZOfDensity& zOfDensity, double P, double RT) {
    auto f = [&](double D) { return zOfDensity(D) * RT - P; };
    double a = 0.0;
    double fa = -P;
    double b = kAga8BracketDensity;
    double fb = kAga8BracketDensity * RT - P;  // ideal gas at the upper end
    for (int iteration = 1; iteration <= kAga8BracketIterations; ++iteration) {
        if (fa == fb) {
            return iteration - 1;
        }
        const double c = a - fa * (b - a) / (fb - fa);
        const double fc = f(c);
        if (fa == fc || fb == fc) {
            return iteration - 1;
        }
        double D = a * fb * fc / ((fa - fb) * (fa - fc)) + b * fa * fc / ((fb - fa) * (fb - fc)) +
                   c * fa * fb / ((fc - fa) * (fc - fb));
        if (!StrictlyBetween(D, a, b)) {
            D = (a + b) * 0.5;
        }
        const double fD = f(D);
        if (std::fabs(fD) <= kAga8BracketTolerance) {
            return iteration;
        }
        if (std::fabs(fc) < std::fabs(fD) && fD * fc > 0.0) {
            if (fc * fa > 0.0) {
                a = c;
                fa = fc;
            } else {
                b = c;
                fb = fc;
            }
        } else if (fD * fc < 0.0) {
            a = D;
            fa = fD;
            b = c;
            fb = fc;
        } else if (fc * fa > 0.0) {
            a = D;
            fa = fD;
        } else {
            b = D;
            fb = fD;
        }
    }
    return -2;
}

}  // namespace

double Aga8DensityBracketed(double p, double T, double B, double K3, const double* Ct,
                            int& status) {
    const double P = p * kMPaPerBar;
    const double RT = kAga8GasConstantMPa * T;
    const double fa = -P;
    const double fb = kAga8BracketDensity * RT - P;
    if (!(fa * fb < 0.0)) {
        status = 0;
        return 1.0;
    }
    Aga8DensityTerms terms;
    Aga8GroupDensityTerms(B, K3, Ct, terms);
    Aga8ZOfDensity zOfDensity(terms);
    status = Aga8BracketSolve(zOfDensity, P, RT);
    const double Z = zOfDensity.Z();
    if (status <= 0) {
        return 1.0;
    }
    if (!(Z > 0.0) || !std::isfinite(Z)) {
        status = -3;
        return 1.0;
    }
    return Z;
}
