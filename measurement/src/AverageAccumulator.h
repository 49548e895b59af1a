// The running sums of one averaging period (an hour or a day).
#pragma once

#include <cmath>
#include <limits>

class Buff;

// Weighted sum, weight sum, plain sum and count of a period. A NaN weight sum or count means
// nothing has been accumulated into it yet; the first value replaces the NaN.
struct AverageAccumulator {
    static constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

    double weightedSum = 0.0;
    double weightSum = kEmpty;
    double plainSum = 0.0;
    double count = kEmpty;

    // Back to an empty period.
    void clear() { *this = AverageAccumulator(); }
    // Drops the flow weighting of the period; plain sums and counts go on.
    void clearWeighting() {
        weightedSum = 0.0;
        weightSum = kEmpty;
    }
    // Adds one value with its weight (zero or negative weights unchanged).
    void add(double value, double weight) {
        weightedSum += value * weight;
        plainSum += value;
        weightSum = std::isnan(weightSum) ? weight : weightSum + weight;
        count = std::isnan(count) ? 1.0 : count + 1.0;
    }
    // The flow-weighted mean when any weight was non-zero, else the arithmetic mean of the
    // counted values (also right after the weighting was dropped, before the next value comes
    // in); 0.0 for a period with no value.
    double mean() const {
        if (!std::isnan(weightSum) && weightSum != 0.0) {
            return weightedSum / weightSum;
        }
        return count > 0.0 ? plainSum / count : 0.0;
    }
    // True when the four sums can stand as a saved period: a NaN count (no value yet) always
    // can; otherwise both sums are finite, the weight sum is NaN (no weighting yet) or finite,
    // and the count is a finite whole number not below 0. Negative sums and weights can be
    // legitimate (dew points below zero, negative flows).
    bool isRestorable() const {
        if (std::isnan(count)) {
            return true;
        }
        return std::isfinite(weightedSum) && std::isfinite(plainSum) && !std::isinf(weightSum) &&
               std::isfinite(count) && count >= 0.0 && count == std::floor(count);
    }
    // A restorable period in the form the cycle expects: a NaN count empties it, a NaN weight
    // sum empties its weighting.
    void settleRestored() {
        if (std::isnan(count)) {
            clear();
        } else if (std::isnan(weightSum)) {
            clearWeighting();
        }
    }
    // True when the period holds values but its mean is not flow-weighted: its weights summed
    // to exactly zero, or its weighting was dropped since the last value.
    bool isUnweighted() const {
        return weightSum == 0.0 || (std::isnan(weightSum) && !std::isnan(count));
    }
};
