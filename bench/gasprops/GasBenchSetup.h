// Start-up of the gas property library for the benchmarks.
#pragma once

#include <memory>

#include "Aga8Detail1994.h"
#include "ComponentPropertyTables.h"

inline void InitGasPropertiesOnce() {
    static const bool done = [] {
        static const std::unique_ptr<Aga8Detail1994Data> data =
            std::make_unique<Aga8Detail1994Data>();
        InitPropertyTables(*data);
        return true;
    }();
    (void)done;
}
