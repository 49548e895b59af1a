// The method codes, the option flag and the two constant compressibility ratios, read from the
// tree at every parameter reload.
#pragma once

#include <cstdint>

#include "SharedWord.h"

// "CalcMethod" numbers the compressibility methods of the base states 1 to 23; MeasCalcMethod
// numbers the same methods of the measuring state one lower (no summation-factor method; its 16
// is the constant method). Codes outside the table are rejected where they are used.
enum : int32_t {
    kCalcMethodFirst = 1,
    kCalcMethodConstant = 17,
    kCalcMethodLast = 23,
    kMeasCalcMethodConstant = 16,
};

struct MethodParameters {
    // "CalcMethod"; the display task reads it while a reload may write it.
    SharedWord<int32_t> calcMethod;
    int32_t measCalcMethod;
    // Non-zero switches the input range check of the AGA8-92 DETAIL and SGERG-88 methods on.
    uint32_t option;
    double constantK1;  // constant ratio of the first base state (ZmZb_on_error)
    double constantK2;  // of the second base state; kept while OptionalBaseOutput is not bound
};

// Fills the block's MethodParameters from the active layout's method node, Base1 child 1 and,
// when bound, child 2 of OptionalBaseOutput (the handle the reload bound). The codes are stored
// as read. Without a taste nothing is read (traced). Called by the parameter reload only.
void ReadMethodParameters();
