// The extended values of the gas at the measuring state (speed of sound, isentropic exponent,
// cp/cv), computed by the method family of "CalcMethod" when the ExtendedOutput node is bound.
#pragma once

#include <cstdint>

#include "Aga8Detail.h"

struct ExtendedValues {
    double value[3];  // speed of sound m/s, isentropic exponent, cp/cv; kept between cycles
    uint32_t status[3];
};

struct ExtendedOutputRecords {
    ExtendedValues values;
    Aga8State aga8;
    uint8_t recalculated;
    double kept[3];  // the properties of the last new solve
};

// Computes (by "CalcMethod") and writes the extended values to the bound ExtendedOutput node.
void ExtendedOutputsStep();
