// Properties of the normalised analysis at the Source node's reference conditions: the ISO 6976
// (GPA 2172 for the imperial sets) results and the AGA8-92 DETAIL compression factor, density and
// relative density by both solve modes.
#pragma once

#include <cstdint>

#include "Aga8Detail.h"
#include "CompositionInput.h"
#include "FbDo.h"
#include "Iso6976.h"

struct Iso6976Records {
    Iso6976Result result;
    uint32_t status;     // one status word for all results
    uint32_t evaluated;  // 1 once a cycle computed (or cleared) the results
};

struct Aga8Result {
    double z;
    double density;  // kg/m3
    double relativeDensity;
    double molarMass;  // g/mol
    uint32_t status;
};

struct Aga8ResultRecords {
    double composition[kComponentCount];  // the analysis with the lumping AGA8 needs
    Aga8Result mode[2];                   // solve mode 0, solve mode 1
    Aga8State state[2];
    uint32_t rangeCheck;  // CalcMethodOption, read at reload
};

constexpr int kIsoWrittenFields = 8;   // density .. inferior Wobbe index
constexpr int kAga8WrittenFields = 3;  // Z, density, relative density

// The result nodes of the taste's layout, found at every reload; null where it has none.
struct ResultNodes {
    FbDoNode iso6976[kIsoWrittenFields];   // the ISO 6976 results, from the density on
    FbDoNode aga8[2][kAga8WrittenFields];  // per solve mode
    FbDoNode aga8MolarMass;                // PropertiesOutput's AGA8 molar mass
};

// Reload: finds the ISO 6976 result nodes.
void SetupIso6976Step();
// Reload: finds the AGA8 result nodes and reads the range-check option of the evaluations.
void SetupAga8ZStep();

// Cycle: the ISO 6976 results written to Source child 1 (layouts that have it). A result that
// cannot be computed is written as zero with 0x400; all carry 0x400 while the Source node's set
// is outside 1 to 17.
void Iso6976Step();

// Cycle: both AGA8 evaluations (always, so the range flags stay current) and their results
// written to Source children 2 and 3 and the molar mass to PropertiesOutput child 2. Z, density
// and relative density are stated at the Source node's set and carry 0x400 while it is outside
// 1 to 17; the molar mass is stated at no set and does not.
void Aga8ZStep();

// The lumped AGA8 copy of a 26-component analysis: neopentane and benzene into n-pentane,
// cyclohexane and toluene into n-hexane, methylcyclohexane into n-heptane.
void LumpForAga8(double* composition);
