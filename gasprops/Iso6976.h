// Calorific properties of a 26-component analysis at a reference-condition set: by ISO 6976
// (1995 or 2016 data) for the metric sets 1 to 13 and by GPA 2172 (GPA 2145 data) for the
// imperial sets 14 to 17; all results in SI units for every set.
//
// Compositions are 26 doubles in mol-% in the order of ComponentPropertyTables.h. The functions
// use x = value / 100, skip every component whose value is +0 or -0, and do not normalise;
// Iso6976Properties refuses an analysis that is not whole (below). They rely on
// InitPropertyTables having run. Pure functions; any task.
#pragma once

#include "RefConditionSets.h"

// Fields of Iso6976Result, in the order the writers of the results rely on.
enum Iso6976Field : int {
    kIsoZ = 0,            // compression factor at base conditions
    kIsoDensity,          // kg/m3
    kIsoRelativeDensity,  // real gas
    kIsoSuperiorVolume,   // superior calorific value per volume (real gas), MJ/m3
    kIsoInferiorVolume,   // inferior calorific value per volume (real gas), MJ/m3
    kIsoSuperiorMass,     // superior calorific value per mass, MJ/kg
    kIsoInferiorMass,     // inferior calorific value per mass, MJ/kg
    kIsoSuperiorWobbe,    // MJ/m3
    kIsoInferiorWobbe,    // MJ/m3
    kIsoMolarMass,        // g/mol
    kIsoFieldCount
};

struct Iso6976Result {
    double value[kIsoFieldCount];
};

// Component tables a set reads (26 doubles each). An index outside 1 to 17 emits the selector's
// trace point (level 3) with the index and falls back: summation factors 1995 at 20 degC,
// superior / inferior molar values 1995 at 25 degC, per-mass values the GPA tables; the molar
// mass table falls back to 1995 through RefIsMetric / RefEdition.
// Superior/InferiorCalorificTable give kJ/mol for metric sets and MJ/m3 per ideal volume for the
// imperial ones; the per-mass selectors give the GPA tables (MJ/kg) and serve GPA 2172 only.
const double* SummationFactorTable(RefConditionSet set);
const double* MolarMassTable(RefConditionSet set);
const double* SuperiorCalorificTable(RefConditionSet set);
const double* InferiorCalorificTable(RefConditionSet set);
const double* SuperiorMassCalorificTable(RefConditionSet set);
const double* InferiorMassCalorificTable(RefConditionSet set);

// Compression factor by the summation-factor method at p (bar); T (K) is not used.
// Metric sets: 1 - S^2; imperial sets: 1 - p_psia S^2 with S = sum x_i s_i.
double Iso6976Z(const double* composition, double p, double T, RefConditionSet set);

// Molar mass of the mixture over the set's molar mass table, g/mol.
double MolarMassOfMixture(const double* composition, RefConditionSet set);

// Density in kg/m3 from M (g/mol), p (bar), T (K), Z and R (kJ/(mol K)):
// ((M p) 0.1) / ((T R) Z); 0 when (T R) Z is not positive or not finite.
double GasDensity(double M, double p, double T, double Z, double R);

// All ten results of `composition` at base pressure p (bar) and base temperature T (K) of the
// set; airDensity (kg/m3) and airZ are those of dry air at the same conditions. Metric sets go to
// Iso6976MetricProperties, imperial ones to Gpa2172Properties. A result that cannot be computed
// (a value negative or not finite, the 26 values not summing to 99 to 101 mol-%, molar mass not
// positive, non-finite or non-positive conditions, Z or relative density not positive) is all
// zero, with the path's trace point (level 5).
void Iso6976Properties(Iso6976Result& result, const double* composition, double p, double T,
                       double airDensity, double airZ, RefConditionSet set);
void Iso6976MetricProperties(Iso6976Result& result, const double* composition, double p, double T,
                             double airDensity, RefConditionSet set);
void Gpa2172Properties(Iso6976Result& result, const double* composition, double p, double T,
                       double airDensity, double airZ, RefConditionSet set);
