// Gas compositions shared by the gas property tests, in mol-%.
#pragma once

#include <array>

#include "Aga8Detail.h"
#include "ComponentPropertyTables.h"

using Aga8Gas = std::array<double, kAga8Components>;
using FullGas = std::array<double, kGasComponents>;

inline Aga8Gas PureMethane() {
    Aga8Gas gas{};
    gas[0] = 100.0;
    return gas;
}

// The 21-component example mixture of AGA Report No. 8 Part 1 (2017), in AGA8 order.
inline Aga8Gas ExampleMixture() {
    return {77.824, 2.0,  6.0,   8.0,   3.0,   0.01,  0.25,  0.4,   0.2, 0.5, 0.15,
            0.3,    0.05, 0.165, 0.215, 0.088, 0.024, 0.015, 0.009, 0.7, 0.1};
}

// A pipeline gas inside every pipeline-quality range.
inline Aga8Gas PipelineGas() {
    Aga8Gas gas{};
    gas[0] = 90.0;
    gas[1] = 3.0;
    gas[2] = 1.5;
    gas[3] = 4.0;
    gas[4] = 1.0;
    gas[10] = 0.2;
    gas[11] = 0.2;
    gas[12] = 0.05;
    gas[13] = 0.05;
    return gas;
}

// The library's start-up as the Initialize hook runs it.
void InitPropertyTablesForTest();
