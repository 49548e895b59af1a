// ISO 6976 summation-factor compression factor, molar mass, density and the metric calorific
// properties.
#include "Iso6976.h"

#include <cmath>

#include "ComponentPropertyTables.h"
#include "GasTrace.h"
#include "IsoSums.h"
#include "tables/unit_factors.h"

double Iso6976Z(const double* composition, double p, double /*T*/, RefConditionSet set) {
    const double* s = SummationFactorTable(set);
    double sum = 0.0;
    for (int i = 0; i < kGasComponents; ++i) {
        if (composition[i] != 0.0) {
            sum += MoleFraction(composition[i]) * s[i];
        }
    }
    if (RefIsMetric(set) != 0) {
        return 1.0 - sum * sum;
    }
    return 1.0 - (p * kPsiPerBar) * (sum * sum);
}

double MolarMassOfMixture(const double* composition, RefConditionSet set) {
    const double* m = MolarMassTable(set);
    double sum = 0.0;
    for (int i = 0; i < kGasComponents; ++i) {
        if (composition[i] != 0.0) {
            sum += MoleFraction(composition[i]) * m[i];
        }
    }
    return sum;
}

double GasDensity(double M, double p, double T, double Z, double R) {
    const double denominator = (T * R) * Z;
    if (!IsPositiveFinite(denominator)) {
        return 0.0;
    }
    return ((M * p) * 0.1) / denominator;
}

void Iso6976MetricProperties(Iso6976Result& result, const double* composition, double p, double T,
                             double airDensity, RefConditionSet set) {
    const double* molarMass = MolarMassTable(set);
    const double* superior = SuperiorCalorificTable(set);
    const double* inferior = InferiorCalorificTable(set);
    double sumX = 0.0;
    double M = 0.0;
    double Hs = 0.0;
    double Hi = 0.0;
    for (int i = 0; i < kGasComponents; ++i) {
        if (composition[i] != 0.0) {
            const double x = MoleFraction(composition[i]);
            sumX += x;
            M += x * molarMass[i];
            Hs += x * superior[i];
            Hi += x * inferior[i];
        }
    }
    if (!IsWholeComposition(composition, kGasComponents) || !(M > 0.0)) {
        FailIsoResult(result, 0x20055, sumX, M);
        return;
    }
    const double Z = Iso6976Z(composition, p, T, set);
    const double R = RefGasConstant(set);
    const double density = GasDensity(M, p, T, Z, R);
    const double d = IsPositiveFinite(airDensity) ? density / airDensity : 0.0;
    if (!IsPositiveFinite(p) || !IsPositiveFinite(T) || !IsPositiveFinite(Z) ||
        !IsPositiveFinite(d)) {
        FailIsoResult(result, 0x20055, sumX, M);
        return;
    }
    double* r = result.value;
    r[kIsoZ] = Z;
    r[kIsoDensity] = density;
    r[kIsoRelativeDensity] = d;
    r[kIsoSuperiorMass] = Hs / M;
    r[kIsoInferiorMass] = Hi / M;
    r[kIsoSuperiorVolume] = ((Hs * p) * 0.1) / (T * R) / Z;
    r[kIsoInferiorVolume] = ((Hi * p) * 0.1) / (T * R) / Z;
    const double rootD = std::sqrt(d);
    r[kIsoSuperiorWobbe] = r[kIsoSuperiorVolume] / rootD;
    r[kIsoInferiorWobbe] = r[kIsoInferiorVolume] / rootD;
    r[kIsoMolarMass] = M;
}

void Iso6976Properties(Iso6976Result& result, const double* composition, double p, double T,
                       double airDensity, double airZ, RefConditionSet set) {
    if (RefIsMetric(set) == 1) {
        Iso6976MetricProperties(result, composition, p, T, airDensity, set);
    } else {
        Gpa2172Properties(result, composition, p, T, airDensity, airZ, set);
    }
}
