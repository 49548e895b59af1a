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
    // The flow-weighted mean when any weight was non-zero, else the arithmetic mean; 0.0 for a
    // period with no weighting state or no value.
    double mean() const {
        if (std::isnan(weightSum)) {
            return 0.0;
        }
        if (weightSum != 0.0) {
            return weightedSum / weightSum;
        }
        return count > 0.0 ? plainSum / count : 0.0;
    }
    // True when the period's weights summed to exactly zero.
    bool hasZeroWeight() const { return weightSum == 0.0; }
};
