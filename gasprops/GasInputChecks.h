// Checks of the inputs of the gas property methods: values that no real gas or state can have.
// Every method refuses them, whatever its range-check option, so that a result is never made
// from an impossible input. Pure functions, any task.
#pragma once

#include <cmath>

// A finite number above zero (false for NaN and for both zeros).
inline bool IsPositiveFinite(double value) {
    return value > 0.0 && std::isfinite(value);
}

// A content in mol-% that a gas can hold: 0 to 100 (negative zero counts as 0; NaN does not pass).
inline bool IsPossibleContent(double percent) {
    return percent >= 0.0 && percent <= 100.0;
}

// Bounds (mol-%) of the sum of a composition that a method uses as it comes, without normalising
// it: a sum further from 100 than one mol-% is not an analysis of the whole gas.
inline constexpr double kUnnormalisedSumMin = 99.0;
inline constexpr double kUnnormalisedSumMax = 101.0;

// True when each of the `count` values (mol-%) is a possible content and their sum lies within
// kUnnormalisedSumMin to kUnnormalisedSumMax.
inline bool IsWholeComposition(const double* percent, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        if (!IsPossibleContent(percent[i])) {
            return false;
        }
        sum += percent[i];
    }
    return sum >= kUnnormalisedSumMin && sum <= kUnnormalisedSumMax;
}
