// The optional output nodes of a layout (OptionalBaseOutput, ExtendedOutput): choice nodes whose
// alternative 1 holds the outputs. Bound at every parameter reload.
#pragma once

#include "FbDo.h"

struct OptionalOutputHandles {
    FbDoNode optionalBaseOutput;  // alternative 1 of OptionalBaseOutput, or null
    FbDoNode extendedOutput;      // alternative 1 of ExtendedOutput, or null
};

// Binds both handles from the active layout: null when the layout lacks the node or its
// selected alternative is not 1 (traced). Without a taste both become null (traced).
void BindOptionalOutputs();
