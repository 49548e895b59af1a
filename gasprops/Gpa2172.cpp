// GPA 2172 properties (GPA 2145 data) at the imperial reference-condition sets.
#include <cmath>

#include "ComponentPropertyTables.h"
#include "GasTrace.h"
#include "Iso6976.h"
#include "IsoSums.h"
#include "tables/unit_factors.h"

namespace {

constexpr uint32_t kTwoDoubles = TraceFormat(kTraceArgDouble, kTraceArgDouble);

struct GpaSums {
    double sumX = 0.0;
    double G = 0.0;         // ideal relative density
    double M = 0.0;         // g/mol
    double superior = 0.0;  // ideal volumetric, MJ/m3 at 60 degF and 14.696 psia
    double inferior = 0.0;
    double superiorMassWeighted = 0.0;  // sum x M_i H_i, for the per-mass values
    double inferiorMassWeighted = 0.0;
};

GpaSums SumComponents(const double* composition) {
    const ComponentPropertyTables& t = PropertyTables();
    GpaSums s;
    for (int i = 0; i < kGasComponents; ++i) {
        if (composition[i] != 0.0) {
            const double x = MoleFraction(composition[i]);
            s.sumX += x;
            s.G += x * t.gpaRelativeDensity[i];
            s.M += x * t.gpaMolarMass[i];
            s.superior += x * t.gpaSuperiorVolume[i];
            s.inferior += x * t.gpaInferiorVolume[i];
            s.superiorMassWeighted += x * t.gpaMolarMass[i] * t.gpaSuperiorMass[i];
            s.inferiorMassWeighted += x * t.gpaMolarMass[i] * t.gpaInferiorMass[i];
        }
    }
    return s;
}

}  // namespace

void Gpa2172Properties(Iso6976Result& result, const double* composition, double p, double T,
                       double airDensity, double airZ, RefConditionSet set) {
    const double pPsia = p * kPsiPerBar;
    const GpaSums s = SumComponents(composition);
    if (!IsWholeComposition(composition, kGasComponents) || !(s.M > 0.0)) {
        FailIsoResult(result, 0x200F5, s.sumX, s.M);
        return;
    }
    const double Z = Iso6976Z(composition, p, T, set);
    const double d = IsPositiveFinite(Z) ? (s.G * airZ) / Z : 0.0;
    if (!IsPositiveFinite(pPsia) || !IsPositiveFinite(T) || !IsPositiveFinite(Z) ||
        !IsPositiveFinite(d) || !IsPositiveFinite(airDensity)) {
        FailIsoResult(result, 0x200F5, s.sumX, s.M);
        return;
    }
    const double density = d * airDensity;
    const double superiorMass = s.superiorMassWeighted / s.M;
    const double inferiorMass = s.inferiorMassWeighted / s.M;
    const double pressureRatio = pPsia / kGpaTablePressurePsia;
    const double superiorScaled = pressureRatio * s.superior;
    const double inferiorScaled = pressureRatio * s.inferior;
    const double superiorVolume = superiorScaled / Z;
    const double inferiorVolume = inferiorScaled / Z;
    const double rootD = std::sqrt(d);
    const double superiorWobbe = superiorVolume / rootD;
    const double inferiorWobbe = inferiorVolume / rootD;

    double* r = result.value;
    r[kIsoZ] = Z;
    r[kIsoDensity] = density;
    r[kIsoRelativeDensity] = d;
    r[kIsoSuperiorVolume] = superiorVolume;
    r[kIsoInferiorVolume] = inferiorVolume;
    r[kIsoSuperiorMass] = superiorMass;
    r[kIsoInferiorMass] = inferiorMass;
    r[kIsoSuperiorWobbe] = superiorWobbe;
    r[kIsoInferiorWobbe] = inferiorWobbe;
    r[kIsoMolarMass] = s.M;

    GasTrace(0x20067, TraceFormat());
    GasTrace(0x20077, TraceFormat(kTraceArgDouble, kTraceArgDouble, kTraceArgDouble), pPsia,
             airDensity, airZ);
    GasTrace(0x20087, kTwoDoubles, Z, s.M);
    GasTrace(0x20097, TraceFormat(kTraceArgDouble, kTraceArgDouble, kTraceArgDouble), s.G, d,
             density);
    GasTrace(0x200A7, kTwoDoubles, superiorMass, inferiorMass);
    GasTrace(0x200B7, kTwoDoubles, s.superior, s.inferior);
    GasTrace(0x200C7, kTwoDoubles, superiorScaled, inferiorScaled);
    GasTrace(0x200D7, kTwoDoubles, superiorVolume, inferiorVolume);
    GasTrace(0x200E7, kTwoDoubles, superiorWobbe, inferiorWobbe);
}
