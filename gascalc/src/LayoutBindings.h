// The binding functions of the three layouts, called by the set-up hook by taste kind. Each
// returns 0 when the layout's table was filled and committed, 1 when the program has no tree or
// the binding was abandoned on a missing node (nothing committed then). `pAsInfo` is not used.
#pragma once

#include "AsInfo.h"

int SetupDefault(AsInfo* pAsInfo);
int SetupZM1(AsInfo* pAsInfo);
int SetupBM1(AsInfo* pAsInfo);
