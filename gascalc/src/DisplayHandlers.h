// The program's display entry and its two handlers of fixed items: the entry to the
// preprocessing page (items 1000 to 1999) and the calculation-method label with the lines that
// belong to the method (items 2000 to 2999). They keep no state and answer each command from the
// current method code and tree. Display-service task; they only read the tree, the taste and
// the method code.
#pragma once

#include <cstdint>

#include "PEG.h"

// The program's display entry, called by the display-service client on its task with the
// service object of the display service and each command record. The preprocessing page takes
// its own records first; the rest are routed by item id / 1000. Every answer is sent through
// `pService` (PEG_setHidden, PEG_setLanguageTextKey). A null or incomplete record reaches no
// handler; without a tree there is no preprocessing page. Returns 0.
int OnPegEvent(ServiceObject* pService, const PEGCommand* pCommand);

// Command 2: shows item 1701 when the tree has a preprocessing group, else hides it. Returns 0.
int ShowPreprocessingEntry(ServiceObject* pService, const PEGCommand* pCommand);

// Commands 2, 3 and 7: labels the method of "CalcMethod" (item 2000) and shows its item group
// (2100 constant, 2200 SGERG-88, 2300 AGA8-92 DETAIL); codes 14 to 16, 18 and 19 change nothing;
// codes outside 2 to 23 are traced and change nothing. Returns 0.
int ShowCalcMethod(ServiceObject* pService, const PEGCommand* pCommand);

// The separate-input lines of the SGERG-88 method `method` (2240 CO2, 2250 H2, 2260 N2) and, in
// ZM1, the density input lines 2220 and 2230.
void ShowSgergInputs(ServiceObject* pService, int32_t method);
