// The gas analysis of every cycle: component values and statuses read from the layout's Comp
// node, the analysis total, the substitution of an analysis below 1 mol-% by methane, the
// normalisation to 100 mol-% with fixed components, the optional C6+ split and the normalised
// analysis written back with one status word per component.
//
// Component order (26, mol-%): 0 CH4, 1 N2, 2 CO2, 3 C2H6, 4 C3H8, 5 H2O, 6 H2S, 7 H2, 8 CO, 9 O2,
// 10 iC4H10, 11 nC4H10, 12 iC5H12, 13 nC5H12, 14 C6H14 (or C6+), 15 C7H16, 16 C8H18, 17 C9H20,
// 18 C10H22, 19 He, 20 Ar, 21 neoC5H12, 22 benzene, 23 cyclohexane, 24 toluene,
// 25 methylcyclohexane. The first 21 are the AGA8 order.
#pragma once

#include <cstdint>

#include "FbDo.h"

constexpr int kComponentCount = 26;

enum ComponentIndex : int {
    kCH4 = 0,
    kN2 = 1,
    kCO2 = 2,
    kH2 = 7,
    kO2 = 9,
    kC6H14 = 14,
    kC7H16 = 15,
    kC10H22 = 18,
};

// C6+ modes: 1 no split, 2 split over C6 to C10 by the shares.
enum : int32_t { kC6ModeNoSplit = 1, kC6ModeSplit = 2 };
constexpr int kC6ShareCount = 5;  // C6, C7, C8, C9, C10

struct GasComposition {
    double value[kComponentCount];     // as read; inactive components 0.0
    uint32_t status[kComponentCount];  // as read
};

struct CompositionSettings {
    int32_t c6Mode;
    double share[kC6ShareCount];  // not positive: 0.0
    uint8_t normalise[kComponentCount];
    uint8_t active[kComponentCount];         // queriedActive widened by the C6+ split
    uint8_t queriedActive[kComponentCount];  // the component's value node is in use
    uint32_t compositionActive;              // active[CH4]: the analysis as a whole is in use
};

struct CompositionTotal {
    double value;
    uint32_t status;  // 0 or 0x400
};

struct NormalisedComposition {
    double value[kComponentCount];
    uint32_t outStatus[kComponentCount];  // only 0x1 and 0x400
    uint32_t status;  // the analysis' status; 0x400 also when it was replaced by methane
};

// The records of the composition input in the program data block.
struct CompositionRecords {
    GasComposition gas;
    CompositionSettings settings;
    uint32_t compositionStatus;  // 0, or 0x400 with the lowest LOP field of the bad inputs
    CompositionTotal total;
    NormalisedComposition normalised;
};

// The analysis' nodes of the layout's Comp node, found at every reload; null where the layout
// or the tree has none.
struct CompositionNodes {
    FbDoNode value[kComponentCount];   // a component's value (child 0 of its input node)
    FbDoNode output[kComponentCount];  // its normalised output
    FbDoNode total;                    // the analysis total
};

// Reload: finds the analysis' nodes, reads the in-use and normalisation flags of every component of
// the active layout and (Default) the C6+ mode and shares, then derives the effective active flags.
// Without a taste or a Comp node the previous settings stay (traced) and no node is found.
void ReadCompositionParameters();

// Cycle: reads the analysis, forms the total, normalises, sets the output statuses and writes
// the normalised analysis and the total.
void CompositionStep();

// The normalisation on the normalised record's values: non-positive (and non-finite) values
// become 0.0, flagged components absorb the difference to 100 mol-%, all are scaled when none is
// flagged, and fixed components reaching 100 mol-% are scaled to 100 with the flagged ones 0.
void NormaliseComposition();

// Whether an AGA8 method of the current method codes uses the analysis (and so its range flags).
bool Aga8InUse();
