// Start-up of the gas property library for the benchmarks.
#pragma once

#include "ComponentPropertyTables.h"

inline void InitGasPropertiesOnce() {
    static const bool done = [] {
        InitPropertyTables();
        return true;
    }();
    (void)done;
}
