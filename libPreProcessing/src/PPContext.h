// Which preprocessing line the display page selects for the display context it was opened
// from: "<a>.<b>.PP.PP_<n>..." names the line of PP node number n, "<a>.<b>.PPGrp.ALev<g>..."
// the first grouped line whose level g failed. Numbers are read with overflow checks; a number
// that does not fit 32 bits is no number.
#pragma once

#include <cstdint>
#include <vector>

#include "PPLine.h"

namespace PreProcessing {

// The index into `lines` that `context` selects, or `selected` unchanged when it selects none
// (no context, not two dots with text after the second, neither form, no matching line).
// For ".PPGrp.ALev<g>": the first grouped line whose in-use mask has level g and whose good mask
// has not; else the first grouped line (also for g outside 1..6).
int32_t selectLineFromContext(const char* context, const std::vector<PPLine*>& lines,
                              int32_t selected);

}  // namespace PreProcessing
