// Component property tables of ISO 6976:1995, ISO 6976:2016 and GPA 2145 in the program's
// 26-component order, the standard dry-air composition, and InitPropertyTables, which fills them
// once at start.
//
// Component order: 0 methane, 1 nitrogen, 2 carbon dioxide, 3 ethane, 4 propane, 5 water,
// 6 hydrogen sulfide, 7 hydrogen, 8 carbon monoxide, 9 oxygen, 10 isobutane, 11 n-butane,
// 12 isopentane, 13 n-pentane, 14 n-hexane, 15 n-heptane, 16 n-octane, 17 n-nonane, 18 n-decane,
// 19 helium, 20 argon, 21 neopentane, 22 benzene, 23 cyclohexane, 24 toluene,
// 25 methylcyclohexane. The first 21 are the AGA8 order.
#pragma once

#include "tables/ref_condition_sets.h"

inline constexpr int kGasComponents = 26;

// Temperature-dependent tables are indexed by RefTableTemperature; a slot the edition does not
// tabulate stays zero (1995: no 15.55 degC; summation factors: no 25 degC).
inline constexpr int kTableTemperatures = kTable60F;

struct ComponentPropertyTables {
    double iso1995MolarMass[kGasComponents];                      // g/mol
    double iso1995Summation[kTableTemperatures][kGasComponents];  // 0, 15, 20 degC
    double iso1995Superior[kTableTemperatures][kGasComponents];   // kJ/mol, 0 .. 25 degC
    double iso1995Inferior[kTableTemperatures][kGasComponents];   // kJ/mol
    double iso2016MolarMass[kGasComponents];                      // g/mol
    double iso2016Summation[kTableTemperatures][kGasComponents];  // 0, 15, 15.55, 20 degC
    double iso2016Superior[kTableTemperatures][kGasComponents];   // kJ/mol, 0 .. 25 degC
    double iso2016Inferior[kTableTemperatures][kGasComponents];   // kJ/mol
    double gpaMolarMass[kGasComponents];                          // g/mol
    double gpaSummation[kGasComponents];                          // b, psia^-1/2, 60 degF
    double gpaRelativeDensity[kGasComponents];                    // ideal gas
    double gpaSuperiorVolume[kGasComponents];  // MJ/m3 per ideal volume, 60 degF, 14.696 psia
    double gpaInferiorVolume[kGasComponents];  // MJ/m3
    double gpaSuperiorMass[kGasComponents];    // MJ/kg
    double gpaInferiorMass[kGasComponents];    // MJ/kg
};

// The tables; all zero until InitPropertyTables has run, read-only afterwards.
const ComponentPropertyTables& PropertyTables();

// Dry air in mol-%, 26 values in the component order above, summing to 100 (nitrogen takes up
// the rest). Zero until InitPropertyTables has run.
extern const double (&StandardAirComposition)[kGasComponents];

// Fills the component property tables (ISO rows moved from the standards' order into the
// program's, GPA heating values converted to MJ), the standard air composition and the AGA8-92
// DETAIL set-up tables. Call once from the Initialize hook, before the first calculation cycle;
// every property function of the library relies on it. The parameter object of the AGA8 DETAIL
// implementation in the 1994 report structure, which the program keeps zeroed in its data block,
// is prepared by its own first call (Aga8Detail1994Props), so it has no second copy here.
void InitPropertyTables();
