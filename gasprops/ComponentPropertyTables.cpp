#include "ComponentPropertyTables.h"

#include "Aga8Detail.h"
#include "tables/gpa2145_components.h"
#include "tables/iso6976_1995_components.h"
#include "tables/iso6976_2016_components.h"
#include "tables/standard_air.h"
#include "tables/unit_factors.h"

namespace {

ComponentPropertyTables gTables;
double gStandardAir[kGasComponents];

void CopyIso1995() {
    for (const Iso6976_1995Component& row : kIso6976_1995Components) {
        if (row.programIndex < 0 || row.programIndex >= kGasComponents) {
            continue;
        }
        const int i = row.programIndex;
        gTables.iso1995MolarMass[i] = row.M;
        gTables.iso1995Summation[kTable0C][i] = row.s0;
        gTables.iso1995Summation[kTable15C][i] = row.s15;
        gTables.iso1995Summation[kTable20C][i] = row.s20;
        gTables.iso1995Superior[kTable25C][i] = row.Hs25;
        gTables.iso1995Superior[kTable20C][i] = row.Hs20;
        gTables.iso1995Superior[kTable15C][i] = row.Hs15;
        gTables.iso1995Superior[kTable0C][i] = row.Hs0;
        gTables.iso1995Inferior[kTable25C][i] = row.Hi25;
        gTables.iso1995Inferior[kTable20C][i] = row.Hi20;
        gTables.iso1995Inferior[kTable15C][i] = row.Hi15;
        gTables.iso1995Inferior[kTable0C][i] = row.Hi0;
    }
}

void CopyIso2016() {
    for (const Iso6976_2016Component& row : kIso6976_2016Components) {
        if (row.programIndex < 0 || row.programIndex >= kGasComponents) {
            continue;
        }
        const int i = row.programIndex;
        gTables.iso2016MolarMass[i] = row.M;
        gTables.iso2016Summation[kTable0C][i] = row.s0;
        gTables.iso2016Summation[kTable15C][i] = row.s15;
        gTables.iso2016Summation[kTable15_55C][i] = row.s15_55;
        gTables.iso2016Summation[kTable20C][i] = row.s20;
        gTables.iso2016Superior[kTable25C][i] = row.Hs25;
        gTables.iso2016Superior[kTable20C][i] = row.Hs20;
        gTables.iso2016Superior[kTable15_55C][i] = row.Hs15_55;
        gTables.iso2016Superior[kTable15C][i] = row.Hs15;
        gTables.iso2016Superior[kTable0C][i] = row.Hs0;
        gTables.iso2016Inferior[kTable25C][i] = row.Hi25;
        gTables.iso2016Inferior[kTable20C][i] = row.Hi20;
        gTables.iso2016Inferior[kTable15_55C][i] = row.Hi15_55;
        gTables.iso2016Inferior[kTable15C][i] = row.Hi15;
        gTables.iso2016Inferior[kTable0C][i] = row.Hi0;
    }
}

void CopyGpa2145() {
    for (const Gpa2145Component& row : kGpa2145Components) {
        if (row.programIndex < 0 || row.programIndex >= kGasComponents) {
            continue;
        }
        const int i = row.programIndex;
        gTables.gpaMolarMass[i] = row.M;
        gTables.gpaSummation[i] = row.b;
        gTables.gpaRelativeDensity[i] = row.relativeDensity;
        gTables.gpaSuperiorVolume[i] = row.grossIdealBtuPerFt3 * kMjPerM3PerBtuPerFt3;
        gTables.gpaInferiorVolume[i] = row.netIdealBtuPerFt3 * kMjPerM3PerBtuPerFt3;
        gTables.gpaSuperiorMass[i] = row.grossMassBtuPerLb * kMjPerKgPerBtuPerLb;
        gTables.gpaInferiorMass[i] = row.netMassBtuPerLb * kMjPerKgPerBtuPerLb;
    }
}

void FillStandardAir() {
    for (double& value : gStandardAir) {
        value = 0.0;
    }
    for (const StandardAirEntry& entry : kStandardAir) {
        gStandardAir[entry.component] = entry.molePercent;
    }
    double sum = 0.0;
    for (double value : gStandardAir) {
        sum += value;
    }
    gStandardAir[kStandardAirBalanceComponent] =
        (100.0 - sum) + gStandardAir[kStandardAirBalanceComponent];
}

}  // namespace

const double (&StandardAirComposition)[kGasComponents] = gStandardAir;

const ComponentPropertyTables& PropertyTables() {
    return gTables;
}

void InitPropertyTables() {
    CopyIso1995();
    CopyIso2016();
    CopyGpa2145();
    FillStandardAir();
    Aga8Setup();
}
