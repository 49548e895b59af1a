// Small helpers shared by the ISO 6976 and GPA 2172 sums.
#pragma once

#include <cmath>

#include "GasInputChecks.h"
#include "GasTrace.h"
#include "Iso6976.h"

// Mole fraction of a value in mol-%.
inline double MoleFraction(double molePercent) {
    return molePercent / 100.0;
}

// The failure result: all ten fields zero, and the path's trace point with the component sum and
// the molar mass.
inline void FailIsoResult(Iso6976Result& result, uint32_t traceId, double sumX, double M) {
    for (double& value : result.value) {
        value = 0.0;
    }
    GasTrace(traceId, TraceFormat(kTraceArgDouble, kTraceArgDouble), sumX, M);
}
